// The play lines, the status panels during a play and the level meters.
#include "playback_fixture.h"

#include <cstring>

namespace sv::test {
namespace {

using PlayLines = PlaybackTest;
using Meters = PlaybackTest;

// The window redrawn at `zoom` frames a column.
TSoundfrm* atZoom(TSoundfrm* w, int64_t zoom) {
    w->mostrar_sonido(zoom);
    EXPECT_EQ(w->Zoom, zoom);
    return w;
}

TEST_F(PlayLines, StartAtTheStartFrameAndMoveWithTheClock) {
    TSoundfrm* w = atZoom(openMono8(40000), 4);
    main->SpeedButton16Click();
    EXPECT_FALSE(w->LiniaPlay1->isHidden());
    EXPECT_FALSE(w->LiniaPlay2->isHidden());
    EXPECT_EQ(w->LiniaPlay1->geometry(), QRect(0, 0, 1, w->ScrollBar1->y() - 1));
    EXPECT_EQ(w->LiniaPlay2->geometry(), QRect(0, 1, 2, w->PaintBox1->height() - 1));
    EXPECT_TRUE(w->TimerPlay->isActive());

    advanceClock(100);
    w->TimerPlayTimer();
    // 8000 frames a second at 4 frames a column: 2 columns a millisecond.
    EXPECT_EQ(w->LiniaPlay1->x(), 200);
    EXPECT_EQ(w->StatusPanels[0]->text(), "Sample played: 800");
    EXPECT_EQ(w->StatusPanels[1]->text(), "Playing... 0:0:100 ms");
    const int strip = w->PaintBox1->width();
    EXPECT_NEAR(w->LiniaPlay2->x(), strip / 50.0, 1.0);
}

TEST_F(PlayLines, TheElapsedTimeReadsMinutesSecondsAndMilliseconds) {
    TSoundfrm* w = atZoom(openMono8(40000), 8);
    main->SpeedButton16Click();
    advanceClock(61250);
    w->TimerPlayTimer();
    // One column a millisecond; the line itself is far beyond the view but
    // the texts follow where it would be.
    EXPECT_EQ(w->playState().PlayLineLeft, 61250);
    EXPECT_LE(w->LiniaPlay1->x(), w->width() + 4);
    EXPECT_EQ(w->StatusPanels[1]->text(), "Playing... 1:1:250 ms");
    EXPECT_EQ(w->StatusPanels[0]->text(), "Sample played: 490000");
}

TEST_F(PlayLines, ASelectionStartsTheLinesAtItsFirstFrame) {
    TSoundfrm* w = openMono8(40000);
    w->setSelection(8000, 16000);
    atZoom(w, 40);
    main->SpeedButton16Click();
    EXPECT_EQ(w->playState().StartFrame, 8000);
    EXPECT_EQ(w->LiniaPlay1->x(), 200);
    const int strip = w->PaintBox1->width();
    EXPECT_NEAR(w->LiniaPlay2->x(), strip / 5.0, 1.0);
    advanceClock(500);
    w->TimerPlayTimer();
    EXPECT_EQ(w->LiniaPlay1->x(), 300);
}

TEST_F(PlayLines, TheLinesHideOncePastTheSelection) {
    TSoundfrm* w = openMono8(40000);
    w->setSelection(0, 800);
    atZoom(w, 4);
    ASSERT_EQ(w->Shape1->x() + w->Shape1->width(), 200);
    main->SpeedButton16Click();
    advanceClock(50);
    w->TimerPlayTimer();
    EXPECT_FALSE(w->LiniaPlay1->isHidden());
    EXPECT_EQ(w->LiniaPlay1->x(), 100);
    advanceClock(60);
    w->TimerPlayTimer();
    EXPECT_TRUE(w->LiniaPlay1->isHidden());
    EXPECT_TRUE(w->LiniaPlay2->isHidden());
}

TEST_F(PlayLines, PausedTimeIsNotCounted) {
    TSoundfrm* w = atZoom(openMono8(40000), 4);
    main->SpeedButton16Click();
    ASSERT_EQ(run(300), 1u);
    w->TimerPlayTimer();
    EXPECT_EQ(w->StatusPanels[1]->text(), "Playing... 0:0:300 ms");
    w->pausar_sonido();
    EXPECT_EQ(run(7000), 0u);
    // While paused the tick leaves everything as it is.
    w->TimerPlayTimer();
    EXPECT_EQ(w->StatusPanels[1]->text(), "Playing... 0:0:300 ms");
    EXPECT_EQ(w->LiniaPlay1->x(), 600);
    EXPECT_TRUE(w->TimerPlay->isActive());

    w->reproducir_sonido();
    // No tick between the resume and 100 ms of play: the line still counts
    // only the time played.
    EXPECT_EQ(run(100), 1u);
    w->TimerPlayTimer();
    EXPECT_EQ(w->StatusPanels[1]->text(), "Playing... 0:0:400 ms");
    EXPECT_EQ(w->playState().PlayLineLeft, 800);
    // A second pause and resume add up the same way.
    w->pausar_sonido();
    advanceClock(1234);
    w->reproducir_sonido();
    advanceClock(10);
    w->TimerPlayTimer();
    EXPECT_EQ(w->StatusPanels[1]->text(), "Playing... 0:0:410 ms");
}

TEST_F(PlayLines, AtTheEndTheStatusShowsTheFileAgainAndTheLinesGo) {
    TSoundfrm* w = openMono8(2400);
    main->SpeedButton16Click();
    advanceClock(10);
    w->TimerPlayTimer();
    EXPECT_TRUE(w->StatusPanels[0]->text().startsWith("Sample played: "));
    EXPECT_EQ(run(300), 2u);
    w->TimerPlayTimer();
    EXPECT_EQ(w->StatusPanels[0]->text(), QString::number(44 + 2400) + " Bytes");
    EXPECT_EQ(w->StatusPanels[1]->text(), "Samples: 2400");
    EXPECT_TRUE(w->LiniaPlay1->isHidden());
    EXPECT_TRUE(w->LiniaPlay2->isHidden());
    EXPECT_FALSE(w->TimerPlay->isActive());
}

TEST_F(PlayLines, ALoopRestartPutsTheLinesBackAtTheStart) {
    TSoundfrm* w = atZoom(openMono8(2400), 4);
    main->Loop1->trigger();
    main->SpeedButton16Click();
    EXPECT_EQ(run(300), 2u);
    w->TimerPlayTimer();
    EXPECT_EQ(w->LiniaPlay1->x(), 0);
    EXPECT_EQ(w->StatusPanels[1]->text(), "Playing... 0:0:0 ms");
    main->SpeedButton17Click();
}

TEST_F(Meters, FollowEachFinishedBlockPerChannel) {
    // 8000 Hz stereo 16-bit, blocks of 1600 frames.
    std::vector<int16_t> s(size_t(3200) * 2, 0);
    s[2 * 100] = 16384;        // block 1, left: 50
    s[2 * 200 + 1] = -8192;    // block 1, right: 25
    s[2 * 1700] = 3277;        // block 2, left: 10
    s[2 * 1800 + 1] = 32767;   // block 2, right: 99
    std::vector<uint8_t> bytes(s.size() * 2);
    std::memcpy(bytes.data(), s.data(), bytes.size());
    TSoundfrm* w = open(8000, 16, 2, bytes);
    main->SpeedButton16Click();
    ASSERT_EQ(run(200), 1u);
    EXPECT_EQ(w->LeftPeak, 50);
    EXPECT_EQ(w->RightPeak, 25);
    EXPECT_EQ(main->Gauge1->value(), 50);
    EXPECT_EQ(main->Gauge2->value(), 25);
    // The last block ends the play, which clears the meters.
    ASSERT_EQ(run(200), 1u);
    EXPECT_EQ(w->LeftPeak, 10);
    EXPECT_EQ(w->RightPeak, 99);
    EXPECT_EQ(main->Gauge1->value(), 0);
    EXPECT_EQ(main->Gauge2->value(), 0);
}

TEST_F(Meters, AMonoBlockAtFullSwingDrivesBothMetersFull) {
    std::vector<uint8_t> b(4000, 127);
    b[500] = 255;
    TSoundfrm* w = open(8000, 8, 1, b);
    main->SpeedButton16Click();
    ASSERT_EQ(run(200), 1u);
    EXPECT_EQ(main->Gauge1->value(), 100);
    EXPECT_EQ(main->Gauge2->value(), 100);
    EXPECT_EQ(w->LeftPeak, 100);
    EXPECT_EQ(w->RightPeak, 100);
}

TEST_F(Meters, AHiddenMeterPanelLeavesTheGaugesAlone) {
    std::vector<uint8_t> b(4000, 0);
    TSoundfrm* w = open(8000, 8, 1, b);
    main->VumeterPanel->hide();
    main->Gauge1->setValue(42);
    main->SpeedButton16Click();
    // The start's own stop clears them; only the blocks are ignored.
    main->Gauge1->setValue(42);
    ASSERT_EQ(run(200), 1u);
    EXPECT_EQ(main->Gauge1->value(), 42);
    EXPECT_EQ(w->LeftPeak, 0);
}

TEST_F(Meters, ABlockThatEndsWhilePausedShowsNoLevel) {
    std::vector<uint8_t> b(4000, 0);
    TSoundfrm* w = open(8000, 8, 1, b);
    main->SpeedButton16Click();
    TSoundfrm::PlaybackState& ps = w->playState();
    // The notice of a block comes in after the pause.
    pumpVirtualAudio(200);
    w->pausar_sonido();
    EXPECT_EQ(deliverWaveNotices(), 1u);
    EXPECT_EQ(w->LeftPeak, 100);
    EXPECT_EQ(main->Gauge1->value(), 0);
    // The play stays paused and resumes where it was.
    EXPECT_TRUE(w->Paused);
    EXPECT_EQ(ps.BlocksPlayed, 1);
    w->reproducir_sonido();
    EXPECT_EQ(run(200), 1u);
    EXPECT_EQ(ps.BlocksPlayed, 2);
}

} // namespace
} // namespace sv::test

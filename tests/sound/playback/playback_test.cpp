// A sound window playing on the virtual device: blocks, transport buttons,
// activity state, end of play and the device handed over between windows.
#include "playback_fixture.h"

#include "platform/settings.h"

namespace sv::test {
namespace {

using Playback = PlaybackTest;

// Byte offset of a header's data in the window's sound.
int64_t offsetOf(TSoundfrm* w, const WaveHeader& h) { return h.lpData - w->Sound.bytes.data(); }

TEST_F(Playback, PlaysTheWholeSoundAsAFullBlockAndAHalf) {
    TSoundfrm* w = openMono8(2400);
    main->SpeedButton16Click();
    TSoundfrm::PlaybackState& ps = w->playState();
    EXPECT_TRUE(w->Playing);
    EXPECT_FALSE(w->Paused);
    EXPECT_TRUE(w->DeviceOpen);
    EXPECT_EQ(activity(), Activity::Playing);
    expectPlayingButtons();
    EXPECT_EQ(ps.BlockCount, 2);
    EXPECT_EQ(ps.BlocksToQueue, 0);
    EXPECT_EQ(offsetOf(w, ps.PlayHeaders[0]), 0);
    EXPECT_EQ(ps.PlayHeaders[0].dwBufferLength, 1600u);
    EXPECT_EQ(offsetOf(w, ps.PlayHeaders[1]), 1600);
    EXPECT_EQ(ps.PlayHeaders[1].dwBufferLength, 800u);
    // The main window holds the handle and copies of both headers.
    EXPECT_NE(transport().WaveOutHandle, 0u);
    EXPECT_EQ(transport().WaveOutHandle, ps.WaveOut);
    EXPECT_EQ(transport().WaveHeaders[1].lpData, ps.PlayHeaders[1].lpData);
    EXPECT_EQ(transport().player, w);

    EXPECT_EQ(run(199), 0u);
    EXPECT_EQ(run(1), 1u);
    EXPECT_EQ(ps.BlocksPlayed, 1);
    EXPECT_TRUE(w->Playing);
    EXPECT_EQ(run(100), 1u);
    EXPECT_EQ(ps.BlocksPlayed, 2);
    EXPECT_FALSE(w->Playing);
    EXPECT_FALSE(w->DeviceOpen);
    EXPECT_EQ(activity(), Activity::Idle);
    expectIdleButtons();
    EXPECT_EQ(transport().WaveOutHandle, 0u);
    EXPECT_EQ(run(1000), 0u);
}

TEST_F(Playback, EachFinishedHeaderCarriesTheNextBlockAndNothingPastTheRange) {
    // 8000 Hz stereo 16-bit: 4 bytes a frame, blocks of 6400 bytes.
    std::vector<uint8_t> data(size_t(9000) * 4, 0);
    TSoundfrm* w = open(8000, 16, 2, data);
    w->setSelection(1000, 5000);   // 20000 bytes: three full blocks and 800 bytes
    main->SpeedButton16Click();
    TSoundfrm::PlaybackState& ps = w->playState();
    ASSERT_EQ(ps.BlockCount, 4);
    std::vector<std::pair<int64_t, uint32_t>> queued = {
        {offsetOf(w, ps.PlayHeaders[0]), ps.PlayHeaders[0].dwBufferLength},
        {offsetOf(w, ps.PlayHeaders[1]), ps.PlayHeaders[1].dwBufferLength}};
    for (int i = 0; i < 2; ++i) {
        ASSERT_EQ(run(200), 1u);
        const WaveHeader& h = ps.PlayHeaders[i];
        queued.emplace_back(offsetOf(w, h), h.dwBufferLength);
    }
    const std::vector<std::pair<int64_t, uint32_t>> expected = {
        {4000, 6400}, {10400, 6400}, {16800, 6400}, {23200, 800}};
    EXPECT_EQ(queued, expected);
    EXPECT_EQ(ps.BlocksToQueue, 0);
    EXPECT_EQ(run(200), 1u);
    EXPECT_TRUE(w->Playing);
    EXPECT_EQ(run(25), 1u);   // 800 bytes are 25 ms
    EXPECT_FALSE(w->Playing);
    EXPECT_EQ(ps.BlocksPlayed, 4);
}

TEST_F(Playback, WithoutSelectionOrCursorOptionTheWholeSoundPlaysFromTheStart) {
    TSoundfrm* w = openMono8(4000);
    w->setSelection(3000, 0);
    main->PlayFromCursorPosition = 0;
    main->SpeedButton16Click();
    TSoundfrm::PlaybackState& ps = w->playState();
    EXPECT_EQ(offsetOf(w, ps.PlayHeaders[0]), 0);
    EXPECT_EQ(ps.PlayBytes, 4000);
    EXPECT_EQ(ps.StartFrame, 0);
    EXPECT_EQ(w->LiniaPlay1->x(), 0);
}

TEST_F(Playback, PlayFromCursorPlaysFromTheCursorToTheEnd) {
    TSoundfrm* w = openMono8(4000);
    w->setSelection(3000, 0);
    main->PlayFromCursorPosition = 1;
    main->SpeedButton16Click();
    TSoundfrm::PlaybackState& ps = w->playState();
    // 1000 bytes: less than a block, queued as one.
    EXPECT_EQ(offsetOf(w, ps.PlayHeaders[0]), 3000);
    EXPECT_EQ(ps.PlayHeaders[0].dwBufferLength, 1000u);
    EXPECT_EQ(ps.PlayHeaders[1].lpData, nullptr);
    EXPECT_EQ(ps.PlayBytes, 1000);
    EXPECT_EQ(ps.BlockCount, 1);
}

TEST_F(Playback, AnEmptyRangeDoesNothing) {
    TSoundfrm* other = openMono8(4000);
    main->SpeedButton16Click();
    ASSERT_TRUE(other->Playing);
    const WaveOutHandle playing = transport().WaveOutHandle;

    TSoundfrm* w = openMono8(4000);
    activate(w);
    w->setSelection(4000, 0);
    main->PlayFromCursorPosition = 1;
    w->reproducir_sonido();
    EXPECT_FALSE(w->Playing);
    EXPECT_FALSE(w->DeviceOpen);
    EXPECT_TRUE(scripted().log.empty());
    // The other window's play goes on untouched.
    EXPECT_TRUE(other->Playing);
    EXPECT_EQ(transport().WaveOutHandle, playing);
    EXPECT_EQ(run(200), 1u);

    // Alone, it leaves the window idle with nothing opened.
    other->parar_sonido();
    w->reproducir_sonido();
    EXPECT_EQ(activity(), Activity::Idle);
    EXPECT_EQ(transport().WaveOutHandle, 0u);
    EXPECT_EQ(run(1000), 0u);
}

TEST_F(Playback, StopEndsThePlayAndClearsTheMeters) {
    TSoundfrm* w = openMono8(8000, 0);
    main->SpeedButton16Click();
    ASSERT_EQ(run(200), 1u);
    EXPECT_EQ(main->Gauge1->value(), 100);
    main->SpeedButton17Click();
    EXPECT_FALSE(w->Playing);
    EXPECT_FALSE(w->Paused);
    EXPECT_EQ(activity(), Activity::Idle);
    expectIdleButtons();
    EXPECT_EQ(main->Gauge1->value(), 0);
    EXPECT_EQ(main->Gauge2->value(), 0);
    EXPECT_EQ(run(1000), 0u);
    EXPECT_EQ(w->playState().BlocksPlayed, 1);
}

TEST_F(Playback, PauseHoldsTheDeviceAndPlayResumesIt) {
    TSoundfrm* w = openMono8(8000);
    main->SpeedButton16Click();
    TSoundfrm::PlaybackState& ps = w->playState();
    ASSERT_EQ(run(300), 1u);
    main->SpeedButton14Click();
    EXPECT_FALSE(w->Playing);
    EXPECT_TRUE(w->Paused);
    EXPECT_EQ(activity(), Activity::Playing);   // the play cursor stays
    EXPECT_TRUE(main->SpeedButton16->isEnabled());
    EXPECT_FALSE(main->SpeedButton14->isEnabled());
    EXPECT_TRUE(main->SpeedButton17->isEnabled());
    // Nothing is consumed while paused.
    EXPECT_EQ(run(5000), 0u);
    EXPECT_EQ(ps.BlocksPlayed, 1);

    main->SpeedButton16Click();
    EXPECT_TRUE(w->Playing);
    EXPECT_FALSE(w->Paused);
    expectPlayingButtons();
    EXPECT_EQ(run(99), 0u);
    EXPECT_EQ(run(1), 1u);   // the second block ends 400 ms into the sound
    EXPECT_EQ(ps.BlocksPlayed, 2);
}

TEST_F(Playback, ThePictureAnimatesExactlyWhileASoundPlays) {
    TSoundfrm* w = openMono8(8000);
    std::vector<bool> calls;
    transport().animate = [&calls](bool on) { calls.push_back(on); };
    main->SpeedButton16Click();
    ASSERT_FALSE(calls.empty());
    EXPECT_TRUE(calls.back());
    w->pausar_sonido();
    EXPECT_FALSE(calls.back());
    w->reproducir_sonido();
    EXPECT_TRUE(calls.back());
    main->SpeedButton17Click();
    EXPECT_FALSE(calls.back());
    transport().animate = nullptr;
}

TEST_F(Playback, LoopModeRestartsTheRangeAfterItsLastBlock) {
    TSoundfrm* w = openMono8(2400);
    main->Loop1->trigger();
    ASSERT_TRUE(main->Loop1->isChecked());
    EXPECT_FALSE(main->Image1->isHidden());
    main->SpeedButton16Click();
    TSoundfrm::PlaybackState& ps = w->playState();
    const WaveOutHandle first = transport().WaveOutHandle;

    EXPECT_EQ(run(200), 1u);
    EXPECT_EQ(run(100), 1u);
    // A new pass on a fresh handle, the transport as it was.
    EXPECT_TRUE(w->Playing);
    EXPECT_EQ(activity(), Activity::Playing);
    expectPlayingButtons();
    EXPECT_NE(transport().WaveOutHandle, first);
    EXPECT_EQ(transport().WaveOutHandle, ps.WaveOut);
    EXPECT_EQ(ps.BlocksPlayed, 0);
    EXPECT_EQ(ps.BlockCount, 2);
    EXPECT_EQ(offsetOf(w, ps.PlayHeaders[0]), 0);

    const WaveOutHandle second = transport().WaveOutHandle;
    EXPECT_EQ(run(300), 2u);
    EXPECT_NE(transport().WaveOutHandle, second);
    EXPECT_TRUE(w->Playing);

    // Loop off: the pass in progress is the last.
    main->Loop1->trigger();
    EXPECT_FALSE(main->Loop1->isChecked());
    EXPECT_TRUE(main->Image1->isHidden());
    EXPECT_EQ(run(300), 2u);
    EXPECT_FALSE(w->Playing);
    EXPECT_EQ(activity(), Activity::Idle);
}

TEST_F(Playback, LoopToggledLikeAToolButtonFlipsTheCheckOnce) {
    start();
    main->Loop1Click();
    EXPECT_TRUE(main->Loop1->isChecked());
    EXPECT_FALSE(main->Image1->isHidden());
    main->Loop1->trigger();
    EXPECT_FALSE(main->Loop1->isChecked());
    EXPECT_TRUE(main->Image1->isHidden());
}

TEST_F(Playback, StopInAnotherWindowStopsThePlay) {
    TSoundfrm* a = openMono8(8000);
    TSoundfrm* b = openMono8(8000);
    activate(a);
    main->SpeedButton16Click();
    ASSERT_TRUE(a->Playing);
    activate(b);
    // Play is disabled while another window plays.
    EXPECT_FALSE(main->SpeedButton16->isEnabled());
    main->SpeedButton17Click();
    EXPECT_FALSE(a->Playing);
    EXPECT_FALSE(a->DeviceOpen);
    EXPECT_EQ(activity(), Activity::Idle);
    EXPECT_EQ(run(1000), 0u);
    EXPECT_EQ(a->playState().BlocksPlayed, 0);
    // Its lines and status go back to idle at the next tick.
    a->TimerPlayTimer();
    EXPECT_TRUE(a->LiniaPlay1->isHidden());
    EXPECT_FALSE(a->TimerPlay->isActive());
    EXPECT_EQ(a->StatusPanels[1]->text(), "Samples: 8000");
}

TEST_F(Playback, PlayInASecondWindowStopsTheFirstWithNoStaleNotice) {
    TSoundfrm* a = openMono8(8000);
    TSoundfrm* b = openMono8(8000);
    a->reproducir_sonido();
    ASSERT_EQ(run(200), 1u);
    // A's second block is half played when B starts.
    EXPECT_EQ(run(100), 0u);
    b->reproducir_sonido();
    EXPECT_FALSE(a->Playing);
    EXPECT_TRUE(b->Playing);
    EXPECT_EQ(transport().player, b);
    EXPECT_EQ(run(200), 1u);
    EXPECT_EQ(a->playState().BlocksPlayed, 1);
    EXPECT_EQ(b->playState().BlocksPlayed, 1);
}

TEST_F(Playback, APausedPlayStoppedByAnotherStartDoesNotResume) {
    TSoundfrm* a = openMono8(8000);
    TSoundfrm* b = openMono8(8000);
    a->reproducir_sonido();
    a->pausar_sonido();
    b->reproducir_sonido();
    EXPECT_FALSE(a->Paused);
    b->parar_sonido();
    // Play in A starts afresh on a new device rather than restarting a
    // closed one.
    a->reproducir_sonido();
    EXPECT_TRUE(a->Playing);
    EXPECT_EQ(transport().player, a);
    EXPECT_EQ(a->playState().BlocksPlayed, 0);
    EXPECT_EQ(run(200), 1u);
}

TEST_F(Playback, AFailedOpenIsReportedAndTheTransportIsIdle) {
    start();
    {
        IniFile ini = Settings();
        ini.WriteInteger("Configuration", "DefaultOutput", 7);
    }
    TSoundfrm* w = openMono8(2000);
    ASSERT_EQ(w->DefaultOutput, 7);
    main->SpeedButton16Click();
    ASSERT_EQ(scripted().log.size(), 1u);
    EXPECT_EQ(scripted().log[0].text, waveOutGetErrorText(kWaveBadDeviceId));
    EXPECT_FALSE(w->Playing);
    EXPECT_FALSE(w->DeviceOpen);
    EXPECT_EQ(activity(), Activity::Idle);
    expectIdleButtons();
    EXPECT_EQ(transport().WaveOutHandle, 0u);
}

TEST_F(Playback, PlayOnTheCommandLinePlaysTheFile) {
    const std::string name = wavFile(8000, 8, 1, std::vector<uint8_t>(2400, 127));
    start({"-PLAY", name});
    ASSERT_EQ(main->childCount(), 1);
    TSoundfrm* w = main->soundWindows()[0];
    EXPECT_TRUE(w->Playing);
    EXPECT_EQ(activity(), Activity::Playing);
    EXPECT_EQ(run(300), 2u);
    EXPECT_FALSE(w->Playing);
}

TEST_F(Playback, ClosingThePlayingWindowStopsItsPlay) {
    TSoundfrm* w = openMono8(8000);
    main->SpeedButton16Click();
    w->closeWindow();
    flushDeletes();
    EXPECT_EQ(main->childCount(), 0);
    EXPECT_EQ(activity(), Activity::Idle);
    EXPECT_EQ(transport().WaveOutHandle, 0u);
    EXPECT_EQ(run(1000), 0u);
}

TEST_F(Playback, ClosingAWindowThatPlayedEarlierLeavesAnotherPlayAlone) {
    TSoundfrm* a = openMono8(8000);
    TSoundfrm* b = openMono8(8000);
    a->reproducir_sonido();
    b->reproducir_sonido();
    a->closeWindow();
    flushDeletes();
    EXPECT_TRUE(b->Playing);
    EXPECT_EQ(activity(), Activity::Playing);
    EXPECT_EQ(run(200), 1u);
}

TEST_F(Playback, AWindowDestroyedWhilePlayingReleasesTheDevice) {
    TSoundfrm* w = openMono8(8000);
    main->SpeedButton16Click();
    delete w->parentWidget();
    EXPECT_EQ(transport().WaveOutHandle, 0u);
    EXPECT_EQ(activity(), Activity::Idle);
    EXPECT_EQ(run(1000), 0u);
}

TEST_F(Playback, APausedPlayEndsWhenAnotherWindowTakesTheFocus) {
    TSoundfrm* a = openMono8(8000);
    main->SpeedButton16Click();
    ASSERT_EQ(run(300), 1u);
    main->SpeedButton14Click();
    ASSERT_TRUE(a->Paused);
    TSoundfrm* b = openMono8(4000);
    main->mdi->setActiveSubWindow(qobject_cast<QMdiSubWindow*>(b->parentWidget()));
    EXPECT_FALSE(a->Paused);
    EXPECT_FALSE(a->Playing);
    EXPECT_EQ(activity(), Activity::Idle);
}

} // namespace
} // namespace sv::test

#include "tests/sound/editwin/editwin_fixture.h"

#include <QLineEdit>
#include <QPushButton>

#include "dialogs/CombineChannels.h"
#include "dialogs/DivideChannels.h"
#include "sound/engine/edit_ops.h"

using namespace sv;
using namespace sv::test;

namespace {

// Accepts the channel dialog with the two names (empty: as proposed).
template <typename D>
void acceptNames(std::string left = {}, std::string right = {}) {
    onModal<D>([left, right](D& d) {
        if (!left.empty()) d.LeftEdit->setText(QString::fromStdString(left));
        if (!right.empty()) d.RightEdit->setText(QString::fromStdString(right));
        d.Button1->click();
    });
}

class ChannelsTest : public EditWindowTest {};

TEST_F(ChannelsTest, DivideThenCombineGivesBackTheStereoSound) {
    for (int bits : {8, 16}) {
        const std::string name = "st" + std::to_string(bits) + ".wav";
        TSoundfrm* a = open(name, bits, 2, 777);
        select(a, 0, 777);
        std::string proposedLeft, proposedRight;
        onModal<TDivideChannelsfrm>([&](TDivideChannelsfrm& d) {
            proposedLeft = d.LeftEdit->text().toStdString();
            proposedRight = d.RightEdit->text().toStdString();
            EXPECT_EQ(d.windowTitle(), "Divide Stereo Channels");
            d.Button1->click();
        });
        main->item("DivideChannels1")->trigger();
        const std::string base = dir.file("st" + std::to_string(bits));
        EXPECT_EQ(proposedLeft, base + "Left.wav");
        EXPECT_EQ(proposedRight, base + "Right.wav");
        ASSERT_TRUE(fileExists(base + "Left.wav"));
        EXPECT_EQ(fileSizeOf(base + "Left.wav"), 44 + 777 * bits / 8);
        EXPECT_FALSE(a->Modified);

        const int before = main->NewSoundCount;
        acceptNames<TCombineChannelsfrm>(base + "Left.wav", base + "Right.wav");
        main->item("CombineChannels1")->trigger();
        TSoundfrm* c = main->soundWindows().back();
        ASSERT_NE(c, a);
        EXPECT_EQ(main->NewSoundCount, before + 1);
        EXPECT_EQ(c->FileName, "st" + std::to_string(bits) + "Left_st" + std::to_string(bits) + "Right.wav");
        EXPECT_EQ(bytesOf(c), bytesOf(a));
        EXPECT_EQ(c->SampleFormat.nChannels, 2);
        EXPECT_EQ(c->SampleFormat.nBlockAlign, a->SampleFormat.nBlockAlign);
        EXPECT_TRUE(c->Modified);
        EXPECT_FALSE(c->IsNew);
        EXPECT_TRUE(c->SoundLoaded);
        EXPECT_EQ(c->Zoom, 1);
        EXPECT_EQ(c->StatusPanels[0]->text(), QString::number(777 * 2 * bits / 8) + " Bytes");
        EXPECT_EQ(c->StatusPanels[4]->text(), "Stereo");
        // Its edits have their own history.
        select(c, 0, 10);
        ASSERT_TRUE(choose("Cut1"));
        ASSERT_TRUE(choose("undo1"));
        EXPECT_EQ(bytesOf(c), bytesOf(a));
    }
    EXPECT_EQ(messageCount(), 0u);
}

TEST_F(ChannelsTest, DivideWritesOnlyTheSelection) {
    TSoundfrm* a = open("st.wav", 16, 2, 100);
    select(a, 10, 20);
    acceptNames<TDivideChannelsfrm>(dir.file("l.wav"), dir.file("r.wav"));
    main->item("DivideChannels1")->trigger();
    const auto left = readBytes(dir.file("l.wav"));
    ASSERT_EQ(left.size(), 44u + 40u);
    // The first channel of frame 10.
    EXPECT_EQ(left[44], a->Sound.frame(10)[0]);
    EXPECT_EQ(left[45], a->Sound.frame(10)[1]);
}

TEST_F(ChannelsTest, DivideCancelledOrIntoOneFileWritesNothing) {
    TSoundfrm* a = open("st.wav", 16, 2, 100);
    select(a, 0, 100);
    onModal<TDivideChannelsfrm>([](TDivideChannelsfrm& d) { d.Button2->click(); });
    main->item("DivideChannels1")->trigger();
    EXPECT_FALSE(fileExists(dir.file("stLeft.wav")));
    EXPECT_EQ(messageCount(), 0u);

    acceptNames<TDivideChannelsfrm>(dir.file("same.wav"), dir.file("same.wav"));
    main->item("DivideChannels1")->trigger();
    EXPECT_FALSE(fileExists(dir.file("same.wav")));
    ASSERT_EQ(messageCount(), 1u);
    EXPECT_EQ(scripted().log[0].caption, "Warning");
    EXPECT_EQ(scripted().log[0].text, kDivideSameNameMessage);
}

TEST_F(ChannelsTest, CombineOfAStereoSourceIsRefusedAndLeavesNoWindow) {
    TSoundfrm* a = open("st.wav", 16, 2, 100);
    const std::string mono = wavFile("m.wav", 16, 1, testSignal(16, 1, 100));
    acceptNames<TCombineChannelsfrm>(dir.file("st.wav"), mono);
    main->item("CombineChannels1")->trigger();
    flushDeletes();
    ASSERT_EQ(messageCount(), 1u);
    EXPECT_EQ(scripted().log[0].text, dir.file("st.wav") + "is not a mono file... operation canceled");
    ASSERT_EQ(main->soundWindows().size(), 1u);
    EXPECT_EQ(main->soundWindows()[0], a);
    // The boxes show the window in front again.
    EXPECT_EQ(main->SoundLength, 100);
    EXPECT_TRUE(main->SoundLoaded);
}

TEST_F(ChannelsTest, CombineOfAMissingFileSaysSo) {
    acceptNames<TCombineChannelsfrm>(dir.file("none.wav"), dir.file("none2.wav"));
    main->item("CombineChannels1")->trigger();
    flushDeletes();
    ASSERT_EQ(messageCount(), 1u);
    EXPECT_EQ(scripted().log[0].text, "Error opening file");
    EXPECT_EQ(main->childCount(), 0);
}

TEST_F(ChannelsTest, CombineCancelledMakesNoWindow) {
    onModal<TCombineChannelsfrm>([](TCombineChannelsfrm& d) { d.Button2->click(); });
    main->item("CombineChannels1")->trigger();
    flushDeletes();
    EXPECT_EQ(main->childCount(), 0);
    EXPECT_EQ(main->NewSoundCount, 0);
}

// ---- The dialogs ----

TEST(ChannelDialogs, CaptionsAndTheCancelFlag) {
    TCombineChannelsfrm c;
    EXPECT_EQ(c.windowTitle(), "Combine Channels");
    EXPECT_EQ(c.Button1->text(), "OK, Com&bine");
    EXPECT_EQ(c.LeftLabel->text(), "&Left Channel : ");
    EXPECT_EQ(c.LeftSelect->text(), " Select Waveform");
    // Closing by the frame counts as Cancel.
    QTimer::singleShot(0, &c, [&c] { c.reject(); });
    EXPECT_EQ(c.mostrar(), 1);
    QTimer::singleShot(0, &c, [&c] { c.Button1->click(); });
    EXPECT_EQ(c.mostrar(), 0);
    QTimer::singleShot(0, &c, [&c] { c.Button2->click(); });
    EXPECT_EQ(c.mostrar(), 1);

    TDivideChannelsfrm d;
    EXPECT_EQ(d.windowTitle(), "Divide Stereo Channels");
    EXPECT_EQ(d.Button1->text(), "OK, Di&vide");
    EXPECT_EQ(d.RightLabel->text(), "&Right Channel Output Waveform Name:  ");
}

TEST(ChannelDialogs, SelectWaveformRunsTheFileDialogOnTheEditsName) {
    TempExeDir dir;
    TCombineChannelsfrm c;
    c.LeftEdit->setText("/x/old.wav");
    scripted().answerFile("/y/chosen.wav");
    c.LeftSelect->click();
    EXPECT_EQ(c.LeftEdit->text(), "/y/chosen.wav");
    ASSERT_EQ(scripted().log.size(), 1u);
    EXPECT_EQ(scripted().log[0].kind, "open");
    EXPECT_EQ(scripted().log[0].request.fileName, "/x/old.wav");
    EXPECT_EQ(scripted().log[0].request.filter, "PCM WaveForms|*.wav");
    // Cancelled: the name stays.
    scripted().answerFile("");
    c.LeftSelect->click();
    EXPECT_EQ(c.LeftEdit->text(), "/y/chosen.wav");

    TDivideChannelsfrm d;
    d.RightEdit->setText("r.wav");
    scripted().answerFile("/z/right.wav");
    d.RightSelect->click();
    EXPECT_EQ(d.RightEdit->text(), "/z/right.wav");
    EXPECT_EQ(scripted().log.back().kind, "save");
    EXPECT_EQ(scripted().log.back().request.filter, "PCM Waveforms|*.wav");
}

} // namespace

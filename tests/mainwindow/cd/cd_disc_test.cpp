// The CD player on the drive the program really uses: a disc image played
// digitally, and a machine without any drive.
#include <gtest/gtest.h>

#include <QApplication>

#include <cstdlib>

#include "mainwindow/SonvelaMain.h"
#include "mainwindow/SonvelaMain_cd.h"
#include "platform/audio/audio_backend.h"
#include "platform/audio/wave_notices.h"
#include "platform/cd/cd_commands.h"
#include "platform/cd/cdio_drive.h"
#include "platform/prompts.h"
#include "tests/support/cd_image.h"
#include "tests/support/scripted_prompts.h"

using namespace sv;
using namespace sv::test;

namespace {

constexpr int32_t F = kCdFramesPerSecond;

class CdDiscTest : public ::testing::Test {
protected:
    TempExeDir dir;
    std::unique_ptr<TSVMainfrm> main;
    CdioDrive* drive = nullptr;

    void SetUp() override {
        setAudioBackend(AudioBackend::Virtual);
        setVirtualAudioManual(true);
        deliverWaveNotices();
        ::setenv("SONVELA_AUDIO_CAPTURE", dir.file("heard.wav").c_str(), 1);
    }
    void TearDown() override {
        main.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        setCdDrive(nullptr);
        deliverWaveNotices();
        ::unsetenv("SONVELA_AUDIO_CAPTURE");
        setAudioBackend(AudioBackend::Auto);
    }
    void use(const std::string& source) {
        auto d = std::make_unique<CdioDrive>(source);
        drive = d.get();
        setCdDrive(std::move(d));
    }
    void start(std::vector<std::string> args = {}) {
        main = std::make_unique<TSVMainfrm>(std::move(args));
        installCdCommands(main.get());
        main->cdBeep = [] {};
        main->Panel2->resize(700, main->Panel2->height());
        main->FormActivate();
    }
    bool playingShown() { return !main->SpeedButton38->isEnabled() && main->SpeedButton37->isEnabled(); }
};

TEST_F(CdDiscTest, WithoutADriveThePanelSaysSoAndNothingPlays) {
    use(dir.file("no-drive-here"));
    start();
    main->SpeedButton10Click();
    EXPECT_TRUE(main->Panel2->isHidden());
    ASSERT_EQ(scripted().messages().size(), 1u);
    EXPECT_EQ(scripted().messages()[0], mciGetErrorString(kCdNoDrive));
    EXPECT_TRUE(main->tema->isHidden());
    // The poll finds the panel gone and stops, without a word.
    main->Timer1Timer();
    EXPECT_FALSE(main->Timer1->isActive());
    EXPECT_FALSE(playingShown());
    EXPECT_EQ(scripted().messages().size(), 1u);

    // Exiting asks only whether to exit.
    scripted().answer(mrYes);
    EXPECT_TRUE(main->FormCloseQuery());
    EXPECT_FALSE(scripted().sawMessage("The CD is playing. Do you still want to exit?"));
}

TEST_F(CdDiscTest, CommandLineCdWithoutADriveSaysSoOnce) {
    use(dir.file("no-drive-here"));
    start({"-CD"});
    EXPECT_TRUE(main->Panel2->isHidden());
    EXPECT_FALSE(playingShown());
    ASSERT_EQ(scripted().messages().size(), 1u);
    EXPECT_EQ(scripted().messages()[0], mciGetErrorString(kCdNoDrive));
}

TEST_F(CdDiscTest, CommandLineCdPlaysTheImagesFirstTrackIntoTheSoundCard) {
    const CdImage img = writeCdImage(dir.path(), "disc", {3 * F, 2 * F});
    use(img.cue);
    start({"-CD"});
    ASSERT_FALSE(main->Panel2->isHidden());
    EXPECT_TRUE(playingShown());
    ASSERT_EQ(main->CdTrackButtons.size(), 2u);
    EXPECT_EQ(main->Label10->text(), "0:0:5");
    for (int i = 0; i < 30; ++i) {
        drive->waitForReadAhead();
        pumpVirtualAudio(50);
        deliverWaveNotices();
    }
    main->Timer1Timer();
    EXPECT_EQ(main->Label4->text(), "0:0:1");
    EXPECT_EQ(main->Label5->text(), "1");
    EXPECT_EQ(main->Label6->text(), "0:0:3");
    main->SpeedButton36Click();

    // The capture holds the start of track 1, after the start-up silence.
    const std::vector<int16_t> heard = heardMusic(dir.file("heard.wav"));
    ASSERT_GE(heard.size(), size_t(F) * 588 * 2);
    EXPECT_TRUE(std::equal(heard.begin(), heard.end(), img.samples.begin()));
}

// An image has no tray to push: the player's own roads close it, Play and
// the panel's opening as a drive pulls its tray in, and Eject on an open
// tray; each puts the disc back.
TEST_F(CdDiscTest, AnEjectedImageComesBackWhenPlayOrThePanelClosesTheTray) {
    const CdImage img = writeCdImage(dir.path(), "disc", {3 * F, 2 * F});
    use(img.cue);
    start();
    main->SpeedButton10Click();
    main->SpeedButton43Click();
    std::string answer;
    mciSendString("status cdaudio mode", answer);
    ASSERT_EQ(answer, "open");

    main->SpeedButton38Click();
    EXPECT_FALSE(main->Panel2->isHidden());
    EXPECT_TRUE(playingShown());
    EXPECT_EQ(main->CdTrackButtons.size(), 2u);
    main->SpeedButton36Click();

    main->SpeedButton43Click();
    main->SpeedButton10Click();   // hidden with the tray open
    main->SpeedButton10Click();   // and shown again
    EXPECT_FALSE(main->Panel2->isHidden());
    EXPECT_EQ(main->Label10->text(), "0:0:5");

    main->SpeedButton43Click();
    main->SpeedButton43Click();   // Eject on an open tray closes it
    mciSendString("status cdaudio media present", answer);
    EXPECT_EQ(answer, "true");
    EXPECT_EQ(scripted().messages(), std::vector<std::string>{});
}

} // namespace

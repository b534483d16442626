#include <gtest/gtest.h>

#include <QApplication>
#include <QLayout>

#include "mainwindow/SonvelaMain.h"
#include "mainwindow/SonvelaMain_cd.h"
#include "platform/cd/cd_commands.h"
#include "platform/cd/simulated_drive.h"
#include "platform/clock.h"
#include "platform/prompts.h"
#include "tests/support/scripted_prompts.h"

using namespace sv;
using namespace sv::test;

namespace {

constexpr int32_t F = kCdFramesPerSecond;
using Disc = std::vector<SimulatedCdDrive::Track>;

Disc seconds(std::initializer_list<int> lengths) {
    Disc d;
    for (int s : lengths) d.push_back({s * F, true});
    return d;
}

class CdPlayerTest : public ::testing::Test {
protected:
    TempExeDir dir;
    SimulatedCdDrive* drive = nullptr;
    std::unique_ptr<TSVMainfrm> main;
    int beeps = 0;

    void SetUp() override {
        setManualClock(true);
        load(seconds({60, 90, 30}));
    }
    void TearDown() override {
        main.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        setCdDrive(nullptr);
        setManualClock(false);
    }
    void load(Disc disc) {
        auto d = std::make_unique<SimulatedCdDrive>(std::move(disc));
        drive = d.get();
        setCdDrive(std::move(d));
    }
    void start(std::vector<std::string> args = {}) {
        main = std::make_unique<TSVMainfrm>(std::move(args));
        // Installing again changes nothing, and keeps these tests apart
        // from the order of the installers.
        installCdCommands(main.get());
        main->cdBeep = [this] { ++beeps; };
        // Room for (700 - 268 - 4) / 21 = 20 track buttons a row.
        main->Panel2->resize(700, main->Panel2->height());
        main->FormActivate();
    }
    void open() {
        start();
        main->SpeedButton10Click();
    }
    void wait(double s) { advanceClock(uint32_t(s * 1000)); }
    CdStatus status() {
        CdStatus st;
        drive->status(st);
        return st;
    }
    int32_t positionSeconds() { return status().position / F; }
    bool playingShown() { return !main->SpeedButton38->isEnabled() && main->SpeedButton37->isEnabled(); }
    QString text(QLabel* l) { return l->text(); }
};

} // namespace

TEST(CdPlayerTimes, SecondsAndPackedPositions) {
    EXPECT_EQ(CdTimeToSeconds("74:30:12"), 4470);
    EXPECT_EQ(cdSecondsText(4470), "1:14:30");
    EXPECT_EQ(cdSecondsText(3725), "1:2:5");
    EXPECT_EQ(cdPackedSeconds(125), std::to_string(2 | (5 << 8)));
    EXPECT_EQ(CdTimeToSeconds("7"), 600 * 7);   // short answers read no further than they go
    EXPECT_EQ(CdTimeToSeconds(""), 0);
}

TEST_F(CdPlayerTest, PanelOpensWithTrackButtonsAndClosesAgain) {
    start();
    EXPECT_TRUE(main->Panel2->isHidden());
    EXPECT_FALSE(main->Timer1->isActive());
    QAction* item = main->item("CDplayer1");
    ASSERT_TRUE(item);
    item->trigger();
    EXPECT_FALSE(main->Panel2->isHidden());
    EXPECT_TRUE(main->Timer1->isActive());
    ASSERT_EQ(main->CdTrackButtons.size(), 3u);
    EXPECT_EQ(main->CdTrackButtons[0], main->tema);
    EXPECT_EQ(main->CdTrackButtons[2]->text(), "3");
    EXPECT_EQ(main->CdTrackButtons[2]->toolTip(), "Track No 3");
    EXPECT_EQ(main->CdTrackButtons[2]->x(), main->tema->x() + 42);
    EXPECT_EQ(main->CdTrackCount, 3);
    EXPECT_EQ(text(main->Label10), "0:3:0");
    EXPECT_EQ(main->CdLengthSeconds, 180);
    EXPECT_EQ(main->Panel2->height(), 53);
    EXPECT_TRUE(main->SpeedButton38->isEnabled());
    EXPECT_FALSE(main->SpeedButton37->isEnabled());
    ASSERT_TRUE(main->button("SpeedButton10"));
    // Docked under the sound windows.
    ASSERT_EQ(main->Panel2->parentWidget(), main->centralWidget());
    EXPECT_EQ(main->centralWidget()->layout()->indexOf(main->mdi), 0);
    EXPECT_EQ(main->centralWidget()->layout()->indexOf(main->Panel2), 1);

    main->SpeedButton10Click();
    EXPECT_TRUE(main->Panel2->isHidden());
    EXPECT_FALSE(main->Timer1->isActive());
    EXPECT_TRUE(scripted().messages().empty());
}

TEST_F(CdPlayerTest, LongDiscAndManyTracksGrowThePanel) {
    load(seconds({74 * 60 + 30}));
    open();
    EXPECT_EQ(text(main->Label10), "1:14:30");

    Disc many(30, {60 * F, true});
    load(many);
    main->Panel2->resize(268 + 4 + 10 * 21, main->Panel2->height());   // ten a row
    main->mostrar_lista_botones();
    ASSERT_EQ(main->CdTrackButtons.size(), 30u);
    EXPECT_EQ(main->Panel2->height(), 92);
    EXPECT_EQ(main->Bevel10->height(), 90);
    // Track 11 starts the second row under tema.
    EXPECT_EQ(main->CdTrackButtons[10]->x(), main->tema->x());
    EXPECT_EQ(main->CdTrackButtons[10]->y(), main->tema->y() + 21);
    EXPECT_EQ(main->CdTrackButtons[29]->y(), main->tema->y() + 42);

    // Fewer tracks again: the old buttons go, the panel shrinks.
    load(seconds({60, 60}));
    main->mostrar_lista_botones();
    EXPECT_EQ(main->CdTrackButtons.size(), 2u);
    EXPECT_EQ(main->Panel2->height(), 53);
}

TEST_F(CdPlayerTest, NoDiscOrDataDiscHidesThePanel) {
    drive->removeDisc();
    open();
    EXPECT_TRUE(main->Panel2->isHidden());
    EXPECT_EQ(scripted().messages(), std::vector<std::string>{"There is no CD on the tray. Please insert one."});

    load({{60 * F, false}});
    main->SpeedButton10Click();
    EXPECT_TRUE(main->Panel2->isHidden());
    EXPECT_TRUE(scripted().sawMessage("Error: this CD has no audio tracks"));
    main->Panel2->show();
    main->SpeedButton38Click();
    EXPECT_TRUE(scripted().sawMessage("Error: this CD has no audio tracks..."));
    EXPECT_EQ(drive->playCount(), 0);
}

TEST_F(CdPlayerTest, PlayPollsTheLabelsAndPauseResumesAtTheSecond) {
    open();
    main->SpeedButton38Click();
    EXPECT_TRUE(playingShown());
    EXPECT_TRUE(main->Timer1->isActive());
    wait(65.5);
    main->Timer1Timer();
    EXPECT_EQ(text(main->Label4), "0:1:5");
    EXPECT_EQ(text(main->Label5), "2");
    EXPECT_EQ(text(main->Label6), "0:1:30");
    EXPECT_EQ(text(main->Label8), "0:0:5");
    EXPECT_TRUE(main->CdTrackButtons[1]->autoRaise());
    EXPECT_FALSE(main->CdTrackButtons[0]->autoRaise());

    main->SpeedButton37Click();
    EXPECT_EQ(main->CdPausePosition, 65);
    EXPECT_TRUE(main->CdPaused);
    EXPECT_FALSE(playingShown());
    EXPECT_FALSE(main->Timer1->isActive());
    EXPECT_EQ(status().mode, CdMode::Paused);
    wait(20);
    main->SpeedButton38Click();
    EXPECT_FALSE(main->CdPaused);
    EXPECT_EQ(drive->lastPlayFrom(), 65 * F);
    wait(3);
    main->Timer1Timer();
    EXPECT_EQ(text(main->Label4), "0:1:8");
    EXPECT_TRUE(scripted().messages().empty());
}

TEST_F(CdPlayerTest, NextAndPreviousWrapAroundTheDisc) {
    open();
    // Started from a track button: the track count is known without Play.
    main->temaClick(main->CdTrackButtons[2]);
    EXPECT_TRUE(playingShown());
    EXPECT_TRUE(main->CdTrackButtons[2]->autoRaise());
    EXPECT_EQ(drive->lastPlayFrom(), 150 * F);
    main->SpeedButton42Click();
    EXPECT_EQ(drive->lastPlayFrom(), 0);
    main->SpeedButton42Click();
    EXPECT_EQ(drive->lastPlayFrom(), 60 * F);
    main->SpeedButton41Click();
    EXPECT_EQ(drive->lastPlayFrom(), 0);
    main->SpeedButton41Click();
    EXPECT_EQ(drive->lastPlayFrom(), 150 * F);
    EXPECT_TRUE(main->Timer1->isActive());
    EXPECT_TRUE(scripted().messages().empty());
}

TEST_F(CdPlayerTest, FastForwardAndRewindKeepInsideTheDisc) {
    open();
    main->SpeedButton38Click();
    wait(100);
    main->SpeedButton40Click();
    EXPECT_EQ(positionSeconds(), 110);
    wait(65);   // 175 s: within 10 s of the end
    main->SpeedButton40Click();
    EXPECT_EQ(drive->lastPlayFrom(), 175 * F);

    // One-time mode beeps at every rewind; near the start it does not seek.
    main->SpeedButton39Click();
    EXPECT_EQ(drive->lastPlayFrom(), 165 * F);
    EXPECT_EQ(beeps, 1);
    main->temaClick(main->tema);
    wait(5);
    const int plays = drive->playCount();
    main->SpeedButton39Click();
    EXPECT_EQ(beeps, 2);
    EXPECT_EQ(drive->playCount(), plays);

    // Continuous mode jumps to 10 s before the end.
    main->cdmode2Click();
    EXPECT_EQ(main->CdPlayMode, 2);
    EXPECT_TRUE(main->cdmode2->autoRaise());
    EXPECT_FALSE(main->cdmode1->autoRaise());
    main->SpeedButton39Click();
    EXPECT_EQ(drive->lastPlayFrom(), 170 * F);
    EXPECT_EQ(beeps, 2);
}

TEST_F(CdPlayerTest, EndOfDiscStopsOrStartsAgainByMode) {
    open();
    main->temaClick(main->CdTrackButtons[2]);
    wait(31);   // the drive has stopped at the end by itself
    main->Timer1Timer();
    EXPECT_FALSE(playingShown());
    EXPECT_FALSE(main->Timer1->isActive());
    EXPECT_EQ(text(main->Label4), "0:00:00");
    EXPECT_EQ(text(main->Label5), "0");

    main->cdmode2Click();
    main->temaClick(main->CdTrackButtons[2]);
    wait(31);
    const int plays = drive->playCount();
    main->Timer1Timer();
    EXPECT_EQ(drive->playCount(), plays + 1);
    EXPECT_EQ(drive->lastPlayFrom(), 0);
    EXPECT_TRUE(playingShown());

    // A length with frames: the last second is reached while still playing.
    load({{10 * F + 30, true}});
    main->mostrar_lista_botones();
    main->cdmode1Click();
    main->temaClick(main->tema);
    wait(10);
    ASSERT_EQ(status().mode, CdMode::Playing);
    main->Timer1Timer();
    EXPECT_EQ(status().mode, CdMode::Stopped);
    EXPECT_FALSE(playingShown());
}

TEST_F(CdPlayerTest, PollSurvivesOutsidePlayAndTracksWithoutButtons) {
    open();
    drive->play(100 * F, 180 * F);   // started by another program
    main->Label8->setText("x");
    main->Timer1Timer();
    EXPECT_EQ(text(main->Label4), "00:00:00");
    EXPECT_EQ(text(main->Label5), "2");
    EXPECT_EQ(text(main->Label8), "x");
    // A disc changed under the player: track 3 has no button yet.
    main->SpeedButton38Click();
    main->CdTrackButtons.resize(1);
    main->SpeedButton41Click();   // track 1 to the last
    main->Timer1Timer();
    EXPECT_EQ(text(main->Label5), "3");
    // Hidden panel: the poll switches itself off.
    main->Panel2->hide();
    main->Timer1->start();
    main->Timer1Timer();
    EXPECT_FALSE(main->Timer1->isActive());
}

TEST_F(CdPlayerTest, EjectOpensAndClosesTheTray) {
    open();
    main->SpeedButton38Click();
    main->SpeedButton43Click();
    EXPECT_TRUE(drive->doorOpen());
    EXPECT_FALSE(playingShown());
    EXPECT_EQ(text(main->Label10), "0:00:00");
    main->SpeedButton43Click();
    EXPECT_FALSE(drive->doorOpen());
    EXPECT_TRUE(scripted().messages().empty());
}

TEST_F(CdPlayerTest, ErrorsShowTheDeviceText) {
    load({{60 * F, true}, {60 * F, false}, {60 * F, true}});
    open();
    // Track 2 holds data, which ends the music: said, and the player stays
    // stopped.
    main->temaClick(main->CdTrackButtons[1]);
    EXPECT_TRUE(scripted().sawMessage(mciGetErrorString(kCdOutOfRange)));
    EXPECT_FALSE(playingShown());
    EXPECT_EQ(main->MciErrorText, mciGetErrorString(kCdOutOfRange));

    drive->setDoor(true);
    main->SpeedButton36Click();
    EXPECT_TRUE(scripted().sawMessage(mciGetErrorString(kCdNoDisc)));
}

TEST_F(CdPlayerTest, CommandLineCdPlaysTheFirstTrack) {
    start({"-CD"});
    EXPECT_FALSE(main->Panel2->isHidden());
    EXPECT_TRUE(playingShown());
    EXPECT_EQ(status().mode, CdMode::Playing);
    EXPECT_EQ(drive->lastPlayFrom(), 0);
    EXPECT_TRUE(main->tema->autoRaise());
    EXPECT_EQ(main->childCount(), 0);
}

TEST_F(CdPlayerTest, CommandLineCdWithoutDiscSaysSoOnce) {
    drive->removeDisc();
    start({"-CD"});
    EXPECT_TRUE(main->Panel2->isHidden());
    EXPECT_EQ(scripted().messages().size(), 1u);
}

TEST_F(CdPlayerTest, ExitAsksAboutThePlayingCd) {
    open();
    main->SpeedButton38Click();
    scripted().answer(mrYes);
    scripted().answer(mrNo);
    EXPECT_FALSE(main->FormCloseQuery());
    EXPECT_EQ(status().mode, CdMode::Playing);
    scripted().answer(mrYes);
    scripted().answer(mrYes);
    EXPECT_TRUE(main->FormCloseQuery());
    EXPECT_TRUE(scripted().sawMessage("The CD is playing. Do you still want to exit?"));
    EXPECT_EQ(status().mode, CdMode::Stopped);
    EXPECT_FALSE(playingShown());
}

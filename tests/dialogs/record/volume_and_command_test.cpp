// The volume-control button and the main window's Record command.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QCoreApplication>

#include "mainwindow/SonvelaMain.h"
#include "mainwindow/SonvelaMain_record.h"
#include "platform/qt/volume_control.h"
#include "sound/Sound.h"
#include "tests/dialogs/record/record_fixture.h"

namespace sv::test {
namespace {

class VolumeControl : public ::testing::Test {
protected:
    std::vector<std::string> tried;
    void TearDown() override { setProgramStarter(nullptr); }
};

TEST_F(VolumeControl, NoMixerFoundSaysSo) {
    setProgramStarter([this](const VolumeControlCommand& c) {
        tried.push_back(c.program);
        return false;
    });
    TRecordNewSoundfrm f;
    f.SpeedButton2Click();
    EXPECT_EQ(scripted().messages(), std::vector<std::string>{"Volume control not found."});
    EXPECT_EQ(tried.size(), volumeControlCommands().size());
    EXPECT_EQ(tried.front(), "pavucontrol");
}

TEST_F(VolumeControl, TheFirstMixerThatStartsWins) {
    setProgramStarter([this](const VolumeControlCommand& c) {
        tried.push_back(c.program);
        return tried.size() == 2;
    });
    openVolumeControl();
    EXPECT_TRUE(scripted().log.empty());
    EXPECT_EQ(tried.size(), 2u);
}

using RecordCommand = RecordTest;

TEST_F(RecordCommand, ARecordingOpensInTheEditor) {
    TSVMainfrm main;
    installRecordCommands(&main);
    EXPECT_TRUE(main.hasHandler("SpeedButton15Click"));

    f = std::make_unique<TRecordNewSoundfrm>(&main, [&main](const std::string& n) { main.ObrirFitxer(false, n); });
    choose(1, 1, 1);
    f->ObriraSV->setChecked(true);
    const std::string path = target("opened.wav");
    f->gravarClick();
    capture(500);
    f->pararClick();
    ASSERT_EQ(main.childCount(), 1);
    TSoundfrm* s = main.activeSound();
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->FrameCount(), 500 * 22050 / 1000);
    EXPECT_EQ(s->Sound.format, SampleFormat::pcm(22050, 16, 2));
    for (TSoundfrm* w : main.soundWindows()) {
        w->Modified = false;
        w->closeWindow();
    }
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    f.reset();
}

} // namespace
} // namespace sv::test

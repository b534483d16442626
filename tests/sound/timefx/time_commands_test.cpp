// The time and delay effects reached through the main window's menu items:
// guards, dialogs answered through their modal loop, and the window's
// state afterwards (length, selection, status, undo).
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <QDialog>
#include <QSpinBox>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

#include <cmath>
#include <functional>

#include "dialogs/ChorusFlanger.h"
#include "dialogs/Echo.h"
#include "dialogs/ParamDialog.h"
#include "dialogs/Effects.h"
#include "dialogs/GapperGroove.h"
#include "dialogs/Resample.h"
#include "dialogs/Reverb.h"
#include "dialogs/SpeedUpDown.h"
#include "mainwindow/SonvelaMain.h"
#include "platform/activity.h"
#include "sound/Sound.h"
#include "tests/support/command_fixture.h"

using namespace sv;
using namespace sv::test;

namespace {

std::vector<uint8_t> mono8(int frames) {
    std::vector<uint8_t> out;
    for (int i = 0; i < frames; ++i) out.push_back(uint8_t(127 + int(100 * std::sin(i * 0.05))));
    return out;
}

class TimeCommands : public CommandTest {
protected:
    void SetUp() override {
        CommandTest::SetUp();
        // The guards are part of what is tested here: a disabled item is
        // chosen and must do nothing.
        triggerNeedsEnabled = false;
    }
    void open(int frames, int64_t start, int64_t length) {
        openSelected(canonicalWave(22050, 8, 1, mono8(frames)), start, length);
    }
    void expectGrownAndUndoable(int64_t frames, int64_t selection) {
        EXPECT_EQ(w->FrameCount(), frames);
        EXPECT_EQ(w->SelectionLength, selection);
        EXPECT_EQ(main->SoundLength, frames);
        EXPECT_EQ(main->Edit3->text(), QString::number(selection));
        EXPECT_EQ(w->StatusPanels[1]->text(), QString::number(frames) + " Samples");
        EXPECT_TRUE(w->Modified);
        EXPECT_EQ(activity(), Activity::Idle);
        ASSERT_TRUE(w->deshacer());
        EXPECT_EQ(bytesNow(), before);
    }
};

TEST_F(TimeCommands, ChoppersNeedASelectionAndGrowIt) {
    open(3000, 100, 0);
    trigger("N19");
    EXPECT_EQ(bytesNow(), before);
    EXPECT_FALSE(w->Modified);
    w->setSelection(100, 1000);
    w->FormActivate();
    trigger("N19");   // period 400 at 22050 Hz: two runs of 400
    expectGrownAndUndoable(3800, 1800);
}

TEST_F(TimeCommands, EffectsListRunsTheRoboticVoice) {
    open(3000, 0, 900);
    answer([](QDialog* d) {
        auto* f = static_cast<TEffectsfrm*>(d);
        f->ComboBox1->setCurrentIndex(1);
        f->ComboBox1Click();
        f->Button1Click();
    });
    auto* bar = main->addToolBar("test");
    QToolButton* button = main->addButton(bar, "SpeedButton11", "Effects", "Effects", "Efectos1");
    button->setEnabled(true);
    button->click();
    QCoreApplication::processEvents();
    expectGrownAndUndoable(3000 + 2 * 100, 900 + 200);
}

TEST_F(TimeCommands, EchoCancelAndOk) {
    open(3000, 2500, 400);
    answer([](QDialog* d) { static_cast<TEchofrm*>(d)->Button2Click(); });
    trigger("Eco1");
    EXPECT_FALSE(w->Modified);
    answer([](QDialog* d) { static_cast<TEchofrm*>(d)->Button1Click(); });   // 50 ms = 1102 frames
    trigger("Eco1");
    expectGrownAndUndoable(2500 + 400 + 1102, 400);
}

TEST_F(TimeCommands, GapperSpeedAndResample) {
    open(3000, 0, 1000);
    answer([](QDialog* d) {
        auto* f = static_cast<TGapperFrm*>(d);
        f->rg1->setItemIndex(1);
        f->rg1Click();
        f->Gaplength->setValue(10);
        f->Gapinterval->setValue(300);
        f->Button1Click();
    });
    trigger("Gapper1");
    expectGrownAndUndoable(3030, 1030);

    answer([](QDialog* d) {
        auto* f = static_cast<TSpeedUpDownfrm*>(d);
        f->Button3Click();
        f->Button1Click();
    });
    trigger("Cambiarvelocidad1");
    expectGrownAndUndoable(4000, 2000);

    answer([](QDialog* d) {
        auto* f = static_cast<TResamplefrm*>(d);
        f->ComboBox1->setCurrentIndex(1);
        f->ComboBox1Change();
        f->ComboBox2->setCurrentIndex(2);
        f->ComboBox2Change();
        f->Button1Click();
    });
    trigger("Resamplear1");
    EXPECT_EQ(w->SampleFormat.wBitsPerSample, 16);
    EXPECT_EQ(w->StatusPanels[3]->text(), "44100 Hz");
    EXPECT_EQ(w->FrameCount(), 6000);
    EXPECT_EQ(w->SelectionLength, 6000);
    ASSERT_TRUE(w->deshacer());
    EXPECT_EQ(bytesNow(), before);
    EXPECT_EQ(w->SampleFormat.nSamplesPerSec, 22050u);
}

TEST_F(TimeCommands, ReverbAndFlangerFromTheirDialogs) {
    open(3000, 1000, 500);
    answer([](QDialog* d) {
        auto* f = static_cast<TReverbfrm*>(d);
        f->CheckBox1->click();   // the low pass runs inside the reverb's step
        f->Button1Click();
    });
    trigger("Reverberar1");
    EXPECT_TRUE(w->Modified);
    EXPECT_EQ(w->Undo->stepCount(), 1u);
    EXPECT_EQ(w->SelectionLength, 500 + 11025);
    ASSERT_TRUE(w->deshacer());
    EXPECT_EQ(bytesNow(), before);

    answer([](QDialog* d) { static_cast<TFlangerfrm*>(d)->Button1->click(); });
    trigger("Flanger1");
    EXPECT_NE(bytesNow(), before);
    EXPECT_EQ(w->FrameCount(), 3000);
    ASSERT_TRUE(w->deshacer());
    EXPECT_EQ(bytesNow(), before);
}

TEST_F(TimeCommands, AfterAReverbTheBytesAreThoseOfTheSoundAsAWave) {
    // A file with a chunk besides the samples: its size is not the sound's.
    const auto list = chunk("LIST", std::vector<uint8_t>(30, 'x'));
    openSelected(chunkedWave(22050, 8, 1, mono8(3000), list, {}), 1000, 500);
    ASSERT_EQ(w->StatusPanels[0]->text(), QString::number(44 + 38 + 3000) + " Bytes");
    answer([](QDialog* d) { static_cast<TReverbfrm*>(d)->Button1Click(); });
    trigger("Reverberar1");
    ASSERT_GT(w->FrameCount(), 3000);
    EXPECT_EQ(w->StatusPanels[0]->text(), QString::number(w->FrameCount() + 44) + " Bytes");
}

} // namespace

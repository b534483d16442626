// The amplitude effects reached through the main window's menu items and
// the "Effects" button: guards, dialogs answered through their modal loop,
// and the window's state after the effect.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTimer>
#include <QToolBar>

#include <cmath>
#include <cstring>
#include <functional>

#include "dialogs/AmplifyVolume.h"
#include "dialogs/Effects.h"
#include "dialogs/FadeInOut.h"
#include "dialogs/NoiseGate.h"
#include "dialogs/ParamDialog.h"
#include "dialogs/TravellingStereo.h"
#include "mainwindow/SonvelaMain.h"
#include "platform/activity.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "sound/Sound.h"
#include "tests/support/command_fixture.h"

using namespace sv;
using namespace sv::test;

namespace {

void put16(std::vector<uint8_t>& v, int x) {
    v.push_back(uint8_t(x & 0xFF));
    v.push_back(uint8_t((x >> 8) & 0xFF));
}

// Loud enough for the threshold effects (their presets sit at 50 x 256),
// with an offset in each channel, and a quiet stretch (frames 1500..1699)
// for the noise gate.
std::vector<uint8_t> stereo16(int frames) {
    std::vector<uint8_t> out;
    for (int i = 0; i < frames; ++i) {
        int l = int(4000 + 16000 * std::sin(i * 0.031));
        int r = int(-3000 + 15000 * std::sin(i * 0.047));
        if (i >= 1500 && i < 1700) l = r = 100;
        put16(out, l);
        put16(out, r);
    }
    return out;
}

std::vector<uint8_t> mono8(int frames) {
    std::vector<uint8_t> out;
    for (int i = 0; i < frames; ++i) out.push_back(uint8_t(127 + int(100 * std::sin(i * 0.05))));
    return out;
}

class AmplitudeCommands : public CommandTest {
protected:
    void open(const std::vector<uint8_t>& wave, int64_t start, int64_t length) {
        openSelected(wave, start, length);
        ASSERT_EQ(main->Edit3->text(), QString::number(length));
    }
    void openStereo() { open(canonicalWave(22050, 16, 2, stereo16(6000)), 1000, 2000); }

    void expectApplied(const char* item) {
        CommandTest::expectApplied(item);
        EXPECT_EQ(w->StatusPanels[5]->text(), "Modified") << item;
    }
    // Undo gives back exactly the bytes from before the effect.
    void expectUndoRestores(const char* item) {
        ASSERT_TRUE(w->deshacer()) << item;
        EXPECT_EQ(bytesNow(), before) << item;
    }
};

// ---- commands without a dialog ----

TEST_F(AmplitudeCommands, PlainCommandsChangeTheSelectionWithAnUndoStep) {
    for (const char* item : {"Maximizaronda1", "Forzarsilencio1", "Cambiarcanales1", "Girar1", "Invertir1",
                             "Eliminaroffset1", "HardMetallitzation1", "SoftMetallization1"}) {
        SCOPED_TRACE(item);
        openStereo();
        trigger(item);
        expectApplied(item);
        expectUndoRestores(item);
        w->Modified = false;
        w->closeWindow();
        flushDeletes();
    }
    EXPECT_EQ(expectedDialogs, 0);
}

TEST_F(AmplitudeCommands, NormalizeBringsThePeakToFullScale) {
    openStereo();
    trigger("Maximizaronda1");
    int peak = 0;
    const int64_t first = w->SelectionStart * 2, n = w->SelectionLength * 2;
    for (int64_t i = first; i < first + n; ++i) {
        const int16_t v = int16_t(w->Sound.bytes.data()[size_t(2 * i)] | (w->Sound.bytes.data()[size_t(2 * i + 1)] << 8));
        peak = std::max(peak, std::abs(int(v)));
    }
    EXPECT_GE(peak, 32766);
    EXPECT_LE(peak, 32767);
}

TEST_F(AmplitudeCommands, ForceSilenceWritesZeroes) {
    openStereo();
    trigger("Forzarsilencio1");
    const size_t a = size_t(w->SelectionStart * 4), b = size_t((w->SelectionStart + w->SelectionLength) * 4);
    for (size_t i = a; i < b; ++i) ASSERT_EQ(w->Sound.bytes.data()[i], 0) << i;
}

TEST_F(AmplitudeCommands, StereoOnlyCommandsLeaveAMonoSoundAlone) {
    open(canonicalWave(11025, 8, 1, mono8(3000)), 100, 1000);
    trigger("Cambiarcanales1");
    expectUntouched("Cambiarcanales1");
    trigger("Travellingstereo1");   // asks nothing on a mono sound
    expectUntouched("Travellingstereo1");
    EXPECT_EQ(expectedDialogs, 0);
    // An 8-bit sound goes through the same route.
    trigger("Girar1");
    expectApplied("Girar1");
    expectUndoRestores("Girar1");
}

TEST_F(AmplitudeCommands, UndoStepThatCannotBeWrittenIsReportedAndChangesNothing) {
    openStereo();
    struct Reset { ~Reset() { setCreateFaultHook(nullptr); } } reset;
    // Undo files start with '~'.
    setCreateFaultHook([](const std::string& path) { return extractFileName(path).rfind('~', 0) == 0 ? ENOSPC : 0; });
    trigger("Girar1");
    ASSERT_EQ(scripted().messages().size(), 1u);
    expectUntouched("Girar1");
    EXPECT_EQ(activity(), Activity::Idle);
    EXPECT_FALSE(w->ProgressBar1->isVisible());
}

// ---- guards ----

TEST_F(AmplitudeCommands, SelectionCommandsDoNothingWithoutALengthInEdit3) {
    openStereo();
    main->Edit3->setText("0");
    for (const char* item : {"Amplificarvolumen1", "Fadein1", "Fadeout1", "Forzarsilencio1", "Cambiarcanales1",
                             "Girar1", "Invertir1", "Travellingstereo1", "Eliminaroffset1", "NoiseGate1",
                             "NoiseGateFilter1", "HardMetallitzation1", "SoftMetallization1", "Compressor1",
                             "ElectricGuitarDistortion1", "Expander1"}) {
        cancelNext();   // would answer a dialog that must not come up
        trigger(item);
        expectUntouched(item);
    }
    EXPECT_EQ(expectedDialogs, 0);
}

TEST_F(AmplitudeCommands, NormalizeNeedsOnlyASoundWindow) {
    openStereo();
    main->Edit3->setText("0");
    trigger("Maximizaronda1");
    expectApplied("Maximizaronda1");
}

TEST_F(AmplitudeCommands, WithoutASoundWindowNothingHappens) {
    for (const char* item : {"Maximizaronda1", "Amplificarvolumen1", "Fadein1", "Compressor1", "NoiseGate1"}) {
        cancelNext();
        trigger(item);
    }
    EXPECT_EQ(expectedDialogs, 0);
}

TEST_F(AmplitudeCommands, EffectsDialogCommandsHoldOffTheCdTimerOthersDoNot) {
    openStereo();
    // The CD panel is not showing: after a guarded command the timer stays
    // off; a command without that guard leaves it running.
    main->Timer1->start();
    cancelNext();
    trigger("Compressor1");
    EXPECT_FALSE(main->Timer1->isActive());
    main->Timer1->start();
    cancelNext();
    trigger("Amplificarvolumen1");
    EXPECT_TRUE(main->Timer1->isActive());
    main->Timer1->stop();
}

// ---- commands with a dialog: OK ----

TEST_F(AmplitudeCommands, AmplifyTakesTheChosenGain) {
    openStereo();
    answer([](QDialog*) { AmplifyVolumefrm->RadioGroup1->button(1)->click(); AmplifyVolumefrm->Button1->click(); });
    trigger("Amplificarvolumen1");
    EXPECT_EQ(expectedDialogs, 1);
    expectApplied("Amplificarvolumen1");
    // Half volume: the first selected left sample is halved, truncated.
    const size_t at = size_t(w->SelectionStart * 4);
    const int16_t was = int16_t(before[at] | (before[at + 1] << 8));
    const int16_t now = int16_t(w->Sound.bytes.data()[at] | (w->Sound.bytes.data()[at + 1] << 8));
    EXPECT_EQ(now, int16_t(was / 2));
    expectUndoRestores("Amplificarvolumen1");
}

TEST_F(AmplitudeCommands, FadesRunWithTheDialogsPercent) {
    for (const char* item : {"Fadein1", "Fadeout1"}) {
        SCOPED_TRACE(item);
        openStereo();
        answer([](QDialog*) { FadeInOutfrm->TrackBar1->setValue(0); FadeInOutfrm->Button1->click(); });
        trigger(item);
        expectApplied(item);
        // A fade in from 0 silences the first selected sample; a fade out to
        // 0 leaves the last at a level of one step above 0.
        const bool in = std::string(item) == "Fadein1";
        const int64_t frame = in ? w->SelectionStart : w->SelectionStart + w->SelectionLength - 1;
        const size_t at = size_t(frame * 4) + (in ? 0 : 2);
        const int now = int16_t(w->Sound.bytes.data()[at] | (w->Sound.bytes.data()[at + 1] << 8));
        if (in) EXPECT_EQ(now, 0);
        else EXPECT_LE(std::abs(now), 10);
        expectUndoRestores(item);
        w->Modified = false;
        w->closeWindow();
        flushDeletes();
    }
    EXPECT_EQ(expectedDialogs, 2);
}

TEST_F(AmplitudeCommands, TravellingStereoAsksItsOwnDialog) {
    openStereo();
    answer([](QDialog* d) {
        auto* f = qobject_cast<TTravellingStereofrm*>(d);
        ASSERT_NE(f, nullptr);
        f->TrackBar1->setValue(30);
        f->Button1->click();
    });
    trigger("Travellingstereo1");
    EXPECT_EQ(expectedDialogs, 1);
    expectApplied("Travellingstereo1");
    expectUndoRestores("Travellingstereo1");
}

TEST_F(AmplitudeCommands, NamedEffectsOpenTheEffectsDialogWithTheirPreset) {
    for (const char* item : {"Compressor1", "ElectricGuitarDistortion1", "Expander1"}) {
        SCOPED_TRACE(item);
        openStereo();
        QString title;
        int threshold = -1;
        answer([&](QDialog*) {
            title = Effectsfrm->EffectName;
            threshold = Effectsfrm->Threshold;
            Effectsfrm->Button1->click();
        });
        trigger(item);
        EXPECT_EQ(threshold, 50);
        expectApplied(item);
        expectUndoRestores(item);
        w->Modified = false;
        w->closeWindow();
        flushDeletes();
    }
    EXPECT_EQ(expectedDialogs, 3);
}

TEST_F(AmplitudeCommands, NoiseGateFromBothMenus) {
    for (const char* item : {"NoiseGate1", "NoiseGateFilter1"}) {
        SCOPED_TRACE(item);
        openStereo();
        answer([](QDialog* d) {
            auto* f = qobject_cast<TNoiseGatefrm*>(d);
            ASSERT_NE(f, nullptr);
            f->Button1->click();   // threshold 10, time 2, residual 0
        });
        trigger(item);
        expectApplied(item);
        // The quiet stretch in the middle of the selection is gated to 0.
        const size_t at = size_t(1600 * 4);
        EXPECT_EQ(w->Sound.bytes.data()[at], 0);
        EXPECT_EQ(w->Sound.bytes.data()[at + 1], 0);
        expectUndoRestores(item);
        w->Modified = false;
        w->closeWindow();
        flushDeletes();
    }
    EXPECT_EQ(expectedDialogs, 2);
}

// ---- commands with a dialog: Cancel ----

TEST_F(AmplitudeCommands, CancelledDialogsLeaveTheSoundAndWriteNoStep) {
    openStereo();
    for (const char* item : {"Amplificarvolumen1", "Fadein1", "Fadeout1", "Travellingstereo1", "Compressor1",
                             "ElectricGuitarDistortion1", "Expander1", "NoiseGate1", "NoiseGateFilter1"}) {
        cancelNext();
        trigger(item);
        expectUntouched(item);
    }
    EXPECT_EQ(expectedDialogs, 9);
}

TEST_F(AmplitudeCommands, CancelButtonsToo) {
    openStereo();
    answer([](QDialog*) { AmplifyVolumefrm->TrackBar1->setValue(150); AmplifyVolumefrm->Button2->click(); });
    trigger("Amplificarvolumen1");
    answer([](QDialog*) { FadeInOutfrm->TrackBar1->setValue(10); FadeInOutfrm->Button2->click(); });
    trigger("Fadeout1");
    answer([](QDialog*) { Effectsfrm->TrackBar1->setValue(20); Effectsfrm->Button2->click(); });
    trigger("Compressor1");
    answer([](QDialog* d) { qobject_cast<TNoiseGatefrm*>(d)->Button2->click(); });
    trigger("NoiseGate1");
    EXPECT_EQ(expectedDialogs, 4);
    expectUntouched("cancel buttons");
}

// ---- the "Effects" button ----

class EffectsButton : public AmplitudeCommands {
protected:
    QToolButton* button = nullptr;
    void SetUp() override {
        AmplitudeCommands::SetUp();
        auto* bar = main->addToolBar("test");
        button = main->addButton(bar, "SpeedButton11", "Effects", "Effects", "Efectos1");
        button->setEnabled(true);
    }
    // Picks an effect of the list and presses OK.
    void choose(int index, int thresholdPos = -1) {
        answer([index, thresholdPos](QDialog*) {
            Effectsfrm->ComboBox1->setCurrentIndex(index);
            Effectsfrm->ComboBox1Click();
            if (thresholdPos >= 0) Effectsfrm->TrackBar1->setValue(thresholdPos);
            Effectsfrm->Button1->click();
        });
    }
    void press() {
        button->click();
        QCoreApplication::processEvents();
    }
};

TEST_F(EffectsButton, RunsTheChosenAmplitudeEffect) {
    for (int index : {2, 3, 4, 5, 6, 7}) {
        SCOPED_TRACE(index);
        openStereo();
        choose(index);
        press();
        expectApplied("Efectos1");
        expectUndoRestores("Efectos1");
        w->Modified = false;
        w->closeWindow();
        flushDeletes();
    }
    EXPECT_EQ(expectedDialogs, 6);
}

TEST_F(EffectsButton, RunsTheTimeAndQuantifierEffectsToo) {
    for (int index : {1, 8, 9, 10}) {
        SCOPED_TRACE(index);
        openStereo();
        choose(index, 50);
        press();
        EXPECT_TRUE(w->Modified);
        EXPECT_TRUE(w->undoAvailable());
        w->Modified = false;
        w->closeWindow();
        flushDeletes();
    }
    EXPECT_EQ(expectedDialogs, 4);
}

TEST_F(EffectsButton, CancelAndGuards) {
    openStereo();
    cancelNext();
    press();
    expectUntouched("Efectos1 cancelled");
    EXPECT_EQ(expectedDialogs, 1);
    main->Edit3->setText("0");
    cancelNext();
    press();
    EXPECT_EQ(expectedDialogs, 1);
    expectUntouched("Efectos1 without a selection");
}

} // namespace

// The filter, noise and analysis commands reached through the main window's
// menu items and tool buttons: guards, dialogs answered inside their modal
// loop, and the sound window's state afterwards.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QMenu>
#include <QPushButton>
#include <QScrollBar>
#include <QSlider>
#include <QTimer>
#include <QToolButton>
#include <QTest>

#include <cmath>
#include <cstring>
#include <functional>

#include "dialogs/CustomizedFilter.h"
#include "dialogs/Equalize.h"
#include "dialogs/FilterBank.h"
#include "dialogs/FrequencyShift.h"
#include "dialogs/Gaussian.h"
#include "dialogs/Histogram.h"
#include "dialogs/ParamDialog.h"
#include "dialogs/VoiceCleaner.h"
#include "dialogs/stsa.h"
#include "dialogs/wavelet.h"
#include "mainwindow/SonvelaMain.h"
#include "platform/activity.h"
#include "sound/Sound.h"
#include "sound/engine/effects/filters.h"
#include "sound/fft_state.h"
#include "tests/support/command_fixture.h"

using namespace sv;
using namespace sv::test;

namespace {

std::vector<uint8_t> stereo16(int frames) {
    std::vector<uint8_t> out;
    for (int i = 0; i < frames; ++i) {
        for (int v : {int(9000 * std::sin(i * 0.05)) + (i % 7 == 0 ? 6000 : 0), int(7000 * std::sin(i * 0.11))}) {
            out.push_back(uint8_t(v & 0xFF));
            out.push_back(uint8_t((v >> 8) & 0xFF));
        }
    }
    return out;
}

class FilterCommands : public CommandTest {
protected:
    void open(int64_t start, int64_t length, int bits = 16) {
        std::vector<uint8_t> data = stereo16(6000);
        if (bits == 8) {
            data.clear();
            for (int i = 0; i < 6000; ++i) data.push_back(uint8_t(127 + int(90 * std::sin(i * 0.05)) + (i % 7 == 0 ? 30 : 0)));
        }
        openSelected(canonicalWave(22050, bits, bits == 8 ? 1 : 2, data), start, length);
    }
    void click(const char* button) {
        QToolButton* b = main->button(button);
        ASSERT_NE(b, nullptr) << button;
        b->click();
        QCoreApplication::processEvents();
    }
    void reopen(int64_t start, int64_t length, int bits = 16) {
        w->Modified = false;
        w->closeWindow();
        flushDeletes();
        open(start, length, bits);
    }
};

} // namespace

TEST_F(FilterCommands, PlainFiltersChangeTheSelectionAndUndoRestoresIt) {
    open(1000, 2000);
    for (const char* item : {"Filtromediana1", "Filtrodemedia1", "EdgeEnhancement1", "RestFilter1",
                             "Filtromejorado1", "FiltroCopalta1", "Adduniformnoise1", "AddNoise1"}) {
        SCOPED_TRACE(item);
        trigger(item);
        expectApplied(item);
        ASSERT_TRUE(w->deshacer());
        EXPECT_EQ(bytesNow(), before);
        reopen(1000, 2000, 8);
        trigger(item);
        expectApplied(item);
        reopen(1000, 2000);
    }
    EXPECT_EQ(expectedDialogs, 0);
}

TEST_F(FilterCommands, SelectionGuardAndToolButtons) {
    open(1000, 0);
    trigger("Filtromediana1");         // needs a selection
    trigger("RestFilter1");
    expectUntouched("guard S");
    w->setSelection(0, 0);
    trigger("FiltroCopalta1");         // a cursor at the start: nothing to filter
    expectUntouched("empty");

    reopen(100, 3000);
    click("SpeedButton27");            // the median button runs the median item
    expectApplied("SpeedButton27");
    reopen(100, 3000);
    click("SpeedButton30");            // low pass 5 kHz through the spectral engine
    expectApplied("SpeedButton30");
}

TEST_F(FilterCommands, FilterMenuCarriesTheNoiseSubmenuEnabledWithASelection) {
    open(0, 100);
    QMenu* noise = nullptr;
    for (QAction* a : main->Filtros1->actions())
        if (a->menu() && a->menu()->objectName() == "Addnoise1") noise = a->menu();
    ASSERT_NE(noise, nullptr);
    EXPECT_EQ(noise->title(), "Add &noise");
    EXPECT_EQ(noise->actions().size(), 4);
    main->Edit3->setText("0");
    emit main->Filtros1->aboutToShow();
    EXPECT_FALSE(noise->isEnabled());
    main->Edit3->setText("100");
    emit main->Filtros1->aboutToShow();
    EXPECT_TRUE(noise->isEnabled());
    EXPECT_TRUE(main->item("WaveletDenoising1")->isEnabled());
}

TEST_F(FilterCommands, NoiseDialogsCancelChangesNothingOkApplies) {
    open(0, 4000);
    for (const char* item : {"Addgaussiannoise1", "Addpinknoise1", "Addspecklenoise1"}) {
        SCOPED_TRACE(item);
        cancelNext();
        trigger(item);
        expectUntouched(item);
        answer([](QDialog* d) { static_cast<TGaussianfrm*>(d)->Button1Click(); });
        trigger(item);
        expectApplied(item);
        reopen(0, 4000);
    }
    EXPECT_EQ(expectedDialogs, 6);
}

TEST_F(FilterCommands, CustomizedFilterRefusesShortSelectionsAndRunsAfterOk) {
    open(10, 7);
    answer([](QDialog* d) { d->done(mrOk); });
    trigger("CustomizedFilterSB");
    EXPECT_TRUE(scripted().sawMessage(kCustomizedFilterTooShort));
    expectUntouched("seven frames");

    reopen(10, 3000);
    cancelNext();
    trigger("CustomizedFilterSB");
    expectUntouched("cancel");
    answer([](QDialog* d) {
        auto* f = static_cast<TCustomizedFilterfrm*>(d);
        f->RetroalimentationCB->setChecked(true);
        f->done(mrOk);
    });
    trigger("CustomizedFilterSB");
    expectApplied("customized");
}

TEST_F(FilterCommands, WaveletLeftWithEscapeOrAZeroThresholdChangesNothing) {
    open(0, 4000);
    answer([](QDialog* d) { QTest::keyClick(d, Qt::Key_Escape); });
    trigger("WaveletDenoising1");
    expectUntouched("escape");
    EXPECT_EQ(w->StatusPanels[5]->text(), "Saved");
    // OK with the threshold slider at a position.
    const auto denoiseAt = [this](int position) {
        answer([position](QDialog* d) {
            auto* f = static_cast<Twaveletfrm*>(d);
            f->lambda->setValue(position);
            f->Button1Click();
        });
        trigger("WaveletDenoising1");
    };
    denoiseAt(0);
    expectUntouched("zero threshold");
    // A sound modified before stays so.
    w->Modified = true;
    cancelNext();
    trigger("WaveletDenoising1");
    EXPECT_TRUE(w->Modified);
    EXPECT_FALSE(w->undoAvailable());

    reopen(0, 4000);
    denoiseAt(300);
    expectApplied("wavelet");
    ASSERT_TRUE(w->deshacer());
    EXPECT_EQ(bytesNow(), before);
}

TEST_F(FilterCommands, HistogramShowsTheStatisticsAndChangesNothing) {
    open(0, 6000, 8);
    QString average;
    answer([&average](QDialog* d) {
        average = static_cast<THistogramfrm*>(d)->Label4->text();
        d->accept();
    });
    trigger("Histogram1");
    double sum = 0;
    for (uint8_t b : before) sum += b;
    EXPECT_EQ(average, "Average = " + QString::number(sum / double(before.size()), 'g', 15));
    expectUntouched("histogram");
}

TEST_F(FilterCommands, FilterBankEqualizerAndQuantifier) {
    open(0, 5000);
    cancelNext();
    trigger("BancodeFiltros1");
    expectUntouched("bank cancel");
    answer([](QDialog* d) {
        auto* f = static_cast<TFilterBankfrm*>(d);
        f->ListBox1Click(3);
        f->Button1Click();
    });
    trigger("BancodeFiltros1");
    expectApplied("bank");

    reopen(0, 5000);
    cancelNext();
    trigger("Ecualizar1");
    expectUntouched("equalize cancel");
    answer([](QDialog* d) {
        auto* f = static_cast<TEqualizefrm*>(d);
        for (QScrollBar* b : f->ScrollBars) b->setValue(50);   // -20 dB everywhere
        f->Button1Click();
    });
    trigger("Ecualizar1");
    expectApplied("equalize");

    reopen(0, 5000);
    cancelNext();
    trigger("Quantifier1");
    expectUntouched("quantifier cancel");
}

TEST_F(FilterCommands, VoiceCleanerRunsOnlyTheTickedSteps) {
    open(0, 5000);
    cancelNext();
    trigger("VoiceCleaner1");
    expectUntouched("cancel");
    answer([](QDialog* d) {
        auto* f = static_cast<TVoiceCleanerfrm*>(d);
        for (QCheckBox* b : {f->cb0, f->cb1, f->cb2, f->cb3}) b->setChecked(false);
        f->done(mrOk);
    });
    trigger("VoiceCleaner1");
    expectApplied("normalize only");
    ASSERT_TRUE(w->deshacer());
    EXPECT_FALSE(w->undoAvailable());   // one step: the normalisation
}

TEST_F(FilterCommands, NoSoundWindowMeansNothingHappens) {
    for (const char* item : {"Filtromediana1", "Histogram1", "Adduniformnoise1", "VoiceCleaner1", "STSA1"}) {
        QAction* a = main->item(item);
        ASSERT_NE(a, nullptr);
        a->trigger();
    }
    QCoreApplication::processEvents();
    EXPECT_EQ(expectedDialogs, 0);
}

TEST_F(FilterCommands, StsaAndPitchChangeRunOnlyAfterOk) {
    open(0, 5000);
    cancelNext();
    trigger("STSA1");
    cancelNext();
    trigger("FrequencyShift1");
    expectUntouched("cancelled");
    answer([](QDialog* d) {
        auto* f = static_cast<Tstsaform*>(d);
        f->Edit1->setText("20");
        f->RadioButton2->setChecked(true);
        f->Button1Click();
    });
    trigger("STSA1");
    expectApplied("stsa");
    EXPECT_DOUBLE_EQ(FftArea().StsaNoisePower, 100);
    EXPECT_DOUBLE_EQ(FftArea().StsaUpperSnr, std::pow(10.0, 1.2));

    reopen(0, 5000);
    answer([](QDialog* d) {
        auto* f = static_cast<TFrequencyShiftfrm*>(d);
        f->tb1->setValue(-50);
        f->done(mrOk);
    });
    trigger("FrequencyShift1");
    expectApplied("pitch");
}

TEST_F(FilterCommands, CommandsThatCannotActOnThisSoundSayWhy) {
    // Reached with a cursor alone (a button or a menu that dropped down
    // while there was a selection): a message, no step, nothing modified.
    triggerNeedsEnabled = false;
    open(1000, 0);
    const std::pair<const char*, const char*> cases[] = {{"Filtroavanzado1", kSelectToFilter},
                                                          {"WaveletDenoising1", kSelectToDenoise}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.first);
        scripted().log.clear();
        trigger(c.first);
        EXPECT_EQ(scripted().messages(), std::vector<std::string>{c.second});
        expectUntouched(c.first);
    }
    EXPECT_EQ(expectedDialogs, 0);
}

TEST_F(FilterCommands, NoiseNeedsASelectionAndAsksNothingWithoutOne) {
    open(1000, 0);
    emit main->Filtros1->aboutToShow();
    emit main->Herramientas1->aboutToShow();
    for (const char* button : {"Uniform_SB", "Gaussian_SB", "Pink_SB", "Speckle_SB"})
        EXPECT_FALSE(main->button(button)->isEnabled()) << button;
    for (const char* item : {"Addnoise1", "Effects1"}) {
        QMenu* menu = main->findChild<QMenu*>(item);
        ASSERT_NE(menu, nullptr) << item;
        EXPECT_FALSE(menu->isEnabled()) << item;
    }
    // Reached all the same (a menu that dropped down while there was a
    // selection): no level dialog, no change.
    triggerNeedsEnabled = false;
    for (const char* item : {"Adduniformnoise1", "AddNoise1", "Addgaussiannoise1", "Addpinknoise1", "Addspecklenoise1"})
        trigger(item);
    expectUntouched("cursor only");
    EXPECT_EQ(expectedDialogs, 0);
    EXPECT_TRUE(scripted().log.empty());
}

TEST_F(FilterCommands, KaraokeLowersTheVoiceBandOfAMonoSoundWithTwoSteps) {
    open(1000, 2000, 8);   // mono
    trigger("Karaoke1");
    expectApplied("mono karaoke");
    EXPECT_TRUE(scripted().log.empty());
    ASSERT_TRUE(w->deshacer());
    ASSERT_TRUE(w->deshacer());   // the second step holds the same sound
    EXPECT_EQ(bytesNow(), before);
    EXPECT_FALSE(w->undoAvailable());
}

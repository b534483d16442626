// "Advanced &filter" through the main window: the dialog comes up from the
// engine, Cancel leaves the sound, OK filters it, and the plot buttons reach
// the active sound's spectrum.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <functional>

#include "dialogs/ParamDialog.h"
#include "mainwindow/SonvelaMain.h"
#include "mainwindow/SonvelaMain_advfilter.h"
#include "platform/activity.h"
#include "sound/AdvancedFilter.h"
#include "sound/Sound.h"
#include "sound/fft_state.h"
#include "tests/support/window_fixture.h"

using namespace sv;
using namespace sv::test;

namespace {

// 440 Hz and 4000 Hz at 22050 Hz, 16-bit mono.
std::vector<uint8_t> twoTones(int frames) {
    std::vector<uint8_t> out;
    for (int i = 0; i < frames; ++i) {
        const int v = int(8000 * std::sin(2 * M_PI * 440 * i / 22050.0) + 8000 * std::sin(2 * M_PI * 4000 * i / 22050.0));
        out.push_back(uint8_t(v & 0xFF));
        out.push_back(uint8_t((v >> 8) & 0xFF));
    }
    return out;
}

class AdvancedFilterCommand : public WindowTest {
protected:
    TSoundfrm* w = nullptr;
    std::vector<uint8_t> before;
    bool answered = false;

    void SetUp() override {
        setActivity(Activity::Idle);
        start();
        ASSERT_NE(AdvancedFilterfrm, nullptr);
        w = main->openWave(wav("t.wav", 16, 1, twoTones(20000)), false);
        ASSERT_NE(w, nullptr);
        w->setSelection(2000, 10000);
        w->FormActivate();
        before = bytesOf(w);
    }
    void TearDown() override {
        closeAll();
        EXPECT_EQ(AdvancedFilterfrm, nullptr);
        EXPECT_FALSE(FftArea().showDialog);
    }
    // Runs the command; fn answers the dialog from inside its modal loop.
    void run(std::function<void(TAdvancedFilterfrm*)> fn) {
        QTimer::singleShot(0, [this, fn] {
            auto* d = qobject_cast<TAdvancedFilterfrm*>(QApplication::activeModalWidget());
            ASSERT_NE(d, nullptr);
            answered = true;
            // The user sees the ordinary cursor while choosing.
            EXPECT_EQ(activity(), Activity::Idle);
            fn(d);
        });
        QAction* a = main->item("Filtroavanzado1");
        ASSERT_NE(a, nullptr);
        a->trigger();
        QCoreApplication::processEvents();
        EXPECT_TRUE(answered);
        EXPECT_EQ(activity(), Activity::Idle);
    }
};

} // namespace

TEST_F(AdvancedFilterCommand, CancelLeavesTheSoundAndTakesNoStep) {
    run([](TAdvancedFilterfrm* d) { d->Button2Click(); });
    EXPECT_EQ(bytesOf(w), before);
    EXPECT_FALSE(w->Modified);
    EXPECT_FALSE(w->undoAvailable());
    EXPECT_EQ(AdvancedFilterfrm->area().SampleRate, 22050);
}

TEST_F(AdvancedFilterCommand, OkRunsTheEngineWithTheDialogsChoices) {
    run([](TAdvancedFilterfrm* d) {
        d->Edit2->setText("22050");
        d->Edit2Exit();
        d->Edit1->setText("2000");
        d->Edit1Exit();
        d->RadioGroup1->button(kActionDelete)->click();
        d->Button1Click();
    });
    EXPECT_TRUE(w->Modified);
    EXPECT_TRUE(w->undoAvailable());
    EXPECT_TRUE(main->undo1->text().contains("Advanced Filter")) << main->undo1->text().toStdString();
    // The 4000 Hz tone is gone: what is left is near the 440 Hz tone alone.
    double err = 0;
    for (int64_t i = 3000; i < 11000; ++i) {
        const uint8_t* p = w->Sound.bytes.data() + 2 * i;
        const int v = int16_t(p[0] | (p[1] << 8));
        err = std::max(err, std::fabs(v - 8000 * std::sin(2 * M_PI * 440 * i / 22050.0)));
    }
    EXPECT_LT(err, 1200);
    ASSERT_TRUE(w->deshacer());
    EXPECT_EQ(bytesOf(w), before);
}

TEST_F(AdvancedFilterCommand, PlotButtonsComputeTheSpectrumOncePerShowing) {
    FftWorkArea& area = FftArea();
    area.AverageSpectrum.fill(0);
    run([&](TAdvancedFilterfrm* d) {
        d->Button3Click();
        EXPECT_EQ(area.SpectrumReady, 1);
        EXPECT_EQ(area.ShowLinear, 1);
        // The strongest entry sits at one of the two tones' bins.
        const auto& s = area.AverageSpectrum;
        const int peak = int(std::max_element(s.begin(), s.begin() + 1024) - s.begin());
        EXPECT_TRUE(std::abs(peak - 41) <= 1 || std::abs(peak - 372) <= 1) << peak;
        EXPECT_EQ(d->Label7->text(), QString("Max value= %1").arg(d->plot().maxValue));
        EXPECT_EQ(d->plot().heights[size_t(peak)], 60);
        // A second press, or the other plot, does not compute again.
        area.AverageSpectrum[0] = 1e12;
        d->Button3Click();
        d->Button4Click();
        EXPECT_EQ(area.ShowLog, 1);
        EXPECT_EQ(area.ShowLinear, 0);
        EXPECT_EQ(area.AverageSpectrum[0], 1e12);
        d->Button2Click();
    });
    EXPECT_EQ(bytesOf(w), before);
    EXPECT_FALSE(w->undoAvailable());

    // Without a main window the forwarder does nothing.
    area.AverageSpectrum.fill(3);
    mostrar_transf_fft(nullptr);
    EXPECT_EQ(area.AverageSpectrum[7], 3);
}

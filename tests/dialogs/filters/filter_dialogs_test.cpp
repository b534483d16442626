// The filter, spectral, noise and histogram dialogs driven through their
// handlers.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSlider>
#include <QSpinBox>
#include <QTimer>
#include <cmath>

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
#include "sound/engine/effects/histogram.h"
#include "tests/support/scripted_prompts.h"

using namespace sv;

TEST(EqualizeDialog, BarsGiveDecibelsAndAQuietCallReturnsTheLastUse) {
    TEqualizefrm f;
    f.prepare();
    f.ScrollBars[0]->setValue(24);   // 6 dB up
    f.ScrollBars[9]->setValue(60);   // the bottom: -30 dB
    EXPECT_EQ(f.ValueLabels[0]->text(), "6");
    f.Button1Click();
    std::array<int32_t, 10> g{};
    EXPECT_EQ(f.mostrar_form(0, g), 0);
    EXPECT_EQ(g[0], 6);
    EXPECT_EQ(g[9], -30);
    EXPECT_EQ(g[4], 0);
    // "Restore to 0" on ticking and on unticking alike.
    f.CheckBox1->click();
    EXPECT_EQ(f.gains(), (std::array<int32_t, 10>{}));
    EXPECT_EQ(f.ScrollBars[0]->value(), 30);

    // A shown dialog closed by its frame counts as Cancel.
    QTimer::singleShot(0, &f, [&f] { f.reject(); });
    EXPECT_EQ(f.mostrar_form(1, g), 1);
}

TEST(FilterBankDialog, ItemsSetTheModeAndEdgesCancelGivesCancelat) {
    TFilterBankfrm f;
    int32_t low = -1, high = -1;
    std::string word;
    f.prepare();
    f.Button1Click();
    f.conclude(f.result(), low, high, word);
    EXPECT_EQ(word, "paso_bajo");
    EXPECT_EQ(high, 2000);

    f.prepare();
    f.ListBox1Click(4);
    f.Button1Click();
    f.conclude(f.result(), low, high, word);
    EXPECT_EQ(word, "paso_alto");
    EXPECT_EQ(low, 100);
    EXPECT_EQ(high, 2000);   // kept from the earlier use

    f.prepare();
    f.ListBox1Click(12);
    f.Button1Click();
    f.conclude(f.result(), low, high, word);
    EXPECT_EQ(word, "s_hight");

    f.prepare();
    f.ListBox1Click(6);
    f.Button2Click();
    f.conclude(f.result(), low, high, word);
    EXPECT_EQ(word, "cancelat");
    // Escape after a click is a Cancel as well.
    f.prepare();
    f.ListBox1Click(7);
    f.conclude(mrCancel, low, high, word);
    EXPECT_EQ(word, "cancelat");
    EXPECT_EQ(f.ListBox1->count(), 13);
}

TEST(StsaDialog, SlidersStayOrderedAndNoisePowerReadsLinearOrDecibels) {
    test::scripted();
    Tstsaform f;
    EXPECT_DOUBLE_EQ(f.TopSnr, std::pow(10.0, 1.2));
    f.TrackBar3->setValue(200);   // the minimum above the top lifts the top
    EXPECT_EQ(f.TrackBar2->value(), 200);
    EXPECT_EQ(f.Label4->text(), "20.0 dB");
    f.TrackBar2->setValue(55);    // the top below the minimum lowers it
    EXPECT_EQ(f.TrackBar3->value(), 55);
    EXPECT_EQ(f.Label5->text(), "5.5 dB");

    EXPECT_TRUE(f.Edit1KeyPress(QLatin1Char('7')));
    EXPECT_TRUE(f.Edit1KeyPress(QLatin1Char(',')));
    EXPECT_FALSE(f.Edit1KeyPress(QLatin1Char('a')));

    f.Edit1->setText("20");
    f.RadioButton2->setChecked(true);
    f.Button1Click();
    EXPECT_EQ(f.OK, 1);
    EXPECT_DOUBLE_EQ(f.NoisePower, 100);
    EXPECT_DOUBLE_EQ(f.TopSnr, std::pow(10.0, 0.55));

    Tstsaform g;
    g.Edit1->setText("2,5");
    g.Button1Click();
    EXPECT_DOUBLE_EQ(g.NoisePower, 2.5);
    Tstsaform e;
    e.Edit1->clear();
    e.Button1Click();
    EXPECT_EQ(e.OK, 0);
    EXPECT_TRUE(test::scripted().sawMessage("Please enter a value for the Noise Power"));
    e.Button3Click();
    EXPECT_NE(test::scripted().messages().back().find("\"Variance\""), std::string::npos);
}

TEST(SmallSpectralDialogs, FrequencyShiftCustomizedFilterVoiceCleaner) {
    TFrequencyShiftfrm s;
    s.tb1->setValue(-50);
    EXPECT_EQ(s.Label2->text(), "-50%");
    EXPECT_EQ(s.SelStart, -50);
    EXPECT_EQ(s.SelEnd, 0);

    TCustomizedFilterfrm c;
    EXPECT_FALSE(c.SpinEdits[0]->isEnabled());
    EXPECT_EQ(c.weights(), (std::array<double, 7>{0, 0, 0.25, 0.5, 0.25, 0, 0}));
    c.RadioGroup1->setItemIndex(2);
    c.RadioGroup1Click();
    c.SpinEdits[0]->setValue(10);
    c.SpinEdits[3]->setValue(-400);   // no limits
    EXPECT_EQ(c.SpinEdits[3]->value(), -400);
    c.RadioGroup1->setItemIndex(1);
    c.RadioGroup1Click();
    EXPECT_EQ(c.SpinEdits[0]->value(), 0);
    EXPECT_FALSE(c.SpinEdits[0]->isEnabled());
    EXPECT_TRUE(c.SpinEdits[1]->isEnabled());
    c.SpinEdits[2]->setValue(250);
    c.CheckBox1->setChecked(true);
    c.CheckBox1Click();
    EXPECT_EQ(c.SpinEdits[2]->value(), 100);
    c.CheckBox1->setChecked(false);
    c.CheckBox1Click();
    c.SpinEdits[2]->setValue(250);
    EXPECT_EQ(c.SpinEdits[2]->value(), 250);

    TVoiceCleanerfrm v;
    EXPECT_TRUE(v.cb0->isChecked() && v.cb4->isChecked());
    EXPECT_EQ(v.rg1->ItemIndex(), 1);
    EXPECT_TRUE(v.Label0->isHidden());
    v.cb1->setChecked(false);
    v.cbClick(v.cb1);
    EXPECT_NE(v.rg1->palette().color(QPalette::WindowText), QColor(Qt::black));
    v.cb1->setChecked(true);
    v.cbClick(v.cb1);
    EXPECT_EQ(v.rg1->palette().color(QPalette::WindowText), QColor(Qt::black));
}

TEST(WaveletDialog, OkTakesTenthsOfAPercentCancelGivesZero) {
    Twaveletfrm w;
    EXPECT_EQ(w.Label3->text(), "5%");
    EXPECT_EQ(w.threshold, 0.0);
    w.lambda->setValue(125);
    EXPECT_EQ(w.Label3->text(), "12.50%");
    w.rg1->setItemIndex(1);
    w.Button1Click();
    EXPECT_DOUBLE_EQ(w.threshold, 12.5);
    EXPECT_EQ(w.thresholding, 1);
    w.Button2Click();
    EXPECT_EQ(w.threshold, 0.0);
    EXPECT_EQ(w.thresholding, 0);
    w.lambda->setValue(0);
    w.Button1Click();
    EXPECT_EQ(w.threshold, 0.0);
}

TEST(NoiseLevelDialog, CaptionsByKindAndTheLevel) {
    TGaussianfrm g;
    g.prepare("pinkdist");
    EXPECT_EQ(g.windowTitle(), "Add pink noise");
    EXPECT_EQ(g.Label5->text(), "&Pink noise variance:");
    EXPECT_EQ(g.Label4->text(), "0.1");
    g.prepare("other");
    EXPECT_EQ(g.windowTitle(), "Add pink noise");
    g.TrackBar1->setValue(250);
    EXPECT_EQ(g.Label4->text(), "0.250");
    EXPECT_EQ(g.Variance, 250);
    int32_t level = 0;
    QTimer::singleShot(0, &g, [&g] {
        g.TrackBar1->setValue(700);
        g.Button1Click();
    });
    EXPECT_EQ(g.mostrar_form("speckle", level), 0);
    EXPECT_EQ(level, 700);
    EXPECT_EQ(g.windowTitle(), "Add speckle noise");
    QTimer::singleShot(0, &g, [&g] { g.reject(); });
    EXPECT_EQ(g.mostrar_form("unifdist", level), 1);
}

TEST(HistogramDialog, LabelsFollowTheDepthAndAnEmptyTableScalesToOne) {
    HistogramTable.fill(0);
    THistogramfrm h;
    h.prepare(8, 127.5, 0.25);
    EXPECT_EQ(h.Label1->text(), "1");
    EXPECT_EQ(h.Label2->text(), "0");
    EXPECT_EQ(h.Label3->text(), "256");
    EXPECT_EQ(h.Label4->text(), "Average = 127.5");
    EXPECT_EQ(h.Label5->text(), "Variance = 0.25");
    HistogramTable[3] = 40;
    h.prepare(16, -1, 1e6);
    EXPECT_EQ(h.Label1->text(), "40");
    EXPECT_EQ(h.Label2->text(), "-32767");
    EXPECT_EQ(h.Label5->text(), "Variance = 1000000");
    h.PaintBox1->grab();   // paints without faults
    HistogramTable.fill(0);
}

// The effects, noise gate, dynamic expander, travelling stereo and mix
// special dialogs driven through their handlers.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QSlider>
#include <QTimer>

#include "dialogs/DynamicExpander.h"
#include "dialogs/Effects.h"
#include "dialogs/MixWeights.h"
#include "dialogs/NoiseGate.h"
#include "dialogs/ParamDialog.h"
#include "dialogs/TravellingStereo.h"

using namespace sv;

TEST(EffectsDialog, EmptyNameAndOkAtOnceGivesItemZero) {
    TEffectsfrm f;
    f.prepare(3, "");
    f.Button1Click();
    int32_t t = -1, r = -1;
    EXPECT_EQ(f.conclude(f.result(), t, r), 0);
    EXPECT_EQ(t, 0);
    EXPECT_EQ(r, 0);
    EXPECT_FALSE(f.TrackBar1->isEnabled());
}

TEST(EffectsDialog, NoiseGatePresetIsUnscaledUntilMoved) {
    TEffectsfrm f;
    f.prepare(2, "Noise Gate");
    EXPECT_EQ(f.Label9->text(), "Release/Attack Time (ms):");
    EXPECT_EQ(f.TrackBar2->maximum(), 50);
    EXPECT_EQ(f.Label7->text(), "50");
    EXPECT_TRUE(f.TrackBar1->isEnabled());
    int32_t t = -1, r = -1;
    f.Button1Click();
    f.conclude(f.result(), t, r);
    EXPECT_EQ(t, 10);
    EXPECT_EQ(r, 2);
    f.TrackBar1->setValue(100);
    EXPECT_EQ(f.Threshold, 127);
    EXPECT_EQ(f.Label5->text(), "100%");
    f.TrackBar2->setValue(7);
    EXPECT_EQ(f.Label8->text(), "7");
    f.conclude(mrOk, t, r);
    EXPECT_EQ(t, 127);
    EXPECT_EQ(r, 7);
}

TEST(EffectsDialog, CancelOrFrameGivesThousandsWhateverTheIndex) {
    TEffectsfrm f;
    f.prepare(3, "");
    f.ComboBox1->setCurrentIndex(4);
    f.ComboBox1Click();
    f.Button2Click();
    int32_t t = 0, r = 0;
    EXPECT_EQ(f.conclude(f.result(), t, r), 4);
    EXPECT_EQ(t, 1000);
    EXPECT_EQ(r, 1000);
    f.prepare(2, "Compressor");
    f.conclude(modalResultFrom(0), t, r);
    EXPECT_EQ(t, 1000);
    EXPECT_EQ(r, 1000);
}

TEST(EffectsDialog, ChoosingAnItemSetsItsSliders) {
    TEffectsfrm f;
    f.prepare(3, "");
    f.ComboBox1->setCurrentIndex(9);
    f.ComboBox1Click();
    EXPECT_EQ(f.Label2->text(), "&Factor:");
    EXPECT_EQ(f.TrackBar1->maximum(), 20);
    EXPECT_EQ(f.TrackBar1->value(), 10);
    EXPECT_TRUE(f.TrackBar1->isEnabled());
    EXPECT_FALSE(f.TrackBar2->isEnabled());
    EXPECT_EQ(f.Threshold, 10);
    f.ComboBox1->setCurrentIndex(2);
    f.ComboBox1Click();
    EXPECT_EQ(f.Label2->text(), "&Threshold:");
    EXPECT_EQ(f.TrackBar1->maximum(), 100);
    EXPECT_EQ(f.Threshold, 50);
    EXPECT_EQ(f.Ratio, 50);
    EXPECT_TRUE(f.TrackBar2->isEnabled());
    f.ComboBox1->setCurrentIndex(6);
    f.ComboBox1Click();
    EXPECT_FALSE(f.TrackBar1->isEnabled());
    EXPECT_EQ(f.Threshold, 0);
    EXPECT_EQ(f.EffectIndex, 6);
}

TEST(EffectsDialog, NamedPresetsEnableSlidersLeftDisabledByAnEarlierRun) {
    TEffectsfrm f;
    f.prepare(3, "");   // item 0 disables both sliders
    f.prepare(2, "Expander");
    EXPECT_TRUE(f.TrackBar1->isEnabled());
    EXPECT_TRUE(f.TrackBar2->isEnabled());
    EXPECT_EQ(f.Threshold, 50);
    EXPECT_EQ(f.Label5->text(), "50%");
}

TEST(EffectsDialog, LayoutFollowsTheMode) {
    TEffectsfrm f;
    f.prepare(1, "Quantifier");
    EXPECT_FALSE(f.ComboBox1->isHidden());
    EXPECT_TRUE(f.TrackBar2->isHidden());
    EXPECT_EQ(f.Button1->y(), 125);
    f.prepare(2, "Compressor");
    EXPECT_TRUE(f.ComboBox1->isHidden());
    EXPECT_FALSE(f.TrackBar2->isHidden());
    EXPECT_EQ(f.Button1->y(), 175);
    f.prepare(3, "");
    EXPECT_EQ(f.Button1->y(), 207);
}

TEST(NoiseGateDialog, DefaultsAndSliders) {
    TNoiseGatefrm f;
    EXPECT_EQ(f.Threshold, 10);
    EXPECT_EQ(f.Time, 2);
    EXPECT_EQ(f.Reduction, 0);
    EXPECT_EQ(f.Label5->text(), "10%");
    EXPECT_EQ(f.Label8->text(), "2");
    EXPECT_EQ(f.TrackBar2->maximum(), 50);
    f.TrackBar1->setValue(50);
    EXPECT_EQ(f.Threshold, 63);
    f.TrackBar2->setValue(40);
    EXPECT_EQ(f.Time, 40);
    EXPECT_EQ(f.Label8->text(), "40");
    f.TrackBar3->setValue(30);
    EXPECT_EQ(f.Reduction, 30);
    EXPECT_EQ(f.Label11->text(), "30%");
}

TEST(NoiseGateDialog, ModalResultsAreOneAndTwo) {
    TNoiseGatefrm f;
    QTimer::singleShot(0, &f, [&f] { f.Button1->click(); });
    EXPECT_EQ(showModal(f), mrOk);
    QTimer::singleShot(0, &f, [&f] { f.Button2->click(); });
    EXPECT_EQ(showModal(f), mrCancel);
    QTimer::singleShot(0, &f, [&f] { f.reject(); });
    EXPECT_EQ(showModal(f), mrCancel);
}

TEST(DynamicExpanderDialog, BarBelowHundredIsACompressor) {
    TDynamicExpanderfrm f;
    f.prepare();
    EXPECT_EQ(f.Label5->text(), "1.00");
    f.ScrollBar1->setValue(75);
    EXPECT_EQ(f.Label5->text(), "0.75");
    EXPECT_EQ(f.windowTitle(), "Dynamic compressor");
    f.Button1Click();
    int32_t ratio = 0;
    EXPECT_EQ(f.conclude(ratio), 0);
    EXPECT_EQ(ratio, 75);
    f.prepare();
    EXPECT_EQ(f.windowTitle(), "Dynamic expander");
    EXPECT_EQ(f.ScrollBar1->value(), 100);
    f.ScrollBar1->setValue(150);
    EXPECT_EQ(f.windowTitle(), "Dynamic expander");
    EXPECT_EQ(f.conclude(ratio), 1);   // closed without OK
    f.Button2Click();
    EXPECT_EQ(f.conclude(ratio), 1);
}

TEST(TravellingStereoDialog, CancelGivesFlagAndHundredAndOne) {
    TTravellingStereofrm f;
    f.prepare();
    f.TrackBar1->setValue(40);
    f.Button2Click();
    int32_t direction = -1, percent = -1;
    EXPECT_EQ(f.conclude(direction, percent), 1);
    EXPECT_EQ(percent, 101);
    f.prepare();
    EXPECT_EQ(f.Label2->text(), "0%");
    f.Button1Click();
    EXPECT_EQ(f.conclude(direction, percent), 0);
    EXPECT_EQ(percent, 0);
    EXPECT_EQ(direction, 0);
}

TEST(TravellingStereoDialog, SliderAndDirection) {
    TTravellingStereofrm f;
    QTimer::singleShot(0, &f, [&f] {
        f.TrackBar1->setValue(35);
        f.RadioGroup1->setItemIndex(1);
        f.Button1->click();
    });
    int32_t direction = -1, percent = -1;
    EXPECT_EQ(f.mostrar_opciones(direction, percent), 0);
    EXPECT_EQ(percent, 35);
    EXPECT_EQ(direction, 1);
    EXPECT_EQ(f.Label2->text(), "35%");
}

TEST(MixSpecialDialog, OkAtOnceGivesHalves) {
    Tmixspecial f;
    double a = -1, b = -1;
    f.conclude(mrOk, a, b);
    EXPECT_DOUBLE_EQ(a, 0.5);
    EXPECT_DOUBLE_EQ(b, 0.5);
    f.conclude(mrCancel, a, b);
    EXPECT_DOUBLE_EQ(a, 0.0);
    EXPECT_DOUBLE_EQ(b, 0.0);
}

TEST(MixSpecialDialog, RatioKeptOrFree) {
    Tmixspecial f;
    f.TrackBar1->setValue(30);
    EXPECT_EQ(f.progressbar2->value(), 70);
    EXPECT_EQ(f.TrackBar2->value(), 70);
    f.cb1->setChecked(false);
    EXPECT_FALSE(f.TrackBar2->isHidden());
    f.TrackBar1->setValue(50);
    f.TrackBar2->setValue(80);
    double a = 0, b = 0;
    f.conclude(mrOk, a, b);
    EXPECT_DOUBLE_EQ(a, 0.5);
    EXPECT_DOUBLE_EQ(b, 0.8);
    f.cb1->setChecked(true);
    EXPECT_TRUE(f.TrackBar2->isHidden());
}

// The time and modulation dialogs driven through their handlers.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QSlider>
#include <QSpinBox>
#include <QTimer>

#include "dialogs/ChorusFlanger.h"
#include "dialogs/Echo.h"
#include "dialogs/GapperGroove.h"
#include "dialogs/ParamDialog.h"
#include "dialogs/Resample.h"
#include "dialogs/Reverb.h"
#include "dialogs/SpeedUpDown.h"
#include "tests/support/scripted_prompts.h"

using namespace sv;

namespace {
// Runs fn on the dialog from inside its modal loop.
void whenShown(QDialog* d, std::function<void()> fn) {
    QTimer::singleShot(0, d, [fn] { fn(); });
}
} // namespace

TEST(EchoDialog, OkAtOnceAndMultiple) {
    TEchofrm f;
    uint8_t cancelled = 9;
    int32_t count = 0;
    whenShown(&f, [&] { f.Button1Click(); });
    EXPECT_EQ(f.mostrar_form(cancelled, count), 50);
    EXPECT_EQ(cancelled, 0);
    EXPECT_EQ(count, 1);
    EXPECT_FALSE(f.TrackBar2->isEnabled());

    whenShown(&f, [&] {
        f.RadioGroup1->setItemIndex(1);
        f.RadioGroup1Click();
        EXPECT_EQ(f.Bevel1->lines(), 4);
        f.TrackBar1->setValue(700);
        EXPECT_EQ(f.Label2->text(), "700ms");
        f.Button1Click();
    });
    EXPECT_EQ(f.mostrar_form(cancelled, count), 700);
    EXPECT_EQ(count, 3);
    EXPECT_EQ(cancelled, 0);

    whenShown(&f, [&] { f.reject(); });   // the frame's close button
    f.mostrar_form(cancelled, count);
    EXPECT_EQ(cancelled, 1);
}

TEST(ReverbDialog, ChurchPresetThenOk) {
    TReverbfrm f;
    int32_t density, rd, id, rt, ol, rl;
    uint8_t lp = 9, os = 9;
    whenShown(&f, [&] {
        f.ListBox1->setCurrentRow(2);
        f.ListBox1Click();
        EXPECT_EQ(f.Label9->text(), "850ms");
        EXPECT_EQ(f.Label11->text(), "60%");
        f.CheckBox2->click();
        f.Button1Click();
    });
    EXPECT_EQ(f.mostrar_form(density, rd, id, rt, ol, rl, lp, os), 0);
    EXPECT_EQ(density, 500);
    EXPECT_EQ(id, 30);
    EXPECT_EQ(rd, 20);
    EXPECT_EQ(rt, 850);
    EXPECT_EQ(ol, 60);
    EXPECT_EQ(rl, 50);
    EXPECT_EQ(lp, 0);
    EXPECT_EQ(os, 1);

    // The next run starts from the defaults; "High" density is 100.
    whenShown(&f, [&] {
        EXPECT_FALSE(f.CheckBox2->isChecked());
        f.RadioGroup1->setItemIndex(2);
        f.RadioGroup1Click();
        f.Button2Click();
    });
    EXPECT_EQ(f.mostrar_form(density, rd, id, rt, ol, rl, lp, os), 1);
    EXPECT_EQ(density, 100);
    EXPECT_EQ(rt, 500);
}

TEST(ModulationDialogs, PresetsLabelsAndTypedKeys) {
    TFlangerfrm f;
    EXPECT_EQ(f.Label7->text(), "2Hz");
    f.ListBox1->setCurrentRow(6);   // "Devil"
    f.ListBox1Click();
    EXPECT_EQ(f.ChorusVoices_SE->value(), 3);
    EXPECT_EQ(f.feedbar->value(), 50);
    EXPECT_EQ(f.Label7->text(), "0.5Hz");
    f.ListBox1KeyPress();
    EXPECT_EQ(f.feedbar->value(), 0);
    f.ListBox1->setCurrentRow(8);   // "Cyborg Voice"
    f.ListBox1KeyPress();
    EXPECT_EQ(f.feedbar->value(), 85);
    const ModulationParams p = f.values();
    EXPECT_EQ(p.fixedDelay, 10);
    EXPECT_EQ(p.frequency, 13);

    TChorusfrm c;
    c.fbar->setValue(12);
    EXPECT_EQ(c.Label7->text(), "1.2Hz");
    c.ListBox1->setCurrentRow(4);   // the empty row: a click changes nothing
    c.ListBox1Click();
    EXPECT_EQ(c.owbar->value(), 100);
    QKeyEvent key(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, QStringLiteral("a"));
    QCoreApplication::sendEvent(c.ListBox1, &key);
    EXPECT_EQ(c.owbar->value(), 10);
    EXPECT_EQ(c.cwbar->value(), 90);
    EXPECT_EQ(c.delay_SE->value(), 20);
}

TEST(GapperGrooveDialogs, ScaleConversionAndOk) {
    TGapperFrm g;
    g.SampleRate = 44100;
    g.Button1Click();
    EXPECT_EQ(g.Cancelled, 0);
    EXPECT_EQ(g.gapLength(), 441);
    EXPECT_EQ(g.gapInterval(), 1102);   // 1102.5 to the even neighbour
    g.rg1->setItemIndex(1);
    g.rg1Click();
    EXPECT_EQ(g.Gaplength->value(), 441);
    EXPECT_EQ(g.Gapinterval->value(), 1102);

    TGrooveFrm r;
    r.SampleRate = 1000;
    r.rg1->setItemIndex(1);
    r.rg1Click();
    EXPECT_EQ(r.Gapinterval->value(), 5);   // the number is a count
    r.Gaplength->setValue(77);
    r.Button1Click();
    EXPECT_EQ(r.grooveLength(), 77);
    EXPECT_EQ(r.grooveNumber(), 5);
    TGrooveFrm cancelled;
    cancelled.Button2Click();
    EXPECT_EQ(cancelled.Cancelled, 1);
}

TEST(SpeedDialog, DeltaTypedValuesAndSpins) {
    TSpeedUpDownfrm f;
    f.prepare(4000);
    f.TrackBar1->setValue(750);
    EXPECT_EQ(f.NewSamples, 3000);
    EXPECT_EQ(f.Label5->text(), "-25.0 %");
    f.Edit1->setText("9000");
    f.Edit1KeyPress();
    EXPECT_EQ(f.NewSamples, 8000);
    EXPECT_EQ(f.TrackBar1->value(), 2000);
    f.SpinButton1UpClick();   // at the top: only a beep
    EXPECT_EQ(f.Delta, 1000);
    f.SpinButton1DownClick();
    EXPECT_EQ(f.Delta, 990);
    EXPECT_EQ(f.Edit1->text(), "7960");
    f.Button4Click();
    EXPECT_EQ(f.NewSamples, 2000);
    EXPECT_EQ(f.Delta, -500);

    // A long selection: the change is worked out without wrapping.
    f.prepare(3000000000LL);
    f.TrackBar1->setValue(1500);
    EXPECT_EQ(f.NewSamples, 4500000000LL);
    f.Edit1->setText("-5");
    f.Edit1Exit();
    EXPECT_EQ(f.NewSamples, 0);
}

TEST(ResampleDialog, FormatAndOtherRate) {
    test::ScriptedPrompts& p = test::scripted();
    TResamplefrm f;
    f.prepare(16, 22050, 2);
    EXPECT_EQ(f.Format.nBlockAlign, 4);
    EXPECT_EQ(f.Format.nAvgBytesPerSec, 88200u);
    f.ComboBox3->setCurrentIndex(0);
    f.ComboBox3Change();
    f.ComboBox1->setCurrentIndex(0);
    f.ComboBox1Change();
    EXPECT_EQ(f.Format.nBlockAlign, 1);
    p.answers.push_back("abc");
    f.ComboBox2->setCurrentIndex(3);
    f.ComboBox2Change();
    EXPECT_EQ(f.Format.nSamplesPerSec, 11025u);
    EXPECT_EQ(f.ComboBox2->itemText(3), "Other - 11025");
    EXPECT_EQ(f.Format.nAvgBytesPerSec, 11025u);
    ASSERT_EQ(p.log.size(), 1u);
    EXPECT_EQ(p.log[0].caption, "Resample");
    EXPECT_EQ(p.log[0].text, "Please enter the new &Frequency:");
}

// The advanced filter dialog on a work area of its own: the reset for a
// rate, the cut controls, action and ratio, sizes and window, the band
// picture, and the stored filters.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QSlider>
#include <QTimer>

#include <memory>

#include "dialogs/ParamDialog.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "sound/AdvancedFilter.h"
#include "tests/support/scripted_prompts.h"
#include "tests/support/wave_fixtures.h"

using namespace sv;
using namespace sv::test;

namespace {

class AdvancedFilterDialog : public ::testing::Test {
protected:
    TempExeDir dir;
    std::unique_ptr<FftWorkArea> area = std::make_unique<FftWorkArea>();
    std::unique_ptr<TAdvancedFilterfrm> d = std::make_unique<TAdvancedFilterfrm>(nullptr, area.get());
    FftWorkArea& a = *area;

    void SetUp() override {
        d->prepare(44100);
        d->FormActivate();
    }
    void TearDown() override {
        if (QWidget* f = QApplication::focusWidget()) f->clearFocus();
        d.reset();
    }
    void typeCut(QLineEdit* edit, const QString& text, bool low) {
        edit->setText(text);
        if (low) d->Edit1Exit();
        else d->Edit2KeyPress();
    }
    void choose(QComboBox* box, const QString& text) {
        box->setCurrentIndex(box->findText(text));
        emit box->activated(box->currentIndex());
    }
    void chooseAction(int i) {
        d->RadioGroup1->button(i)->click();
    }
    std::string filtersFolder() const { return dir.path() + "filters/"; }
};

} // namespace

TEST_F(AdvancedFilterDialog, ShowingResetsTheBandActionAndSizesForTheRate) {
    EXPECT_EQ(d->TrackBar1->minimum(), 1);
    EXPECT_EQ(d->TrackBar1->maximum(), 22050);
    EXPECT_EQ(d->TrackBar2->maximum(), 22050);
    EXPECT_EQ(a.LowCut, 1);
    EXPECT_EQ(a.HighCut, 5000);
    EXPECT_EQ(d->Edit2->text(), "5000");
    EXPECT_EQ(a.FilterAction, kActionBandPass);
    EXPECT_EQ(d->RadioGroup1->ItemIndex(), 3);
    EXPECT_EQ(a.Ratio, 0.0);
    EXPECT_EQ(d->Label4->text(), "0.0");
    EXPECT_FALSE(d->TrackBar3->isEnabled());
    EXPECT_EQ(a.FftSize, 2048);
    EXPECT_EQ(a.OverlapSamples, 1024);
    EXPECT_EQ(a.WindowType, kWindowRectangular);
    EXPECT_EQ(a.Cancelled, 1);
    EXPECT_TRUE(dirExists(filtersFolder()));

    // A second showing at another rate starts again from the defaults.
    chooseAction(kActionBoost);
    typeCut(d->Edit1, "3000", true);
    choose(d->ComboBox1, "512");
    a.SpectrumReady = a.ShowLog = 1;
    d->prepare(8000);
    EXPECT_EQ(d->TrackBar2->maximum(), 4000);
    EXPECT_EQ(a.LowCut, 1);
    EXPECT_EQ(a.HighCut, 4000);
    EXPECT_EQ(d->Edit1->text(), "1");
    EXPECT_EQ(a.FilterAction, kActionBandPass);
    EXPECT_EQ(a.Ratio, 0.0);
    EXPECT_EQ(d->Label4->text(), "0.0");
    EXPECT_EQ(a.FftSize, 2048);
    EXPECT_EQ(d->ComboBox1->currentText(), "2048");
    EXPECT_EQ(a.SpectrumReady + a.ShowLog + a.ShowLinear, 0);
    EXPECT_EQ(d->Label7->text(), "Advanced Filter");

    EXPECT_EQ(d->conclude(mrCancel), 1);
    EXPECT_EQ(d->conclude(mrOk), 0);
    EXPECT_EQ(a.Cancelled, 0);
}

TEST_F(AdvancedFilterDialog, TypedCutsAreClampedAndTheEdgesPushEachOther) {
    typeCut(d->Edit1, "0", true);
    EXPECT_EQ(d->Edit1->text(), "1");
    typeCut(d->Edit1, "-40", true);
    EXPECT_EQ(d->Edit1->text(), "1");
    typeCut(d->Edit2, "99999", false);
    EXPECT_EQ(d->Edit2->text(), "22050");
    EXPECT_EQ(a.HighCut, 22050);
    EXPECT_EQ(d->TrackBar2->value(), 22050);

    typeCut(d->Edit2, "4000", false);
    typeCut(d->Edit1, "6000", true);   // above the high edge: pushes it
    EXPECT_EQ(a.LowCut, 6000);
    EXPECT_EQ(a.HighCut, 6000);
    EXPECT_EQ(d->Edit2->text(), "6000");
    EXPECT_EQ(d->Shape1->width(), 1);

    d->TrackBar2->setValue(500);       // the user drags the high edge below
    EXPECT_EQ(a.LowCut, 500);
    EXPECT_EQ(d->TrackBar1->value(), 500);
    EXPECT_EQ(d->Edit1->text(), "500");

    // Text that is no number is reported and changes nothing.
    typeCut(d->Edit1, "abc", true);
    EXPECT_TRUE(scripted().sawMessage("'abc' is not a valid integer value"));
    EXPECT_EQ(a.LowCut, 500);
}

TEST_F(AdvancedFilterDialog, BandPictureMapsHalfTheRateOntoTwoHundredFiftySixPixels) {
    typeCut(d->Edit2, "5000", false);
    typeCut(d->Edit1, "1000", true);
    const int left = d->Bevel1->x() + 2;
    EXPECT_EQ(d->Shape1->x(), left + 1000 * 256 / 22050);
    EXPECT_EQ(d->Shape1->width(), 4000 * 256 / 22050);
    EXPECT_EQ(d->Shape1->height(), 41);
    typeCut(d->Edit2, "22050", false);
    EXPECT_EQ(d->Shape1->x() + d->Shape1->width(), left + 1000 * 256 / 22050 + 21050 * 256 / 22050);
}

TEST_F(AdvancedFilterDialog, ActionRatioSizesAndWindow) {
    chooseAction(kActionDecrease);
    EXPECT_EQ(a.FilterAction, kActionDecrease);
    EXPECT_EQ(a.Ratio, 1.5);
    EXPECT_EQ(d->Label4->text(), "1.50");
    EXPECT_TRUE(d->TrackBar3->isEnabled());
    d->TrackBar3->setValue(37);
    EXPECT_DOUBLE_EQ(a.Ratio, 3.7);
    EXPECT_EQ(d->Label4->text(), "3.70");
    chooseAction(kActionDecrease);     // the same choice again changes nothing
    EXPECT_DOUBLE_EQ(a.Ratio, 3.7);
    chooseAction(kActionDelete);
    EXPECT_EQ(a.Ratio, 0.0);
    EXPECT_EQ(d->TrackBar3->value(), 0);
    EXPECT_FALSE(d->TrackBar3->isEnabled());

    choose(d->ComboBox1, "512");
    choose(d->ComboBox2, "10");
    EXPECT_EQ(a.FftSize, 512);
    EXPECT_EQ(a.OverlapSamples, 51);
    choose(d->ComboBox2, "0");
    EXPECT_EQ(a.OverlapSamples, 0);

    const std::pair<const char*, int32_t> windows[] = {
        {"Barlett", 2}, {"Hanning", 3}, {"Hamming", 4}, {"Blackman", 5}, {"Rectangular", 1}};
    for (const auto& [text, type] : windows) {
        choose(d->ComboBox3, text);
        EXPECT_EQ(a.WindowType, type) << text;
    }
    // The engine uses the window the list shows, also after the dialog is
    // activated again.
    choose(d->ComboBox3, "Hamming");
    d->FormActivate();
    EXPECT_EQ(a.WindowType, kWindowHamming);
}

TEST_F(AdvancedFilterDialog, StoreListLoadAndDelete) {
    typeCut(d->Edit2, "3400", false);
    typeCut(d->Edit1, "300", true);
    chooseAction(kActionBoost);
    d->TrackBar3->setValue(42);
    choose(d->ComboBox1, "4096");
    choose(d->ComboBox2, "30");
    choose(d->ComboBox3, "Blackman");

    scripted().answerFile(dir.path() + "filters/voice");
    d->SpeedButton1Click();
    ASSERT_EQ(scripted().log.size(), 1u);
    EXPECT_EQ(scripted().log[0].request.title, "Store Sonvela Filter");
    EXPECT_EQ(scripted().log[0].request.filter, "Sonvela Filter (*.svf)|*.svf");
    EXPECT_EQ(scripted().log[0].request.initialDir, filtersFolder());
    const std::vector<uint8_t> stored = readBytes(filtersFolder() + "voice.svf");
    const StoredFilterRecord want{300, 3400, 1, 0, 2, 42, 4};
    uint8_t bytes[kStoredFilterRecordSize];
    encodeStoredFilter(want, bytes);
    EXPECT_EQ(stored, std::vector<uint8_t>(bytes, bytes + 28));
    ASSERT_EQ(d->ComboBox4->count(), 1);
    EXPECT_EQ(d->ComboBox4->itemText(0), "voice");
    EXPECT_EQ(d->ComboBox4->currentText(), "");

    // Storing over it asks; No keeps the file as it was.
    d->prepare(44100);
    scripted().answerFile(filtersFolder() + "voice.svf");
    scripted().answer(mrNo);
    d->SpeedButton1Click();
    EXPECT_EQ(scripted().log.back().text, "The file already exists. Do you want to replace it?");
    EXPECT_EQ(scripted().log.back().caption, "Sonvela");
    EXPECT_EQ(readBytes(filtersFolder() + "voice.svf"), stored);

    // Choosing it in the list applies every value.
    d->FormActivate();
    choose(d->ComboBox4, "voice");
    EXPECT_EQ(a.LowCut, 300);
    EXPECT_EQ(a.HighCut, 3400);
    EXPECT_EQ(d->Edit1->text(), "300");
    EXPECT_EQ(a.FilterAction, kActionBoost);
    EXPECT_DOUBLE_EQ(a.Ratio, 4.2);
    EXPECT_EQ(d->Label4->text(), "4.20");
    EXPECT_EQ(a.FftSize, 4096);
    EXPECT_EQ(a.OverlapSamples, 1228);
    EXPECT_EQ(d->ComboBox3->currentText(), "Blackman");
    EXPECT_EQ(a.WindowType, kWindowBlackman);

    // Delete asks; Yes removes it and the list empties.
    scripted().answerFile(filtersFolder() + "voice");
    scripted().answer(mrYes);
    d->SpeedButton2Click();
    EXPECT_EQ(scripted().log[scripted().log.size() - 2].request.title, "Delete Sonvela Filter");
    EXPECT_EQ(scripted().log.back().text, "Are you sure that you want to delete this filter?");
    EXPECT_FALSE(fileExists(filtersFolder() + "voice.svf"));
    EXPECT_EQ(d->ComboBox4->count(), 0);
}

TEST_F(AdvancedFilterDialog, FileFailuresWarnAndApplyNothing) {
    setCreateFaultHook([](const std::string&) { return 13; });
    scripted().answerFile(filtersFolder() + "x.svf");
    d->SpeedButton1Click();
    setCreateFaultHook(nullptr);
    EXPECT_EQ(scripted().log.back().text, "Error 13 accessing the file, try another name.");
    EXPECT_FALSE(fileExists(filtersFolder() + "x.svf"));

    // A name in the list whose file has gone.
    d->ComboBox4->addItem("gone");
    choose(d->ComboBox4, "gone");
    EXPECT_EQ(scripted().log.back().text, "Error 2 accessing the file, try another name.");

    // A damaged file: the general error report, nothing applied.
    writeBytes(filtersFolder() + "short.svf", std::vector<uint8_t>(10, 0x55));
    d->FormActivate();
    choose(d->ComboBox4, "short");
    EXPECT_NE(scripted().log.back().text.find("I/O error reading"), std::string::npos);
    EXPECT_EQ(a.LowCut, 1);
    EXPECT_EQ(a.HighCut, 5000);

    // Typing into the list picks nothing.
    d->ComboBox4->setCurrentIndex(-1);
    QKeyEvent key(QEvent::KeyPress, Qt::Key_S, Qt::NoModifier, "s");
    QApplication::sendEvent(d->ComboBox4, &key);
    EXPECT_EQ(d->ComboBox4->currentText(), "");
    EXPECT_EQ(a.LowCut, 1);
}

TEST_F(AdvancedFilterDialog, TheModalRunGivesOneForCancelAndZeroForOk) {
    QTimer::singleShot(0, [this] { d->Button1Click(); });
    EXPECT_EQ(d->mostrar_form(22050), 0);
    EXPECT_EQ(a.HighCut, 5000);
    QTimer::singleShot(0, [this] { d->reject(); });   // Escape or the frame
    EXPECT_EQ(d->mostrar_form(22050), 1);
    QTimer::singleShot(0, [this] { d->Button2Click(); });
    EXPECT_EQ(d->mostrar_form(22050), 1);
    EXPECT_EQ(a.Cancelled, 1);
}

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <QStatusBar>
#include <QTreeWidget>
#include <deque>

#include "dialogs/Div_Length_Add.h"
#include "dialogs/Div_length.h"
#include "dialogs/div_tracks.h"
#include "dialogs/div_wavs.h"
#include "platform/activity.h"
#include "platform/paths.h"
#include "platform/qt/qt_prompts.h"
#include "tests/dialogs/wavetools/wave_fixture.h"
#include "tests/support/scripted_prompts.h"

namespace sv::test {
namespace {

const std::string kDone = "The operation has been performed successfully";

// --- Tdiv_wavs ------------------------------------------------------------

TEST(DivWavsForm, StartsWithKilobytesFromTheList) {
    Tdiv_wavs f;
    EXPECT_EQ(f.windowTitle(), "Divide File in Multiple Files");
    EXPECT_EQ(f.rg1ItemIndex(), 0);
    EXPECT_EQ(f.Label4->text(), "Kbytes");
    EXPECT_EQ(f.ComboBox1->currentText(), "500");
    EXPECT_EQ(f.ComboBox1->count(), 6);
    EXPECT_TRUE(f.SpinEdit1->isHidden());
    EXPECT_EQ(f.SpinEdit1->value(), 500);
    EXPECT_EQ(f.Label5->text(), "0/0");
    EXPECT_EQ(f.OpenDialog1.filter, "PCM Waveforms (*.wav)|*.wav");
}

TEST(DivWavsForm, ChoosingAUnitShowsItsControlsAndDefault) {
    Tdiv_wavs f;
    const struct {
        int index;
        const char* caption;
        int value;
    } units[] = {{1, "Minutes", 2}, {2, "Seconds", 120}, {3, "Milliseconds", 120000}};
    for (const auto& u : units) {
        f.setRg1ItemIndex(u.index);
        f.rg1Click();
        EXPECT_EQ(f.Label4->text(), u.caption);
        EXPECT_TRUE(f.Custom->isHidden());
        EXPECT_TRUE(f.ComboBox1->isHidden());
        EXPECT_FALSE(f.SpinEdit1->isHidden());
        EXPECT_EQ(f.SpinEdit1->value(), u.value);
    }
    f.setRg1ItemIndex(0);
    f.rg1Click();
    EXPECT_EQ(f.Label4->text(), "KBytes");
    EXPECT_FALSE(f.Custom->isHidden());
    EXPECT_FALSE(f.ComboBox1->isHidden());
    EXPECT_TRUE(f.SpinEdit1->isHidden());

    f.Custom->setChecked(true);
    f.CustomClick();
    EXPECT_TRUE(f.ComboBox1->isHidden());
    EXPECT_FALSE(f.SpinEdit1->isHidden());
    f.Custom->setChecked(false);
    f.CustomClick();
    EXPECT_FALSE(f.ComboBox1->isHidden());
    EXPECT_TRUE(f.SpinEdit1->isHidden());
}

TEST(DivWavsForm, DividesWithACustomSizeAndShowsTheCount) {
    TempExeDir dir;
    const SampleFormat fmt = SampleFormat::pcm(8000, 8, 2);
    writeWave(dir.file("a.wav"), fmt, loudData(fmt, 5000));
    Tdiv_wavs f;
    scripted().answerFile(dir.file("a.wav"));
    f.SpeedButton1Click();
    EXPECT_EQ(ss(f.Edit1->text()), dir.file("a.wav"));
    f.Custom->setChecked(true);
    f.CustomClick();
    f.SpinEdit1->setValue(1);
    f.Button1Click();
    EXPECT_EQ(f.Label5->text(), "11/11");
    EXPECT_EQ(scripted().messages(), std::vector<std::string>{kDone});
    EXPECT_TRUE(fileExists(dir.file("a~11.wav")));
    EXPECT_EQ(activity(), Activity::Idle);
}

TEST(DivWavsForm, AMissingFileIsReportedAndTheProgramIsNotLeftBusy) {
    Tdiv_wavs f;
    f.Edit1->setText("/nonexistent/x.wav");
    f.Button1Click();
    EXPECT_EQ(scripted().messages(), std::vector<std::string>{"The file does not exist."});
    EXPECT_EQ(activity(), Activity::Idle);
}

TEST(DivWavsForm, AWriteErrorUsesTheErrorBox) {
    TempExeDir dir;
    std::filesystem::create_directory(dir.file("out~1.wav"));  // the first piece's name is a folder
    const SampleFormat fmt = SampleFormat::pcm(8000, 8, 1);
    writeWave(dir.file("out.wav"), fmt, loudData(fmt, 3000));
    Tdiv_wavs f;
    f.Edit1->setText(qs(dir.file("out.wav")));
    f.Custom->setChecked(true);
    f.SpinEdit1->setValue(1);
    f.Button1Click();
    ASSERT_EQ(scripted().log.size(), 1u);
    EXPECT_EQ(scripted().log[0].caption, applicationTitle());
    EXPECT_EQ(scripted().log[0].text.rfind("I/O error", 0), 0u) << scripted().log[0].text;
    EXPECT_EQ(activity(), Activity::Idle);
}

TEST(DivWavsForm, TheListSizeIsKilobytes) {
    TempExeDir dir;
    const SampleFormat fmt = SampleFormat::pcm(8000, 8, 1);
    writeWave(dir.file("d.wav"), fmt, loudData(fmt, 3000));
    Tdiv_wavs f;
    f.Edit1->setText(qs(dir.file("d.wav")));
    f.Button1Click();  // 500 KB of 3000 bytes
    EXPECT_EQ(scripted().messages(), std::vector<std::string>{
                                         "The selected file is shorter than the Max file size\nNo division has been made."});
}

// --- Tdiv_tracksfrm -------------------------------------------------------

TEST(DivTracksForm, SliderLabelsAndTheOneSecondMinimum) {
    Tdiv_tracksfrm f;
    EXPECT_EQ(f.Label4->text(), "10%");
    EXPECT_EQ(f.Label7->text(), "2\"");
    f.TrackBar1->setValue(35);
    EXPECT_EQ(f.Label4->text(), "35%");
    f.TrackBar2->setValue(7);
    EXPECT_EQ(f.Label7->text(), "7\"");
    EXPECT_TRUE(scripted().log.empty());
    f.TrackBar2->setValue(0);
    EXPECT_EQ(f.TrackBar2->value(), 1);
    EXPECT_EQ(f.Label7->text(), "1\"");
    EXPECT_EQ(scripted().messages(), std::vector<std::string>{"Silence Length must be >= 1\""});
}

TEST(DivTracksForm, DividesAtSilencesAndCountsTheTracks) {
    TempExeDir dir;
    const SampleFormat fmt = SampleFormat::pcm(20, 16, 1);
    writeWave(dir.file("b.wav"), fmt, loudData(fmt, 30) + quietData(fmt, 50) + loudData(fmt, 30));
    Tdiv_tracksfrm f;
    f.Edit1->setText(qs(dir.file("b.wav")));
    f.button1Click();
    EXPECT_EQ(f.StatusBar1->currentMessage(), "Tracks Generated = 2");
    EXPECT_EQ(scripted().messages(), std::vector<std::string>{kDone});
    EXPECT_TRUE(fileExists(dir.file("b~Track2.wav")));
    EXPECT_FALSE(fileExists(dir.file("b~Track3.wav")));
}

// --- TDiv_Length_frm ------------------------------------------------------

// Answers each showing of the Add form from a script instead of a modal loop.
struct AddAnswer {
    bool ok;
    const char* title;   // nullptr: leave as it is
    int seconds;         // -1000: leave as it is
};

class ScriptedLengthForm : public TDiv_Length_frm {
public:
    std::deque<AddAnswer> answers;
    std::vector<int> shownWith;   // the spin value at each showing
protected:
    bool showAddForm(TDiv_Length_Add_frm& form) override {
        shownWith.push_back(form.SpinEdit1->value());
        if (answers.empty()) {
            ADD_FAILURE() << "Add form shown once too often";
            return false;
        }
        const AddAnswer a = answers.front();
        answers.pop_front();
        if (a.title) form.TrackNameEdit->setText(a.title);
        if (a.seconds != -1000) form.SpinEdit1->setValue(a.seconds);
        return a.ok;
    }
};

class DivLengthForm : public ::testing::Test {
protected:
    TempExeDir dir;
    ScriptedLengthForm f;
    void SetUp() override {
        const SampleFormat fmt = SampleFormat::pcm(100, 16, 1);
        writeWave(dir.file("c.wav"), fmt, loudData(fmt, 350));  // 700 bytes, 3 s
        scripted().answerFile(dir.file("c.wav"));
        f.SpeedButton1Click();
    }
};

TEST_F(DivLengthForm, BrowseReadsTheLength) {
    EXPECT_EQ(f.MaxSeconds, 3);
    EXPECT_EQ(f.StatusBar1->currentMessage(), "700 Bytes. - 3 Seconds.");
    EXPECT_EQ(f.list->headerItem()->text(0), "Track Title");
    EXPECT_EQ(f.list->headerItem()->text(1), "Track Length (secs).");
}

TEST_F(DivLengthForm, AddOffersWhatStillFitsOnce) {
    f.answers = {{true, "One", 2}};
    f.SpeedButton3Click();
    f.answers = {{true, "Two", 5}, {true, nullptr, -1000}};
    f.SpeedButton3Click();
    EXPECT_EQ(f.shownWith, (std::vector<int>{0, 0, 1}));
    ASSERT_EQ(f.list->topLevelItemCount(), 2);
    EXPECT_EQ(f.list->topLevelItem(1)->text(0), "Two");
    EXPECT_EQ(f.list->topLevelItem(1)->text(1), "1");
    EXPECT_EQ(scripted().messages(),
              std::vector<std::string>{
                  "The sum of all track lengths exceed maximum file length. Please select a smaller length."});
}

TEST_F(DivLengthForm, AZeroLengthAsksAgainAndClosingTheFormAddsNothing) {
    f.answers = {{true, "Zero", 0}, {true, nullptr, -1000}};
    f.SpeedButton3Click();
    EXPECT_EQ(f.shownWith, (std::vector<int>{0, 3}));
    EXPECT_EQ(scripted().messages(), std::vector<std::string>{"Please select Track Length"});
    ASSERT_EQ(f.list->topLevelItemCount(), 1);
    EXPECT_EQ(f.list->topLevelItem(0)->text(1), "3");
    f.answers = {{false, "Gone", 1}};
    f.SpeedButton3Click();
    EXPECT_EQ(f.list->topLevelItemCount(), 1);
}

TEST_F(DivLengthForm, DeleteNeedsASelection) {
    f.answers = {{true, "One", 1}};
    f.SpeedButton3Click();
    f.SpeedButton4Click();
    EXPECT_EQ(scripted().messages(), std::vector<std::string>{"Please select a Track to delete"});
    EXPECT_EQ(f.list->topLevelItemCount(), 1);
    f.list->topLevelItem(0)->setSelected(true);
    f.SpeedButton4Click();
    EXPECT_EQ(f.list->topLevelItemCount(), 0);
}

TEST_F(DivLengthForm, DivideWritesTheTracksAndTheRemainder) {
    f.button1Click();
    EXPECT_EQ(scripted().messages(), std::vector<std::string>{"Please add a track to the list."});
    f.answers = {{true, "Intro", 1}};
    f.SpeedButton3Click();
    f.button1Click();
    EXPECT_EQ(scripted().messages().back(), kDone);
    EXPECT_EQ(f.StatusBar1->currentMessage(), "Tracks Generated = 2");
    EXPECT_EQ(u32At(readAll(dir.file("c - Track 1 - Intro.wav")), 40), 200u);
    EXPECT_EQ(u32At(readAll(dir.file("c - Track 2 - .wav")), 40), 500u);
}

TEST_F(DivLengthForm, AListForALongerFileIsRefusedWhole) {
    f.answers = {{true, "A", 3}};
    f.SpeedButton3Click();
    const SampleFormat fmt = SampleFormat::pcm(100, 16, 1);
    writeWave(dir.file("short.wav"), fmt, loudData(fmt, 150));
    scripted().answerFile(dir.file("short.wav"));
    f.SpeedButton1Click();
    const auto before = snapshot(dir.path());
    f.button1Click();
    EXPECT_EQ(scripted().messages().back(),
              "The sum of all track lengths exceed maximum file length. Please select a smaller length.");
    EXPECT_EQ(snapshot(dir.path()), before);
}

TEST(DivLengthAddForm, OkIsTheDefaultButton) {
    TDiv_Length_Add_frm f;
    EXPECT_EQ(f.windowTitle(), "Add");
    EXPECT_TRUE(f.Button1->isDefault());
    EXPECT_EQ(f.SpinEdit1->value(), 0);
    f.Button1Click();
    EXPECT_EQ(f.result(), QDialog::Accepted);
}

} // namespace
} // namespace sv::test

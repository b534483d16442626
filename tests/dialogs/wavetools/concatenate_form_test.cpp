#include <gtest/gtest.h>

#include <QCheckBox>
#include <QListWidget>
#include <QStatusBar>

#include "dialogs/concatenate.h"
#include "platform/activity.h"
#include "platform/paths.h"
#include "platform/qt/qt_prompts.h"
#include "tests/dialogs/wavetools/wave_fixture.h"
#include "tests/support/scripted_prompts.h"

namespace sv::test {
namespace {

const std::string kNotPcmQuestion =
    "This function works only with PCM wav files (.wav). This file won't be concatenated. Do you want to continue "
    "with next file?";

class ConcatenateForm : public ::testing::Test {
protected:
    TempExeDir dir;
    std::vector<std::string> opened;
    Tconcatenatefrm f{nullptr, [this](const std::string& n) { opened.push_back(n); }};
    SampleFormat fmt = SampleFormat::pcm(44100, 16, 2);

    void twoFiles() {
        writeWave(dir.file("a.wav"), fmt, loudData(fmt, 250));
        writeWave(dir.file("b.wav"), fmt, loudData(fmt, 500, 4));
        f.addFiles({dir.file("a.wav"), dir.file("b.wav")});
    }
    std::vector<std::string> entries() const { return f.files(); }
};

TEST_F(ConcatenateForm, DialogsAreSetUpAsTheUserKnowsThem) {
    EXPECT_EQ(f.windowTitle(), "Concatenate Multiple Files");
    EXPECT_EQ(f.od1.title, "Concatenate Multiple Files");
    EXPECT_EQ(f.od1.filter, "PCM WaveForms (*.wav)|*.wav");
    EXPECT_TRUE(f.od1.multiSelect);
    EXPECT_EQ(f.sd1.title, "Target File Name");
    EXPECT_EQ(f.sd1.fileName, "concatenated.wav");
}

TEST_F(ConcatenateForm, OnlyWavFilesAreAdded) {
    f.addFiles({"/m/one.wav", "/m/two.mp3", "/m/THREE.WAV"});
    EXPECT_EQ(entries(), (std::vector<std::string>{"/m/one.wav", "/m/THREE.WAV"}));
    EXPECT_EQ(scripted().messages(),
              std::vector<std::string>{"I am sorry, but only .wav files are accepted:\n/m/two.mp3"});
    scripted().answerFile("/m/four.wav");
    f.SpeedButton1Click();
    EXPECT_EQ(entries().back(), "/m/four.wav");
}

TEST_F(ConcatenateForm, MovingAndDeletingAtTheEdgesOnlyBeeps) {
    f.addFiles({"/m/1.wav", "/m/2.wav", "/m/3.wav"});
    const auto before = entries();
    f.SpeedButton2Click();  // nothing selected
    f.lb->setCurrentRow(0);
    f.SpeedButton3Click();  // first one up
    f.lb->setCurrentRow(2);
    f.SpeedButton4Click();  // last one down
    EXPECT_EQ(entries(), before);
    EXPECT_TRUE(scripted().log.empty());

    f.lb->setCurrentRow(0);
    f.SpeedButton4Click();
    EXPECT_EQ(entries(), (std::vector<std::string>{"/m/2.wav", "/m/1.wav", "/m/3.wav"}));
    EXPECT_EQ(f.lb->currentRow(), 1);
    f.lb->setCurrentRow(2);
    f.SpeedButton3Click();
    EXPECT_EQ(entries(), (std::vector<std::string>{"/m/2.wav", "/m/3.wav", "/m/1.wav"}));
    f.SpeedButton2Click();
    EXPECT_EQ(entries().size(), 2u);
    f.SpeedButton5Click();
    EXPECT_TRUE(entries().empty());
}

TEST_F(ConcatenateForm, JoinsOpensTheResultAndCloses) {
    twoFiles();
    f.ObriraSV->setChecked(true);
    scripted().answerFile(dir.file("joined.wav"));
    f.Button1Click();
    const Bytes out = readAll(dir.file("joined.wav"));
    ASSERT_EQ(out.size(), 3044u);
    EXPECT_EQ(u32At(out, 40), 3000u);
    EXPECT_EQ(f.sb1->currentMessage(), "2/2");
    EXPECT_EQ(opened, std::vector<std::string>{dir.file("joined.wav")});
    EXPECT_EQ(f.result(), QDialog::Accepted);
    EXPECT_EQ(activity(), Activity::Idle);
}

TEST_F(ConcatenateForm, WithoutTheBoxTheResultIsNotOpened) {
    twoFiles();
    scripted().answerFile(dir.file("joined.wav"));
    f.Button1Click();
    EXPECT_TRUE(fileExists(dir.file("joined.wav")));
    EXPECT_TRUE(opened.empty());
}

TEST_F(ConcatenateForm, AnEmptyListOnlyBeepsAndACancelledTargetCloses) {
    f.Button1Click();
    EXPECT_TRUE(scripted().log.empty());
    twoFiles();
    const auto before = snapshot(dir.path());
    scripted().answerFile("");
    f.Button1Click();
    EXPECT_EQ(f.result(), QDialog::Rejected);
    EXPECT_EQ(snapshot(dir.path()), before);
}

TEST_F(ConcatenateForm, AnExistingTargetIsReplacedOnlyOnYes) {
    twoFiles();
    writeAll(dir.file("t.wav"), Bytes(10, 7));
    scripted().answerFile(dir.file("t.wav"));
    scripted().answer(mrNo);
    f.Button1Click();
    EXPECT_EQ(readAll(dir.file("t.wav")), Bytes(10, 7));
    ASSERT_EQ(scripted().log.size(), 2u);
    EXPECT_EQ(scripted().log[1].caption, "Concatenate Files");
    EXPECT_EQ(scripted().log[1].text, "The target file already exists. Do you wish to continue?");

    scripted().answerFile(dir.file("t.wav"));
    scripted().answer(mrYes);
    f.Button1Click();
    EXPECT_EQ(readAll(dir.file("t.wav")).size(), 3044u);
}

TEST_F(ConcatenateForm, RefusalsLeaveTheFolderUnchanged) {
    twoFiles();
    writeWave(dir.file("c.wav"), SampleFormat::pcm(22050, 16, 2), Bytes(40, 0));
    f.addFiles({dir.file("c.wav")});
    auto before = snapshot(dir.path());
    scripted().answerFile(dir.file("t.wav"));
    f.Button1Click();
    EXPECT_EQ(scripted().messages().back(),
              "Format of filec.wav is different than the format of the first file (a.wav). Process can not "
              "continue. Please use Sonvela to resample all files to the same format.");
    EXPECT_EQ(snapshot(dir.path()), before);

    scripted().answerFile(dir.file("b.wav"));  // a source as the target: refused before the question
    f.Button1Click();
    EXPECT_EQ(scripted().messages().back(),
              "The target file is one of the files to concatenate. Please choose another target file name.");
    EXPECT_EQ(snapshot(dir.path()), before);
    EXPECT_EQ(activity(), Activity::Idle);
}

TEST_F(ConcatenateForm, NonPcmFilesAreAskedAboutOneByOneAndNothingIsWritten) {
    SampleFormat mulaw = fmt;
    mulaw.wFormatTag = kFormatMuLaw;
    writeWave(dir.file("x.wav"), mulaw, Bytes(40, 1));
    writeWave(dir.file("y.wav"), mulaw, Bytes(40, 1));
    f.addFiles({dir.file("x.wav"), dir.file("y.wav")});
    const auto before = snapshot(dir.path());
    scripted().answerFile(dir.file("t.wav"));
    scripted().answer(mrYes);
    scripted().answer(mrNo);
    f.Button1Click();
    EXPECT_EQ(scripted().messages(), (std::vector<std::string>{kNotPcmQuestion, kNotPcmQuestion}));
    EXPECT_EQ(snapshot(dir.path()), before);

    scripted().answerFile(dir.file("t.wav"));
    scripted().answer(mrYes);
    scripted().answer(mrYes);
    f.Button1Click();
    EXPECT_EQ(snapshot(dir.path()), before);
    EXPECT_EQ(f.result(), QDialog::Accepted);
}

} // namespace
} // namespace sv::test

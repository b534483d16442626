#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <filesystem>
#include <unistd.h>

#include "platform/audio/wave_in.h"
#include "platform/exedir.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "sound/engine/wave_file.h"
#include "tests/dialogs/record/record_fixture.h"
#include "tests/support/wave_fixtures.h"

namespace sv::test {
namespace {

int filesIn(const std::string& folder) {
    int n = 0;
    for (const auto& e : std::filesystem::directory_iterator(folder))
        if (e.path().filename() != "dadoruz.ini") ++n;
    return n;
}

// The data of a take as 16-bit samples, after checking its header.
std::vector<int16_t> samples16(const std::string& path, const SampleFormat& f, uint32_t frames) {
    const auto bytes = readBytes(path);
    EXPECT_EQ(bytes.size(), 44u + uint64_t(frames) * f.nBlockAlign);
    uint8_t header[kWaveHeaderBytes];
    WaveFileHeader::build(header, f, frames * f.nBlockAlign);
    EXPECT_TRUE(bytes.size() >= 44 && std::equal(header, header + 44, bytes.begin())) << "header not patched";
    std::vector<int16_t> s((bytes.size() - std::min<size_t>(44, bytes.size())) / 2);
    if (!s.empty()) std::memcpy(s.data(), bytes.data() + 44, s.size() * 2);
    return s;
}

using RecordDialog = RecordTest;

TEST_F(RecordDialog, OpensWithTheDefaultsAndTheSavedInputDevice) {
    Settings().WriteInteger("Configuration", "DefaultInput", 0);
    make();
    EXPECT_EQ(f->windowTitle(), "Record New Sound");
    EXPECT_EQ(f->InputDevice, 0);
    EXPECT_EQ(f->Edit1->text().toStdString(), exeDir() + "newsound1.wav");
    EXPECT_EQ(f->SampleRate, 11025);
    EXPECT_EQ(f->Channels, 1);
    EXPECT_EQ(f->BytesPerSample, 1);
    EXPECT_EQ(f->RadioGroup1->ItemIndex(), 0);
    EXPECT_TRUE(f->gravar->isEnabled());
    EXPECT_FALSE(f->parar->isEnabled());
    EXPECT_EQ(f->bytesPanel->text(), "0 Bytes");
    EXPECT_EQ(f->clockPanel->text(), "00:00:00");
    EXPECT_EQ(f->SaveDialog1.filter, "RIFF Wave Audio Files (*.wav)|*.wav");
    EXPECT_FALSE(f->ObriraSV->isChecked());

    Settings().WriteInteger("Configuration", "DefaultInput", -1);
    make();
    EXPECT_EQ(f->InputDevice, -1);
}

TEST_F(RecordDialog, ATakeWritesEveryCapturedFrameUnderAPatchedHeader) {
    make();
    choose(1, 1, 1);  // 22050 Hz stereo 16-bit
    const std::string path = target("take.wav");
    f->gravarClick();
    ASSERT_TRUE(f->capturing());
    EXPECT_FALSE(f->gravar->isEnabled());
    EXPECT_FALSE(f->test->isEnabled());
    EXPECT_FALSE(f->marxar->isEnabled());
    EXPECT_TRUE(f->parar->isEnabled());
    capture(1000);
    f->pararClick();
    EXPECT_FALSE(f->capturing());
    EXPECT_TRUE(f->gravar->isEnabled());
    EXPECT_FALSE(f->parar->isEnabled());

    const SampleFormat fmt = SampleFormat::pcm(22050, 16, 2);
    const auto s = samples16(path, fmt, 22050);
    ASSERT_EQ(s.size(), 2u * 22050u);
    for (uint64_t i = 0; i < 22050; ++i) {
        ASSERT_EQ(s[2 * i], sine16(i, 22050)) << i;
        ASSERT_EQ(s[2 * i + 1], sine16(i, 22050)) << i;
    }
    EXPECT_EQ(f->FramesRecorded, 22050u);
    EXPECT_EQ(f->BytesRecorded, 22050u * 4u);
    EXPECT_TRUE(opened.empty()) << "not asked to open it";
    EXPECT_EQ(filesIn(dir.path()), 1) << "no partial file left beside it";
}

TEST_F(RecordDialog, StopMidBufferKeepsThePartlyFilledBuffer) {
    make();
    const std::string path = target("partial.wav");
    f->gravarClick();
    capture(1234);  // 13606 frames: six whole buffers and part of the seventh
    f->pararClick();
    const auto bytes = readBytes(path);
    const uint32_t frames = 1234u * 11025u / 1000u;
    ASSERT_EQ(bytes.size(), 44u + frames);
    EXPECT_EQ(getU32(bytes.data() + 40), frames);
    EXPECT_EQ(getU32(bytes.data() + 4), 36u + frames);
    for (uint32_t i = 0; i < frames; ++i) ASSERT_EQ(bytes[44 + i], sine8(i, 11025)) << i;
    EXPECT_EQ(f->FramesRecorded, frames);
}

TEST_F(RecordDialog, AStopBeforeAnyBufferLeavesAnEmptyValidFile) {
    make();
    const std::string path = target("nothing.wav");
    f->gravarClick();
    f->pararClick();
    const auto bytes = readBytes(path);
    ASSERT_EQ(bytes.size(), 44u);
    EXPECT_EQ(getU32(bytes.data() + 40), 0u);
    EXPECT_EQ(probeWave(path).status, WaveProbe::Status::Ok);
}

TEST_F(RecordDialog, ADeviceThatFailsToOpenIsReportedAndNoFileIsMade) {
    Settings().WriteInteger("Configuration", "DefaultInput", 3);
    make();
    const std::string path = target("never.wav");
    f->gravarClick();
    EXPECT_EQ(scripted().messages(), std::vector<std::string>{waveInGetErrorText(kWaveBadDeviceId)});
    EXPECT_FALSE(f->capturing());
    EXPECT_TRUE(f->gravar->isEnabled());
    EXPECT_FALSE(f->parar->isEnabled());
    EXPECT_FALSE(fileExists(path));
    EXPECT_EQ(filesIn(dir.path()), 0);

    f->testClick();
    EXPECT_EQ(scripted().messages().size(), 2u);
    EXPECT_FALSE(f->capturing());
}

TEST_F(RecordDialog, AFileThatCannotBeCreatedReleasesTheDevice) {
    make();
    const std::string path = target("locked.wav");
    setCreateFaultHook([](const std::string&) { return EACCES; });
    f->gravarClick();
    setCreateFaultHook(nullptr);
    ASSERT_EQ(scripted().log.size(), 1u);
    EXPECT_NE(scripted().log[0].text.find(path), std::string::npos);
    EXPECT_FALSE(f->capturing());
    EXPECT_TRUE(f->gravar->isEnabled());
    EXPECT_FALSE(fileExists(path));

    f->gravarClick();  // the device was given back: a second try works
    ASSERT_TRUE(f->capturing());
    capture(200);
    f->pararClick();
    EXPECT_EQ(readBytes(path).size(), 44u + 2205u);
}

TEST_F(RecordDialog, ClosingDuringATakeStopsItAndFinishesTheFile) {
    make();
    f->ObriraSV->setChecked(true);
    const std::string path = target("closed.wav");
    f->gravarClick();
    capture(500);
    f->reject();  // the window frame's close and Escape end here
    EXPECT_FALSE(f->capturing());
    const uint32_t frames = 500u * 11025u / 1000u;
    const auto bytes = readBytes(path);
    ASSERT_EQ(bytes.size(), 44u + frames);
    EXPECT_EQ(getU32(bytes.data() + 40), frames);
    EXPECT_TRUE(opened.empty()) << "a closed dialog opens nothing";
}

TEST_F(RecordDialog, DestroyingTheDialogDuringATakeFinishesTheFile) {
    make();
    const std::string path = target("gone.wav");
    f->gravarClick();
    capture(300);
    f.reset();
    deliverWaveNotices();
    const uint32_t frames = 300u * 11025u / 1000u;
    const auto bytes = readBytes(path);
    ASSERT_EQ(bytes.size(), 44u + frames);
    EXPECT_EQ(getU32(bytes.data() + 40), frames);
}

TEST_F(RecordDialog, StopOpensTheFileOfTheTakeNotWhatTheBoxHoldsLater) {
    make();
    f->ObriraSV->setChecked(true);
    const std::string path = target("mine.wav");
    f->gravarClick();
    capture(200);
    f->Edit1->setText(QString::fromStdString(dir.file("other.wav")));
    f->pararClick();
    EXPECT_EQ(opened, std::vector<std::string>{path});
    EXPECT_EQ(f->result(), QDialog::Accepted);
    EXPECT_FALSE(fileExists(dir.file("other.wav")));
}

TEST_F(RecordDialog, TestInputOpensNothingAfterStop) {
    make();
    f->ObriraSV->setChecked(true);
    f->testClick();
    capture(200);
    f->pararClick();
    EXPECT_TRUE(opened.empty());
    EXPECT_EQ(filesIn(dir.path()), 0);
}

TEST_F(RecordDialog, TheExtensionIsSettledBeforeTheOverwriteQuestion) {
    make();
    const std::string lower = dir.file("x.wav");
    writeBytes(lower, {9, 9, 9});
    f->Edit1->setText(QString::fromStdString(dir.file("x.WAV")));
    scripted().answer(mrNo);
    f->gravarClick();
    ASSERT_EQ(scripted().log.size(), 1u);
    EXPECT_EQ(scripted().log[0].caption, "Question");
    EXPECT_EQ(scripted().log[0].text, "File already exists. Do you want to overwrite it?");
    EXPECT_EQ(scripted().log[0].buttons, Buttons::YesNo);
    EXPECT_FALSE(f->capturing());
    EXPECT_EQ(readBytes(lower), (std::vector<uint8_t>{9, 9, 9}));
    EXPECT_EQ(f->Edit1->text().toStdString(), lower);

    scripted().answer(mrYes);
    f->gravarClick();
    ASSERT_TRUE(f->capturing());
    capture(200);
    f->pararClick();
    EXPECT_EQ(readBytes(lower).size(), 44u + 2205u);
    EXPECT_FALSE(fileExists(dir.file("x.WAV")));
}

TEST_F(RecordDialog, OnlyAWavNameIsRecorded) {
    make();
    target("song.mp3");
    f->gravarClick();
    EXPECT_EQ(scripted().messages(), std::vector<std::string>{"Output file extension must be .wav"});
    EXPECT_FALSE(f->capturing());
    f->Edit1->setText("");
    f->gravarClick();
    EXPECT_EQ(scripted().messages().size(), 2u);
    EXPECT_EQ(filesIn(dir.path()), 0);
}

TEST_F(RecordDialog, BrowseGivesTheChosenNameAWavExtension) {
    make();
    scripted().answerFile("/music/a.WAV");
    f->SpeedButton1Click();
    EXPECT_EQ(f->Edit1->text(), "/music/a.wav");
    scripted().answerFile("/music/b");
    f->SpeedButton1Click();
    EXPECT_EQ(f->Edit1->text(), "/music/b.wav");
    scripted().answerFile("");
    f->SpeedButton1Click();
    EXPECT_EQ(f->Edit1->text(), "/music/b.wav");
    EXPECT_EQ(scripted().log.back().request.filter, "RIFF Wave Audio Files (*.wav)|*.wav");
}

TEST_F(RecordDialog, TheMetersFollowTheSignal) {
    make();
    choose(0, 1, 1);  // 11025 Hz stereo 16-bit, the sine at half scale
    f->testClick();
    capture(200);
    EXPECT_EQ(f->BuffersReturned, 1u);
    EXPECT_EQ(f->Gauge1->value(), 49);  // 16383 * 100 / 32768
    EXPECT_EQ(f->Gauge2->value(), 49);
    setVirtualInputSignal(440.0, 0.25);
    capture(600);
    EXPECT_EQ(f->LeftLevel, 25);  // 8192 * 100 / 32768
    EXPECT_EQ(f->Gauge1->value(), 25);
    f->pararClick();
    EXPECT_EQ(f->Gauge1->value(), 0);
    EXPECT_EQ(f->Gauge2->value(), 0);

    setVirtualInputSignal(1000.0, 1.0);
    choose(2, 1, 0);  // 44100 Hz stereo 8-bit, full scale
    f->testClick();
    capture(100);
    EXPECT_EQ(f->Gauge1->value(), 100);
    EXPECT_EQ(f->Gauge2->value(), 100);
    f->pararClick();

    setVirtualInputSignal(440.0, 0.5);
    choose(0, 0, 0);  // mono: the same level on both meters
    f->testClick();
    capture(400);
    EXPECT_EQ(f->Gauge1->value(), 63 * 100 / 127);  // the sampled sine peaks at 127 +- 63
    EXPECT_EQ(f->Gauge2->value(), f->Gauge1->value());
    f->pararClick();
}

TEST_F(RecordDialog, TestInputCountsWhatItCapturesAndWritesNothing) {
    make();
    f->testClick();
    ASSERT_TRUE(f->capturing());
    capture(900);
    EXPECT_EQ(f->BytesRecorded, 4u * 2205u);  // the full buffers so far
    EXPECT_EQ(f->BuffersReturned, 4u);
    f->pararClick();
    EXPECT_EQ(f->BytesRecorded, 900u * 11025u / 1000u);
    EXPECT_EQ(filesIn(dir.path()), 0);
}

TEST_F(RecordDialog, TheClockShowsHoursMinutesAndSecondsUnpadded) {
    make();
    choose(1, 1, 1);
    f->testClick();
    for (int i = 0; i < 3599; ++i) f->Timer1Timer();
    EXPECT_EQ(f->clockPanel->text(), "0:59:59");
    f->Timer1Timer();
    EXPECT_EQ(f->clockPanel->text(), "1:0:0");
    for (int i = 0; i < 125; ++i) f->Timer1Timer();
    EXPECT_EQ(f->clockPanel->text(), "1:2:5");
    // Past 2^31 bytes without wrapping.
    EXPECT_EQ(f->bytesPanel->text(), QString::number(3725LL * 88200LL) + " Bytes");
    f->pararClick();

    f->testClick();  // every take starts its clock again
    EXPECT_EQ(f->clockPanel->text(), "00:00:00");
    EXPECT_EQ(f->bytesPanel->text(), "0 Bytes");
    f->Timer1Timer();
    EXPECT_EQ(f->clockPanel->text(), "0:0:1");
    EXPECT_EQ(f->ElapsedBytes, 88200);
    f->pararClick();
}

TEST_F(RecordDialog, ATakeEndsByItselfAtTheSizeLimit) {
    make();
    f->setDataLimit(5000);
    const std::string path = target("limit.wav");
    f->gravarClick();
    capture(1000);
    EXPECT_TRUE(f->capturing()) << "the stop runs from the event loop";
    QCoreApplication::processEvents();
    EXPECT_FALSE(f->capturing());
    EXPECT_TRUE(f->gravar->isEnabled());
    const auto bytes = readBytes(path);
    ASSERT_EQ(bytes.size(), 44u + 5000u);
    EXPECT_EQ(getU32(bytes.data() + 40), 5000u);
    for (uint32_t i = 0; i < 5000; ++i) ASSERT_EQ(bytes[44 + i], sine8(i, 11025)) << i;
}

TEST_F(RecordDialog, OtherTakesARateFromOneTo99999) {
    make();
    f->RadioGroup1->setItemIndex(3);
    f->RadioGroup1Click();
    EXPECT_FALSE(f->Edit2->isHidden());
    EXPECT_EQ(f->Edit2->text(), "11025");
    EXPECT_EQ(f->SampleRate, 11025);
    EXPECT_EQ(f->Edit2->maxLength(), 5);

    f->Edit2->setText("8000");
    f->Edit2KeyReturn();
    EXPECT_EQ(f->SampleRate, 8000);
    f->Edit2Exit();
    EXPECT_TRUE(f->Edit2->isHidden());
    EXPECT_EQ(f->RadioGroup1->button(3)->text(), "8000");

    f->RadioGroup1Click();
    f->Edit2->setText("0");
    f->Edit2Exit();
    EXPECT_EQ(scripted().messages(), std::vector<std::string>{"The sample rate must be between 1 and 99999."});
    EXPECT_EQ(f->SampleRate, 11025) << "entering the box started from 11025";
    EXPECT_EQ(f->RadioGroup1->button(3)->text(), "11025");

    f->RadioGroup1Click();
    f->Edit2->setText("7x");
    f->Edit2Exit();
    EXPECT_EQ(scripted().messages().size(), 2u);
    EXPECT_EQ(f->SampleRate, 11025);

    f->RadioGroup1Click();
    f->Edit2->setText("99999");
    f->Edit2Exit();
    EXPECT_EQ(f->SampleRate, 99999);
    f->Edit2->setText("6000");
    f->Edit2Exit();
    const std::string path = target("custom.wav");
    f->gravarClick();
    capture(500);
    f->pararClick();
    const WaveProbe p = probeWave(path);
    EXPECT_EQ(p.format.nSamplesPerSec, 6000u);
    EXPECT_EQ(p.declaredSize, 3000);
}

// The rate box opens beside "Other" in room kept for it: the dialog keeps
// its size, and no blank band stays once the box hides again.
TEST_F(RecordDialog, OtherOpensItsBoxBesideItWithoutResizingTheDialog) {
    make();
    f->show();
    QCoreApplication::processEvents();
    const QSize size = f->size();
    QRadioButton* other = f->RadioGroup1->button(3);
    f->RadioGroup1->setItemIndex(3);
    f->RadioGroup1Click();
    QCoreApplication::processEvents();
    EXPECT_EQ(f->size(), size);
    EXPECT_EQ(f->Edit2->geometry().center().y(), other->geometry().center().y());
    EXPECT_GT(f->Edit2->x(), other->geometry().right());
    EXPECT_LE(f->Edit2->geometry().right(), f->RadioGroup1->contentsRect().right());
    f->Edit2->setText("99999");
    f->Edit2Exit();
    QCoreApplication::processEvents();
    EXPECT_EQ(f->size(), size);
    EXPECT_EQ(other->text(), "99999");
}

TEST_F(RecordDialog, RadioGroupsChooseTheFormatOfTheNextTake) {
    make();
    choose(2, 1, 1);
    EXPECT_EQ(f->SampleRate, 44100);
    EXPECT_EQ(f->Channels, 2);
    EXPECT_EQ(f->BytesPerSample, 2);
    choose(1, 0, 0);
    EXPECT_EQ(f->SampleRate, 22050);
    EXPECT_EQ(f->Channels, 1);
    EXPECT_EQ(f->BytesPerSample, 1);
    const std::string path = target("fmt.wav");
    f->gravarClick();
    choose(2, 1, 1);  // a running take keeps the format it started with
    capture(100);
    f->pararClick();
    const WaveProbe p = probeWave(path);
    EXPECT_EQ(p.format, SampleFormat::pcm(22050, 8, 1));
    EXPECT_EQ(p.declaredSize, 2205);
}

} // namespace
} // namespace sv::test

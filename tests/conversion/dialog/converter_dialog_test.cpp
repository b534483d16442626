// The WAVE file converter dialog: preparing from a source, the conversion
// with its percentage, Stop and Exit, raw MP3 output, failures, and the
// main window's and sound window's ways in.
#include <gtest/gtest.h>

#include <sys/resource.h>

#include <cstring>

#include <QApplication>
#include <QCoreApplication>
#include <filesystem>
#include <QPushButton>
#include <QStyle>
#include <QTimer>
#include <QLineEdit>
#include <QLabel>
#include <QToolBar>
#include <QToolButton>

#include "conversion/RIFFWAVEFileConverter.h"
#include "dialogs/ParamDialog.h"
#include "mainwindow/SonvelaMain.h"
#include "mainwindow/SonvelaMain_convert.h"
#include "platform/codec/codec.h"
#include "platform/paths.h"
#include "sound/Sound.h"
#include "tests/conversion/conversion_support.h"
#include "tests/support/scripted_prompts.h"
#include "tests/support/wave_fixtures.h"

using namespace sv;
using namespace sv::test;

namespace {

class ConverterTest : public ::testing::Test {
protected:
    TempExeDir dir;

    void TearDown() override { setConverterDriver(nullptr); }

    // A PCM file of `seconds` of a tone, as the library writes it.
    std::string pcmWav(const std::string& name, uint16_t ch, uint32_t rate, uint16_t bits, double seconds) {
        auto tone16 = flatTone(ch, rate, static_cast<int64_t>(rate * seconds), 300.0);
        std::vector<uint8_t> data;
        if (bits == 16) {
            data = bytesOf(tone16);
        } else {
            for (int16_t s : tone16) data.push_back(static_cast<uint8_t>(128 + s / 256));
        }
        writeBytes(dir.file(name), wavFile(pcmHolder(ch, rate, bits), data));
        return dir.file(name);
    }
    std::string adpcmWav(const std::string& name, uint16_t ch, uint32_t rate, double seconds) {
        std::string pcm = pcmWav("src_" + name, ch, rate, 16, seconds);
        writeBytes(dir.file(name), convertFile(readBytes(pcm), codecHolder(codec::kTagImaAdpcm, ch, rate)));
        return dir.file(name);
    }
    static int32_t dataSize(const std::vector<uint8_t>& file) {
        return static_cast<int32_t>(wavData(file).size());
    }
};

void prepare(TRIFFWaveFileconverterfrm& d, const std::string& src, const std::string& dst) {
    d.edSource->setText(QString::fromStdString(src));
    d.DestFileName = dst;
    d.edDest->setText(QString::fromStdString(dst));
    d.ActualitzaFormatsIBotons();
}

} // namespace

TEST_F(ConverterTest, PreparingFromASourceProposesSixteenBitPcm) {
    EXPECT_EQ(pcmCopyName("/a/b.c.wav"), "/a/b.c_PCM.wav");
    EXPECT_EQ(pcmCopyName("/a/tune.WAV"), "/a/tune_PCM.wav");
    std::string src = adpcmWav("b.c.wav", 2, 22050, 0.5);
    TRIFFWaveFileconverterfrm d;
    EXPECT_EQ(d.windowTitle(), "WAV File Converter");
    EXPECT_FALSE(d.btnStart->isEnabled());
    EXPECT_FALSE(d.btnStop->isEnabled());
    EXPECT_TRUE(d.kaOscilloscope3->isHidden());
    prepare(d, src, pcmCopyName(src));
    EXPECT_EQ(d.edDest->text().toStdString(), dir.file("b.c_PCM.wav"));
    const TkaWaveFormat& out = d.kaAudioConvertor1.FormatOut();
    EXPECT_EQ(out.FormatTag(), 1);
    EXPECT_EQ(out.Channels(), 2);
    EXPECT_EQ(out.SamplesPerSec(), 22050u);
    EXPECT_EQ(out.AvgBytesPerSec(), 22050u * 4);
    EXPECT_EQ(out.BlockAlign(), 4);
    EXPECT_EQ(out.BitsPerSample(), 16);
    EXPECT_EQ(d.edDestFormat->text().toStdString(), out.FormatText());
    EXPECT_FALSE(d.edSourceFormat->text().isEmpty());
    EXPECT_TRUE(d.btnStart->isEnabled());

    // A source that is not RIFF WAVE reaches the caller.
    writeBytes(dir.file("junk.wav"), std::vector<uint8_t>(64, 'x'));
    d.edSource->setText(QString::fromStdString(dir.file("junk.wav")));
    EXPECT_THROW(d.ActualitzaFormatsIBotons(), EACMAudioReadError);

    // A format no codec reads: its box shows the start of the description,
    // cut at the end where the box is too narrow, as a line edit showing
    // that much from its start would; also when the text is set again.
    std::vector<uint8_t> tag50(18, 0);
    codec::writeFields(tag50.data(), codec::FormatFields{0x50, 2, 44100, 176400, 4, 16, 0});
    writeBytes(dir.file("tag50.wav"), wavFile(holder(tag50), std::vector<uint8_t>(400, 0)));
    d.show();
    EXPECT_THROW(prepare(d, dir.file("tag50.wav"), dir.file("out.wav")), EACMConversionError);
    const QString text = d.edSourceFormat->text();
    EXPECT_TRUE(text.startsWith("Unknown format (tag 0x0050): 44100 Hz")) << text.toStdString();
    QLineEdit plain(&d);
    plain.setReadOnly(true);
    plain.setEnabled(false);
    for (int width : {d.edSourceFormat->fontMetrics().horizontalAdvance(text) / 2, d.width() + 200}) {
        d.resize(width + 100, d.height());
        QCoreApplication::processEvents();
        d.edSourceFormat->setText(text);
        QLineEdit* box = d.edSourceFormat;
        plain.resize(box->size());
        const int frame = box->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, box);
        const int room = box->width() - 2 * frame - 4;
        plain.setText(box->fontMetrics().elidedText(text, Qt::ElideRight, room));
        plain.setCursorPosition(0);
        EXPECT_EQ(plain.text() == text, width > d.edSourceFormat->fontMetrics().horizontalAdvance(text)) << width;
        EXPECT_EQ(box->grab().toImage(), plain.grab().toImage()) << width;
    }
}

TEST_F(ConverterTest, EitherSelectionOrderEnablesConvertAndABadSourceChangesNothing) {
    std::string src = pcmWav("a.wav", 1, 8000, 8, 0.2);
    writeBytes(dir.file("junk.wav"), std::vector<uint8_t>(64, 'x'));
    for (bool destFirst : {true, false}) {
        TRIFFWaveFileconverterfrm d;
        if (destFirst) {
            scripted().answerFile(dir.file("out.wav"));
            d.btnSelectDestClick();
            EXPECT_FALSE(d.btnStart->isEnabled());
        }
        scripted().answerFile(src);
        d.btnSelectSourceClick();
        if (!destFirst) {
            scripted().answerFile(dir.file("out.wav"));
            d.btnSelectDestClick();
        }
        EXPECT_TRUE(d.btnStart->isEnabled());
        EXPECT_EQ(d.DestFileName, dir.file("out.wav"));
        const QString format = d.edSourceFormat->text();
        scripted().answerFile(dir.file("junk.wav"));
        d.btnSelectSourceClick();
        EXPECT_TRUE(scripted().sawMessage("Invalid file format."));
        EXPECT_EQ(d.edSource->text().toStdString(), src);
        EXPECT_EQ(d.edSourceFormat->text(), format);
    }
    EXPECT_EQ(scripted().log[0].request.title, "Select destination file");
    EXPECT_EQ(scripted().log[0].request.filter, "RIFF files (*.wav)|*.wav|Mp3 files (*.mp3)|*.mp3");
}

TEST_F(ConverterTest, ConvertsToTheEndWithPercentLevelsAndComplete) {
    std::string src = adpcmWav("t.wav", 1, 8000, 5.0);
    // An earlier file of the destination's name is replaced only at the end.
    writeBytes(dir.file("t_PCM.wav"), {1, 2, 3});
    TRIFFWaveFileconverterfrm d;
    prepare(d, src, pcmCopyName(src));
    int blocks = 0, maxPeak = 0;
    std::vector<QString> percents;
    d.kaAudioConvertor1.OnAudioConverted = [&, prev = d.kaAudioConvertor1.OnAudioConverted](
                                               TkaAudioConvertor* c, const void* p, int32_t n, bool& abort) {
        EXPECT_TRUE(d.Running);
        EXPECT_TRUE(d.btnStop->isEnabled());
        EXPECT_FALSE(d.btnStart->isEnabled());
        EXPECT_FALSE(d.btnselectsource->isEnabled());
        maxPeak = std::max(maxPeak, d.pbPeakLeft->value());
        prev(c, p, n, abort);
        percents.push_back(d.lblPercent->text());
        ++blocks;
    };
    scripted().answer(mrYes);   // replace the earlier file
    d.btnStartClick();
    EXPECT_TRUE(scripted().sawMessage("The file already exists. Do you want to replace it?"));
    EXPECT_EQ(d.ModalResult(), mrOk);
    EXPECT_FALSE(d.Running);
    EXPECT_GT(blocks, 1);
    EXPECT_EQ(percents.back(), "100%");
    EXPECT_GT(maxPeak, 5000);
    EXPECT_EQ(d.pbPeakLeft->value(), 0);   // the bars fall back when it ends
    EXPECT_TRUE(scripted().sawMessage("Complete"));
    EXPECT_FALSE(d.kaAudioConvertor1.Active());
    TkaWaveFormat f;
    auto out = readBytes(dir.file("t_PCM.wav"));
    auto pcm = wavData(out, &f);
    EXPECT_EQ(f.FormatTag(), 1);
    EXPECT_EQ(f.BitsPerSample(), 16);
    EXPECT_NEAR(double(pcm.size()), 5.0 * 8000 * 2, 2 * 1024);
    EXPECT_EQ(out.size(), 44 + pcm.size());
    for (const auto& e : std::filesystem::directory_iterator(dir.path()))
        EXPECT_EQ(e.path().string().find(".part"), std::string::npos) << e.path();
}

TEST_F(ConverterTest, AnExistingProposedDestinationIsReplacedOnlyAfterTheQuestion) {
    std::string src = pcmWav("q.wav", 1, 8000, 8, 0.2);
    writeBytes(dir.file("q_PCM.wav"), {1, 2, 3});
    TRIFFWaveFileconverterfrm d;
    prepare(d, src, pcmCopyName(src));
    scripted().answer(mrNo);
    d.btnStartClick();
    EXPECT_TRUE(scripted().sawMessage("The file already exists. Do you want to replace it?"));
    EXPECT_FALSE(scripted().sawMessage("Complete"));
    EXPECT_EQ(readBytes(dir.file("q_PCM.wav")), (std::vector<uint8_t>{1, 2, 3}));
    EXPECT_FALSE(d.Running);
    EXPECT_TRUE(d.btnStart->isEnabled());   // the dialog stays for another name

    // Agreed to in the save dialog, the same file is not asked about twice.
    scripted().answerFile(dir.file("q_PCM.wav"));
    scripted().answer(mrYes);
    d.btnSelectDestClick();
    const size_t asked = scripted().log.size();
    d.btnStartClick();
    EXPECT_EQ(d.ModalResult(), mrOk);
    EXPECT_GT(readBytes(dir.file("q_PCM.wav")).size(), 44u);
    for (size_t i = asked; i < scripted().log.size(); ++i)
        EXPECT_NE(scripted().log[i].text, "The file already exists. Do you want to replace it?");
}

TEST_F(ConverterTest, StopEndsAfterTheCurrentBlockAndExitWaitsForTheEnd) {
    std::string src = pcmWav("long.wav", 1, 8000, 8, 10.0);
    {
        TRIFFWaveFileconverterfrm d;
        prepare(d, src, dir.file("stopped.wav"));
        QTimer::singleShot(0, d.btnStop, [&] { d.btnStop->click(); });
        d.btnStartClick();
        EXPECT_EQ(d.ModalResult(), mrCancel);
        EXPECT_TRUE(scripted().sawMessage("Complete"));
        // One block of two seconds, kept as a file with its sizes fixed.
        EXPECT_EQ(dataSize(readBytes(dir.file("stopped.wav"))), 2 * 8000 * 2);
    }
    {
        TRIFFWaveFileconverterfrm d;
        prepare(d, src, dir.file("exited.wav"));
        QTimer::singleShot(0, d.SpeedButton44, [&] { d.SpeedButton44->click(); });
        d.btnStartClick();
        EXPECT_EQ(d.ModalResult(), mrCancel);
        EXPECT_EQ(dataSize(readBytes(dir.file("exited.wav"))), 10 * 8000 * 2);
    }
}

TEST_F(ConverterTest, InTheModalLoopACloseWaitsForTheConversion) {
    std::string src = pcmWav("loop.wav", 1, 8000, 8, 10.0);
    TRIFFWaveFileconverterfrm d;
    prepare(d, src, dir.file("loop_out.wav"));
    bool stillShown = false;
    QTimer::singleShot(0, &d, [&] {
        // The close box during the conversion: it runs on, the dialog stays.
        QTimer::singleShot(0, &d, [&] {
            d.close();
            stillShown = d.isVisible();
        });
        d.btnStart->click();
    });
    EXPECT_EQ(modalResultFrom(d.exec()), mrCancel);
    EXPECT_TRUE(stillShown);
    EXPECT_FALSE(d.isVisible());
    EXPECT_EQ(dataSize(readBytes(dir.file("loop_out.wav"))), 10 * 8000 * 2);

    // Convert alone closes the loop with OK.
    QTimer::singleShot(0, &d, [&] { d.btnStart->click(); });
    EXPECT_EQ(d.exec(), mrOk);
}

TEST_F(ConverterTest, Mp3ExtensionWritesRawBlocksAfterTheQuestion) {
    std::string src = pcmWav("m.wav", 1, 8000, 16, 1.0);
    const char* question =
        "You have selected an Mp3 file extension, but I do not recognise the output format as Mp3, are you sure you "
        "wish to continue?";
    TRIFFWaveFileconverterfrm d;
    prepare(d, src, dir.file("x.MP3"));
    scripted().answer(mrNo);
    d.btnStartClick();
    EXPECT_EQ(scripted().log.back().text, question);
    EXPECT_FALSE(fileExists(dir.file("x.MP3")));
    EXPECT_FALSE(d.Running);
    EXPECT_TRUE(d.btnStart->isEnabled());   // the dialog stays for another choice

    // Yes: the converted bytes without a header.
    scripted().answer(mrYes);
    d.btnStartClick();
    EXPECT_TRUE(d.RawOutput);
    auto raw = readBytes(dir.file("x.MP3"));
    EXPECT_EQ(raw.size(), 8000u * 2);
    EXPECT_NE(std::string(raw.begin(), raw.begin() + 4), "RIFF");

    if (codec::encoderAvailable(codec::kTagMpegLayer3)) {
        TRIFFWaveFileconverterfrm m;
        std::string s44 = pcmWav("s44.wav", 2, 44100, 16, 1.0);
        prepare(m, s44, dir.file("y.mp3"));
        m.kaAudioConvertor1.SetFormatOut(codecHolder(codec::kTagMpegLayer3, 2, 44100));
        const size_t before = scripted().log.size();
        m.btnStartClick();
        EXPECT_EQ(scripted().log.size(), before + 1);   // only "Complete"
        auto mp3 = readBytes(dir.file("y.mp3"));
        ASSERT_GT(mp3.size(), 100u);
        EXPECT_NE(std::string(mp3.begin(), mp3.begin() + 4), "RIFF");
    }
}

TEST_F(ConverterTest, FailuresAreReportedAndKeepTheEarlierFile) {
    std::string src = pcmWav("f.wav", 1, 8000, 16, 1.0);
    writeBytes(dir.file("keep.wav"), {9, 9, 9});
    TRIFFWaveFileconverterfrm d;
    // An output format that no codec describes (the designed speech format).
    TkaWaveFormat& out = d.kaAudioConvertor1.FormatOut();
    out.SetFormatTag(34);
    out.SetBitsPerSample(1);
    EXPECT_TRUE(out.FormatText().empty());
    d.edDestFormat->clear();
    d.edSource->setText(QString::fromStdString(src));
    d.edDest->setText(QString::fromStdString(dir.file("keep.wav")));
    d.btnStartClick();
    EXPECT_EQ(scripted().log.back().text, "Please select a Valid Destination File Format");

    d.edDestFormat->setText("something");
    scripted().answer(mrYes);   // replace keep.wav
    d.btnStartClick();
    // No codec plans a chain to it: the library's error, in the standard box.
    EXPECT_EQ(scripted().log.back().caption, applicationTitle());
    EXPECT_NE(scripted().log.back().text, "Please select a Valid Destination File Format");
    EXPECT_FALSE(scripted().sawMessage("Complete"));
    EXPECT_EQ(d.ModalResult(), mrCancel);
    EXPECT_EQ(readBytes(dir.file("keep.wav")), (std::vector<uint8_t>{9, 9, 9}));
    EXPECT_FALSE(d.Running);
    EXPECT_TRUE(d.btnselectsource->isEnabled());
}

namespace {

class ConverterWindowTest : public ConverterTest {
protected:
    std::unique_ptr<TSVMainfrm> main;
    void SetUp() override {
        main = std::make_unique<TSVMainfrm>();
        // Idempotent: it may already have run with the other commands.
        installConversionCommands(main.get());
        main->FormActivate();
    }
    void TearDown() override {
        for (TSoundfrm* w : main->soundWindows()) {
            w->Modified = false;
            w->closeWindow();
        }
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        main.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        ConverterTest::TearDown();
    }
};

} // namespace

TEST_F(ConverterTest, TheEmptyDialogStartsWithAFormatThatConverts) {
    std::string src = pcmWav("s.wav", 2, 22050, 16, 0.5);
    TRIFFWaveFileconverterfrm d;
    const TkaWaveFormat& out = d.kaAudioConvertor1.FormatOut();
    EXPECT_FALSE(out.FormatText().empty());
    EXPECT_EQ(d.edDestFormat->text().toStdString(), out.FormatText());
    EXPECT_EQ(out.Channels(), 1);
    EXPECT_EQ(out.SamplesPerSec(), 8000u);
    // Choosing only the two files is enough.
    d.edSource->setText(QString::fromStdString(src));
    d.edDest->setText(QString::fromStdString(dir.file("out.wav")));
    d.btnStartClick();
    EXPECT_TRUE(scripted().sawMessage("Complete"));
    EXPECT_FALSE(scripted().sawMessage("Please select a Valid Destination File Format"));
    TkaWaveFormat written;
    EXPECT_GT(wavData(readBytes(dir.file("out.wav")), &written).size(), 100u);
    EXPECT_EQ(written.FormatTag(), out.FormatTag());
    EXPECT_EQ(written.SamplesPerSec(), 8000u);
}

TEST_F(ConverterWindowTest, MenuAndButtonOpenTheEmptyDialog) {
    QAction* item = main->item("WAVFileFormatConverter1");
    ASSERT_TRUE(item);
    EXPECT_TRUE(item->isEnabled());
    QAction* mp3 = main->item("ConvertMP3toWAV1");
    ASSERT_TRUE(mp3);
    EXPECT_EQ(mp3->text(), "Convert MP3 to WAV");
    EXPECT_TRUE(main->Herramientas1->actions().contains(mp3));
    int shown = 0;
    setConverterDriver([&](TRIFFWaveFileconverterfrm& d) {
        ++shown;
        EXPECT_TRUE(d.edSource->text().isEmpty());
        EXPECT_TRUE(d.DestFileName.empty());
        return int(mrCancel);
    });
    item->trigger();
    QToolButton* b = main->button("SpeedButton47");
    ASSERT_TRUE(b);
    EXPECT_TRUE(b->isEnabled());
    b->click();
    EXPECT_EQ(shown, 2);

    // "MP3 to WAV" only shows and closes.
    QTimer::singleShot(0, [] {
        if (QWidget* w = QApplication::activeModalWidget()) {
            EXPECT_EQ(w->windowTitle(), "MP3 to WAV");
            w->close();
        }
    });
    mp3->trigger();
}

TEST_F(ConverterWindowTest, SoundWindowOpensTheConvertedCopy) {
    std::string src = adpcmWav("song.wav", 2, 11025, 1.0);
    setConverterDriver([&](TRIFFWaveFileconverterfrm& d) {
        EXPECT_EQ(d.DestFileName, dir.file("song_PCM.wav"));
        d.btnStartClick();
        return d.ModalResult();
    });
    scripted().answer(mrYes);
    main->ObrirFitxer(false, src);
    EXPECT_TRUE(scripted().sawMessage("Complete"));
    ASSERT_EQ(main->childCount(), 1);
    TSoundfrm* w = main->soundWindows()[0];
    EXPECT_EQ(w->FileName, dir.file("song_PCM.wav"));
    EXPECT_NEAR(double(w->FrameCount()), 11025, 1024);
    EXPECT_TRUE(w->IsStereo());

    // Cancelled in the dialog: nothing is opened.
    setConverterDriver([](TRIFFWaveFileconverterfrm&) { return int(mrCancel); });
    scripted().answer(mrYes);
    main->ObrirFitxer(false, adpcmWav("other.wav", 1, 8000, 0.5));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    for (TSoundfrm* s : main->soundWindows()) EXPECT_NE(s->FileName, dir.file("other_PCM.wav"));
    EXPECT_FALSE(fileExists(dir.file("other_PCM.wav")));
}

namespace {

std::vector<uint8_t> riffWave(const std::vector<uint8_t>& fmt, const std::vector<uint8_t>& data) {
    std::vector<uint8_t> body = {'W', 'A', 'V', 'E'};
    for (const auto& c : {chunk("fmt ", fmt), chunk("data", data)}) body.insert(body.end(), c.begin(), c.end());
    return chunk("RIFF", body);
}

// The fields of a linear format record of `tag`, with `extra` after them.
std::vector<uint8_t> linearFmt(uint16_t tag, uint16_t ch, uint32_t rate, uint16_t bits,
                               const std::vector<uint8_t>& extra = {}) {
    std::vector<uint8_t> r(18, 0);
    codec::writeFields(r.data(), codec::FormatFields{tag, ch, rate, rate * ch * bits / 8u, uint16_t(ch * bits / 8),
                                                     bits, uint16_t(extra.size())});
    if (extra.empty()) r.resize(16);
    r.insert(r.end(), extra.begin(), extra.end());
    return r;
}

} // namespace

TEST_F(ConverterWindowTest, WideIntegerAndFloatWavesShowTheirFormatAndOpenAsSixteenBitThroughTheConverter) {
    const std::vector<uint8_t> ext24 = {24, 0, 3, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0x10, 0, 0x80, 0, 0, 0xAA, 0, 0x38, 0x9B, 0x71};
    std::vector<uint8_t> extFloat = ext24;
    extFloat[0] = 32;
    extFloat[6] = 3;
    std::vector<uint8_t> d24, d32, dF, dD;
    for (int i = 0; i < 800; ++i) {
        const int16_t v = int16_t((i % 40) * 1000 - 20000);
        d24.insert(d24.end(), {0, uint8_t(v), uint8_t(uint16_t(v) >> 8)});
        d32.insert(d32.end(), {0, 0, uint8_t(v), uint8_t(uint16_t(v) >> 8)});
        const float f = v / 32768.0f;
        uint8_t b[4];
        std::memcpy(b, &f, 4);
        dF.insert(dF.end(), b, b + 4);
        const double x = v / 32768.0;
        uint8_t e[8];
        std::memcpy(e, &x, 8);
        dD.insert(dD.end(), e, e + 8);
    }
    struct Case {
        const char* name;
        std::vector<uint8_t> file;
        int channels;
        const char* shown;   // in Source Format
    };
    const Case cases[] = {
        {"i24.wav", riffWave(linearFmt(1, 1, 8000, 24), d24), 1, "PCM: 8000 Hz, 24 Bit, Mono"},
        {"i32.wav", riffWave(linearFmt(1, 2, 8000, 32), d32), 2, "PCM: 8000 Hz, 32 Bit, Stereo"},
        {"f32.wav", riffWave(linearFmt(3, 1, 8000, 32), dF), 1, "IEEE Float: 8000 Hz, 32 Bit, Mono"},
        {"f64.wav", riffWave(linearFmt(3, 2, 8000, 64), dD), 2, "IEEE Float: 8000 Hz, 64 Bit, Stereo"},
        {"e24.wav", riffWave(linearFmt(0xFFFE, 2, 8000, 24, ext24), d24), 2, "PCM: 8000 Hz, 24 Bit, Stereo"},
        {"ef.wav", riffWave(linearFmt(0xFFFE, 1, 8000, 32, extFloat), dF), 1, "IEEE Float: 8000 Hz, 32 Bit, Mono"},
    };
    const Case* now = nullptr;
    setConverterDriver([&](TRIFFWaveFileconverterfrm& d) {
        EXPECT_EQ(d.edSourceFormat->text().toStdString(), now->shown);
        d.btnStartClick();
        return d.ModalResult();
    });
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        now = &c;
        writeBytes(dir.file(c.name), c.file);
        scripted().answer(mrYes);
        const size_t before = main->soundWindows().size();
        main->ObrirFitxer(false, dir.file(c.name));
        ASSERT_EQ(main->soundWindows().size(), before + 1);
        TSoundfrm* w = main->soundWindows().back();
        EXPECT_EQ(w->SampleFormat, SampleFormat::pcm(8000, 16, c.channels));
        ASSERT_EQ(w->FrameCount(), 800 / c.channels);
        for (int i = 0; i < 800; i += 37) {
            const uint8_t* p = w->Sound.bytes.data() + 2 * i;
            EXPECT_EQ(int16_t(p[0] | (p[1] << 8)), int16_t((i % 40) * 1000 - 20000)) << i;
        }
    }
}

TEST_F(ConverterWindowTest, FilesTheConverterCannotReadAreRefusedWithoutTheQuestion) {
    setConverterDriver([](TRIFFWaveFileconverterfrm&) -> int {
        ADD_FAILURE() << "the converter was offered";
        return int(mrCancel);
    });
    std::vector<uint8_t> text(200, 'x');
    text[20] = 0x55;   // a tag the reader would convert
    writeBytes(dir.file("notes.wav"), text);
    main->ObrirFitxer(false, dir.file("notes.wav"));
    EXPECT_EQ(scripted().log.size(), 1u);
    EXPECT_TRUE(scripted().sawMessage("Invalid file format."));

    auto none = riffWave(linearFmt(1, 0, 8000, 16), std::vector<uint8_t>(100, 0));   // no channels
    writeBytes(dir.file("none.wav"), none);
    auto noneAdpcm = riffWave(linearFmt(0x11, 0, 8000, 4), std::vector<uint8_t>(100, 0));
    writeBytes(dir.file("none2.wav"), noneAdpcm);
    for (const char* n : {"none.wav", "none2.wav"}) {
        scripted().log.clear();
        main->ObrirFitxer(false, dir.file(n));
        EXPECT_EQ(scripted().log.size(), 1u) << n;
        EXPECT_TRUE(scripted().sawMessage("Format seems corrupted.")) << n;
    }
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(main->childCount(), 0);
}

TEST_F(ConverterTest, AConversionThatMakesNothingOrCannotBeWrittenSaysSoAndLeavesNoFile) {
    auto leftovers = [&] {
        int n = 0;
        for (const auto& e : std::filesystem::directory_iterator(dir.path()))
            n += e.path().string().find("_PCM") != std::string::npos || e.path().string().find(".part") != std::string::npos;
        return n;
    };
    // MPEG layer 3 whose frames are garbage: nothing decodes.
    std::vector<uint8_t> mp3(30, 0);
    codec::writeFields(mp3.data(), codec::FormatFields{codec::kTagMpegLayer3, 1, 44100, 16000, 1, 0, 12});
    putU16(mp3.data() + 18, 1);
    putU16(mp3.data() + 24, 417);
    putU16(mp3.data() + 26, 1);
    std::vector<uint8_t> garbage(20000);
    for (size_t i = 0; i < garbage.size(); ++i) garbage[i] = uint8_t((i * 37) % 127);
    const std::string bad = dir.file("bad.wav");
    writeBytes(bad, riffWave(mp3, garbage));
    {
        TRIFFWaveFileconverterfrm d;
        prepare(d, bad, pcmCopyName(bad));
        d.btnStartClick();
        EXPECT_EQ(d.ModalResult(), mrCancel);
        EXPECT_EQ(scripted().log.back().text, "\"" + dir.file("bad_PCM.wav") +
                                                  "\" was not written: no sound could be decoded from the audio data "
                                                  "of \"" + bad + "\" (it may be damaged).");
    }
    EXPECT_EQ(leftovers(), 0);

    // A write that fails (the file-size limit, as a full disk would): the
    // file's name and the system's reason, and no file.
    const std::string src = pcmWav("w.wav", 1, 8000, 16, 2.0);
    {
        TRIFFWaveFileconverterfrm d;
        prepare(d, src, pcmCopyName(src));
        rlimit saved{};
        ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
        rlimit small = saved;
        small.rlim_cur = 8 * 1024;
        ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
        d.btnStartClick();
        ::setrlimit(RLIMIT_FSIZE, &saved);
        EXPECT_EQ(d.ModalResult(), mrCancel);
        EXPECT_EQ(scripted().log.back().text, "Cannot write \"" + dir.file("w_PCM.wav") + "\": File too large.");
    }
    EXPECT_FALSE(scripted().sawMessage("Complete"));
    EXPECT_EQ(leftovers(), 0);

    // GSM whose header gives a byte rate no sound has: refused as the
    // source is read, with the file's name and the reason. A byte rate of
    // a few bytes converts (the blocks are at least the format's own).
    auto gsm = [&](const char* name, uint32_t rate, uint32_t byteRate) {
        std::vector<uint8_t> f(20, 0);
        codec::writeFields(f.data(), codec::FormatFields{codec::kTagGsm610, 1, rate, byteRate, 65, 0, 2});
        putU16(f.data() + 18, 320);
        writeBytes(dir.file(name), riffWave(f, garbage));
        return dir.file(name);
    };
    const std::string huge = gsm("huge.wav", 8000, 0xFFFFFFFF);
    {
        TRIFFWaveFileconverterfrm d;
        try {
            prepare(d, huge, pcmCopyName(huge));
            ADD_FAILURE() << "accepted";
        } catch (const EACMConversionError& e) {
            EXPECT_STREQ(e.what(), ("\"" + huge + "\" (GSM 6.10: 8000 Hz, Mono, 4294967295 bytes/s) cannot be converted to "
                                    "PCM: 8000 Hz, 16 Bit, Mono: its byte rate is impossible (it may be damaged).").c_str());
        }
    }
    for (uint32_t byteRate : {7u, 1625u, 0x1FFFFFFFu}) {
        const std::string fine = gsm(("fine" + std::to_string(byteRate) + ".wav").c_str(), 8000, byteRate);
        scripted().log.clear();
        TRIFFWaveFileconverterfrm d;
        prepare(d, fine, pcmCopyName(fine));
        d.btnStartClick();
        EXPECT_TRUE(scripted().sawMessage("Complete")) << byteRate;
        EXPECT_EQ(wavData(readBytes(pcmCopyName(fine))).size(), garbage.size() / 65 * 640) << byteRate;
    }
    // A codec's failure (here at a sample rate of 1 Hz) names the files too.
    const std::string slow = gsm("slow.wav", 1, 1625);
    {
        TRIFFWaveFileconverterfrm d;
        prepare(d, slow, pcmCopyName(slow));
        d.btnStartClick();
        EXPECT_EQ(scripted().log.back().text, "\"" + pcmCopyName(slow) + "\" was not written: converting \"" + slow +
                                                  "\" failed: Audio is too large to fit into conversion buffer.");
    }
    EXPECT_EQ(leftovers(), 3);   // the fine copies
}

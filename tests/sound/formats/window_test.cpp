// The sound window's readers and writers of the other formats, reached
// through the main window's Open and Save As, and their two dialogs.
#include <QLineEdit>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

#include "dialogs/ParamDialog.h"
#include "dialogs/Txt.h"
#include "dialogs/formatselection.h"
#include "mainwindow/SonvelaMain_formats.h"
#include "platform/files.h"
#include "sound/engine/formats/g711.h"
#include "tests/mainwindow/files/file_fixture.h"
#include "tests/support/modal.h"

using namespace sv;
using namespace sv::test;

namespace {

std::vector<uint8_t> sunFile(uint32_t encoding, uint32_t rate, uint32_t channels, const std::vector<uint8_t>& data) {
    std::vector<uint8_t> f = {'.', 's', 'n', 'd'};
    for (uint32_t x : {28u, uint32_t(data.size()), encoding, rate, channels, 0u})
        for (int sh = 24; sh >= 0; sh -= 8) f.push_back(uint8_t(x >> sh));
    f.insert(f.end(), data.begin(), data.end());
    return f;
}

std::string text(const std::string& path) {
    const auto b = readBytes(path);
    return std::string(b.begin(), b.end());
}

class FormatWindowTest : public FileCommandsTest {
protected:
    void startWithFormats() {
        start();
        installFormatCommands(main.get());
    }
    // Saves the active sound through Save As with the row of the full
    // "Save Waveform" list.
    void saveAs(const std::string& name, int row) {
        chooseFilters().filters.push_back(row);
        scripted().answerFile(name);
        main->SaveAs2Click();
    }
};

TEST_F(FormatWindowTest, SunFileOpensByItsExtension) {
    writeBytes(dir.file("s.au"), sunFile(3, 22050, 2, {0x12, 0x34, 0xAB, 0xCD, 0x00, 0x01, 0x80, 0x00}));
    startWithFormats();
    TSoundfrm* w = open(dir.file("s.au"));
    ASSERT_TRUE(w);
    EXPECT_EQ(openWindows(), 1);
    EXPECT_EQ(w->FrameCount(), 2);
    EXPECT_EQ(w->SampleFormat, SampleFormat::pcm(22050, 16, 2));
    EXPECT_EQ(w->FileName, dir.file("s.au"));
    EXPECT_FALSE(w->IsNew);
    EXPECT_TRUE(w->SoundLoaded);
    EXPECT_EQ(w->Zoom, 1);
    EXPECT_EQ(w->StatusPanels[0]->text(), "36 Bytes");
    EXPECT_EQ(w->StatusPanels[4]->text(), "Stereo");
    EXPECT_EQ(main->SoundLength, 2);
    EXPECT_EQ(main->RecentFile1, dir.file("s.au"));
    EXPECT_EQ(w->Sound.bytes.data()[0], 0x34);
}

TEST_F(FormatWindowTest, UnreadableSunFilesLeaveNoWindow) {
    writeBytes(dir.file("g.snd"), sunFile(27, 8000, 1, {1, 2}));
    writeBytes(dir.file("x.au"), {'n', 'o', 't', ' ', 'a', ' ', 's', 'o', 'u', 'n', 'd'});
    startWithFormats();
    open(dir.file("g.snd"));
    EXPECT_EQ(openWindows(), 0);
    EXPECT_TRUE(scripted().sawMessage("Sonvela only supports linear 8/16 bit or mulaw SND files"));
    open(dir.file("x.au"));
    EXPECT_EQ(openWindows(), 0);
    EXPECT_TRUE(scripted().sawMessage("Format seems corrupted."));
    open(dir.file("gone.au"));
    EXPECT_EQ(openWindows(), 0);
    EXPECT_TRUE(scripted().sawMessage("Error opening file " + dir.file("gone.au") + ": " + std::strerror(ENOENT) + "."));
    EXPECT_FALSE(main->SoundLoaded);
}

TEST_F(FormatWindowTest, SavingASunSoundAsksBeforeReplacingTheWaveBesideIt) {
    writeBytes(dir.file("s.au"), sunFile(3, 8000, 1, {0x12, 0x34, 0x56, 0x78}));
    const std::vector<uint8_t> other = {'m', 'i', 'n', 'e'};
    writeBytes(dir.file("s.wav"), other);
    startWithFormats();
    TSoundfrm* w = open(dir.file("s.au"));
    ASSERT_TRUE(w);
    w->Sound.bytes.data()[0] = 9;
    w->Modified = true;

    // Closing: Yes to saving, No to replacing "s.wav", which the question
    // names (the one before was about "s.au"): the sound stays.
    scripted().answer(mrYes);
    scripted().answer(mrNo);
    w->closeWindow();
    EXPECT_EQ(scripted().log.back().text, "The file s.wav already exists. Do you want to replace it?");
    EXPECT_EQ(openWindows(), 1);
    EXPECT_TRUE(w->Modified);
    EXPECT_EQ(readBytes(dir.file("s.wav")), other);

    // File > Save: Yes (about "s.au") leads to Save As, whose name is
    // "s.wav" again; No keeps that file too.
    scripted().answer(mrYes);
    scripted().answerFile(dir.file("s.au"));
    scripted().answer(mrNo);
    main->Save2Click();
    EXPECT_EQ(readBytes(dir.file("s.wav")), other);
    EXPECT_TRUE(w->Modified);

    // Yes to both replaces it with the sound.
    scripted().answer(mrYes);
    scripted().answer(mrYes);
    w->closeWindow();
    EXPECT_EQ(openWindows(), 0);
    const auto saved = readBytes(dir.file("s.wav"));
    ASSERT_EQ(saved.size(), 48u);
    EXPECT_EQ(saved[44], 9);
    EXPECT_EQ(readBytes(dir.file("s.au")).size(), 32u);
}

TEST_F(FormatWindowTest, OperationsNoCommandReachesStillWork) {
    writeBytes(dir.file("s.wav"), canonicalWave(1000, 16, 1, {1, 0, 0xFE, 0xFF, 5, 0}));
    startWithFormats();
    TSoundfrm* w = open(dir.file("s.wav"));
    ASSERT_TRUE(w);
    ASSERT_TRUE(w->salvar_ascii(dir.file("t")));
    EXPECT_EQ(text(dir.file("t.txt")), "1000 1 2000 -2 ");
    ASSERT_TRUE(w->salvar_DVI_ADPCM(dir.file("d")));
    const auto d = readBytes(dir.file("d.wav"));
    ASSERT_EQ(d.size(), 48u + 512u);
    EXPECT_EQ(d[20], 17);
    EXPECT_FALSE(w->Modified);

    w->Obrir_ADPCM(dir.file("d.wav"));
    EXPECT_EQ(w->FileName, dir.file("d.wav"));
    EXPECT_TRUE(fileExists(dir.file("~svADPCM.tmp")));
    EXPECT_EQ(w->adpcmHeader.format.wFormatTag, 17);
    EXPECT_EQ(w->FrameCount(), 3);   // no samples loaded
}

TEST_F(FormatWindowTest, RawFileAsksItsFormat) {
    writeBytes(dir.file("r.raw"), {1, 2, 3, 4, 5, 6, 7, 8, 9});
    startWithFormats();
    onModal<Tformatselectionfrm>([](Tformatselectionfrm& d) {
        EXPECT_EQ(d.windowTitle(), "Format Selection");
        EXPECT_EQ(d.rg1->ItemIndex(), 0);   // preset 11025 Hz, mono, 8 bits
        EXPECT_EQ(d.rg2->ItemIndex(), 0);
        EXPECT_EQ(d.rg3->ItemIndex(), 0);
        d.rg1->button(2)->click();
        d.rg2->button(1)->click();
        d.rg3->button(1)->click();
        d.Button1->click();
    });
    TSoundfrm* w = open(dir.file("r.raw"));
    ASSERT_TRUE(w);
    EXPECT_EQ(w->SampleFormat, SampleFormat::pcm(44100, 16, 2));
    EXPECT_EQ(w->FrameCount(), 2);   // the ninth byte is not a whole frame
    EXPECT_EQ(w->FileSize, 9);

    onModal<Tformatselectionfrm>([](Tformatselectionfrm& d) { d.parar->click(); });
    open(dir.file("r.raw"));
    EXPECT_EQ(openWindows(), 1);
}

TEST_F(FormatWindowTest, LawWaveFilesComeThroughTheWaveDispatch) {
    auto f = canonicalWave(8000, 8, 1, {0xD5, 0x55, 0x2A});
    f[20] = 6;
    writeBytes(dir.file("a.wav"), f);
    auto g = canonicalWave(8000, 8, 4, {0xFF, 0xFF, 0xFF, 0xFF});
    g[20] = 7;
    writeBytes(dir.file("quad.wav"), g);
    startWithFormats();
    TSoundfrm* w = open(dir.file("a.wav"));
    ASSERT_TRUE(w);
    EXPECT_EQ(w->SampleFormat, SampleFormat::pcm(8000, 16, 1));
    ASSERT_EQ(w->FrameCount(), 3);
    EXPECT_EQ(readSample(w->Sound.frame(0), int16_t{}), 8);
    EXPECT_EQ(readSample(w->Sound.frame(1), int16_t{}), -8);
    EXPECT_EQ(readSample(w->Sound.frame(2), int16_t{}), aLawExpand(0x2A));

    open(dir.file("quad.wav"));
    EXPECT_EQ(openWindows(), 1);
    EXPECT_TRUE(scripted().sawMessage("The file has 4 channels: only mono and stereo sounds can be opened."));
}

TEST_F(FormatWindowTest, CodedFilesThatOverstateTheirSizeAskAsPcmOnes) {
    // Data sizes past the end: a canonical header, and the fixed layout
    // with its samples from byte 58.
    auto f = canonicalWave(8000, 8, 1, {0xD5, 0x55, 0x2A});
    f[20] = 6;
    putU32(f.data() + 40, 1000);
    writeBytes(dir.file("a.wav"), f);
    std::vector<uint8_t> g(58, 0);
    g[20] = 7;
    g[22] = 1;
    putU32(g.data() + 24, 8000);
    putU32(g.data() + 54, 1000);
    g.push_back(0xFF);
    writeBytes(dir.file("u.wav"), g);
    writeBytes(dir.file("wide.au"), sunFile(3, 8000, 0xFFFFFFFFu, {0, 0}));
    startWithFormats();
    const char* question = "Format seems corrupted. Do you want to continue opening the waveform?";
    for (const char* file : {"a.wav", "u.wav"}) {
        scripted().answer(mrNo);
        open(dir.file(file));
        ASSERT_EQ(scripted().log.size(), 1u) << file;
        EXPECT_EQ(scripted().log.back().text, question) << file;
        EXPECT_EQ(scripted().log.back().caption, "Error") << file;
        EXPECT_EQ(openWindows(), 0) << file;
        EXPECT_FALSE(main->SoundLoaded) << file;

        scripted().answer(mrYes);
        TSoundfrm* w = open(dir.file(file));
        ASSERT_EQ(scripted().log.size(), 2u) << file;
        EXPECT_EQ(scripted().log.back().text, question) << file;
        ASSERT_TRUE(w) << file;
        // Every byte after the header, as the PCM reader takes them.
        EXPECT_EQ(w->FrameCount(), file[0] == 'a' ? int64_t(f.size()) - 44 : 1) << file;
        w->closeWindow();
        scripted().log.clear();
    }
    // The channel count as the file holds it, not its low 16 bits.
    open(dir.file("wide.au"));
    EXPECT_EQ(openWindows(), 0);
    EXPECT_EQ(scripted().log.back().text,
              "The file has 4294967295 channels: only mono and stereo sounds can be opened.");
}

TEST_F(FormatWindowTest, SaveAsOffersEveryRowAndWritesEachFormat) {
    const std::string a = wav("a.wav", 3, 16, 2);
    startWithFormats();
    TSoundfrm* w = open(a);
    ASSERT_TRUE(w);
    w->Modified = true;

    saveAs(dir.file("mu"), 2);
    EXPECT_EQ(scripted().log.back().request.filter,
              "PCM Waveforms (*.wav)|*.wav|u-LAW Waveforms (*.wav)|*.wav|a-LAW Waveforms(*.wav)|*.wav|"
              "Semicolon Delimited Value (*.csv)|*.csv|Comma Delimited Value (*.csv)|*.csv|"
              "Text (Space Delimited) (*.prn)|*.prn|Text (Tab Delimited) (*.txt)|*.txt|"
              "Personalized Text File (*.txt)|*.txt|Raw Data (*.raw)|*.raw|All files (*.*)|*.*");
    const auto mu = readBytes(dir.file("mu.wav"));
    ASSERT_EQ(mu.size(), 44u + 6);
    EXPECT_EQ(mu[20], 7);
    EXPECT_EQ(mu[44], muLawCompress(readSample(w->Sound.frame(0), int16_t{})));
    EXPECT_FALSE(w->Modified);
    EXPECT_EQ(w->FileName, dir.file("mu.wav"));
    EXPECT_EQ(main->RecentFile1, dir.file("mu.wav"));

    saveAs(dir.file("al"), 3);
    EXPECT_EQ(readBytes(dir.file("al.wav"))[20], 6);

    const int16_t s0 = int16_t(readSample(w->Sound.frame(0), int16_t{}));
    const int16_t s1 = int16_t(readSample(w->Sound.frame(0) + 2, int16_t{}));
    const std::string first = std::to_string(s0);
    saveAs(dir.file("semi"), 4);
    EXPECT_EQ(text(dir.file("semi.csv")).substr(0, 18 + first.size()), "channel1;channel2\n" + first);
    saveAs(dir.file("comma"), 5);
    EXPECT_EQ(text(dir.file("comma.csv")).substr(0, 18), "channel1,channel2\n");
    saveAs(dir.file("space"), 6);
    EXPECT_EQ(text(dir.file("space.prn")).substr(0, 18), "channel1 channel2\n");
    saveAs(dir.file("tab.wav"), 7);
    const std::string tab = text(dir.file("tab.txt"));
    EXPECT_EQ(tab.substr(0, 18 + first.size() + 1 + std::to_string(s1).size() + 1),
              "channel1\tchannel2\n" + first + "\t" + std::to_string(s1) + "\n");
    EXPECT_EQ(std::count(tab.begin(), tab.end(), '\n'), 4);   // header and all three frames
    EXPECT_EQ(w->FileName, dir.file("al.wav"));   // the text files were exports
}

TEST_F(FormatWindowTest, PersonalisedTextTakesTheDialogsDelimiters) {
    const std::string a = wav("a.wav", 2, 8, 2);
    startWithFormats();
    TSoundfrm* w = open(a);
    ASSERT_TRUE(w);
    onModal<TTxtfrm>([](TTxtfrm& d) {
        EXPECT_EQ(d.windowTitle(), "Txt Selection");
        d.rd1->button(TTxtfrm::Other)->click();
        EXPECT_TRUE(d.Edit1->isVisibleTo(&d));
        d.Edit1->setText("|");
        d.rd2->button(TTxtfrm::Enter)->click();
        d.Button1->click();
    });
    saveAs(dir.file("mine"), 8);
    const std::string t = text(dir.file("mine.txt"));
    EXPECT_EQ(t.substr(0, 18), "channel1|channel2\r");
    EXPECT_EQ(std::count(t.begin(), t.end(), '\r'), 3);

    // Cancel writes nothing.
    w->Modified = true;
    onModal<TTxtfrm>([](TTxtfrm& d) { d.Button2->click(); });
    saveAs(dir.file("not"), 8);
    EXPECT_FALSE(fileExists(dir.file("not.txt")));
    EXPECT_TRUE(w->Modified);
}

TEST_F(FormatWindowTest, TextExportsLeaveTheSoundAsItWas) {
    const std::string a = wav("a.wav", 3, 16, 1);
    startWithFormats();
    TSoundfrm* w = open(a);
    ASSERT_TRUE(w);
    w->Modified = true;
    w->mostrar_sonido(w->Zoom);
    const std::string caption = w->caption();
    const QString bytes = w->StatusPanels[0]->text();
    const int64_t fileSize = w->FileSize;
    ASSERT_EQ(w->StatusPanels[5]->text(), "Modified");

    // Each text type the program cannot open again: the file is written,
    // and the window is still the sound of a.wav, unsaved.
    const std::pair<int, const char*> rows[] = {{4, "s.csv"}, {5, "c.csv"}, {6, "p.prn"}, {7, "t.txt"}, {8, "o.txt"}};
    for (const auto& [row, file] : rows) {
        if (row == 8) onModal<TTxtfrm>([](TTxtfrm& d) { d.Button1->click(); });
        saveAs(dir.file(file), row);
        EXPECT_TRUE(fileExists(dir.file(file))) << file;
        EXPECT_EQ(w->FileName, a) << file;
        EXPECT_EQ(w->caption(), caption) << file;
        EXPECT_TRUE(w->Modified) << file;
        EXPECT_EQ(w->StatusPanels[5]->text(), "Modified") << file;
        EXPECT_EQ(w->StatusPanels[0]->text(), bytes) << file;
        EXPECT_EQ(w->FileSize, fileSize) << file;
        EXPECT_EQ(recent(), (std::vector<std::string>{a, "", ""})) << file;
    }

    // Closing still offers to save the sound.
    scripted().answer(mrNo);
    w->closeWindow();
    EXPECT_EQ(scripted().log.back().text, "Do you wish to save the file a.wav ?");
    EXPECT_EQ(openWindows(), 0);

    // A new sound exported from its closing question is still unsaved: the
    // window stays.
    main->New2Click();
    TSoundfrm* n = main->soundWindows().back();
    n->Modified = true;
    scripted().answer(mrYes);
    chooseFilters().filters.push_back(4);
    scripted().answerFile(dir.file("x"));
    n->closeWindow();
    EXPECT_TRUE(fileExists(dir.file("x.csv")));
    EXPECT_EQ(openWindows(), 1);
    EXPECT_TRUE(n->Modified);
}

TEST_F(FormatWindowTest, FailedExportKeepsTheSoundUnsaved) {
    const std::string a = wav("a.wav", 10);
    startWithFormats();
    TSoundfrm* w = open(a);
    ASSERT_TRUE(w);
    w->Modified = true;
    setCreateFaultHook([](const std::string&) { return EACCES; });
    saveAs(dir.file("x"), 2);
    setCreateFaultHook(nullptr);
    EXPECT_TRUE(scripted().sawMessage("Error " + std::to_string(EACCES) + " accessing the file, try another name."));
    EXPECT_TRUE(w->Modified);
    EXPECT_EQ(w->FileName, a);
}

TEST(FormatDialogs, FormatSelectionValues) {
    Tformatselectionfrm d;
    d.preset(8000, 1, 8);
    EXPECT_EQ(d.rg1->ItemIndex(), 3);
    EXPECT_TRUE(d.Edit1->isVisibleTo(&d));
    EXPECT_EQ(d.Edit1->text(), "8000");
    d.Button1Click();
    EXPECT_EQ(d.result(), mrOk);
    EXPECT_EQ(d.SamplesPerSec, 8000);
    EXPECT_EQ(d.Channels, 1);
    EXPECT_EQ(d.BitsPerSample, 8);

    Tformatselectionfrm e;
    e.rg1->button(3)->click();
    for (const char* bad : {"abc", "0"}) {
        e.setResult(0);
        e.Edit1->setText(bad);
        e.Button1Click();
        EXPECT_EQ(e.result(), 0) << bad;   // stays open
    }
    EXPECT_EQ(scripted().log.size(), 2u);
    e.rg1->button(1)->click();
    EXPECT_FALSE(e.Edit1->isVisibleTo(&e));
    e.Button1Click();
    EXPECT_EQ(e.SamplesPerSec, 22050);
}

TEST(FormatDialogs, TxtChoicesGiveTheirCharacters) {
    TTxtfrm d;
    EXPECT_EQ(d.rd1->ItemIndex(), TTxtfrm::Semicolon);
    EXPECT_EQ(d.rd2->ItemIndex(), TTxtfrm::NewLine);
    d.rd1->button(TTxtfrm::Tab)->click();
    d.rd2->button(TTxtfrm::Enter)->click();
    EXPECT_FALSE(d.Edit1->isVisibleTo(&d));
    d.Button1Click();
    EXPECT_EQ(d.ColumnDelimiter, '\t');
    EXPECT_EQ(d.LineDelimiter, '\r');
    EXPECT_EQ(d.CancelFlag, 0);

    // "Other" with the box emptied keeps the ";" it set.
    TTxtfrm e;
    e.rd2->button(TTxtfrm::Other)->click();
    EXPECT_EQ(e.LineDelimiter, ';');
    e.Edit2->clear();
    e.Button1Click();
    EXPECT_EQ(e.LineDelimiter, ';');
    QTimer::singleShot(0, &e, [&e] { e.reject(); });
    EXPECT_EQ(e.mostrar(), 1);
}

} // namespace

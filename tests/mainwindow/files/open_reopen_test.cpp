// Opening by extension, the reopen list and dropped files.
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <sys/stat.h>

#include "tests/mainwindow/files/file_fixture.h"

using namespace sv;
using namespace sv::test;

namespace {

// A reader that makes a short 8-bit mono sound, as the readers of other
// formats will.
bool fakeRead(TSoundfrm* w, const std::string& name) {
    SoundBuffer s;
    s.format = SampleFormat::pcm(8000, 8, 1);
    s.bytes.resize(100);
    std::fill(s.bytes.data(), s.bytes.data() + 100, uint8_t(127));
    w->adoptSound(std::move(s));
    w->FileName = name;
    w->SoundLoaded = true;
    w->NoRedraw = false;
    return true;
}

void drop(TSVMainfrm& main, const std::vector<std::string>& files) {
    QMimeData data;
    QList<QUrl> urls;
    for (const std::string& f : files) urls << QUrl::fromLocalFile(QString::fromStdString(f));
    data.setUrls(urls);
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&main, &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent ev(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&main, &ev);
    QCoreApplication::processEvents();
}

} // namespace

TEST_F(FileCommandsTest, OpenDialogOpensTheChosenWaveAndShiftsTheList) {
    const std::string a = wav("a.wav");
    start();
    scripted().answerFile(a);
    main->Open2Click();
    ASSERT_EQ(main->childCount(), 1);
    EXPECT_EQ(main->soundWindows()[0]->FrameCount(), 800);
    EXPECT_FALSE(main->soundWindows()[0]->parentWidget()->isHidden());
    const PromptRecord& dlg = scripted().log.front();
    EXPECT_EQ(dlg.kind, "open");
    EXPECT_EQ(dlg.caption, "Open Waveform");
    EXPECT_EQ(dlg.request.filter,
              "PCM Waveforms (*.wav)|*.wav|u-LAW Waveforms (*.wav)|*.wav|a-LAW Waveforms (*.wav)|*.wav|"
              "SND NeXT/Sun Files (*.snd;*.au)|*.snd;*.au|Raw Data (*.raw)|*.raw|All files (*.*)|*.*");
    EXPECT_EQ(recent(), (std::vector<std::string>{a, "", ""}));
    EXPECT_EQ(storedRecent(), (std::vector<std::string>{a, "", ""}));
    EXPECT_TRUE(main->SpeedButton16->isEnabled());
    EXPECT_TRUE(main->Reabrir1->isEnabled());
}

TEST_F(FileCommandsTest, CancelledOpenDialogDoesNothing) {
    start();
    scripted().answerFile("");
    main->Open2Click();
    EXPECT_EQ(main->childCount(), 0);
    EXPECT_EQ(recent(), (std::vector<std::string>{"", "", ""}));
    EXPECT_FALSE(fileExists(dir.file("dadoruz.ini")));
}

TEST_F(FileCommandsTest, UnknownExtensionOpensNothingAndKeepsTheList) {
    writeBytes(dir.file("notes.txt"), {1, 2, 3});
    start();
    main->ObrirFitxer(false, dir.file("notes.txt"));
    EXPECT_EQ(main->childCount(), 0);
    EXPECT_TRUE(main->RecentFile1.empty());
    EXPECT_TRUE(scripted().log.empty());
}

TEST_F(FileCommandsTest, RegisteredReadersAreChosenByLowerCasedExtension) {
    writeBytes(dir.file("x.RAW"), std::vector<uint8_t>(100, 1));
    writeBytes(dir.file("y.au"), std::vector<uint8_t>(100, 1));
    start();
    std::vector<std::string> seen;
    main->registerReader(".raw", [&](TSoundfrm* w, const std::string& n) { seen.push_back("raw " + n); return fakeRead(w, n); });
    main->registerReader(".AU", [&](TSoundfrm* w, const std::string& n) { seen.push_back("au " + n); return fakeRead(w, n); });
    main->ObrirFitxer(false, dir.file("x.RAW"));
    main->ObrirFitxer(false, dir.file("y.au"));
    EXPECT_EQ(seen, (std::vector<std::string>{"raw " + dir.file("x.RAW"), "au " + dir.file("y.au")}));
    EXPECT_EQ(openWindows(), 2);
    EXPECT_EQ(main->RecentFile1, dir.file("y.au"));
    EXPECT_EQ(main->RecentFile2, dir.file("x.RAW"));

    // With the readers there the open dialog offers their types.
    scripted().answerFile("");
    main->Open2Click();
    EXPECT_EQ(scripted().log.back().request.filter,
              "PCM Waveforms (*.wav)|*.wav|u-LAW Waveforms (*.wav)|*.wav|a-LAW Waveforms (*.wav)|*.wav|"
              "SND NeXT/Sun Files (*.snd;*.au)|*.snd;*.au|Raw Data (*.raw)|*.raw|All files (*.*)|*.*");
}

TEST_F(FileCommandsTest, FailedCancelledOrThrowingReadersLeaveNoWindow) {
    writeBytes(dir.file("a.raw"), {1});
    start();
    main->registerReader(".raw", [](TSoundfrm*, const std::string&) { return false; });
    main->ObrirFitxer(false, dir.file("a.raw"));
    EXPECT_EQ(openWindows(), 0);
    EXPECT_FALSE(main->SpeedButton16->isEnabled());

    main->registerReader(".raw", [](TSoundfrm*, const std::string&) -> bool { throw std::runtime_error("bad"); });
    main->ObrirFitxer(false, dir.file("a.raw"));
    EXPECT_EQ(openWindows(), 0);
    EXPECT_TRUE(scripted().sawMessage("Error opening the file"));

    // A reader that closed its window itself but claims success is not shown.
    auto closesItself = [](TSoundfrm* w, const std::string& n) {
        fakeRead(w, n);
        w->closeWindow();
        return true;
    };
    EXPECT_EQ(main->openWithReader(closesItself, dir.file("a.raw")), nullptr);
    EXPECT_EQ(openWindows(), 0);
}

TEST_F(FileCommandsTest, FoldersPipesAndUnreadableNamesSayWhatIsWrong) {
    std::filesystem::create_directories(dir.file("d.wav"));
    ASSERT_EQ(::mkfifo(dir.file("p.wav").c_str(), 0600), 0);   // no writer: opening it would wait
    std::filesystem::create_symlink("loop.wav", dir.file("loop.wav"));
    const std::string said[] = {"Error opening file " + dir.file("d.wav") + ": it is a folder, not a file.",
                                "Error opening file " + dir.file("p.wav") + ": it is not a regular file.",
                                "Error opening file " + dir.file("loop.wav") + ": " + std::strerror(ELOOP) + "."};
    // Named on the command line, chosen in the open dialog or dropped.
    start({dir.file("d.wav"), dir.file("p.wav"), dir.file("loop.wav")});
    EXPECT_EQ(scripted().messages(), std::vector<std::string>(std::begin(said), std::end(said)));
    scripted().log.clear();
    for (const char* name : {"d.wav", "p.wav", "loop.wav"}) main->ObrirFitxer(false, dir.file(name));
    EXPECT_EQ(scripted().messages(), std::vector<std::string>(std::begin(said), std::end(said)));
    EXPECT_EQ(openWindows(), 0);
    EXPECT_EQ(recent(), (std::vector<std::string>{"", "", ""}));
}

TEST_F(FileCommandsTest, ReopenListShiftsKeepsDuplicatesAndSurvivesARestart) {
    const std::string a = wav("a.wav"), b = wav("b.wav"), c = wav("c.wav"), d = wav("d.wav");
    start();
    open(a);
    open(a);
    EXPECT_EQ(recent(), (std::vector<std::string>{a, a, ""}));
    open(b);
    open(c);
    open(d);
    EXPECT_EQ(recent(), (std::vector<std::string>{d, c, b}));
    EXPECT_EQ(storedRecent(), (std::vector<std::string>{d, c, b}));

    restart();
    EXPECT_EQ(recent(), (std::vector<std::string>{d, c, b}));
    EXPECT_TRUE(main->Reabrir1->isEnabled());
    main->Reabrir1Click();
    EXPECT_EQ(main->item("reabrir11")->text().toStdString(), d);
    EXPECT_EQ(main->item("reabrir13")->text().toStdString(), b);
    EXPECT_TRUE(main->item("reabrir12")->isVisible());
}

TEST_F(FileCommandsTest, FirstOpenOfARunKeepsTheStoredList) {
    IniFile ini(dir.file("dadoruz.ini"));
    ini.WriteString("Configuration", "abrir1", "/x.wav");
    ini.WriteString("Configuration", "abrir2", "/y.wav");
    ini.WriteString("Configuration", "abrir3", "/z.wav");
    const std::string a = wav("a.wav");
    start();
    open(a);
    EXPECT_EQ(storedRecent(), (std::vector<std::string>{a, "/x.wav", "/y.wav"}));
}

TEST_F(FileCommandsTest, ReopenOpensWithoutShiftingAndShowsOnlyFilledEntries) {
    const std::string a = wav("a.wav"), b = wav("b.wav");
    start();
    open(a);
    open(b);
    main->Reabrir1Click();
    EXPECT_FALSE(main->item("reabrir13")->isVisible());
    main->reabrir12Click();
    ASSERT_EQ(openWindows(), 3);
    EXPECT_EQ(main->soundWindows().back()->FileName, a);
    EXPECT_EQ(recent(), (std::vector<std::string>{b, a, ""}));
}

TEST_F(FileCommandsTest, ReopenOfAVanishedFileReportsAndDisablesTheItem) {
    const std::string a = wav("a.wav");
    start();
    open(a);
    deleteFile(a);
    main->reabrir11Click();
    EXPECT_TRUE(scripted().sawMessage("An error has occurred while opening the file"));
    EXPECT_EQ(openWindows(), 1);
    main->Reabrir1Click();
    EXPECT_FALSE(main->item("reabrir11")->isEnabled());
    EXPECT_EQ(main->RecentFile1, a);
    // Once the list moves on, the entry is offered again.
    open(wav("b.wav"));
    main->Reabrir1Click();
    EXPECT_TRUE(main->item("reabrir11")->isEnabled());
}

TEST_F(FileCommandsTest, LongNamesAreKeptWholeAndReopen) {
    const std::string sub = std::string(90, 'l') + "/";
    std::filesystem::create_directories(dir.file(sub));
    const std::string a = wav(sub + "long & deep.wav");
    ASSERT_GT(a.size(), 80u);
    start();
    open(a);
    restart();
    EXPECT_EQ(main->RecentFile1, a);
    main->Reabrir1Click();
    // '&' is shown as itself, not as a mnemonic; the middle of the long
    // path gives way (the menu would be as wide as the screen), and the
    // item's tip holds all of it.
    const QAction* item = main->item("reabrir11");
    EXPECT_TRUE(item->text().endsWith("long && deep.wav"));
    EXPECT_TRUE(item->text().contains(QChar(0x2026)));
    EXPECT_EQ(item->toolTip().toStdString(), a);
    EXPECT_TRUE(main->Reabrir1->toolTipsVisible());
    main->reabrir11Click();
    ASSERT_EQ(openWindows(), 1);
    EXPECT_EQ(main->soundWindows()[0]->FileName, a);
}

TEST_F(FileCommandsTest, ReopenRoutesOtherExtensionsToTheirReaders) {
    writeBytes(dir.file("s.snd"), {1, 2});
    start();
    int calls = 0;
    main->registerReader(".snd", [&](TSoundfrm* w, const std::string& n) { ++calls; return fakeRead(w, n); });
    main->ObrirFitxer(false, dir.file("s.snd"));
    main->reabrir11Click();
    EXPECT_EQ(calls, 2);
    EXPECT_EQ(openWindows(), 2);
}

TEST_F(FileCommandsTest, DroppedFilesOpenInOrderAndOthersAreIgnored) {
    const std::string a = wav("a.wav", 100), b = wav("b.wav", 200), c = wav("c.wav", 300);
    writeBytes(dir.file("t.txt"), {1});
    start();
    drop(*main, {a, dir.file("t.txt"), b, c});
    ASSERT_EQ(openWindows(), 3);
    auto ws = main->soundWindows();
    EXPECT_EQ(ws[0]->FrameCount(), 100);
    EXPECT_EQ(ws[1]->FrameCount(), 200);
    EXPECT_EQ(ws[2]->FrameCount(), 300);
    EXPECT_EQ(recent(), (std::vector<std::string>{c, b, a}));
}

TEST_F(FileCommandsTest, DragsWithoutFilesAreRefused) {
    start();
    QMimeData data;
    data.setText("hello");
    QDragEnterEvent enter(QPoint(1, 1), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(main.get(), &enter);
    EXPECT_FALSE(enter.isAccepted());
    // A selection drag only counts when it comes from a sound window.
    QMimeData sel;
    sel.setData(TSVMainfrm::kSelectionDragMime, QByteArray());
    QDragEnterEvent enter2(QPoint(1, 1), Qt::MoveAction, &sel, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(main.get(), &enter2);
    EXPECT_FALSE(enter2.isAccepted());
}

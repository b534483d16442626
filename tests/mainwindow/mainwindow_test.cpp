#include <gtest/gtest.h>

#include <QApplication>
#include <QCloseEvent>
#include <QDialog>
#include <QDir>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QStatusBar>
#include <QTest>
#include <QTimer>

#include <csignal>

#include "mainwindow/SonvelaMain.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "platform/settings.h"
#include "sound/Sound.h"
#include "tests/support/window_fixture.h"

using namespace sv;
using namespace sv::test;

namespace {

class MainWindowTest : public WindowTest {
protected:
    std::string wav(const std::string& name, int bits = 16, int channels = 2, int frames = 5000) {
        return WindowTest::wav(name, bits, channels, testSignal(bits, channels, frames));
    }
};

} // namespace

TEST_F(MainWindowTest, StartsEmptyWithZeroBoxesAndDefaults) {
    start();
    EXPECT_EQ(main->childCount(), 0);
    EXPECT_EQ(main->Edit2->text(), "0");
    EXPECT_EQ(main->Edit3->text(), "0");
    EXPECT_EQ(main->Edit4->text(), "0");
    EXPECT_EQ(main->UndoLevels, 10);
    EXPECT_EQ(main->BackgroundColor, 0xC0C0C0u);
    EXPECT_FALSE(main->Reabrir1->isEnabled());
    EXPECT_FALSE(main->SpeedButton16->isEnabled());
    EXPECT_EQ(main->windowTitle(), "Sonvela");
}

TEST_F(MainWindowTest, CommandLineOpensWaveFilesAndSkipsOthers) {
    std::string a = wav("a.wav", 16, 2, 7000);
    writeBytes(dir.file("b.txt"), {1, 2, 3});
    start({a, dir.file("b.txt")});
    ASSERT_EQ(main->childCount(), 1);
    TSoundfrm* w = main->soundWindows()[0];
    EXPECT_EQ(w->FrameCount(), 7000);
    EXPECT_EQ(w->StatusPanels[0]->text(), QString::number(44 + 7000 * 4) + " Bytes");
    EXPECT_EQ(w->StatusPanels[1]->text(), "7000 Samples");
    EXPECT_EQ(w->StatusPanels[2]->text(), "16 Bits");
    EXPECT_EQ(w->StatusPanels[3]->text(), "22050 Hz");
    EXPECT_EQ(w->StatusPanels[4]->text(), "Stereo");
    EXPECT_EQ(w->StatusPanels[5]->text(), "Saved");
    EXPECT_TRUE(main->SoundLoaded);
    EXPECT_EQ(main->SoundLength, 7000);
    // The reopen list is stored as all three keys.
    IniFile ini(dir.file("dadoruz.ini"));
    EXPECT_EQ(ini.ReadString("Configuration", "abrir1", ""), a);
    EXPECT_TRUE(ini.ValueExists("Configuration", "abrir2"));
    EXPECT_TRUE(ini.ValueExists("Configuration", "abrir3"));
    // A second activation opens nothing again.
    main->FormActivate();
    EXPECT_EQ(main->childCount(), 1);
}

TEST_F(MainWindowTest, CommandLineNamesAreListedAndShownWithTheirWholePath) {
    const std::string a = wav("a.wav", 8, 1, 100);
    const QString before = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(QString::fromStdString(dir.path())));
    start({"a.wav", "./a.wav"});
    QDir::setCurrent(before);
    ASSERT_EQ(main->childCount(), 2);
    // Reopened from any folder, the entries still name the file.
    EXPECT_EQ(main->RecentFile1, a);
    EXPECT_EQ(main->RecentFile2, a);
    EXPECT_EQ(main->soundWindows()[0]->caption(), a);
    EXPECT_EQ(main->soundWindows()[0]->FileName, a);
}

TEST_F(MainWindowTest, PlayWithoutAFileReportsTheEmptyName) {
    start({"-PLAY"});
    EXPECT_TRUE(scripted().sawMessage("Error: The file  does not exist."));
    EXPECT_EQ(main->childCount(), 0);
}

TEST_F(MainWindowTest, FileWithChunksOpensWithTheRightSamples) {
    const auto data = testSignal(8, 1, 999);
    writeBytes(dir.file("list.wav"),
               chunkedWave(11025, 8, 1, data, chunk("LIST", std::vector<uint8_t>(40, 'i')), chunk("junk", {1, 2})));
    start({dir.file("list.wav")});
    ASSERT_EQ(main->childCount(), 1);
    TSoundfrm* w = main->soundWindows()[0];
    ASSERT_EQ(w->FrameCount(), 999);
    EXPECT_EQ(0, std::memcmp(w->Sound.bytes.data(), data.data(), data.size()));
    EXPECT_EQ(w->StatusPanels[4]->text(), "Mono");
}

TEST_F(MainWindowTest, RefusedFormatsLeaveNoWindow) {
    auto adpcm = canonicalWave(8000, 16, 1, testSignal(16, 1, 100));
    adpcm[20] = 2;
    writeBytes(dir.file("adpcm.wav"), adpcm);
    auto three = canonicalWave(8000, 16, 1, testSignal(16, 1, 100));
    three[22] = 3;   // three channels: not one of the layouts the editor reads
    writeBytes(dir.file("three.wav"), three);
    writeBytes(dir.file("tiny.wav"), {'R', 'I', 'F', 'F'});
    start();
    main->ObrirFitxer(false, dir.file("adpcm.wav"));
    EXPECT_TRUE(scripted().sawMessage("Sonvela does not support ADPCM files."));
    scripted().answer(mrNo);
    main->ObrirFitxer(false, dir.file("three.wav"));
    EXPECT_EQ(scripted().log.back().caption, "Convert File");
    main->ObrirFitxer(false, dir.file("tiny.wav"));
    EXPECT_TRUE(scripted().sawMessage("Format seems corrupted."));
    flushDeletes();
    EXPECT_EQ(main->childCount(), 0);
    EXPECT_FALSE(main->SoundLoaded);
}

TEST_F(MainWindowTest, DamagedSizeAsksBeforeOpening) {
    auto bytes = canonicalWave(8000, 8, 1, testSignal(8, 1, 100));
    bytes[41] = 0x10;   // claims far more data than the file holds
    writeBytes(dir.file("bad.wav"), bytes);
    start();
    scripted().answer(mrNo);
    main->ObrirFitxer(false, dir.file("bad.wav"));
    flushDeletes();
    EXPECT_EQ(main->childCount(), 0);
    scripted().answer(mrYes);
    main->ObrirFitxer(false, dir.file("bad.wav"));
    ASSERT_EQ(main->childCount(), 1);
    EXPECT_EQ(main->soundWindows()[0]->FrameCount(), 100);
}

TEST_F(MainWindowTest, NewSoundsAreNumbered) {
    start();
    main->New2Click();
    main->New2Click();
    auto ws = main->soundWindows();
    ASSERT_EQ(ws.size(), 2u);
    EXPECT_EQ(ws[0]->caption(), "New1.wav");
    EXPECT_EQ(ws[1]->caption(), "New2.wav");
}

TEST_F(MainWindowTest, SaveQuestionAnswers) {
    std::string a = wav("a.wav", 8, 1, 300);
    start({a});
    TSoundfrm* w = main->soundWindows()[0];
    w->Modified = true;

    // Cancel keeps the window.
    scripted().answer(mrCancel);
    w->closeWindow();
    flushDeletes();
    ASSERT_EQ(main->childCount(), 1);
    EXPECT_EQ(scripted().log.back().caption, "Save");
    EXPECT_EQ(scripted().log.back().text, "Do you wish to save the file a.wav ?");
    EXPECT_EQ(scripted().log.back().buttons, Buttons::YesNoCancel);

    // Yes saves to the file, then the window goes and the main view resets.
    w->Sound.bytes.data()[0] = 3;
    scripted().answer(mrYes);
    w->closeWindow();
    flushDeletes();
    EXPECT_EQ(main->childCount(), 0);
    EXPECT_EQ(readBytes(a)[44], 3);
    EXPECT_EQ(main->Edit2->text(), "1");
    EXPECT_FALSE(main->SoundLoaded);
    EXPECT_TRUE(main->SaveDisabled);

    // No closes without saving.
    start({a});
    w = main->soundWindows().back();
    w->Sound.bytes.data()[0] = 9;
    w->Modified = true;
    scripted().answer(mrNo);
    w->closeWindow();
    flushDeletes();
    EXPECT_EQ(readBytes(a)[44], 3);
}

TEST_F(MainWindowTest, NewSoundSaveDialogCancelledKeepsTheWindow) {
    start();
    main->New2Click();
    TSoundfrm* w = main->soundWindows()[0];
    w->Modified = true;
    scripted().answer(mrYes);
    scripted().answerFile("");   // cancel the save dialog
    w->closeWindow();
    flushDeletes();
    EXPECT_EQ(main->childCount(), 1);
    EXPECT_EQ(scripted().log.back().kind, "save");
    EXPECT_EQ(scripted().log.back().request.fileName, "New1.wav");
    // The dialog is Save As's, with every type it offers.
    const FileDialogRequest onClose = scripted().log.back().request;
    scripted().answerFile("");
    main->SaveAs2Click();
    EXPECT_EQ(scripted().log.back().caption, "Save Waveform");
    EXPECT_EQ(onClose.title, scripted().log.back().request.title);
    EXPECT_EQ(onClose.filter, scripted().log.back().request.filter);
}

TEST_F(MainWindowTest, FailedSaveKeepsSoundModifiedAndOldFile) {
    std::string a = wav("a.wav", 16, 1, 200);
    const auto before = readBytes(a);
    start({a});
    TSoundfrm* w = main->soundWindows()[0];
    w->Modified = true;
    setCreateFaultHook([](const std::string&) { return EACCES; });
    EXPECT_FALSE(w->guardar_como(a, true));
    setCreateFaultHook(nullptr);
    EXPECT_TRUE(w->Modified);
    EXPECT_TRUE(scripted().sawMessage("Error 13 accessing the file, try another name."));
    EXPECT_EQ(readBytes(a), before);
}

TEST_F(MainWindowTest, SaveSelectionKeepsModifiedAndForcesWav) {
    std::string a = wav("a.wav", 16, 2, 100);
    start({a});
    TSoundfrm* w = main->soundWindows()[0];
    w->Modified = true;
    w->setSelection(10, 20);
    ASSERT_TRUE(w->guardar_seleccion(dir.file("part.WAV")));
    EXPECT_TRUE(w->Modified);
    auto bytes = readBytes(dir.file("part.WAV"));
    ASSERT_EQ(bytes.size(), 44u + 20 * 4);
    EXPECT_EQ(0, std::memcmp(bytes.data() + 44, w->Sound.frame(10), 80));
    ASSERT_TRUE(w->guardar_seleccion(dir.file("other.au")));
    EXPECT_TRUE(fileExists(dir.file("other.wav")));
}

TEST_F(MainWindowTest, ExitQuestionAndClosingWithModifiedSounds) {
    std::string a = wav("a.wav", 8, 1, 100);
    writeBytes(dir.file("wavecopy.tmp"), {1, 2, 3});
    start({a});
    main->soundWindows()[0]->Modified = true;

    QCloseEvent no;
    scripted().answer(mrNo);
    QApplication::sendEvent(main.get(), &no);
    EXPECT_FALSE(no.isAccepted());
    EXPECT_EQ(main->childCount(), 1);

    // Yes to exit: the save question offers Yes and No only.
    QCloseEvent yes;
    scripted().answer(mrYes);
    scripted().answer(mrNo);
    QApplication::sendEvent(main.get(), &yes);
    EXPECT_TRUE(yes.isAccepted());
    EXPECT_EQ(scripted().log.back().buttons, Buttons::YesNo);
    EXPECT_FALSE(fileExists(dir.file("wavecopy.tmp")));
    EXPECT_EQ(IniFile(dir.file("dadoruz.ini")).ReadInteger("Configuration", "ViewGrid", -1), 0);
}

// A log-out sends SIGTERM, possibly while a modal dialog is open: the
// dialog returns first, then every window closes unasked and unsaved, and
// neither undo steps nor the clipboard file stay behind.
TEST_F(MainWindowTest, TerminationSignalClosesEverythingWithoutQuestions) {
    const std::string a = wav("a.wav", 8, 1, 100);
    const auto original = readBytes(a);
    writeBytes(dir.file("wavecopy.tmp"), {1, 2, 3});
    start({a});
    TSoundfrm* w = main->soundWindows()[0];
    w->Sound.setSelection(10, 20);
    ASSERT_TRUE(w->Undo->guardar_deshacer("Cut", 20, false, w->Sound));
    w->Modified = true;
    const std::string step = w->Undo->newestPath();
    ASSERT_TRUE(fileExists(step));

    int windowsWhenTheDialogReturned = -1;
    QTimer::singleShot(0, main.get(), [&] {
        QDialog modal(main.get());
        QTimer::singleShot(0, [] { ::raise(SIGTERM); });
        modal.exec();
        windowsWhenTheDialogReturned = int(main->soundWindows().size());
    });
    EXPECT_EQ(main->run(), 0);
    flushDeletes();
    EXPECT_EQ(windowsWhenTheDialogReturned, 1);
    EXPECT_TRUE(main->soundWindows().empty());
    EXPECT_FALSE(fileExists(step));
    EXPECT_FALSE(fileExists(dir.file("wavecopy.tmp")));
    EXPECT_EQ(readBytes(a), original);
    EXPECT_TRUE(scripted().log.empty());
}

TEST_F(MainWindowTest, PreferredZoomCapsTheZoomAfterARead) {
    IniFile ini(dir.file("dadoruz.ini"));
    ini.WriteInteger("Options", "AutoZoom", 0);
    ini.WriteInteger("Options", "PreferredZoom", 4);
    std::string a = wav("long.wav", 8, 1, 200000);
    start({a});
    TSoundfrm* w = main->soundWindows()[0];
    EXPECT_EQ(w->Zoom, 4);
    EXPECT_GT(w->FitZoom, 4);
    EXPECT_EQ(main->Edit2->text(), "4");
}

TEST_F(MainWindowTest, WindowsOnOneFileAreNumbered) {
    std::string a = wav("a.wav", 8, 1, 100);
    start({a});
    main->ObrirFitxer(false, a);
    auto ws = main->soundWindows();
    ASSERT_EQ(ws.size(), 2u);
    EXPECT_EQ(ws[0]->Tag, 0);
    EXPECT_EQ(ws[1]->Tag, 1);
    EXPECT_EQ(ws[1]->UndoCounter, 10000);
    EXPECT_EQ(main->QuantsFitxersIguals(a), 2);
    EXPECT_EQ(main->QuantsFitxersIguals(toLower(a) + "x"), 0);
}

TEST_F(MainWindowTest, OnlyAvailableCommandsAreEnabled) {
    start();
    for (const char* n : {"DivideWaveForm1", "DivideTracks1", "DivideByLength_SB", "Imprimir1CliImprimir1", "Exit2"})
        EXPECT_TRUE(main->item(n)->isEnabled()) << n;
    // A command without a handler stays disabled whatever enables its menu.
    QAction* probe = main->addItem(main->Help1, "Probe1", "Probe");
    main->enableItem("Probe1", true);
    EXPECT_FALSE(probe->isEnabled());
    // Every item of the menus has its command.
    for (const auto& [name, action] : main->items)
        if (name != "Probe1") EXPECT_TRUE(main->hasHandler(name)) << name;
}

TEST_F(MainWindowTest, SavingANewSoundOnCloseAsksBeforeReplacingAFile) {
    std::string existing = wav("taken.wav", 8, 1, 10);
    const auto before = readBytes(existing);
    start();
    main->New2Click();
    TSoundfrm* w = main->soundWindows()[0];
    w->Modified = true;
    scripted().answer(mrYes);               // save it
    scripted().answerFile(dir.file("taken.WAV").substr(0, dir.file("taken.WAV").size() - 4));  // no extension
    scripted().answer(mrNo);                // do not replace
    w->closeWindow();
    flushDeletes();
    EXPECT_EQ(main->childCount(), 1);
    EXPECT_EQ(scripted().log.back().text, "The file taken.wav already exists. Do you want to replace it?");
    EXPECT_EQ(readBytes(existing), before);
}

TEST_F(MainWindowTest, SaveSelectionAsksAboutTheNameWritten) {
    std::string a = wav("a.wav", 16, 1, 100);
    std::string taken = wav("part.wav", 8, 1, 10);
    const auto before = readBytes(taken);
    start({a});
    TSoundfrm* w = main->soundWindows()[0];
    w->setSelection(10, 20);
    main->Edit3->setText("20");
    scripted().answerFile(dir.file("part"));   // becomes part.wav, which exists
    scripted().answer(mrNo);
    main->item("SaveSelection2")->trigger();
    EXPECT_EQ(scripted().log.back().caption, "Sonvela Selection");
    EXPECT_EQ(readBytes(taken), before);
    EXPECT_EQ(main->RecentFile1, taken);   // the list moved all the same

    scripted().answerFile(dir.file("new.wav"));
    main->item("SaveSelection2")->trigger();
    EXPECT_EQ(readBytes(dir.file("new.wav")).size(), 44u + 20 * 2);
    EXPECT_EQ(IniFile(dir.file("dadoruz.ini")).ReadString("Configuration", "abrir1", ""), dir.file("new.wav"));
}

// Whatever has the focus when the window goes (the menu bar after a lone
// Alt, a box with a typed value), nothing of it is called once its
// destruction has begun: its status line and boxes stay as they were.
TEST_F(MainWindowTest, NothingReachesTheWindowWhileItIsDestroyed) {
    for (const bool menuBar : {true, false}) {
        start();
        main->show();
        main->activateWindow();
        QApplication::setActiveWindow(main.get());
        QApplication::processEvents();
        main->statusBar()->showMessage("before");
        if (menuBar) {
            QTest::keyClick(main.get(), Qt::Key_Alt);
            ASSERT_TRUE(main->menuBar()->hasFocus());
        } else {
            main->Edit3->setFocus();
            main->Edit3->setText("77");
            ASSERT_TRUE(main->Edit3->hasFocus());
        }
        QObject watcher;
        int reached = 0;
        QObject::connect(main->statusBar(), &QStatusBar::messageChanged, &watcher, [&] { ++reached; });
        QObject::connect(main->Edit3, &QLineEdit::textChanged, &watcher, [&] { ++reached; });
        main.reset();
        EXPECT_EQ(reached, 0) << (menuBar ? "menu bar" : "length box");
    }
}

// A window whose open fails never becomes the active one: the boxes,
// buttons and Edit menu go on describing the window in front, whether the
// file came from File > Open or from the command line.
TEST_F(MainWindowTest, AFailedOpenLeavesTheControlsOnTheWindowInFront) {
    const std::string a = wav("a.wav", 16, 2, 100000);
    auto truncated = canonicalWave(22050, 16, 2, testSignal(16, 2, 1000));
    truncated[41] = 0x10;   // claims far more data than the file holds
    writeBytes(dir.file("cut.wav"), truncated);
    for (const bool fromCommandLine : {false, true}) {
        if (fromCommandLine) scripted().answer(mrNo);   // to "Format seems corrupted..."
        start(fromCommandLine ? std::vector<std::string>{a, dir.file("cut.wav")} : std::vector<std::string>{a});
        if (!fromCommandLine) {
            TSoundfrm* w = main->soundWindows()[0];
            w->mostrar_sonido(12);
            w->setSelection(4000, 29051);
            w->FormActivate();
            scripted().answer(mrNo);
            main->ObrirFitxer(false, dir.file("cut.wav"));
        }
        flushDeletes();
        ASSERT_EQ(main->soundWindows().size(), 1u);
        const TSoundfrm* w = main->soundWindows()[0];
        EXPECT_EQ(main->Edit2->text(), QString::number(w->Zoom));
        EXPECT_EQ(main->Edit4->text(), QString::number(w->SelectionStart));
        EXPECT_EQ(main->Edit3->text(), QString::number(w->SelectionLength));
        if (!fromCommandLine) {
            EXPECT_EQ(main->Edit2->text(), "12");
            EXPECT_EQ(main->Edit3->text(), "29051");
            EXPECT_TRUE(main->button("SpeedButton5")->isEnabled());   // Cut
            emit main->Edit1->aboutToShow();
            EXPECT_TRUE(main->item("Copy1")->isEnabled());
        }
        EXPECT_TRUE(main->SoundLoaded);
        EXPECT_TRUE(main->button("SaveAs_SB")->isEnabled());
        closeAll();
    }
}

// Selection files, the Selection submenu and printing.
#include <QApplication>
#include <QPageSetupDialog>
#include <QComboBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QTimer>

#include <climits>

#include "mainwindow/file_printing.h"
#include "mainwindow/selection_file.h"
#include "platform/files.h"
#include "tests/mainwindow/files/file_fixture.h"

using namespace sv;
using namespace sv::test;

namespace {

std::vector<uint8_t> svs(int32_t start, int32_t length, int32_t zoom) {
    std::vector<uint8_t> b(12);
    putU32(b.data(), uint32_t(start));
    putU32(b.data() + 4, uint32_t(length));
    putU32(b.data() + 8, uint32_t(zoom));
    return b;
}

} // namespace

TEST(SelectionFile, ClampsIntoTheSound) {
    struct Case { int64_t s, l, es, el; } cases[] = {
        {500, 1000, 500, 300}, {900, 5, 800, 0},   {100, 50, 100, 50},   {800, 0, 800, 0},
        {-5, -7, 0, 0},        {-5, 900, 0, 800},  {700, INT32_MAX, 700, 100},
        {INT32_MAX, INT32_MAX, 800, 0},
    };
    for (const Case& c : cases) {
        int64_t s = c.s, l = c.l;
        clampStoredSelection(800, s, l);
        EXPECT_EQ(s, c.es) << c.s << "," << c.l;
        EXPECT_EQ(l, c.el) << c.s << "," << c.l;
    }
}

TEST(SelectionFile, WritesTwelveLittleEndianBytesAndReadsTheFirstTwo) {
    TempExeDir dir;
    writeSelectionFile(dir.file("a.svs"), {0x01020304, -2, 7});
    EXPECT_EQ(readBytes(dir.file("a.svs")),
              (std::vector<uint8_t>{4, 3, 2, 1, 0xFE, 0xFF, 0xFF, 0xFF, 7, 0, 0, 0}));
    SelectionRecord r = readSelectionFile(dir.file("a.svs"));
    EXPECT_EQ(r.start, 0x01020304);
    EXPECT_EQ(r.length, -2);
    EXPECT_EQ(r.zoom, 0);
    // Eight bytes are enough; fewer are an input error, as is no file.
    writeBytes(dir.file("b.svs"), {1, 0, 0, 0, 2, 0, 0, 0});
    EXPECT_EQ(readSelectionFile(dir.file("b.svs")).length, 2);
    writeBytes(dir.file("c.svs"), {1, 0, 0, 0, 2});
    EXPECT_THROW(readSelectionFile(dir.file("c.svs")), FileIOError);
    EXPECT_THROW(readSelectionFile(dir.file("none.svs")), FileIOError);
}

TEST(SelectionFile, FailedCreateKeepsTheOldFile) {
    TempExeDir dir;
    writeBytes(dir.file("a.svs"), svs(1, 2, 3));
    setCreateFaultHook([](const std::string&) { return EACCES; });
    EXPECT_THROW(writeSelectionFile(dir.file("a.svs"), {9, 9, 9}), FileIOError);
    setCreateFaultHook(nullptr);
    EXPECT_EQ(readBytes(dir.file("a.svs")), svs(1, 2, 3));
}

TEST_F(FileCommandsTest, SaveSelectionWritesStartLengthAndZoom) {
    start();
    TSoundfrm* w = open(wav("a.wav", 800));
    ASSERT_TRUE(w);
    w->setSelection(100, 250);
    w->mostrar_sonido(3);
    scripted().answerFile(dir.file("part"));
    main->SaveSelection1Click();
    const PromptRecord& dlg = scripted().log.back();
    EXPECT_EQ(dlg.caption, "Save Selection As...");
    EXPECT_EQ(dlg.request.fileName, dir.file("a.svs"));
    EXPECT_EQ(dlg.request.filter, "Sonvela Selections (*.svs)|*.svs");
    EXPECT_EQ(readBytes(dir.file("part.svs")), svs(100, 250, int32_t(w->Zoom)));
}

TEST_F(FileCommandsTest, SaveSelectionAsksBeforeOverwriting) {
    start();
    TSoundfrm* w = open(wav("a.wav", 800));
    w->setSelection(10, 20);
    writeBytes(dir.file("old.svs"), svs(1, 2, 3));
    scripted().answerFile(dir.file("old"));   // the extension comes later
    scripted().answer(mrNo);
    main->SaveSelection1Click();
    EXPECT_EQ(scripted().log.back().caption, "Sonvela Selection");
    EXPECT_EQ(scripted().log.back().text, "The file already exists. Do you want to overwrite it?");
    EXPECT_EQ(readBytes(dir.file("old.svs")), svs(1, 2, 3));
    scripted().answerFile(dir.file("old.svs"));
    scripted().answer(mrYes);
    main->SaveSelection1Click();
    EXPECT_EQ(readBytes(dir.file("old.svs")).at(0), 10);
}

TEST_F(FileCommandsTest, SaveSelectionToAnUncreatableFileReportsAndStops) {
    start();
    open(wav("a.wav", 800));
    setCreateFaultHook([](const std::string&) { return EACCES; });
    scripted().answerFile(dir.file("x.svs"));
    main->SaveSelection1Click();
    setCreateFaultHook(nullptr);
    EXPECT_EQ(scripted().log.back().kind, "message");
    EXPECT_FALSE(fileExists(dir.file("x.svs")));
}

TEST_F(FileCommandsTest, LoadSelectionClampsAndShowsTheSelection) {
    start();
    TSoundfrm* w = open(wav("a.wav", 800));
    ASSERT_TRUE(w);
    writeBytes(dir.file("s.svs"), svs(500, 1000, 99));
    scripted().answerFile(dir.file("s.svs"));
    main->LoadSelection1Click();
    EXPECT_EQ(scripted().log.back().caption, "Open selection...");
    EXPECT_EQ(w->SelectionStart, 500);
    EXPECT_EQ(w->SelectionLength, 300);
    EXPECT_EQ(main->Edit4->text(), "500");
    EXPECT_EQ(main->Edit3->text(), "300");

    writeBytes(dir.file("far.svs"), svs(900, 10, 1));
    scripted().answerFile(dir.file("far.svs"));
    main->LoadSelection1Click();
    EXPECT_EQ(w->SelectionStart, 800);
    EXPECT_EQ(w->SelectionLength, 0);

    writeBytes(dir.file("neg.svs"), svs(-40, INT_MAX, 1));
    scripted().answerFile(dir.file("neg.svs"));
    main->LoadSelection1Click();
    EXPECT_EQ(w->SelectionStart, 0);
    EXPECT_EQ(w->SelectionLength, 800);
}

TEST_F(FileCommandsTest, LoadSelectionNeedsOnlyStartAndLength) {
    start();
    TSoundfrm* w = open(wav("a.wav", 800));
    auto eight = svs(100, 50, 7);
    eight.resize(8);   // no zoom: it is never read
    writeBytes(dir.file("two.svs"), eight);
    scripted().answerFile(dir.file("two.svs"));
    main->LoadSelection1Click();
    EXPECT_EQ(w->SelectionStart, 100);
    EXPECT_EQ(w->SelectionLength, 50);
    EXPECT_EQ(main->Edit3->text(), "50");
    EXPECT_EQ(scripted().messages().size(), 0u);
}

TEST_F(FileCommandsTest, LoadSelectionOfABadFileChangesNothing) {
    start();
    TSoundfrm* w = open(wav("a.wav", 800));
    w->setSelection(5, 6);
    writeBytes(dir.file("short.svs"), {1, 2, 3});
    scripted().answerFile(dir.file("short.svs"));
    main->LoadSelection1Click();
    EXPECT_EQ(scripted().log.back().kind, "message");
    EXPECT_EQ(w->SelectionStart, 5);
    EXPECT_EQ(w->SelectionLength, 6);
    scripted().answerFile("");
    main->LoadSelection1Click();
    EXPECT_EQ(w->SelectionStart, 5);
}

TEST_F(FileCommandsTest, SelectionCommandsWithoutASoundDoNothing) {
    start();
    main->LoadSelection1Click();   // a prompt here would fail the test
    main->SaveSelection1Click();
    EXPECT_TRUE(scripted().log.empty());
}

TEST_F(FileCommandsTest, SelectionSubmenuEnablesSaveOnlyWithASelection) {
    start();
    installFileCommands(main.get());   // a second call adds nothing
    ASSERT_TRUE(main->Selection1);
    int submenus = 0;
    for (QAction* a : main->Miscellaneous1->actions())
        if (a->menu() == main->Selection1) ++submenus;
    EXPECT_EQ(submenus, 1);
    main->Edit3->setText("0");
    emit main->Selection1->aboutToShow();
    EXPECT_FALSE(main->item("SaveSelection1")->isEnabled());
    EXPECT_TRUE(main->item("LoadSelection1")->isEnabled());
    main->Edit3->setText("12");
    emit main->Selection1->aboutToShow();
    EXPECT_TRUE(main->item("SaveSelection1")->isEnabled());
}

TEST(Printing, ImageKeepsItsSizeOnPaperAndShrinksToFit) {
    const QSizeF page(4800, 6600);
    QSizeF s = printedSize(QSizeF(656, 294), 96, 96, 600, 600, page);
    EXPECT_DOUBLE_EQ(s.width(), 656 * 6.25);
    EXPECT_DOUBLE_EQ(s.height(), 294 * 6.25);
    s = printedSize(QSizeF(1920, 400), 96, 96, 600, 600, page);
    EXPECT_DOUBLE_EQ(s.width(), 4800);
    EXPECT_DOUBLE_EQ(s.height(), 1000);
    EXPECT_TRUE(printedSize(QSizeF(10, 10), 0, 96, 600, 600, page).isEmpty());
}

TEST_F(FileCommandsTest, PrintSendsTheActiveWindowToThePrinter) {
    start();
    int dialogs = 0;
    const std::string pdf = dir.file("page.pdf");
    main->printDialogHook = [&](QPrinter& p) {
        ++dialogs;
        p.setOutputFormat(QPrinter::PdfFormat);
        p.setOutputFileName(QString::fromStdString(pdf));
        return dialogs > 1;   // the first is cancelled
    };
    main->Imprimir1Click();   // no window: no dialog
    EXPECT_EQ(dialogs, 0);
    open(wav("a.wav", 2000, 16, 2));
    main->Imprimir1Click();
    EXPECT_EQ(dialogs, 1);
    EXPECT_FALSE(fileExists(pdf));
    main->Imprimir1Click();
    EXPECT_EQ(dialogs, 2);
    const auto bytes = readBytes(pdf);
    ASSERT_GT(bytes.size(), 100u);
    EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 4), "%PDF");
}

TEST_F(FileCommandsTest, PrinterSetupActsOnThePrinterUsedForPrinting) {
    start();
    QPrinter* setUp = nullptr;
    main->printerSetupHook = [&](QPrinter& p) {
        setUp = &p;
        p.setPageOrientation(QPageLayout::Landscape);
        return true;
    };
    main->Opcionesimpresora1Click();
    QPrinter* printed = nullptr;
    QPageLayout::Orientation seen = QPageLayout::Portrait;
    main->printDialogHook = [&](QPrinter& p) {
        printed = &p;
        seen = p.pageLayout().orientation();
        return false;
    };
    open(wav("a.wav"));
    main->Imprimir1Click();
    EXPECT_EQ(setUp, printed);
    EXPECT_EQ(seen, QPageLayout::Landscape);
}

// The printers a print dialog offers, by their names in its list.
QStringList offeredPrinters(const QPrintDialog* d) {
    QStringList names;
    for (const QComboBox* list : d->findChildren<QComboBox*>("printers"))
        for (int i = 0; i < list->count(); ++i) names << list->itemText(i);
    return names;
}

TEST_F(FileCommandsTest, PrinterOptionsOpensThePrinterSetUp) {
    start();
    QString title;
    bool choosesPrinter = false, pageSetUp = false;
    QStringList setUpPrinters;
    QTimer::singleShot(0, [&] {
        QWidget* w = QApplication::activeModalWidget();
        if (auto* d = qobject_cast<QPrintDialog*>(w)) {
            title = d->windowTitle();
            choosesPrinter = !d->testOption(QAbstractPrintDialog::PrintPageRange);
            setUpPrinters = offeredPrinters(d);
            d->reject();
        } else if (auto* s = qobject_cast<QPageSetupDialog*>(w)) {
            pageSetUp = true;
            s->reject();
        } else if (w) {
            w->close();
        }
    });
    main->Opcionesimpresora1Click();
    EXPECT_FALSE(pageSetUp);
    EXPECT_EQ(title, "Print Setup");
    EXPECT_TRUE(choosesPrinter);

    // The set-up offers the printers Print offers (printing to a file
    // among them, also where no printer is installed).
    open(wav("a.wav"));
    QStringList printPrinters;
    QTimer::singleShot(0, [&] {
        if (auto* d = qobject_cast<QPrintDialog*>(QApplication::activeModalWidget())) {
            printPrinters = offeredPrinters(d);
            d->reject();
        }
    });
    main->Imprimir1Click();
    EXPECT_FALSE(printPrinters.isEmpty());
    EXPECT_EQ(setUpPrinters, printPrinters);
}

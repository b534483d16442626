// The main window's printing commands and selection files, and the wiring
// of the file commands into the menus.
#include <QMenu>
#include <QAbstractButton>
#include <QDialogButtonBox>
#include <QPainter>
#include <QPixmap>
#include <QPrintDialog>
#include <QPrinter>

#include <algorithm>
#include <limits>

#include "mainwindow/SonvelaMain.h"
#include "mainwindow/file_printing.h"
#include "mainwindow/selection_file.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "platform/prompts.h"
#include "platform/qt/qt_prompts.h"
#include "sound/Sound.h"

using namespace sv;

namespace {

const char* kSelectionFilter = "Sonvela Selections (*.svs)|*.svs";

void reportIOError(const FileIOError& e) {
    prompts().messageBox(applicationTitle(), e.what(), Buttons::Ok, Icon::Error);
}

bool fitsInt32(int64_t v) { return v >= 0 && v <= std::numeric_limits<int32_t>::max(); }

} // namespace

// ---- Printing ----

QSizeF sv::printedSize(QSizeF image, double screenDpiX, double screenDpiY, double printerDpiX,
                       double printerDpiY, QSizeF page) {
    if (screenDpiX <= 0 || screenDpiY <= 0) return {};
    QSizeF size(image.width() * printerDpiX / screenDpiX, image.height() * printerDpiY / screenDpiY);
    if (size.width() > page.width() || size.height() > page.height()) {
        // Cut off at the page edge the waveform would lose its end: shrink
        // the whole image instead, keeping its proportions.
        size.scale(page, Qt::KeepAspectRatio);
    }
    return size;
}

bool sv::printSoundWindow(TSoundfrm& w, QPrinter& printer) {
    const QPixmap image = w.grab();
    QPainter painter;
    if (!painter.begin(&printer)) {
        prompts().messageBox(applicationTitle(), "The printer could not be started.", Buttons::Ok, Icon::Error);
        return false;
    }
    const QRect page = painter.viewport();
    const QSizeF logical = QSizeF(image.size()) / image.devicePixelRatio();
    const QSizeF size = printedSize(logical, w.logicalDpiX(), w.logicalDpiY(), printer.logicalDpiX(),
                                    printer.logicalDpiY(), page.size());
    painter.drawPixmap(QRectF(QPointF(0, 0), size), image, QRectF(image.rect()));
    painter.end();
    return true;
}

QPrinter& TSVMainfrm::printer() {
    if (!printer_) printer_ = std::make_shared<QPrinter>(QPrinter::HighResolution);
    return *printer_;
}

void TSVMainfrm::Imprimir1Click() {
    TSoundfrm* w = activeSound();
    if (!w) return;
    QPrinter& p = printer();
    bool accepted = false;
    if (printDialogHook) {
        accepted = printDialogHook(p);
    } else {
        QPrintDialog dlg(&p, this);
        accepted = dlg.exec() == QDialog::Accepted;
    }
    if (accepted) printSoundWindow(*w, p);
}

void TSVMainfrm::Opcionesimpresora1Click() {
    QPrinter& p = printer();
    if (printerSetupHook) {
        printerSetupHook(p);
        return;
    }
    // The printer set-up: which printer, and that printer's properties
    // (paper and orientation among them); nothing is printed from here.
    // It offers the printers Print offers, printing to a file among them.
    QPrintDialog dlg(&p, this);
    dlg.setWindowTitle("Print Setup");
    dlg.setOptions(QAbstractPrintDialog::PrintToFile | QAbstractPrintDialog::PrintShowPageSize);
    for (QDialogButtonBox* box : dlg.findChildren<QDialogButtonBox*>())
        for (QAbstractButton* b : box->buttons())
            if (box->buttonRole(b) == QDialogButtonBox::AcceptRole) b->setText("OK");
    dlg.exec();
}

// ---- Selection files ----
// The stored values are the window's own selection and zoom, which the edit
// boxes show.

void TSVMainfrm::SaveSelection1Click() {
    TSoundfrm* w = activeSound();
    if (!w) return;
    FileDialogRequest req;
    req.title = "Save Selection As...";
    req.fileName = changeFileExt(w->caption(), ".svs");
    req.filter = kSelectionFilter;
    FileDialogResult r = prompts().saveDialog(req);
    if (!r.accepted || r.fileName.empty()) return;
    // The question is about the name that will really be written.
    const std::string target = forceExtension(r.fileName, ".svs");
    if (fileExists(target) &&
        !askYesNo("Sonvela Selection", "The file already exists. Do you want to overwrite it?"))
        return;
    if (!fitsInt32(w->SelectionStart) || !fitsInt32(w->SelectionLength)) {
        prompts().messageBox(applicationTitle(), "The selection lies beyond what a selection file can hold.",
                             Buttons::Ok, Icon::Error);
        return;
    }
    SelectionRecord rec;
    rec.start = int32_t(w->SelectionStart);
    rec.length = int32_t(w->SelectionLength);
    rec.zoom = int32_t(std::clamp<int64_t>(w->Zoom, 1, std::numeric_limits<int32_t>::max()));
    try {
        writeSelectionFile(target, rec);
    } catch (const FileIOError& e) {
        reportIOError(e);
    }
}

void TSVMainfrm::LoadSelection1Click() {
    // With no sound window there is nothing to put a selection on.
    TSoundfrm* w = activeSound();
    if (!w) return;
    FileDialogRequest req;
    req.title = "Open selection...";
    req.filter = kSelectionFilter;
    FileDialogResult r = prompts().openDialog(req);
    if (!r.accepted || r.fileName.empty()) return;
    SelectionRecord rec;
    try {
        rec = readSelectionFile(r.fileName);
    } catch (const FileIOError& e) {
        reportIOError(e);
        return;
    }
    int64_t start = rec.start, length = rec.length;
    clampStoredSelection(w->FrameCount(), start, length);
    w->setSelection(start, length);
    Edit4->setText(QString::number(start));
    Edit3->setText(QString::number(length));
    bool ok = false;
    int64_t zoom = Edit2->text().toLongLong(&ok);
    if (!ok || zoom < 1) zoom = w->Zoom;
    w->mostrar_sonido(zoom);
}

void TSVMainfrm::Selection1Click() {
    bool ok = false;
    const qlonglong length = Edit3->text().toLongLong(&ok);
    enableItem("SaveSelection1", ok && length > 0);
    enableItem("LoadSelection1", true);
}

// ---- Wiring ----

void installFileCommands(TSVMainfrm* main) {
    if (!main || main->Selection1 || !main->Miscellaneous1) return;
    main->Selection1 = main->Miscellaneous1->addMenu("&Selection");
    main->Selection1->setObjectName("Selection1");
    main->addItem(main->Selection1, "SaveSelection1", "&Save Selection", {}, [main] { main->SaveSelection1Click(); });
    main->addItem(main->Selection1, "LoadSelection1", "&Load Selection", {}, [main] { main->LoadSelection1Click(); });
    QObject::connect(main->Selection1, &QMenu::aboutToShow, main, [main] { main->Selection1Click(); });
}

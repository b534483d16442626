#include "platform/qt/qt_prompts.h"

#include <QApplication>
#include <QColorDialog>
#include <QCursor>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QPainter>
#include <QPixmap>
#include <QStringList>

#include "platform/activity.h"

namespace sv {

QString qtFilterFrom(const std::string& filter, int index, QString* selected) {
    QStringList parts = qs(filter).split('|');
    QStringList out;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QString desc = parts[i];
        QString pat = parts[i + 1];
        pat.replace(';', ' ');
        // Qt reads the patterns from the last parentheses of each entry.
        QString entry = desc.trimmed().endsWith(')') ? desc : desc + " (" + pat + ")";
        out << entry;
        if (selected && i / 2 + 1 == index) *selected = entry;
    }
    return out.join(";;");
}

namespace {

class QtPrompts : public Prompts {
public:
    int messageBox(const std::string& caption, const std::string& text, Buttons b, Icon icon) override {
        QMessageBox box(QApplication::activeWindow());
        box.setWindowTitle(qs(caption));
        box.setText(qs(text));
        switch (icon) {
        case Icon::Information: box.setIcon(QMessageBox::Information); break;
        case Icon::Warning: box.setIcon(QMessageBox::Warning); break;
        case Icon::Error: box.setIcon(QMessageBox::Critical); break;
        case Icon::Question: box.setIcon(QMessageBox::Question); break;
        case Icon::None: break;
        }
        switch (b) {
        case Buttons::Ok: box.setStandardButtons(QMessageBox::Ok); break;
        case Buttons::OkCancel: box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel); break;
        case Buttons::YesNo: box.setStandardButtons(QMessageBox::Yes | QMessageBox::No); break;
        case Buttons::YesNoCancel:
            box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
            break;
        }
        switch (box.exec()) {
        case QMessageBox::Ok: return mrOk;
        case QMessageBox::Yes: return mrYes;
        case QMessageBox::No: return mrNo;
        default: return mrCancel;
        }
    }

    FileDialogResult run(const FileDialogRequest& req, bool save) {
        QFileDialog dlg(QApplication::activeWindow(), qs(req.title), qs(req.initialDir));
        QString selected;
        QString filters = qtFilterFrom(req.filter, req.filterIndex, &selected);
        if (!filters.isEmpty()) dlg.setNameFilters(filters.split(";;"));
        if (!selected.isEmpty()) dlg.selectNameFilter(selected);
        if (!req.fileName.empty()) dlg.selectFile(qs(req.fileName));
        if (!req.defaultExt.empty()) dlg.setDefaultSuffix(qs(req.defaultExt));
        // The program asks its own question before replacing a file.
        dlg.setOption(QFileDialog::DontConfirmOverwrite, true);
        dlg.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
        dlg.setFileMode(save ? QFileDialog::AnyFile
                             : (req.multiSelect ? QFileDialog::ExistingFiles : QFileDialog::ExistingFile));
        FileDialogResult r;
        r.filterIndex = req.filterIndex;
        if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty()) return r;
        r.accepted = true;
        for (const QString& f : dlg.selectedFiles()) r.fileNames.push_back(ss(f));
        r.fileName = r.fileNames.front();
        QStringList all = filters.split(";;");
        int idx = all.indexOf(dlg.selectedNameFilter());
        if (idx >= 0) r.filterIndex = idx + 1;
        return r;
    }

    FileDialogResult openDialog(const FileDialogRequest& req) override { return run(req, false); }
    FileDialogResult saveDialog(const FileDialogRequest& req) override { return run(req, true); }

    bool inputQuery(const std::string& caption, const std::string& prompt, std::string& value) override {
        bool ok = false;
        QString v = QInputDialog::getText(QApplication::activeWindow(), qs(caption), qs(prompt),
                                          QLineEdit::Normal, qs(value), &ok);
        if (ok) value = ss(v);
        return ok;
    }

    bool chooseColor(uint32_t& color) override {
        QColor initial(color & 0xFF, (color >> 8) & 0xFF, (color >> 16) & 0xFF);
        QColor c = QColorDialog::getColor(initial, QApplication::activeWindow());
        if (!c.isValid()) return false;
        color = uint32_t(c.red()) | (uint32_t(c.green()) << 8) | (uint32_t(c.blue()) << 16);
        return true;
    }
};

// The play cursor: a small loudspeaker drawn at run time.
QCursor playCursor() {
    QPixmap pm(32, 32);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::black);
    p.setBrush(Qt::white);
    QPolygon speaker;
    speaker << QPoint(2, 11) << QPoint(8, 11) << QPoint(15, 4) << QPoint(15, 27) << QPoint(8, 20) << QPoint(2, 20);
    p.drawPolygon(speaker);
    p.drawArc(14, 8, 8, 16, -60 * 16, 120 * 16);
    p.drawArc(14, 3, 14, 26, -60 * 16, 120 * 16);
    p.end();
    return QCursor(pm, 2, 2);
}

} // namespace

void installQtPrompts() { setPrompts(std::make_unique<QtPrompts>()); }

void bindActivityCursor() {
    setActivityListener([](Activity a) {
        if (!qApp) return;
        while (QApplication::overrideCursor()) QApplication::restoreOverrideCursor();
        if (a == Activity::Busy) QApplication::setOverrideCursor(Qt::WaitCursor);
        else if (a == Activity::Playing) QApplication::setOverrideCursor(playCursor());
    });
}

} // namespace sv

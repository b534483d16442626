// The main window's file commands: opening by extension, new sounds,
// saving by file type, the reopen list, closing sound windows and files
// dropped on the frame.
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFontMetrics>
#include <QMenu>
#include <QMdiSubWindow>
#include <QMimeData>
#include <QPointer>
#include <QUrl>

#include "mainwindow/SonvelaMain.h"
#include "platform/activity.h"
#include "platform/paths.h"
#include "platform/prompts.h"
#include "platform/settings.h"
#include "platform/qt/qt_prompts.h"
#include "sound/Sound.h"

using namespace sv;

namespace {

// The WAVE reader: the format tag decides between the PCM reader, the
// A-law/mu-law reader and the converter. Any of them may close the window,
// so only a window still holding its sound counts as opened.
bool readWave(TSoundfrm* w, const std::string& name) {
    QPointer<TSoundfrm> guard(w);
    w->seleccionar_wav(name);
    return guard && guard->SoundLoaded && !guard->closeAccepted();
}

// Rows of the "Save Waveform" dialog, numbered as the dialog numbers them
// when every writer is present. Rows 1, 9 and 10 are written by the sound
// window itself; the others only while their writer is registered.
struct SaveRow {
    int index;
    const char* filter;
    const char* ext;   // the extension the written file ends up with
    // The program cannot open the written type again (text): the file is an
    // export, not the sound's file, and does not join the reopen list.
    bool exportOnly;
};
const SaveRow kSaveRows[] = {
    {1, "PCM Waveforms (*.wav)|*.wav", ".wav", false},
    {2, "u-LAW Waveforms (*.wav)|*.wav", ".wav", false},
    {3, "a-LAW Waveforms(*.wav)|*.wav", ".wav", false},
    {4, "Semicolon Delimited Value (*.csv)|*.csv", ".csv", true},
    {5, "Comma Delimited Value (*.csv)|*.csv", ".csv", true},
    {6, "Text (Space Delimited) (*.prn)|*.prn", ".prn", true},
    {7, "Text (Tab Delimited) (*.txt)|*.txt", ".txt", true},
    {8, "Personalized Text File (*.txt)|*.txt", ".txt", true},
    {9, "Raw Data (*.raw)|*.raw", ".raw", false},
    {10, "All files (*.*)|*.*", ".wav", false},
};
constexpr int kAllFilesRow = 10;

bool builtInRow(int index) { return index == 1 || index == 9 || index == kAllFilesRow; }

std::string joinFilter(const std::vector<std::string>& entries) {
    std::string out;
    for (const std::string& e : entries) out += (out.empty() ? "" : "|") + e;
    return out;
}

// Windows whose close has not been accepted: a closed window lingers until
// the event loop deletes it.
int liveSoundCount(const TSVMainfrm& main) {
    int n = 0;
    for (TSoundfrm* w : main.soundWindows())
        if (!w->closeAccepted()) ++n;
    return n;
}

// A file name as a menu caption: a long one loses its middle, so the
// folder's start and the file's name stay in view; '&' is doubled so that
// it shows as itself.
QString menuCaption(const QMenu* menu, const std::string& name) {
    const QFontMetrics fm(menu->font());
    return fm.elidedText(qs(name), Qt::ElideMiddle, fm.averageCharWidth() * 60).replace('&', "&&");
}

// The sound window a dragged selection comes from, or null when the drag
// is something else.
TSoundfrm* selectionDragSource(const QDropEvent* e) {
    if (!e->mimeData() || !e->mimeData()->hasFormat(TSVMainfrm::kSelectionDragMime)) return nullptr;
    for (QObject* o = e->source(); o; o = o->parent())
        if (auto* w = qobject_cast<TSoundfrm*>(o)) return w;
    return nullptr;
}

std::vector<std::string> droppedFiles(const QDropEvent* e) {
    std::vector<std::string> names;
    if (!e->mimeData() || !e->mimeData()->hasUrls()) return names;
    for (const QUrl& url : e->mimeData()->urls())
        if (url.isLocalFile()) names.push_back(ss(url.toLocalFile()));
    return names;
}

} // namespace

// ---- Opening ----

void TSVMainfrm::registerReader(const std::string& ext, SoundReader reader) {
    openers[toLower(ext)] = [this, reader](const std::string& name) { openWithReader(reader, name); };
}

std::function<void(const std::string&)> TSVMainfrm::openerFor(const std::string& ext) {
    auto it = openers.find(ext);
    if (it != openers.end() && it->second) return it->second;
    if (ext == ".wav") return [this](const std::string& name) { openWithReader(readWave, name); };
    return {};
}

TSoundfrm* TSVMainfrm::openWithReader(const SoundReader& reader, const std::string& name) {
    const bool loadedBefore = SoundLoaded;
    const QPointer<TSoundfrm> frontBefore = activeSound();
    QPointer<TSoundfrm> w = crearfill();
    bool opened = false;
    bool failed = false;
    try {
        w->setCaption(name);
        opened = reader(w, name);
    } catch (const std::exception&) {
        failed = true;
    }
    if (!opened || !w || w->closeAccepted()) {
        // Never show a window whose read failed, was refused or was
        // cancelled, nor one the reader has already closed.
        if (w && !w->closeAccepted()) w->closeFailedOpenPublic();
        if (failed) ShowMessage("Error opening the file");
        showFrontAfterFailedOpen(frontBefore, loadedBefore);
        return nullptr;
    }
    SpeedButton16->setEnabled(true);
    showChild(w);
    return w;
}

TSoundfrm* TSVMainfrm::openWave(const std::string& name, bool play) {
    TSoundfrm* w = openWithReader(readWave, name);
    if (w && play) SpeedButton16Click();
    return w;
}

// The filter offers the other formats only while their readers are there;
// whatever is chosen, the extension decides the reader.
static std::string openFilter(TSVMainfrm& main) {
    std::vector<std::string> entries = {"PCM Waveforms (*.wav)|*.wav", "u-LAW Waveforms (*.wav)|*.wav",
                                        "a-LAW Waveforms (*.wav)|*.wav"};
    if (main.openerFor(".snd") || main.openerFor(".au"))
        entries.push_back("SND NeXT/Sun Files (*.snd;*.au)|*.snd;*.au");
    if (main.openerFor(".raw")) entries.push_back("Raw Data (*.raw)|*.raw");
    entries.push_back("All files (*.*)|*.*");
    return joinFilter(entries);
}

void TSVMainfrm::ObrirFitxer(bool showDialog, const std::string& nameIn) {
    std::string name = nameIn;
    if (showDialog) {
        FileDialogRequest req;
        req.title = "Open Waveform";
        req.filter = openFilter(*this);
        req.fileName = name;
        req.defaultExt = "wav";
        FileDialogResult r = prompts().openDialog(req);
        if (!r.accepted) return;
        name = r.fileName;
    }
    auto open = openerFor(lowerFileExt(name));
    if (!open) return;   // no reader for it: the list stays as it is
    // A folder, a pipe or a file that cannot be read is named as such at
    // once, before a window, a reader or the reopen list sees it.
    if (const ReadProblem problem = readProblem(name)) {
        ShowMessage(openErrorMessage(name, problem));
        return;
    }
    shiftRecent(name);
    writeRecent();
    SpeedButton16->setEnabled(true);
    open(name);
}

void TSVMainfrm::Open2Click() { ObrirFitxer(true, ""); }

void TSVMainfrm::New2Click() {
    SpeedButton16->setEnabled(true);
    TSoundfrm* w = crearfill();
    ++NewSoundCount;
    w->FileName = "New" + std::to_string(NewSoundCount) + ".wav";
    w->setCaption(w->FileName);
    w->NoRedraw = false;
    showChild(w);
    w->mostrar_sonido(1);
}

// ---- The reopen list ----
// RecentFile1..3 are the list; the menu captions only show it. Names are
// kept whole, so every entry can be opened again.

void TSVMainfrm::refreshReopenMenu() {
    if (!Reabrir1) return;
    Reabrir1->setEnabled(!RecentFile1.empty() && activity() == Activity::Idle &&
                         fileExists(ExeDir + "dadoruz.ini"));
}

void TSVMainfrm::shiftRecent(const std::string& name) {
    RecentFile3 = RecentFile2;
    RecentFile2 = RecentFile1;
    RecentFile1 = name;
    for (std::string& m : reopenMissing_) m.clear();
}

void TSVMainfrm::writeRecent() {
    IniFile ini(ExeDir + "dadoruz.ini");
    ini.WriteString("Configuration", "abrir1", RecentFile1);
    ini.WriteString("Configuration", "abrir2", RecentFile2);
    ini.WriteString("Configuration", "abrir3", RecentFile3);
    refreshReopenMenu();
}

void TSVMainfrm::Reabrir1Click() {
    const std::string* files[3] = {&RecentFile1, &RecentFile2, &RecentFile3};
    Reabrir1->setEnabled(!RecentFile1.empty());
    Reabrir1->setToolTipsVisible(true);
    for (int i = 0; i < 3; ++i) {
        const std::string name = "reabrir1" + std::to_string(i + 1);
        QAction* a = item(name);
        if (!a) continue;
        a->setText(menuCaption(Reabrir1, *files[i]));
        a->setToolTip(qs(*files[i]));
        a->setVisible(!files[i]->empty());
        enableItem(name, reopenMissing_[i].empty());
    }
}

void TSVMainfrm::reopenEntry(int index) {
    if (index < 1 || index > 3) return;
    const std::string name = index == 1 ? RecentFile1 : (index == 2 ? RecentFile2 : RecentFile3);
    if (name.empty()) return;
    if (!fileExists(name)) {
        ShowMessage("An error has occurred while opening the file");
        reopenMissing_[index - 1] = name;
        enableItem("reabrir1" + std::to_string(index), false);
        return;
    }
    // Reopening does not shift the list. A name without a reader of its own
    // is tried as a WAVE file.
    auto open = openerFor(lowerFileExt(name));
    if (!open) open = openerFor(".wav");
    open(name);
}

// ---- Saving ----

// Whether to replace an existing file, named so that the user knows which
// one (a writer's extension may have changed the name typed).
bool TSVMainfrm::askReplace(const std::string& target) {
    return askYesNo("Sonvela - Save",
                    "The file " + extractFileName(target) + " already exists. Do you want to replace it?");
}

void TSVMainfrm::Save2Click() {
    TSoundfrm* w = activeSound();
    if (!w) return;
    // A sound is saved to its own file, never to its caption (which may be
    // the bare name); a sound that was never saved goes to Save As.
    if (w->IsNew || !fileExists(w->FileName)) {
        SaveAs2Click();
        return;
    }
    if (askReplace(w->FileName) && lowerFileExt(w->FileName) == ".wav")
        w->guardar_como(w->FileName, true);
    else
        SaveAs2Click();
}

std::string TSVMainfrm::runSaveDialog1(TSoundfrm* w, const std::string& fileName, bool* exported) {
    if (exported) *exported = false;
    std::vector<const SaveRow*> rows;
    std::vector<std::string> entries;
    for (const SaveRow& row : kSaveRows) {
        if (!builtInRow(row.index) && !saveAsWriters.count(row.index)) continue;
        rows.push_back(&row);
        entries.push_back(row.filter);
    }
    FileDialogRequest req;
    req.title = "Save Waveform";
    req.filter = joinFilter(entries);
    req.fileName = fileName;
    FileDialogResult r = prompts().saveDialog(req);
    if (!r.accepted || r.fileName.empty()) return {};
    const SaveRow& row = (r.filterIndex >= 1 && r.filterIndex <= int(rows.size()))
                             ? *rows[size_t(r.filterIndex - 1)]
                             : kSaveRows[kAllFilesRow - 1];
    // Every name gets ".wav" first; a writer of another type then puts its
    // own extension in place. The question is about the file that will
    // really be written.
    const std::string target = forceExtension(forceExtension(r.fileName, ".wav"), row.ext);
    if (fileExists(target) && !askReplace(target)) return {};
    bool written = false;
    if (row.index == 9) {
        written = w->guardar_como(target, false);
    } else if (builtInRow(row.index)) {
        written = w->guardar_como(target, true);
    } else {
        auto writer = saveAsWriters.find(row.index);
        written = writer != saveAsWriters.end() && writer->second && writer->second(w, target);
    }
    if (written && exported) *exported = row.exportOnly;
    return written ? target : std::string();
}

void TSVMainfrm::SaveAs2Click() {
    TSoundfrm* w = activeSound();
    if (!w) return;
    // The list names the file that exists now, not one that was not written,
    // and only a file that reopening can open.
    bool exported = false;
    const std::string written = runSaveDialog1(w, w->FileName, &exported);
    if (!written.empty() && !exported) {
        shiftRecent(written);
        writeRecent();
    }
}

// ---- Closing ----

void TSVMainfrm::Close1Click() {
    TSoundfrm* w = activeSound();
    if (!w) return;
    w->closeWindow();
    if (liveSoundCount(*this) == 0) SpeedButton16->setEnabled(false);
}

// The child list runs from the active window to the one used longest ago;
// closing goes from that end, so the active window is closed last.
void TSVMainfrm::CloseAllWaveforms1Click() {
    ContinueClosing = true;
    const auto list = mdi->subWindowList(QMdiArea::ActivationHistoryOrder);
    for (QMdiSubWindow* sub : list) {
        QPointer<QMdiSubWindow> guard(sub);
        if (!guard) continue;
        guard->close();
        if (!ContinueClosing) break;
    }
    if (liveSoundCount(*this) == 0) SpeedButton16->setEnabled(false);
}

// ---- Drag and drop ----

void TSVMainfrm::dragEnterEvent(QDragEnterEvent* e) {
    if (selectionDragSource(e)) {
        // A selection on its way to becoming a new sound: bring the frame
        // forward so the user sees where it lands.
        raise();
        e->acceptProposedAction();
    } else if (!droppedFiles(e).empty()) {
        e->acceptProposedAction();
    } else {
        e->ignore();
    }
}

void TSVMainfrm::dragMoveEvent(QDragMoveEvent* e) {
    if (selectionDragSource(e) || !droppedFiles(e).empty()) e->acceptProposedAction();
    else e->ignore();
}

// Files are opened after the drop has finished, so that a question a reader
// asks does not hold the desktop's drag in progress.
void TSVMainfrm::dropEvent(QDropEvent* e) {
    if (TSoundfrm* source = selectionDragSource(e)) {
        e->acceptProposedAction();
        QPointer<TSoundfrm> guard(source);
        QMetaObject::invokeMethod(
            this, [this, guard] { if (guard && dragAsNewHook) dragAsNewHook(guard); }, Qt::QueuedConnection);
        return;
    }
    const std::vector<std::string> names = droppedFiles(e);
    if (names.empty()) {
        e->ignore();
        return;
    }
    e->acceptProposedAction();
    QMetaObject::invokeMethod(
        this, [this, names] {
            for (const std::string& name : names) ObrirFitxer(false, name);
        },
        Qt::QueuedConnection);
}

// "Save se&lection": the selection as a WAVE file of its own. The name joins
// the reopen list even when the user then declines to replace a file.
void TSVMainfrm::SpeedButton12Click() {
    TSoundfrm* w = activeSound();
    if (!w) return;
    FileDialogRequest req;
    req.title = "Save Waveform";
    req.filter = "PCM Waveforms (*.wav)|*.wav";
    req.defaultExt = "wav";
    FileDialogResult r = prompts().saveDialog(req);
    if (!r.accepted) return;
    // The question is about the name that will really be written.
    const std::string target = forceExtension(r.fileName, ".wav");
    shiftRecent(target);
    if (fileExists(target) &&
        !askYesNo("Sonvela Selection", "The file already exists. Do you want to overwrite it?"))
        return;
    writeRecent();
    w->guardar_seleccion(target);
}

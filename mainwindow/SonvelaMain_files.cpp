// The main window's file commands: opening by extension, new sounds,
// saving, the reopen list and closing sound windows.
#include <QMdiSubWindow>
#include <QPointer>

#include "mainwindow/SonvelaMain.h"
#include "platform/activity.h"
#include "platform/paths.h"
#include "platform/prompts.h"
#include "platform/settings.h"
#include "platform/qt/qt_prompts.h"
#include "sound/Sound.h"

using namespace sv;

void TSVMainfrm::refreshReopenMenu() {
    if (!Reabrir1) return;
    Reabrir1->setEnabled(!RecentFile1.empty() && fileExists(ExeDir + "dadoruz.ini"));
}

void TSVMainfrm::shiftRecent(const std::string& name) {
    RecentFile3 = RecentFile2;
    RecentFile2 = RecentFile1;
    RecentFile1 = name;
}

void TSVMainfrm::writeRecent() {
    IniFile ini(ExeDir + "dadoruz.ini");
    ini.WriteString("Configuration", "abrir1", RecentFile1);
    ini.WriteString("Configuration", "abrir2", RecentFile2);
    ini.WriteString("Configuration", "abrir3", RecentFile3);
    refreshReopenMenu();
}

// Opens a file by its lower-cased extension. Readers of other formats plug
// in through openers registered for their extensions.
void TSVMainfrm::ObrirFitxer(bool showDialog, const std::string& nameIn) {
    std::string name = nameIn;
    if (showDialog) {
        FileDialogRequest req;
        req.title = "Open";
        req.filter = "Wave files (*.wav)|*.wav|All files (*.*)|*";
        FileDialogResult r = prompts().openDialog(req);
        if (!r.accepted) return;
        name = r.fileName;
    }
    const std::string ext = lowerFileExt(name);
    auto opener = openers.find(ext);
    if (opener != openers.end()) {
        shiftRecent(name);
        writeRecent();
        SpeedButton16->setEnabled(true);
        opener->second(name);
        return;
    }
    if (ext != ".wav") return;
    shiftRecent(name);
    writeRecent();
    openWave(name, false);
}

TSoundfrm* TSVMainfrm::openWave(const std::string& name, bool play) {
    TSoundfrm* w = nullptr;
    try {
        w = crearfill();
        w->setCaption(name);
        QPointer<TSoundfrm> guard(w);
        w->seleccionar_wav(name);
        if (!guard || !guard->SoundLoaded) {
            if (guard) guard->closeFailedOpenPublic();
            return nullptr;
        }
        SpeedButton16->setEnabled(true);
        showChild(w);
        if (play) SpeedButton16Click();
        return w;
    } catch (const std::exception&) {
        ShowMessage("Error opening the file");
        return nullptr;
    }
}

void TSVMainfrm::New2Click() {
    TSoundfrm* w = crearfill();
    ++NewSoundCount;
    w->FileName = "New" + std::to_string(NewSoundCount) + ".wav";
    w->setCaption(w->FileName);
    w->NoRedraw = false;
    SpeedButton16->setEnabled(true);
    showChild(w);
    w->mostrar_sonido(1);
}

void TSVMainfrm::Open2Click() { ObrirFitxer(true, ""); }

void TSVMainfrm::Close1Click() {
    if (QMdiSubWindow* sub = mdi->activeSubWindow()) sub->close();
    if (childCount() == 0) SpeedButton16->setEnabled(false);
}

void TSVMainfrm::CloseAllWaveforms1Click() {
    ContinueClosing = true;
    auto list = mdi->subWindowList(QMdiArea::CreationOrder);
    for (int i = list.size() - 1; i >= 0; --i) {
        list[i]->close();
        if (!ContinueClosing) break;
    }
}

void TSVMainfrm::Save2Click() {
    TSoundfrm* w = activeSound();
    if (!w) return;
    // A sound is saved to its file, never to its caption; a sound that was
    // never saved goes to Save As.
    if (w->IsNew || !fileExists(w->FileName)) {
        SaveAs2Click();
        return;
    }
    if (askYesNo("Sonvela - Save", "The file already exists. Do you want to replace it?") &&
        lowerFileExt(w->FileName) == ".wav") {
        w->guardar_como(w->FileName, true);
    } else {
        SaveAs2Click();
    }
}

void TSVMainfrm::SaveAs2Click() {
    TSoundfrm* w = activeSound();
    if (!w) return;
    FileDialogRequest req;
    req.title = "Save Waveform";
    req.filter = "Wave files (*.wav)|*.wav";
    req.fileName = w->FileName;
    req.defaultExt = "wav";
    FileDialogResult r = prompts().saveDialog(req);
    if (!r.accepted) return;
    // The replace question is about the name that will really be written.
    const std::string target = forceExtension(r.fileName, ".wav");
    if (fileExists(target) &&
        !askYesNo("Sonvela - Save", "The file already exists. Do you want to replace it?"))
        return;
    if (w->guardar_como(target, true)) {
        shiftRecent(w->FileName);
        writeRecent();
    }
}

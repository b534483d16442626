// The structural edits of a sound window and its undo: the engine does the
// sample work (sound/engine/edit_ops.h); here the window asks its questions,
// reports errors and shows the result.
#include <QScrollBar>

#include <algorithm>
#include <memory>
#include <string>

#include "dialogs/DivideChannels.h"
#include "mainwindow/SonvelaMain.h"
#include "platform/prompts.h"
#include "platform/qt/qt_prompts.h"
#include "sound/Sound.h"
#include "sound/display_state.h"
#include "sound/engine/clipboard_file.h"
#include "sound/engine/edit_ops.h"
#include "sound/operation_failure.h"

using namespace sv;

// The undo item names the step now on top. A disabled history leaves the
// item as the options set it ("&Undo DISABLED").
void TSoundfrm::showUndoCaption() {
    if (!Undo) return;
    UndoCounter = int64_t(Tag) * 10000 + Undo->counter();
    if (Undo->disabled() || !SVMainfrm || !SVMainfrm->undo1) return;
    SVMainfrm->undo1->setText(qs(Undo->menuCaption()));
    SVMainfrm->enableItem("undo1", true);
}

void TSoundfrm::afterEdit(int64_t oldBytes, bool redraw) {
    Modified = true;
    // Edits in place (mix, effects, filters) keep the buffer's length: the
    // display's summary cannot see them by itself, unless the edit has
    // named the frames it changed.
    DisplayState& ds = displayState();
    if (int64_t(Sound.bytes.size()) == oldBytes && !ds.changeAnnounced) allSamplesChanged();
    ds.changeAnnounced = false;
    showUndoCaption();
    FileSize += int64_t(Sound.bytes.size()) - oldBytes;
    updateStatusPanels();
    if (SVMainfrm) {
        SVMainfrm->SoundLength = FrameCount();
        // Also when the window is not drawn yet (a redraw copies them too).
        SVMainfrm->Edit3->setText(QString::number(SelectionLength));
        SVMainfrm->Edit4->setText(QString::number(SelectionStart));
    }
    if (redraw && !NoRedraw) mostrar_sonido(Zoom);
    else if (SVMainfrm) SVMainfrm->habilitar_botones();
}

// An edit that fails after its undo step was written, or after the length
// changed, may have changed samples: the window then shows the sound as it
// is and counts it as modified, so that nothing is lost silently.
bool TSoundfrm::runEdit(bool redraw, const std::function<bool()>& edit) {
    const int64_t oldBytes = int64_t(Sound.bytes.size());
    const int32_t oldCounter = Undo ? Undo->counter() : 0;
    bool done = false;
    const OperationFailure f = attemptOperation([&] { done = edit(); });
    if (f.failed) {
        ProgressBar1->hide();
        reportFailure(f);
        done = int64_t(Sound.bytes.size()) != oldBytes || (Undo && Undo->counter() != oldCounter);
    }
    if (done) afterEdit(oldBytes, redraw);
    return done && !f.failed;
}

bool TSoundfrm::copiar() {
    bool done = false;
    const OperationFailure f = attemptOperation([&] { done = copySelection(Sound, clipboardPath()); });
    if (f.failed) reportFailure(f);
    if (SVMainfrm) SVMainfrm->habilitar_botones();
    return done;
}

bool TSoundfrm::cortar() {
    return runEdit(true, [this] { return cutSelection(Sound, clipboardPath(), editContext()); });
}

bool TSoundfrm::borrar(bool saveUndo) {
    return runEdit(false, [this, saveUndo] { return deleteSelection(Sound, editContext(), saveUndo); });
}

bool TSoundfrm::insertar_silencio() {
    return runEdit(true, [this] { return insertSilence(Sound, editContext()); });
}

bool TSoundfrm::repetir_onda() {
    return runEdit(true, [this] { return repeatSelection(Sound, editContext()); });
}

bool TSoundfrm::crop() {
    return runEdit(false, [this] { return trimToSelection(Sound, editContext()); });
}

bool TSoundfrm::pegar() { return clipEdit(false, 1.0, 1.0); }

bool TSoundfrm::mezclar(double clipWeight, double soundWeight) { return clipEdit(true, clipWeight, soundWeight); }

// Paste and Mix: the clip's header is read and the format question asked
// before anything changes, so No leaves the sound, its modified flag and
// its undo history as they were.
bool TSoundfrm::clipEdit(bool mix, double clipWeight, double soundWeight) {
    std::unique_ptr<ClipboardFile> clip;
    const OperationFailure opened = attemptOperation([&] { clip = std::make_unique<ClipboardFile>(clipboardPath()); });
    if (opened.failed) {
        reportFailure(opened);
        return false;
    }
    const ClipFit fit = clipFit(Sound, IsNew, clip->format());
    if (fit == ClipFit::Differs &&
        prompts().messageBox("Sonvela", kPasteFormatQuestion, Buttons::YesNo, Icon::Question) != mrYes)
        return false;
    return runEdit(true, [&] {
        const ClipEdit r = mix ? mixClip(Sound, *clip, fit, clipWeight, soundWeight, editContext())
                               : pasteClip(Sound, *clip, fit, editContext());
        if (r.formatAdopted) {
            // An empty new sound became the clip's: it now has a format and
            // samples to scroll through.
            IsNew = false;
            const int64_t b = std::max<int64_t>(1, SampleFormat.nBlockAlign);
            Zoom = clip->dataBytes() / waveWidth() / b + 1;
            if (SVMainfrm) {
                SVMainfrm->Edit2->setText(QString::number(Zoom));
                SVMainfrm->SoundLoaded = true;
            }
            SoundLoaded = true;
            NoRedraw = false;
            layoutControls();
        }
        return r.done;
    });
}

bool TSoundfrm::deshacer() {
    if (!Undo) return false;
    UndoOutcome o;
    const OperationFailure f = attemptOperation([&] { o = Undo->deshacer(Sound); });
    if (f.failed) {
        // The sound is as it was; the step stays for another try.
        reportFailure(f);
        return false;
    }
    showUndoCaption();
    if (!o.restored) {
        if (SVMainfrm) SVMainfrm->habilitar_botones();
        return false;
    }
    // A step of the same length is written back into the same buffer, over
    // the frames it now selects: the display's summary cannot see that.
    if (!o.whole && !o.lengthChanged) samplesChanged(SelectionStart, SelectionLength);
    FileSize = FrameCount() * SampleFormat.nBlockAlign + 44;
    updateStatusPanels();
    if (SVMainfrm) SVMainfrm->SoundLength = FrameCount();
    if (!NoRedraw) mostrar_sonido(Zoom);
    else if (SVMainfrm) SVMainfrm->habilitar_botones();
    return true;
}

bool TSoundfrm::habilitomenuundo() {
    if (Undo && Undo->habilitomenuundo()) return true;
    UndoCounter = int64_t(Tag) * 10000;
    if (SVMainfrm && SVMainfrm->undo1 && !(Undo && Undo->disabled())) {
        SVMainfrm->undo1->setText(kUndoCaption);
        SVMainfrm->enableItem("undo1", true);
    }
    return false;
}

bool TSoundfrm::DivideChannels() {
    const ChannelFileNames names = proposeChannelFileNames(FileName);
    std::string left, right;
    {
        TDivideChannelsfrm dialog(this);
        dialog.LeftEdit->setText(qs(names.left));
        dialog.RightEdit->setText(qs(names.right));
        if (dialog.mostrar() != 0) return false;
        left = ss(dialog.LeftEdit->text());
        right = ss(dialog.RightEdit->text());
    }
    DivideResult r;
    const OperationFailure f = attemptOperation([&] { r = divideChannels(Sound, left, right); });
    if (f.failed) {
        reportFailure(f);
        return false;
    }
    if (r.status != DivideResult::Ok) {
        const std::string text = r.message();
        if (!text.empty()) prompts().messageBox("Warning", text, Buttons::Ok, Icon::Warning);
        return false;
    }
    return true;
}

bool TSoundfrm::CombineChannels(const std::string& leftName, const std::string& rightName) {
    SoundBuffer s;
    CombineResult r;
    const OperationFailure f = attemptOperation([&] { r = combineChannels(leftName, rightName, s); });
    if (f.failed || r.status != CombineResult::Ok) {
        if (f.failed) reportFailure(f);
        else ShowMessage(r.message(leftName, rightName));
        // Nothing to save: the window goes without a question.
        CloseHandled = true;
        Modified = false;
        closeWindow();
        return false;
    }
    IsNew = false;
    FileName = r.fileName;
    Tag = SVMainfrm ? SVMainfrm->QuantsFitxersIguals(FileName) - 1 : 0;
    if (Tag < 0) Tag = 0;
    UndoCounter = int64_t(Tag) * 10000;
    relocateUndo();
    FileSize = r.dataBytes;
    s.setSelection(0, 0);
    adoptSound(std::move(s));
    Modified = true;
    NoRedraw = false;
    Zoom = FitZoom = FrameCount() / waveWidth() + 1;
    if (SVMainfrm) {
        SVMainfrm->Edit2->setText(QString::number(Zoom));
        SVMainfrm->Edit4->setText("0");
        SVMainfrm->SoundLoaded = true;
    }
    updateStatusPanels();
    ScrollBar1->setValue(0);
    SoundLoaded = true;
    layoutControls();
    mostrar_sonido(Zoom);
    if (SVMainfrm) SVMainfrm->habilitar_botones();
    return true;
}

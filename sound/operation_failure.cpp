#include "sound/operation_failure.h"

#include <QProgressBar>

#include <cerrno>
#include <cstring>

#include "platform/paths.h"
#include "sound/Sound.h"
#include "sound/display_state.h"

namespace sv {

void reportSaveRefused(const std::string& path, int err) {
    std::string text;
    if (err == EFBIG)
        text = "The sound is too long for a WAVE file.";
    else if (err == EEXIST)
        text = "Cannot save " + path + ": " + std::strerror(err);
    else
        text = "Error " + std::to_string(err) + " accessing the file, try another name.";
    prompts().messageBox("Warning", text, Buttons::Ok, Icon::Warning);
}

std::string openFailureText(const std::string& path) {
    const ReadProblem problem = readProblem(path);
    return problem ? openErrorMessage(path, problem) : "Error opening file";
}

bool runEffect(TSoundfrm* w, EffectShow show, const std::function<bool(const OperationContext&)>& op) {
    const int64_t oldBytes = int64_t(w->Sound.bytes.size());
    const int32_t oldCounter = w->Undo ? w->Undo->counter() : 0;
    const FrameSpan sel = w->Sound.selection();
    bool changed = false;
    const OperationFailure f = attemptOperation([&] { changed = op(w->editContext()); });
    if (f.failed) {
        w->ProgressBar1->hide();
        reportFailure(f);
        changed = int64_t(w->Sound.bytes.size()) != oldBytes || (w->Undo && w->Undo->counter() != oldCounter);
    }
    if (changed) {
        if (show != EffectShow::Sound) {
            w->samplesChanged(sel.start, sel.length);
            w->displayState().changeAnnounced = true;
        }
        w->afterEdit(oldBytes);
    } else if (show == EffectShow::SelectionRedrawn) {
        w->mostrar_sonido(w->Zoom);
    }
    return changed && !f.failed;
}

} // namespace sv

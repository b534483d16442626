// Spectral operations of a sound window, through the block engine.
#include <QApplication>

#include "platform/prompts.h"
#include "sound/Sound.h"
#include "sound/engine/fft/transformar.h"
#include "sound/fft_state.h"
#include "sound/operation_failure.h"

using namespace sv;

// Runs one engine call and turns its outcome into the window's state. A
// block error is announced with a beep as well; when it came after the undo
// step was written the samples may have changed, and the sound is shown as
// modified.
template <typename Op>
static void runSpectral(TSoundfrm* w, Op&& op) {
    const int64_t before = int64_t(w->Sound.bytes.size());
    bool changed = false;
    bool blockError = false;
    const OperationFailure f = attemptOperation([&] {
        try {
            changed = op(w->editContext());
        } catch (const FftBlockError& e) {
            blockError = true;
            changed = e.stepTaken();
            throw;
        }
    });
    if (f.failed) {
        w->ProgressBar1->hide();
        if (blockError) QApplication::beep();
        reportFailure(f);
    }
    if (changed) w->afterEdit(before);
    else w->mostrar_sonido(w->Zoom);
}

void TSoundfrm::transformar(const std::string& mode, int32_t f1, int32_t f2) {
    // The advanced filter works on a selection; with a cursor alone it would
    // show its dialog and then change nothing.
    if (mode == "avanzado" && SelectionLength <= 0) {
        ShowMessage(kSelectToFilter);
        return;
    }
    runSpectral(this, [&](const OperationContext& ctx) {
        return sv::transformar(Sound, mode, f1, f2, FftArea(), ctx);
    });
}

void TSoundfrm::linea_telefonica() {
    runSpectral(this, [&](const OperationContext& ctx) { return sv::linea_telefonica(Sound, FftArea(), ctx); });
}

void TSoundfrm::Bionic() {
    runSpectral(this, [&](const OperationContext& ctx) { return sv::Bionic(Sound, FftArea(), ctx); });
}

void TSoundfrm::karaoke() {
    // Each channel on its own: a mono sound is lowered as a stereo one is.
    runSpectral(this, [&](const OperationContext& ctx) { return sv::karaoke(Sound, FftArea(), ctx); });
}

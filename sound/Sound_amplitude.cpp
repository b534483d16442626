// Amplitude effects of a sound window: the window asks for the parameters
// where the effect has its own dialog, runs one engine call over the
// selection (sound/engine/effects/amplitude.h) and shows the outcome.
#include <QProgressBar>

#include "dialogs/AmplifyVolume.h"
#include "dialogs/FadeInOut.h"
#include "dialogs/TravellingStereo.h"
#include "sound/Sound.h"
#include "sound/display_state.h"
#include "sound/engine/effects/amplitude.h"
#include "sound/operation_failure.h"

using namespace sv;

namespace {

// Runs one engine call and turns its outcome into the window's state. An
// effect that fails after its undo step was written may have changed
// samples already: the window then shows the sound as it is and counts it
// as modified, so that nothing changes unseen and the step can take it back.
template <typename Op>
bool runAmplitude(TSoundfrm* w, bool redrawAlways, Op&& op) {
    const int64_t oldBytes = int64_t(w->Sound.bytes.size());
    const int32_t oldCounter = w->Undo ? w->Undo->counter() : 0;
    const int64_t first = w->SelectionStart;
    const int64_t frames = w->SelectionLength;
    bool changed = false;
    const OperationFailure f = attemptOperation([&] { changed = op(w->editContext()); });
    if (f.failed) {
        w->ProgressBar1->hide();
        reportFailure(f);
        changed = w->Undo && w->Undo->counter() != oldCounter;
    }
    if (changed) {
        // The effects work in place on the selection: only its frames need
        // a new summary for the display.
        w->samplesChanged(first, frames);
        w->displayState().changeAnnounced = true;
        w->afterEdit(oldBytes);
    } else if (redrawAlways) {
        w->mostrar_sonido(w->Zoom);
    }
    return changed && !f.failed;
}

} // namespace

void TSoundfrm::normalizar_onda() {
    runAmplitude(this, false, [this](const OperationContext& ctx) { return normalise(Sound, ctx); });
}

void TSoundfrm::amplificar_volumen() {
    if (!AmplifyVolumefrm) return;
    const int32_t percent = AmplifyVolumefrm->mostrar_dialogo();
    if (percent == 100) return;   // Cancel, or nothing to do
    runAmplitude(this, false, [&](const OperationContext& ctx) { return amplify(Sound, percent, ctx); });
}

void TSoundfrm::fadein() {
    if (!FadeInOutfrm) return;
    int32_t curve = 0;
    const int32_t percent = FadeInOutfrm->mostrar_dialogo(0, curve);
    if (percent == 100) return;   // Cancel
    runAmplitude(this, false, [&](const OperationContext& ctx) { return fadeIn(Sound, percent, curve, ctx); });
}

void TSoundfrm::fadeout() {
    if (!FadeInOutfrm) return;
    int32_t curve = 0;
    const int32_t percent = FadeInOutfrm->mostrar_dialogo(1, curve);
    if (percent == 100) return;   // Cancel
    runAmplitude(this, false, [&](const OperationContext& ctx) { return fadeOut(Sound, percent, curve, ctx); });
}

void TSoundfrm::forzar_silencio() {
    runAmplitude(this, false, [this](const OperationContext& ctx) { return forceSilence(Sound, ctx); });
}

void TSoundfrm::cambiar_canales() {
    runAmplitude(this, false, [this](const OperationContext& ctx) { return swapChannels(Sound, ctx); });
}

void TSoundfrm::girar_onda() {
    runAmplitude(this, false, [this](const OperationContext& ctx) { return invertPolarity(Sound, ctx); });
}

void TSoundfrm::invertir_onda() {
    runAmplitude(this, false, [this](const OperationContext& ctx) { return reverse(Sound, ctx); });
}

void TSoundfrm::travelling_stereo() {
    // A stereo-only effect: a mono sound is not asked for the options.
    if (!IsStereo()) return;
    int32_t direction = 0;
    int32_t percent = 0;
    {
        // Lives for this one question only; owned by this window so that it
        // comes up over it.
        TTravellingStereofrm f(this);
        if (f.mostrar_opciones(direction, percent)) {
            mostrar_sonido(Zoom);
            return;
        }
    }
    runAmplitude(this, true, [&](const OperationContext& ctx) {
        return travellingStereo(Sound, direction, percent, ctx);
    });
}

void TSoundfrm::eliminar_offset() {
    runAmplitude(this, false, [this](const OperationContext& ctx) { return removeOffset(Sound, ctx); });
}

void TSoundfrm::puertas_ruido(int32_t threshold, int32_t fade, int32_t residual) {
    runAmplitude(this, false, [&](const OperationContext& ctx) {
        return noiseGate(Sound, threshold, fade, residual, ctx);
    });
}

void TSoundfrm::metalizar(uint8_t hard) {
    runAmplitude(this, false, [&](const OperationContext& ctx) { return metalize(Sound, hard != 0, ctx); });
}

void TSoundfrm::compresor(int32_t threshold, int32_t percent) {
    runAmplitude(this, false, [&](const OperationContext& ctx) { return compressor(Sound, threshold, percent, ctx); });
}

void TSoundfrm::distorsion(int32_t threshold, int32_t percent) {
    runAmplitude(this, false, [&](const OperationContext& ctx) { return distortion(Sound, threshold, percent, ctx); });
}

void TSoundfrm::amplificador(int32_t threshold, int32_t percent) {
    runAmplitude(this, false, [&](const OperationContext& ctx) { return expander(Sound, threshold, percent, ctx); });
}

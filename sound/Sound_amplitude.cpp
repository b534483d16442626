// Amplitude effects of a sound window: the window asks for the parameters
// where the effect has its own dialog, runs one engine call over the
// selection (sound/engine/effects/amplitude.h) and shows the outcome.
#include "dialogs/AmplifyVolume.h"
#include "dialogs/FadeInOut.h"
#include "dialogs/TravellingStereo.h"
#include "sound/Sound.h"
#include "sound/engine/effects/amplitude.h"
#include "sound/operation_failure.h"

using namespace sv;

void TSoundfrm::normalizar_onda() {
    runEffect(this, EffectShow::Selection, [this](const OperationContext& ctx) { return normalise(Sound, ctx); });
}

void TSoundfrm::amplificar_volumen() {
    if (!AmplifyVolumefrm) return;
    const int32_t percent = AmplifyVolumefrm->mostrar_dialogo();
    if (percent == 100) return;   // Cancel, or nothing to do
    runEffect(this, EffectShow::Selection, [&](const OperationContext& ctx) { return amplify(Sound, percent, ctx); });
}

void TSoundfrm::fadein() {
    if (!FadeInOutfrm) return;
    int32_t curve = 0;
    const int32_t percent = FadeInOutfrm->mostrar_dialogo(0, curve);
    if (percent == 100) return;   // Cancel
    runEffect(this, EffectShow::Selection, [&](const OperationContext& ctx) {
        return fadeIn(Sound, percent, curve, ctx);
    });
}

void TSoundfrm::fadeout() {
    if (!FadeInOutfrm) return;
    int32_t curve = 0;
    const int32_t percent = FadeInOutfrm->mostrar_dialogo(1, curve);
    if (percent == 100) return;   // Cancel
    runEffect(this, EffectShow::Selection, [&](const OperationContext& ctx) {
        return fadeOut(Sound, percent, curve, ctx);
    });
}

void TSoundfrm::forzar_silencio() {
    runEffect(this, EffectShow::Selection, [this](const OperationContext& ctx) { return forceSilence(Sound, ctx); });
}

void TSoundfrm::cambiar_canales() {
    runEffect(this, EffectShow::Selection, [this](const OperationContext& ctx) { return swapChannels(Sound, ctx); });
}

void TSoundfrm::girar_onda() {
    runEffect(this, EffectShow::Selection, [this](const OperationContext& ctx) { return invertPolarity(Sound, ctx); });
}

void TSoundfrm::invertir_onda() {
    runEffect(this, EffectShow::Selection, [this](const OperationContext& ctx) { return reverse(Sound, ctx); });
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
    runEffect(this, EffectShow::SelectionRedrawn, [&](const OperationContext& ctx) {
        return travellingStereo(Sound, direction, percent, ctx);
    });
}

void TSoundfrm::eliminar_offset() {
    runEffect(this, EffectShow::Selection, [this](const OperationContext& ctx) { return removeOffset(Sound, ctx); });
}

void TSoundfrm::puertas_ruido(int32_t threshold, int32_t fade, int32_t residual) {
    runEffect(this, EffectShow::Selection, [&](const OperationContext& ctx) {
        return noiseGate(Sound, threshold, fade, residual, ctx);
    });
}

void TSoundfrm::metalizar(uint8_t hard) {
    runEffect(this, EffectShow::Selection, [&](const OperationContext& ctx) {
        return metalize(Sound, hard != 0, ctx);
    });
}

void TSoundfrm::compresor(int32_t threshold, int32_t percent) {
    runEffect(this, EffectShow::Selection, [&](const OperationContext& ctx) {
        return compressor(Sound, threshold, percent, ctx);
    });
}

void TSoundfrm::distorsion(int32_t threshold, int32_t percent) {
    runEffect(this, EffectShow::Selection, [&](const OperationContext& ctx) {
        return distortion(Sound, threshold, percent, ctx);
    });
}

void TSoundfrm::amplificador(int32_t threshold, int32_t percent) {
    runEffect(this, EffectShow::Selection, [&](const OperationContext& ctx) {
        return expander(Sound, threshold, percent, ctx);
    });
}

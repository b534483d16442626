// Time, rate and delay effects of a sound window: the window asks the
// parameters, runs one engine call (sound/engine/effects/time_effects.h,
// delay_effects.h) and shows the outcome.
#include "dialogs/ChorusFlanger.h"
#include "dialogs/Echo.h"
#include "dialogs/GapperGroove.h"
#include "dialogs/ParamDialog.h"
#include "dialogs/Resample.h"
#include "dialogs/Reverb.h"
#include "dialogs/SpeedUpDown.h"
#include "sound/Sound.h"
#include "sound/engine/effects/delay_effects.h"
#include "sound/engine/effects/time_effects.h"
#include "sound/engine/fft/transformar.h"
#include "sound/fft_state.h"
#include "sound/operation_failure.h"

using namespace sv;

void TSoundfrm::robot() {
    runEffect(this, EffectShow::Sound, [this](const OperationContext& ctx) {
        return intervalEffect(Sound, IntervalEffect::RoboticVoice, ctx);
    });
}

void TSoundfrm::super_separacion() {
    runEffect(this, EffectShow::Sound, [this](const OperationContext& ctx) {
        return intervalEffect(Sound, IntervalEffect::Chopper, ctx);
    });
}

void TSoundfrm::super_separacion2() {
    runEffect(this, EffectShow::Sound, [this](const OperationContext& ctx) {
        return intervalEffect(Sound, IntervalEffect::GreatChopper, ctx);
    });
}

void TSoundfrm::Eco() {
    if (!Echofrm) return;
    uint8_t cancelled = 1;
    int32_t count = 1;
    const int32_t delay = Echofrm->mostrar_form(cancelled, count);
    if (cancelled) return;
    runEffect(this, EffectShow::Sound, [&](const OperationContext& ctx) { return echo(Sound, delay, count, ctx); });
}

void TSoundfrm::Resamplear() {
    if (!Resamplefrm) return;
    uint8_t cancelled = 1;
    sv::SampleFormat target;
    Resamplefrm->mostrar_form(SampleFormat.wBitsPerSample, int32_t(SampleFormat.nSamplesPerSec),
                              SampleFormat.nChannels, cancelled, target);
    if (cancelled) return;
    runEffect(this, EffectShow::Sound, [&](const OperationContext& ctx) { return resampleSound(Sound, target, ctx); });
}

void TSoundfrm::cambio_velocidad(bool fromResample, double ratio) {
    if (ratio != 0) {
        setSelection(0, FrameCount());
        const int64_t target = rateChangeLength(FrameCount(), ratio);
        runEffect(this, EffectShow::Sound, [&](const OperationContext& ctx) {
            return changeSpeed(Sound, target, ratio == 4.0, !fromResample, ctx);
        });
        return;
    }
    if (!SpeedUpDownfrm) return;
    int64_t target = 0;
    int32_t delta = 0;
    if (SpeedUpDownfrm->mostrar_form(SelectionLength, target, delta) || delta == 0) return;
    runEffect(this, EffectShow::Sound, [&](const OperationContext& ctx) {
        return changeSpeed(Sound, target, false, true, ctx);
    });
}

void TSoundfrm::Gapper() {
    int64_t gap = 0, interval = 0;
    {
        TGapperFrm f(this);
        f.SampleRate = SampleFormat.nSamplesPerSec;
        showModal(f);
        if (f.Cancelled) return;
        gap = f.gapLength();
        interval = f.gapInterval();
    }
    runEffect(this, EffectShow::Sound, [&](const OperationContext& ctx) { return gapper(Sound, gap, interval, ctx); });
}

void TSoundfrm::Groove() {
    int64_t piece = 0, count = 0;
    {
        TGrooveFrm f(this);
        f.SampleRate = SampleFormat.nSamplesPerSec;
        showModal(f);
        if (f.Cancelled) return;
        piece = f.grooveLength();
        count = f.grooveNumber();
    }
    runEffect(this, EffectShow::Sound, [&](const OperationContext& ctx) { return groove(Sound, piece, count, ctx); });
}

void TSoundfrm::Reverberacion() {
    if (!Reverbfrm) return;
    ReverbParams p;
    uint8_t lowPass = 0, onlySelection = 0;
    if (Reverbfrm->mostrar_form(p.density, p.reverbDelay, p.initialDelay, p.reverbTime, p.originalLevel,
                                p.reverbLevel, lowPass, onlySelection))
        return;
    p.onlySelection = onlySelection != 0;
    const bool done = runEffect(this, EffectShow::Sound, [&](const OperationContext& ctx) {
        if (!reverb(Sound, p, ctx)) return false;
        // The low pass belongs to the reverb's own undo step.
        if (lowPass) sv::transformar(Sound, "paso_bajo_reverb", 1, 5000, FftArea(), ctx);
        return true;
    });
    // The byte count is that of the sound as a WAVE file of its own.
    if (done) {
        FileSize = FrameCount() * SampleFormat.nBlockAlign + 44;
        updateStatusPanels();
    }
}

void TSoundfrm::Flanger() {
    ModulationParams p;
    {
        TFlangerfrm f(this);
        if (showModal(f) != mrOk) return;
        p = f.values();
    }
    runEffect(this, EffectShow::Selection, [&](const OperationContext& ctx) { return flanger(Sound, p, ctx); });
}

void TSoundfrm::Chorus() {
    ModulationParams p;
    {
        TChorusfrm f(this);
        if (showModal(f) != mrOk) return;
        p = f.values();
    }
    runEffect(this, EffectShow::Selection, [&](const OperationContext& ctx) { return chorus(Sound, p, ctx); });
}

// Time, rate and delay effects of a sound window: the window asks the
// parameters, runs one engine call (sound/engine/effects/time_effects.h,
// delay_effects.h) and shows the outcome.
#include <QProgressBar>

#include "dialogs/ChorusFlanger.h"
#include "dialogs/Echo.h"
#include "dialogs/GapperGroove.h"
#include "dialogs/ParamDialog.h"
#include "dialogs/Resample.h"
#include "dialogs/Reverb.h"
#include "dialogs/SpeedUpDown.h"
#include "sound/Sound.h"
#include "sound/display_state.h"
#include "sound/engine/effects/delay_effects.h"
#include "sound/engine/effects/time_effects.h"
#include "sound/engine/fft/transformar.h"
#include "sound/fft_state.h"
#include "sound/operation_failure.h"

using namespace sv;

namespace {

// Runs one engine call and turns its outcome into the window's state. An
// effect that fails after its undo step was written, or after the buffer
// changed, may have changed samples: the window then shows the sound as it
// is and counts it as modified, so that nothing changes unseen and the
// step can take it back. inPlace: the effect keeps the length and changes
// only the selected frames, which alone need a new display summary.
template <typename Op>
bool runTimeEffect(TSoundfrm* w, bool inPlace, Op&& op) {
    const int64_t oldBytes = int64_t(w->Sound.bytes.size());
    const int32_t oldCounter = w->Undo ? w->Undo->counter() : 0;
    const int64_t first = w->SelectionStart;
    const int64_t frames = w->SelectionLength;
    bool changed = false;
    const OperationFailure f = attemptOperation([&] { changed = op(w->editContext()); });
    if (f.failed) {
        w->ProgressBar1->hide();
        reportFailure(f);
        changed = int64_t(w->Sound.bytes.size()) != oldBytes || (w->Undo && w->Undo->counter() != oldCounter);
    }
    if (changed) {
        if (inPlace) {
            w->samplesChanged(first, frames);
            w->displayState().changeAnnounced = true;
        }
        w->afterEdit(oldBytes);
    }
    return changed && !f.failed;
}

} // namespace

void TSoundfrm::robot() {
    runTimeEffect(this, false, [this](const OperationContext& ctx) {
        return intervalEffect(Sound, IntervalEffect::RoboticVoice, ctx);
    });
}

void TSoundfrm::super_separacion() {
    runTimeEffect(this, false, [this](const OperationContext& ctx) {
        return intervalEffect(Sound, IntervalEffect::Chopper, ctx);
    });
}

void TSoundfrm::super_separacion2() {
    runTimeEffect(this, false, [this](const OperationContext& ctx) {
        return intervalEffect(Sound, IntervalEffect::GreatChopper, ctx);
    });
}

void TSoundfrm::Eco() {
    if (!Echofrm) return;
    uint8_t cancelled = 1;
    int32_t count = 1;
    const int32_t delay = Echofrm->mostrar_form(cancelled, count);
    if (cancelled) return;
    runTimeEffect(this, false, [&](const OperationContext& ctx) { return echo(Sound, delay, count, ctx); });
}

void TSoundfrm::Resamplear() {
    if (!Resamplefrm) return;
    uint8_t cancelled = 1;
    sv::SampleFormat target;
    Resamplefrm->mostrar_form(SampleFormat.wBitsPerSample, int32_t(SampleFormat.nSamplesPerSec),
                              SampleFormat.nChannels, cancelled, target);
    if (cancelled) return;
    runTimeEffect(this, false, [&](const OperationContext& ctx) { return resampleSound(Sound, target, ctx); });
}

void TSoundfrm::cambio_velocidad(bool fromResample, double ratio) {
    if (ratio != 0) {
        setSelection(0, FrameCount());
        const int64_t target = rateChangeLength(FrameCount(), ratio);
        runTimeEffect(this, false, [&](const OperationContext& ctx) {
            return changeSpeed(Sound, target, ratio == 4.0, !fromResample, ctx);
        });
        return;
    }
    if (!SpeedUpDownfrm) return;
    int64_t target = 0;
    int32_t delta = 0;
    if (SpeedUpDownfrm->mostrar_form(SelectionLength, target, delta) || delta == 0) return;
    runTimeEffect(this, false, [&](const OperationContext& ctx) {
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
    runTimeEffect(this, false, [&](const OperationContext& ctx) { return gapper(Sound, gap, interval, ctx); });
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
    runTimeEffect(this, false, [&](const OperationContext& ctx) { return groove(Sound, piece, count, ctx); });
}

void TSoundfrm::Reverberacion() {
    if (!Reverbfrm) return;
    ReverbParams p;
    uint8_t lowPass = 0, onlySelection = 0;
    if (Reverbfrm->mostrar_form(p.density, p.reverbDelay, p.initialDelay, p.reverbTime, p.originalLevel,
                                p.reverbLevel, lowPass, onlySelection))
        return;
    p.onlySelection = onlySelection != 0;
    runTimeEffect(this, false, [&](const OperationContext& ctx) {
        if (!reverb(Sound, p, ctx)) return false;
        // The low pass belongs to the reverb's own undo step.
        if (lowPass) sv::transformar(Sound, "paso_bajo_reverb", 1, 5000, FftArea(), ctx);
        return true;
    });
}

void TSoundfrm::Flanger() {
    ModulationParams p;
    {
        TFlangerfrm f(this);
        if (showModal(f) != mrOk) return;
        p = f.values();
    }
    runTimeEffect(this, true, [&](const OperationContext& ctx) { return flanger(Sound, p, ctx); });
}

void TSoundfrm::Chorus() {
    ModulationParams p;
    {
        TChorusfrm f(this);
        if (showModal(f) != mrOk) return;
        p = f.values();
    }
    runTimeEffect(this, true, [&](const OperationContext& ctx) { return chorus(Sound, p, ctx); });
}

// Delay-based effects over the selection: the reverb (the dry signal plus a
// train of decaying delayed copies, optionally lengthening the sound), and
// the flanger and chorus (voices delayed by a sine-modulated delay mixed
// with the dry signal; the flanger feeds its output back).
//
// Each writes its undo step before the first sample changes and returns
// false when it changed nothing. Results are clamped as each one says.
#pragma once
#include <cstdint>

#include "sound/engine/operation.h"
#include "sound/engine/sound_buffer.h"

namespace sv {

struct ReverbParams {
    int32_t density = 500;        // first spacing between taps, in frames
    int32_t reverbDelay = 10;     // ms: length of the early part
    int32_t initialDelay = 10;    // ms: before the first tap
    int32_t reverbTime = 500;     // ms: the whole tail
    int32_t originalLevel = 100;  // percent of the dry signal kept
    int32_t reverbLevel = 50;     // percent
    bool onlySelection = false;   // no tail past the selection, no growth
};

// "Reverb". Without onlySelection the sound grows to hold the tail when it
// reaches past the end, and the selection grows by the tail's length; the
// undo step is completed with it. Taps stop at the stretch the undo step
// holds (the selection with onlySelection, else the selection and its tail),
// so that undo gives back every frame the reverb touched. Each tap adds
// round(x x gain), clamped to 0..255 (8-bit) or -32767..32767.
bool reverb(SoundBuffer& sound, const ReverbParams& p, const OperationContext& ctx);

struct ModulationParams {
    int32_t fixedDelay = 0;       // the control's number / 1000, in samples
    int32_t mixedDelay = 30;      // ms, the modulated delay's middle / 1.25
    int32_t voices = 1;
    int32_t original = 100;       // percent of the dry signal
    int32_t processed = 50;       // percent of the voices
    int32_t frequency = 20;       // tenths of a hertz, the first voice's LFO
    int32_t feedback = 0;         // percent (flanger only)
};

// "Flanger" and "Chorus" (the chorus has no feedback). The selection's
// samples are one interleaved stream; its last frame is left as it is.
// Output clamped to -127..127 around 127 (8-bit) or -32767..32767. Where
// the flanger's loop would grow, its feedback is cut and carries no
// constant (fx::stableFeedback), so that every sound dies away to where
// the voices alone put its offset.
bool flanger(SoundBuffer& sound, const ModulationParams& p, const OperationContext& ctx);
bool chorus(SoundBuffer& sound, ModulationParams p, const OperationContext& ctx);

} // namespace sv

// Effects that change the timing, the rate or the length of a sound:
// robotic voice and the choppers, echo, gapper, groove, the format
// conversion of Resample and the speed change.
//
// Each one writes its undo step before the first sample changes (an
// exception from it leaves the sound untouched), builds the new samples in
// one allocation sized in advance, and, when the length changed, completes
// the step with the new length of the changed stretch as its last action.
// Each returns false when it changed nothing (no undo step either).
// Frame counts and byte sizes are 64-bit; a result too large to allocate
// throws std::bad_alloc before anything changes.
#pragma once
#include <cstdint>

#include "sound/engine/operation.h"
#include "sound/engine/sound_buffer.h"

namespace sv {

enum class IntervalEffect {
    RoboticVoice,   // "Robotic Voice": runs of silence, a quarter of the period
    Chopper,        // "Chopper": runs of silence as long as the period
    GreatChopper,   // "Great Chopper": the period filled with the next sample
};

// Every period of 200 frames at 11025 Hz (scaled with the rate) of the
// selection's interleaved samples is followed by a run the effect inserts;
// no source sample is lost, and the selection grows to cover the runs.
bool intervalEffect(SoundBuffer& sound, IntervalEffect effect, const OperationContext& ctx);

// Echo: `count` copies of the selection, the k-th at k x delay and divided
// by k + 1, added onto what is there; the sound grows with silence when the
// last echo runs past its end. Negative arguments throw
// std::invalid_argument.
bool echo(SoundBuffer& sound, int32_t delayMs, int32_t count, const OperationContext& ctx);

// Gapper: after every `interval` selected frames, `gap` silent frames.
// Groove: the selection cut in pieces of `piece` frames, each written
// `count` times in a row. Both select the changed stretch. An interval or
// piece below 1, or a negative gap or count, throws std::invalid_argument
// with one of these texts.
extern const char* const kGapperValuesMessage;
extern const char* const kGrooveValuesMessage;
bool gapper(SoundBuffer& sound, int64_t gap, int64_t interval, const OperationContext& ctx);
bool groove(SoundBuffer& sound, int64_t piece, int64_t count, const OperationContext& ctx);

// Stretches (newLength > L) or squeezes the selected frames to newLength
// frames, by inserting frames evenly between their neighbours or dropping
// frames evenly. quarterSteps: the inserted frames between two source
// frames are weighted 1/4, 2/4, 3/4 (a rate four times the old one) instead
// of taking their mean. saveUndo writes the "Speed Up/Down" step. The
// stretch stays selected with its new length.
bool changeSpeed(SoundBuffer& sound, int64_t newLength, bool quarterSteps, bool saveUndo,
                 const OperationContext& ctx);

// Resample: a whole-sound "Resample" step, then the bits, then the
// channels, then the rate (a speed change of the whole sound by new rate /
// old rate, which then selects the whole sound). `target` must be PCM of
// one of the four layouts at a positive rate (std::invalid_argument).
bool resampleSound(SoundBuffer& sound, const SampleFormat& target, const OperationContext& ctx);

// The new length of the whole sound for a rate change: Trunc(ratio x F).
int64_t rateChangeLength(int64_t frames, double ratio);

} // namespace sv

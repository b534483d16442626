// Effects that change the values of the selected samples in place without
// changing the sound's length.
//
// Each function works on the selection of the buffer (all channels), writes
// its undo step through ctx.undo with the command's words before the first
// sample changes, reports progress through ctx, and returns true when it
// changed the sound. It returns false, with no undo step and nothing
// changed, when there is nothing to do: an empty selection, a format other
// than 8/16-bit PCM mono or stereo, a stereo-only effect on a mono sound,
// the "nothing to do" values named below, or an undo step that could not be
// written. The caller marks the sound modified and redraws only on true.
//
// 8-bit samples are unsigned with silence at 127; x below is a sample's
// value relative to that silence (16-bit: the stored value).
#pragma once
#include <cstdint>

#include "sound/engine/operation.h"
#include "sound/engine/sound_buffer.h"

namespace sv {

// The words of each effect's undo step.
namespace undo_words {
constexpr const char* normalise = "Normalize";
constexpr const char* amplify = "Amplify Volume";
constexpr const char* fadeIn = "Fade In";
constexpr const char* fadeOut = "Fade Out";
constexpr const char* forceSilence = "Force silence";
constexpr const char* swapChannels = "Invert channels";
constexpr const char* invert = "Invert";
constexpr const char* reverse = "Reverse";
constexpr const char* travellingStereo = "Travelling stereo";
constexpr const char* removeOffset = "Remove offset";
constexpr const char* noiseGate = "Noise gate";
constexpr const char* metalize = "Metalize";
constexpr const char* compressor = "Compressor";
constexpr const char* distortion = "Distortion";
constexpr const char* expander = "Expander";
} // namespace undo_words

// Scales the selection so that its loudest sample reaches full scale
// (127 or 32767), truncating.
bool normalise(SoundBuffer& s, const OperationContext& ctx);

// x := percent x x / 100 truncated (exactly), clamped to 0..255 stored (8-bit) or
// -32767..32767. 100 percent is nothing to do.
bool amplify(SoundBuffer& s, int32_t percent, const OperationContext& ctx);

// Progression types of the fades (the fade dialog's radio group index);
// any other index leaves the samples as they are.
enum FadeCurve : int32_t { kFadeLinear = 0, kFadeExponential = 1, kFadeLogarithm = 2 };

// A level ramp over the selection, moving per sample (channels interleaved)
// from percent/100 up to 1 (fade in) or from 1 down to percent/100 (fade
// out). percent is taken within 0..100; 100 is the dialog's cancel value and
// is nothing to do. Results saturate to the sample range.
bool fadeIn(SoundBuffer& s, int32_t percent, int32_t curve, const OperationContext& ctx);
bool fadeOut(SoundBuffer& s, int32_t percent, int32_t curve, const OperationContext& ctx);

// Every selected sample becomes silence.
bool forceSilence(SoundBuffer& s, const OperationContext& ctx);

// Swaps the left and right samples of every selected frame (stereo only).
bool swapChannels(SoundBuffer& s, const OperationContext& ctx);

// Polarity: 8-bit byte := 255 - byte (silence 127 becomes 128); 16-bit
// value := -value, with -32768 becoming 32767.
bool invertPolarity(SoundBuffer& s, const OperationContext& ctx);

// Reverses the order of the selected frames.
bool reverse(SoundBuffer& s, const OperationContext& ctx);

// Moves the sound from one channel to the other across the selection:
// direction 0 fades the left channel from 1 down to percent/100 while the
// right rises from percent/100 to 1; any other direction the opposite.
// Stereo only; percent >= 100 (also the dialog's cancel value 101) is
// nothing to do; a negative percent is taken as 0.
bool travellingStereo(SoundBuffer& s, int32_t direction, int32_t percent, const OperationContext& ctx);

// Subtracts the mean of the selected samples (one mean for all channels).
bool removeOffset(SoundBuffer& s, const OperationContext& ctx);

// Brings runs of samples quieter than threshold percent of full scale down
// to residual percent, fading over fadeMs milliseconds at each end.
bool noiseGate(SoundBuffer& s, int32_t threshold, int32_t fadeMs, int32_t residual,
               const OperationContext& ctx);

// Silences short runs at a regular interval (every 4 or 2 samples at
// 11025 Hz, scaled with the rate). A rate too low to give a run and an
// interval of at least one sample is nothing to do.
bool metalize(SoundBuffer& s, bool hard, const OperationContext& ctx);

// threshold is in 8-bit units (0..127), taken x 256 for 16-bit sounds.
// Compressor: the part of each sample beyond the threshold is scaled by
// percent / 100 (100 changes nothing).
bool compressor(SoundBuffer& s, int32_t threshold, int32_t percent, const OperationContext& ctx);

// Distortion: samples beyond the threshold are replaced by the threshold
// plus a random amount up to percent of the headroom above it (percent 0 is
// taken as 1). The generator is seeded from the clock first unless
// randomize is false (tests seed it themselves for repeatable results).
bool distortion(SoundBuffer& s, int32_t threshold, int32_t percent, const OperationContext& ctx,
                bool randomize = true);

// Expander: the part of each sample beyond the threshold is scaled by
// (100 + percent) / 100, clamped to 0..254 stored (8-bit) or -32767..32767.
bool expander(SoundBuffer& s, int32_t threshold, int32_t percent, const OperationContext& ctx);

} // namespace sv

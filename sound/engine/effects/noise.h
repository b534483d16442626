// Noise generators: sparse impulses added to (or, for speckle, multiplying)
// the selected samples.
//
// Each walks the selection's interleaved samples (channels mixed): it draws
// a gap, moves that many samples on, stops once past the selection, and
// otherwise changes the sample it stands on (a gap of 0 changes the same
// sample again). The sign of each impulse is +1 or -1 with equal chance.
// Results are clamped to 0..255 stored (8-bit) or -32768..32767.
//
// level is the noise dialog's slider value (0..1000, 100 by default): the
// gaussian values have a standard deviation of level / 10, times 256 for
// 16-bit sounds.
//
// Each writes its undo step with the words below before the first change
// and returns true when it took it; false, with nothing changed, for an
// empty selection, a format other than 8/16-bit PCM mono or stereo, or an
// undo step that could not be written. The generator is seeded from the
// clock first unless randomize is false (tests seed it themselves).
#pragma once
#include <cstdint>

#include "sound/engine/operation.h"
#include "sound/engine/sound_buffer.h"

namespace sv {

namespace undo_words {
constexpr const char* uniformNoise = "Add noise";
constexpr const char* gaussianNoise = "Add gaussian noise";
constexpr const char* speckleNoise = "Add speckle noise";
constexpr const char* pinkNoise = "Add pink noise";
} // namespace undo_words

// Gaps of 0..19 samples; impulses of 0..49 (8-bit) or 0..6399 (16-bit).
bool uniformNoise(SoundBuffer& s, const OperationContext& ctx, bool randomize = true);

// Gaps of 0..9; impulses of a rounded gaussian value.
bool gaussianNoise(SoundBuffer& s, int32_t level, const OperationContext& ctx, bool randomize = true);

// Gaps of 0..9; the sample is multiplied by the signed, rounded gaussian
// value.
bool speckleNoise(SoundBuffer& s, int32_t level, const OperationContext& ctx, bool randomize = true);

// Gaps of 0..9; gaussian values through a pink (1/f) filter whose state
// runs from impulse to impulse within one call.
bool pinkNoise(SoundBuffer& s, int32_t level, const OperationContext& ctx, bool randomize = true);

// A gaussian value of mean 0 and standard deviation sigma by the polar
// method, drawing from sv::Random.
double gaussianValue(double sigma);

} // namespace sv

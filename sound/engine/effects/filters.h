// Time-domain filters over the selection: the median family, the running
// average, top hat, edge enhancement, first difference, the seven-tap
// customised filter and the quantiser.
//
// Each function works on the selection (every channel on its own unless
// said otherwise), writes its undo step through ctx.undo with the words
// below before the first sample changes, reports progress through ctx and
// returns true when it took the step. It returns false, with no step and
// nothing changed, for an empty selection, a format other than 8/16-bit
// PCM mono or stereo, the "nothing to do" cases named below, or an undo
// step that could not be written.
//
// x below is a sample relative to silence (8-bit: stored byte - 127) unless
// said otherwise; L is the selection's length in frames.
#pragma once
#include <array>
#include <cstdint>

#include "sound/engine/operation.h"
#include "sound/engine/sound_buffer.h"

namespace sv {

namespace undo_words {
constexpr const char* medianFilter = "Median filter";
constexpr const char* improvedMedianFilter = "Improved Median filter";
constexpr const char* averageFilter = "Average filter";
constexpr const char* topHatFilter = "Top hat filter";
constexpr const char* edgeEnhancement = "Edge Enhancement";
constexpr const char* differenceFilter = "Difference filter";
constexpr const char* customizedFilter = "Customized Filter";
constexpr const char* quantifier = "Quantifier";
} // namespace undo_words

// The customised filter needs more frames than its seven taps.
constexpr const char* kCustomizedFilterTooShort =
    "Selection Size must be greater than 7 samples to use this function";

// The median of three; on ties any of the equal values is that median.
inline int MedianOf3(int a, int b, int c) {
    const int lo = a < b ? a : b;
    const int hi = a < b ? b : a;
    return c < lo ? lo : (c > hi ? hi : c);
}
// The first of a, b, c (in that order) whose magnitude is largest, and the
// first whose magnitude is smallest: -5 and 5 are told apart by position.
inline int LargestMagnitudeOf3(int a, int b, int c) {
    int r = a;
    if ((b < 0 ? -b : b) > (r < 0 ? -r : r)) r = b;
    if ((c < 0 ? -c : c) > (r < 0 ? -r : r)) r = c;
    return r;
}
inline int SmallestMagnitudeOf3(int a, int b, int c) {
    int r = a;
    if ((b < 0 ? -b : b) < (r < 0 ? -r : r)) r = b;
    if ((c < 0 ? -c : c) < (r < 0 ? -r : r)) r = c;
    return r;
}

// y[k] = median of x[k-1], x[k], x[k+1] from unfiltered values, the ends
// repeating their own sample.
bool medianFilter(SoundBuffer& s, const OperationContext& ctx);

// As the median, but a sample takes its median only when it lies more than
// 10 (8-bit) or 2580 (16-bit) from it; the last sample always takes it.
bool improvedMedianFilter(SoundBuffer& s, const OperationContext& ctx);

// Recursive three-point mean in integers on stored values, truncating:
// y[k] = (y[k-1] + x[k] + x[k+1]) / 3 with y[-1] = silence, and for the
// last sample silence in place of its missing successor.
bool averageFilter(SoundBuffer& s, const OperationContext& ctx);

// Opening by smallest then largest magnitude; samples that the opening
// changes take the median of their successor, themselves and the previous
// output. The last sample is left. Progress: 1, 2 and 3 of 3.
bool topHatFilter(SoundBuffer& s, const OperationContext& ctx);

// y[k] = 3 x[k-1] - x[k-2] - x[k] for all but the last sample (x[-1] =
// x[-2] = 0), clamped to 0..255 stored or -32767..32767.
bool edgeEnhancement(SoundBuffer& s, const OperationContext& ctx);

// y[k] = x[k] - x[k-1] (x[-1] = silence), wrapping to the sample width.
bool differenceFilter(SoundBuffer& s, const OperationContext& ctx);

// Seven taps over k-3..k+3 for k = 3..L-5; with feedback the centre of the
// window takes the output, so later outputs see filtered past samples.
// Rounded half to even; 8-bit clamped to -127..127, 16-bit to the full
// range. A selection of 7 frames or fewer is nothing to do (the window
// shows kCustomizedFilterTooShort).
bool customizedFilter(SoundBuffer& s, const std::array<double, 7>& weights, bool feedback,
                      const OperationContext& ctx);

// x := step * (x / step) with the division truncating, every sample. A step
// of 0 is nothing to do.
bool quantize(SoundBuffer& s, int32_t step, const OperationContext& ctx);

} // namespace sv

// The reverb as a sparse filter: the taps of one frame (their distance and
// gain) do not depend on the frame, so they are worked out once, and the
// frames are then walked in blocks, each tap adding the block's samples at
// its distance. Within a block the taps go from the farthest to the nearest,
// so every output sample receives its additions in the order of the source
// frames (and within a frame in tap order), as a frame-by-frame walk would:
// with the clamp after every addition that order matters.
#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "sound/engine/edit_progress.h"
#include "sound/engine/effects/delay_effects.h"
#include "sound/engine/effects/parallel_runs.h"
#include "sound/engine/effects/time_internal.h"

namespace sv {

namespace {

struct Tap {
    int64_t offset;   // frames after the frame's first tap position
    double gain;
    int64_t kMax;     // the last source frame (from 1) this tap applies to
};

// The taps of one frame: the early part (linear fall of the gain over the
// reverb delay K) and the late part (exponential fall to 0 over J). The
// spacing starts at the density D and shrinks towards D / 2.
// `limit(offset, earlyLate)` gives the last frame a tap at that offset may
// serve; a tap past it ends its part for that frame and every later tap of
// the part too, so kMax is the running minimum within a part.
std::vector<Tap> buildTaps(int64_t d, int64_t k, int64_t p, int64_t r, double t, int64_t l, bool onlySelection,
                           int64_t frameLimit) {
    std::vector<Tap> taps;
    const double dd = double(d);
    double g = t;
    int64_t interval = d;
    bool stopped = false;
    // Frames k (from 1) whose tap at `offset` stays inside the stretch:
    // first tap position S + P + k - 1, plus offset, below frameLimit.
    auto bound = [&](int64_t offset, int64_t sValue) {
        int64_t m = std::min<int64_t>(l, frameLimit - p - offset);
        if (onlySelection) m = std::min(m, l - sValue - p + 1);
        return m;
    };
    if (k > 0) {
        int64_t s = 0, q = 0, run = l;
        do {
            run = std::min(run, bound(q, s));
            taps.push_back({q, g, run});
            q += interval;
            g = t - t * double(s) / double(k);
            interval = roundHalfEven(dd - double(s) * dd / (2.0 * double(k)), INT64_MIN / 4, INT64_MAX / 4);
            if (interval < 1) { stopped = true; break; }
            s += interval;
        } while (s < k);
    }
    const int64_t j = r - k - p;
    if (!stopped) {
        int64_t s = 0, q = k, run = l;
        while (s < j) {
            run = std::min(run, bound(q, s + k));
            taps.push_back({q, g, run});
            q += interval;
            g = (std::exp(t - t * double(s) / double(j)) - 1.0) / std::exp(1.0);
            interval = roundHalfEven(dd - double(s) * dd / (2.0 * double(j)), INT64_MIN / 4, INT64_MAX / 4);
            if (interval < 1) break;
            s += interval;
        }
    }
    return taps;
}

// nearbyint for |x| < 2^51: adding and taking away 1.5 x 2^52 rounds to the
// nearest integer, halves to even, as the default rounding mode does (only
// the sign of a zero result can differ, which no sample shows).
constexpr double kRoundMagic = 6755399441055744.0;
constexpr double kRoundLimit = 2251799813685248.0;

inline int64_t roundTap(double v) {
    return std::fabs(v) < kRoundLimit ? int64_t((v + kRoundMagic) - kRoundMagic) : int64_t(std::nearbyint(v));
}

// out[i] += round(x[i] x g), clamped, for n samples.
inline void addTap(uint8_t* out, const uint8_t* x, int64_t n, double g, uint8_t) {
    for (int64_t i = 0; i < n; ++i)
        out[i] = uint8_t(clamp8(int64_t(out[i]) + roundTap(double(int(x[i]) - kSilence8) * g)));
}
inline void addTap(uint8_t* out, const uint8_t* x, int64_t n, double g, int16_t) {
    int64_t i = 0;
#if defined(__SSE2__)
    // Four samples at a time, all in double precision: the product, its
    // rounding, the sum and the clamp are exact there, as the integer
    // steps are, while |x g| stays below 2^51.
    if (std::fabs(g) * 32768.0 < kRoundLimit) {
        const __m128d vg = _mm_set1_pd(g), magic = _mm_set1_pd(kRoundMagic);
        const __m128d lo = _mm_set1_pd(-32767.0), hi = _mm_set1_pd(32767.0);
        for (; i + 4 <= n; i += 4) {
            const __m128i xv = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(x + 2 * i));
            const __m128i ov = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(out + 2 * i));
            const __m128i x32 = _mm_srai_epi32(_mm_unpacklo_epi16(xv, xv), 16);
            const __m128i o32 = _mm_srai_epi32(_mm_unpacklo_epi16(ov, ov), 16);
            __m128d r0 = _mm_sub_pd(_mm_add_pd(_mm_mul_pd(_mm_cvtepi32_pd(x32), vg), magic), magic);
            __m128d r1 = _mm_sub_pd(
                _mm_add_pd(_mm_mul_pd(_mm_cvtepi32_pd(_mm_shuffle_epi32(x32, 0xee)), vg), magic), magic);
            r0 = _mm_min_pd(_mm_max_pd(_mm_add_pd(r0, _mm_cvtepi32_pd(o32)), lo), hi);
            r1 = _mm_min_pd(_mm_max_pd(_mm_add_pd(r1, _mm_cvtepi32_pd(_mm_shuffle_epi32(o32, 0xee))), lo), hi);
            const __m128i s32 = _mm_unpacklo_epi64(_mm_cvttpd_epi32(r0), _mm_cvttpd_epi32(r1));
            _mm_storel_epi64(reinterpret_cast<__m128i*>(out + 2 * i), _mm_packs_epi32(s32, s32));
        }
    }
#endif
    for (; i < n; ++i) {
        int16_t xv, ov;
        std::memcpy(&xv, x + 2 * i, 2);
        std::memcpy(&ov, out + 2 * i, 2);
        const int16_t r = int16_t(clamp16Sym(int64_t(ov) + roundTap(double(xv) * g)));
        std::memcpy(out + 2 * i, &r, 2);
    }
}

// Frames of the selection scaled by the dry level: round(x x dry).
template <typename T>
void scaleDry(uint8_t* p, int64_t n, double dry) {
    constexpr int w = sizeof(T);
    for (int64_t i = 0; i < n; ++i) {
        const int x = readSample(p + i * w, T{});
        const int64_t v = roundHalfEven(double(x) * dry);
        if constexpr (w == 1) writeSample(p + i, clamp8(v + kSilence8) - kSilence8, T{});
        else writeSample(p + 2 * i, clamp16(v), T{});
    }
}

// The dry scaling and every tap's additions that land on output frames
// [o0, o1) of the stretch (0 at the selection start). Each output frame
// receives its additions in the order of a walk over the whole stretch
// (blocks in order, taps farthest first within a block), so cutting the
// output into ranges changes nothing.
template <typename T>
void reverbRange(uint8_t* newSel, const uint8_t* oldSel, const std::vector<Tap>& farFirst, int64_t l, int c,
                 int64_t p, double dry, int64_t o0, int64_t o1) {
    constexpr int w = sizeof(T);
    constexpr int64_t kBlock = 8192;
    const int64_t dryEnd = std::min(o1, l);
    if (o0 < dryEnd) scaleDry<T>(newSel + o0 * c * w, (dryEnd - o0) * c, dry);
    for (int64_t k0 = 1; k0 <= l; k0 += kBlock) {
        const int64_t k1 = std::min(l, k0 + kBlock - 1);
        // Frame k lands at output p + k - 1 + offset.
        if (p + k0 - 1 >= o1) break;
        for (const Tap& tap : farFirst) {
            const int64_t first = std::max(k0, o0 - p - tap.offset + 1);
            const int64_t last = std::min({k1, tap.kMax, o1 - p - tap.offset});
            if (last < first) continue;
            uint8_t* out = newSel + ((p + first - 1 + tap.offset) * c) * w;
            addTap(out, oldSel + (first - 1) * c * w, (last - first + 1) * c, tap.gain, T{});
        }
    }
}

} // namespace

bool reverb(SoundBuffer& sound, const ReverbParams& prm, const OperationContext& ctx) {
    if (prm.reverbTime < 0 || prm.reverbDelay < 0 || prm.initialDelay < 0)
        throw std::invalid_argument("The reverb times must not be negative.");
    if (!sound.format.isSupportedPcm()) return false;
    sound.setSelection(sound.selectionStart, sound.selectionLength);
    const int64_t s = sound.selectionStart, l = sound.selectionLength, f = sound.frameCount();
    const int64_t b = sound.format.nBlockAlign;
    const int c = sound.format.nChannels;
    const int64_t rate = sound.format.nSamplesPerSec;
    const int64_t r = int64_t(prm.reverbTime) * rate / 1000;
    const int64_t k = int64_t(prm.reverbDelay) * rate / 1000;
    const int64_t p = int64_t(prm.initialDelay) * rate / 1000;
    const double dry = prm.originalLevel / 100.0, wet = prm.reverbLevel / 100.0;
    const int64_t newFrames = prm.onlySelection ? f : std::max(f, s + l + r);
    timefx::bytesFor(newFrames, b);
    const std::vector<uint8_t> old(sound.frame(s), sound.frame(s) + l * b);
    if (!ctx.undo("Reverb", prm.onlySelection ? l : std::min(l + r, f - s))) return false;

    sound.bytes.resize(size_t(newFrames * b));
    timefx::fillSilence(sound.frame(f), size_t((newFrames - f) * b), sound.format);
    // The stretch the undo step holds, relative to the selection start.
    const int64_t limit = prm.onlySelection ? l : l + r;
    std::vector<Tap> taps = buildTaps(prm.density, k, p, r, wet / 2, l, prm.onlySelection, limit);
    std::stable_sort(taps.begin(), taps.end(), [](const Tap& a, const Tap& z) { return a.offset > z.offset; });
    // Output frames reach from the selection start to the last tap's end.
    int64_t reach = l;
    for (const Tap& tap : taps) reach = std::max(reach, std::min(tap.kMax, l) + p + tap.offset);
    reach = std::min(reach, newFrames - s);
    ProgressWalk walk(ctx, l);
    dispatchLayout(sound.format, [&](auto t, auto) {
        using T = decltype(t);
        uint8_t* sel = sound.frame(s);
        fx::parallelRuns(reach, int64_t(1) << 14, [&](int64_t o0, int64_t o1) {
            reverbRange<T>(sel, old.data(), taps, l, c, p, dry, o0, o1);
        }, &walk, [&](int64_t done) { return reach > 0 ? int64_t(__int128(done) * l / reach) : l; });
    });
    if (!prm.onlySelection) {
        sound.setSelection(s, l + r);
        ctx.complete(l + r);
    }
    return true;
}

} // namespace sv

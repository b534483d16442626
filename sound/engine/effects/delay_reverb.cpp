// The reverb as a sparse filter: the taps of one frame (their distance and
// gain) do not depend on the frame, so they are worked out once. Every
// output sample then receives its additions in the order of a walk over the
// source frames, each frame's taps in turn, as a frame-by-frame walk would:
// with the clamp after every addition that order matters. The taps reaching
// one output sample come from different source frames, the farthest tap
// from the earliest frame, so that order is the taps farthest first; the
// output is walked in short runs kept in registers while every tap adds to
// them.
#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>
#include <stdexcept>
#include <vector>

#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>
#endif

#include "sound/engine/edit_progress.h"
#include "sound/engine/effects/delay_effects.h"
#include "sound/engine/effects/parallel_runs.h"
#include "sound/engine/effects/reverb_lanes.h"
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

// Samples as stored (8-bit: the byte, 0..255; 16-bit: the signed value),
// with the ranges each layout keeps: the taps clamp to [lo, hi], the dry
// scaling to [dryLo, dryHi]; a tap reads x - bias.
template <typename T>
struct Layout;
template <>
struct Layout<uint8_t> {
    static constexpr double bias = kSilence8, lo = 0, hi = 255, dryLo = 0, dryHi = 255, maxAbs = 128;
    static int at(const uint8_t* p, int64_t i) { return p[i]; }
    static void put(uint8_t* p, int64_t i, int v) { p[i] = uint8_t(v); }
    static int dryStart(int x, double dry) { return clamp8(roundHalfEven(double(x - kSilence8) * dry) + kSilence8); }
    static int tapStep(int v, int x, double g) { return clamp8(int64_t(v) + roundTap(double(x - kSilence8) * g)); }
};
template <>
struct Layout<int16_t> {
    static constexpr double bias = 0, lo = -32767, hi = 32767, dryLo = -32768, dryHi = 32767, maxAbs = 32768;
    static int at(const uint8_t* p, int64_t i) {
        int16_t v;
        std::memcpy(&v, p + 2 * i, 2);
        return v;
    }
    static void put(uint8_t* p, int64_t i, int v) {
        const int16_t s = int16_t(v);
        std::memcpy(p + 2 * i, &s, 2);
    }
    static int dryStart(int x, double dry) { return clamp16(roundHalfEven(double(x) * dry)); }
    static int tapStep(int v, int x, double g) { return clamp16Sym(int64_t(v) + roundTap(double(x) * g)); }
};

// A tap that reaches every output sample of a segment: it adds
// round(x x gain) for the source sample `shift` samples earlier.
struct Reach {
    int64_t shift;
    double gain;
};

// Output samples [begin, end) of the stretch (0 at the selection start)
// whose start value is of one kind and that the same taps reach.
struct Segment {
    uint8_t* out;
    const uint8_t* old;   // the selection as it was
    int64_t begin, end;
    bool dry;             // inside the selection: the start is the dry sample scaled
    double dryGain;
    const Reach* taps;    // farthest first
    int count;
};

// Each output sample on its own: the start value, then every tap in order.
template <typename T>
void segmentSamples(const Segment& sg, int64_t from) {
    using K = Layout<T>;
    for (int64_t i = from; i < sg.end; ++i) {
        int v = sg.dry ? K::dryStart(K::at(sg.old, i), sg.dryGain) : K::at(sg.out, i);
        for (int t = 0; t < sg.count; ++t) v = K::tapStep(v, K::at(sg.old, i - sg.taps[t].shift), sg.taps[t].gain);
        K::put(sg.out, i, v);
    }
}

// The same in vector lanes, NV vectors of output samples at a time held in
// registers while every tap adds to them: the running value stays a double
// from the start value to the last tap, and the samples are converted once
// each way. Every step is the scalar one in each lane: the product, its
// rounding (exact while |x g| < 2^51, which the caller checks), the sum and
// the clamp are exact in double precision, as the integer steps are, and
// this file is built without fusing a multiply and an add. The lanes come
// from an instruction set's operations (vectors handed back through
// references, so that no vector crosses a call in a foreign convention).
// Returns where the whole vectors end.
template <typename T, typename O, int NV>
inline int64_t segmentLanes(const Segment& sg) {
    using K = Layout<T>;
    using V = typename O::V;
    constexpr int L = O::kLanes;
    constexpr int64_t kChunk = int64_t(L) * NV;
    constexpr int w = sizeof(T);
    V bias, lo, hi, dryLo, dryHi, dry;
    O::set(bias, K::bias);
    O::set(lo, K::lo);
    O::set(hi, K::hi);
    O::set(dryLo, K::dryLo);
    O::set(dryHi, K::dryHi);
    O::set(dry, sg.dryGain);
    int64_t i = sg.begin;
    for (; i + kChunk <= sg.end; i += kChunk) {
        V acc[NV];
        if (sg.dry) {
            for (int v = 0; v < NV; ++v) {
                V x, r;
                O::load(x, sg.old + (i + v * L) * w, T{});
                if constexpr (K::bias != 0) O::sub(x, x, bias);
                O::mul(r, x, dry);
                O::round(r);
                if constexpr (K::bias != 0) O::add(r, r, bias);
                O::clamp(r, dryLo, dryHi);
                acc[v] = r;
            }
        } else {
            for (int v = 0; v < NV; ++v) O::load(acc[v], sg.out + (i + v * L) * w, T{});
        }
        for (int t = 0; t < sg.count; ++t) {
            const uint8_t* src = sg.old + (i - sg.taps[t].shift) * w;
            V g;
            O::set(g, sg.taps[t].gain);
#pragma GCC unroll 16
            for (int v = 0; v < NV; ++v) {
                V x, r;
                O::load(x, src + v * L * w, T{});
                if constexpr (K::bias != 0) O::sub(x, x, bias);
                O::mul(r, x, g);
                O::round(r);
                O::add(acc[v], acc[v], r);
                O::tapClamp(acc[v], lo, hi, T{});
            }
        }
        for (int v = 0; v < NV; ++v) O::store(sg.out + (i + v * L) * w, acc[v], T{});
    }
    return i;
}

// Four doubles in the compiler's vector type; on x86-64 without wider
// registers each operation is split over two 128-bit ones.
struct PlainLanes {
    typedef double V __attribute__((vector_size(32)));
    typedef int32_t Whole __attribute__((vector_size(16)));
    static constexpr int kLanes = 4;
    static void set(V& v, double d) { v = V{d, d, d, d}; }
    template <typename T>
    static void load(V& v, const uint8_t* p, T) {
        typedef T Stored __attribute__((vector_size(4 * sizeof(T))));
        Stored s;
        std::memcpy(&s, p, sizeof s);
        v = __builtin_convertvector(__builtin_convertvector(s, Whole), V);
    }
    template <typename T>
    static void store(uint8_t* p, const V& v, T) {
        typedef T Stored __attribute__((vector_size(4 * sizeof(T))));
        const Stored s = __builtin_convertvector(__builtin_convertvector(v, Whole), Stored);
        std::memcpy(p, &s, sizeof s);
    }
    static void add(V& r, const V& a, const V& b) { r = a + b; }
    static void sub(V& r, const V& a, const V& b) { r = a - b; }
    static void mul(V& r, const V& a, const V& b) { r = a * b; }
    static void round(V& v) {
        const V magic = {kRoundMagic, kRoundMagic, kRoundMagic, kRoundMagic};
        v = v + magic;
        v = v - magic;
    }
    static void clamp(V& v, const V& lo, const V& hi) {
        v = v > lo ? v : lo;
        v = v < hi ? v : hi;
    }
    template <typename T>
    static void tapClamp(V& v, const V& lo, const V& hi, T) { clamp(v, lo, hi); }
};

template <typename T>
int64_t segmentPlain(const Segment& sg) { return segmentLanes<T, PlainLanes, 4>(sg); }

#if defined(__x86_64__) && defined(__GNUC__)
#define SV_REVERB_WIDE 1
// Four and eight doubles in AVX2 and AVX-512 registers. The rounding
// instruction gives nearbyint itself; the integers are whole, so converting
// them back is exact too. The AVX-512 instructions include fused
// multiply-adds, which this file is built not to contract into. Each
// segment function inlines the whole loop (flatten) so that the operations
// land in code built for their instruction set.
#define SV_AVX2 __attribute__((target("avx2")))
struct Avx2Lanes {
    typedef __m256d V;
    static constexpr int kLanes = 4;
    SV_AVX2 static void set(V& v, double d) { v = _mm256_set1_pd(d); }
    SV_AVX2 static void load(V& v, const uint8_t* p, int16_t) {
        v = _mm256_cvtepi32_pd(_mm_cvtepi16_epi32(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(p))));
    }
    SV_AVX2 static void load(V& v, const uint8_t* p, uint8_t) {
        int32_t b;
        std::memcpy(&b, p, 4);
        v = _mm256_cvtepi32_pd(_mm_cvtepu8_epi32(_mm_cvtsi32_si128(b)));
    }
    SV_AVX2 static void store(uint8_t* p, const V& v, int16_t) {
        const __m128i w = _mm256_cvtpd_epi32(v);
        _mm_storel_epi64(reinterpret_cast<__m128i*>(p), _mm_packs_epi32(w, w));
    }
    SV_AVX2 static void store(uint8_t* p, const V& v, uint8_t) {
        const __m128i w = _mm256_cvtpd_epi32(v);
        const __m128i s = _mm_packs_epi32(w, w);
        const int32_t b = _mm_cvtsi128_si32(_mm_packus_epi16(s, s));
        std::memcpy(p, &b, 4);
    }
    SV_AVX2 static void add(V& r, const V& a, const V& b) { r = _mm256_add_pd(a, b); }
    SV_AVX2 static void sub(V& r, const V& a, const V& b) { r = _mm256_sub_pd(a, b); }
    SV_AVX2 static void mul(V& r, const V& a, const V& b) { r = _mm256_mul_pd(a, b); }
    SV_AVX2 static void round(V& v) { v = _mm256_round_pd(v, _MM_FROUND_TO_NEAREST_INT | _MM_FROUND_NO_EXC); }
    SV_AVX2 static void clamp(V& v, const V& lo, const V& hi) { v = _mm256_min_pd(_mm256_max_pd(v, lo), hi); }
    template <typename T>
    SV_AVX2 static void tapClamp(V& v, const V& lo, const V& hi, T) { clamp(v, lo, hi); }
};

// GCC 12's AVX-512 intrinsics fill unused lanes from a deliberately
// uninitialised value, which its own warning then reports.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif
#define SV_AVX512 __attribute__((target("avx512f,avx512dq")))
struct Avx512Lanes {
    typedef __m512d V;
    static constexpr int kLanes = 8;
    SV_AVX512 static void set(V& v, double d) { v = _mm512_set1_pd(d); }
    SV_AVX512 static void load(V& v, const uint8_t* p, int16_t) {
        v = _mm512_cvtepi32_pd(_mm256_cvtepi16_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p))));
    }
    SV_AVX512 static void load(V& v, const uint8_t* p, uint8_t) {
        v = _mm512_cvtepi32_pd(_mm256_cvtepu8_epi32(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(p))));
    }
    SV_AVX512 static __m128i packed(const V& v) {
        const __m256i w = _mm512_cvtpd_epi32(v);
        return _mm_packs_epi32(_mm256_castsi256_si128(w), _mm256_extracti128_si256(w, 1));
    }
    SV_AVX512 static void store(uint8_t* p, const V& v, int16_t) {
        _mm_storeu_si128(reinterpret_cast<__m128i*>(p), packed(v));
    }
    SV_AVX512 static void store(uint8_t* p, const V& v, uint8_t) {
        const __m128i s = packed(v);
        _mm_storel_epi64(reinterpret_cast<__m128i*>(p), _mm_packus_epi16(s, s));
    }
    SV_AVX512 static void add(V& r, const V& a, const V& b) { r = _mm512_add_pd(a, b); }
    SV_AVX512 static void sub(V& r, const V& a, const V& b) { r = _mm512_sub_pd(a, b); }
    SV_AVX512 static void mul(V& r, const V& a, const V& b) { r = _mm512_mul_pd(a, b); }
    SV_AVX512 static void round(V& v) { v = _mm512_roundscale_pd(v, _MM_FROUND_TO_NEAREST_INT | _MM_FROUND_NO_EXC); }
    SV_AVX512 static void clamp(V& v, const V& lo, const V& hi) { v = _mm512_min_pd(_mm512_max_pd(v, lo), hi); }
    // -hi..hi in one step: the one of v and hi nearer 0, with the sign of v.
    SV_AVX512 static void tapClamp(V& v, const V& lo, const V& hi, int16_t) { v = _mm512_range_pd(v, hi, 0x2); }
    SV_AVX512 static void tapClamp(V& v, const V& lo, const V& hi, uint8_t) { clamp(v, lo, hi); }
};

__attribute__((target("avx2"), flatten)) int64_t segmentAvx2_8(const Segment& sg) {
    return segmentLanes<uint8_t, Avx2Lanes, 8>(sg);
}
__attribute__((target("avx2"), flatten)) int64_t segmentAvx2_16(const Segment& sg) {
    return segmentLanes<int16_t, Avx2Lanes, 8>(sg);
}
__attribute__((target("avx512f,avx512dq"), flatten)) int64_t segmentAvx512_8(const Segment& sg) {
    return segmentLanes<uint8_t, Avx512Lanes, 16>(sg);
}
__attribute__((target("avx512f,avx512dq"), flatten)) int64_t segmentAvx512_16(const Segment& sg) {
    return segmentLanes<int16_t, Avx512Lanes, 16>(sg);
}
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic pop
#endif
#else
#define SV_REVERB_WIDE 0
#endif

std::atomic<fx::ReverbLanes> gLanes{fx::ReverbLanes::Widest};

bool lanesAvailable(fx::ReverbLanes lanes) {
#if SV_REVERB_WIDE
    static const bool avx2 = __builtin_cpu_supports("avx2");
    static const bool avx512 = __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512dq");
    if (lanes == fx::ReverbLanes::Avx512) return avx512;
    if (lanes == fx::ReverbLanes::Avx2) return avx2;
#endif
    return lanes != fx::ReverbLanes::Avx512 && lanes != fx::ReverbLanes::Avx2;
}

// The lanes asked for, or the next narrower this processor has.
fx::ReverbLanes chosenLanes() {
    fx::ReverbLanes want = gLanes.load();
    if (want == fx::ReverbLanes::Widest) want = fx::ReverbLanes::Avx512;
    if (want == fx::ReverbLanes::Avx512 && !lanesAvailable(want)) want = fx::ReverbLanes::Avx2;
    if (want == fx::ReverbLanes::Avx2 && !lanesAvailable(want)) want = fx::ReverbLanes::Plain;
    return want;
}

template <typename T>
void runSegment(const Segment& sg, fx::ReverbLanes lanes) {
    using K = Layout<T>;
    bool exact = !sg.dry || std::fabs(sg.dryGain) * K::maxAbs < kRoundLimit;
    for (int t = 0; t < sg.count; ++t) exact = exact && std::fabs(sg.taps[t].gain) * K::maxAbs < kRoundLimit;
    int64_t from = sg.begin;
    if (exact) {
#if SV_REVERB_WIDE
        constexpr bool eight = sizeof(T) == 1;
        if (lanes == fx::ReverbLanes::Avx512) from = eight ? segmentAvx512_8(sg) : segmentAvx512_16(sg);
        else if (lanes == fx::ReverbLanes::Avx2) from = eight ? segmentAvx2_8(sg) : segmentAvx2_16(sg);
        else from = segmentPlain<T>(sg);
#else
        from = segmentPlain<T>(sg);
#endif
    }
    segmentSamples<T>(sg, from);
}

// The dry scaling and every tap's additions that land on output frames
// [o0, o1) of the stretch (0 at the selection start). Each output sample
// gets its start value (inside the selection the dry sample scaled, past it
// the sample there), then the additions of the taps that reach it, farthest
// first: the order of a walk over the source frames, every frame's taps in
// turn. Tap k (from 1) of a source frame lands at output frame
// p + k - 1 + offset for k up to min(kMax, l). The range is cut where a tap
// starts or stops reaching, and where the selection ends, so that within a
// segment every sample has the same taps.
template <typename T>
void reverbRange(uint8_t* newSel, const uint8_t* oldSel, const std::vector<Tap>& farFirst, int64_t l, int c,
                 int64_t p, double dry, int64_t o0, int64_t o1, fx::ReverbLanes lanes) {
    struct Span {
        int64_t begin, end;   // output samples
        Reach reach;
    };
    std::vector<Span> spans;
    std::vector<int64_t> cuts{o0 * c, o1 * c};
    const int64_t dryEnd = l * c;
    if (dryEnd > o0 * c && dryEnd < o1 * c) cuts.push_back(dryEnd);
    for (const Tap& tap : farFirst) {
        const int64_t frames = std::min(tap.kMax, l);
        if (frames < 1) continue;
        const int64_t a = std::max(o0, p + tap.offset), b = std::min(o1, p + tap.offset + frames);
        if (a >= b) continue;
        spans.push_back({a * c, b * c, {(p + tap.offset) * c, tap.gain}});
        cuts.push_back(a * c);
        cuts.push_back(b * c);
    }
    std::sort(cuts.begin(), cuts.end());
    cuts.erase(std::unique(cuts.begin(), cuts.end()), cuts.end());
    std::vector<Reach> reaching;
    reaching.reserve(spans.size());
    for (size_t j = 0; j + 1 < cuts.size(); ++j) {
        const int64_t u = cuts[j], v = cuts[j + 1];
        reaching.clear();
        for (const Span& sp : spans)
            if (sp.begin <= u && v <= sp.end) reaching.push_back(sp.reach);
        const Segment sg{newSel, oldSel, u, v, u < dryEnd, dry, reaching.data(), int(reaching.size())};
        runSegment<T>(sg, lanes);
    }
}

} // namespace

namespace fx {

bool reverbLanesAvailable(ReverbLanes lanes) { return lanes == ReverbLanes::Widest || lanesAvailable(lanes); }

void setReverbLanes(ReverbLanes lanes) { gLanes = lanes; }

} // namespace fx

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
    const fx::ReverbLanes lanes = chosenLanes();
    dispatchLayout(sound.format, [&](auto t, auto) {
        using T = decltype(t);
        uint8_t* sel = sound.frame(s);
        fx::parallelRuns(reach, int64_t(1) << 14, [&](int64_t o0, int64_t o1) {
            reverbRange<T>(sel, old.data(), taps, l, c, p, dry, o0, o1, lanes);
        }, &walk, [&](int64_t done) { return reach > 0 ? int64_t(__int128(done) * l / reach) : l; });
    });
    if (!prm.onlySelection) {
        sound.setSelection(s, l + r);
        ctx.complete(l + r);
    }
    return true;
}

} // namespace sv

// The reverb as a sparse filter: the taps of one frame (their distance and
// gain) do not depend on the frame, so they are worked out once. Every
// output sample then receives its additions in the order of a walk over the
// source frames, each frame's taps in turn, as a frame-by-frame walk would:
// with the clamp after every addition that order matters. The taps reaching
// one output sample come from different source frames, the farthest tap
// from the earliest frame, so that order is the taps farthest first.
//
// The output is walked in blocks whose running values stay doubles from
// the start value to the last tap (in registers where every tap reaches
// the whole block), reading the selection as it was through a window of
// doubles that slides with the output, so the sound is changed in place
// without a copy of the selection.
#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
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
// scaling to [dryLo, dryHi]; a tap reads x - bias (the value relative to
// silence), which the steps take as a double.
template <typename T>
struct Layout;
template <>
struct Layout<uint8_t> {
    static constexpr double bias = kSilence8, lo = 0, hi = 255, dryLo = 0, dryHi = 255;
    static int at(const uint8_t* p, int64_t i) { return p[i]; }
    static void put(uint8_t* p, int64_t i, int v) { p[i] = uint8_t(v); }
    static int dryStart(double x, double dry) { return clamp8(roundHalfEven(x * dry) + kSilence8); }
    static int tapStep(int v, double x, double g) { return clamp8(int64_t(v) + roundTap(x * g)); }
};
template <>
struct Layout<int16_t> {
    static constexpr double bias = 0, lo = -32767, hi = 32767, dryLo = -32768, dryHi = 32767;
    static int at(const uint8_t* p, int64_t i) {
        int16_t v;
        std::memcpy(&v, p + 2 * i, 2);
        return v;
    }
    static void put(uint8_t* p, int64_t i, int v) {
        const int16_t s = int16_t(v);
        std::memcpy(p + 2 * i, &s, 2);
    }
    static int dryStart(double x, double dry) { return clamp16(roundHalfEven(x * dry)); }
    static int tapStep(int v, double x, double g) { return clamp16Sym(int64_t(v) + roundTap(x * g)); }
};

// A tap as the output sees it: it reaches output samples [begin, end) of
// the stretch, adding round(x x gain) for the source sample `shift` samples
// earlier. `lanes` is false when |x gain| may reach 2^51, where only the
// scalar rounding is exact.
struct Reach {
    int64_t begin, end;
    int64_t shift;
    double gain;
    bool lanes;
};

// Where the selection as it was is read: as doubles x - bias over a window
// that slides with the output (source sample j at values[j - origin]), or,
// when no window is used, as stored in a copy of the whole selection.
struct Source {
    const double* values;
    const uint8_t* stored;
    int64_t origin;
};

template <typename T>
double sourceAt(const Source& src, int64_t j) {
    using K = Layout<T>;
    return src.values ? src.values[j - src.origin] : double(K::at(src.stored, j) - int(K::bias));
}

// The running values of a block of output samples stay doubles in a short
// array from the start value to the last tap. Each of the steps below works
// on acc[from, n): the scalar steps exactly as a sample-by-sample walk does
// them; the lanes versions (further down) do the same operations in vector
// registers and return where their whole vectors end.

// The start value: the dry sample scaled (source sample j0 + i), or the
// sample as it is at `here` (past the selection).
template <typename T>
void startSamples(double* acc, int64_t from, int64_t n, const uint8_t* here, const Source& src, int64_t j0,
                  double dry) {
    using K = Layout<T>;
    for (int64_t i = from; i < n; ++i)
        acc[i] = here ? K::at(here, i) : K::dryStart(sourceAt<T>(src, j0 + i), dry);
}

// One tap's additions, source sample j0 + i for acc[i].
template <typename T>
void tapSamples(double* acc, int64_t from, int64_t n, const Source& src, int64_t j0, double gain) {
    using K = Layout<T>;
    for (int64_t i = from; i < n; ++i) acc[i] = K::tapStep(int(acc[i]), sourceAt<T>(src, j0 + i), gain);
}

template <typename T>
void finishSamples(uint8_t* out, const double* acc, int64_t from, int64_t n) {
    using K = Layout<T>;
    for (int64_t i = from; i < n; ++i) K::put(out, i, int(acc[i]));
}

// In vector lanes, with an instruction set's operations O (vectors handed
// back through references, so that no vector crosses a call in a foreign
// convention). Every step is the scalar one in each lane: the product, its
// rounding (exact while |x g| < 2^51), the sum and the clamp are exact in
// double precision, as the integer steps are, and this file is built
// without fusing a multiply and an add.
template <typename T, typename O, bool kWindow>
inline void loadSource(typename O::V& x, const Source& src, int64_t j, const typename O::V& bias) {
    if constexpr (kWindow) {
        O::loadValues(x, src.values + (j - src.origin));
    } else {
        O::load(x, src.stored + j * int64_t(sizeof(T)), T{});
        if constexpr (Layout<T>::bias != 0) O::sub(x, x, bias);
    }
}

template <typename T, typename O, bool kWindow>
inline int64_t startLanes(double* acc, int64_t n, const uint8_t* here, const Source& src, int64_t j0, double dryGain) {
    using K = Layout<T>;
    using V = typename O::V;
    constexpr int L = O::kLanes;
    constexpr int w = sizeof(T);
    V bias, dryLo, dryHi, dry;
    O::set(bias, K::bias);
    O::set(dryLo, K::dryLo);
    O::set(dryHi, K::dryHi);
    O::set(dry, dryGain);
    int64_t i = 0;
    for (; i + L <= n; i += L) {
        V x;
        if (here) {
            O::load(x, here + i * w, T{});
        } else {
            loadSource<T, O, kWindow>(x, src, j0 + i, bias);
            O::mul(x, x, dry);
            O::round(x);
            if constexpr (K::bias != 0) O::add(x, x, bias);
            O::clamp(x, dryLo, dryHi);
        }
        O::storeValues(acc + i, x);
    }
    return i;
}

template <typename T, typename O, bool kWindow>
inline int64_t tapLanes(double* acc, int64_t n, const Source& src, int64_t j0, double gain) {
    using K = Layout<T>;
    using V = typename O::V;
    constexpr int L = O::kLanes;
    constexpr int kUnroll = 4;
    V bias, lo, hi, g;
    O::set(bias, K::bias);
    O::set(lo, K::lo);
    O::set(hi, K::hi);
    O::set(g, gain);
    int64_t i = 0;
    for (; i + kUnroll * L <= n; i += kUnroll * L) {
        V x[kUnroll], a[kUnroll];
        for (int u = 0; u < kUnroll; ++u) {
            loadSource<T, O, kWindow>(x[u], src, j0 + i + u * L, bias);
            O::mul(x[u], x[u], g);
            O::round(x[u]);
            O::loadValues(a[u], acc + i + u * L);
            O::add(a[u], a[u], x[u]);
            O::tapClamp(a[u], lo, hi, T{});
            O::storeValues(acc + i + u * L, a[u]);
        }
    }
    for (; i + L <= n; i += L) {
        V x, a;
        loadSource<T, O, kWindow>(x, src, j0 + i, bias);
        O::mul(x, x, g);
        O::round(x);
        O::loadValues(a, acc + i);
        O::add(a, a, x);
        O::tapClamp(a, lo, hi, T{});
        O::storeValues(acc + i, a);
    }
    return i;
}

// Every tap of a list that reaches the whole of acc[0, n) (output sample i0
// onwards), NV vectors at a time held in registers from the start value to
// the last tap.
template <typename T, typename O, int NV, bool kWindow>
inline int64_t everyTapLanes(double* acc, int64_t n, const Source& src, int64_t i0, const Reach* taps, int count) {
    using K = Layout<T>;
    using V = typename O::V;
    constexpr int L = O::kLanes;
    constexpr int64_t kChunk = int64_t(L) * NV;
    V bias, lo, hi;
    O::set(bias, K::bias);
    O::set(lo, K::lo);
    O::set(hi, K::hi);
    int64_t i = 0;
    for (; i + kChunk <= n; i += kChunk) {
        V a[NV];
        for (int v = 0; v < NV; ++v) O::loadValues(a[v], acc + i + v * L);
        for (int t = 0; t < count; ++t) {
            const int64_t j = i0 + i - taps[t].shift;
            // One base for the tap's loads, so that each is an offset from it.
            const double* held = kWindow ? src.values + (j - src.origin) : nullptr;
            V g;
            O::set(g, taps[t].gain);
#pragma GCC unroll 16
            for (int v = 0; v < NV; ++v) {
                V x;
                if constexpr (kWindow) O::loadValues(x, held + v * L);
                else loadSource<T, O, false>(x, src, j + v * L, bias);
                O::mul(x, x, g);
                O::round(x);
                O::add(a[v], a[v], x);
                O::tapClamp(a[v], lo, hi, T{});
            }
        }
        for (int v = 0; v < NV; ++v) O::storeValues(acc + i + v * L, a[v]);
    }
    return i;
}

// Source samples as doubles x - bias.
template <typename T, typename O>
inline int64_t convertLanes(double* values, const uint8_t* stored, int64_t n) {
    using V = typename O::V;
    constexpr int L = O::kLanes;
    V bias;
    O::set(bias, Layout<T>::bias);
    int64_t i = 0;
    for (; i + L <= n; i += L) {
        V x;
        loadSource<T, O, false>(x, Source{nullptr, stored, 0}, i, bias);
        O::storeValues(values + i, x);
    }
    return i;
}

template <typename T, typename O>
inline int64_t finishLanes(uint8_t* out, const double* acc, int64_t n) {
    using V = typename O::V;
    constexpr int L = O::kLanes;
    int64_t i = 0;
    for (; i + L <= n; i += L) {
        V a;
        O::loadValues(a, acc + i);
        O::store(out + i * int64_t(sizeof(T)), a, T{});
    }
    return i;
}

// One instruction set's steps for one layout.
struct LaneCode {
    int64_t (*start)(double* acc, int64_t n, const uint8_t* here, const Source& src, int64_t j0, double dry);
    int64_t (*tap)(double* acc, int64_t n, const Source& src, int64_t j0, double gain);
    int64_t (*finish)(uint8_t* out, const double* acc, int64_t n);
    int64_t (*everyTap)(double* acc, int64_t n, const Source& src, int64_t i0, const Reach* taps, int count);
    int64_t (*convert)(double* values, const uint8_t* stored, int64_t n);
};

#if defined(__SSE2__)
// Two doubles in the SSE2 registers every x86-64 processor has; without
// SSE4.1 the rounding is the add-and-subtract of 1.5 x 2^52.
struct PlainLanes {
    typedef __m128d V;
    static constexpr int kLanes = 2;
    static constexpr int kVectors = 8;
    static void set(V& v, double d) { v = _mm_set1_pd(d); }
    static void loadValues(V& v, const double* p) { v = _mm_loadu_pd(p); }
    static void storeValues(double* p, const V& v) { _mm_storeu_pd(p, v); }
    static void load(V& v, const uint8_t* p, int16_t) {
        int32_t b;
        std::memcpy(&b, p, 4);
        const __m128i x = _mm_cvtsi32_si128(b);
        v = _mm_cvtepi32_pd(_mm_srai_epi32(_mm_unpacklo_epi16(x, x), 16));
    }
    static void load(V& v, const uint8_t* p, uint8_t) {
        uint16_t b;
        std::memcpy(&b, p, 2);
        const __m128i zero = _mm_setzero_si128();
        const __m128i x = _mm_cvtsi32_si128(b);
        v = _mm_cvtepi32_pd(_mm_unpacklo_epi16(_mm_unpacklo_epi8(x, zero), zero));
    }
    static void store(uint8_t* p, const V& v, int16_t) {
        const __m128i w = _mm_cvtpd_epi32(v);
        const int32_t b = _mm_cvtsi128_si32(_mm_packs_epi32(w, w));
        std::memcpy(p, &b, 4);
    }
    static void store(uint8_t* p, const V& v, uint8_t) {
        const __m128i w = _mm_cvtpd_epi32(v);
        const __m128i s = _mm_packs_epi32(w, w);
        const uint16_t b = uint16_t(_mm_cvtsi128_si32(_mm_packus_epi16(s, s)));
        std::memcpy(p, &b, 2);
    }
    static void add(V& r, const V& a, const V& b) { r = _mm_add_pd(a, b); }
    static void sub(V& r, const V& a, const V& b) { r = _mm_sub_pd(a, b); }
    static void mul(V& r, const V& a, const V& b) { r = _mm_mul_pd(a, b); }
    static void round(V& v) {
        const V magic = _mm_set1_pd(kRoundMagic);
        v = _mm_add_pd(v, magic);
        v = _mm_sub_pd(v, magic);
    }
    static void clamp(V& v, const V& lo, const V& hi) { v = _mm_min_pd(_mm_max_pd(v, lo), hi); }
    template <typename T>
    static void tapClamp(V& v, const V& lo, const V& hi, T) { clamp(v, lo, hi); }
};
#else
// Elsewhere four doubles in the compiler's vector type.
struct PlainLanes {
    typedef double V __attribute__((vector_size(32)));
    typedef int32_t Whole __attribute__((vector_size(16)));
    static constexpr int kLanes = 4;
    static constexpr int kVectors = 4;
    static void set(V& v, double d) { v = V{d, d, d, d}; }
    static void loadValues(V& v, const double* p) { std::memcpy(&v, p, sizeof v); }
    static void storeValues(double* p, const V& v) { std::memcpy(p, &v, sizeof v); }
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

#endif

template <typename T>
int64_t startPlain(double* acc, int64_t n, const uint8_t* here, const Source& src, int64_t j0, double dry) {
    return src.values ? startLanes<T, PlainLanes, true>(acc, n, here, src, j0, dry)
                      : startLanes<T, PlainLanes, false>(acc, n, here, src, j0, dry);
}
template <typename T>
int64_t tapPlain(double* acc, int64_t n, const Source& src, int64_t j0, double gain) {
    return src.values ? tapLanes<T, PlainLanes, true>(acc, n, src, j0, gain)
                      : tapLanes<T, PlainLanes, false>(acc, n, src, j0, gain);
}
template <typename T>
int64_t finishPlain(uint8_t* out, const double* acc, int64_t n) { return finishLanes<T, PlainLanes>(out, acc, n); }
template <typename T>
int64_t convertPlain(double* values, const uint8_t* stored, int64_t n) {
    return convertLanes<T, PlainLanes>(values, stored, n);
}
template <typename T>
int64_t everyTapPlain(double* acc, int64_t n, const Source& src, int64_t i0, const Reach* taps, int count) {
    return src.values ? everyTapLanes<T, PlainLanes, PlainLanes::kVectors, true>(acc, n, src, i0, taps, count)
                      : everyTapLanes<T, PlainLanes, PlainLanes::kVectors, false>(acc, n, src, i0, taps, count);
}

#if defined(__x86_64__) && defined(__GNUC__)
#define SV_REVERB_WIDE 1
// Four and eight doubles in AVX2 and AVX-512 registers. The rounding
// instruction gives nearbyint itself; the integers are whole, so converting
// them back is exact too. The AVX-512 instructions include fused
// multiply-adds, which this file is built not to contract into. Each
// entry below inlines its whole loop (flatten) so that the operations land
// in code built for their instruction set.
#define SV_AVX2 __attribute__((target("avx2")))
struct Avx2Lanes {
    typedef __m256d V;
    static constexpr int kLanes = 4;
    SV_AVX2 static void set(V& v, double d) { v = _mm256_set1_pd(d); }
    SV_AVX2 static void loadValues(V& v, const double* p) { v = _mm256_loadu_pd(p); }
    SV_AVX2 static void storeValues(double* p, const V& v) { _mm256_storeu_pd(p, v); }
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
    SV_AVX512 static void loadValues(V& v, const double* p) { v = _mm512_loadu_pd(p); }
    SV_AVX512 static void storeValues(double* p, const V& v) { _mm512_storeu_pd(p, v); }
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


template <typename T>
__attribute__((target("avx2"), flatten)) int64_t startAvx2(double* acc, int64_t n, const uint8_t* here,
                                                           const Source& src, int64_t j0, double dry) {
    return src.values ? startLanes<T, Avx2Lanes, true>(acc, n, here, src, j0, dry)
                      : startLanes<T, Avx2Lanes, false>(acc, n, here, src, j0, dry);
}
template <typename T>
__attribute__((target("avx2"), flatten)) int64_t tapAvx2(double* acc, int64_t n, const Source& src, int64_t j0,
                                                         double gain) {
    return src.values ? tapLanes<T, Avx2Lanes, true>(acc, n, src, j0, gain)
                      : tapLanes<T, Avx2Lanes, false>(acc, n, src, j0, gain);
}
template <typename T>
__attribute__((target("avx2"), flatten)) int64_t finishAvx2(uint8_t* out, const double* acc, int64_t n) {
    return finishLanes<T, Avx2Lanes>(out, acc, n);
}
template <typename T>
__attribute__((target("avx512f,avx512dq"), flatten)) int64_t startAvx512(double* acc, int64_t n, const uint8_t* here,
                                                                         const Source& src, int64_t j0, double dry) {
    return src.values ? startLanes<T, Avx512Lanes, true>(acc, n, here, src, j0, dry)
                      : startLanes<T, Avx512Lanes, false>(acc, n, here, src, j0, dry);
}
template <typename T>
__attribute__((target("avx512f,avx512dq"), flatten)) int64_t tapAvx512(double* acc, int64_t n, const Source& src,
                                                                       int64_t j0, double gain) {
    return src.values ? tapLanes<T, Avx512Lanes, true>(acc, n, src, j0, gain)
                      : tapLanes<T, Avx512Lanes, false>(acc, n, src, j0, gain);
}
template <typename T>
__attribute__((target("avx512f,avx512dq"), flatten)) int64_t finishAvx512(uint8_t* out, const double* acc,
                                                                          int64_t n) {
    return finishLanes<T, Avx512Lanes>(out, acc, n);
}
template <typename T>
__attribute__((target("avx2"), flatten)) int64_t convertAvx2(double* values, const uint8_t* stored, int64_t n) {
    return convertLanes<T, Avx2Lanes>(values, stored, n);
}
template <typename T>
__attribute__((target("avx512f,avx512dq"), flatten)) int64_t convertAvx512(double* values, const uint8_t* stored,
                                                                           int64_t n) {
    return convertLanes<T, Avx512Lanes>(values, stored, n);
}
template <typename T>
__attribute__((target("avx2"), flatten)) int64_t everyTapAvx2(double* acc, int64_t n, const Source& src, int64_t i0,
                                                              const Reach* taps, int count) {
    return src.values ? everyTapLanes<T, Avx2Lanes, 8, true>(acc, n, src, i0, taps, count)
                      : everyTapLanes<T, Avx2Lanes, 8, false>(acc, n, src, i0, taps, count);
}
template <typename T>
__attribute__((target("avx512f,avx512dq"), flatten)) int64_t everyTapAvx512(double* acc, int64_t n, const Source& src,
                                                                            int64_t i0, const Reach* taps, int count) {
    return src.values ? everyTapLanes<T, Avx512Lanes, 16, true>(acc, n, src, i0, taps, count)
                      : everyTapLanes<T, Avx512Lanes, 16, false>(acc, n, src, i0, taps, count);
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
LaneCode laneCode(fx::ReverbLanes lanes) {
#if SV_REVERB_WIDE
    if (lanes == fx::ReverbLanes::Avx512)
        return {startAvx512<T>, tapAvx512<T>, finishAvx512<T>, everyTapAvx512<T>, convertAvx512<T>};
    if (lanes == fx::ReverbLanes::Avx2) return {startAvx2<T>, tapAvx2<T>, finishAvx2<T>, everyTapAvx2<T>, convertAvx2<T>};
#endif
    return {startPlain<T>, tapPlain<T>, finishPlain<T>, everyTapPlain<T>, convertPlain<T>};
}

// Output samples that a range writes aside, to be put in place once every
// range is done: until then other ranges still read what was there.
struct Deferred {
    int64_t begin;   // output sample
    std::vector<uint8_t> bytes;
};

// What every range of one reverb shares.
struct Stretch {
    uint8_t* sel;                     // the selection's first frame in the sound
    const uint8_t* copy;              // the selection as it was, when no window is used
    const std::vector<Reach>* taps;   // farthest first
    int64_t l;                        // samples of the selection
    double dry;
    bool dryLanes;                    // |x dry| stays below 2^51
    int64_t farthest;                 // samples from a source sample to its farthest output
    fx::ReverbLanes lanes;
    std::mutex* mutex;
    std::vector<Deferred>* deferred;
    // Window storage that finished ranges hand on to later ones, so that
    // each thread's pages are touched once.
    std::vector<std::unique_ptr<double[]>>* spare;
};

// Output samples one block of running values holds.
constexpr int64_t kAccBlock = 2048;
// Beyond this distance (in samples) between a source sample and its
// farthest output the windows would take too much memory for each thread:
// the whole selection is copied once instead.
constexpr int64_t kWindowLimit = int64_t(1) << 20;

// The source samples [begin, end) of the selection as doubles x - bias,
// for blocks of `step` output samples and the farthest tap. Sliding forward
// keeps the overlap and converts only what is new: each source sample is
// read from the sound once, before this range writes over it. The step is
// a few times the farthest distance, so that little is moved.
template <typename T>
struct SourceWindow {
    int64_t step, capacity;
    std::unique_ptr<double[]> values;
    int64_t begin = 0, end = 0;

    explicit SourceWindow(int64_t farthest)
        : step((std::clamp<int64_t>(4 * farthest, 16 * kAccBlock, int64_t(1) << 18) + kAccBlock - 1) / kAccBlock *
               kAccBlock),
          capacity(farthest + step) {}

    void slide(const uint8_t* sel, int64_t to0, int64_t to1, const LaneCode& code) {
        if (to0 >= end || to0 < begin) begin = end = to0;
        const int64_t kept = end - to0;
        if (kept > 0 && to0 > begin)
            std::memmove(values.get(), values.get() + (to0 - begin), size_t(kept) * sizeof(double));
        begin = to0;
        double* fresh = values.get() + (end - begin);
        const uint8_t* from = sel + end * int64_t(sizeof(T));
        const int64_t n = to1 - end;
        const int64_t done = code.convert(fresh, from, n);
        for (int64_t j = done; j < n; ++j) fresh[j] = double(Layout<T>::at(from, j) - int(Layout<T>::bias));
        end = to1;
    }
    Source source() const { return {values.get(), nullptr, begin}; }
};

// The dry scaling and every tap's additions that land on output frames
// [o0, o1) of the stretch (0 at the selection start), in blocks of running
// values. Each output sample gets its start value (inside the selection the
// dry sample scaled, past it the sample there), then the additions of the
// taps that reach it, farthest first: the order of a walk over the source
// frames, every frame's taps in turn.
//
// The range works in place: it reads the selection through its window,
// filled just before the outputs over it are written, and the source
// samples it needs from before its start are still as they were, because
// every range writes its last `farthest` samples aside (those the next
// ranges read) and they are put in place only at the end.
template <typename T>
void reverbRange(const Stretch& st, int c, int64_t o0, int64_t o1) {
    constexpr int w = sizeof(T);
    const int64_t s0 = o0 * c, s1 = o1 * c, srcEnd = st.l;
    const int64_t asideBegin = st.copy ? s1 : std::max(s0, s1 - st.farthest), asideEnd = std::min(s1, srcEnd);
    const LaneCode code = laneCode<T>(st.lanes);
    Deferred aside{asideBegin, {}};
    if (asideBegin < asideEnd) aside.bytes.resize(size_t((asideEnd - asideBegin) * w));
    std::unique_ptr<SourceWindow<T>> window;
    if (!st.copy) {
        window = std::make_unique<SourceWindow<T>>(st.farthest);
        {
            std::lock_guard<std::mutex> lock(*st.mutex);
            if (!st.spare->empty()) {
                window->values = std::move(st.spare->back());
                st.spare->pop_back();
            }
        }
        if (!window->values) window->values.reset(new double[size_t(window->capacity)]);
    }
    const int64_t step = window ? window->step : 16 * kAccBlock;
    std::vector<double> accBlock(kAccBlock);
    double* acc = accBlock.data();
    std::vector<Reach> whole;   // the taps reaching the block
    whole.reserve(st.taps->size());
    for (int64_t b0 = s0; b0 < s1; b0 += step) {
        const int64_t b1 = std::min(s1, b0 + step);
        Source src{nullptr, st.copy, 0};
        if (window) {
            const int64_t need0 = std::clamp<int64_t>(b0 - st.farthest, 0, srcEnd), need1 = std::min(b1, srcEnd);
            if (need0 < need1) window->slide(st.sel, need0, need1, code);
            src = window->source();
        }
        for (int64_t a0 = b0; a0 < b1; a0 += kAccBlock) {
            const int64_t a1 = std::min(b1, a0 + kAccBlock), n = a1 - a0;
            // Start values: the dry part, then what lies past the selection.
            const int64_t dryN = std::clamp<int64_t>(srcEnd - a0, 0, n);
            if (dryN > 0) {
                const int64_t done = st.dryLanes ? code.start(acc, dryN, nullptr, src, a0, st.dry) : 0;
                startSamples<T>(acc, done, dryN, nullptr, src, a0, st.dry);
            }
            if (dryN < n) {
                const uint8_t* here = st.sel + (a0 + dryN) * w;
                const int64_t done = code.start(acc + dryN, n - dryN, here, src, 0, st.dry);
                startSamples<T>(acc + dryN, done, n - dryN, here, src, 0, st.dry);
            }
            // When every tap that reaches the block reaches all of it, in
            // the lanes, the block's whole vectors go through all the taps
            // at once; the rest tap by tap.
            whole.clear();
            bool allWhole = true;
            for (const Reach& tap : *st.taps) {
                if (tap.begin >= a1 || tap.end <= a0) continue;
                allWhole = allWhole && tap.lanes && tap.begin <= a0 && a1 <= tap.end;
                whole.push_back(tap);
            }
            int64_t from = 0;
            if (allWhole) from = code.everyTap(acc, n, src, a0, whole.data(), int(whole.size()));
            if (from < n) {
                for (const Reach& tap : whole) {
                    const int64_t u = std::max(a0 + from, tap.begin), v = std::min(a1, tap.end);
                    if (u >= v) continue;
                    double* run = acc + (u - a0);
                    const int64_t j0 = u - tap.shift;
                    const int64_t done = tap.lanes ? code.tap(run, v - u, src, j0, tap.gain) : 0;
                    tapSamples<T>(run, done, v - u, src, j0, tap.gain);
                }
            }
            // Back to the sound, or aside where the next ranges still read.
            const int64_t cut0 = std::clamp(asideBegin, a0, a1), cut1 = std::clamp(asideEnd, a0, a1);
            auto finish = [&](int64_t i0, int64_t i1, uint8_t* out) {
                if (i0 >= i1) return;
                const int64_t done = code.finish(out, acc + (i0 - a0), i1 - i0);
                finishSamples<T>(out, acc + (i0 - a0), done, i1 - i0);
            };
            finish(a0, cut0, st.sel + a0 * w);
            if (cut0 < cut1) finish(cut0, cut1, aside.bytes.data() + (cut0 - asideBegin) * w);
            finish(std::max(cut0, cut1), a1, st.sel + std::max(cut0, cut1) * w);
        }
    }
    std::lock_guard<std::mutex> lock(*st.mutex);
    if (!aside.bytes.empty()) st.deferred->push_back(std::move(aside));
    if (window) st.spare->push_back(std::move(window->values));
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
    // The stretch the undo step holds, relative to the selection start.
    const int64_t limit = prm.onlySelection ? l : l + r;
    std::vector<Tap> taps = buildTaps(prm.density, k, p, r, wet / 2, l, prm.onlySelection, limit);
    std::stable_sort(taps.begin(), taps.end(), [](const Tap& a, const Tap& z) { return a.offset > z.offset; });
    // Output frames reach from the selection start to the last tap's end.
    // Tap k (from 1) of a source frame lands at output frame
    // p + k - 1 + offset, for k up to min(kMax, l).
    // The largest |x| a tap or the dry scaling multiplies.
    const double maxAbs = sound.format.wBitsPerSample == 8 ? 128.0 : 32768.0;
    int64_t reach = l, farthest = 0;
    std::vector<Reach> reaches;
    for (const Tap& tap : taps) {
        const int64_t frames = std::min(tap.kMax, l);
        reach = std::max(reach, frames + p + tap.offset);
        if (frames < 1) continue;
        const int64_t shift = (p + tap.offset) * c;
        reaches.push_back(
            {shift, (p + tap.offset + frames) * c, shift, tap.gain, std::fabs(tap.gain) * maxAbs < kRoundLimit});
        farthest = std::max(farthest, shift);
    }
    reach = std::min(reach, newFrames - s);
    std::vector<uint8_t> copy;
    if (farthest > kWindowLimit) copy.assign(sound.frame(s), sound.frame(s) + l * b);
    if (!ctx.undo("Reverb", prm.onlySelection ? l : std::min(l + r, f - s))) return false;

    sound.bytes.resize(size_t(newFrames * b));
    timefx::fillSilence(sound.frame(f), size_t((newFrames - f) * b), sound.format);
    std::mutex mutex;
    std::vector<Deferred> deferred;
    std::vector<std::unique_ptr<double[]>> spare;
    const Stretch st{sound.frame(s), copy.empty() ? nullptr : copy.data(), &reaches, l * c, dry,
                     std::fabs(dry) * maxAbs < kRoundLimit, farthest, chosenLanes(), &mutex, &deferred, &spare};
    ProgressWalk walk(ctx, l);
    dispatchLayout(sound.format, [&](auto t, auto) {
        using T = decltype(t);
        fx::parallelRuns(reach, int64_t(1) << 14, [&](int64_t o0, int64_t o1) { reverbRange<T>(st, c, o0, o1); },
                         &walk, [&](int64_t done) { return reach > 0 ? int64_t(__int128(done) * l / reach) : l; });
    });
    for (const Deferred& d : deferred)
        std::memcpy(sound.frame(s) + d.begin * (b / c), d.bytes.data(), d.bytes.size());
    if (!prm.onlySelection) {
        sound.setSelection(s, l + r);
        ctx.complete(l + r);
    }
    return true;
}

} // namespace sv

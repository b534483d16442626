// Flanger and chorus. The output is written in place: at stream position n
// the buffer already holds the output for every position before n (and the
// unchanged frames before the selection), which is what the feedback reads;
// the source values are read from a window of the source samples a delay
// can reach (or, for long delays, a copy of the whole stream) taken before
// they change.
//
// Voice v at stream position n reads the sample d earlier, with
//   d = max(0, round(h (0.75 sin(2 pi f 2^v (n + 1) / rate) + 1.25)) + fixed)
// and the library's sine deciding. Four positions at a time get a short
// series of the sine instead, within 1e-11 of the library's; the rounded
// value is the library's wherever the value lies further than h x 1e-11
// from a half. Only where it does not, or outside the series' range, is the
// library asked.
#include "sound/engine/effects/delay_modulation.h"

#include <algorithm>
#include <atomic>
#include <climits>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <cmath>
#include <cstring>
#include <vector>

#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>
#endif

#include "sound/engine/effects/delay_effects.h"
#include "sound/engine/effects/effect_loop.h"
#include "sound/engine/effects/parallel_runs.h"

// The four-lane values only pass between functions that are inlined into
// one another, so the calling convention for them never matters.
#pragma GCC diagnostic ignored "-Wpsabi"

namespace sv {

namespace {

constexpr double kTwoPi = 6.283185308;

typedef double Lane4 __attribute__((vector_size(32)));
typedef int64_t Mask4 __attribute__((vector_size(32)));
typedef int32_t Int4 __attribute__((vector_size(16)));

// x + 1.5 x 2^52 - 1.5 x 2^52 is x rounded half to even for |x| <= 2^51.
constexpr double kRound = 6755399441055744.0;
constexpr double kExactRound = 2251799813685248.0;   // 2^51

// quickSin's range and a bound on how far its value may lie from the
// library's: its own error (the series' remainder, below 5e-14, and the
// roundings) is far below it, the library's below one unit in the last
// place.
constexpr double kQuickSinLimit = 8388608.0;   // 2^23
constexpr double kSinMargin = 1e-11;
constexpr double kNaN = __builtin_nan("");

// The delays of every voice and the settings they come from.
struct Lfo {
    double rate = 0, h = 0, fixed = 0;
    int64_t start = 0;              // the selection's first frame
    std::vector<double> turn;       // 2 pi f per voice, as the formula groups it
    bool lanes = false;             // h small enough for the four-lane path
    double slack = 0;               // see below
    // Voices 1 .. doubled - 1 whose phase is exactly 2^v times voice 0's,
    // so that their sines follow from voice 0's by doubling the angle.
    int doubled = 0;
    std::vector<double> slacks;     // slack per doubled voice

    Lfo(double r, const ModulationParams& p, int64_t s) : rate(r), start(s) {
        h = rate * p.mixedDelay / 1000.0;
        fixed = p.fixedDelay / 1000.0;
        double f = p.frequency / 10.0;
        for (int v = 0; v < p.voices; ++v) {
            turn.push_back(kTwoPi * f);
            f *= 2;
        }
        // Every rounded value then stays far inside the 32-bit range the
        // rounding clamps to and the range kRound rounds exactly.
        lanes = std::fabs(h) <= 268435456.0;   // 2^28
        // h (0.75 s + 1.25) moves by at most |h| (0.75 kSinMargin + 8e-16)
        // between the two sines, roundings included: a value that far inside
        // a whole number's half rounds to it from either.
        slack = 0.5 - (std::fabs(h) * kSinMargin + 1e-12);
        // 2 pi f 2^v (n + 1) / rate is 2^v times voice 0's value, each
        // rounding scaled alike, while nothing overflows or leaves the
        // normal range; each doubling of the angle at most triples the
        // sine's error and adds a few units in the last place, so 4^v times
        // the margin holds.
        const bool scales = !turn.empty() && rate >= 1 && std::isfinite(turn[0]) &&
                            (turn[0] == 0 || std::fabs(turn[0]) >= 1e-290);
        for (int v = 0; scales && v < std::min(voices(), 8); ++v) {
            if (turn[size_t(v)] != std::ldexp(turn[0], v) || !(std::fabs(turn[size_t(v)]) < 1e290)) break;
            slacks.push_back(0.5 - (std::fabs(h) * std::ldexp(kSinMargin, 2 * v) + 1e-12));
            doubled = v + 1;
        }
    }
    int voices() const { return int(turn.size()); }
};

// The delay of one voice at stream position n as the effect defines it:
// -1 where the voice reads no delayed sample. A negative delay (negative
// settings, or a NaN once many voices double the frequency past the double
// range) would read past the copy's end: it counts as no delay.
inline int64_t exactDelay(const Lfo& lf, double turn, int64_t n) {
    const double d = std::max(
        0.0, double(roundHalfEven(lf.h * (0.75 * std::sin(turn * double(n + 1) / lf.rate) + 1.25))) + lf.fixed);
    return double(n + lf.start) >= d ? roundHalfEven(d, INT64_MIN / 4, INT64_MAX / 4) : -1;
}

// sin(a) within 5e-14 for |a| <= kQuickSinLimit: a less the nearest whole
// number k of half turns (pi in two parts, the first short enough that k
// times it is exact), the odd series of the rest to the 17th power
// (|rest| <= pi / 2: what is left is below pi^19 / (2^19 19!)), negated
// for an odd k.
[[gnu::always_inline]] inline Lane4 quickSin(Lane4 a) {
    constexpr double kHalfTurnsPerRadian = 0.3183098861837907;
    constexpr double kHalfTurn1 = 3.141592651605606;
    constexpr double kHalfTurn2 = 1.984187159361081e-09;
    const Lane4 t = a * kHalfTurnsPerRadian + kRound;
    const Mask4 odd = reinterpret_cast<Mask4>(t) << 63;   // k's lowest bit as the sign
    const Lane4 k = t - kRound;
    const Lane4 r = (a - k * kHalfTurn1) - k * kHalfTurn2;
    const Lane4 z = r * r, z2 = z * z, z4 = z2 * z2;
    // The series in z in pairs, so that few steps wait on one another.
    const Lane4 p01 = -0.16666666666666666 + z * 0.008333333333333333;
    const Lane4 p23 = -0.0001984126984126984 + z * 2.7557319223985893e-06;
    const Lane4 p45 = -2.505210838544172e-08 + z * 1.6059043836821613e-10;
    const Lane4 p67 = -7.647163731819816e-13 + z * 2.8114572543455206e-15;
    const Lane4 s = r + r * z * ((p01 + z2 * p23) + z4 * (p45 + z2 * p67));
    return reinterpret_cast<Lane4>(reinterpret_cast<Mask4>(s) ^ odd);
}

// sin(a) and cos(a) as quickSin has them; the cosine series to the 18th
// power leaves less than pi^20 / (2^20 20!).
[[gnu::always_inline]] inline void quickSinCos(Lane4 a, Lane4& sine, Lane4& cosine) {
    constexpr double kHalfTurnsPerRadian = 0.3183098861837907;
    constexpr double kHalfTurn1 = 3.141592651605606;
    constexpr double kHalfTurn2 = 1.984187159361081e-09;
    const Lane4 t = a * kHalfTurnsPerRadian + kRound;
    const Mask4 odd = reinterpret_cast<Mask4>(t) << 63;
    const Lane4 k = t - kRound;
    const Lane4 r = (a - k * kHalfTurn1) - k * kHalfTurn2;
    const Lane4 z = r * r, z2 = z * z, z4 = z2 * z2, z8 = z4 * z4;
    const Lane4 s = r + r * z *
        (((-0.16666666666666666 + z * 0.008333333333333333) + z2 * (-0.0001984126984126984 + z * 2.7557319223985893e-06)) +
         z4 * ((-2.505210838544172e-08 + z * 1.6059043836821613e-10) + z2 * (-7.647163731819816e-13 + z * 2.8114572543455206e-15)));
    const Lane4 c = 1.0 + z *
        ((((-0.5 + z * 0.041666666666666664) + z2 * (-0.001388888888888889 + z * 2.48015873015873e-05)) +
          z4 * ((-2.755731922398589e-07 + z * 2.08767569878681e-09) + z2 * (-1.1470745597729725e-11 + z * 4.779477332387385e-14))) +
         z8 * (-1.5619206968586225e-16));
    sine = reinterpret_cast<Lane4>(reinterpret_cast<Mask4>(s) ^ odd);
    cosine = reinterpret_cast<Lane4>(reinterpret_cast<Mask4>(c) ^ odd);
}

// The delays of four positions from the sine of their phase (see
// exactDelay), those the sine does not decide from the library's.
template <typename Delay>
[[gnu::always_inline]] inline void delaysFromSine(const Lfo& lf, double turn, double slack, int64_t n, Lane4 sn,
                                                 Delay* o) {
    const Lane4 step = {0, 1, 2, 3};
    const Lane4 y = lf.h * (0.75 * sn + 1.25);
    const Lane4 r = (y + kRound) - kRound;
    const Lane4 off = y - r;   // exact
    const Mask4 sure = (off <= slack) & (off >= -slack);
    Lane4 d = r + lf.fixed;
    d = 0.0 < d ? d : 0.0;   // 0 for a NaN too, worked out below
    const Mask4 reads = double(n + lf.start) + step >= d;
    const Int4 whole = __builtin_convertvector((d + kRound) - kRound, Int4);
    const Int4 got = __builtin_convertvector(reads, Int4) != 0 ? whole : -1;
    if constexpr (sizeof(Delay) == 4) {
        std::memcpy(o, &got, sizeof got);
    } else {
        const Mask4 wideGot = __builtin_convertvector(got, Mask4);
        std::memcpy(o, &wideGot, sizeof wideGot);
    }
    if (!(sure[0] & sure[1] & sure[2] & sure[3]))
        for (int j = 0; j < 4; ++j)
            if (!sure[j]) o[j] = Delay(exactDelay(lf, turn, n + j));
}

// One voice's delays at positions n0 .. n0 + count - 1 (see exactDelay).
template <typename Delay>
[[gnu::always_inline]] inline void voiceDelays(const Lfo& lf, double turn, int64_t n0, int64_t count, Delay* out) {
    int64_t i = 0;
    if (lf.lanes) {
        // Phases, sines, then delays of a few positions at a time, so that
        // each step is short and the processor overlaps many of them.
        constexpr int64_t kRun = 256;
        Lane4 sines[kRun / 4];
        const Lane4 step = {0, 1, 2, 3};
        for (; i + kRun <= count; i += kRun) {
            for (int64_t q = 0; q < kRun / 4; ++q) sines[q] = turn * (double(n0 + i + 4 * q + 1) + step) / lf.rate;
            for (int64_t q = 0; q < kRun / 4; ++q) {
                // Outside the series' range the sine is left NaN: no value
                // rounds alike from it, so the library decides.
                const Lane4 a = sines[q];
                sines[q] = ((a <= kQuickSinLimit) & (a >= -kQuickSinLimit)) ? quickSin(a) : kNaN;
            }
            for (int64_t q = 0; q < kRun / 4; ++q)
                delaysFromSine(lf, turn, lf.slack, n0 + i + 4 * q, sines[q], out + i + 4 * q);
        }
    }
    for (; i < count; ++i) out[i] = Delay(exactDelay(lf, turn, n0 + i));
}

// Every voice's delays, voice v's at out + v * stride.
template <typename Delay>
[[gnu::always_inline]] inline void delaysOf(const Lfo& lf, int64_t n0, int64_t count, Delay* out, int64_t stride) {
    int v = 0;
    if (lf.lanes && lf.doubled > 1) {
        // Voice 0's sine and cosine (NaN outside the series' range, as in
        // voiceDelays), then each next voice's from them.
        constexpr int64_t kRun = 256;
        Lane4 sines[kRun / 4], cosines[kRun / 4];
        const Lane4 step = {0, 1, 2, 3};
        const double turn = lf.turn[0];
        int64_t i = 0;
        for (; i + kRun <= count; i += kRun) {
            for (int64_t q = 0; q < kRun / 4; ++q) sines[q] = turn * (double(n0 + i + 4 * q + 1) + step) / lf.rate;
            for (int64_t q = 0; q < kRun / 4; ++q) {
                const Lane4 a = sines[q];
                quickSinCos(a, sines[q], cosines[q]);
                const Mask4 inside = (a <= kQuickSinLimit) & (a >= -kQuickSinLimit);
                sines[q] = inside ? sines[q] : kNaN;
            }
            for (int u = 0; u < lf.doubled; ++u) {
                const double slack = lf.slacks[size_t(u)];
                for (int64_t q = 0; q < kRun / 4; ++q)
                    delaysFromSine(lf, lf.turn[size_t(u)], slack, n0 + i + 4 * q, sines[q], out + u * stride + i + 4 * q);
                if (u + 1 < lf.doubled)
                    for (int64_t q = 0; q < kRun / 4; ++q) {
                        const Lane4 s = sines[q], c = cosines[q];
                        sines[q] = 2 * s * c;
                        cosines[q] = (c - s) * (c + s);
                    }
            }
        }
        for (int u = 0; u < lf.doubled; ++u)
            for (int64_t j = i; j < count; ++j) out[u * stride + j] = Delay(exactDelay(lf, lf.turn[size_t(u)], n0 + j));
        v = lf.doubled;
    }
    for (; v < lf.voices(); ++v) voiceDelays(lf, lf.turn[size_t(v)], n0, count, out + v * stride);
}

// The output value: round(x) clamped to the layout's range. Rounding after
// the clamp is the same, as the bounds are whole.
template <typename T>
[[gnu::always_inline]] inline Lane4 outputOf(Lane4 x) {
    constexpr double kMax = sizeof(T) == 1 ? 127.0 : 32767.0;
    x = x < -kMax ? -kMax : x;
    x = x > kMax ? kMax : x;
    return (x + kRound) - kRound;
}

template <typename T>
[[gnu::always_inline]] inline void writeOutputs(uint8_t* cur, Lane4 x) {
    constexpr int w = sizeof(T);
    const Int4 v = __builtin_convertvector(outputOf<T>(x), Int4);
    for (int j = 0; j < 4; ++j) writeSample(cur + j * w, v[j], T{});
}

// Mix settings.
struct Mix {
    double dry, wet, fb;
};

// What a tamed loop feeds back: each output less its channel's mean, so
// that the loop passes on no constant. Without that, a loop kept just below
// growth turns an offset (8-bit silence stored as 128, the DC many sound
// cards record) into one ten times and more what the voices make of it,
// up to full scale; with it, a constant comes out as the dry signal and
// the voices alone put it. Each output's mean is the running one as it
// stood when the output was written: the loop gives back nearly all it
// reads at every audible frequency and less below, as a high pass would,
// so that it stays below growth at every frequency too. The
// running mean starts as the plain mean of the outputs so far, so that a
// sound that opens on its offset does not first swell; the samples before
// the selection, which the loop reads as outputs too, have the plain mean
// of those it can reach. Positions count in the interleaved stream of the
// selection, as the delays do; with one or two channels the channel is a
// position's lowest bit, for a position before the selection too.
class FedOutputs {
public:
    // `reach`: how far back any voice reads; `before` of those samples lie
    // before the selection.
    template <typename T>
    FedOutputs(double rate, int64_t channels, int64_t reach, const uint8_t* selection, int64_t before, T)
        : weight_(fx::loopMeanWeight(rate)), shift_(channels == 2) {
        int64_t size = 1;
        while (size <= reach) size *= 2;
        mask_ = size - 1;
        ring_.assign(size_t(size), 0.0);
        double sum[2] = {0, 0};
        int64_t count[2] = {0, 0};
        for (int64_t p = -before; p < 0; ++p) {
            sum[p & shift_] += readSample(selection + p * int64_t(sizeof(T)), T{});
            ++count[p & shift_];
        }
        for (int64_t p = -before; p < 0; ++p)
            ring_[size_t(p & mask_)] =
                readSample(selection + p * int64_t(sizeof(T)), T{}) - sum[p & shift_] / double(count[p & shift_]);
    }
    double at(int64_t p) const { return ring_[size_t(p & mask_)]; }
    // The output y written at stream position p.
    void add(int64_t p, int y) {
        double& mean = mean_[p & shift_];
        mean += std::max(weight_, 1.0 / double((p >> shift_) + 1)) * (y - mean);
        ring_[size_t(p & mask_)] = y - mean;
    }

private:
    double weight_;
    int shift_;
    int64_t mask_ = 0;
    double mean_[2] = {0, 0};
    std::vector<double> ring_;   // stream position p's at p & mask_
};

// A chunk of positions without feedback: old points at the chunk's first
// source sample (the ones before it readable as far as any delay reaches),
// cur at its first output. Each voice adds the source sample it reads (whole
// numbers: the sum is exact, as the rounded running sum is), and the dry
// term is the sample itself unless the last voice read no delayed one.
#if defined(__x86_64__) && defined(__GNUC__)
template <typename T, typename Delay>
__attribute__((target("avx2"))) void addVoiceWide(const uint8_t* old, int64_t count, const Delay* d, double* acc);
#endif

template <bool Wide, typename T, typename Delay>
[[gnu::always_inline]] inline void chorusChunk(const Lfo& lf, const Mix& mx, int64_t n0, int64_t count,
                                              const uint8_t* old, uint8_t* cur, Delay* dl, double* acc,
                                              double* dryPart) {
    constexpr int w = sizeof(T);
    const int voices = lf.voices();
    delaysOf(lf, n0, count, dl, count);
    for (int64_t i = 0; i < count; ++i) {
        acc[i] = 0;
        dryPart[i] = readSample(old + i * w, T{});
    }
    for (int v = 0; v < voices; ++v) {
        const Delay* d = dl + v * count;
        if constexpr (Wide) addVoiceWide<T>(old, count, d, acc);
        else for (int64_t i = 0; i < count; ++i) acc[i] += readSample(old + (d[i] >= 0 ? i - d[i] : i) * w, T{});
        if (v == voices - 1)
            for (int64_t i = 0; i < count; ++i) dryPart[i] = d[i] >= 0 ? dryPart[i] : 0.0;
    }
    int64_t i = 0;
    for (; i + 4 <= count; i += 4) {
        const Lane4 a = {acc[i], acc[i + 1], acc[i + 2], acc[i + 3]};
        const Lane4 p = {dryPart[i], dryPart[i + 1], dryPart[i + 2], dryPart[i + 3]};
        writeOutputs<T>(cur + i * w, mx.wet * a + mx.dry * p);
    }
    for (; i < count; ++i) {
        const Lane4 o = outputOf<T>(mx.wet * Lane4{acc[i]} + mx.dry * Lane4{dryPart[i]});
        writeSample(cur + i * w, int(o[0]), T{});
    }
}

// round(x) clamped to the quarter of the 64-bit range, as a double.
inline double roundWide(double x) {
    if (std::fabs(x) <= kExactRound) return (x + kRound) - kRound;
    return double(roundHalfEven(x, INT64_MIN / 4, INT64_MAX / 4));
}

// With feedback, positions i0 .. i1 - 1 of a stretch one at a time: each
// voice's term reads the output written before (none when the delay is 0
// or the voice reads no delayed sample). A tamed loop reads what fedOut
// keeps instead, for the stretch starting at stream position `at`, and adds
// the voices' sum of it to the rounded output as a whole, truncated toward
// zero: rounding each voice's share, many voices at once, could keep a
// pattern going in the silence after a sound, where the truncation lets it
// die. Voice v's delays at dl + v * stride; old and cur as for chorusChunk.
template <typename T, typename Delay, bool Tamed = false>
[[gnu::always_inline]] inline void fedOneByOne(const Mix& mx, int voices, int64_t i0, int64_t i1,
                                              const uint8_t* old, uint8_t* cur, const Delay* dl, int64_t stride,
                                              FedOutputs* fedOut = nullptr, int64_t at = 0) {
    constexpr int w = sizeof(T);
    constexpr double kMax = sizeof(T) == 1 ? 127.0 : 32767.0;
    const double keep = 1.0 - mx.fb;
    for (int64_t i = i0; i < i1; ++i) {
        const int x = readSample(old + i * w, T{});
        int drySample = x;
        double acc = 0, back = 0;
        for (int v = 0; v < voices; ++v) {
            const int64_t d = dl[v * stride + i];
            int64_t m = i;
            int fed = 0;
            drySample = 0;
            if (d >= 0) {
                drySample = x;
                m = i - d;
                if (d > 0) fed = readSample(cur + m * w, T{});
            }
            if constexpr (Tamed) {
                acc = roundWide(keep * readSample(old + m * w, T{}) + acc);
                if (d > 0) back += fedOut->at(at + m);
            } else {
                acc = roundWide(keep * readSample(old + m * w, T{}) + acc + mx.fb * fed);
            }
        }
        int y;
        if constexpr (Tamed) {
            const double o = roundWide(mx.wet * acc + mx.dry * drySample) + std::trunc(mx.wet * mx.fb * back);
            y = int(std::clamp(o, -kMax, kMax));
        } else {
            const double o = std::clamp(mx.wet * acc + mx.dry * drySample, -kMax, kMax);
            y = int((o + kRound) - kRound);
        }
        writeSample(cur + i * w, y, T{});
        if constexpr (Tamed) fedOut->add(at + i, y);
    }
}

// The same code twice: for every x86-64 processor, and with 256-bit
// registers where the processor has AVX2 ("avx2" brings no fused
// multiply-add, so each lane does exactly the operations written).
template <typename Delay>
void delaysPlain(const Lfo& lf, int64_t n0, int64_t count, Delay* out, int64_t stride) {
    delaysOf(lf, n0, count, out, stride);
}
template <typename T, typename Delay>
void chorusPlain(const Lfo& lf, const Mix& mx, int64_t n0, int64_t count, const uint8_t* old, uint8_t* cur,
                 Delay* dl, double* acc, double* dryPart) {
    chorusChunk<false, T>(lf, mx, n0, count, old, cur, dl, acc, dryPart);
}
template <typename T, typename Delay>
void fedPlain(const Mix& mx, int voices, int64_t count, const uint8_t* old, uint8_t* cur, const Delay* dl) {
    fedOneByOne<T>(mx, voices, 0, count, old, cur, dl, count);
}

std::atomic<bool> plainOnly{false};

#if defined(__x86_64__) && defined(__GNUC__)
template <typename Delay>
__attribute__((target("avx2"))) void delaysWide(const Lfo& lf, int64_t n0, int64_t count, Delay* out,
                                                int64_t stride) {
    delaysOf(lf, n0, count, out, stride);
}
template <typename T, typename Delay>
__attribute__((target("avx2"))) void chorusWide(const Lfo& lf, const Mix& mx, int64_t n0, int64_t count,
                                                const uint8_t* old, uint8_t* cur, Delay* dl, double* acc,
                                                double* dryPart) {
    chorusChunk<true, T>(lf, mx, n0, count, old, cur, dl, acc, dryPart);
}
// Up to this many voices a running sum stays below 2^51 (each voice adds at
// most (|1 - fb| + |fb|) x 32768 < 2^41 with the feedback a 32-bit percent),
// so rounding it needs neither the clamp nor more than kRound.
constexpr int kLaneVoices = 512;

// Eight stored samples at byte offsets w x m as 32-bit values around
// silence (each 32-bit load also takes the bytes after the sample, which the
// caller keeps inside the buffer).
template <typename T>
__attribute__((target("avx2"))) inline __m256i gatherSamples(const uint8_t* p, __m256i m) {
    const __m256i v = _mm256_i32gather_epi32(reinterpret_cast<const int*>(p), m, sizeof(T));
    if constexpr (sizeof(T) == 1)
        return _mm256_sub_epi32(_mm256_and_si256(v, _mm256_set1_epi32(0xff)), _mm256_set1_epi32(127));
    else return _mm256_srai_epi32(_mm256_slli_epi32(v, 16), 16);
}

// Adds to acc[i] the source sample each position reads, eight at a time
// (the last positions one by one, so that no 32-bit load reaches past the
// chunk).
template <typename T, typename Delay>
__attribute__((target("avx2"))) void addVoiceWide(const uint8_t* old, int64_t count, const Delay* d, double* acc) {
    int64_t i = 0;
    if constexpr (sizeof(Delay) == 4) {
        const __m256i step = _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7), zero = _mm256_setzero_si256();
        for (; i + 12 <= count; i += 8) {
            const __m256i dv = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(d + i));
            const __m256i m = _mm256_sub_epi32(_mm256_add_epi32(_mm256_set1_epi32(int32_t(i)), step), _mm256_max_epi32(dv, zero));
            const __m256i src = gatherSamples<T>(old, m);
            _mm256_storeu_pd(acc + i, _mm256_add_pd(_mm256_loadu_pd(acc + i), _mm256_cvtepi32_pd(_mm256_castsi256_si128(src))));
            _mm256_storeu_pd(acc + i + 4,
                             _mm256_add_pd(_mm256_loadu_pd(acc + i + 4), _mm256_cvtepi32_pd(_mm256_extracti128_si256(src, 1))));
        }
    }
    for (; i < count; ++i) acc[i] += readSample(old + (d[i] >= 0 ? i - d[i] : i) * int64_t(sizeof(T)), T{});
}

// acc = round((1 - fb) x src + acc + fb x fed), as fedOneByOne has it.
__attribute__((target("avx2"))) inline __m256d feedStep(__m256d acc, __m128i src, __m128i fed, __m256d keep,
                                                       __m256d fb) {
    const __m256d round = _mm256_set1_pd(kRound);
    acc = _mm256_add_pd(_mm256_add_pd(_mm256_mul_pd(keep, _mm256_cvtepi32_pd(src)), acc),
                        _mm256_mul_pd(fb, _mm256_cvtepi32_pd(fed)));
    return _mm256_sub_pd(_mm256_add_pd(acc, round), round);
}

// The output, round(wet x acc + dry x drySample) clamped, as 32-bit values.
template <typename T>
__attribute__((target("avx2"))) inline __m128i outputLanes(__m256d acc, __m256d drySample, __m256d wet, __m256d dry) {
    constexpr double kMax = sizeof(T) == 1 ? 127.0 : 32767.0;
    const __m256d top = _mm256_set1_pd(kMax), bottom = _mm256_set1_pd(-kMax), round = _mm256_set1_pd(kRound);
    __m256d o = _mm256_add_pd(_mm256_mul_pd(wet, acc), _mm256_mul_pd(dry, drySample));
    o = _mm256_blendv_pd(o, bottom, _mm256_cmp_pd(o, bottom, _CMP_LT_OQ));
    o = _mm256_blendv_pd(o, top, _mm256_cmp_pd(o, top, _CMP_GT_OQ));
    return _mm256_cvttpd_epi32(_mm256_sub_pd(_mm256_add_pd(o, round), round));
}

// A stretch with feedback, in order, eight positions at a time wherever
// none of the eight reads the output of another (a delay of 1 to 7), each
// lane doing the operations fedOneByOne does, in two halves of four whose
// steps the processor overlaps.
template <typename T, typename Delay>
__attribute__((target("avx2"))) void fedWide(const Mix& mx, int voices, int64_t count, const uint8_t* old,
                                             uint8_t* cur, const Delay* dl) {
    constexpr int w = sizeof(T);
    int64_t i = 0;
    if constexpr (sizeof(Delay) == 4) {
        const __m256d keep = _mm256_set1_pd(1.0 - mx.fb), fb = _mm256_set1_pd(mx.fb);
        const __m256d wet = _mm256_set1_pd(mx.wet), dry = _mm256_set1_pd(mx.dry);
        const __m256i zero = _mm256_setzero_si256(), eight = _mm256_set1_epi32(8), none = _mm256_set1_epi32(-1);
        // The last positions go one by one, so that no 32-bit load reaches
        // past the stretch.
        for (; voices <= kLaneVoices && i + 12 <= count; i += 8) {
            __m256i near = _mm256_setzero_si256();
            for (int v = 0; v < voices; ++v) {
                const __m256i d = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(dl + v * count + i));
                near = _mm256_or_si256(near, _mm256_and_si256(_mm256_cmpgt_epi32(d, zero), _mm256_cmpgt_epi32(eight, d)));
            }
            if (!_mm256_testz_si256(near, near)) {
                fedOneByOne<T>(mx, voices, i, i + 8, old, cur, dl, count);
                continue;
            }
            __m256i xs;
            if constexpr (w == 1)
                xs = _mm256_sub_epi32(_mm256_cvtepu8_epi32(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(old + i))),
                                      _mm256_set1_epi32(127));
            else xs = _mm256_cvtepi16_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(old + 2 * i)));
            const __m256d xLow = _mm256_cvtepi32_pd(_mm256_castsi256_si128(xs));
            const __m256d xHigh = _mm256_cvtepi32_pd(_mm256_extracti128_si256(xs, 1));
            const __m256i at = _mm256_add_epi32(_mm256_set1_epi32(int32_t(i)), _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7));
            __m256d accLow = _mm256_setzero_pd(), accHigh = _mm256_setzero_pd(), dryLow = xLow, dryHigh = xHigh;
            for (int v = 0; v < voices; ++v) {
                const __m256i d = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(dl + v * count + i));
                const __m256i m = _mm256_sub_epi32(at, _mm256_max_epi32(d, zero));   // i + j - d, or i + j
                const __m256i src = gatherSamples<T>(old, m);
                // Where the delay is 0 or none the output read would be that
                // of the position itself, not written yet: it counts as 0.
                const __m256i fed = _mm256_and_si256(gatherSamples<T>(cur, m), _mm256_cmpgt_epi32(d, zero));
                accLow = feedStep(accLow, _mm256_castsi256_si128(src), _mm256_castsi256_si128(fed), keep, fb);
                accHigh = feedStep(accHigh, _mm256_extracti128_si256(src, 1), _mm256_extracti128_si256(fed, 1), keep, fb);
                const __m256i reads = _mm256_cmpgt_epi32(d, none);
                dryLow = _mm256_and_pd(xLow, _mm256_castsi256_pd(_mm256_cvtepi32_epi64(_mm256_castsi256_si128(reads))));
                dryHigh = _mm256_and_pd(xHigh, _mm256_castsi256_pd(_mm256_cvtepi32_epi64(_mm256_extracti128_si256(reads, 1))));
            }
            const __m128i q = _mm_packs_epi32(outputLanes<T>(accLow, dryLow, wet, dry),
                                              outputLanes<T>(accHigh, dryHigh, wet, dry));
            if constexpr (w == 1)
                _mm_storel_epi64(reinterpret_cast<__m128i*>(cur + i),
                                 _mm_packus_epi16(_mm_add_epi16(q, _mm_set1_epi16(127)), _mm_setzero_si128()));
            else _mm_storeu_si128(reinterpret_cast<__m128i*>(cur + 2 * i), q);
        }
    }
    fedOneByOne<T>(mx, voices, i, count, old, cur, dl, count);
}
bool wide() {
    static const bool has = __builtin_cpu_supports("avx2");
    return has && !plainOnly;
}
#else
template <typename Delay>
void delaysWide(const Lfo& lf, int64_t n0, int64_t count, Delay* out, int64_t stride) {
    delaysPlain(lf, n0, count, out, stride);
}
template <typename T, typename Delay>
void chorusWide(const Lfo& lf, const Mix& mx, int64_t n0, int64_t count, const uint8_t* old, uint8_t* cur,
                Delay* dl, double* acc, double* dryPart) {
    chorusPlain<T>(lf, mx, n0, count, old, cur, dl, acc, dryPart);
}
template <typename T, typename Delay>
void fedWide(const Mix& mx, int voices, int64_t count, const uint8_t* old, uint8_t* cur, const Delay* dl) {
    fedOneByOne<T>(mx, voices, 0, count, old, cur, dl, count);
}
bool wide() { return false; }
#endif

template <typename Delay>
void delays(bool wideLanes, const Lfo& lf, int64_t n0, int64_t count, Delay* out, int64_t stride) {
    if (wideLanes) delaysWide(lf, n0, count, out, stride);
    else delaysPlain(lf, n0, count, out, stride);
}

// The delays of consecutive stretches of positions for a mix that goes in
// order: worker threads work out the stretches ahead of it into a ring of
// slots, each taken for a stretch only once the mix is done with the one
// the slot held before. The mix takes a stretch no worker has claimed
// itself, so it never waits on a thread that has not started; it wakes the
// workers only each time half the ring has come free, so that they go and
// sleep in batches rather than once per stretch.
template <typename Delay>
class DelayRing {
public:
    DelayRing(const Lfo& lf, bool wideLanes, int64_t total, int64_t stretch)
        : lf_(lf), wide_(wideLanes), total_(total), stretch_(stretch),
          count_(stretch > 0 ? (total + stretch - 1) / stretch : 0),
          workers_(std::min<int64_t>(fx::effectThreads() - 1, count_ - 1)),
          slots_(int(std::clamp<int64_t>(2 * workers_, 2, 16))), delays_(size_t(slots_ * stretch * lf.voices())),
          done_(size_t(slots_)) {
        for (auto& d : done_) d = -1;
        if (workers_ <= 0) return;
        try {
            helper_ = std::thread([this] {
                try {
                    fx::parallelRuns(workers_, 1, [this](int64_t, int64_t) { work(); });
                } catch (...) {
                    // Fewer workers, or none: the mix works out the rest.
                }
            });
        } catch (...) {
        }
    }
    ~DelayRing() {
        {
            std::lock_guard<std::mutex> lk(mutex_);
            stop_ = true;
        }
        slotFree_.notify_all();
        if (helper_.joinable()) helper_.join();
    }
    DelayRing(const DelayRing&) = delete;
    DelayRing& operator=(const DelayRing&) = delete;

    // Stretch k's delays (voice v's at + v x the stretch's length), for the
    // mix; it asks for the stretches in order.
    const Delay* acquire(int64_t k) {
        std::atomic<int64_t>& done = done_[size_t(k % slots_)];
        if (done == k) return slot(k);
        int64_t free = k;
        if (claimed_.compare_exchange_strong(free, k + 1)) {
            fill(k);
        } else {
            std::unique_lock<std::mutex> lk(mutex_);
            mixWaits_ = true;
            filled_.wait(lk, [&] { return done == k; });
            mixWaits_ = false;
        }
        return slot(k);
    }
    // The mix is done with stretch k: its slot may take another.
    void release(int64_t k) {
        mixed_ = k + 1;
        if ((k + 1) % std::max(1, slots_ / 2) == 0) {
            std::lock_guard<std::mutex> lk(mutex_);
            if (sleepers_ > 0) slotFree_.notify_all();
        }
    }

private:
    Delay* slot(int64_t k) { return delays_.data() + (k % slots_) * stretch_ * lf_.voices(); }

    void fill(int64_t k) {
        const int64_t at = k * stretch_, len = std::min(stretch_, total_ - at);
        delays(wide_, lf_, at, len, slot(k), len);
        done_[size_t(k % slots_)] = k;
        if (mixWaits_) {
            std::lock_guard<std::mutex> lk(mutex_);
            filled_.notify_one();
        }
    }

    void work() {
        for (;;) {
            int64_t k = claimed_;
            if (k >= count_) return;
            if (k >= mixed_ + slots_) {
                // Stretch k's slot is free once the mix is past k - slots.
                std::unique_lock<std::mutex> lk(mutex_);
                ++sleepers_;
                slotFree_.wait(lk, [&] { return stop_ || claimed_ != k || k < mixed_ + slots_; });
                --sleepers_;
                if (stop_) return;
                continue;
            }
            if (claimed_.compare_exchange_strong(k, k + 1)) fill(k);
        }
    }

    const Lfo& lf_;
    const bool wide_;
    const int64_t total_, stretch_, count_, workers_;
    const int slots_;
    std::vector<Delay> delays_;
    std::vector<std::atomic<int64_t>> done_;   // the stretch each slot holds
    std::atomic<int64_t> claimed_{0}, mixed_{0};
    std::atomic<bool> mixWaits_{false};
    int sleepers_ = 0;     // under mutex_
    bool stop_ = false;    // under mutex_
    std::mutex mutex_;
    std::condition_variable slotFree_, filled_;
    std::thread helper_;
};

// How far back any voice can read, in samples: |h (0.75 sin + 1.25)| <= 2
// |h|, and one each for the two roundings.
int64_t reachOf(const Lfo& lf) {
    const double r = 2 * std::fabs(lf.h) + std::fabs(lf.fixed) + 3;
    return r < 1e15 ? int64_t(r) : INT64_MAX / 4;
}

// Delay is the type the delays are kept in: 32 bits whenever every stream
// position fits (a delay read never exceeds the position plus the frames
// before the selection).
template <typename T, typename Delay>
void modulate(SoundBuffer& sound, const ModulationParams& prm, const OperationContext& ctx) {
    constexpr int w = sizeof(T);
    const int64_t s = sound.selectionStart, l = sound.selectionLength;
    const int64_t c = sound.format.nChannels;
    const Lfo lf(double(sound.format.nSamplesPerSec), prm, s);
    const fx::FeedbackLoop loop = fx::stableFeedback(prm);
    const Mix mx{prm.original / 100.0, prm.processed / 100.0, loop.feedback};
    const int voices = lf.voices();
    const bool wideLanes = wide();
    const int64_t total = (l - 1) * c;
    // Stream sample n is at cur + n; the samples before the selection stay
    // as they are. A delayed index never reaches more than s samples before
    // the selection (n + s >= d), nor more than `reach` before n.
    uint8_t* cur = sound.bytes.data() + s * c * w;
    const int64_t reach = std::min(reachOf(lf), s + total);
    // Short delays keep only the source values the stretch being written
    // reads; long ones a copy of the whole stream, taken before the first
    // change.
    constexpr int64_t kBlock = int64_t(1) << 16;
    const bool windowed = reach <= kBlock / 4;
    std::vector<uint8_t> copy;
    if (!windowed) copy.assign(cur - s * w, cur + total * w);
    const uint8_t* whole = windowed ? nullptr : copy.data() + s * w;   // else old stream sample n
    ProgressWalk walk(ctx, total);
    if (mx.fb == 0) {
        // Each position reads only source values: blocks anywhere, on every
        // core. A block's window starts with the samples before it that its
        // delays reach, kept before any block is written.
        const int64_t blocks = (total + kBlock - 1) / kBlock;
        auto before = [&](int64_t k) { return std::min(reach, k * kBlock + s); };
        std::vector<uint8_t> edges;
        if (windowed) {
            edges.resize(size_t(blocks * reach * w));
            for (int64_t k = 0; k < blocks; ++k)
                std::memcpy(edges.data() + k * reach * w, cur + (k * kBlock - before(k)) * w, size_t(before(k) * w));
        }
        fx::parallelRuns(
            blocks, 1,
            [&](int64_t k0, int64_t k1) {
                constexpr int64_t kChunk = 2048;
                std::vector<Delay> dl(size_t(kChunk * voices));
                std::vector<double> acc(kChunk), dryPart(kChunk);
                std::vector<uint8_t> window(windowed ? size_t((reach + kBlock) * w) : 0);
                for (int64_t k = k0; k < k1; ++k) {
                    const int64_t b = k * kBlock, e = std::min(total, b + kBlock);
                    const uint8_t* old = windowed ? nullptr : whole + b * w;   // old stream sample b
                    if (windowed) {
                        std::memcpy(window.data(), edges.data() + k * reach * w, size_t(before(k) * w));
                        std::memcpy(window.data() + before(k) * w, cur + b * w, size_t((e - b) * w));
                        old = window.data() + before(k) * w;
                    }
                    for (int64_t n0 = b; n0 < e; n0 += kChunk) {
                        const int64_t count = std::min(kChunk, e - n0);
                        const uint8_t* o = old + (n0 - b) * w;
                        if (wideLanes) chorusWide<T>(lf, mx, n0, count, o, cur + n0 * w, dl.data(), acc.data(), dryPart.data());
                        else chorusPlain<T>(lf, mx, n0, count, o, cur + n0 * w, dl.data(), acc.data(), dryPart.data());
                    }
                }
            },
            &walk, [&](int64_t done) { return std::min(total, done * kBlock); });
        return;
    }
    // With feedback the mix goes in order on this thread while the other
    // cores work out the delays of the stretches ahead. The window holds the
    // source samples from `reach` before the stretch to its end.
    const int64_t stretch = std::min(total, std::max<int64_t>(4096, kBlock / std::max(voices, 1)));
    DelayRing<Delay> ring(lf, wideLanes, total, stretch);
    std::vector<uint8_t> window(windowed ? size_t((reach + stretch) * w) : 0);
    int64_t held = 0;   // samples in the window, those just before the stretch
    FedOutputs fedOut(lf.rate, c, loop.tamed ? reach : 0, cur, loop.tamed ? std::min(reach, s) : 0, T{});
    if (windowed) {
        held = std::min(reach, s);
        std::memcpy(window.data(), cur - held * w, size_t(held * w));
    }
    for (int64_t at = 0, k = 0; at < total; at += stretch, ++k) {
        const int64_t len = std::min(stretch, total - at);
        const uint8_t* old = windowed ? nullptr : whole + at * w;
        if (windowed) {
            const int64_t keep = std::min(reach, at + s);
            std::memmove(window.data(), window.data() + (held - keep) * w, size_t(keep * w));
            std::memcpy(window.data() + keep * w, cur + at * w, size_t(len * w));
            held = keep + len;
            old = window.data() + keep * w;
        }
        const Delay* dl = ring.acquire(k);
        // A tamed loop goes one position at a time: what an output feeds
        // back depends on the mean the one before it left.
        if (loop.tamed) fedOneByOne<T, Delay, true>(mx, voices, 0, len, old, cur + at * w, dl, len, &fedOut, at);
        else if (wideLanes) fedWide<T>(mx, voices, len, old, cur + at * w, dl);
        else fedPlain<T>(mx, voices, len, old, cur + at * w, dl);
        ring.release(k);
        walk.advanceTo(at + len);
    }
}

bool run(SoundBuffer& sound, const ModulationParams& prm, const char* words, const OperationContext& ctx) {
    if (!sound.format.isSupportedPcm()) return false;
    sound.setSelection(sound.selectionStart, sound.selectionLength);
    if (sound.selectionLength == 0) return false;
    if (!ctx.undo(words, sound.selectionLength)) return false;
    const int64_t positions = (sound.selectionStart + sound.selectionLength) * sound.format.nChannels;
    dispatchLayout(sound.format, [&](auto t, auto) {
        if (positions < INT32_MAX) modulate<decltype(t), int32_t>(sound, prm, ctx);
        else modulate<decltype(t), int64_t>(sound, prm, ctx);
    });
    return true;
}

} // namespace

namespace fx {

FeedbackLoop stableFeedback(const ModulationParams& p) {
    // Each voice adds the feedback times an earlier output to the sum the
    // processed level scales, so the loop's gain is at most this. At 1 or
    // more any sound, even silence's rounding, grows until it sits at full
    // scale; below 1 it dies away.
    const double fb = p.feedback / 100.0;
    const double gain = std::fabs(p.processed / 100.0) * double(std::max(p.voices, 0)) * std::fabs(fb);
    if (!(gain >= 1)) return {fb, false};
    // Well below 1, so that what a setting keeps of an earlier output fades
    // within a few delays rather than ringing on at the edge of growth.
    constexpr double kLoopGain = 0.9;
    return {fb * (kLoopGain / gain), true};
}

double loopMeanWeight(double rate) {
    // A running mean of a few hertz: far enough below what anyone hears
    // that the loop keeps every audible frequency, and quick enough that it
    // lets go of a change of offset within a few tens of milliseconds.
    constexpr double kMeanHz = 5.0;
    return 1.0 - std::exp(-2.0 * M_PI * kMeanHz / rate);
}

void modulationDelays(double rate, const ModulationParams& p, int64_t start, int64_t n0, int64_t count,
                      int64_t* out) {
    delays(wide(), Lfo(rate, p, start), n0, count, out, count);
}

int64_t modulationReach(double rate, const ModulationParams& p) { return reachOf(Lfo(rate, p, 0)); }

void forcePlainModulationLanes(bool plain) { plainOnly = plain; }

} // namespace fx

bool flanger(SoundBuffer& sound, const ModulationParams& p, const OperationContext& ctx) {
    return run(sound, p, "Flanger", ctx);
}

bool chorus(SoundBuffer& sound, ModulationParams p, const OperationContext& ctx) {
    p.feedback = 0;
    return run(sound, p, "Chorus", ctx);
}

} // namespace sv

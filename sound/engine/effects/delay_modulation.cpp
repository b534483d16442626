// Flanger and chorus. The output is written in place: at stream position n
// the buffer already holds the output for every position before n (and the
// unchanged frames before the selection), which is what the feedback reads;
// the source values are read from a copy taken before the first change.
//
// Voice v at stream position n reads the sample d earlier, with
//   d = max(0, round(h (0.75 sin(2 pi f 2^v (n + 1) / rate) + 1.25)) + fixed)
// and the library's sine deciding. Four positions at a time get a short
// series of the sine instead, far closer than 1e-12 to the library's; the
// whole expression only grows (or only falls) with the sine, so when the
// two ends of that margin round alike the library's value, inside it,
// rounds the same. Only where they do not (a value within about 1e-9 of a
// half) or outside the series' range is the library asked.
#include "sound/engine/effects/delay_modulation.h"

#include <algorithm>
#include <atomic>
#include <climits>
#include <cmath>
#include <vector>

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

// quickSin's range and the margin taken around its value: its error (range
// reduction and series) stays below 1e-15 up to there, the library's below
// one unit in the last place.
constexpr double kQuickSinLimit = 8388608.0;   // 2^23
constexpr double kSinMargin = 1e-12;

// The delays of every voice and the settings they come from.
struct Lfo {
    double rate = 0, h = 0, fixed = 0;
    int64_t start = 0;              // the selection's first frame
    std::vector<double> turn;       // 2 pi f per voice, as the formula groups it
    bool lanes = false;             // h small enough for the four-lane path

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

// sin(a) within 1e-15 for |a| <= kQuickSinLimit: a less the nearest whole
// number k of quarter turns (pi / 2 in three parts, the first two short
// enough that k times them is exact), then the sine or cosine series of
// the rest by the quarter.
[[gnu::always_inline]] inline Lane4 quickSin(Lane4 a) {
    constexpr double kQuartersPerRadian = 0.6366197723675814;
    constexpr double kQuarter1 = 1.570796325802803;
    constexpr double kQuarter2 = 9.920935739593517e-10;
    constexpr double kQuarter3 = 5.721188726109832e-18;
    const Lane4 t = a * kQuartersPerRadian + kRound;
    const Mask4 quarter = reinterpret_cast<Mask4>(t);   // k in the low bits
    const Lane4 k = t - kRound;
    const Lane4 r = ((a - k * kQuarter1) - k * kQuarter2) - k * kQuarter3;
    const Lane4 z = r * r;
    const Lane4 sinR = r + z * r *
        (-1.66666666666666324348e-01 + z * (8.33333333332248946124e-03 + z * (-1.98412698298579493134e-04 +
         z * (2.75573137070700676789e-06 + z * (-2.50507602534068634195e-08 + z * 1.58969099521155010221e-10)))));
    const Lane4 cosR = 1.0 - 0.5 * z + z * z *
        (4.16666666666666019037e-02 + z * (-1.38888888888741095749e-03 + z * (2.48015872894767294178e-05 +
         z * (-2.75573143513906633035e-07 + z * (2.08757232129817482790e-09 + z * -1.13596475577881948265e-11)))));
    const Lane4 v = (quarter & 1) != 0 ? cosR : sinR;
    return (quarter & 2) != 0 ? -v : v;
}

// One voice's delays at positions n0 .. n0 + count - 1 (see exactDelay).
template <typename Delay>
[[gnu::always_inline]] inline void voiceDelays(const Lfo& lf, double turn, int64_t n0, int64_t count, Delay* out) {
    int64_t i = 0;
    if (lf.lanes) {
        const Lane4 step = {0, 1, 2, 3};
        for (; i + 4 <= count; i += 4) {
            const int64_t n = n0 + i;
            const Lane4 a = turn * (double(n + 1) + step) / lf.rate;
            const Lane4 sn = quickSin(a);
            const Lane4 lo = (lf.h * (0.75 * (sn - kSinMargin) + 1.25) + kRound) - kRound;
            const Lane4 hi = (lf.h * (0.75 * (sn + kSinMargin) + 1.25) + kRound) - kRound;
            const Mask4 sure = (lo == hi) & (a <= kQuickSinLimit) & (a >= -kQuickSinLimit);
            Lane4 d = lo + lf.fixed;
            d = 0.0 < d && sure ? d : 0.0;   // an unsure lane is worked out below
            const Mask4 reads = double(n + lf.start) + step >= d;
            const Int4 whole = __builtin_convertvector((d + kRound) - kRound, Int4);
            for (int j = 0; j < 4; ++j)
                out[i + j] = sure[j] ? (reads[j] ? Delay(whole[j]) : Delay(-1)) : Delay(exactDelay(lf, turn, n + j));
        }
    }
    for (; i < count; ++i) out[i] = Delay(exactDelay(lf, turn, n0 + i));
}

// Every voice's delays, voice v's at out + v * stride.
template <typename Delay>
[[gnu::always_inline]] inline void delaysOf(const Lfo& lf, int64_t n0, int64_t count, Delay* out, int64_t stride) {
    for (int v = 0; v < lf.voices(); ++v) voiceDelays(lf, lf.turn[size_t(v)], n0, count, out + v * stride);
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
[[gnu::always_inline]] inline void writeOutputs(uint8_t* cur, int64_t n, Lane4 x) {
    constexpr int w = sizeof(T);
    const Int4 v = __builtin_convertvector(outputOf<T>(x), Int4);
    for (int j = 0; j < 4; ++j) writeSample(cur + (n + j) * w, v[j], T{});
}

// Mix settings.
struct Mix {
    double dry, wet, fb;
};

// Without feedback each voice adds the source sample it reads (whole
// numbers: the sum is exact, as the rounded running sum is), and the dry
// term is the sample itself unless the last voice read no delayed one.
template <typename T, typename Delay>
[[gnu::always_inline]] inline void mixFree(const Mix& mx, int voices, const uint8_t* old, uint8_t* cur, int64_t n0,
                                          int64_t count, const Delay* dl, double* acc, double* dryPart) {
    constexpr int w = sizeof(T);
    for (int64_t i = 0; i < count; ++i) {
        acc[i] = 0;
        dryPart[i] = readSample(old + (n0 + i) * w, T{});
    }
    for (int v = 0; v < voices; ++v) {
        const Delay* d = dl + v * count;
        const bool last = v == voices - 1;
        for (int64_t i = 0; i < count; ++i) {
            const int64_t n = n0 + i;
            const int64_t m = d[i] >= 0 ? n - d[i] : n;
            acc[i] += readSample(old + m * w, T{});
            if (last && d[i] < 0) dryPart[i] = 0;
        }
    }
    int64_t i = 0;
    for (; i + 4 <= count; i += 4) {
        const Lane4 a = {acc[i], acc[i + 1], acc[i + 2], acc[i + 3]};
        const Lane4 p = {dryPart[i], dryPart[i + 1], dryPart[i + 2], dryPart[i + 3]};
        writeOutputs<T>(cur, n0 + i, mx.wet * a + mx.dry * p);
    }
    for (; i < count; ++i) {
        const Lane4 a = {acc[i]}, p = {dryPart[i]};
        const Lane4 o = outputOf<T>(mx.wet * a + mx.dry * p);
        writeSample(cur + (n0 + i) * w, int(o[0]), T{});
    }
}

// round(x) clamped to the quarter of the 64-bit range, as a double.
inline double roundWide(double x) {
    if (std::fabs(x) <= kExactRound) return (x + kRound) - kRound;
    return double(roundHalfEven(x, INT64_MIN / 4, INT64_MAX / 4));
}

// With feedback, in order: each voice's term reads the output written
// before (none when the delay is 0 or the voice reads no delayed sample).
template <typename T, typename Delay>
[[gnu::always_inline]] inline void mixFed(const Mix& mx, int voices, const uint8_t* old, uint8_t* cur, int64_t n0,
                                         int64_t count, const Delay* dl) {
    constexpr int w = sizeof(T);
    constexpr double kMax = sizeof(T) == 1 ? 127.0 : 32767.0;
    const double keep = 1.0 - mx.fb;
    for (int64_t i = 0; i < count; ++i) {
        const int64_t n = n0 + i;
        const int x = readSample(old + n * w, T{});
        int drySample = x;
        double acc = 0;
        for (int v = 0; v < voices; ++v) {
            const int64_t d = dl[v * count + i];
            int64_t m = n;
            int fed = 0;
            drySample = 0;
            if (d >= 0) {
                drySample = x;
                m = n - d;
                if (d > 0) fed = readSample(cur + m * w, T{});
            }
            acc = roundWide(keep * readSample(old + m * w, T{}) + acc + mx.fb * fed);
        }
        const double o = std::clamp(mx.wet * acc + mx.dry * drySample, -kMax, kMax);
        writeSample(cur + n * w, int((o + kRound) - kRound), T{});
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
void mixFreePlain(const Mix& mx, int voices, const uint8_t* old, uint8_t* cur, int64_t n0, int64_t count,
                  const Delay* dl, double* acc, double* dryPart) {
    mixFree<T>(mx, voices, old, cur, n0, count, dl, acc, dryPart);
}
template <typename T, typename Delay>
void mixFedPlain(const Mix& mx, int voices, const uint8_t* old, uint8_t* cur, int64_t n0, int64_t count,
                 const Delay* dl) {
    mixFed<T>(mx, voices, old, cur, n0, count, dl);
}

std::atomic<bool> plainOnly{false};

#if defined(__x86_64__) && defined(__GNUC__)
template <typename Delay>
__attribute__((target("avx2"))) void delaysWide(const Lfo& lf, int64_t n0, int64_t count, Delay* out,
                                                int64_t stride) {
    delaysOf(lf, n0, count, out, stride);
}
template <typename T, typename Delay>
__attribute__((target("avx2"))) void mixFreeWide(const Mix& mx, int voices, const uint8_t* old, uint8_t* cur,
                                                 int64_t n0, int64_t count, const Delay* dl, double* acc,
                                                 double* dryPart) {
    mixFree<T>(mx, voices, old, cur, n0, count, dl, acc, dryPart);
}
template <typename T, typename Delay>
__attribute__((target("avx2"))) void mixFedWide(const Mix& mx, int voices, const uint8_t* old, uint8_t* cur,
                                                int64_t n0, int64_t count, const Delay* dl) {
    mixFed<T>(mx, voices, old, cur, n0, count, dl);
}
bool wide() {
    static const bool has = __builtin_cpu_supports("avx2");
    return has && !plainOnly;
}
#else
template <typename Delay>
void delaysWide(const Lfo& lf, int64_t n0, int64_t count, Delay* out, int64_t stride) {
    delaysOf(lf, n0, count, out, stride);
}
template <typename T, typename Delay>
void mixFreeWide(const Mix& mx, int voices, const uint8_t* old, uint8_t* cur, int64_t n0, int64_t count,
                 const Delay* dl, double* acc, double* dryPart) {
    mixFree<T>(mx, voices, old, cur, n0, count, dl, acc, dryPart);
}
template <typename T, typename Delay>
void mixFedWide(const Mix& mx, int voices, const uint8_t* old, uint8_t* cur, int64_t n0, int64_t count,
                const Delay* dl) {
    mixFed<T>(mx, voices, old, cur, n0, count, dl);
}
bool wide() { return false; }
#endif

template <typename Delay>
void delays(bool wideLanes, const Lfo& lf, int64_t n0, int64_t count, Delay* out, int64_t stride) {
    if (wideLanes) delaysWide(lf, n0, count, out, stride);
    else delaysPlain(lf, n0, count, out, stride);
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
    const Mix mx{prm.original / 100.0, prm.processed / 100.0, prm.feedback / 100.0};
    const int voices = lf.voices();
    const bool wideLanes = wide();
    const int64_t total = (l - 1) * c;
    // A delayed index never reaches more than s samples before the
    // selection (n + s >= d), so the copy starts there.
    const int64_t base = s * c;
    const int64_t lo = base - s;
    const std::vector<uint8_t> copy(sound.bytes.data() + lo * w, sound.bytes.data() + (base + total) * w);
    const uint8_t* old = copy.data() + (base - lo) * w;   // old[n] is stream sample n
    uint8_t* cur = sound.bytes.data() + base * w;
    ProgressWalk walk(ctx, total);
    constexpr int64_t kChunk = 2048;
    if (mx.fb == 0) {
        // Each position reads only the copy: pieces anywhere, on every core.
        fx::parallelRuns(total, 4 * kChunk, [&](int64_t b, int64_t e) {
            std::vector<Delay> dl(size_t(kChunk * voices));
            std::vector<double> acc(kChunk), dryPart(kChunk);
            for (int64_t n0 = b; n0 < e; n0 += kChunk) {
                const int64_t count = std::min(kChunk, e - n0);
                delays(wideLanes, lf, n0, count, dl.data(), count);
                if (wideLanes) mixFreeWide<T>(mx, voices, old, cur, n0, count, dl.data(), acc.data(), dryPart.data());
                else mixFreePlain<T>(mx, voices, old, cur, n0, count, dl.data(), acc.data(), dryPart.data());
            }
        }, &walk);
        return;
    }
    // With feedback the mix goes in order on this thread while the other
    // cores work out the next stretch's delays.
    constexpr int64_t kStretch = int64_t(1) << 18;
    const int64_t stretch = std::min(total, kStretch);
    std::vector<Delay> ready(size_t(stretch * voices)), next(size_t(stretch * voices));
    auto delayPieces = [&](int64_t at, Delay* out, int64_t p0, int64_t p1, int64_t pieces) {
        const int64_t len = std::min(stretch, total - at);
        for (int64_t p = p0; p < p1; ++p) {
            const int64_t b = len * p / pieces, e = len * (p + 1) / pieces;
            delays(wideLanes, lf, at + b, e - b, out + b, len);
        }
    };
    const int64_t pieces = 4 * int64_t(fx::effectThreads());
    if (total > 0)
        fx::parallelRuns(pieces, 1, [&](int64_t p0, int64_t p1) { delayPieces(0, ready.data(), p0, p1, pieces); });
    for (int64_t at = 0; at < total; at += stretch) {
        const int64_t len = std::min(stretch, total - at);
        auto mix = [&] {
            if (wideLanes) mixFedWide<T>(mx, voices, old, cur, at, len, ready.data());
            else mixFedPlain<T>(mx, voices, old, cur, at, len, ready.data());
        };
        if (at + len < total) {
            // Item 0 is this stretch's mix, the others the next one's delays.
            fx::parallelRuns(pieces + 1, 1, [&](int64_t p0, int64_t p1) {
                if (p0 == 0) {
                    mix();
                    ++p0;
                }
                delayPieces(at + len, next.data(), p0 - 1, p1 - 1, pieces);
            });
            std::swap(ready, next);
        } else {
            mix();
        }
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

void modulationDelays(double rate, const ModulationParams& p, int64_t start, int64_t n0, int64_t count,
                      int64_t* out) {
    delays(wide(), Lfo(rate, p, start), n0, count, out, count);
}

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

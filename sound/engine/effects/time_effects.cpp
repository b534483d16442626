#include "sound/engine/effects/time_effects.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "sound/engine/edit_progress.h"
#include "sound/engine/effects/grow_in_place.h"
#include "sound/engine/effects/parallel_runs.h"
#include "sound/engine/effects/time_internal.h"

namespace sv {

using timefx::bytesFor;
using timefx::copyBytes;
using timefx::fillSilence;
using timefx::framesPlus;

const char* const kGapperValuesMessage = "The gap interval must be at least one sample and the gap length not negative.";
const char* const kGrooveValuesMessage = "The groove length must be at least one sample and the groove number not negative.";

namespace {

// Samples (or frames, or events) below which a range is not worth a thread.
constexpr int64_t kGrain = 1 << 15;

// The selection inside the sound, in frames.
struct Stretch {
    int64_t s, l, f, b;   // start, length, frame count, bytes per frame
};

Stretch stretchOf(SoundBuffer& sound) {
    sound.setSelection(sound.selectionStart, sound.selectionLength);
    return {sound.selectionStart, sound.selectionLength, sound.frameCount(), sound.format.nBlockAlign};
}

const char* intervalWords(IntervalEffect e) {
    switch (e) {
    case IntervalEffect::RoboticVoice: return "Robotic Voice";
    case IntervalEffect::Chopper: return "Chopper";
    case IntervalEffect::GreatChopper: return "Great Chopper";
    }
    return "";
}

// n copies of one stored sample of `width` bytes.
void repeatSample(uint8_t* dst, const uint8_t* sample, int64_t n, int width) {
    if (width == 1) {
        std::memset(dst, *sample, size_t(n));
        return;
    }
    // The run copies itself onto its end, doubling each time.
    if (n <= 0) return;
    const size_t total = size_t(n) * size_t(width);
    std::memcpy(dst, sample, size_t(width));
    for (size_t have = size_t(width); have < total;) {
        const size_t more = std::min(have, total - have);
        std::memcpy(dst + have, dst, more);
        have += more;
    }
}

// The echoes of the selection, all in one pass over the sound. Echo k (from
// 1) adds the selection's samples, divided by k + 1, onto the samples
// k x delay further on, clamped after each echo, the echoes in turn; every
// sample takes its own echoes only. So a sample's new value is its old one
// with, in order of k, the echoes of the old samples k x delay before it:
// computed from the top down, those are still unchanged when it is
// written, and the sound needs no copy of the selection.
struct EchoPlan {
    int64_t start = 0, length = 0;   // the selection, in samples
    int64_t delay = 0;               // in samples
    int32_t count = 0;
};

// Echoes up to this one have their sums of 8-bit values in tables.
constexpr int32_t kTabledEchoes = 64;

// The sum of one echo onto a sample, per layout: y + x / (k + 1).
struct EchoSums {
    // 8-bit mono: real division and rounding half to even,
    // round((x-127)/(k+1) + (y-127)) + 127, as a table over both values.
    std::vector<uint8_t> mono8;
    // 8-bit stereo: the quotient toward zero, as a table over x.
    std::vector<int> stereo8;

    static uint8_t mono8Sum(int x, int y, int div) {
        const double q = double(x - kSilence8) / div;
        return uint8_t(clamp8(roundHalfEven(q + double(y - kSilence8)) + kSilence8));
    }
    void build(const SampleFormat& f, int32_t count) {
        if (f.wBitsPerSample != 8) return;
        const int32_t tabled = std::min(count, kTabledEchoes);
        if (f.nChannels == 1) {
            mono8.resize(size_t(tabled) * 256 * 256);
            for (int32_t k = 1; k <= tabled; ++k)
                for (int x = 0; x < 256; ++x)
                    for (int y = 0; y < 256; ++y)
                        mono8[(size_t(k - 1) * 256 + size_t(x)) * 256 + size_t(y)] = mono8Sum(x, y, k + 1);
        } else {
            stereo8.resize(size_t(tabled) * 256);
            for (int32_t k = 1; k <= tabled; ++k)
                for (int x = 0; x < 256; ++x) stereo8[size_t(k - 1) * 256 + size_t(x)] = (x - kSilence8) / (k + 1);
        }
    }
    uint8_t add8(uint8_t x, uint8_t y, int32_t k, bool mono) const {
        if (mono) {
            if (k <= kTabledEchoes) return mono8[(size_t(k - 1) * 256 + x) * 256 + y];
            return mono8Sum(x, y, k + 1);
        }
        const int q = k <= kTabledEchoes ? stereo8[size_t(k - 1) * 256 + x] : (x - kSilence8) / (k + 1);
        return uint8_t(clamp8(int64_t(y) + q));
    }
};

inline int16_t add16(int16_t y, int16_t x, int div) { return int16_t(clamp16(int(y) + int(x) / div)); }

// New values of samples [lo, hi) of `base`, each taking echoes kLo .. kHi
// (none when kLo > kHi), written to out[0 ..]. out may be base + lo
// itself: the samples go from the top down, each block read before it is
// written, so that every read value is still the old one.
void echoSpan16(uint8_t* out, const uint8_t* base, int64_t lo, int64_t hi, int32_t kLo, int32_t kHi,
                int64_t delay) {
    int64_t q = hi;
#if defined(__SSE2__)
    // Eight at a time: the quotient in single precision is exact after
    // truncation (for |x| <= 32768 its error stays below the distance
    // 1 / div to the next whole number), and the saturating add is the
    // clamp.
    for (; q - 8 >= lo; q -= 8) {
        const int64_t i = q - 8;
        __m128i y = _mm_loadu_si128(reinterpret_cast<const __m128i*>(base + 2 * i));
        for (int32_t k = kLo; k <= kHi; ++k) {
            const __m128 d = _mm_set1_ps(float(k + 1));
            const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(base + 2 * (i - k * delay)));
            const __m128i xl = _mm_srai_epi32(_mm_unpacklo_epi16(x, x), 16);
            const __m128i xh = _mm_srai_epi32(_mm_unpackhi_epi16(x, x), 16);
            const __m128i ql = _mm_cvttps_epi32(_mm_div_ps(_mm_cvtepi32_ps(xl), d));
            const __m128i qh = _mm_cvttps_epi32(_mm_div_ps(_mm_cvtepi32_ps(xh), d));
            y = _mm_adds_epi16(y, _mm_packs_epi32(ql, qh));
        }
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 2 * (i - lo)), y);
    }
#endif
    while (q > lo) {
        --q;
        int16_t y;
        std::memcpy(&y, base + 2 * q, 2);
        for (int32_t k = kLo; k <= kHi; ++k) {
            int16_t x;
            std::memcpy(&x, base + 2 * (q - k * delay), 2);
            y = add16(y, x, k + 1);
        }
        std::memcpy(out + 2 * (q - lo), &y, 2);
    }
}

void echoSpan8(uint8_t* out, const uint8_t* base, int64_t lo, int64_t hi, int32_t kLo, int32_t kHi,
               int64_t delay, const EchoSums& sums, bool mono) {
    for (int64_t q = hi; q > lo;) {
        --q;
        uint8_t y = base[q];
        for (int32_t k = kLo; k <= kHi; ++k) y = sums.add8(base[q - k * delay], y, k, mono);
        out[q - lo] = y;
    }
}

// Samples [lo, hi) of the echoed stretch, from the top down, cut where the
// set of echoes reaching a sample changes: echo k reaches sample q when
// start <= q - k x delay < start + length.
void echoRange(uint8_t* out, const uint8_t* base, int64_t lo, int64_t hi, const EchoPlan& plan,
               const SampleFormat& f, const EchoSums& sums) {
    const int width = f.wBitsPerSample / 8;
    const bool inPlace = out == base + lo * width;
    const int64_t s0 = plan.start, len = plan.length, d = plan.delay;
    for (int64_t q = hi; q > lo;) {
        const int64_t p = q - 1;
        int32_t kLo = 1, kHi = plan.count;
        int64_t from = lo;
        if (d > 0) {
            // Echoes reaching p: (p - start - length) / delay < k <= (p - start) / delay.
            const int64_t t = p - s0;
            kHi = int32_t(std::min<int64_t>(plan.count, t / d));
            from = std::max(from, s0 + int64_t(kHi) * d);
            if (t - len >= 0) {
                kLo = int32_t((t - len) / d + 1);
                from = std::max(from, s0 + len + int64_t(kLo - 1) * d);
            }
        }
        if (kLo <= kHi) {
            if (width == 2) echoSpan16(out + (from - lo) * 2, base, from, q, kLo, kHi, d);
            else echoSpan8(out + (from - lo), base, from, q, kLo, kHi, d, sums, f.nChannels == 1);
        } else if (!inPlace) {
            std::memcpy(out + (from - lo) * width, base + from * width, size_t((q - from) * width));
        }
        q = from;
    }
}

// The echoes onto the sound's samples. Ranges of the changed stretch go to
// worker threads, each from its top down; a range reads up to count x delay
// samples below its start, which the range before changes, so the first
// samples of every range but the first are worked out before any range is
// written, and put in place once the range's own samples no longer need them.
void addEchoes(uint8_t* base, const EchoPlan& plan, const SampleFormat& f, ProgressWalk& walk) {
    const int width = f.wBitsPerSample / 8;
    const int64_t reach = plan.delay * plan.count;   // how far below a sample its echoes come from
    const int64_t lo = plan.start + plan.delay, hi = plan.start + plan.length + reach;
    const int64_t span = hi - lo;
    EchoSums sums;
    sums.build(f, plan.count);
    // Ranges long beside what they read of the one before.
    int64_t ranges = std::min<int64_t>(int64_t(2) * fx::effectThreads(), span / kGrain);
    if (reach > 0) ranges = std::min(ranges, span / 8 / reach);
    ranges = std::max<int64_t>(1, ranges);
    auto rangeStart = [&](int64_t r) { return lo + span * r / ranges; };
    auto headEnd = [&](int64_t r) { return std::min(rangeStart(r + 1), rangeStart(r) + reach); };
    std::vector<std::vector<uint8_t>> heads(static_cast<size_t>(ranges));
    if (reach > 0 && ranges > 1) {
        fx::parallelRuns(ranges - 1, 1, [&](int64_t r0, int64_t r1) {
            for (int64_t r = r0 + 1; r <= r1; ++r) {
                auto& h = heads[size_t(r)];
                h.resize(size_t((headEnd(r) - rangeStart(r)) * width));
                echoRange(h.data(), base, rangeStart(r), headEnd(r), plan, f, sums);
            }
        });
    }
    fx::parallelRuns(ranges, 1, [&](int64_t r0, int64_t r1) {
        for (int64_t r = r0; r < r1; ++r) {
            const int64_t a = rangeStart(r), b = rangeStart(r + 1);
            const int64_t own = heads[size_t(r)].empty() ? a : headEnd(r);
            echoRange(base + own * width, base, own, b, plan, f, sums);
            if (own > a) std::memcpy(base + a * width, heads[size_t(r)].data(), heads[size_t(r)].size());
        }
    }, &walk, [&](int64_t done) { return int64_t(__int128(plan.count) * done / ranges); });
}
} // namespace

bool intervalEffect(SoundBuffer& sound, IntervalEffect effect, const OperationContext& ctx) {
    if (!sound.format.isSupportedPcm()) return false;
    const Stretch st = stretchOf(sound);
    const int64_t c = sound.format.nChannels;
    const int width = sound.format.wBitsPerSample / 8;
    const int64_t rate = sound.format.nSamplesPerSec;
    // 200 frames at 11025 Hz; below 56 Hz there is no period at all.
    const int64_t period = (rate * 200 / 11025) * c;
    if (st.l == 0 || period == 0) return false;
    const int64_t run = effect == IntervalEffect::RoboticVoice ? (rate * 50 / 11025) * c : period;
    const int64_t positions = c * st.l;
    const int64_t events = positions / period;
    // Every source sample is copied once; each event adds a run.
    const int64_t outSamples = framesPlus(c * st.f, events, run);
    const size_t outBytes = bytesFor(outSamples, width);
    if (!ctx.undo(intervalWords(effect), st.l)) return false;

    // Event e (from 1) copies the P - 1 samples from head + (e - 1)(P - 1)
    // to head + (e - 1)(P - 1 + run), then writes its run; position e x P is
    // the run, which consumes no source sample. The great chopper's run
    // repeats the sample after the copied ones.
    const int64_t head = c * st.s;
    const int64_t oldSamples = c * st.f;
    sound.bytes.resize(outBytes);
    uint8_t* p = sound.bytes.data();
    // The rest of the selection's positions, then every sample not yet
    // consumed through the end of the sound, moved up first.
    const int64_t restAt = head + events * (period - 1), restTo = head + events * (period - 1 + run);
    if (oldSamples > restAt) std::memmove(p + restTo * width, p + restAt * width, size_t((oldSamples - restAt) * width));
    const bool repeats = effect == IntervalEffect::GreatChopper;
    ProgressWalk walk(ctx, positions);
    fx::growInPlace(
        events, std::max<int64_t>(1, kGrain / period),
        [&](int64_t e) { return head + (e + 1) * (period - 1) + (repeats ? 1 : 0); },
        [&](int64_t e) { return head + e * (period - 1 + run); },
        [&](int64_t e) {
            const int64_t si = head + e * (period - 1), di = head + e * (period - 1 + run);
            uint8_t last[2];
            std::memcpy(last, p + (si + period - 1) * width, size_t(width));
            std::memmove(p + di * width, p + si * width, size_t((period - 1) * width));
            if (repeats) repeatSample(p + (di + period - 1) * width, last, run, width);
            else fillSilence(p + (di + period - 1) * width, size_t(run * width), sound.format);
        },
        walk, [&](int64_t done) { return done * period; });
    walk.advanceTo(positions);

    const int64_t added = events * run / c;
    sound.setSelection(st.s, st.l + added);
    ctx.complete(st.l + added);
    return true;
}

bool echo(SoundBuffer& sound, int32_t delayMs, int32_t count, const OperationContext& ctx) {
    if (delayMs < 0 || count < 0) throw std::invalid_argument("The echo delay and count must not be negative.");
    if (!sound.format.isSupportedPcm()) return false;
    const Stretch st = stretchOf(sound);
    const int64_t d = int64_t(delayMs) * sound.format.nSamplesPerSec / 1000;
    const int64_t reach = framesPlus(st.s + st.l, d, count);
    const bool grows = st.f < reach;
    const int64_t n = std::max(st.f, reach);
    const size_t newBytes = bytesFor(n, st.b);
    if (!ctx.undo("Echo", grows ? st.f - st.s : d * count + st.l)) return false;

    sound.bytes.resize(newBytes);
    fillSilence(sound.frame(st.f), size_t((n - st.f) * st.b), sound.format);
    const int64_t c = sound.format.nChannels;
    // Step k of count stands for the k-th echo done.
    ProgressWalk walk(ctx, count);
    if (st.l > 0 && count > 0)
        addEchoes(sound.bytes.data(), EchoPlan{st.s * c, st.l * c, d * c, count}, sound.format, walk);
    walk.advanceTo(count);
    sound.setSelection(st.s, st.l);
    if (grows) ctx.complete(n - st.s);
    return true;
}

bool gapper(SoundBuffer& sound, int64_t gap, int64_t interval, const OperationContext& ctx) {
    if (interval < 1 || gap < 0) throw std::invalid_argument(kGapperValuesMessage);
    if (!sound.format.isSupportedPcm()) return false;
    const Stretch st = stretchOf(sound);
    if (st.l == 0) return false;
    const int64_t k = st.l / interval;
    const int64_t newFrames = framesPlus(st.f, k, gap);
    const size_t newBytes = bytesFor(newFrames, st.b);
    if (!ctx.undo("Gapper", st.l)) return false;

    // Interval j moves from S + j x interval to S + j (interval + gap) and
    // is followed by its gap; what follows the last whole interval moves
    // up first. Without a gap every frame stays where it is.
    sound.bytes.resize(newBytes);
    uint8_t* p = sound.bytes.data();
    const int64_t si = st.s + k * interval, di = st.s + k * (interval + gap);
    if (gap > 0) std::memmove(p + di * st.b, p + si * st.b, size_t((st.f - si) * st.b));
    ProgressWalk walk(ctx, k);
    fx::growInPlace(
        k, std::max<int64_t>(1, kGrain / interval), [&](int64_t j) { return st.s + (j + 1) * interval; },
        [&](int64_t j) { return st.s + j * (interval + gap); },
        [&](int64_t j) {
            if (gap == 0) return;
            const int64_t from = st.s + j * interval, to = st.s + j * (interval + gap);
            std::memmove(p + to * st.b, p + from * st.b, size_t(interval * st.b));
            fillSilence(p + (to + interval) * st.b, size_t(gap * st.b), sound.format);
        },
        walk, [](int64_t done) { return done; });

    const int64_t newLength = st.l + k * gap;
    sound.setSelection(st.s, newLength);
    ctx.complete(newLength);
    return true;
}

bool groove(SoundBuffer& sound, int64_t piece, int64_t count, const OperationContext& ctx) {
    if (piece < 1 || count < 0) throw std::invalid_argument(kGrooveValuesMessage);
    if (!sound.format.isSupportedPcm()) return false;
    const Stretch st = stretchOf(sound);
    if (st.l == 0) return false;
    const int64_t newLength = framesPlus(0, st.l, count);
    const int64_t newFrames = st.f - st.l + newLength;
    const size_t newBytes = bytesFor(newFrames, st.b);
    if (!ctx.undo("Groove", st.l)) return false;

    const int64_t pieces = st.l / piece + (st.l % piece ? 1 : 0);
    const int64_t after = st.s + st.l;
    ProgressWalk walk(ctx, pieces);
    if (count >= 1) {
        // Every piece but the last is whole, so piece j goes up to
        // S + j x piece x count, followed by its repeats copied from there;
        // what follows the selection moves up first.
        sound.bytes.resize(std::max(newBytes, sound.bytes.size()));
        uint8_t* p = sound.bytes.data();
        std::memmove(p + (st.s + newLength) * st.b, p + after * st.b, size_t((st.f - after) * st.b));
        auto lengthOf = [&](int64_t j) { return std::min(piece, after - (st.s + j * piece)); };
        fx::growInPlace(
            pieces, std::max<int64_t>(1, kGrain / (piece * count)), [&](int64_t j) { return st.s + j * piece + lengthOf(j); },
            [&](int64_t j) { return st.s + j * piece * count; },
            [&](int64_t j) {
                const int64_t len = lengthOf(j);
                uint8_t* to = p + (st.s + j * piece * count) * st.b;
                std::memmove(to, p + (st.s + j * piece) * st.b, size_t(len * st.b));
                for (int64_t r = 1; r < count; ++r) std::memcpy(to + r * len * st.b, to, size_t(len * st.b));
            },
            walk, [](int64_t done) { return done; });
        sound.bytes.resize(newBytes);
    } else {
        // No repeat: the selection goes and what follows it moves down.
        uint8_t* p = sound.bytes.data();
        std::memmove(p + st.s * st.b, p + after * st.b, size_t((st.f - after) * st.b));
        sound.bytes.resize(newBytes);
        walk.advanceTo(pieces);
    }
    sound.setSelection(st.s, newLength);
    ctx.complete(newLength);
    return true;
}

} // namespace sv

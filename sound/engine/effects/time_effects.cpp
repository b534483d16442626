#include "sound/engine/effects/time_effects.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "sound/engine/edit_progress.h"
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

// y := clamp16(y + x / div) over 16-bit samples, the quotient cut toward
// zero. Eight at a time: the quotient in single precision is exact after
// truncation (for |x| <= 32768 its error stays below the distance 1 / div
// to the next whole number), and the saturating add is the clamp.
void addEcho16(uint8_t* dst, const uint8_t* src, int64_t samples, int div) {
    int64_t i = 0;
#if defined(__SSE2__)
    const __m128 d = _mm_set1_ps(float(div));
    for (; i + 8 <= samples; i += 8) {
        const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + 2 * i));
        const __m128i y = _mm_loadu_si128(reinterpret_cast<const __m128i*>(dst + 2 * i));
        const __m128i lo = _mm_srai_epi32(_mm_unpacklo_epi16(x, x), 16);
        const __m128i hi = _mm_srai_epi32(_mm_unpackhi_epi16(x, x), 16);
        const __m128i qlo = _mm_cvttps_epi32(_mm_div_ps(_mm_cvtepi32_ps(lo), d));
        const __m128i qhi = _mm_cvttps_epi32(_mm_div_ps(_mm_cvtepi32_ps(hi), d));
        const __m128i q = _mm_packs_epi32(qlo, qhi);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + 2 * i), _mm_adds_epi16(y, q));
    }
#endif
    for (; i < samples; ++i) {
        int16_t x, y;
        std::memcpy(&x, src + 2 * i, 2);
        std::memcpy(&y, dst + 2 * i, 2);
        const int16_t r = int16_t(clamp16(int(y) + int(x) / div));
        std::memcpy(dst + 2 * i, &r, 2);
    }
}

// One echo added onto the new buffer: y += x / (k + 1) per layout.
// Tables over every stored value keep the loop to loads, a lookup and a
// store; the divisor is the same for the whole pass.
void addEcho(uint8_t* dst, const uint8_t* src, int64_t samples, const SampleFormat& f, int32_t k) {
    const int div = k + 1;
    if (f.wBitsPerSample == 8 && f.nChannels == 1) {
        // Real division and rounding half to even: round((x-127)/(k+1) + (y-127)) + 127.
        std::vector<uint8_t> tab(256 * 256);
        for (int x = 0; x < 256; ++x) {
            const double q = double(x - kSilence8) / div;
            for (int y = 0; y < 256; ++y)
                tab[size_t(x) * 256 + size_t(y)] =
                    uint8_t(clamp8(roundHalfEven(q + double(y - kSilence8)) + kSilence8));
        }
        const uint8_t* t = tab.data();
        for (int64_t i = 0; i < samples; ++i) dst[i] = t[size_t(src[i]) * 256 + dst[i]];
    } else if (f.wBitsPerSample == 8) {
        int q[256];
        for (int x = 0; x < 256; ++x) q[x] = (x - kSilence8) / div;   // toward zero
        for (int64_t i = 0; i < samples; ++i) dst[i] = uint8_t(clamp8(int64_t(dst[i]) + q[src[i]]));
    } else {
        addEcho16(dst, src, samples, div);
    }
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
    ByteBlock out(bytesFor(outSamples, width));
    if (!ctx.undo(intervalWords(effect), st.l)) return false;

    const uint8_t* src = sound.bytes.data();
    uint8_t* dst = out.data();
    const int64_t head = c * st.s;
    copyBytes(dst, src, size_t(head * width));
    ProgressWalk walk(ctx, positions);
    // Event e (from 1) copies the P - 1 samples from head + (e - 1)(P - 1)
    // to head + (e - 1)(P - 1 + run), then writes its run; position e x P is
    // the run, which consumes no source sample.
    fx::parallelRuns(events, kGrain / std::max<int64_t>(1, period), [&](int64_t e0, int64_t e1) {
        for (int64_t e = e0; e < e1; ++e) {
            const int64_t si = head + e * (period - 1), di = head + e * (period - 1 + run);
            copyBytes(dst + di * width, src + si * width, size_t((period - 1) * width));
            if (effect == IntervalEffect::GreatChopper)
                repeatSample(dst + (di + period - 1) * width, src + (si + period - 1) * width, run, width);
            else
                fillSilence(dst + (di + period - 1) * width, size_t(run * width), sound.format);
        }
    }, &walk, [&](int64_t e) { return e * period; });
    // The rest of the selection's positions, then every sample not yet
    // consumed through the end of the sound.
    const int64_t si = head + events * (period - 1), di = head + events * (period - 1 + run);
    const int64_t rest = c * st.f - si;
    copyBytes(dst + di * width, src + si * width, size_t(rest * width));
    walk.advanceTo(positions);

    const int64_t added = events * run / c;
    sound.bytes = std::move(out);
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
    // The selection as it was: every echo is taken from it, not from what
    // the earlier echoes made of it.
    std::vector<uint8_t> sel(sound.frame(st.s), sound.frame(st.s) + st.l * st.b);
    if (!ctx.undo("Echo", grows ? st.f - st.s : d * count + st.l)) return false;

    sound.bytes.resize(newBytes);
    fillSilence(sound.frame(st.f), size_t((n - st.f) * st.b), sound.format);
    const int64_t samples = st.l * sound.format.nChannels;
    for (int32_t k = 1; k <= count; ++k) {
        // Each echo adds onto what the earlier ones left; within one echo
        // every sample is its own.
        uint8_t* at = sound.frame(st.s + k * d);
        const int width = sound.format.wBitsPerSample / 8;
        fx::parallelRuns(samples, kGrain, [&](int64_t b, int64_t e) {
            addEcho(at + b * width, sel.data() + b * width, e - b, sound.format, k);
        });
        ctx.report(k, count);
    }
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
    ByteBlock out(bytesFor(newFrames, st.b));
    if (!ctx.undo("Gapper", st.l)) return false;

    const uint8_t* src = sound.bytes.data();
    uint8_t* dst = out.data();
    copyBytes(dst, src, size_t(st.s * st.b));
    ProgressWalk walk(ctx, k);
    fx::parallelRuns(k, kGrain / std::max<int64_t>(1, interval), [&](int64_t j0, int64_t j1) {
        for (int64_t j = j0; j < j1; ++j) {
            const int64_t si = st.s + j * interval, di = st.s + j * (interval + gap);
            copyBytes(dst + di * st.b, src + si * st.b, size_t(interval * st.b));
            fillSilence(dst + (di + interval) * st.b, size_t(gap * st.b), sound.format);
        }
    }, &walk);
    const int64_t si = st.s + k * interval, di = st.s + k * (interval + gap);
    copyBytes(dst + di * st.b, src + si * st.b, size_t((st.f - si) * st.b));

    sound.bytes = std::move(out);
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
    ByteBlock out(bytesFor(newFrames, st.b));
    if (!ctx.undo("Groove", st.l)) return false;

    const uint8_t* src = sound.bytes.data();
    uint8_t* dst = out.data();
    copyBytes(dst, src, size_t(st.s * st.b));
    const int64_t pieces = st.l / piece + (st.l % piece ? 1 : 0);
    ProgressWalk walk(ctx, pieces);
    // Every piece but the last is whole, so piece j starts its copies at
    // S + j x piece x count.
    fx::parallelRuns(pieces, kGrain / std::max<int64_t>(1, piece * std::max<int64_t>(1, count)), [&](int64_t j0, int64_t j1) {
        for (int64_t j = j0; j < j1; ++j) {
            const int64_t at = st.s + j * piece;
            const int64_t len = std::min(piece, st.s + st.l - at);
            int64_t di = st.s + j * piece * count;
            for (int64_t r = 0; r < count; ++r, di += len) copyBytes(dst + di * st.b, src + at * st.b, size_t(len * st.b));
        }
    }, &walk);
    const int64_t di = st.s + newLength;
    const int64_t after = st.s + st.l;
    copyBytes(dst + di * st.b, src + after * st.b, size_t((st.f - after) * st.b));

    sound.bytes = std::move(out);
    sound.setSelection(st.s, newLength);
    ctx.complete(newLength);
    return true;
}

} // namespace sv

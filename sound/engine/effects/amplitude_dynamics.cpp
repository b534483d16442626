// Effects that treat a sample by how loud it is: noise gate, metalize,
// compressor, distortion and expander.
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "platform/numbers.h"
#include "platform/random.h"
#include "sound/engine/effects/amplitude.h"
#include "sound/engine/effects/effect_loop.h"

namespace sv {

using fx::Range;
using fx::Span;

namespace {

template <typename T>
int truncSample(double v) { return int(truncClamp(v, Range<T>::lo, Range<T>::hi)); }

// The gate walks the samples in order, channels interleaved, and never
// touches the selection's last sample. A quiet run of j samples fades down
// over its first c samples, stays at the residual level (or, when the run
// is too short to get there, at the depth the fade reached) and fades back
// up over its last c samples.
template <typename T>
void gateRuns(const Span& sp, int64_t threshold, int64_t fadeLength, int32_t residual,
              const OperationContext& ctx) {
    const T tag{};
    const int64_t walk = sp.samples - 1;
    const double k = residual / 100.0;
    const double F = double(fadeLength);
    auto quiet = [&](int64_t i) { return std::abs(readSample(sp.data + i * sizeof(T), tag)) < threshold; };
    auto scale = [&](int64_t i, double gain) {
        uint8_t* p = sp.data + i * sizeof(T);
        writeSample(p, truncSample<T>(gain * readSample(p, tag)), tag);
    };
    ProgressWalk ticker(ctx, walk);
    int64_t i = 0;
    while (i < walk) {
        if (!quiet(i)) {
            ticker.advanceTo(++i);
            continue;
        }
        int64_t j = 1;
        while (i + j < walk && quiet(i + j)) ++j;
        const int64_t c = 2 * fadeLength < j ? fadeLength : j / 2;
        for (int64_t q = 1; q <= c; ++q) scale(i + q - 1, std::max(k, 1.0 - q / F));
        for (int64_t m = i + c; m < i + j - c; ++m) {
            uint8_t* p = sp.data + m * sizeof(T);
            const int x = readSample(p, tag);
            const double y = c < fadeLength ? std::max(k, 1.0 - c / F) * x : residual * double(x) / 100.0;
            writeSample(p, truncSample<T>(y), tag);
        }
        for (int64_t q = 1; q <= c; ++q) scale(i + j - c + q - 1, std::max(k, 1.0 - (c - q) / F));
        for (int64_t q = 1; q <= j; ++q) ticker.advanceTo(i + q);
        i += j;
    }
}

} // namespace

bool noiseGate(SoundBuffer& s, int32_t threshold, int32_t fadeMs, int32_t residual, const OperationContext& ctx) {
    // The walk stops before the last sample: a single sample is nothing to do.
    if (!fx::usable(s) || fx::selectedSpan(s).samples < 2) return false;
    Span sp;
    if (!fx::beginEffect(s, ctx, undo_words::noiseGate, sp)) return false;
    const int64_t fadeLength = roundHalfEven(s.format.nSamplesPerSec / 1000.0 * fadeMs, 0, INT32_MAX);
    dispatchLayout(s.format, [&](auto tag, auto) {
        using T = decltype(tag);
        const int64_t t = int64_t(threshold) * Range<T>::scale / 100;
        gateRuns<T>(sp, t, fadeLength, residual, ctx);
    });
    return true;
}

bool metalize(SoundBuffer& s, bool hard, const OperationContext& ctx) {
    if (!fx::usable(s)) return false;
    const int64_t rate = s.format.nSamplesPerSec;
    const int64_t interval = rate * (hard ? 4 : 2) / 11025;
    const int64_t run = rate / 11025;
    // Below 2756 Hz (hard) or 5513 Hz (soft) there is no whole run to silence.
    if (interval == 0 || run == 0) return false;
    Span sp;
    if (!fx::beginEffect(s, ctx, undo_words::metalize, sp)) return false;
    const int fill = sp.bytesPerSample == 1 ? kSilence8 : 0;
    const int64_t width = sp.bytesPerSample;
    const int64_t n = sp.samples;
    // Sample i (from 1) starts a run when i is a multiple of the interval.
    fx::forEachProgressRun(n, ctx, [&](int64_t b, int64_t e) {
        for (int64_t i = (b / interval + 1) * interval; i <= e; i += interval) {
            const int64_t from = i - 1;
            const int64_t to = std::min(from + run, n);
            std::memset(sp.data + from * width, fill, size_t((to - from) * width));
        }
    });
    return true;
}

bool compressor(SoundBuffer& s, int32_t threshold, int32_t percent, const OperationContext& ctx) {
    Span sp;
    if (!fx::beginEffect(s, ctx, undo_words::compressor, sp)) return false;
    const int64_t p = percent;
    dispatchLayout(s.format, [&](auto tag, auto) {
        using T = decltype(tag);
        if constexpr (sizeof(T) == 1) {
            const int64_t t = threshold;
            fx::mapSamples<T>(sp, ctx, [=](int x) {
                if (std::abs(x) < t) return x;
                // The sign is taken from the stored byte, 128 counting as
                // negative.
                const int64_t sg = x + kSilence8 > 128 ? 1 : -1;
                const int64_t y = p * (x - sg * t) / 100 + sg * t;
                // A percent above 100 could leave 0..255.
                return int(std::clamp<int64_t>(y, Range<T>::lo, Range<T>::hi));
            });
        } else {
            const int64_t t = 256 * int64_t(threshold);
            fx::mapSamples<T>(sp, ctx, [=](int x) {
                if (std::abs(x) < t) return x;
                const int64_t sg = x < 0 ? -1 : 1;
                const int64_t y = sg * t + p * (x - sg * t) / 100;
                return int(std::clamp<int64_t>(y, Range<T>::lo, Range<T>::hi));
            });
        }
    });
    return true;
}

bool distortion(SoundBuffer& s, int32_t threshold, int32_t percent, const OperationContext& ctx, bool randomize) {
    Span sp;
    if (!fx::beginEffect(s, ctx, undo_words::distortion, sp)) return false;
    if (percent == 0) percent = 1;
    if (randomize) Randomize();
    dispatchLayout(s.format, [&](auto tag, auto) {
        using T = decltype(tag);
        const int64_t t = sizeof(T) == 1 ? threshold : 256 * int64_t(threshold);
        const int32_t spread = int32_t(roundHalfEven(double(Range<T>::scale - t) * percent / 100.0));
        fx::forEachProgressRun(sp.samples, ctx, [&](int64_t b, int64_t e) {
            for (int64_t i = b; i < e; ++i) {
                uint8_t* p = sp.data + i * sizeof(T);
                const int x = readSample(p, tag);
                if (std::abs(x) < t) continue;
                const int64_t sg = x < 0 ? -1 : 1;   // 8-bit: stored byte below 127
                int64_t y = sg * (t + Random(spread));
                // 8-bit: stored 0..255 (a percent above 100 could pass 255);
                // 16-bit: never beyond +-32767.
                if constexpr (sizeof(T) == 1) y = std::clamp<int64_t>(y, Range<T>::lo, Range<T>::hi);
                else if (std::abs(y) > 32767) y = sg * 32767;
                writeSample(p, int(y), tag);
            }
        });
    });
    return true;
}

bool expander(SoundBuffer& s, int32_t threshold, int32_t percent, const OperationContext& ctx) {
    Span sp;
    if (!fx::beginEffect(s, ctx, undo_words::expander, sp)) return false;
    // In double: 100 + a percent near the int32 limit would overflow.
    const double g = (100.0 + percent) / 100.0;
    dispatchLayout(s.format, [&](auto tag, auto) {
        using T = decltype(tag);
        const int64_t t = sizeof(T) == 1 ? threshold : 256 * int64_t(threshold);
        // 8-bit results stop at 254 stored, symmetric around 127.
        constexpr int lo = sizeof(T) == 1 ? -127 : -32767;
        constexpr int hi = sizeof(T) == 1 ? 127 : 32767;
        fx::mapSamples<T>(sp, ctx, [=](int x) {
            if (std::abs(x) < t) return x;
            // Each sample's own sign: 8-bit stored 128 and above is positive.
            const int64_t sg = sizeof(T) == 1 ? (x >= 1 ? 1 : -1) : (x < 0 ? -1 : 1);
            const double e = double(sg * t);
            return int(truncClamp((x - e) * g + e, lo, hi));
        });
    });
    return true;
}

} // namespace sv

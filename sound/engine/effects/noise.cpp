#include "sound/engine/effects/noise.h"

#include <cmath>

#include "platform/numbers.h"
#include "platform/random.h"
#include "sound/engine/effects/effect_loop.h"

namespace sv {

namespace {

// +1 or -1: a rounded uniform value, 0 taken as -1.
inline int drawSign() { return roundHalfEven(Random(), 0, 1) == 0 ? -1 : 1; }

inline int64_t clampStored(int64_t v, uint8_t) { return clamp8(v); }
inline int64_t clampStored(int64_t v, int16_t) { return clamp16(v); }

// The impulse walk. impulse(x) gets the sample relative to silence and
// returns its new value, also relative to silence (before the clamp).
template <typename S, typename Impulse>
void walk(const fx::Span& sp, const OperationContext& ctx, int32_t gapRange, Impulse&& impulse) {
    constexpr int64_t kSize = sizeof(S);
    constexpr int kSilence = sizeof(S) == 1 ? kSilence8 : 0;
    const int64_t total = sp.samples;
    int64_t pos = 0;
    for (;;) {
        pos += Random(gapRange);
        if (pos >= total) break;
        uint8_t* p = sp.data + pos * kSize;
        const int64_t stored = clampStored(impulse(readSample(p, S{})) + kSilence, S{});
        writeSample(p, int(stored - kSilence), S{});
        ctx.report(pos, total);
    }
    // The walk seldom lands on the last sample: the bar is closed all the
    // same.
    ctx.report(total, total);
}

template <typename Run>
bool runNoise(SoundBuffer& s, const OperationContext& ctx, const char* words, bool randomize, Run&& run) {
    fx::Span sp;
    if (!fx::beginEffect(s, ctx, words, sp)) return false;
    if (randomize) Randomize();
    dispatchLayout(s.format, [&](auto sample, auto) { run(sample, sp); });
    return true;
}

template <typename S>
double sigmaFor(int32_t level) {
    return sizeof(S) == 1 ? level / 10.0 : level * 256.0 / 10.0;
}

inline int64_t rounded(double v) { return roundHalfEven(v, INT32_MIN, INT32_MAX); }

} // namespace

double gaussianValue(double sigma) {
    double u, v, r;
    // r = 0 would divide by zero; it is drawn again like r >= 1.
    do {
        u = 2 * Random() - 1;
        v = 2 * Random() - 1;
        r = u * u + v * v;
    } while (r >= 1 || r == 0);
    return sigma * u * std::sqrt(-2 * std::log(r) / r);
}

bool uniformNoise(SoundBuffer& s, const OperationContext& ctx, bool randomize) {
    return runNoise(s, ctx, undo_words::uniformNoise, randomize, [&](auto sample, const fx::Span& sp) {
        using S = decltype(sample);
        const int32_t range = sizeof(S) == 1 ? 50 : 6400;
        walk<S>(sp, ctx, 20, [range](int x) {
            const int sign = drawSign();
            return int64_t(x) + sign * Random(range);
        });
    });
}

bool gaussianNoise(SoundBuffer& s, int32_t level, const OperationContext& ctx, bool randomize) {
    return runNoise(s, ctx, undo_words::gaussianNoise, randomize, [&](auto sample, const fx::Span& sp) {
        using S = decltype(sample);
        const double sigma = sigmaFor<S>(level);
        walk<S>(sp, ctx, 10, [sigma](int x) {
            const int sign = drawSign();
            return int64_t(x) + sign * rounded(gaussianValue(sigma));
        });
    });
}

bool speckleNoise(SoundBuffer& s, int32_t level, const OperationContext& ctx, bool randomize) {
    return runNoise(s, ctx, undo_words::speckleNoise, randomize, [&](auto sample, const fx::Span& sp) {
        using S = decltype(sample);
        const double sigma = sigmaFor<S>(level);
        walk<S>(sp, ctx, 10, [sigma](int x) {
            const int sign = drawSign();
            // Up to 2^15 x 2^31: kept in 64 bits, clamped by the walk.
            return sign * int64_t(x) * rounded(gaussianValue(sigma));
        });
    });
}

bool pinkNoise(SoundBuffer& s, int32_t level, const OperationContext& ctx, bool randomize) {
    return runNoise(s, ctx, undo_words::pinkNoise, randomize, [&](auto sample, const fx::Span& sp) {
        using S = decltype(sample);
        const double sigma = sigmaFor<S>(level);
        double b0 = 0, b1 = 0, b2 = 0, b3 = 0, b4 = 0, b5 = 0;
        walk<S>(sp, ctx, 10, [&](int x) {
            const int sign = drawSign();
            const double w = gaussianValue(sigma);
            b0 = 0.99886 * b0 + 0.0555179 * w;
            b1 = 0.99332 * b1 + 0.0750759 * w;
            b2 = 0.969 * b2 + 0.153852 * w;
            b3 = 0.8665 * b3 + 0.3104856 * w;
            b4 = 0.55 * b4 + 0.5329522 * w;
            b5 = -0.7616 * b5 - 0.016898 * w;
            const double pink = b0 + b1 + b2 + b3 + b4 + b5 + 0.115926 * w + 0.5362 * w;
            return int64_t(x) + rounded(pink * sign);
        });
    });
}

} // namespace sv

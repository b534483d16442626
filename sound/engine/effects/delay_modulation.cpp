// Flanger and chorus. The output is written in place: at stream position n
// the buffer already holds the output for every position before n (and the
// unchanged frames before the selection), which is what the feedback reads;
// the source values are read from a copy taken before the first change.
#include <algorithm>
#include <climits>
#include <cmath>
#include <vector>

#include "sound/engine/effects/delay_effects.h"
#include "sound/engine/effects/effect_loop.h"
#include "sound/engine/effects/parallel_runs.h"

namespace sv {

namespace {

constexpr double kTwoPi = 6.283185308;

template <typename T>
void modulate(SoundBuffer& sound, const ModulationParams& prm, const OperationContext& ctx) {
    constexpr int w = sizeof(T);
    const int64_t s = sound.selectionStart, l = sound.selectionLength;
    const int64_t c = sound.format.nChannels;
    const double rate = double(sound.format.nSamplesPerSec);
    const double h = rate * prm.mixedDelay / 1000.0;
    const double fixed = prm.fixedDelay / 1000.0;
    const double dry = prm.original / 100.0, wet = prm.processed / 100.0, fb = prm.feedback / 100.0;
    const double f0 = prm.frequency / 10.0;
    const int voices = prm.voices;
    const int64_t total = (l - 1) * c;
    // A delayed index never reaches more than s samples before the
    // selection (n + s >= d), so the copy starts there.
    const int64_t base = s * c;
    const int64_t lo = base - s;
    const std::vector<uint8_t> copy(sound.bytes.data() + lo * w, sound.bytes.data() + (base + total) * w);
    const uint8_t* old = copy.data() + (base - lo) * w;   // old[n] is stream sample n
    uint8_t* cur = sound.bytes.data() + base * w;
    // The delays do not depend on the samples: worked out for a stretch of
    // positions at a time on every core, then the stretch is mixed, on
    // every core too without feedback (each position then reads only the
    // copy), else in order, since the feedback reads the output written
    // just before.
    constexpr int64_t kStretch = int64_t(1) << 17;
    constexpr int64_t kNoDelay = INT64_MIN;
    std::vector<int64_t> from(size_t(std::min(total, kStretch) * std::max(voices, 0)));
    ProgressWalk walk(ctx, total);
    for (int64_t at = 0; at < total; at += kStretch) {
        const int64_t len = std::min(kStretch, total - at);
        fx::parallelRuns(len, 4096, [&](int64_t b, int64_t e) {
            for (int64_t i = b; i < e; ++i) {
                const int64_t n = at + i;
                double f = f0;
                for (int v = 0; v < voices; ++v) {
                    // A negative delay (negative settings, or a NaN once many
                    // voices double the frequency past the double range) would
                    // read past the copy's end: it counts as no delay.
                    const double d = std::max(
                        0.0,
                        double(roundHalfEven(h * (0.75 * std::sin(kTwoPi * f * double(n + 1) / rate) + 1.25))) + fixed);
                    from[size_t(i * voices + v)] =
                        double(n + s) >= d ? n - roundHalfEven(d, INT64_MIN / 4, INT64_MAX / 4) : kNoDelay;
                    f *= 2;
                }
            }
        });
        auto mix = [&](int64_t b, int64_t e) {
            for (int64_t i = b; i < e; ++i) {
                const int64_t n = at + i;
                // No voice: the dry term is the sample itself.
                int drySample = readSample(old + n * w, T{});
                int64_t acc = 0;
                for (int v = 0; v < voices; ++v) {
                    int64_t m = from[size_t(i * voices + v)];
                    if (m != kNoDelay) {
                        drySample = readSample(old + n * w, T{});
                    } else {
                        drySample = 0;
                        m = n;
                    }
                    // The output at m is not written yet when m is n itself:
                    // it counts as silence. Without feedback it is not read.
                    const int fed = fb != 0 && m < n ? readSample(cur + m * w, T{}) : 0;
                    acc = roundHalfEven((1.0 - fb) * readSample(old + m * w, T{}) + double(acc) + fb * fed,
                                        INT64_MIN / 4, INT64_MAX / 4);
                }
                const int64_t out = roundHalfEven(wet * double(acc) + dry * drySample, INT64_MIN / 4, INT64_MAX / 4);
                if constexpr (w == 1) writeSample(cur + n, int(std::clamp<int64_t>(out, -127, 127)), T{});
                else writeSample(cur + 2 * n, clamp16Sym(out), T{});
            }
        };
        if (fb == 0) {
            fx::parallelRuns(len, 4096, mix);
        } else {
            mix(0, len);
        }
        walk.advanceTo(at + len);
    }
}

bool run(SoundBuffer& sound, const ModulationParams& prm, const char* words, const OperationContext& ctx) {
    if (!sound.format.isSupportedPcm()) return false;
    sound.setSelection(sound.selectionStart, sound.selectionLength);
    if (sound.selectionLength == 0) return false;
    if (!ctx.undo(words, sound.selectionLength)) return false;
    dispatchLayout(sound.format, [&](auto t, auto) { modulate<decltype(t)>(sound, prm, ctx); });
    return true;
}

} // namespace

bool flanger(SoundBuffer& sound, const ModulationParams& p, const OperationContext& ctx) {
    return run(sound, p, "Flanger", ctx);
}

bool chorus(SoundBuffer& sound, ModulationParams p, const OperationContext& ctx) {
    p.feedback = 0;
    return run(sound, p, "Chorus", ctx);
}

} // namespace sv

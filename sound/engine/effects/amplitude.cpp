// Level, order and channel effects. The dynamics effects (noise gate,
// metalize, compressor, distortion, expander) are in amplitude_dynamics.cpp.
#include "sound/engine/effects/amplitude.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <mutex>

#include "platform/numbers.h"
#include "sound/engine/edit_progress.h"
#include "sound/engine/effects/effect_loop.h"
#include "sound/engine/effects/parallel_runs.h"
#include "sound/engine/effects/scale_kernel.h"

namespace sv {

using fx::Range;
using fx::Span;

namespace {

constexpr int64_t kSamplesPerRun = int64_t(1) << 18;

// The largest |x| of the selection, its runs looked at on every core.
template <typename T>
int selectionPeak(const Span& sp) {
    std::mutex mutex;
    int peak = 0;
    fx::parallelRuns(sp.samples, kSamplesPerRun, [&](int64_t b, int64_t e) {
        const int m = fx::peakMagnitude(sp.data + b * int64_t(sizeof(T)), e - b, T{});
        std::lock_guard<std::mutex> lk(mutex);
        peak = std::max(peak, m);
    });
    return peak;
}

// x := trunc(x * num / den) clamped to [lo, hi], in exact integer terms.
// 16-bit sounds take the wide kernel where the processor has it; the table
// gives the same values everywhere else.
template <typename T>
void scaleSelection(const Span& sp, const OperationContext& ctx, int64_t num, int64_t den, int lo, int hi) {
    const bool wideRange = num > -(int64_t(1) << 34) && num < (int64_t(1) << 34) && den > 0 && den <= (1 << 20);
    if (sizeof(T) == 2 && wideRange && fx::wideScaleAvailable()) {
        // Every sample on its own: long selections are cut over the cores,
        // with the progress steps a single walk reports.
        ProgressWalk walk(ctx, sp.samples);
        fx::parallelRuns(sp.samples, kSamplesPerRun, [&](int64_t b, int64_t e) {
            fx::scaleSamples16(sp.data + 2 * b, e - b, num, den, lo, hi);
        }, &walk);
        return;
    }
    fx::mapSamples<T>(sp, ctx, [=](int x) { return int(std::clamp<int64_t>(int64_t(x) * num / den, lo, hi)); });
}

} // namespace

bool normalise(SoundBuffer& s, const OperationContext& ctx) {
    Span sp;
    if (!fx::beginEffect(s, ctx, undo_words::normalise, sp)) return false;
    dispatchLayout(s.format, [&](auto tag, auto) {
        using T = decltype(tag);
        const int64_t peak = std::max(1, selectionPeak<T>(sp));
        // trunc(scale / peak x x) in exact integer arithmetic: through a
        // double factor the loudest sample can land one step short of full
        // scale ((scale / peak) x peak may round below scale). The results
        // stay within -scale..scale (8-bit: -127..127).
        scaleSelection<T>(sp, ctx, Range<T>::scale, peak, Range<T>::lo, Range<T>::hi);
    });
    return true;
}

bool amplify(SoundBuffer& s, int32_t percent, const OperationContext& ctx) {
    if (percent == 100) return false;
    Span sp;
    if (!fx::beginEffect(s, ctx, undo_words::amplify, sp)) return false;
    dispatchLayout(s.format, [&](auto tag, auto) {
        using T = decltype(tag);
        // 8-bit: stored 0..255; 16-bit: -32768 is never written. The gain is
        // applied as percent x x / 100 exactly: through a double factor
        // (0.29 x 100 = 28.999...) a whole result could come out one short.
        constexpr int lo = sizeof(T) == 1 ? Range<T>::lo : -32767;
        scaleSelection<T>(sp, ctx, percent, 100, lo, Range<T>::hi);
    });
    return true;
}

namespace {

// The level is a running sum moved once per sample, channels interleaved, so
// both channels of a frame get neighbouring levels.
bool fade(SoundBuffer& s, int32_t percent, int32_t curve, bool in, const char* words,
          const OperationContext& ctx) {
    percent = std::clamp<int32_t>(percent, 0, 100);
    if (percent == 100) return false;
    Span sp;
    if (!fx::beginEffect(s, ctx, words, sp)) return false;
    const double step = double(100 - percent) / double(sp.samples) / 100.0;
    double r = in ? percent / 100.0 : 1.0;
    const double delta = in ? step : -step;
    const double e5 = std::exp(5.0);
    const double ln100 = std::log(100.0);
    dispatchLayout(s.format, [&](auto tag, auto) {
        using T = decltype(tag);
        fx::forEachProgressRun(sp.samples, ctx, [&](int64_t b, int64_t e) {
            for (int64_t i = b; i < e; ++i, r += delta) {
                uint8_t* p = sp.data + i * sizeof(T);
                const int x = readSample(p, tag);
                double y;
                switch (curve) {
                case kFadeLinear: y = r * x; break;
                case kFadeExponential: y = x * (std::exp(5.0 * r) - 1.0) / e5; break;
                case kFadeLogarithm: y = x * std::log(100.0 * r + 1.0) / ln100; break;
                default: continue;
                }
                // The logarithmic curve peaks at ln 101 / ln 100 > 1: saturate
                // instead of letting a loud sample wrap around.
                writeSample(p, int(truncClamp(y, Range<T>::lo, Range<T>::hi)), tag);
            }
        });
    });
    return true;
}

} // namespace

bool fadeIn(SoundBuffer& s, int32_t percent, int32_t curve, const OperationContext& ctx) {
    return fade(s, percent, curve, true, undo_words::fadeIn, ctx);
}

bool fadeOut(SoundBuffer& s, int32_t percent, int32_t curve, const OperationContext& ctx) {
    return fade(s, percent, curve, false, undo_words::fadeOut, ctx);
}

bool forceSilence(SoundBuffer& s, const OperationContext& ctx) {
    Span sp;
    if (!fx::beginEffect(s, ctx, undo_words::forceSilence, sp)) return false;
    const int fill = sp.bytesPerSample == 1 ? kSilence8 : 0;
    const int64_t width = sp.bytesPerSample;
    fx::forEachProgressRun(sp.samples, ctx, [&](int64_t b, int64_t e) {
        std::memset(sp.data + b * width, fill, size_t((e - b) * width));
    });
    return true;
}

bool swapChannels(SoundBuffer& s, const OperationContext& ctx) {
    if (!fx::usable(s) || s.format.nChannels != 2) return false;
    Span sp;
    if (!fx::beginEffect(s, ctx, undo_words::swapChannels, sp)) return false;
    const int64_t width = sp.bytesPerSample;
    fx::forEachProgressRun(sp.frames, ctx, [&](int64_t b, int64_t e) {
        uint8_t* p = sp.data + b * 2 * width;
        for (int64_t i = b; i < e; ++i, p += 2 * width) {
            uint8_t tmp[2];
            std::memcpy(tmp, p, size_t(width));
            std::memmove(p, p + width, size_t(width));
            std::memcpy(p + width, tmp, size_t(width));
        }
    });
    return true;
}

bool invertPolarity(SoundBuffer& s, const OperationContext& ctx) {
    Span sp;
    if (!fx::beginEffect(s, ctx, undo_words::invert, sp)) return false;
    dispatchLayout(s.format, [&](auto tag, auto) {
        using T = decltype(tag);
        if constexpr (sizeof(T) == 1) {
            // 255 - byte: relative to 127 that is 1 - x.
            fx::mapSamples<T>(sp, ctx, [](int x) { return 1 - x; });
        } else {
            // -32768 has no positive counterpart: it becomes the largest value.
            fx::mapSamples<T>(sp, ctx, [](int x) { return x == -32768 ? 32767 : -x; });
        }
    });
    return true;
}

namespace {

template <typename Frame>
void reverseFrames(uint8_t* data, int64_t frames, const OperationContext& ctx) {
    const int64_t half = frames / 2;
    fx::forEachProgressRun(half, ctx, [&](int64_t b, int64_t e) {
        for (int64_t i = b; i < e; ++i) {
            uint8_t* a = data + i * sizeof(Frame);
            uint8_t* z = data + (frames - 1 - i) * sizeof(Frame);
            Frame fa, fz;
            std::memcpy(&fa, a, sizeof fa);
            std::memcpy(&fz, z, sizeof fz);
            std::memcpy(a, &fz, sizeof fz);
            std::memcpy(z, &fa, sizeof fa);
        }
    });
}

} // namespace

bool reverse(SoundBuffer& s, const OperationContext& ctx) {
    Span sp;
    if (!fx::beginEffect(s, ctx, undo_words::reverse, sp)) return false;
    switch (s.format.nBlockAlign) {
    case 1: reverseFrames<uint8_t>(sp.data, sp.frames, ctx); break;
    case 2: reverseFrames<uint16_t>(sp.data, sp.frames, ctx); break;
    default: reverseFrames<uint32_t>(sp.data, sp.frames, ctx); break;
    }
    return true;
}

bool travellingStereo(SoundBuffer& s, int32_t direction, int32_t percent, const OperationContext& ctx) {
    if (!fx::usable(s) || s.format.nChannels != 2 || percent >= 100) return false;
    percent = std::max<int32_t>(percent, 0);
    Span sp;
    if (!fx::beginEffect(s, ctx, undo_words::travellingStereo, sp)) return false;
    const double step = double(100 - percent) / double(sp.frames) / 100.0;
    double falling = 1.0;
    double rising = percent / 100.0;
    double& left = direction == 0 ? falling : rising;
    double& right = direction == 0 ? rising : falling;
    dispatchLayout(s.format, [&](auto tag, auto) {
        using T = decltype(tag);
        fx::forEachProgressRun(sp.frames, ctx, [&](int64_t b, int64_t e) {
            for (int64_t i = b; i < e; ++i) {
                uint8_t* p = sp.data + i * 2 * sizeof(T);
                // The gains stay within 0..1 but are running sums: clamp
                // rather than trust the last bit of rounding.
                writeSample(p, int(truncClamp(left * readSample(p, tag), Range<T>::lo, Range<T>::hi)), tag);
                p += sizeof(T);
                writeSample(p, int(truncClamp(right * readSample(p, tag), Range<T>::lo, Range<T>::hi)), tag);
                falling -= step;
                rising += step;
            }
        });
    });
    return true;
}

bool removeOffset(SoundBuffer& s, const OperationContext& ctx) {
    Span sp;
    if (!fx::beginEffect(s, ctx, undo_words::removeOffset, sp)) return false;
    const int64_t total = 2 * sp.samples;
    dispatchLayout(s.format, [&](auto tag, auto) {
        using T = decltype(tag);
        int64_t sum = 0;
        fx::forEachProgressRun(0, sp.samples, total, ctx, [&](int64_t b, int64_t e) {
            for (int64_t i = b; i < e; ++i) sum += readSample(sp.data + i * sizeof(T), tag);
        });
        const int64_t offset = sum / sp.samples;
        // 16-bit results may reach -32768 here.
        fx::mapSamples<T>(sp, ctx, [offset](int x) {
            return int(std::clamp<int64_t>(x - offset, Range<T>::lo, Range<T>::hi));
        }, sp.samples, total);
    });
    return true;
}

} // namespace sv

// Sounds and measurements shared by the spectral engine's tests.
#pragma once
#include <cmath>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "sound/engine/operation.h"
#include "sound/engine/sound_buffer.h"

namespace sv::test {

// A sound of `frames` frames whose sample (frame, channel) is gen(t, ch)
// with t in seconds, rounded and clamped to the layout.
inline SoundBuffer makeSound(uint32_t rate, int bits, int channels, int64_t frames,
                             const std::function<double(double, int)>& gen) {
    SoundBuffer s;
    s.format = SampleFormat::pcm(rate, bits, channels);
    s.bytes.resize(size_t(frames) * s.format.nBlockAlign);
    dispatchLayout(s.format, [&](auto sample, auto ch) {
        using S = decltype(sample);
        constexpr int C = decltype(ch)::value;
        for (int64_t f = 0; f < frames; ++f)
            for (int c = 0; c < C; ++c) {
                double v = std::nearbyint(gen(double(f) / rate, c));
                const double lo = sizeof(S) == 1 ? -127 : -32767, hi = sizeof(S) == 1 ? 127 : 32767;
                v = v < lo ? lo : (v > hi ? hi : v);
                writeSample(s.frame(f) + c * sizeof(S), int(v), S{});
            }
    });
    s.setSelection(0, frames);
    return s;
}

inline int sampleAt(const SoundBuffer& s, int64_t frame, int ch = 0) {
    const uint8_t* p = s.frame(frame) + ch * (s.format.wBitsPerSample / 8);
    return s.format.wBitsPerSample == 8 ? readSample(p, uint8_t{}) : readSample(p, int16_t{});
}

// Amplitude of the component at `freq` Hz in frames [from, to) of a channel.
inline double amplitudeAt(const SoundBuffer& s, double freq, int64_t from, int64_t to, int ch = 0) {
    const double rate = s.format.nSamplesPerSec;
    double re = 0, im = 0;
    for (int64_t f = from; f < to; ++f) {
        const double a = 2 * M_PI * freq * f / rate;
        const double v = sampleAt(s, f, ch);
        re += v * std::cos(a);
        im -= v * std::sin(a);
    }
    return 2 * std::sqrt(re * re + im * im) / double(to - from);
}

// An operation context that records what the engine asks of the window.
// Named apart from the effects tests' recorder: two classes of one name in one
// namespace would break the one-definition rule once linked together.
struct StepRecorder {
    struct Step {
        std::string words;
        int64_t length;
        bool whole;
    };
    std::vector<Step> steps;
    std::vector<std::pair<int64_t, int64_t>> progress;
    bool undoWorks = true;
    std::function<void()> onUndo;

    OperationContext context() {
        OperationContext ctx;
        ctx.progress = [this](int64_t j, int64_t n) { progress.emplace_back(j, n); };
        ctx.saveUndo = [this](const std::string& w, int64_t len, bool whole) {
            steps.push_back({w, len, whole});
            if (onUndo) onUndo();
            return undoWorks;
        };
        return ctx;
    }
};

} // namespace sv::test

// Whole-sound results pinned by their hashes: every case runs on noise and
// on tones in the four layouts, and the bytes it leaves (samples, length,
// selection and whatever state the operation keeps) are hashed. The table
// of expected hashes was taken from the engine before any change to its
// speed, so a faster engine has to give the same bytes.
//
// SONVELA_PRINT_GOLDEN=1 prints the table as the current code computes it,
// ready to paste (only when a result is meant to change).
#pragma once
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>

#include "sound/engine/sound_buffer.h"
#include "tests/sound/fft/fft_test_support.h"

namespace sv::test {

class Fnv {
public:
    void add(const void* p, size_t n) {
        const auto* b = static_cast<const uint8_t*>(p);
        for (size_t i = 0; i < n; ++i) h_ = (h_ ^ b[i]) * 1099511628211ull;
    }
    template <typename T> void value(const T& v) { add(&v, sizeof v); }
    uint64_t hash() const { return h_; }

private:
    uint64_t h_ = 1469598103934665603ull;
};

inline void hashSound(Fnv& h, const SoundBuffer& s) {
    h.add(s.bytes.data(), s.bytes.size());
    h.value(int64_t(s.bytes.size()));
    h.value(s.selectionStart);
    h.value(s.selectionLength);
    h.value(s.format.nSamplesPerSec);
    h.value(s.format.wBitsPerSample);
    h.value(s.format.nChannels);
}

struct Layout {
    int bits, channels;
};
constexpr Layout kLayouts[] = {{8, 1}, {8, 2}, {16, 1}, {16, 2}};

// Noise over most of the range (an LCG, the same on every machine) and a
// mixture of tones with a slow swell, different in each channel.
inline SoundBuffer goldenSound(bool noise, int bits, int channels, uint32_t rate, int64_t frames) {
    const double full = bits == 8 ? 127 : 32767;
    uint32_t state = 2463534242u;
    int64_t lastFrame = -1;
    double held[2] = {0, 0};
    return makeSound(rate, bits, channels, frames, [&](double t, int ch) {
        if (!noise) {
            const double swell = 0.55 + 0.4 * std::sin(2 * M_PI * 0.7 * t);
            const double f = ch == 0 ? 1.0 : 1.37;
            return full * swell *
                   (0.5 * std::sin(2 * M_PI * 220 * f * t) + 0.3 * std::sin(2 * M_PI * 2500 * f * t) +
                    0.2 * std::sin(2 * M_PI * 9000 * f * t + ch));
        }
        const int64_t frame = int64_t(std::llround(t * rate));
        if (frame != lastFrame) {
            for (double& v : held) {
                state = state * 1664525u + 1013904223u;
                v = double(int32_t(state >> 8) - (1 << 23)) / double(1 << 23);
            }
            lastFrame = frame;
        }
        return 1.2 * full * held[ch];
    });
}

// Compares the computed hashes with the expected table (or prints them).
class GoldenTable {
public:
    explicit GoldenTable(std::map<std::string, uint64_t> expected) : expected_(std::move(expected)) {}

    void check(const std::string& name, uint64_t actual) {
        ++checked_;
        if (std::getenv("SONVELA_PRINT_GOLDEN")) {
            std::printf("        {\"%s\", 0x%016llxull},\n", name.c_str(), (unsigned long long)actual);
            return;
        }
        const auto it = expected_.find(name);
        if (it == expected_.end()) {
            ADD_FAILURE() << "no expected result for " << name;
            return;
        }
        EXPECT_EQ(it->second, actual) << name << " changed";
    }
    int checked() const { return checked_; }

private:
    std::map<std::string, uint64_t> expected_;
    int checked_ = 0;
};

inline std::string layoutName(bool noise, const Layout& l) {
    return std::string(noise ? "noise" : "tones") + "/" + std::to_string(l.bits) + (l.channels == 1 ? "m" : "s");
}

} // namespace sv::test

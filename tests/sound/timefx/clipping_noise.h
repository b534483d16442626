// Noise for the tests that hold an effect against a plain form of it: a
// third of the samples at full scale (so that sums clip) and some silent.
#pragma once
#include <cstdint>
#include <random>
#include <vector>

#include "tests/sound/effects/effect_test_util.h"

namespace sv::test {

struct NoiseLayout {
    int bits, channels;
};
constexpr NoiseLayout kNoiseLayouts[] = {{8, 1}, {8, 2}, {16, 1}, {16, 2}};

inline SoundBuffer clippingNoise(const NoiseLayout& lay, int64_t frames, uint32_t seed, uint32_t rate = 11025) {
    std::mt19937 rng(seed);
    const int lo = lay.bits == 8 ? -127 : -32768, hi = lay.bits == 8 ? 128 : 32767;
    std::uniform_int_distribution<int> any(lo, hi), pick(0, 8);
    std::vector<int> v(size_t(frames * lay.channels));
    for (int& x : v) {
        const int k = pick(rng);
        x = k == 0 ? lo : k <= 2 ? hi : k == 3 ? 0 : any(rng);
    }
    return makeSound(lay.bits, lay.channels, v, rate);
}

} // namespace sv::test

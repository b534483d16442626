// The flanger's and chorus's fast delays and mixes against the plain
// per-sample formula and loop, over long stretches, odd selections, noise
// that clips, every layout, and with and without the AVX2 lanes.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <random>
#include <vector>

#include "sound/engine/edit_progress.h"
#include "sound/engine/effects/delay_effects.h"
#include "sound/engine/effects/delay_modulation.h"
#include "tests/sound/effects/effect_test_util.h"

using namespace sv;
using namespace sv::test;

namespace {

constexpr double kTwoPi = 6.283185308;

int64_t plainDelay(double rate, const ModulationParams& p, int64_t start, int64_t n, int voice) {
    const double h = rate * p.mixedDelay / 1000.0;
    double f = p.frequency / 10.0;
    for (int v = 0; v < voice; ++v) f *= 2;
    const double d = std::max(
        0.0, double(roundHalfEven(h * (0.75 * std::sin(kTwoPi * f * double(n + 1) / rate) + 1.25))) +
                 p.fixedDelay / 1000.0);
    return double(n + start) >= d ? roundHalfEven(d, INT64_MIN / 4, INT64_MAX / 4) : -1;
}

// The effect as one loop over positions and voices. A tamed loop feeds back
// each output less its channel's running mean, kept here for every
// position of the stream.
template <typename T>
void plainModulate(SoundBuffer& sound, const ModulationParams& prm, const OperationContext& ctx) {
    constexpr int w = sizeof(T);
    const int64_t s = sound.selectionStart, c = sound.format.nChannels;
    const double rate = double(sound.format.nSamplesPerSec);
    const fx::FeedbackLoop loop = fx::stableFeedback(prm);
    const double dry = prm.original / 100.0, wet = prm.processed / 100.0, fb = loop.feedback;
    const int64_t total = (sound.selectionLength - 1) * c;
    const std::vector<uint8_t> copy(sound.bytes.data(), sound.bytes.data() + sound.bytes.size());
    const uint8_t* old = copy.data() + s * c * w;
    uint8_t* cur = sound.bytes.data() + s * c * w;
    auto channel = [&](int64_t n) { return size_t(((n % c) + c) % c); };
    // What the loop feeds back of stream position n, at fedBack[n + s].
    std::vector<double> fedBack(size_t(s + total), 0.0);
    const int64_t before = std::min(fx::modulationReach(rate, prm), s);
    std::vector<double> sum(size_t(c), 0.0), count(size_t(c), 0.0), mean(size_t(c), 0.0);
    for (int64_t n = -before; n < 0; ++n) {
        sum[channel(n)] += readSample(old + n * w, T{});
        ++count[channel(n)];
    }
    for (int64_t n = -before; n < 0; ++n)
        fedBack[size_t(n + s)] = readSample(old + n * w, T{}) - sum[channel(n)] / count[channel(n)];
    for (int64_t n = 0; n < total; ++n) {
        int drySample = readSample(old + n * w, T{});
        int64_t acc = 0;
        double back = 0;
        for (int v = 0; v < prm.voices; ++v) {
            const int64_t d = plainDelay(rate, prm, s, n, v);
            const int64_t m = d >= 0 ? n - d : n;
            drySample = d >= 0 ? readSample(old + n * w, T{}) : 0;
            const int fed = fb != 0 && m < n ? readSample(cur + m * w, T{}) : 0;
            if (loop.tamed) {
                acc = roundHalfEven((1.0 - fb) * readSample(old + m * w, T{}) + double(acc), INT64_MIN / 4, INT64_MAX / 4);
                if (m < n) back += fedBack[size_t(m + s)];
            } else {
                acc = roundHalfEven((1.0 - fb) * readSample(old + m * w, T{}) + double(acc) + fb * fed, INT64_MIN / 4,
                                    INT64_MAX / 4);
            }
        }
        int64_t out = roundHalfEven(wet * double(acc) + dry * drySample, INT64_MIN / 4, INT64_MAX / 4);
        if (loop.tamed) out += int64_t(std::trunc(wet * fb * back));
        if constexpr (w == 1) out = std::clamp<int64_t>(out, -127, 127);
        else out = clamp16Sym(out);
        writeSample(cur + n * w, int(out), T{});
        double& mu = mean[channel(n)];
        mu += std::max(fx::loopMeanWeight(rate), 1.0 / double(n / c + 1)) * (double(out) - mu);
        fedBack[size_t(n + s)] = double(out) - mu;
    }
    ProgressWalk walk(ctx, total);
    walk.advanceTo(total);
}

ModulationParams params(int fixed, int mixed, int voices, int frequency, int feedback = 0, int original = 100,
                        int processed = 50) {
    ModulationParams p;
    p.fixedDelay = fixed;
    p.mixedDelay = mixed;
    p.voices = voices;
    p.frequency = frequency;
    p.feedback = feedback;
    p.original = original;
    p.processed = processed;
    return p;
}

// Full-scale noise, so that the mixes clip.
SoundBuffer noiseSound(int bits, int channels, int64_t frames, std::mt19937& rng) {
    std::vector<int> noise(size_t(frames * channels));
    const int top = bits == 8 ? 127 : 32767;
    std::uniform_int_distribution<int> pick(-top, top);
    for (int& x : noise) x = pick(rng);
    return makeSound(bits, channels, noise, 8000);
}

struct Plain {
    explicit Plain(bool on) { fx::forcePlainModulationLanes(on); }
    ~Plain() { fx::forcePlainModulationLanes(false); }
};

class ModulationLanes : public ::testing::TestWithParam<bool> {};

} // namespace

TEST_P(ModulationLanes, DelaysAreThoseOfThePlainFormula) {
    const Plain plain(GetParam());
    struct Case {
        double rate;
        ModulationParams p;
        int64_t start;
    };
    const Case cases[] = {
        {44100, params(0, 30, 6, 20), 0},          // the dialog's settings, voices to 64 Hz
        {22050, params(2500, 12, 4, 7), 17},       // half-sample fixed delay
        {8000, params(0, 1, 5, 1000), 3},          // a short delay swept fast
        {48000, params(123456, 500, 2, 3), 1000},  // long delays reaching before the selection
        {11025, params(-5000, -30, 3, -20), 5},    // negative settings
        {44100, params(0, 0, 2, 0), 0},            // no modulation at all
        {44100, params(500, 7, 3, 25), 2},         // halves from the fixed delay
        // h = 2 and a phase that steps by just over pi: the sine stays within
        // a few 1e-10 of zero and every value within a few 1e-10 of 2.5.
        {2000, params(0, 1, 1, 10000), 0},
        {44100, params(0, 30, 5, 1000000), 0},     // phases past the series' range
        {96000, params(0, 2000000000, 2, 20), 0},  // delays past the 32-bit range
        {44100, params(0, 30, 1100, 20), 0},       // frequencies doubled past the double range
        {0, params(0, 30, 1, 20), 0},              // no rate
    };
    std::vector<int64_t> got;
    for (const Case& k : cases) {
        const ModulationParams& p = k.p;
        const int64_t kCount = p.voices > 6 ? 2001 : 120001;
        for (int64_t n0 : {int64_t(0), int64_t(29999993)}) {
            got.assign(size_t(kCount * p.voices), 0);
            fx::modulationDelays(k.rate, p, k.start, n0, kCount, got.data());
            int wrong = 0, changes = 0;
            for (int v = 0; v < p.voices; ++v) {
                for (int64_t i = 0; i < kCount; ++i) {
                    const int64_t want = plainDelay(k.rate, p, k.start, n0 + i, v);
                    const int64_t have = got[size_t(v * kCount + i)];
                    if (have != want && wrong++ < 3)
                        ADD_FAILURE() << "rate " << k.rate << " voice " << v << " n " << n0 + i << ": " << have
                                      << " instead of " << want;
                    changes += i > 0 && have != got[size_t(v * kCount + i - 1)];
                }
            }
            EXPECT_EQ(wrong, 0) << "rate " << k.rate << " mixed " << p.mixedDelay << " from " << n0;
            if (k.p.mixedDelay == 30 && k.p.frequency == 20 && k.rate > 0) {
                EXPECT_GT(changes, 1000);
            }
        }
    }
}

TEST_P(ModulationLanes, EffectsMatchThePlainLoopOnEveryLayout) {
    const Plain plain(GetParam());
    std::mt19937 rng(20);
    const ModulationParams settings[] = {
        params(0, 30, 1, 20, 30),              // the flanger's usual settings
        params(2500, 12, 3, 7, 25, 80, 70),    // three voices fed back
        params(1000, 0, 1, 20, 90, 60, 120),   // one sample back: the output just written
        params(3000, 1, 2, 5000, -70, 100, 100),
        params(0, 2, 2, 333, 250, 30, 200),    // feedback past the whole output, cut to a stable loop
        params(10, 50, 3, 5, 50, 20, 85),      // "Devil": a tamed loop
        params(0, 30, 4, 20, 0, 150, 150),     // the chorus: no feedback
        params(7000, 5, 6, 1, 0, 100, 90),
        params(-4000, -10, 2, -30, 40),        // negative settings read no delayed sample
        params(0, 30, 0, 20, 30),              // no voice: the dry term alone
    };
    for (int bits : {8, 16}) {
        for (int channels : {1, 2}) {
            const int64_t frames = 40013;
            const SoundBuffer source = noiseSound(bits, channels, frames, rng);
            for (const ModulationParams& p : settings) {
                for (auto [start, length] : {std::pair<int64_t, int64_t>{0, frames}, {1237, 30001}, {39000, 2}}) {
                    SoundBuffer want = source, got = source;
                    want.setSelection(start, length);
                    got.setSelection(start, length);
                    Recorder wantRec, gotRec;
                    if (bits == 8) plainModulate<uint8_t>(want, p, wantRec.context());
                    else plainModulate<int16_t>(want, p, wantRec.context());
                    ASSERT_TRUE(flanger(got, p, gotRec.context()));
                    EXPECT_EQ(storedBytes(got), storedBytes(want)) << bits << " bits, " << channels << " channels, feedback "
                                                     << p.feedback << ", voices " << p.voices << ", from " << start;
                    EXPECT_EQ(gotRec.progress, wantRec.progress);
                }
            }
        }
    }
}

// Long enough for many blocks and stretches: the windows of source values
// carried from one to the next, and the copy of the whole stream that long
// delays take instead.
TEST_P(ModulationLanes, LongSoundsMatchThePlainLoopAcrossStretches) {
    const Plain plain(GetParam());
    std::mt19937 rng(7);
    const ModulationParams settings[] = {
        params(0, 30, 1, 20, 30, 100, 80),
        params(1000, 40, 3, 13, 45, 70, 110),
        params(0, 3000, 2, 20, 30),            // reaches past any window
        params(1000, 40, 3, 13, 60, 70, 110),  // a tamed loop
        params(0, 3000, 3, 20, 80, 100, 100),  // a tamed loop past any window
        params(2500, 12, 4, 7, 0, 120, 90),    // chorus
        params(0, 3000, 3, 20, 0, 80, 100),    // chorus with long delays
    };
    for (int bits : {8, 16}) {
        const int channels = bits == 8 ? 1 : 2;
        const int64_t frames = bits == 8 ? 700001 : 350003;
        const SoundBuffer source = noiseSound(bits, channels, frames, rng);
        for (const ModulationParams& p : settings) {
            SoundBuffer want = source, got = source;
            want.setSelection(20011, frames - 30000);
            got.setSelection(20011, frames - 30000);
            Recorder wantRec, gotRec;
            if (bits == 8) plainModulate<uint8_t>(want, p, wantRec.context());
            else plainModulate<int16_t>(want, p, wantRec.context());
            ASSERT_TRUE(flanger(got, p, gotRec.context()));
            EXPECT_EQ(storedBytes(got), storedBytes(want))
                << bits << " bits, feedback " << p.feedback << ", mixed " << p.mixedDelay;
            EXPECT_EQ(gotRec.progress, wantRec.progress);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Lanes, ModulationLanes, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& i) { return i.param ? "Plain" : "Wide"; });

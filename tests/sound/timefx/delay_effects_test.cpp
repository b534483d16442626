// Reverb, flanger and chorus on small sounds.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>

#include "sound/engine/effects/delay_effects.h"
#include "tests/sound/effects/effect_test_util.h"

using namespace sv;
using namespace sv::test;

namespace {
std::vector<int> wave(int n, int amp) {
    std::vector<int> v;
    for (int i = 0; i < n; ++i) v.push_back(int(amp * std::sin(i * 0.3)));
    return v;
}
} // namespace

TEST(Reverb, DryOnlyLeavesTheSoundAndOnlySelectionKeepsTheLength) {
    SoundBuffer s = makeSound(16, 1, wave(400, 8000), 1000);
    s.setSelection(100, 100);
    const std::vector<int> before = values(s);
    Recorder rec;
    ReverbParams p;
    p.reverbLevel = 0;
    p.onlySelection = true;
    ASSERT_TRUE(reverb(s, p, rec.context()));
    EXPECT_EQ(values(s), before);
    EXPECT_EQ(rec.undos[0].words, "Reverb");
    EXPECT_EQ(rec.undos[0].length, 100);

    p.reverbLevel = 80;
    ASSERT_TRUE(reverb(s, p, rec.context()));
    const std::vector<int> after = values(s);
    EXPECT_EQ(s.frameCount(), 400);
    EXPECT_NE(after, before);
    // Only the selection changed: the taps stop at its end.
    for (int i = 0; i < 100; ++i) EXPECT_EQ(after[size_t(i)], before[size_t(i)]);
    for (int i = 200; i < 400; ++i) EXPECT_EQ(after[size_t(i)], before[size_t(i)]);
}

TEST(Reverb, SelectionAtTheEndGrowsByTheTail) {
    SoundBuffer s = makeSound(8, 2, wave(600, 100), 2000);
    s.setSelection(200, 100);
    Recorder rec;
    OperationContext ctx = rec.context();
    int64_t completed = -1;
    ctx.completeUndo = [&](int64_t n) { completed = n; };
    ReverbParams p;   // time 500 ms -> R = 1000 frames at 2000 Hz
    ASSERT_TRUE(reverb(s, p, ctx));
    EXPECT_EQ(s.frameCount(), 200 + 100 + 1000);
    EXPECT_EQ(s.selectionLength, 1100);
    EXPECT_EQ(completed, 1100);
    EXPECT_EQ(rec.undos[0].length, 100);   // min(L + R, F - S)
    // The tail holds the reverb: something other than silence past the old end.
    const std::vector<int> v = values(s);
    bool tail = false;
    for (size_t i = 600; i < v.size(); ++i) tail |= v[i] != 0;
    EXPECT_TRUE(tail);
}

TEST(Reverb, FirstTapAddsHalfTheLevelAfterTheInitialDelay) {
    // One impulse; early taps from P = 10 frames, gain wet / 2.
    std::vector<int> v(200, 0);
    v[0] = 10000;
    SoundBuffer s = makeSound(16, 1, v, 1000);
    s.setSelection(0, 1);
    Recorder rec;
    ReverbParams p;
    p.density = 100;
    p.initialDelay = 10;
    p.reverbDelay = 50;
    p.reverbTime = 150;
    p.reverbLevel = 50;
    ASSERT_TRUE(reverb(s, p, rec.context()));
    const std::vector<int> out = values(s);
    EXPECT_EQ(out[0], 10000);
    EXPECT_EQ(out[10], 2500);
    EXPECT_EQ(out[9], 0);
}

TEST(Flanger, ProcessedZeroLeavesTheSelection) {
    SoundBuffer s = makeSound(16, 2, wave(8000, 9000), 8000);
    s.setSelection(1000, 1500);
    const std::vector<int> before = values(s);
    Recorder rec;
    ModulationParams p;
    p.processed = 0;
    p.original = 100;
    p.feedback = 50;
    ASSERT_TRUE(flanger(s, p, rec.context()));
    EXPECT_EQ(values(s), before);
    EXPECT_EQ(rec.undos[0].words, "Flanger");
    EXPECT_EQ(rec.undos[0].length, 1500);
}

TEST(Flanger, NegativeDelayReadsNoLaterSample) {
    std::vector<int> ramp;
    for (int i = 0; i < 200; ++i) ramp.push_back(i * 100);
    SoundBuffer s = makeSound(16, 1, ramp, 8000);
    s.setSelection(0, 200);
    const std::vector<int> before = values(s);
    Recorder rec;
    ModulationParams p;
    p.mixedDelay = 0;
    p.fixedDelay = -1000;   // one sample ahead
    p.original = 0;
    p.processed = 100;
    ASSERT_TRUE(flanger(s, p, rec.context()));
    // Taken as no delay: each voice sample is the sample itself.
    EXPECT_EQ(values(s), before);
}

TEST(Flanger, NearTheStartTheDryTermIsSilenceAndOutputIsClamped) {
    SoundBuffer s = makeSound8(1, std::vector<int>(100, 227), 1000);
    Recorder rec;
    ModulationParams p;   // H = 30 frames at 1000 Hz: d >= 8
    p.original = 100;
    p.processed = 100;
    ASSERT_TRUE(chorus(s, p, rec.context()));
    const std::vector<int> out = storedBytes(s);
    // n = 0: delay reaches before the sound; acc = old[0] = 100, dry silent.
    EXPECT_EQ(out[0], 227);
    // Later: wet x 100 + dry x 100 = 200, clamped to 127 + 127.
    EXPECT_EQ(out[80], 254);
    EXPECT_EQ(out[99], 227);   // the last frame is not processed
    EXPECT_EQ(rec.undos[0].words, "Chorus");
}

// Feedback summed over many voices and a strong processed level must not run
// away into full scale: after seconds of a quarter-scale tone the output
// still swings both ways around silence, and clips hardly more often than
// the same settings without feedback (the chorus) do.
TEST(Flanger, PresetsAndSliderEndsKeepATone) {
    struct Case {
        const char* name;
        int fixed, mixed, voices, original, processed, frequency, feedback;
    };
    const Case cases[] = {
        {"Devil", 10, 50, 3, 20, 85, 5, 50},
        {"Vinyl Scratch", 0, 80, 3, 20, 70, 40, 50},
        {"every slider at its top", 500, 500, 50, 100, 100, 50, 100},
        {"one voice fed back whole", 0, 500, 1, 100, 100, 50, 100},
        {"many voices, short delay, no original", 0, 1, 50, 0, 100, 0, 100},
    };
    struct Last {
        double mean = 0, clipped = 0;
        int low = 0, high = 0;
    };
    for (const Case& k : cases) {
        for (int bits : {16, 8}) {
            const int channels = bits == 16 ? 1 : 2, rate = bits == 16 ? 44100 : 22050;
            const int top = bits == 16 ? 32767 : 127, seconds = 5;
            std::vector<int> tone;
            for (int i = 0; i < rate * seconds; ++i)
                for (int c = 0; c < channels; ++c) tone.push_back(int(top / 4 * std::sin(2 * M_PI * 440 * i / rate)));
            ModulationParams p;
            p.fixedDelay = k.fixed;
            p.mixedDelay = k.mixed;
            p.voices = k.voices;
            p.original = k.original;
            p.processed = k.processed;
            p.frequency = k.frequency;
            p.feedback = k.feedback;
            // The last whole second before the last frame, which is not processed.
            auto lastSecond = [&](bool fed) {
                SoundBuffer s = makeSound(bits, channels, tone, uint32_t(rate));
                Recorder rec;
                EXPECT_TRUE(fed ? flanger(s, p, rec.context()) : chorus(s, p, rec.context()));
                const std::vector<int> out = values(s);
                Last l;
                const auto from = out.end() - channels * (rate + 1), to = out.end() - channels;
                for (auto i = from; i < to; ++i) {
                    l.mean += *i;
                    l.clipped += std::abs(*i) >= top;
                }
                l.mean /= double(to - from);
                l.clipped /= double(to - from);
                l.low = *std::min_element(from, to);
                l.high = *std::max_element(from, to);
                return l;
            };
            const Last got = lastSecond(true), unfed = lastSecond(false);
            const std::string what = std::string(k.name) + ", " + std::to_string(bits) + " bits";
            EXPECT_LT(std::fabs(got.mean), top / 4) << what;
            EXPECT_LT(got.low, -top / 8) << what;
            EXPECT_GT(got.high, top / 8) << what;
            EXPECT_LT(got.clipped, unfed.clipped + 0.05) << what;
        }
    }
}

// Where the loop has to be tamed it passes on no constant: after a tone,
// the silence of an 8-bit sound (stored as 128, one step above the
// effects' centre) and the offset many sound cards leave in a 16-bit one
// settle no farther from silence than the same settings without feedback
// (the chorus) put them, instead of being multiplied up to full scale.
TEST(Flanger, TamedLoopKeepsTheSilenceAfterAToneWhereItWas) {
    struct Case {
        const char* name;
        ModulationParams p;
        int seconds;
    };
    const Case cases[] = {
        {"Devil", {10, 50, 3, 20, 85, 5, 50}, 5},
        {"Vinyl Scratch", {0, 80, 3, 20, 70, 40, 50}, 5},
        {"every slider but the delays at its end", {0, 30, 50, 100, 100, 50, 100}, 5},
        {"many voices on one short delay", {0, 1, 50, 0, 100, 0, 100}, 3},
        {"one voice fed back whole", {0, 500, 1, 100, 100, 50, 100}, 60},
        // A fixed, odd delay feeds each channel from the other.
        {"channels feeding each other", {320, 421, 43, 51, 18, 0, 58}, 40},
    };
    const int rate = 2000, tone = rate / 2;
    for (const Case& k : cases) {
        for (int bits : {8, 16}) {
            const int frames = rate * k.seconds;
            const int offset = bits == 8 ? 1 : 50, amp = bits == 8 ? 60 : 8000;
            std::vector<int> v;
            for (int i = 0; i < frames; ++i)
                for (int c = 0; c < 2; ++c)
                    v.push_back(offset + (i < tone ? int(amp * std::sin(2 * M_PI * 440 * i / rate)) : 0));
            // The last second before the last frame, which is not processed.
            auto lastSecond = [&](bool fed) {
                SoundBuffer s = makeSound(bits, 2, v, uint32_t(rate));
                Recorder rec;
                EXPECT_TRUE(fed ? flanger(s, k.p, rec.context()) : chorus(s, k.p, rec.context()));
                const std::vector<int> out = values(s);
                return std::vector<int>(out.end() - 2 * (rate + 1), out.end() - 2);
            };
            const std::vector<int> got = lastSecond(true), unfed = lastSecond(false);
            const std::string what = std::string(k.name) + ", " + std::to_string(bits) + " bits";
            // Settled: one value through the whole second, in both channels.
            EXPECT_EQ(*std::min_element(got.begin(), got.end()), *std::max_element(got.begin(), got.end())) << what;
            EXPECT_EQ(*std::min_element(unfed.begin(), unfed.end()), *std::max_element(unfed.begin(), unfed.end()))
                << what;
            EXPECT_LE(std::abs(got[0]), std::abs(unfed[0])) << what;
        }
    }
    // The presets keep 8-bit silence within 3 of its stored 128.
    for (const Case& k : {cases[0], cases[1]}) {
        SoundBuffer s = makeSound8(2, std::vector<int>(2 * 4000, 128), 8000);
        Recorder rec;
        ASSERT_TRUE(flanger(s, k.p, rec.context()));
        for (int b : storedBytes(s)) ASSERT_LE(std::abs(b - 128), 3) << k.name;
    }
}

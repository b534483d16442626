// Noise gate, metalize, compressor, distortion and expander on short known
// signals, at their thresholds and sign boundaries.
#include <gtest/gtest.h>

#include "platform/random.h"
#include "sound/engine/effects/amplitude.h"
#include "tests/sound/effects/effect_test_util.h"

using namespace sv;
using namespace sv::test;

TEST(NoiseGate, NoFadeDropsQuietRunsToTheResidualAtOnce) {
    // Threshold 50: T = 50 x 32767 div 100 = 16383.
    SoundBuffer s = makeSound(16, 1, {20000, 100, 200, -301, 20000, 100}, 1000);
    Recorder rec;
    ASSERT_TRUE(noiseGate(s, 50, 0, 50, rec.context()));
    // The selection's last sample is never walked.
    EXPECT_EQ(values(s), (std::vector<int>{20000, 50, 100, -150, 20000, 100}));
    EXPECT_EQ(rec.steps().back(), 5);
}

TEST(NoiseGate, LongRunFadesDownAndBackUp) {
    // 1000 Hz and 2 ms: F = 2. A run of 6: c = 2, two samples at the residual.
    SoundBuffer s = makeSound(16, 1, {30000, 1000, 1000, 1000, 1000, 1000, 1000, 30000, 30000}, 1000);
    Recorder rec;
    ASSERT_TRUE(noiseGate(s, 10, 2, 0, rec.context()));
    EXPECT_EQ(values(s), (std::vector<int>{30000, 500, 0, 0, 0, 500, 1000, 30000, 30000}));
}

TEST(NoiseGate, ShortRunNeverReachesTheResidual) {
    // A run of 3 with F = 2: c = 1; the middle stays at 1 - c/F.
    SoundBuffer s = makeSound(16, 1, {30000, 1000, 1000, 1000, 30000, 30000}, 1000);
    Recorder rec;
    ASSERT_TRUE(noiseGate(s, 10, 2, 0, rec.context()));
    EXPECT_EQ(values(s), (std::vector<int>{30000, 500, 500, 1000, 30000, 30000}));
}

TEST(NoiseGate, EightBitThresholdAndResidualFloor) {
    // 8-bit T = 20 x 127 div 100 = 25; residual 40 keeps the fade from going
    // below 0.4.
    SoundBuffer s = makeSound(8, 1, {100, 20, 20, 20, 20, 20, 20, 100, 0}, 1000);
    Recorder rec;
    ASSERT_TRUE(noiseGate(s, 20, 2, 40, rec.context()));
    EXPECT_EQ(values(s), (std::vector<int>{100, 10, 8, 8, 8, 10, 20, 100, 0}));
}

TEST(NoiseGate, QuietRunStopsBeforeTheLastSample) {
    SoundBuffer s = makeSound(16, 1, {10, 10, 10}, 1000);
    Recorder rec;
    ASSERT_TRUE(noiseGate(s, 50, 0, 0, rec.context()));
    EXPECT_EQ(values(s), (std::vector<int>{0, 0, 10}));
    SoundBuffer one = makeSound(16, 1, {10}, 1000);
    EXPECT_FALSE(noiseGate(one, 50, 0, 0, rec.context()));
}

TEST(Metalize, SoftAt44100SilencesFourOfEveryEight) {
    SoundBuffer s = makeSound(16, 1, std::vector<int>(20, 1000), 44100);
    Recorder rec;
    ASSERT_TRUE(metalize(s, false, rec.context()));
    std::vector<int> expect(20, 1000);
    for (int i : {7, 8, 9, 10, 15, 16, 17, 18}) expect[i] = 0;
    EXPECT_EQ(values(s), expect);
}

TEST(Metalize, HardEveryFourAt11025AndRunsStopAtTheEnd) {
    SoundBuffer s = makeSound8(1, std::vector<int>(9, 200), 11025);
    Recorder rec;
    ASSERT_TRUE(metalize(s, true, rec.context()));
    EXPECT_EQ(storedBytes(s), (std::vector<int>{200, 200, 200, 127, 200, 200, 200, 127, 200}));
    SoundBuffer t = makeSound(16, 1, std::vector<int>(9, 5), 44100);
    ASSERT_TRUE(metalize(t, false, rec.context()));
    EXPECT_EQ(values(t), (std::vector<int>{5, 5, 5, 5, 5, 5, 5, 0, 0}));
}

TEST(Metalize, RateWithoutARunChangesNothing) {
    SoundBuffer low = makeSound(16, 1, std::vector<int>(40, 5), 8000);   // run 0
    SoundBuffer lower = makeSound(16, 1, std::vector<int>(40, 5), 4000); // soft interval 0
    Recorder rec;
    EXPECT_FALSE(metalize(low, true, rec.context()));
    EXPECT_FALSE(metalize(lower, false, rec.context()));
    EXPECT_TRUE(rec.undos.empty());
    EXPECT_EQ(values(low), std::vector<int>(40, 5));
}

TEST(Compressor, HundredPercentChangesNothing) {
    std::vector<int> all;
    for (int b = 0; b < 256; ++b) all.push_back(b);
    SoundBuffer s8 = makeSound8(1, all);
    Recorder rec;
    ASSERT_TRUE(compressor(s8, 40, 100, rec.context()));
    EXPECT_EQ(storedBytes(s8), all);
    SoundBuffer s16 = makeSound(16, 1, {-32768, -10240, -10239, 10240, 32767, 0});
    ASSERT_TRUE(compressor(s16, 40, 100, rec.context()));
    EXPECT_EQ(values(s16), (std::vector<int>{-32768, -10240, -10239, 10240, 32767, 0}));
}

TEST(Compressor, ScalesThePartBeyondTheThreshold) {
    SoundBuffer s16 = makeSound(16, 1, {32767, -20000, -256 * 64, 16383});
    Recorder rec;
    ASSERT_TRUE(compressor(s16, 64, 50, rec.context()));
    EXPECT_EQ(values(s16), (std::vector<int>{24575, -18192, -16384, 16383}));
    SoundBuffer s8 = makeSound8(1, {255, 0, 127 + 63});
    ASSERT_TRUE(compressor(s8, 64, 50, rec.context()));
    EXPECT_EQ(storedBytes(s8), (std::vector<int>{127 + 96, 127 - 95, 127 + 63}));
}

TEST(Compressor, EightBitSignCounts128AsNegative) {
    SoundBuffer s = makeSound8(1, {128, 129});
    Recorder rec;
    ASSERT_TRUE(compressor(s, 1, 0, rec.context()));
    // 128 (x = 1) is taken as below silence: 0 x (1 + 1) div 100 - 1.
    EXPECT_EQ(storedBytes(s), (std::vector<int>{126, 128}));
}

TEST(Compressor, PercentAboveHundredSaturates) {
    SoundBuffer s8 = makeSound8(1, {255, 0});
    Recorder rec;
    ASSERT_TRUE(compressor(s8, 0, 300, rec.context()));
    EXPECT_EQ(storedBytes(s8), (std::vector<int>{255, 0}));
    SoundBuffer s16 = makeSound(16, 1, {30000, -30000});
    ASSERT_TRUE(compressor(s16, 0, 300, rec.context()));
    EXPECT_EQ(values(s16), (std::vector<int>{32767, -32768}));
}

TEST(Distortion, SamplesBeyondThresholdGoToThresholdPlusNoise) {
    std::vector<int> v;
    for (int i = 0; i < 200; ++i) v.push_back(i % 2 ? 120 : -120);
    v.push_back(50);
    SoundBuffer s = makeSound(8, 1, v);
    RandSeed = 99;
    Recorder rec;
    ASSERT_TRUE(distortion(s, 100, 100, rec.context(), false));
    std::vector<int> out = values(s);
    for (int i = 0; i < 200; ++i) {
        const int mag = i % 2 ? out[i] : -out[i];
        EXPECT_GE(mag, 100);
        EXPECT_LE(mag, 126);   // 100 + Random(27)
    }
    EXPECT_EQ(out[200], 50);
}

TEST(Distortion, PercentZeroActsAsOne) {
    std::vector<int> v(100, 30000);
    SoundBuffer a = makeSound(16, 1, v), b = makeSound(16, 1, v);
    Recorder rec;
    RandSeed = 5;
    ASSERT_TRUE(distortion(a, 10, 0, rec.context(), false));
    RandSeed = 5;
    ASSERT_TRUE(distortion(b, 10, 1, rec.context(), false));
    EXPECT_EQ(values(a), values(b));
}

TEST(Distortion, LargePercentStaysInRange) {
    std::vector<int> v;
    for (int i = 0; i < 300; ++i) v.push_back(i % 2 ? 128 : -127);
    SoundBuffer s8 = makeSound(8, 1, v);
    RandSeed = 3;
    Recorder rec;
    ASSERT_TRUE(distortion(s8, 100, 300, rec.context(), false));
    std::vector<int> bytes = storedBytes(s8);
    int saturated = 0;
    for (int i = 0; i < 300; ++i) {
        if (i % 2) {
            EXPECT_GE(bytes[i], 227);
            saturated += bytes[i] == 255;
        } else {
            EXPECT_LE(bytes[i], 27);
        }
    }
    EXPECT_GT(saturated, 0);
    SoundBuffer s16 = makeSound(16, 1, std::vector<int>(50, -32768));
    ASSERT_TRUE(distortion(s16, 100, 300, rec.context(), false));
    for (int x : values(s16)) EXPECT_GE(x, -32767);
}

TEST(Expander, EachSampleUsesItsOwnSign) {
    // The first selected sample is negative; a positive sample still
    // expands away from +threshold.
    SoundBuffer s = makeSound(16, 1, {-5000, 5000, 1000});
    Recorder rec;
    ASSERT_TRUE(expander(s, 10, 100, rec.context()));
    EXPECT_EQ(values(s), (std::vector<int>{-7440, 7440, 1000}));
}

TEST(Expander, ClampsToSymmetricRanges) {
    SoundBuffer s8 = makeSound8(1, {255, 0, 128, 127});
    Recorder rec;
    ASSERT_TRUE(expander(s8, 0, 100, rec.context()));
    EXPECT_EQ(storedBytes(s8), (std::vector<int>{254, 0, 129, 127}));
    SoundBuffer s16 = makeSound(16, 1, {-32768, 20000});
    ASSERT_TRUE(expander(s16, 0, 100, rec.context()));
    EXPECT_EQ(values(s16), (std::vector<int>{-32767, 32767}));
}

TEST(Expander, ZeroPercentChangesNothing) {
    SoundBuffer s = makeSound(16, 1, {-32768, -300, 0, 12345, 32767});
    Recorder rec;
    ASSERT_TRUE(expander(s, 1, 0, rec.context()));
    EXPECT_EQ(values(s), (std::vector<int>{-32767, -300, 0, 12345, 32767}));
}

TEST(Expander, HugePercentSaturatesAwayFromTheThreshold) {
    SoundBuffer s = makeSound(16, 1, {5000, -5000, 1000});
    Recorder rec;
    ASSERT_TRUE(expander(s, 10, INT32_MAX, rec.context()));
    EXPECT_EQ(values(s), (std::vector<int>{32767, -32767, 1000}));
}

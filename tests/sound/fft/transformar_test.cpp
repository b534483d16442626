#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <random>

#include "sound/engine/fft/transformar.h"
#include "tests/sound/fft/fft_test_support.h"

using namespace sv;
using sv::test::amplitudeAt;
using sv::test::makeSound;
using sv::test::StepRecorder;
using sv::test::sampleAt;

namespace {

double mixture(double t, int) {
    return 8000 * std::sin(2 * M_PI * 200 * t) + 8000 * std::sin(2 * M_PI * 1000 * t) +
           8000 * std::sin(2 * M_PI * 9000 * t);
}

// The advanced filter set to let everything through unchanged, so that
// only the framing and the overlap join act.
void passEverything(FftWorkArea& a, int size, int overlap) {
    a.FftSize = size;
    a.OverlapSamples = overlap;
    a.WindowType = kWindowRectangular;
    a.LowCut = 0;
    a.HighCut = 1000000;
    a.FilterAction = kActionBandPass;
}

struct Fixture : ::testing::Test {
    std::unique_ptr<FftWorkArea> area = std::make_unique<FftWorkArea>();
    StepRecorder rec;
};

} // namespace

using FftBandFilters = Fixture;

TEST_F(FftBandFilters, BandPassKeepsTheBandAndRemovesTheRest) {
    SoundBuffer s = makeSound(44100, 16, 1, 44100, mixture);
    ASSERT_TRUE(transformar(s, "paso_banda", 100, 5000, *area, rec.context()));
    // Measure away from the ends of the selection.
    EXPECT_NEAR(amplitudeAt(s, 200, 4410, 39690), 8000, 400);
    EXPECT_NEAR(amplitudeAt(s, 1000, 4410, 39690), 8000, 400);
    EXPECT_LT(amplitudeAt(s, 9000, 4410, 39690), 400);
}

TEST_F(FftBandFilters, LowAndHighPassSplitTheMixture) {
    SoundBuffer low = makeSound(44100, 16, 2, 44100, mixture);
    SoundBuffer high = low;
    ASSERT_TRUE(transformar(low, "paso_bajo", 1, 5000, *area, rec.context()));
    ASSERT_TRUE(transformar(high, "paso_alto", 4000, 0, *area, rec.context()));
    for (int ch : {0, 1}) {
        EXPECT_NEAR(amplitudeAt(low, 1000, 4410, 39690, ch), 8000, 400);
        EXPECT_LT(amplitudeAt(low, 9000, 4410, 39690, ch), 400);
        EXPECT_NEAR(amplitudeAt(high, 9000, 4410, 39690, ch), 8000, 400);
        EXPECT_LT(amplitudeAt(high, 1000, 4410, 39690, ch), 400);
        EXPECT_LT(amplitudeAt(high, 200, 4410, 39690, ch), 400);
    }
}

TEST_F(FftBandFilters, BandStopDeletesOnlyTheBand) {
    SoundBuffer s = makeSound(44100, 16, 1, 44100, mixture);
    area->showDialog = [&](int32_t rate) {
        EXPECT_EQ(rate, 44100);
        area->FftSize = 2048;
        area->OverlapSamples = 1024;
        area->WindowType = kWindowRectangular;
        area->LowCut = 700;
        area->HighCut = 1500;
        area->FilterAction = kActionDelete;
        return 0;
    };
    ASSERT_TRUE(transformar(s, "avanzado", 100, 5000, *area, rec.context()));
    EXPECT_LT(amplitudeAt(s, 1000, 4410, 39690), 400);
    EXPECT_NEAR(amplitudeAt(s, 200, 4410, 39690), 8000, 400);
    EXPECT_NEAR(amplitudeAt(s, 9000, 4410, 39690), 8000, 400);
}

TEST_F(FftBandFilters, BoostAndCutScaleTheBand) {
    auto tone = [](double t, int) { return 4000 * std::sin(2 * M_PI * 150 * t) + 4000 * std::sin(2 * M_PI * 6000 * t); };
    SoundBuffer boost = makeSound(44100, 16, 1, 44100, tone);
    SoundBuffer cut = boost;
    ASSERT_TRUE(transformar(boost, "r_bass", 0, 0, *area, rec.context()));
    ASSERT_TRUE(transformar(cut, "s_bass", 0, 0, *area, rec.context()));
    EXPECT_NEAR(amplitudeAt(boost, 150, 4410, 39690), 6000, 300);
    EXPECT_NEAR(amplitudeAt(cut, 150, 4410, 39690), 4000 / 1.5, 300);
    EXPECT_NEAR(amplitudeAt(boost, 6000, 4410, 39690), 4000, 200);
    EXPECT_NEAR(amplitudeAt(cut, 6000, 4410, 39690), 4000, 200);

    SoundBuffer kara = makeSound(44100, 16, 1, 44100,
                                 [](double t, int) { return 8000 * std::sin(2 * M_PI * 1000 * t); });
    ASSERT_TRUE(transformar(kara, "karaoke", 300, 3400, *area, rec.context()));
    EXPECT_NEAR(amplitudeAt(kara, 1000, 4410, 39690), 1000, 150);
}

using FftOverlapJoin = Fixture;

TEST_F(FftOverlapJoin, SharedSamplesAreCrossFaded) {
    // Blocks of 8 with 4 shared: every shared sample is weighted tail
    // (o - j + 1) / o plus head j / o, which is 5/4 of the input.
    SoundBuffer s = makeSound(8000, 16, 1, 41, [](double, int) { return 100; });
    s.setSelection(0, 40);
    passEverything(*area, 8, 4);
    ASSERT_TRUE(transformar(s, "avanzado", 0, 0, *area, rec.context()));
    // 40 frames, hop 4: 10 blocks, the last one 4 frames long.
    for (int f = 0; f < 4; ++f) EXPECT_EQ(sampleAt(s, f), 100) << f;
    for (int f = 4; f < 40; ++f) EXPECT_EQ(sampleAt(s, f), 125) << f;
    EXPECT_EQ(sampleAt(s, 40), 100);
}

TEST_F(FftOverlapJoin, LastBlockIsPlainAfterItsHead) {
    // 18 frames in blocks of 8 with hop 4: four blocks, the last one 6
    // frames long, faded in over its first 4 and plain after them.
    SoundBuffer s = makeSound(8000, 16, 1, 19, [](double, int) { return 400; });
    s.setSelection(0, 18);
    passEverything(*area, 8, 4);
    ASSERT_TRUE(transformar(s, "avanzado", 0, 0, *area, rec.context()));
    for (int f = 0; f < 18; ++f) EXPECT_EQ(sampleAt(s, f), (f < 4 || f >= 16) ? 400 : 500) << f;
}

TEST_F(FftOverlapJoin, NoOverlapPassesSamplesThrough) {
    std::mt19937 gen(5);
    std::uniform_int_distribution<int> d(-30000, 30000);
    SoundBuffer s = makeSound(44100, 16, 2, 10001, [&](double, int) { return d(gen); });
    const ByteBlock before = s.bytes;
    s.setSelection(0, 10000);
    passEverything(*area, 512, 0);
    ASSERT_TRUE(transformar(s, "avanzado", 0, 0, *area, rec.context()));
    EXPECT_EQ(0, std::memcmp(before.data(), s.bytes.data(), before.size()));
}

TEST_F(FftOverlapJoin, LittleOverlapAddsBlocksInsteadOfReadingPastOne) {
    // 29 frames in blocks of 8 without overlap: 3 blocks would leave a last
    // block of 13 frames; a fourth block takes the last 5.
    BlockPlan p = planBlocks(29, 8, 0);
    EXPECT_EQ(p.blocks, 4);
    EXPECT_EQ(p.lastLength, 5);
    p = planBlocks(34, 8, 1);
    EXPECT_EQ(p.blocks, 5);
    EXPECT_EQ(p.lastLength, 6);
    p = planBlocks(3000, 2048, 1024);
    EXPECT_EQ(p.blocks, 2);
    EXPECT_EQ(p.lastLength, 1976);
    p = planBlocks(100, 2048, 1024);
    EXPECT_EQ(p.blocks, 1);
    EXPECT_EQ(p.lastLength, 100);

    // 4096-point blocks at 10 % overlap over a remainder longer than a block.
    std::mt19937 gen(9);
    std::uniform_int_distribution<int> d(-100, 100);
    SoundBuffer s = makeSound(44100, 8, 1, 3 * 4096 + 3000, [&](double, int) { return d(gen); });
    s.setSelection(0, 3 * 4096 + 2999);
    const ByteBlock before = s.bytes;
    passEverything(*area, 4096, 0);
    ASSERT_TRUE(transformar(s, "avanzado", 0, 0, *area, rec.context()));
    EXPECT_EQ(0, std::memcmp(before.data(), s.bytes.data(), before.size()));
    area->OverlapSamples = 409;
    ASSERT_TRUE(transformar(s, "avanzado", 0, 0, *area, rec.context()));
}

TEST_F(FftOverlapJoin, ProgressPerBlockOverBothChannels) {
    SoundBuffer s = makeSound(44100, 16, 2, 6 * 1024 + 1, [](double, int) { return 0; });
    s.setSelection(0, 6 * 1024);
    ASSERT_TRUE(transformar(s, "paso_bajo", 1, 5000, *area, rec.context()));
    // 6 blocks per channel, 12 steps: reported where the step divides 12.
    const std::vector<std::pair<int64_t, int64_t>> expected = {{1, 12}, {2, 12}, {3, 12}, {4, 12}, {6, 12}, {12, 12}};
    EXPECT_EQ(rec.progress, expected);
}

// The time-domain filters, noise generators, histogram and wavelet
// denoising of the engine, on small sounds built from sample values.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

#include "platform/random.h"
#include "sound/engine/effects/filters.h"
#include "sound/engine/effects/histogram.h"
#include "sound/engine/effects/noise.h"
#include "sound/engine/effects/wavelet.h"
#include "tests/sound/effects/effect_test_util.h"

using namespace sv;
using namespace sv::test;

namespace {

OperationContext none() { return {}; }

} // namespace

// ---- three-value helpers ----

TEST(FilterHelpers, TiesKeepTheFirstByPosition) {
    EXPECT_EQ(MedianOf3(1, 5, 3), 3);
    EXPECT_EQ(MedianOf3(7, 7, 1), 7);
    EXPECT_EQ(LargestMagnitudeOf3(-5, 5, 2), -5);
    EXPECT_EQ(LargestMagnitudeOf3(1, -9, 9), -9);
    EXPECT_EQ(SmallestMagnitudeOf3(4, -2, 2), -2);
    EXPECT_EQ(SmallestMagnitudeOf3(3, 1, -1), 1);
}

// ---- median family and average ----

TEST(MedianFilters, RampKeptSpikeRemovedEndsByTheirOwnRule) {
    SoundBuffer ramp = makeSound(16, 1, {1, 2, 3, 4, 5});
    ASSERT_TRUE(medianFilter(ramp, none()));
    EXPECT_EQ(values(ramp), (std::vector<int>{1, 2, 3, 4, 5}));

    SoundBuffer spike = makeSound(16, 1, {0, 0, 900, 0, 0});
    medianFilter(spike, none());
    EXPECT_EQ(values(spike), (std::vector<int>{0, 0, 0, 0, 0}));

    // Stereo: each channel on its own.
    SoundBuffer st = makeSound(8, 2, {0, 50, 90, 50, 0, 50, 0, -50});
    medianFilter(st, none());
    EXPECT_EQ(values(st), (std::vector<int>{0, 50, 0, 50, 0, 50, 0, -50}));

    // One frame: median of itself.
    SoundBuffer one = makeSound(8, 1, {40});
    medianFilter(one, none());
    EXPECT_EQ(values(one), (std::vector<int>{40}));
}

TEST(MedianFilters, ImprovedMedianKeepsSmallSpikesAndAlwaysFiltersTheLast) {
    SoundBuffer s = makeSound8(1, {127, 137, 127, 127, 138, 127, 127});
    improvedMedianFilter(s, none());
    EXPECT_EQ(storedBytes(s), (std::vector<int>{127, 137, 127, 127, 127, 127, 127}));

    SoundBuffer w = makeSound(16, 1, {0, 2580, 0, 2581, 0, 100, 0});
    improvedMedianFilter(w, none());
    EXPECT_EQ(values(w), (std::vector<int>{0, 2580, 0, 0, 0, 100, 0}));
}

TEST(AverageFilter, RecursiveOnStoredValuesWithSilenceAtBothEnds) {
    SoundBuffer silence8 = makeSound8(1, {127, 127, 127, 127});
    averageFilter(silence8, none());
    EXPECT_EQ(storedBytes(silence8), (std::vector<int>{127, 127, 127, 127}));

    SoundBuffer s = makeSound8(1, {0, 30, 60});
    averageFilter(s, none());
    // (127+0+30)/3=52, (52+30+60)/3=47, (47+60+127)/3=78
    EXPECT_EQ(storedBytes(s), (std::vector<int>{52, 47, 78}));

    SoundBuffer n = makeSound(16, 1, {-10, -11, 4});
    averageFilter(n, none());
    // (0-10-11)/3=-7 (toward zero), (-7-11+4)/3=-4, (-4+4)/3=0
    EXPECT_EQ(values(n), (std::vector<int>{-7, -4, 0}));

    SoundBuffer one = makeSound8(1, {200});
    averageFilter(one, none());
    EXPECT_EQ(storedBytes(one), (std::vector<int>{(127 + 200 + 127) / 3}));
}

// ---- top hat, edge, difference ----

TEST(OtherNeighbourhoodFilters, TopHatKeepsConstantsAndSmoothsAnIsolatedPeak) {
    SoundBuffer c = makeSound(16, 2, std::vector<int>(40, 300));
    Recorder r;
    auto ctx = r.context();
    ASSERT_TRUE(topHatFilter(c, ctx));
    EXPECT_EQ(values(c), std::vector<int>(40, 300));
    EXPECT_EQ(r.steps(), (std::vector<int64_t>{1, 2, 3}));
    ASSERT_EQ(r.undos.size(), 1u);
    EXPECT_EQ(r.undos[0].words, "Top hat filter");

    // The opening removes a one-sample peak; the peak takes the median of
    // its successor, itself and the previous output.
    SoundBuffer p = makeSound(16, 1, {10, 10, 500, 10, 10, 10});
    topHatFilter(p, none());
    EXPECT_EQ(values(p), (std::vector<int>{10, 10, 10, 10, 10, 10}));
}

TEST(OtherNeighbourhoodFilters, EdgeEnhancementAndDifference) {
    SoundBuffer e = makeSound(16, 1, {10, 20, 30, 40});
    edgeEnhancement(e, none());
    // y0 = 0-0-10, y1 = 30-0-20, y2 = 60-10-30; last kept.
    EXPECT_EQ(values(e), (std::vector<int>{-10, 10, 20, 40}));
    SoundBuffer big = makeSound8(1, {0, 255, 0, 9});
    edgeEnhancement(big, none());
    EXPECT_EQ(storedBytes(big), (std::vector<int>{254, 0, 255, 9}));

    SoundBuffer d = makeSound8(1, {150, 150, 150, 150});
    differenceFilter(d, none());
    EXPECT_EQ(storedBytes(d), (std::vector<int>{150, 127, 127, 127}));
    // Wraps instead of clamping.
    SoundBuffer wrap = makeSound(16, 1, {-30000, 30000});
    differenceFilter(wrap, none());
    EXPECT_EQ(values(wrap), (std::vector<int>{-30000, int(int16_t(60000))}));
}

// ---- customised filter and quantiser ----

TEST(CustomizedFilter, SevenTapsLeaveTheEdgesAndHonourFeedback) {
    std::vector<int> in = {0, 0, 0, 100, 0, 0, 0, 0, 0, 0};
    const std::array<double, 7> w = {0, 0, 0.25, 0.5, 0.25, 0, 0};
    SoundBuffer s = makeSound(16, 1, in);
    ASSERT_TRUE(customizedFilter(s, w, false, none()));
    // Outputs at k = 3..5 only (L - 7 = 3 of them).
    EXPECT_EQ(values(s), (std::vector<int>{0, 0, 0, 50, 25, 0, 0, 0, 0, 0}));

    SoundBuffer f = makeSound(16, 1, in);
    customizedFilter(f, w, true, none());
    // k=3: 50, fed back; k=4: 0.25*50 = 12.5 -> 12 (half to even).
    EXPECT_EQ(values(f), (std::vector<int>{0, 0, 0, 50, 12, 3, 0, 0, 0, 0}));

    SoundBuffer loud = makeSound8(1, {0, 0, 0, 255, 0, 0, 0, 0, 0});
    customizedFilter(loud, {0, 0, 0, 2, 0, 0, 0}, false, none());
    EXPECT_EQ(storedBytes(loud)[3], 254);   // clamped to +127

    SoundBuffer seven = makeSound(16, 1, std::vector<int>(7, 5));
    Recorder r;
    EXPECT_FALSE(customizedFilter(seven, w, false, r.context()));
    EXPECT_TRUE(r.undos.empty());
}

TEST(Quantizer, TruncatesTowardZeroAndRefusesAZeroStep) {
    SoundBuffer s = makeSound8(1, {200, 50, 127});
    ASSERT_TRUE(quantize(s, 64, none()));
    EXPECT_EQ(storedBytes(s), (std::vector<int>{191, 63, 127}));
    SoundBuffer one = makeSound(16, 2, {-32768, 5, 7, -7});
    quantize(one, 1, none());
    EXPECT_EQ(values(one), (std::vector<int>{-32768, 5, 7, -7}));
    SoundBuffer w = makeSound(16, 1, {-1001, 1001});
    quantize(w, 1000, none());
    EXPECT_EQ(values(w), (std::vector<int>{-1000, 1000}));
    Recorder r;
    EXPECT_FALSE(quantize(w, 0, r.context()));
    EXPECT_TRUE(r.undos.empty());
}

TEST(FilterContract, EmptySelectionAndFailedUndoChangeNothing) {
    SoundBuffer s = makeSound(16, 1, {0, 900, 0});
    s.setSelection(1, 0);
    Recorder r;
    EXPECT_FALSE(medianFilter(s, r.context()));
    s.setSelection(0, 3);
    r.undoFails = true;
    EXPECT_FALSE(medianFilter(s, r.context()));
    EXPECT_EQ(values(s), (std::vector<int>{0, 900, 0}));
    // Only the selection is touched.
    SoundBuffer part = makeSound(16, 1, {0, 900, 0, 900, 0, 0});
    part.setSelection(2, 3);
    medianFilter(part, none());
    EXPECT_EQ(values(part), (std::vector<int>{0, 900, 0, 0, 0, 0}));
}

// ---- noise ----

TEST(Noise, SeededRunsRepeatAndStayInRange) {
    auto run = [](auto fn) {
        SoundBuffer s = makeSound(16, 2, std::vector<int>(4000, 32000));
        RandSeed = 1234;
        fn(s);
        return values(s);
    };
    for (int kind = 0; kind < 4; ++kind) {
        SCOPED_TRACE(kind);
        auto apply = [kind](SoundBuffer& s) {
            switch (kind) {
            case 0: return uniformNoise(s, {}, false);
            case 1: return gaussianNoise(s, 1000, {}, false);
            case 2: return speckleNoise(s, 1000, {}, false);
            default: return pinkNoise(s, 1000, {}, false);
            }
        };
        const auto a = run(apply), b = run(apply);
        EXPECT_EQ(a, b);
        ASSERT_EQ(a.size(), 4000u);
        EXPECT_NE(a, std::vector<int>(4000, 32000));
        // Impulses are sparse: most samples keep their value.
        int kept = 0;
        for (int v : a) kept += v == 32000;
        EXPECT_GT(kept, 4000 / 2);
    }
}

TEST(Noise, EightBitClampsAndSpeckleLeavesSilence) {
    SoundBuffer s = makeSound8(1, std::vector<int>(3000, 250));
    RandSeed = 7;
    ASSERT_TRUE(gaussianNoise(s, 1000, {}, false));
    for (int b : storedBytes(s)) ASSERT_LE(b, 255);
    SoundBuffer quiet = makeSound8(2, std::vector<int>(3000, 127));
    ASSERT_TRUE(speckleNoise(quiet, 1000, {}, false));
    EXPECT_EQ(storedBytes(quiet), std::vector<int>(3000, 127));
}

TEST(Noise, WalkEndsBeforeTheFirstGapAndClosesTheBar) {
    SoundBuffer s = makeSound(16, 1, {0});
    // A seed whose first gap is not 0.
    for (uint32_t seed = 1;; ++seed) {
        RandSeed = seed;
        if (Random(20) != 0) { RandSeed = seed; break; }
    }
    Recorder r;
    ASSERT_TRUE(uniformNoise(s, r.context(), false));
    EXPECT_EQ(values(s), (std::vector<int>{0}));
    ASSERT_FALSE(r.progress.empty());
    EXPECT_EQ(r.progress.back(), std::make_pair(int64_t(1), int64_t(1)));
    EXPECT_EQ(r.undos[0].words, "Add noise");
}

TEST(Noise, GaussianValuesHaveTheAskedSpread) {
    RandSeed = 99;
    double sum = 0, sq = 0;
    const int n = 20000;
    for (int i = 0; i < n; ++i) {
        const double g = gaussianValue(10);
        sum += g;
        sq += g * g;
    }
    EXPECT_NEAR(sum / n, 0, 0.5);
    EXPECT_NEAR(std::sqrt(sq / n), 10, 0.5);
}

// ---- histogram ----

TEST(Histogram, CountsMeanAndVariance) {
    SoundBuffer s = makeSound(16, 2, {-32768, -32767, 32767, 0});
    const HistogramStats st = histogram(s);
    EXPECT_EQ(HistogramTable[0], 2);
    EXPECT_EQ(HistogramTable[255], 1);
    EXPECT_EQ(HistogramTable[127], 1);
    EXPECT_EQ(st.count, 4);
    EXPECT_DOUBLE_EQ(st.mean, (-32768 - 32767 + 32767) / 4.0);

    SoundBuffer e = makeSound8(1, {100, 100, 110, 110});
    const HistogramStats h = histogram(e);
    EXPECT_EQ(HistogramTable[100], 2);
    EXPECT_EQ(HistogramTable[110], 2);
    EXPECT_DOUBLE_EQ(h.mean, 105);
    EXPECT_DOUBLE_EQ(h.variance, 25);

    e.setSelection(0, 0);
    histogram(e);
    for (int32_t c : HistogramTable) ASSERT_EQ(c, 0);
}

// ---- wavelet ----

TEST(Wavelet, TransformRoundTripsAndThresholdsShrinkTowardZero) {
    std::vector<double> a(64), orig(64);
    for (int i = 0; i < 64; ++i) orig[i] = a[i] = std::sin(i * 0.3) * 100 + i;
    wt1(a.data(), 64, 1);
    wt1(a.data(), 64, -1);
    for (int i = 0; i < 64; ++i) ASSERT_NEAR(a[i], orig[i], 1e-9);

    double c[4] = {-5, 2, 9, -1};
    thresholdCoefficients(c, 4, kWaveletSoft, 3);
    EXPECT_EQ(std::vector<double>(c, c + 4), (std::vector<double>{-5, 0, 9, 0}));
    double h[4] = {-5, 2, 9, -1};
    thresholdCoefficients(h, 4, kWaveletHard, 3);
    EXPECT_EQ(std::vector<double>(h, h + 4), (std::vector<double>{-2, 0, 6, 0}));
}

TEST(Wavelet, DenoisesInBlocksAndKeepsTheLastFrameOfAWholeSound) {
    // Fine alternation well below 1 % of full scale (327) goes.
    std::vector<int> noise;
    for (int i = 0; i < 5000; ++i) noise.push_back(i % 2 ? 40 : -40);
    SoundBuffer s = makeSound(16, 1, noise);
    Recorder r;
    ASSERT_TRUE(wavelet(s, kWaveletSoft, 1.0, r.context()));
    EXPECT_TRUE(r.undos.empty());   // the window takes the step
    EXPECT_EQ(s.selectionLength, 4999);
    const auto out = values(s);
    EXPECT_EQ(out.back(), noise.back());
    double rms = 0;
    for (int i = 1000; i < 4000; ++i) rms += double(out[i]) * out[i];
    EXPECT_LT(std::sqrt(rms / 3000), 4);
    EXPECT_EQ(r.progress.back().first, r.progress.back().second);

    // A loud slow sine passes a small threshold nearly as it is.
    std::vector<int> sine;
    for (int i = 0; i < 5000; ++i) sine.push_back(int(8000 * std::sin(i * 0.01)));
    SoundBuffer t = makeSound(16, 2, sine);
    t.setSelection(0, 2400);
    wavelet(t, kWaveletHard, 0.01, {});
    const auto kept = values(t);
    // (The join weights add up to 513/512: 1/512 more where blocks meet.)
    for (int i = 400; i < 4000; ++i) ASSERT_NEAR(kept[i], sine[i], std::abs(sine[i]) / 512.0 + 10) << i;

    // Threshold 0 keeps a block's samples (up to rounding of the join).
    SoundBuffer same = makeSound8(2, std::vector<int>(600, 140));
    same.setSelection(0, 300);
    wavelet(same, kWaveletHard, 0.0, {});
    for (int b : storedBytes(same)) ASSERT_NEAR(b, 140, 1);
}

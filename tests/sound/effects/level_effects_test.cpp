// Normalise, amplify, fades, silence, channel swap, polarity, reverse,
// travelling stereo and offset removal on short known signals.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>

#include "sound/engine/effects/amplitude.h"
#include "tests/sound/effects/effect_test_util.h"

using namespace sv;
using namespace sv::test;

TEST(Normalise, LoudestSampleInRightChannelReachesFullScale) {
    SoundBuffer s = makeSound(16, 2, {100, -200, 50, 1000});
    Recorder rec;
    ASSERT_TRUE(normalise(s, rec.context()));
    // g = 32767 / 1000, truncated toward zero.
    EXPECT_EQ(values(s), (std::vector<int>{3276, -6553, 1638, 32767}));
}

TEST(Normalise, EightBitAroundSilenceAt127) {
    SoundBuffer s = makeSound8(1, {127, 137, 117, 132});
    Recorder rec;
    ASSERT_TRUE(normalise(s, rec.context()));
    EXPECT_EQ(storedBytes(s), (std::vector<int>{127, 254, 0, 127 + 63}));
}

TEST(Normalise, TopByteGivesFactorBelowOne) {
    // 255 is +128 relative to 127: the factor is 127/128.
    SoundBuffer s = makeSound8(2, {255, 0, 127, 191});
    Recorder rec;
    ASSERT_TRUE(normalise(s, rec.context()));
    EXPECT_EQ(values(s), (std::vector<int>{127, -126, 0, 63}));
}

TEST(Normalise, SilenceStaysSilentAndMinus32768IsInRange) {
    SoundBuffer quiet = makeSound8(1, {127, 127, 127});
    Recorder rec;
    ASSERT_TRUE(normalise(quiet, rec.context()));
    EXPECT_EQ(storedBytes(quiet), (std::vector<int>{127, 127, 127}));
    SoundBuffer loud = makeSound(16, 1, {-32768, 16384, 32767});
    ASSERT_TRUE(normalise(loud, rec.context()));
    EXPECT_EQ(values(loud), (std::vector<int>{-32767, 16383, 32766}));
}

TEST(Amplify, DoublingClampsToTheNamedRanges) {
    SoundBuffer s8 = makeSound8(1, {250, 0, 127, 140});
    Recorder rec;
    ASSERT_TRUE(amplify(s8, 200, rec.context()));
    EXPECT_EQ(storedBytes(s8), (std::vector<int>{255, 0, 127, 153}));
    SoundBuffer s16 = makeSound(16, 2, {-20000, 20000, -32768, 3});
    ASSERT_TRUE(amplify(s16, 200, rec.context()));
    EXPECT_EQ(values(s16), (std::vector<int>{-32767, 32767, -32767, 6}));
}

TEST(Amplify, HalfTruncatesTowardZero) {
    SoundBuffer s = makeSound(16, 1, {-3, 3, -32768, 7});
    Recorder rec;
    ASSERT_TRUE(amplify(s, 50, rec.context()));
    EXPECT_EQ(values(s), (std::vector<int>{-1, 1, -16384, 3}));
}

TEST(Amplify, HundredPercentIsNothingToDo) {
    SoundBuffer s = makeSound(16, 1, {1, 2});
    Recorder rec;
    EXPECT_FALSE(amplify(s, 100, rec.context()));
    EXPECT_TRUE(rec.undos.empty());
}

TEST(Fade, LinearFadeInFromZero) {
    SoundBuffer s = makeSound(16, 1, std::vector<int>(100, 10000));
    Recorder rec;
    ASSERT_TRUE(fadeIn(s, 0, kFadeLinear, rec.context()));
    std::vector<int> v = values(s);
    EXPECT_EQ(v[0], 0);
    for (int i = 1; i < 100; ++i) EXPECT_NEAR(v[i], 100 * i, 1) << i;
    EXPECT_NEAR(v[99], 9900, 1);
}

TEST(Fade, FadeOutEndsNearTheFinalLevelAndStartsUntouched) {
    SoundBuffer s = makeSound(16, 1, std::vector<int>(50, -20000));
    Recorder rec;
    ASSERT_TRUE(fadeOut(s, 50, kFadeLinear, rec.context()));
    std::vector<int> v = values(s);
    EXPECT_EQ(v[0], -20000);
    EXPECT_NEAR(v[49], -10200, 1);
    for (int i = 1; i < 50; ++i) EXPECT_GE(v[i], v[i - 1]);
}

TEST(Fade, StereoChannelsShareTheInterleavedRamp) {
    SoundBuffer s = makeSound(16, 2, std::vector<int>(8, 8000));
    Recorder rec;
    ASSERT_TRUE(fadeIn(s, 0, kFadeLinear, rec.context()));
    std::vector<int> v = values(s);
    // The level moves per sample, so left and right of a frame differ.
    EXPECT_EQ(v[0], 0);
    EXPECT_EQ(v[1], 1000);
    EXPECT_EQ(v[7], 7000);
}

TEST(Fade, CurvesFollowTheirFormulas) {
    SoundBuffer e = makeSound(16, 1, {10000, 10000});
    Recorder rec;
    ASSERT_TRUE(fadeIn(e, 0, kFadeExponential, rec.context()));
    EXPECT_EQ(values(e)[0], 0);
    EXPECT_EQ(values(e)[1], int(10000 * (std::exp(2.5) - 1) / std::exp(5.0)));
    SoundBuffer l = makeSound(16, 1, {10000, 10000});
    ASSERT_TRUE(fadeIn(l, 0, kFadeLogarithm, rec.context()));
    EXPECT_EQ(values(l)[1], int(10000 * std::log(51.0) / std::log(100.0)));
}

TEST(Fade, LogarithmicCurveSaturatesInsteadOfWrapping) {
    SoundBuffer s = makeSound(16, 1, {32767, -32768, 32767, 32767});
    Recorder rec;
    ASSERT_TRUE(fadeOut(s, 0, kFadeLogarithm, rec.context()));
    std::vector<int> v = values(s);
    EXPECT_EQ(v[0], 32767);   // 32767 x ln 101 / ln 100 would be 32838
    EXPECT_LT(v[1], 0);
    SoundBuffer s8 = makeSound8(1, {255, 0});
    ASSERT_TRUE(fadeOut(s8, 0, kFadeLogarithm, rec.context()));
    EXPECT_EQ(storedBytes(s8)[0], 255);
}

TEST(Fade, HundredIsCancelAndPercentIsClamped) {
    SoundBuffer s = makeSound(16, 1, std::vector<int>(4, 1000));
    Recorder rec;
    EXPECT_FALSE(fadeIn(s, 100, kFadeLinear, rec.context()));
    EXPECT_FALSE(fadeOut(s, 250, kFadeLinear, rec.context()));
    EXPECT_TRUE(rec.undos.empty());
    ASSERT_TRUE(fadeIn(s, -40, kFadeLinear, rec.context()));
    EXPECT_EQ(values(s)[0], 0);
}

TEST(Fade, UnknownCurveLeavesSamplesButIsAStep) {
    SoundBuffer s = makeSound(16, 1, {5, 6, 7});
    Recorder rec;
    ASSERT_TRUE(fadeIn(s, 0, 7, rec.context()));
    EXPECT_EQ(values(s), (std::vector<int>{5, 6, 7}));
    EXPECT_EQ(rec.undos.size(), 1u);
}

TEST(ForceSilence, SilenceIs127And0) {
    SoundBuffer s8 = makeSound8(2, {0, 255, 3, 4, 9, 9});
    s8.setSelection(1, 1);
    Recorder rec;
    ASSERT_TRUE(forceSilence(s8, rec.context()));
    EXPECT_EQ(storedBytes(s8), (std::vector<int>{0, 255, 127, 127, 9, 9}));
    SoundBuffer s16 = makeSound(16, 1, {-5, 6, 7});
    ASSERT_TRUE(forceSilence(s16, rec.context()));
    EXPECT_EQ(values(s16), (std::vector<int>{0, 0, 0}));
}

TEST(SwapChannels, SwapsEachFrameAndNeedsStereo) {
    SoundBuffer s8 = makeSound8(2, {1, 2, 3, 4});
    Recorder rec;
    ASSERT_TRUE(swapChannels(s8, rec.context()));
    EXPECT_EQ(storedBytes(s8), (std::vector<int>{2, 1, 4, 3}));
    SoundBuffer s16 = makeSound(16, 2, {-300, 400, 32767, -32768});
    ASSERT_TRUE(swapChannels(s16, rec.context()));
    EXPECT_EQ(values(s16), (std::vector<int>{400, -300, -32768, 32767}));
    SoundBuffer mono = makeSound(16, 1, {1, 2});
    EXPECT_FALSE(swapChannels(mono, rec.context()));
}

TEST(InvertPolarity, EightBitComplementAndSixteenBitNegation) {
    SoundBuffer s8 = makeSound8(1, {127, 0, 255, 128});
    Recorder rec;
    ASSERT_TRUE(invertPolarity(s8, rec.context()));
    EXPECT_EQ(storedBytes(s8), (std::vector<int>{128, 255, 0, 127}));
    SoundBuffer s16 = makeSound(16, 2, {5, -5, -32768, 32767});
    ASSERT_TRUE(invertPolarity(s16, rec.context()));
    EXPECT_EQ(values(s16), (std::vector<int>{-5, 5, 32767, -32767}));
}

TEST(Reverse, OddCountKeepsTheMiddleAndFramesStayWhole) {
    SoundBuffer m = makeSound(16, 1, {1, 2, 3, 4, 5});
    Recorder rec;
    ASSERT_TRUE(reverse(m, rec.context()));
    EXPECT_EQ(values(m), (std::vector<int>{5, 4, 3, 2, 1}));
    SoundBuffer st = makeSound(16, 2, {1, -1, 2, -2, 3, -3, 4, -4});
    st.setSelection(1, 3);
    ASSERT_TRUE(reverse(st, rec.context()));
    EXPECT_EQ(values(st), (std::vector<int>{1, -1, 4, -4, 3, -3, 2, -2}));
    SoundBuffer s8 = makeSound8(2, {10, 20, 30, 40});
    ASSERT_TRUE(reverse(s8, rec.context()));
    EXPECT_EQ(storedBytes(s8), (std::vector<int>{30, 40, 10, 20}));
}

TEST(TravellingStereo, LeftToRightMovesTheGainsPerFrame) {
    SoundBuffer s = makeSound(16, 2, std::vector<int>(8, 1000));
    Recorder rec;
    ASSERT_TRUE(travellingStereo(s, 0, 0, rec.context()));
    EXPECT_EQ(values(s), (std::vector<int>{1000, 0, 750, 250, 500, 500, 250, 750}));
}

TEST(TravellingStereo, RightToLeftStartsFromThePercent) {
    SoundBuffer s = makeSound8(2, {227, 227, 227, 227});
    Recorder rec;
    ASSERT_TRUE(travellingStereo(s, 1, 50, rec.context()));
    // Left starts at 0.5 and rises by 0.25; right starts at 1 and falls.
    EXPECT_EQ(values(s), (std::vector<int>{50, 100, 75, 75}));
}

TEST(TravellingStereo, HundredOrCancelChangesNothing) {
    SoundBuffer s = makeSound(16, 2, {1, 2, 3, 4});
    Recorder rec;
    EXPECT_FALSE(travellingStereo(s, 0, 100, rec.context()));
    EXPECT_FALSE(travellingStereo(s, 0, 101, rec.context()));
    SoundBuffer mono = makeSound(16, 1, {1, 2});
    EXPECT_FALSE(travellingStereo(mono, 0, 10, rec.context()));
    EXPECT_TRUE(rec.undos.empty());
    EXPECT_EQ(values(s), (std::vector<int>{1, 2, 3, 4}));
}

TEST(RemoveOffset, StereoEightBitAt137BecomesSilence) {
    SoundBuffer s = makeSound8(2, std::vector<int>(10, 137));
    Recorder rec;
    ASSERT_TRUE(removeOffset(s, rec.context()));
    EXPECT_EQ(storedBytes(s), std::vector<int>(10, 127));
}

TEST(RemoveOffset, OffsetTruncatesTowardZeroAndClamps) {
    // Sum -7 over 2 samples: offset -3.
    SoundBuffer s = makeSound(16, 1, {-8, 1});
    Recorder rec;
    ASSERT_TRUE(removeOffset(s, rec.context()));
    EXPECT_EQ(values(s), (std::vector<int>{-5, 4}));
    // Offset 16381: -32768 stays at -32768, which this effect may write.
    SoundBuffer c = makeSound(16, 1, {32767, 32767, -32768, 32760});
    ASSERT_TRUE(removeOffset(c, rec.context()));
    EXPECT_EQ(values(c), (std::vector<int>{16386, 16386, -32768, 16379}));
    SoundBuffer b = makeSound8(1, {0, 255, 255, 255});
    ASSERT_TRUE(removeOffset(b, rec.context()));
    EXPECT_EQ(storedBytes(b)[0], 0);
}

TEST(RemoveOffset, SumDoesNotOverflowThirtyTwoBits) {
    // 70000 x 32767 is beyond INT32_MAX.
    std::vector<int> v(70000, 32767);
    v.push_back(32767 - 70001);
    SoundBuffer s = makeSound(16, 1, v);
    Recorder rec;
    ASSERT_TRUE(removeOffset(s, rec.context()));
    // Sum = 70001 x 32767 - 70001: offset 32766.
    EXPECT_EQ(values(s)[0], 1);
}

// The wide scaling kernel against plain integer arithmetic, for every 16-bit
// value and the factors normalise and amplify use.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "sound/engine/effects/amplitude.h"
#include "sound/engine/effects/scale_kernel.h"
#include "tests/sound/effects/effect_test_util.h"

using namespace sv;

namespace {
std::vector<int16_t> everyValue() {
    std::vector<int16_t> v(65536 + 5);   // a tail that is not a whole block
    for (size_t i = 0; i < v.size(); ++i) v[i] = int16_t(uint16_t(i * 40503u));
    return v;
}
}

TEST(ScaleKernel, ExactForEveryValue) {
    if (!fx::wideScaleAvailable()) GTEST_SKIP() << "no wide kernel on this processor";
    struct Case { int64_t num, den; int lo, hi; };
    const Case cases[] = {{32767, 1, -32768, 32767},     {32767, 3, -32768, 32767},  {32767, 49, -32768, 32767},
                          {32767, 12345, -32768, 32767}, {32767, 32768, -32768, 32767}, {29, 100, -32767, 32767},
                          {110, 100, -32767, 32767},     {350, 100, -32767, 32767},  {1, 100, -32767, 32767},
                          {-75, 100, -32767, 32767},     {2000000000, 100, -32767, 32767}};
    for (const Case& c : cases) {
        std::vector<int16_t> v = everyValue();
        const std::vector<int16_t> before = v;
        fx::scaleSamples16(reinterpret_cast<uint8_t*>(v.data()), int64_t(v.size()), c.num, c.den, c.lo, c.hi);
        for (size_t i = 0; i < v.size(); ++i) {
            const int64_t want = std::clamp<int64_t>(int64_t(before[i]) * c.num / c.den, c.lo, c.hi);
            ASSERT_EQ(v[i], want) << before[i] << " x " << c.num << " / " << c.den;
        }
    }
}

TEST(ScaleKernel, AmplifyGivesWholeResultsExactly) {
    // 0.29 x 100 is 28.999... in doubles; the gain is applied exactly.
    test::Recorder rec;
    SoundBuffer s16 = test::makeSound(16, 1, std::vector<int>(40, 100));
    ASSERT_TRUE(amplify(s16, 29, rec.context()));
    EXPECT_EQ(test::values(s16), std::vector<int>(40, 29));
    SoundBuffer s8 = test::makeSound(8, 1, {100});
    ASSERT_TRUE(amplify(s8, 29, rec.context()));
    EXPECT_EQ(test::values(s8)[0], 29);
}

TEST(ScaleKernel, NormaliseAlwaysReachesFullScale) {
    // (32767 / 49) x 49 is just below 32767 in doubles.
    test::Recorder rec;
    std::vector<int> v(37, 10);
    v[20] = -49;
    SoundBuffer s = test::makeSound(16, 2, std::vector<int>(v.begin(), v.begin() + 36));
    ASSERT_TRUE(normalise(s, rec.context()));
    EXPECT_EQ(test::values(s)[20], -32767);
    EXPECT_EQ(test::values(s)[0], 10 * 32767 / 49);
}

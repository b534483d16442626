// Long jobs keep the progress bar moving: besides the divisors of the
// count, every 128th part of a long count is reported, in order, once.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>

#include "sound/engine/edit_progress.h"
#include "sound/engine/effects/amplitude.h"
#include "sound/engine/effects/time_effects.h"
#include "sound/engine/fft/transformar.h"
#include "tests/sound/fft/fft_test_support.h"

using namespace sv;

namespace {

// Reported steps strictly ascending, the last one the whole count, and no
// gap wider than a 128th part of it (plus rounding).
void expectSteady(const std::vector<std::pair<int64_t, int64_t>>& p, int64_t minReports) {
    ASSERT_GE(int64_t(p.size()), minReports);
    const int64_t n = p.back().second;
    EXPECT_EQ(p.back().first, n);
    int64_t last = 0;
    for (const auto& [j, total] : p) {
        EXPECT_EQ(total, n);
        EXPECT_GT(j, last);
        EXPECT_LE(j - last, n / 128 + n % 128 + 1);
        last = j;
    }
}

} // namespace

TEST(SteadyProgress, APrimeCountStillReportsEvery128thPart) {
    const int64_t n = 131101;   // prime, above the threshold
    const std::vector<int64_t> steps = progressSteps(n);
    int64_t due = 0;
    for (int64_t j = 1; j <= n; ++j) due += progressDue(j, n);
    EXPECT_EQ(due, int64_t(steps.size()));
    for (int64_t j : steps) EXPECT_TRUE(progressDue(j, n));
    EXPECT_EQ(steps.front(), 1);
    EXPECT_EQ(steps.back(), n);
    EXPECT_GE(steps.size(), 129u);
    // Short counts keep exactly the divisors.
    EXPECT_EQ(progressSteps(12), (std::vector<int64_t>{1, 2, 3, 4, 6, 12}));
}

TEST(SteadyProgress, LongEffectsOverThreadsReportInOrder) {
    test::StepRecorder rec;
    SoundBuffer s = test::makeSound(44100, 16, 1, 131101, [](double t, int) { return 9000 * std::sin(2000 * t); });
    ASSERT_TRUE(amplify(s, 50, rec.context()));
    expectSteady(rec.progress, 129);

    test::StepRecorder speed;
    SoundBuffer g = test::makeSound(44100, 16, 2, 150001, [](double t, int c) { return 9000 * std::sin(900 * t + c); });
    ASSERT_TRUE(changeSpeed(g, 150001 * 3 / 2, false, true, speed.context()));
    expectSteady(speed.progress, 129);
}

TEST(SteadyProgress, LongSpectralRunsReportEvery128thPartOfTheirBlocks) {
    // 613 blocks per channel: 1226 steps, whose divisors alone would leave
    // the bar still from half way to the end.
    test::StepRecorder rec;
    SoundBuffer s = test::makeSound(11025, 16, 2, 613 * 1024 + 5, [](double t, int c) { return 7000 * std::sin(3000 * t + c); });
    s.setSelection(0, 613 * 1024);
    auto area = std::make_unique<FftWorkArea>();
    ASSERT_TRUE(transformar(s, "paso_bajo", 1, 3000, *area, rec.context()));
    expectSteady(rec.progress, 129);
}

// Normalise and amplify cut long selections over the cores: every sample
// must still get trunc(x x num / den) within its clamp, the peak must be the
// whole selection's (here in its last run), and the progress steps must be
// those of one walk.
TEST(SteadyProgress, LongLevelEffectsOverThreadsMatchOneWalk) {
    const int64_t frames = 1500007;
    SoundBuffer s = test::makeSound(44100, 16, 2, frames, [](double t, int c) { return 20000 * std::sin(300 * t + c); });
    int16_t loud = -23456;
    std::memcpy(s.frame(frames - 5) + 2, &loud, 2);
    s.setSelection(5, frames - 9);
    const SoundBuffer before = s;
    auto sample = [](const SoundBuffer& b, int64_t i) {
        int16_t v;
        std::memcpy(&v, b.bytes.data() + 2 * i, 2);
        return int64_t(v);
    };
    test::StepRecorder amp;
    ASSERT_TRUE(amplify(s, 170, amp.context()));
    const int64_t first = 5 * 2, last = (frames - 4) * 2;
    for (int64_t i = 0; i < frames * 2; ++i) {
        const int64_t x = sample(before, i);
        const int64_t want = i >= first && i < last ? std::clamp<int64_t>(x * 170 / 100, -32767, 32767) : x;
        ASSERT_EQ(sample(s, i), want) << i;
    }
    std::vector<std::pair<int64_t, int64_t>> oneWalk;
    for (int64_t j : progressSteps(last - first)) oneWalk.emplace_back(j, last - first);
    EXPECT_EQ(amp.progress, oneWalk);

    SoundBuffer n = before;
    test::StepRecorder norm;
    ASSERT_TRUE(normalise(n, norm.context()));
    for (int64_t i = first; i < last; ++i) ASSERT_EQ(sample(n, i), sample(before, i) * 32767 / 23456) << i;
    EXPECT_EQ(norm.progress, oneWalk);
}

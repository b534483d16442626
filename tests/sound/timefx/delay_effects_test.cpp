// Reverb, flanger and chorus on small sounds.
#include <gtest/gtest.h>

#include <cmath>

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

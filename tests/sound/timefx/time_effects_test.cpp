// The time, rate and delay effects on small sounds: the samples they write,
// the undo steps they ask for, and that undo gives back the sound.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <unistd.h>

#include "sound/engine/effects/delay_effects.h"
#include "sound/engine/effects/time_effects.h"
#include "sound/engine/undo_store.h"
#include "tests/sound/effects/effect_test_util.h"

using namespace sv;
using namespace sv::test;

namespace {

// Records the undo requests and completions an effect makes.
struct Steps {
    Recorder rec;
    std::vector<int64_t> completions;
    OperationContext context(const SoundBuffer& s) {
        rec.sound = &s;
        OperationContext c = rec.context();
        c.completeUndo = [this](int64_t n) { completions.push_back(n); };
        return c;
    }
};

std::vector<int> ramp(int n, int scale = 1) {
    std::vector<int> v;
    for (int i = 0; i < n; ++i) v.push_back(((i * 7) % 200 - 100) * scale);
    return v;
}

// Runs op through a real undo store and checks that undo restores the
// sound byte for byte (format and length included).
template <typename Op>
void expectUndoRestores(SoundBuffer s, Op op) {
    const std::string dir = (std::filesystem::temp_directory_path() /
                             ("timefx-" + std::to_string(getpid()) + "/")).string();
    std::filesystem::create_directories(dir);
    {
        UndoStore store(dir, "t");
        const std::vector<int> before = storedBytes(s);
        const SampleFormat fmt = s.format;
        OperationContext ctx = store.context(s);
        ASSERT_TRUE(op(s, ctx));
        ASSERT_TRUE(store.deshacer(s).restored);
        EXPECT_EQ(storedBytes(s), before);
        EXPECT_TRUE(s.format == fmt);
    }
    std::filesystem::remove_all(dir);
}

} // namespace

// ---- robotic voice and choppers ----

TEST(IntervalEffects, PeriodAndRunsFollowTheRate) {
    // 22050 Hz mono: period 400 samples, robotic runs of 100.
    SoundBuffer s = makeSound(8, 1, ramp(1000), 22050);
    s.setSelection(50, 900);
    Steps st;
    ASSERT_TRUE(intervalEffect(s, IntervalEffect::RoboticVoice, st.context(s)));
    EXPECT_EQ(s.frameCount(), 1000 + 2 * 100);
    EXPECT_EQ(s.selectionLength, 900 + 200);
    ASSERT_EQ(st.rec.undos.size(), 1u);
    EXPECT_EQ(st.rec.undos[0].words, "Robotic Voice");
    EXPECT_EQ(st.rec.undos[0].length, 900);
    EXPECT_EQ(st.completions, std::vector<int64_t>{1100});
    const std::vector<int> v = values(s), src = ramp(1000);
    // 399 samples copied, then 100 of silence, then the source goes on.
    for (int i = 0; i < 399; ++i) EXPECT_EQ(v[size_t(50 + i)], src[size_t(50 + i)]);
    for (int i = 0; i < 100; ++i) EXPECT_EQ(v[size_t(449 + i)], 0);
    EXPECT_EQ(v[549], src[449]);
}

TEST(IntervalEffects, NoSourceSampleIsLostInAnyLayout) {
    for (int bits : {8, 16})
        for (int ch : {1, 2})
            for (auto e : {IntervalEffect::RoboticVoice, IntervalEffect::Chopper, IntervalEffect::GreatChopper}) {
                SCOPED_TRACE(std::to_string(bits) + "/" + std::to_string(ch) + "/" + std::to_string(int(e)));
                const std::vector<int> src = ramp(3000 * ch);
                SoundBuffer s = makeSound(bits, ch, src, 11025);
                s.setSelection(100, 2500);
                Steps st;
                ASSERT_TRUE(intervalEffect(s, e, st.context(s)));
                const int64_t period = 200 * ch, events = 2500 * ch / period;
                const int64_t run = e == IntervalEffect::RoboticVoice ? 50 * ch : period;
                ASSERT_EQ(s.frameCount() * ch, 3000 * ch + events * run);
                // Taking the runs out gives the source back, to its last sample.
                std::vector<int> v = values(s), back;
                int64_t i = 0, pos = 0;
                for (; i < 100 * ch; ++i) back.push_back(v[size_t(i)]);
                while (i < int64_t(v.size())) {
                    ++pos;
                    if (pos <= 2500 * ch && pos % period == 0) { i += run; continue; }
                    back.push_back(v[size_t(i++)]);
                }
                EXPECT_EQ(back, src);
                EXPECT_EQ(st.completions.back(), s.selectionLength);
            }
}

TEST(IntervalEffects, ShortSelectionChangesNoSampleAndUndoRestores) {
    SoundBuffer s = makeSound(16, 1, ramp(1000, 100), 22050);
    s.setSelection(10, 399);
    const std::vector<int> before = values(s);
    Steps st;
    ASSERT_TRUE(intervalEffect(s, IntervalEffect::Chopper, st.context(s)));
    EXPECT_EQ(values(s), before);
    SoundBuffer t = makeSound(16, 2, ramp(4000, 100), 11025);
    t.setSelection(300, 1200);
    expectUndoRestores(t, [](SoundBuffer& b, const OperationContext& c) {
        return intervalEffect(b, IntervalEffect::GreatChopper, c);
    });
}

// ---- echo ----

TEST(Echo, MonoEightBitRoundsAndClamps) {
    // 1000 Hz, delay 2 ms = 2 frames; 227 onto 227: round(50 + 100) + 127 = 277 -> 255.
    SoundBuffer s = makeSound8(1, {227, 127, 227, 127, 127}, 1000);
    s.setSelection(0, 1);
    Steps st;
    ASSERT_TRUE(echo(s, 2, 1, st.context(s)));
    EXPECT_EQ(storedBytes(s), (std::vector<int>{227, 127, 255, 127, 127}));
    EXPECT_EQ(st.rec.undos[0].length, 3);   // D x n + L
    EXPECT_TRUE(st.completions.empty());
}

TEST(Echo, RunningPastTheEndGrowsWithSilence) {
    SoundBuffer s = makeSound(16, 2, {1000, -1001, 3000, 3000}, 1000);
    s.setSelection(0, 2);
    Steps st;
    ASSERT_TRUE(echo(s, 3, 2, st.context(s)));   // D = 3, n = 2
    EXPECT_EQ(s.frameCount(), 0 + 2 + 3 * 2);
    // Echo 1 at frame 3 (/2), echo 2 at frame 6 (/3), toward zero.
    EXPECT_EQ(values(s), (std::vector<int>{1000, -1001, 3000, 3000, 0, 0, 500, -500, 1500, 1500, 0, 0,
                                           333, -333, 1000, 1000}));
    EXPECT_EQ(st.rec.undos[0].length, 2);   // F - S
    EXPECT_EQ(st.completions, std::vector<int64_t>{8});
    SoundBuffer t = makeSound(8, 1, ramp(500), 8000);
    t.setSelection(400, 50);
    expectUndoRestores(t, [](SoundBuffer& b, const OperationContext& c) { return echo(b, 10, 3, c); });
}

// ---- speed change and resample ----

TEST(SpeedChange, GrowingInsertsMeansAtEveryThirdPosition) {
    std::vector<int> src;
    for (int i = 0; i < 102; ++i) src.push_back(i * 10);
    SoundBuffer s = makeSound(16, 1, src, 11025);
    s.setSelection(1, 100);
    Steps st;
    ASSERT_TRUE(changeSpeed(s, 150, false, true, st.context(s)));
    ASSERT_EQ(s.frameCount(), 152);
    EXPECT_EQ(s.selectionLength, 150);
    const std::vector<int> v = values(s);
    // Output positions 3, 6, ... 150 of the stretch are new: the mean of the
    // frames before and after.
    EXPECT_EQ(v[1], 10);
    EXPECT_EQ(v[2], 20);
    EXPECT_EQ(v[3], 25);
    EXPECT_EQ(v[4], 30);
    EXPECT_EQ(v[150], (1000 + 1010) / 2);   // the last new frame reads the frame after the stretch
    EXPECT_EQ(v[151], 1010);
    EXPECT_EQ(st.rec.undos[0].words, "Speed Up/Down");
    EXPECT_EQ(st.completions, std::vector<int64_t>{150});
}

TEST(SpeedChange, ShrinkingDropsEveryThirdFrame) {
    std::vector<int> src;
    for (int i = 0; i < 150; ++i) src.push_back(i);
    SoundBuffer s = makeSound(16, 1, src, 11025);
    Steps st;
    ASSERT_TRUE(changeSpeed(s, 100, false, true, st.context(s)));
    std::vector<int> expect;
    for (int i = 1; i <= 150; ++i)
        if (i % 3) expect.push_back(i - 1);
    EXPECT_EQ(values(s), expect);
    EXPECT_FALSE(changeSpeed(s, 100, false, true, st.context(s)));   // nothing to change
    SoundBuffer t = makeSound(8, 2, ramp(600), 11025);
    t.setSelection(20, 250);
    expectUndoRestores(t, [](SoundBuffer& b, const OperationContext& c) { return changeSpeed(b, 333, false, true, c); });
}

TEST(Resample, FourTimesTheRateInterpolatesInQuarters) {
    SoundBuffer s = makeSound8(1, {127, 227, 27}, 11025);
    Steps st;
    ASSERT_TRUE(resampleSound(s, SampleFormat::pcm(44100, 8, 1), st.context(s)));
    EXPECT_EQ(s.format.nSamplesPerSec, 44100u);
    ASSERT_EQ(s.frameCount(), 12);
    // Two new frames before the first (no frame before it), then three
    // between each pair; the end repeats the last frame.
    EXPECT_EQ(storedBytes(s), (std::vector<int>{127, 127, 127, 152, 177, 202, 227, 177, 127, 77, 27, 27}));
    ASSERT_EQ(st.rec.undos.size(), 1u);
    EXPECT_TRUE(st.rec.undos[0].whole);
    EXPECT_EQ(s.selectionStart, 0);
    EXPECT_EQ(s.selectionLength, 12);
}

TEST(Resample, BitsThenChannels) {
    SoundBuffer s = makeSound(16, 2, {-32768, -32768, 32767, 32767, 1000, -1000, 256, 512}, 22050);
    Steps st;
    ASSERT_TRUE(resampleSound(s, SampleFormat::pcm(22050, 8, 1), st.context(s)));
    // 16 -> 8: Trunc(w / 256) + 127, at least 0; then (l + r) shr 1.
    EXPECT_EQ(storedBytes(s), (std::vector<int>{0, 254, (130 + 124) >> 1, (128 + 129) >> 1}));
    EXPECT_EQ(s.format.nBlockAlign, 1);
    SoundBuffer m = makeSound8(1, {255, 0, 127}, 22050);
    ASSERT_TRUE(resampleSound(m, SampleFormat::pcm(22050, 16, 2), st.context(m)));
    EXPECT_EQ(values(m), (std::vector<int>{32767, 32767, -32512, -32512, 0, 0}));
    SoundBuffer t = makeSound(16, 2, ramp(900, 50), 44100);
    expectUndoRestores(t, [](SoundBuffer& b, const OperationContext& c) {
        return resampleSound(b, SampleFormat::pcm(11025, 8, 1), c);
    });
}

// ---- gapper and groove ----

TEST(GapperGroove, GapsAndRepeats) {
    SoundBuffer s = makeSound(16, 1, {1, 2, 3, 4, 5, 6, 7, 8}, 1000);
    s.setSelection(1, 5);
    Steps st;
    ASSERT_TRUE(gapper(s, 2, 2, st.context(s)));
    EXPECT_EQ(values(s), (std::vector<int>{1, 2, 3, 0, 0, 4, 5, 0, 0, 6, 7, 8}));
    EXPECT_EQ(s.selectionLength, 9);
    EXPECT_EQ(st.completions.back(), 9);

    SoundBuffer g = makeSound(16, 1, {1, 2, 3, 4, 5, 6, 7, 8}, 1000);
    g.setSelection(1, 5);
    ASSERT_TRUE(groove(g, 2, 2, st.context(g)));
    EXPECT_EQ(values(g), (std::vector<int>{1, 2, 3, 2, 3, 4, 5, 4, 5, 6, 6, 7, 8}));
    EXPECT_EQ(g.selectionLength, 10);

    SoundBuffer one = makeSound(16, 1, {1, 2, 3, 4}, 1000);
    ASSERT_TRUE(groove(one, 3, 1, st.context(one)));
    EXPECT_EQ(values(one), (std::vector<int>{1, 2, 3, 4}));
    ASSERT_TRUE(gapper(one, 5, 10, st.context(one)));   // interval past the selection: no gap
    EXPECT_EQ(values(one), (std::vector<int>{1, 2, 3, 4}));
}

TEST(GapperGroove, BadValuesChangeNothing) {
    SoundBuffer s = makeSound(8, 1, {1, 2, 3}, 1000);
    Steps st;
    EXPECT_THROW(gapper(s, 3, 0, st.context(s)), std::invalid_argument);
    EXPECT_THROW(gapper(s, -1, 2, st.context(s)), std::invalid_argument);
    EXPECT_THROW(groove(s, 0, 2, st.context(s)), std::invalid_argument);
    EXPECT_THROW(groove(s, 1, -2, st.context(s)), std::invalid_argument);
    EXPECT_TRUE(st.rec.undos.empty());
    EXPECT_EQ(values(s), (std::vector<int>{1, 2, 3}));
    SoundBuffer t = makeSound(8, 2, ramp(400), 8000);
    t.setSelection(50, 300);
    expectUndoRestores(t, [](SoundBuffer& b, const OperationContext& c) { return groove(b, 7, 3, c); });
}

// The interval effects, the gapper and the groove grow the sound inside its
// own buffer, from the top down and partly over the threads. Each must give
// what a plain walk into a new buffer gives, byte for byte, with the same
// progress steps and the failed undo changing nothing.
#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <stdexcept>
#include <cstring>
#include <vector>

#include "sound/engine/edit_progress.h"
#include "sound/engine/effects/grow_in_place.h"
#include "sound/engine/effects/time_effects.h"
#include "tests/sound/effects/effect_test_util.h"

using namespace sv;

namespace {

using Bytes = std::vector<uint8_t>;

// Noise over a tone, so that every moved sample is told from its neighbours.
SoundBuffer noisy(uint32_t rate, int bits, int channels, int64_t frames) {
    uint32_t x = 99;
    const int scale = bits == 8 ? 1 : 256;
    std::vector<int> v(size_t(frames * channels));
    for (size_t i = 0; i < v.size(); ++i) {
        x = x * 1664525u + 1013904223u;
        v[i] = int(50 * std::sin(0.01 * double(i))) * scale + int(x >> 28) * (scale / 2 + 1);
    }
    return test::makeSound(bits, channels, v, rate);
}

uint8_t silenceOf(const SoundBuffer& s) { return s.format.wBitsPerSample == 8 ? 127 : 0; }

// The walk into a new buffer, in samples.
Bytes intervalReference(const SoundBuffer& s, IntervalEffect effect) {
    const int64_t c = s.format.nChannels, w = s.format.wBitsPerSample / 8, rate = s.format.nSamplesPerSec;
    const int64_t period = (rate * 200 / 11025) * c;
    const int64_t run = effect == IntervalEffect::RoboticVoice ? (rate * 50 / 11025) * c : period;
    const int64_t head = c * s.selectionStart, events = c * s.selectionLength / period;
    const uint8_t* src = s.bytes.data();
    Bytes out(src, src + head * w);
    int64_t at = head;
    for (int64_t e = 0; e < events; ++e, at += period - 1) {
        out.insert(out.end(), src + at * w, src + (at + period - 1) * w);
        for (int64_t r = 0; r < run; ++r) {
            if (effect == IntervalEffect::GreatChopper) out.insert(out.end(), src + (at + period - 1) * w, src + (at + period) * w);
            else out.insert(out.end(), size_t(w), silenceOf(s));
        }
    }
    out.insert(out.end(), src + at * w, src + s.bytes.size());
    return out;
}

Bytes gapperReference(const SoundBuffer& s, int64_t gap, int64_t interval) {
    const int64_t b = s.format.nBlockAlign, k = s.selectionLength / interval;
    const uint8_t* src = s.bytes.data();
    Bytes out(src, src + s.selectionStart * b);
    int64_t at = s.selectionStart;
    for (int64_t j = 0; j < k; ++j, at += interval) {
        out.insert(out.end(), src + at * b, src + (at + interval) * b);
        out.insert(out.end(), size_t(gap * b), silenceOf(s));
    }
    out.insert(out.end(), src + at * b, src + s.bytes.size());
    return out;
}

Bytes grooveReference(const SoundBuffer& s, int64_t piece, int64_t count) {
    const int64_t b = s.format.nBlockAlign, end = s.selectionStart + s.selectionLength;
    const uint8_t* src = s.bytes.data();
    Bytes out(src, src + s.selectionStart * b);
    for (int64_t at = s.selectionStart; at < end; at += piece) {
        const int64_t len = std::min(piece, end - at);
        for (int64_t r = 0; r < count; ++r) out.insert(out.end(), src + at * b, src + (at + len) * b);
    }
    out.insert(out.end(), src + end * b, src + s.bytes.size());
    return out;
}

std::vector<std::pair<int64_t, int64_t>> oneWalk(int64_t n) {
    std::vector<std::pair<int64_t, int64_t>> steps;
    for (int64_t j : progressSteps(n)) steps.emplace_back(j, n);
    return steps;
}

struct Layout {
    uint32_t rate;
    int bits, channels;
};
const Layout kLayouts[] = {{44100, 16, 2}, {44100, 16, 1}, {22050, 8, 2}, {11025, 8, 1}};

template <typename Run>
void expectLikeReference(const Layout& lay, Run&& run) {
    SoundBuffer s = noisy(lay.rate, lay.bits, lay.channels, 400003);
    s.setSelection(1237, 330001);
    run(s);
}

} // namespace

TEST(GrowInPlace, IntervalEffectsMatchAWalkIntoANewBuffer) {
    for (const Layout& lay : kLayouts) {
        for (IntervalEffect e : {IntervalEffect::RoboticVoice, IntervalEffect::Chopper, IntervalEffect::GreatChopper}) {
            expectLikeReference(lay, [&](SoundBuffer& s) {
                SCOPED_TRACE(testing::Message() << lay.bits << " bit, " << lay.channels << " ch, effect " << int(e));
                const Bytes want = intervalReference(s, e);
                const int64_t c = s.format.nChannels, period = (s.format.nSamplesPerSec * 200 / 11025) * c;
                const int64_t positions = c * s.selectionLength;
                test::Recorder rec;
                ASSERT_TRUE(intervalEffect(s, e, rec.context()));
                ASSERT_EQ(s.bytes.size(), want.size());
                EXPECT_TRUE(std::memcmp(s.bytes.data(), want.data(), want.size()) == 0);
                EXPECT_EQ(s.selectionStart, 1237);
                EXPECT_EQ(s.selectionLength, int64_t(want.size()) / s.format.nBlockAlign - 400003 + 330001);
                EXPECT_EQ(rec.progress, oneWalk(positions));
                EXPECT_GT(positions / period, 100);
            });
        }
    }
}

TEST(GrowInPlace, GapperAndGrooveMatchAWalkIntoANewBuffer) {
    struct Gaps { int64_t gap, interval; };
    struct Grooves { int64_t piece, count; };
    for (const Layout& lay : kLayouts) {
        for (Gaps g : {Gaps{441, 4410}, Gaps{3000, 1000}, Gaps{0, 777}, Gaps{5, 1}}) {
            expectLikeReference(lay, [&](SoundBuffer& s) {
                SCOPED_TRACE(testing::Message() << lay.bits << " bit, " << lay.channels << " ch, gap " << g.gap);
                const Bytes want = gapperReference(s, g.gap, g.interval);
                test::Recorder rec;
                ASSERT_TRUE(gapper(s, g.gap, g.interval, rec.context()));
                ASSERT_EQ(s.bytes.size(), want.size());
                EXPECT_TRUE(std::memcmp(s.bytes.data(), want.data(), want.size()) == 0);
                EXPECT_EQ(rec.progress, oneWalk(330001 / g.interval));
            });
        }
        for (Grooves g : {Grooves{4410, 2}, Grooves{777, 3}, Grooves{1000, 1}, Grooves{3, 0}, Grooves{1, 2}}) {
            expectLikeReference(lay, [&](SoundBuffer& s) {
                SCOPED_TRACE(testing::Message() << lay.bits << " bit, " << lay.channels << " ch, groove " << g.piece
                                                << " x " << g.count);
                const Bytes want = grooveReference(s, g.piece, g.count);
                test::Recorder rec;
                ASSERT_TRUE(groove(s, g.piece, g.count, rec.context()));
                ASSERT_EQ(s.bytes.size(), want.size());
                EXPECT_TRUE(std::memcmp(s.bytes.data(), want.data(), want.size()) == 0);
                EXPECT_EQ(s.selectionLength, 330001 * g.count);
                EXPECT_EQ(rec.progress, oneWalk((330001 + g.piece - 1) / g.piece));
            });
        }
    }
}

TEST(GrowInPlace, AFailedUndoLeavesTheSoundAsItWas) {
    SoundBuffer s = noisy(44100, 16, 2, 200000);
    s.setSelection(10, 150000);
    const Bytes before(s.bytes.data(), s.bytes.data() + s.bytes.size());
    test::Recorder rec;
    rec.undoFails = true;
    EXPECT_FALSE(intervalEffect(s, IntervalEffect::Chopper, rec.context()));
    EXPECT_FALSE(gapper(s, 441, 4410, rec.context()));
    EXPECT_FALSE(groove(s, 4410, 2, rec.context()));
    ASSERT_EQ(s.bytes.size(), before.size());
    EXPECT_TRUE(std::memcmp(s.bytes.data(), before.data(), before.size()) == 0);
    EXPECT_EQ(s.selectionLength, 150000);
}

// A piece that fails must not leave the pieces below it waiting for it: the
// failure comes back to the caller once every thread has stopped.
TEST(GrowInPlace, AFailingPieceStopsTheOthersInsteadOfHangingThem) {
    OperationContext quiet;
    ProgressWalk walk(quiet, 1);
    const int64_t units = 200000;
    std::atomic<int64_t> ran{0};
    EXPECT_THROW(fx::growInPlaceByRanges(
                     units, 16, [](int64_t j) { return j + 1; }, [](int64_t j) { return 2 * j; },
                     [&](int64_t b, int64_t e) {
                         ++ran;
                         if (b <= units / 2 && units / 2 < e) throw std::runtime_error("failed");
                     },
                     [](int64_t) { FAIL() << "the bottom runs after a failure"; }, walk,
                     [](int64_t done) { return done; }),
                 std::runtime_error);
    EXPECT_GT(ran.load(), 1);
}

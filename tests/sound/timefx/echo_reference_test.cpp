// The echo against the plain form it is defined by, kept here: a copy of
// the selection, then one pass per echo adding the copy, divided by k + 1,
// onto the sound k x delay further on. Noise with full-scale values, every
// layout, delays below and above the vector width and zero, selections at
// the start, inside and at the end of the sound (growing it), counts past
// the 8-bit tables, and sounds long enough to be split over threads.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "platform/numbers.h"
#include "sound/engine/effects/time_effects.h"
#include "tests/sound/effects/effect_test_util.h"
#include "tests/sound/timefx/clipping_noise.h"

using namespace sv;
using namespace sv::test;

namespace {

std::vector<uint8_t> referenceEcho(const SoundBuffer& in, int64_t d, int32_t count) {
    const int64_t s = in.selectionStart, l = in.selectionLength, f = in.frameCount();
    const int64_t b = in.format.nBlockAlign, c = in.format.nChannels;
    const bool eight = in.format.wBitsPerSample == 8;
    const int64_t n = std::max(f, s + l + d * count);
    std::vector<uint8_t> out(in.bytes.data(), in.bytes.data() + in.bytes.size());
    out.resize(size_t(n * b), eight ? 127 : 0);
    const std::vector<uint8_t> sel(in.bytes.data() + s * b, in.bytes.data() + (s + l) * b);
    for (int32_t k = 1; k <= count; ++k) {
        const int div = k + 1;
        const int64_t at = (s + k * d) * c;
        for (int64_t i = 0; i < l * c; ++i) {
            if (eight) {
                uint8_t& y = out[size_t(at + i)];
                const int x = sel[size_t(i)];
                if (c == 1) y = uint8_t(clamp8(roundHalfEven(double(x - 127) / div + double(y - 127)) + 127));
                else y = uint8_t(clamp8(int64_t(y) + (x - 127) / div));
            } else {
                const int x = readSample(sel.data() + 2 * i, int16_t{});
                uint8_t* p = out.data() + 2 * (at + i);
                writeSample(p, clamp16(readSample(p, int16_t{}) + x / div), int16_t{});
            }
        }
    }
    return out;
}

std::vector<uint8_t> bytesOf(const SoundBuffer& s) { return {s.bytes.data(), s.bytes.data() + s.bytes.size()}; }

struct EchoCase {
    int64_t frames, start, length;
    uint32_t rate;   // with delayMs, the delay in frames: rate x ms / 1000
    int32_t delayMs, count;
};

void expectLikeTheReference(const EchoCase& e, uint32_t seed) {
    SCOPED_TRACE(e.frames);
    for (const NoiseLayout& lay : kNoiseLayouts) {
        SoundBuffer s = clippingNoise(lay, e.frames, seed++, e.rate);
        s.setSelection(e.start, e.length);
        const int64_t d = int64_t(e.delayMs) * e.rate / 1000;
        const std::vector<uint8_t> expect = referenceEcho(s, d, e.count);
        Recorder rec;
        ASSERT_TRUE(echo(s, e.delayMs, e.count, rec.context()));
        ASSERT_EQ(bytesOf(s), expect) << lay.bits << "/" << lay.channels << " frames " << e.frames << " from "
                                      << e.start << " length " << e.length << " delay " << d << " x" << e.count;
        EXPECT_EQ(s.selectionStart, e.start);
        EXPECT_EQ(s.selectionLength, e.length);
        // Step k of count for every echo that is due, in order.
        std::vector<std::pair<int64_t, int64_t>> steps;
        for (int32_t k = 1; k <= e.count; ++k)
            if (progressDue(k, e.count)) steps.emplace_back(k, e.count);
        EXPECT_EQ(rec.progress, steps);
    }
}

} // namespace

TEST(EchoReference, ShortSoundsMatchThePassByPassSum) {
    const EchoCase cases[] = {
        {1, 0, 1, 1000, 0, 3},        // no delay: every echo on the same samples
        {37, 5, 20, 1000, 0, 9},
        {37, 0, 37, 1000, 1, 3},      // one frame apart, inside a vector
        {50, 3, 41, 1000, 3, 5},
        {50, 13, 37, 1000, 2, 4},     // running past the end
        {120, 7, 9, 1000, 20, 3},     // selection shorter than the delay: gaps between the echoes
        {301, 11, 250, 11025, 2, 9},
        {301, 0, 301, 1000, 4, 0},    // no echo at all
        {400, 17, 99, 1000, 1, 70},   // more echoes than the 8-bit tables hold
        {64, 0, 0, 1000, 5, 3},       // nothing selected: the sound only grows
    };
    uint32_t seed = 1;
    for (const EchoCase& e : cases) expectLikeTheReference(e, seed += 4);
}

TEST(EchoReference, LongSoundsSplitOverThreadsMatchThePassByPassSum) {
    const EchoCase cases[] = {
        {200003, 0, 200003, 11025, 30, 3},   // the first range has no range before it
        {200003, 1001, 150001, 11025, 9, 4},
        {180001, 7, 179990, 1000, 3, 9},     // short delay, many ranges
        {150001, 5, 149000, 11025, 300, 3},  // long delay: few, long ranges
        {120001, 0, 120001, 1000, 0, 5},
    };
    uint32_t seed = 100;
    for (const EchoCase& e : cases) expectLikeTheReference(e, seed += 4);
}

TEST(EchoReference, SingleQuotientMatchesTheIntegerQuotient) {
    // The eight-at-a-time sum divides in single precision: on every 16-bit
    // value it must give the integer quotient toward zero. Each echo lands
    // on silence past the end, one after the other, so the stored values
    // are x / 2 .. x / 41 of every x.
    std::vector<int> all;
    for (int v = -32768; v <= 32767; ++v) all.push_back(v);
    SoundBuffer s = makeSound(16, 1, all, 1000);
    const std::vector<uint8_t> expect = referenceEcho(s, 65536, 40);
    ASSERT_TRUE(echo(s, 65536, 40, OperationContext{}));
    ASSERT_EQ(s.frameCount(), 41 * 65536);
    EXPECT_EQ(bytesOf(s), expect);
    EXPECT_EQ(readSample(s.frame(65536), int16_t{}), -32768 / 2);
    EXPECT_EQ(readSample(s.frame(41 * 65536 - 1), int16_t{}), 32767 / 41);
}

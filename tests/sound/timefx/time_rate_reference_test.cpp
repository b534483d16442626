// The speed change and resample against the plain event walk they are
// defined by, kept here: event e of E falls at output position
// floor(e x n / E), and every new frame is computed in double as the
// program always did. Noise with full-scale values, every layout, odd
// lengths and selections (with and without frames around them), and
// sounds long enough to be split over threads.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "platform/numbers.h"
#include "sound/engine/edit_progress.h"
#include "sound/engine/effects/time_effects.h"
#include "tests/sound/effects/effect_test_util.h"
#include "tests/sound/timefx/clipping_noise.h"

using namespace sv;
using namespace sv::test;

namespace {

int sampleAt(const SoundBuffer& s, const uint8_t* frame, int ch) {
    return s.format.wBitsPerSample == 8 ? readSample(frame + ch, uint8_t{}) : readSample(frame + 2 * ch, int16_t{});
}

// The selection stretched to n frames (n > selection) event by event.
std::vector<uint8_t> referenceGrow(const SoundBuffer& in, int64_t n, bool quarter) {
    const int64_t s = in.selectionStart, l = in.selectionLength, f = in.frameCount();
    const int64_t b = in.format.nBlockAlign;
    const int channels = in.format.nChannels;
    const bool eight = in.format.wBitsPerSample == 8;
    std::vector<uint8_t> out(in.bytes.data(), in.bytes.data() + s * b);
    const std::vector<uint8_t> silence(size_t(b), eight ? 127 : 0);
    auto frame = [&](int64_t i) { return in.bytes.data() + i * b; };
    const int64_t events = n - l;
    int64_t prev = 0, si = 0, a = 0;
    for (int64_t e = 1; e <= events; ++e) {
        const int64_t pos = int64_t(__int128(e) * n / events);
        for (int64_t r = 0; r < pos - prev - 1; ++r, ++si) {
            out.insert(out.end(), frame(s + si), frame(s + si) + b);
            a = 0;
        }
        ++a;
        const int64_t pi = s + si - 1, ci = s + si;
        const uint8_t* p = pi >= 0 ? frame(pi) : (ci < f ? frame(ci) : silence.data());
        const uint8_t* c = ci < f ? frame(ci) : p;
        for (int ch = 0; ch < channels; ++ch) {
            const int pv = sampleAt(in, p, ch), cv = sampleAt(in, c, ch);
            int64_t r;
            if (quarter) r = truncClamp((4.0 - double(a)) / 4.0 * pv + double(a) / 4.0 * cv);
            else if (eight && channels == 1) r = roundHalfEven((pv + cv) / 2.0 + 127) - 127;
            else r = (pv + cv) / 2;
            if (eight) {
                out.push_back(uint8_t(clamp8(r + 127)));
            } else {
                const int16_t v = int16_t(clamp16(r));
                out.push_back(uint8_t(v & 0xff));
                out.push_back(uint8_t((v >> 8) & 0xff));
            }
        }
        prev = pos;
    }
    out.insert(out.end(), frame(s + si), frame(f));
    return out;
}

// The selection squeezed to n frames (n < selection): source position
// floor(e x l / E) (from 1) of every event e dropped.
std::vector<uint8_t> referenceShrink(const SoundBuffer& in, int64_t n) {
    const int64_t s = in.selectionStart, l = in.selectionLength, f = in.frameCount();
    const int64_t b = in.format.nBlockAlign, events = l - n;
    std::vector<uint8_t> out(in.bytes.data(), in.bytes.data() + s * b);
    int64_t e = 1;
    for (int64_t p = 1; p <= l; ++p) {
        if (e <= events && int64_t(__int128(e) * l / events) == p) {
            ++e;
            continue;
        }
        out.insert(out.end(), in.bytes.data() + (s + p - 1) * b, in.bytes.data() + (s + p) * b);
    }
    out.insert(out.end(), in.bytes.data() + (s + l) * b, in.bytes.data() + f * b);
    return out;
}

std::vector<uint8_t> bytesOf(const SoundBuffer& s) { return {s.bytes.data(), s.bytes.data() + s.bytes.size()}; }

} // namespace

TEST(SpeedChangeReference, WholeMultiplesMatchTheEventWalk) {
    struct Stretch {
        int64_t frames, start, length;
    };
    // At the start, in the middle, at the end of the sound; one frame;
    // lengths around the vector width; long enough for several threads.
    const Stretch stretches[] = {{1, 0, 1},       {2, 1, 1},       {9, 0, 9},         {23, 5, 13},
                                 {40, 3, 37},     {17, 0, 16},     {1001, 0, 1001},   {1001, 77, 923},
                                 {70001, 0, 70001}, {90017, 1, 90013}};
    uint32_t seed = 1;
    for (const NoiseLayout& lay : kNoiseLayouts)
        for (const Stretch& st : stretches)
            for (int64_t g : {1, 2, 3, 4, 7})
                for (bool quarter : {false, true}) {
                    SoundBuffer s = clippingNoise(lay, st.frames, seed++);
                    s.setSelection(st.start, st.length);
                    const int64_t n = (g + 1) * st.length;
                    const std::vector<uint8_t> expect = referenceGrow(s, n, quarter);
                    ASSERT_TRUE(changeSpeed(s, n, quarter, false, OperationContext{}));
                    ASSERT_EQ(bytesOf(s), expect) << lay.bits << "/" << lay.channels << " frames " << st.frames
                                                  << " from " << st.start << " x" << g + 1 << " quarter " << quarter;
                    EXPECT_EQ(s.selectionStart, st.start);
                    EXPECT_EQ(s.selectionLength, n);
                }
}

TEST(SpeedChangeReference, OtherLengthsMatchTheEventWalk) {
    // Growing by a fraction keeps the event walk; with whole multiples
    // beside it both ways must agree.
    uint32_t seed = 100;
    for (const NoiseLayout& lay : kNoiseLayouts)
        for (int64_t extra : {1, 5, 333, 20001}) {
            SoundBuffer s = clippingNoise(lay, 40003, seed++);
            s.setSelection(11, 40000);
            const std::vector<uint8_t> expect = referenceGrow(s, 40000 + extra, true);
            ASSERT_TRUE(changeSpeed(s, 40000 + extra, true, false, OperationContext{}));
            ASSERT_EQ(bytesOf(s), expect) << lay.bits << "/" << lay.channels << " +" << extra;
        }
}

TEST(SpeedChangeReference, GrowingInPlaceMatchesTheEventWalk) {
    struct Grow {
        int64_t frames, start, length, to;
    };
    // Nothing selected (in an empty sound, at the start, inside, at the
    // end), and long stretches whose output is written over the threads
    // in several rounds, with and without frames after them.
    const Grow grows[] = {{0, 0, 0, 5},           {10, 0, 0, 7},          {10, 4, 0, 9},
                          {10, 10, 0, 7},         {200001, 3, 199990, 299990}, {150001, 0, 150001, 220002},
                          {90001, 77, 89924, 89925}, {120000, 1, 119999, 240001},
                          // several new frames between two source frames, not a whole multiple
                          {5000, 2, 4990, 4990 * 3 + 7}, {70001, 0, 70001, 70001 * 5 / 2},
                          // a few new frames only: every frame moves up one by one
                          {100003, 5, 99990, 99990 + 37}};
    uint32_t seed = 300;
    for (const NoiseLayout& lay : kNoiseLayouts)
        for (const Grow& g : grows)
            for (bool quarter : {false, true}) {
                SoundBuffer s = clippingNoise(lay, g.frames, seed++);
                s.setSelection(g.start, g.length);
                const std::vector<uint8_t> expect = referenceGrow(s, g.to, quarter);
                Recorder rec;
                ASSERT_TRUE(changeSpeed(s, g.to, quarter, false, rec.context()));
                ASSERT_EQ(bytesOf(s), expect) << lay.bits << "/" << lay.channels << " frames " << g.frames
                                              << " from " << g.start << " to " << g.to;
                // Every progress step of the output, in order.
                EXPECT_EQ(rec.steps(), progressSteps(g.to));
            }
}

TEST(SpeedChangeReference, ShrinkingInPlaceMatchesTheDroppedPositions) {
    struct Shrink {
        int64_t frames, start, length, to;
    };
    // Everything or one frame dropped, runs longer than a few frames, and
    // long stretches moved down over the threads in rounds.
    const Shrink shrinks[] = {{7, 0, 7, 0},         {9, 2, 5, 4},           {40, 3, 30, 20},
                              {500, 0, 500, 3},     {300001, 0, 300001, 200000}, {250003, 7, 249990, 124995},
                              {200001, 1, 199000, 197011}, {100001, 0, 100001, 10}};
    uint32_t seed = 400;
    for (const NoiseLayout& lay : kNoiseLayouts)
        for (const Shrink& sh : shrinks) {
            SoundBuffer s = clippingNoise(lay, sh.frames, seed++);
            s.setSelection(sh.start, sh.length);
            const std::vector<uint8_t> expect = referenceShrink(s, sh.to);
            Recorder rec;
            ASSERT_TRUE(changeSpeed(s, sh.to, false, false, rec.context()));
            ASSERT_EQ(bytesOf(s), expect) << lay.bits << "/" << lay.channels << " frames " << sh.frames << " from "
                                          << sh.start << " to " << sh.to;
            EXPECT_EQ(s.selectionLength, sh.to);
            EXPECT_EQ(rec.steps(), progressSteps(sh.length));
        }
}

TEST(SpeedChangeReference, ResampleFourTimesMatchesTheEventWalk) {
    uint32_t seed = 200;
    for (const NoiseLayout& lay : kNoiseLayouts)
        for (int64_t frames : {1, 3, 8, 31, 65537}) {
            SoundBuffer s = clippingNoise(lay, frames, seed++);
            const std::vector<uint8_t> expect = referenceGrow(s, 4 * frames, true);
            Recorder rec;
            ASSERT_TRUE(resampleSound(s, SampleFormat::pcm(44100, lay.bits, lay.channels), rec.context()));
            ASSERT_EQ(bytesOf(s), expect) << lay.bits << "/" << lay.channels << " " << frames;
            EXPECT_EQ(s.format.nSamplesPerSec, 44100u);
        }
}

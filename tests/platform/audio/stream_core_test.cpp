// The conversions between a window's format and the card's, which only a
// real card exercises in the program: tested here on the shared core.
#include "platform/audio/sample_convert.h"
#include "platform/audio/stream_core.h"
#include "platform/audio/wave_internal.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

namespace sv::test {
namespace {

using namespace sv::audio;

// Handles far from those the wave calls hand out, so their notices are ours.
constexpr uint32_t kOutHandle = 0xF0000001u;
constexpr uint32_t kInHandle = 0xF0000002u;

TEST(SampleConvert, EightAndSixteenBitSurviveARoundTrip) {
    for (int v = 0; v <= 254; ++v) EXPECT_EQ(floatToSample<uint8_t>(sampleToFloat(static_cast<uint8_t>(v))), v);
    for (int v = -32767; v <= 32767; ++v)
        ASSERT_EQ(floatToSample<int16_t>(sampleToFloat(static_cast<int16_t>(v))), v);
    EXPECT_EQ(sampleToFloat(static_cast<uint8_t>(127)), 0.0f);
    EXPECT_EQ(sampleToFloat(static_cast<uint8_t>(255)), 1.0f);
    EXPECT_EQ(sampleToFloat(static_cast<int16_t>(-32768)), -1.0f);
}

TEST(SampleConvert, OutOfRangeAndNanAreClampedNotUndefined) {
    EXPECT_EQ(floatToSample<uint8_t>(3.0f), 254);
    EXPECT_EQ(floatToSample<uint8_t>(-3.0f), 0);
    EXPECT_EQ(floatToSample<int16_t>(1e30f), 32767);
    EXPECT_EQ(floatToSample<int16_t>(-1e30f), -32767);
    EXPECT_EQ(floatToSample<int16_t>(std::nanf("")), 0);
    EXPECT_EQ(floatToSample<uint8_t>(std::nanf("")), 127);
}

TEST(SampleConvert, ChannelsAreDuplicatedOrAveraged) {
    uint8_t stereo[4];
    const int16_t lr[2] = {1000, 3000};
    std::memcpy(stereo, lr, 4);
    const Frame f = decodeFrame<int16_t, 2>(stereo);
    float mono[1];
    putFloatFrame(mono, 1, f);
    EXPECT_FLOAT_EQ(mono[0], 2000 / 32767.0f);
    const uint8_t one = 200;
    const Frame g = decodeFrame<uint8_t, 1>(&one);
    EXPECT_EQ(g.l, g.r);
    uint8_t out[1];
    encodeFrame<uint8_t, 1>(out, Frame{sampleToFloat(uint8_t{10}), sampleToFloat(uint8_t{30})});
    EXPECT_EQ(out[0], 20);
}

TEST(LinearResampler, DoublingTheRateInterpolatesARamp) {
    LinearResampler rs;
    rs.step = 0.5;
    std::vector<float> in = {0, 1, 2, 3, 4};
    size_t i = 0;
    auto pull = [&](Frame& f) {
        if (i >= in.size()) return false;
        f.l = f.r = in[i++];
        return true;
    };
    std::vector<float> out;
    Frame f;
    while (rs.next(pull, f)) out.push_back(f.l);
    // One frame of lag (the silence before the first input), then the ramp
    // at half steps.
    const std::vector<float> want = {0, 0, 0, 0.5f, 1, 1.5f, 2, 2.5f, 3, 3.5f};
    EXPECT_EQ(out, want);
    // More input continues exactly where it stopped.
    in.push_back(5);
    while (rs.next(pull, f)) out.push_back(f.l);
    EXPECT_EQ(out.back(), 4.5f);
}

TEST(LinearResampler, ProducesFramesInTheRatioOfTheRates) {
    for (auto [from, to] : {std::pair{11025.0, 48000.0}, {44100.0, 48000.0}, {48000.0, 8000.0}, {1.0, 44100.0}}) {
        LinearResampler rs;
        rs.step = from / to;
        uint64_t pulled = 0;
        const uint64_t total = static_cast<uint64_t>(from);  // one second of input
        auto pull = [&](Frame& f) {
            if (pulled >= total) return false;
            ++pulled;
            f = Frame{};
            return true;
        };
        uint64_t made = 0;
        Frame f;
        while (rs.next(pull, f)) ++made;
        EXPECT_NEAR(static_cast<double>(made), to, to / from + 1) << from << "->" << to;
    }
}

TEST(OutputCore, ARateTheCardLacksIsConvertedAndTheBlockStillFinishes) {
    OutputCore core(kOutHandle, WaveFormat::pcm(8000, 16, 1));
    core.setDevice(16000, 2, 0);
    std::vector<int16_t> samples(800);
    for (size_t i = 0; i < samples.size(); ++i) samples[i] = static_cast<int16_t>(i * 10);
    WaveHeader h;
    h.lpData = reinterpret_cast<uint8_t*>(samples.data());
    h.dwBufferLength = 1600;
    core.queue(&h);
    std::vector<float> out(2 * 2000);
    core.render(out.data(), 2000);
    // Stereo on the card, the same on both channels, interpolated between
    // neighbours.
    for (size_t i = 0; i < 2000; ++i) ASSERT_EQ(out[2 * i], out[2 * i + 1]);
    // Output frame k lies half way along the input at (k - 2) / 2 (the
    // resampler lags one input frame): 5 * (k - 2) on a ramp of step 10.
    for (size_t k = 2; k < 1598; ++k) ASSERT_NEAR(out[2 * k], 5.0 * (k - 2) / 32767.0, 1e-6) << k;
    const auto notices = takeWaveNotices(false, kOutHandle);
    ASSERT_EQ(notices.size(), 1u);
    EXPECT_EQ(notices[0].header, &h);
    EXPECT_EQ(notices[0].generation, core.generation());
}

TEST(OutputCore, TheNoticeWaitsForTheCardsLatency) {
    OutputCore core(kOutHandle, WaveFormat::pcm(1000, 8, 1));
    core.setDevice(1000, 1, 100);
    std::vector<uint8_t> data(50, 127);
    WaveHeader h;
    h.lpData = data.data();
    h.dwBufferLength = 50;
    core.queue(&h);
    core.render(nullptr, 149);
    EXPECT_TRUE(takeWaveNotices(false, kOutHandle).empty());
    core.render(nullptr, 1);
    EXPECT_EQ(takeWaveNotices(false, kOutHandle).size(), 1u);
}

TEST(OutputCore, ResetReturnsPlayedAndQueuedBlocksInOrder) {
    OutputCore core(kOutHandle, WaveFormat::pcm(1000, 8, 1));
    core.setDevice(1000, 1, 1000);
    std::vector<uint8_t> data(10, 127);
    WaveHeader a, b;
    a.lpData = b.lpData = data.data();
    a.dwBufferLength = b.dwBufferLength = 10;
    core.queue(&a);
    core.queue(&b);
    core.render(nullptr, 15);  // a played, still within the latency
    const uint32_t before = core.generation();
    EXPECT_EQ(core.reset(), (std::vector<WaveHeader*>{&a, &b}));
    EXPECT_NE(core.generation(), before);
    core.render(nullptr, 5000);
    EXPECT_TRUE(takeWaveNotices(false, kOutHandle).empty());
}

TEST(InputCore, ACardRateIsConvertedToTheRequestedOne) {
    InputCore core(kInHandle, WaveFormat::pcm(8000, 16, 1));
    core.setDevice(16000, 2);
    core.startCapture();
    std::vector<float> in(2 * 1600);
    for (size_t i = 0; i < 1600; ++i) in[2 * i] = in[2 * i + 1] = static_cast<float>(i) / 3200.0f;
    core.capture(in.data(), in.size() / 2);
    // Half the frames (less the resampler's one frame of lag), as 16-bit mono.
    EXPECT_NEAR(static_cast<double>(core.ringBytes()), 1600.0, 4.0);
    std::vector<uint8_t> buf(400);
    WaveHeader h;
    h.lpData = buf.data();
    h.dwBufferLength = 400;
    core.add(&h);
    const auto notices = takeWaveNotices(true, kInHandle);
    ASSERT_EQ(notices.size(), 1u);
    EXPECT_EQ(notices[0].bytes, 400u);
    int16_t s[4];
    std::memcpy(s, buf.data() + 100, 8);
    EXPECT_NEAR(s[1] - s[0], 2 * 32767 / 3200.0, 1.5) << "every other input frame";
}

TEST(InputCore, NothingIsCapturedWhileStopped) {
    InputCore core(kInHandle, WaveFormat::pcm(8000, 8, 1));
    std::vector<float> in(100, 0.5f);
    core.capture(in.data(), 100);
    EXPECT_EQ(core.ringBytes(), 0u);
    core.startCapture();
    core.capture(in.data(), 100);
    EXPECT_EQ(core.ringBytes(), 100u);
    core.stopCapture();
    core.capture(in.data(), 100);
    EXPECT_EQ(core.ringBytes(), 100u);
    EXPECT_TRUE(core.takeAll().empty());
    EXPECT_EQ(core.ringBytes(), 0u);
}

} // namespace
} // namespace sv::test

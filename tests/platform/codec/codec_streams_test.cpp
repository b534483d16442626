#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "platform/codec/codec.h"
#include "tests/platform/codec/codec_support.h"

using namespace sv;
using namespace sv::codec;
using namespace sv::test;

namespace {

struct RoundTrip {
    uint16_t tag;
    uint16_t channels;
    uint32_t rate;
    double minSnr;        // dB the codec keeps for a plain tone
};

class CodecRoundTrip : public ::testing::TestWithParam<RoundTrip> {};

} // namespace

TEST_P(CodecRoundTrip, PcmToCodecAndBackKeepsLengthAndSignal) {
    const RoundTrip p = GetParam();
    auto pcm = pcmFormat(p.channels, p.rate, 16);
    auto coded = codecFormat(p.tag, p.channels, p.rate);
    const int64_t frames = p.rate * 3 / 2 + 77;   // not a whole number of blocks
    auto ref = tone(p.channels, p.rate, frames, 300.0);
    // Odd chunk sizes make every block boundary fall inside a chunk.
    auto enc = runStream(pcm, coded, bytesOf(ref), 4999);
    ASSERT_FALSE(enc.empty());
    const FormatFields cf = readFields(coded.data());
    if (cf.blockAlign > 1) {
        EXPECT_EQ(enc.size() % cf.blockAlign, 0u);
    }
    auto dec = samplesOf(runStream(coded, pcm, enc, 3001));
    const int64_t decFrames = static_cast<int64_t>(dec.size()) / p.channels;
    // Block codecs pad the last block with silence; nothing is lost.
    uint32_t spb = 1;
    if (cf.formatTag != kTagALaw && cf.formatTag != kTagMuLaw) spb = coded[18] | (coded[19] << 8);
    EXPECT_GE(decFrames, frames);
    EXPECT_LT(decFrames, frames + static_cast<int64_t>(spb));
    EXPECT_GT(snrDb(ref, dec), p.minSnr);
}

INSTANTIATE_TEST_SUITE_P(Drivers, CodecRoundTrip,
                         ::testing::Values(RoundTrip{kTagALaw, 1, 8000, 30}, RoundTrip{kTagMuLaw, 2, 11025, 30},
                                           RoundTrip{kTagImaAdpcm, 1, 22050, 20}, RoundTrip{kTagImaAdpcm, 2, 44100, 20},
                                           RoundTrip{kTagMsAdpcm, 1, 8000, 18}, RoundTrip{kTagMsAdpcm, 2, 22050, 18},
                                           RoundTrip{kTagGsm610, 1, 8000, 8}));

TEST(CodecStreams, Mp3RoundTripWhenTheEncoderExists) {
    if (!encoderAvailable(kTagMpegLayer3)) GTEST_SKIP() << "this libavcodec has no MPEG layer 3 encoder";
    auto pcm = pcmFormat(2, 44100, 16);
    auto mp3 = codecFormat(kTagMpegLayer3, 2, 44100);
    const int64_t frames = 44100 * 2;
    auto ref = tone(2, 44100, frames, 500.0);
    auto enc = runStream(pcm, mp3, bytesOf(ref), 88200);
    // About 128 kbit/s for two seconds.
    EXPECT_GT(enc.size(), 25000u);
    EXPECT_LT(enc.size(), 40000u);
    auto dec = samplesOf(runStream(mp3, pcm, enc, 4096));
    const int64_t decFrames = static_cast<int64_t>(dec.size()) / 2;
    EXPECT_GE(decFrames, frames);
    EXPECT_LE(decFrames, frames + 4 * 1152);
    // The codec delays the signal; find the lag and compare there.
    double best = -100;
    for (size_t lag = 0; lag < 3000; ++lag) best = std::max(best, snrDb(ref, dec, lag * 2));
    EXPECT_GT(best, 15.0);
}

TEST(CodecStreams, PcmConverterChangesRateChannelsAndBitsAtOnce) {
    auto src = pcmFormat(2, 44100, 16);
    auto dst = pcmFormat(1, 22050, 8);
    const int64_t frames = 44100;
    auto ref = tone(2, 44100, frames, 200.0);
    auto out = runStream(src, dst, bytesOf(ref), 10000);
    EXPECT_NEAR(static_cast<double>(out.size()), 22050.0, 40.0);
    // Back up again: the tone of the left channel survives (the right one at
    // 400 Hz is mixed in, so compare the 8-bit mono against the mean).
    auto back = samplesOf(runStream(dst, pcmFormat(1, 22050, 16), out, 7000));
    std::vector<int16_t> mono(static_cast<size_t>(frames / 2));
    for (size_t i = 0; i < mono.size(); ++i)
        mono[i] = static_cast<int16_t>((ref[4 * i] + ref[4 * i + 1]) / 2);
    double best = -100;
    for (size_t lag = 0; lag < 64; ++lag) best = std::max(best, snrDb(mono, back, lag));
    EXPECT_GT(best, 25.0);
}

TEST(CodecStreams, ChannelChangesKeepTheLevel) {
    // Mono to stereo puts the same samples on both sides at full level.
    auto ref = tone(1, 22050, 4000, 300.0, 20000.0);
    auto both = samplesOf(runStream(pcmFormat(1, 22050, 16), pcmFormat(2, 22050, 16), bytesOf(ref), 3001));
    ASSERT_EQ(both.size(), ref.size() * 2);
    for (size_t i = 0; i < ref.size(); ++i) {
        ASSERT_EQ(both[2 * i], ref[i]) << i;
        ASSERT_EQ(both[2 * i + 1], ref[i]) << i;
    }
    // Stereo to mono is the mean of the two channels.
    auto st = tone(2, 22050, 4000, 300.0, 20000.0);
    auto mono = samplesOf(runStream(pcmFormat(2, 22050, 16), pcmFormat(1, 22050, 16), bytesOf(st), 2999));
    ASSERT_EQ(mono.size(), st.size() / 2);
    for (size_t i = 0; i < mono.size(); ++i) ASSERT_NEAR(mono[i], (st[2 * i] + st[2 * i + 1]) / 2.0, 1.0) << i;
    // 8-bit too, and again after the stream ended once (a reset).
    std::vector<uint8_t> u8 = {0, 64, 128, 200, 255};
    auto wide = runStream(pcmFormat(1, 8000, 8), pcmFormat(2, 8000, 8), u8, 2);
    EXPECT_EQ(wide, (std::vector<uint8_t>{0, 0, 64, 64, 128, 128, 200, 200, 255, 255}));
}

namespace {

// A linear record of any tag the PCM converter reads; the extensible one
// carries its sub-format tag in the GUID.
std::vector<uint8_t> linearFormat(uint16_t tag, uint16_t channels, uint32_t rate, uint16_t bits,
                                  uint16_t subTag = kTagPcm) {
    std::vector<uint8_t> r(tag == kTagExtensible ? 40 : 18, 0);
    FormatFields f{tag, channels, rate, rate * channels * bits / 8u, uint16_t(channels * bits / 8), bits,
                   uint16_t(tag == kTagExtensible ? 22 : 0)};
    writeFields(r.data(), f);
    if (tag == kTagExtensible) {
        const uint8_t guid[16] = {uint8_t(subTag), 0, 0, 0, 0, 0, 0x10, 0, 0x80, 0, 0, 0xAA, 0, 0x38, 0x9B, 0x71};
        r[18] = uint8_t(bits);
        std::copy(guid, guid + 16, r.begin() + 24);
    }
    return r;
}

std::vector<uint8_t> le(const std::vector<int64_t>& v, int bytes) {
    std::vector<uint8_t> out;
    for (int64_t x : v)
        for (int i = 0; i < bytes; ++i) out.push_back(uint8_t(uint64_t(x) >> (8 * i)));
    return out;
}

std::vector<uint8_t> floats(const std::vector<float>& v) {
    std::vector<uint8_t> out(v.size() * 4);
    std::memcpy(out.data(), v.data(), out.size());
    return out;
}

} // namespace

TEST(CodecStreams, WideAndFloatPcmIsReadAsSixteenBit) {
    const auto s16 = pcmFormat(2, 8000, 16);
    const std::vector<int16_t> want = {0x1234, -0x1235, 32767, -32768, 0, 100};
    // 24-bit integers: the top two bytes are the 16-bit sample.
    const auto in24 = le({0x123400, -0x123500, 0x7FFF00, -0x800000, 0, 0x006400}, 3);
    EXPECT_EQ(samplesOf(runStream(linearFormat(kTagPcm, 2, 8000, 24), s16, in24, 601)), want);
    EXPECT_EQ(samplesOf(runStream(linearFormat(kTagExtensible, 2, 8000, 24), s16, in24, 600)), want);
    const auto in32 = le({0x12340000, -0x12350000, 0x7FFF0000, -0x7FFFFFFF - 1, 0, 0x00640000}, 4);
    EXPECT_EQ(samplesOf(runStream(linearFormat(kTagPcm, 2, 8000, 32), s16, in32, 800)), want);
    const auto inF = floats({0x1234 / 32768.f, -0x1235 / 32768.f, 1.0f, -1.0f, 0.f, 100 / 32768.f});
    EXPECT_EQ(samplesOf(runStream(linearFormat(kTagIeeeFloat, 2, 8000, 32), s16, inF, 800)), want);
    EXPECT_EQ(samplesOf(runStream(linearFormat(kTagExtensible, 2, 8000, 32, kTagIeeeFloat), s16, inF, 808)), want);

    // Only read, never written; and a record whose sizes disagree is refused.
    EXPECT_TRUE(canRead(linearFormat(kTagPcm, 1, 44100, 24).data()));
    EXPECT_FALSE(canProduce(linearFormat(kTagPcm, 1, 44100, 24).data()));
    EXPECT_FALSE(canProduce(linearFormat(kTagIeeeFloat, 1, 44100, 32).data()));
    auto bad = linearFormat(kTagPcm, 2, 8000, 24);
    bad[12] = 4;   // block align of 16-bit stereo
    EXPECT_FALSE(canRead(bad.data()));
    auto otherGuid = linearFormat(kTagExtensible, 2, 8000, 24);
    otherGuid[30] = 0x11;
    EXPECT_FALSE(canRead(otherGuid.data()));
    // The suggestion for a wide source is 16-bit PCM of its shape.
    std::vector<uint8_t> sug(50, 0);
    writeFields(sug.data(), FormatFields{kTagPcm, 0, 0, 0, 0, 0, 0});
    ASSERT_EQ(formatSuggest(linearFormat(kTagIeeeFloat, 1, 22050, 32).data(), sug.data(), 50, kSuggestTag), kOk);
    EXPECT_EQ(std::vector<uint8_t>(sug.begin(), sug.begin() + 18), pcmFormat(1, 22050, 16));
}

TEST(CodecStreams, SameFormatIsCopiedExactly) {
    auto f = pcmFormat(2, 22050, 16);
    auto ref = bytesOf(tone(2, 22050, 5000));
    EXPECT_EQ(runStream(f, f, ref, 1234), ref);
    auto f8 = pcmFormat(1, 8000, 8);
    std::vector<uint8_t> ramp(3000);
    for (size_t i = 0; i < ramp.size(); ++i) ramp[i] = static_cast<uint8_t>(i * 7);
    EXPECT_EQ(runStream(f8, f8, ramp, 999), ramp);
}

TEST(CodecStreams, OutputThatDoesNotFitIsGivenOnTheNextCall) {
    auto pcm = pcmFormat(1, 8000, 16);
    auto alaw = codecFormat(kTagALaw, 1, 8000);
    StreamHandle h = 0;
    ASSERT_EQ(streamOpen(&h, pcm.data(), alaw.data(), 0), kOk);
    auto in = bytesOf(tone(1, 8000, 1000));
    std::vector<uint8_t> dest(300);
    StreamHeader hdr;
    hdr.source = in.data();
    hdr.sourceLength = static_cast<uint32_t>(in.size());
    hdr.dest = dest.data();
    hdr.destLength = 300;
    EXPECT_EQ(streamConvert(h, hdr, 0), kErrStreamUnprepared);
    ASSERT_EQ(streamPrepareHeader(h, hdr), kOk);
    ASSERT_EQ(streamConvert(h, hdr, kConvertBlockAlign), kOk);
    EXPECT_EQ(hdr.sourceLengthUsed, 2000u);
    EXPECT_EQ(hdr.destLengthUsed, 300u);
    size_t total = 300;
    hdr.sourceLength = 0;
    for (int i = 0; i < 5; ++i) {
        ASSERT_EQ(streamConvert(h, hdr, kConvertBlockAlign), kOk);
        total += hdr.destLengthUsed;
    }
    EXPECT_EQ(total, 1000u);
    uint32_t size = 0;
    EXPECT_EQ(streamSize(h, 2000, size, kSizeSource), kOk);
    EXPECT_GE(size, 1000u);
    EXPECT_EQ(streamSize(h, 1000, size, kSizeDestination), kOk);
    EXPECT_EQ(size, 2000u);
    EXPECT_EQ(streamUnprepareHeader(h, hdr), kOk);
    EXPECT_EQ(streamUnprepareHeader(h, hdr), kErrStreamUnprepared);
    EXPECT_EQ(streamClose(h), kOk);
    EXPECT_EQ(streamClose(h), kErrInvalidHandle);
    EXPECT_EQ(streamSize(h, 1, size, 0), kErrInvalidHandle);
    EXPECT_EQ(streamConvert(h, hdr, 0), kErrInvalidHandle);
}

TEST(CodecStreams, BlockDecoderKeepsAPartialBlockUntilTheEnd) {
    auto ima = codecFormat(kTagImaAdpcm, 1, 8000);       // 256-byte blocks
    auto pcm = pcmFormat(1, 8000, 16);
    StreamHandle h = 0;
    ASSERT_EQ(streamOpen(&h, ima.data(), pcm.data(), kOpenNonRealTime), kOk);
    // Zero blocks: silence with a valid block header.
    std::vector<uint8_t> in(300, 0), dest(8192);
    StreamHeader hdr;
    hdr.source = in.data();
    hdr.sourceLength = 300;
    hdr.dest = dest.data();
    hdr.destLength = static_cast<uint32_t>(dest.size());
    ASSERT_EQ(streamPrepareHeader(h, hdr), kOk);
    ASSERT_EQ(streamConvert(h, hdr, kConvertStart | kConvertBlockAlign), kOk);
    EXPECT_EQ(hdr.sourceLengthUsed, 256u);
    EXPECT_EQ(hdr.destLengthUsed, 505u * 2);
    // The short rest is decoded as far as it goes when the end is flagged.
    hdr.source = in.data() + 256;
    hdr.sourceLength = 44;
    ASSERT_EQ(streamConvert(h, hdr, kConvertEnd), kOk);
    EXPECT_EQ(hdr.sourceLengthUsed, 44u);
    EXPECT_GT(hdr.destLengthUsed, 0u);
    EXPECT_EQ(streamClose(h), kOk);
}

TEST(CodecStreams, ResetForgetsBufferedState) {
    auto src = pcmFormat(1, 44100, 16);
    auto dst = pcmFormat(1, 8000, 16);
    auto in = bytesOf(tone(1, 44100, 4410));
    auto once = runStream(src, dst, in, 100000);
    // The same input twice through one handle, reset in between, gives the same output.
    StreamHandle h = 0;
    ASSERT_EQ(streamOpen(&h, src.data(), dst.data(), 0), kOk);
    for (int round = 0; round < 2; ++round) {
        std::vector<uint8_t> dest(65536);
        StreamHeader hdr;
        hdr.source = in.data();
        hdr.sourceLength = static_cast<uint32_t>(in.size());
        hdr.dest = dest.data();
        hdr.destLength = static_cast<uint32_t>(dest.size());
        ASSERT_EQ(streamPrepareHeader(h, hdr), kOk);
        ASSERT_EQ(streamConvert(h, hdr, kConvertEnd), kOk);
        dest.resize(hdr.destLengthUsed);
        EXPECT_EQ(dest, once) << round;
        EXPECT_EQ(streamReset(h), kOk);
    }
    EXPECT_EQ(streamClose(h), kOk);
}

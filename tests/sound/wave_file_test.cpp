#include <gtest/gtest.h>

#include <cerrno>

#include "platform/files.h"
#include "sound/engine/wave_file.h"
#include "tests/support/scripted_prompts.h"
#include "tests/support/wave_fixtures.h"

using namespace sv;
using namespace sv::test;

namespace {
struct Layout { int bits, channels; };
class WaveRoundTrip : public ::testing::TestWithParam<Layout> {};
} // namespace

TEST_P(WaveRoundTrip, ReadThenWriteIsByteExact) {
    TempExeDir dir;
    const Layout l = GetParam();
    const auto bytes = canonicalWave(22050, l.bits, l.channels, testSignal(l.bits, l.channels, 1000));
    writeBytes(dir.file("in.wav"), bytes);

    WaveProbe pr = probeWave(dir.file("in.wav"));
    ASSERT_EQ(pr.status, WaveProbe::Status::Ok);
    EXPECT_TRUE(pr.chunked);
    EXPECT_TRUE(pr.format.isSupportedPcm());
    SoundBuffer s;
    readWaveSamples(dir.file("in.wav"), pr, pr.dataBytes(false), s);
    EXPECT_EQ(s.frameCount(), 1000);

    ASSERT_EQ(writeWaveFile(dir.file("out.wav"), s.format, s.bytes.data(), int64_t(s.bytes.size())), 0);
    EXPECT_EQ(readBytes(dir.file("out.wav")), bytes);
}

INSTANTIATE_TEST_SUITE_P(Layouts, WaveRoundTrip,
                         ::testing::Values(Layout{8, 1}, Layout{8, 2}, Layout{16, 1}, Layout{16, 2}));

TEST(WaveFile, ChunksAroundDataAreNotSamples) {
    TempExeDir dir;
    const auto data = testSignal(16, 2, 300);
    std::vector<uint8_t> list = chunk("LIST", std::vector<uint8_t>(27, 'x'));   // odd: padded
    std::vector<uint8_t> fact = chunk("fact", {1, 0, 0, 0});
    std::vector<uint8_t> before = list;
    before.insert(before.end(), fact.begin(), fact.end());
    writeBytes(dir.file("a.wav"), chunkedWave(44100, 16, 2, data, before, chunk("id3 ", {1, 2, 3, 4}), 18));

    WaveProbe pr = probeWave(dir.file("a.wav"));
    ASSERT_EQ(pr.status, WaveProbe::Status::Ok);
    EXPECT_EQ(pr.format.nSamplesPerSec, 44100u);
    EXPECT_EQ(pr.format.cbSize, 0);
    SoundBuffer s;
    readWaveSamples(dir.file("a.wav"), pr, pr.dataBytes(false), s);
    ASSERT_EQ(s.bytes.size(), data.size());
    EXPECT_EQ(std::vector<uint8_t>(s.bytes.data(), s.bytes.data() + s.bytes.size()), data);
}

TEST(WaveFile, DamagedSizesAreReported) {
    TempExeDir dir;
    auto bytes = canonicalWave(8000, 8, 1, testSignal(8, 1, 100));
    bytes[40] = 0xE8; bytes[41] = 0x03;   // claims 1000 bytes, has 100
    writeBytes(dir.file("big.wav"), bytes);
    WaveProbe pr = probeWave(dir.file("big.wav"));
    EXPECT_TRUE(pr.sizeDamaged());
    EXPECT_EQ(pr.dataBytes(true), 100);

    // An unfinished recording states 0 bytes: everything after the header.
    bytes[40] = 0; bytes[41] = 0;
    writeBytes(dir.file("zero.wav"), bytes);
    pr = probeWave(dir.file("zero.wav"));
    EXPECT_FALSE(pr.sizeDamaged());
    EXPECT_EQ(pr.dataBytes(false), 100);

    writeBytes(dir.file("short.wav"), std::vector<uint8_t>(bytes.begin(), bytes.begin() + 30));
    EXPECT_EQ(probeWave(dir.file("short.wav")).status, WaveProbe::Status::TooShort);
    EXPECT_EQ(probeWave(dir.file("missing.wav")).status, WaveProbe::Status::OpenFailed);
}

TEST(WaveFile, OddFrameTailIsDropped) {
    TempExeDir dir;
    auto data = testSignal(16, 2, 10);
    data.push_back(7);   // half a frame
    writeBytes(dir.file("odd.wav"), canonicalWave(8000, 16, 2, data));
    WaveProbe pr = probeWave(dir.file("odd.wav"));
    SoundBuffer s;
    readWaveSamples(dir.file("odd.wav"), pr, pr.dataBytes(false), s);
    EXPECT_EQ(s.frameCount(), 10);
    EXPECT_EQ(s.bytes.size(), 40u);
}

TEST(WaveFile, FailedCreateLeavesOldFileIntact) {
    TempExeDir dir;
    const auto old = canonicalWave(8000, 8, 1, testSignal(8, 1, 50));
    writeBytes(dir.file("keep.wav"), old);
    setCreateFaultHook([](const std::string&) { return EACCES; });
    uint8_t data[4] = {1, 2, 3, 4};
    EXPECT_EQ(writeWaveFile(dir.file("keep.wav"), SampleFormat::pcm(8000, 8, 1), data, 4), EACCES);
    setCreateFaultHook(nullptr);
    EXPECT_EQ(readBytes(dir.file("keep.wav")), old);
}

TEST(WaveFile, MoreSamplesThanAHeaderCountsAreRefusedBeforeAnythingIsWritten) {
    TempExeDir dir;
    const auto old = canonicalWave(8000, 8, 1, testSignal(8, 1, 50));
    writeBytes(dir.file("keep.wav"), old);
    uint8_t data[4] = {1, 2, 3, 4};
    // Refused on the count alone: the samples are never read.
    EXPECT_EQ(writeWaveFile(dir.file("keep.wav"), SampleFormat::pcm(8000, 8, 1), data,
                            WaveFileHeader::kMaxDataBytes + 1),
              EFBIG);
    EXPECT_EQ(readBytes(dir.file("keep.wav")), old);
}

TEST(WaveFile, FileThatShrankAfterTheProbeIsReportedAsAnIoError) {
    TempExeDir dir;
    writeBytes(dir.file("s.wav"), canonicalWave(8000, 8, 1, testSignal(8, 1, 100)));
    const WaveProbe pr = probeWave(dir.file("s.wav"));
    writeBytes(dir.file("s.wav"), canonicalWave(8000, 8, 1, testSignal(8, 1, 10)));
    SoundBuffer s;
    errno = ENOENT;   // left by some earlier call: not the story of this read
    try {
        readWaveSamples(dir.file("s.wav"), pr, pr.dataBytes(false), s);
        FAIL() << "a short read must throw";
    } catch (const FileIOError& e) {
        EXPECT_EQ(e.code(), EIO);
    }
}

TEST(SampleFormat, EighteenBytesLittleEndian) {
    SampleFormat f = SampleFormat::pcm(44100, 16, 2);
    uint8_t b[kSampleFormatBytes];
    f.toBytes(b);
    const uint8_t expect[kSampleFormatBytes] = {1, 0, 2, 0, 0x44, 0xAC, 0, 0, 0x10, 0xB1, 2, 0, 4, 0, 16, 0, 0, 0};
    EXPECT_EQ(std::vector<uint8_t>(b, b + 18), std::vector<uint8_t>(expect, expect + 18));
    EXPECT_EQ(SampleFormat::fromBytes(b), f);
}

TEST(SoundBuffer, SelectionStaysInsideTheSound) {
    SoundBuffer s;
    s.format = SampleFormat::pcm(8000, 16, 2);
    s.bytes.resize(400);   // 100 frames
    s.setSelection(-5, 30);
    EXPECT_EQ(s.selectionStart, 0);
    EXPECT_EQ(s.selectionLength, 30);
    s.setSelection(90, 50);
    EXPECT_EQ(s.selectionLength, 10);
    s.setSelection(150, -3);
    EXPECT_EQ(s.selectionStart, 100);
    EXPECT_EQ(s.selectionLength, 0);
}

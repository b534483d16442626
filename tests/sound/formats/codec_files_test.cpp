// The G.711 codecs and the engine's readers and writers of the other
// formats, on files written by the test.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include "sound/engine/formats/dvi_adpcm.h"
#include "sound/engine/formats/g711.h"
#include "sound/engine/formats/law_wave.h"
#include "sound/engine/formats/raw_file.h"
#include "sound/engine/formats/snd_file.h"
#include "sound/engine/formats/text_file.h"
#include "tests/platform/codec/codec_support.h"
#include "tests/support/scripted_prompts.h"
#include "tests/support/wave_fixtures.h"

using namespace sv;
using namespace sv::test;

namespace {

std::vector<uint8_t> le16(const std::vector<int16_t>& v) {
    std::vector<uint8_t> out;
    for (int16_t x : v) {
        out.push_back(uint8_t(uint16_t(x)));
        out.push_back(uint8_t(uint16_t(x) >> 8));
    }
    return out;
}

std::vector<uint8_t> bytesOf(const SoundBuffer& s) {
    return std::vector<uint8_t>(s.bytes.data(), s.bytes.data() + s.bytes.size());
}

SoundBuffer soundOf(int bits, int channels, const std::vector<uint8_t>& data, uint32_t rate = 8000) {
    SoundBuffer s;
    s.format = SampleFormat::pcm(rate, bits, channels);
    s.bytes.assign(data.data(), data.size());
    return s;
}

void be32(std::vector<uint8_t>& v, uint32_t x) {
    for (int sh = 24; sh >= 0; sh -= 8) v.push_back(uint8_t(x >> sh));
}

std::vector<uint8_t> sndFile(uint32_t encoding, uint32_t rate, uint32_t channels, const std::vector<uint8_t>& data,
                             uint32_t offset = 28, uint32_t size = 0xFFFFFFFFu) {
    std::vector<uint8_t> f = {'.', 's', 'n', 'd'};
    be32(f, offset);
    be32(f, size);
    be32(f, encoding);
    be32(f, rate);
    be32(f, channels);
    while (f.size() < offset) f.push_back('x');   // annotation
    f.insert(f.end(), data.begin(), data.end());
    return f;
}

SoundBuffer readAll(const std::string& path, const FormatProbe& p) {
    EXPECT_TRUE(p.ok()) << p.problem;
    SoundBuffer s;
    readFormatSamples(path, p, s);
    return s;
}

} // namespace

TEST(G711, KnownCodesAndEnds) {
    EXPECT_EQ(muLawExpand(0xFF), 0);
    EXPECT_EQ(muLawExpand(0x80), 32124);
    EXPECT_EQ(muLawExpand(0x00), -32124);
    EXPECT_EQ(aLawExpand(0xD5), 8);
    EXPECT_EQ(aLawExpand(0x55), -8);
    EXPECT_EQ(muLawCompress(0), 0xFF);
    EXPECT_EQ(muLawCompress(32767), 0x80);
    EXPECT_EQ(muLawCompress(-32768), 0x00);
    EXPECT_EQ(aLawCompress(0), 0xD5);
    EXPECT_EQ(aLawCompress(32767), 0xAA);
    // The smallest negative values are the smallest negative step, not -248.
    for (int x = -7; x <= -1; ++x) EXPECT_EQ(aLawCompress(int16_t(x)), 0x55) << x;
}

TEST(G711, EveryCodeSurvivesExpandAndCompress) {
    for (int c = 0; c < 256; ++c) {
        EXPECT_EQ(aLawCompress(aLawExpand(uint8_t(c))), c) << c;
        // 0x7F is mu-law's negative zero: it comes back as 0xFF.
        if (c != 0x7F) EXPECT_EQ(muLawCompress(muLawExpand(uint8_t(c))), c) << c;
    }
    // Compression is monotonic over the whole 16-bit range.
    int last = -40000;
    for (int x = -32768; x <= 32767; ++x) {
        const int v = muLawExpand(muLawCompress(int16_t(x)));
        ASSERT_GE(v, last) << x;
        last = v;
    }
}

TEST(G711, EveryALawSampleComesBackWithinItsStep) {
    // The A-law segments of the linear range, scaled to 16 bits: where each
    // begins and the width of its coding steps. A segment's last value
    // belongs to it; every step is given back as its middle.
    struct Segment {
        int first, step;
    };
    const Segment kSegments[8] = {{0, 16},      {256, 16},   {512, 32},    {1024, 64},
                                  {2048, 128}, {4096, 256}, {8192, 512}, {16384, 1024}};
    auto segmentOf = [&](int magnitude) {
        int s = 7;
        while (s > 0 && magnitude < kSegments[s].first) --s;
        return kSegments[s];
    };
    int wrong = 0;
    for (int x = -32768; x <= 32767; ++x) {
        const int back = aLawExpand(aLawCompress(int16_t(x)));
        const Segment seg = segmentOf(x < 0 ? -x : x);
        const Segment out = segmentOf(back < 0 ? -back : back);
        // The value given back is the middle of a step of the table.
        EXPECT_EQ(((back < 0 ? -back : back) - out.first) % out.step, out.step / 2) << x;
        EXPECT_EQ(back < 0, x < 0) << x;
        if (std::abs(back - x) >= seg.step && ++wrong <= 20) {
            ADD_FAILURE() << x << " comes back as " << back << " (step " << seg.step << ")";
        }
    }
    EXPECT_EQ(wrong, 0);
}

TEST(G711, EightBitSamplesAreWidenedToBothEnds) {
    const uint8_t in[] = {127, 255, 0};
    uint8_t out[3];
    compressG711(in, 8, 3, out, true);
    EXPECT_EQ(out[0], muLawCompress(0));
    EXPECT_EQ(out[1], muLawCompress(32767));
    EXPECT_EQ(out[2], muLawCompress(-127 * 256));
}

class FormatFiles : public ::testing::Test {
protected:
    TempExeDir dir;
};

TEST_F(FormatFiles, LawWaveWrittenAndReadBack) {
    const std::vector<int16_t> v = {0, 1000, -1000, 32767, -32768, 12345, -5, 77};
    for (bool mu : {true, false}) {
        const std::string path = dir.file(mu ? "mu.wav" : "a.wav");
        ASSERT_EQ(writeLawWave(path, soundOf(16, 2, le16(v), 11025), mu), 0);
        const auto file = readBytes(path);
        ASSERT_EQ(file.size(), 44u + v.size());
        EXPECT_EQ(file[20], mu ? 7 : 6);
        EXPECT_EQ(getU16(file.data() + 22), 2);            // channels
        EXPECT_EQ(getU32(file.data() + 28), 2u * 11025);   // bytes per second
        EXPECT_EQ(getU16(file.data() + 32), 2);            // block align
        EXPECT_EQ(getU16(file.data() + 34), 8);
        EXPECT_EQ(getU32(file.data() + 40), v.size());

        // Read back from the data chunk, not from byte 58.
        const FormatProbe p = probeLawWave(path, mu);
        const SoundBuffer s = readAll(path, p);
        EXPECT_EQ(s.format, SampleFormat::pcm(11025, 16, 2));
        ASSERT_EQ(s.frameCount(), 4);
        for (size_t i = 0; i < v.size(); ++i) {
            const int16_t expect = mu ? muLawExpand(muLawCompress(v[i])) : aLawExpand(aLawCompress(v[i]));
            EXPECT_EQ(readSample(s.bytes.data() + 2 * i, int16_t{}), expect) << i;
        }
    }
}

TEST_F(FormatFiles, LawWaveWithFactChunkAndWithoutChunks) {
    // A chunked file with a "fact" chunk and a trailing chunk after the data.
    std::vector<uint8_t> fact = chunk("fact", {3, 0, 0, 0});
    std::vector<uint8_t> tail = chunk("LIST", {'a', 'b'});
    auto f = chunkedWave(8000, 8, 1, {0xFF, 0x80, 0x00}, fact, tail, 18);
    f[20] = 7;
    writeBytes(dir.file("fact.wav"), f);
    SoundBuffer s = readAll(dir.file("fact.wav"), probeLawWave(dir.file("fact.wav"), true));
    EXPECT_EQ(bytesOf(s), le16({0, 32124, -32124}));

    // No chunk structure: the samples start at byte 58.
    std::vector<uint8_t> g(58, 0);
    std::memcpy(g.data(), "JUNK", 4);
    g[20] = 6;
    g[22] = 1;             // mono
    g[24] = 0x40; g[25] = 0x1F;   // 8000 Hz
    g.push_back(0xD5);
    g.push_back(0x55);
    writeBytes(dir.file("fixed.wav"), g);
    s = readAll(dir.file("fixed.wav"), probeLawWave(dir.file("fixed.wav"), false));
    EXPECT_EQ(bytesOf(s), le16({8, -8}));
    EXPECT_EQ(s.format.nSamplesPerSec, 8000u);
}

TEST_F(FormatFiles, LawWaveDamagedHeadersAreRefused) {
    auto f = chunkedWave(8000, 8, 3, {1, 2, 3}, {}, {});
    f[20] = 7;
    writeBytes(dir.file("three.wav"), f);
    FormatProbe p = probeLawWave(dir.file("three.wav"), true);
    EXPECT_EQ(p.status, FormatProbe::Status::Damaged);
    EXPECT_NE(p.problem.find("3 channels"), std::string::npos);

    writeBytes(dir.file("short.wav"), std::vector<uint8_t>(30, 0));
    EXPECT_EQ(probeLawWave(dir.file("short.wav"), true).status, FormatProbe::Status::Damaged);
    EXPECT_EQ(probeLawWave(dir.file("missing.wav"), true).status, FormatProbe::Status::OpenFailed);
}

TEST_F(FormatFiles, SunFilesOfEachEncoding) {
    // Encoding 3, stereo: N bytes give N div 4 frames, every word swapped.
    writeBytes(dir.file("s3.au"), sndFile(3, 22050, 2, {0x12, 0x34, 0xAB, 0xCD, 0x00, 0x01, 0x80, 0x00, 0x77}));
    SoundBuffer s = readAll(dir.file("s3.au"), probeSnd(dir.file("s3.au")));
    EXPECT_EQ(s.format, SampleFormat::pcm(22050, 16, 2));
    EXPECT_EQ(bytesOf(s), (std::vector<uint8_t>{0x34, 0x12, 0xCD, 0xAB, 0x01, 0x00, 0x00, 0x80}));

    // Encoding 2: signed bytes around 127; -128 goes to the bottom.
    writeBytes(dir.file("s2.snd"), sndFile(2, 8000, 1, {0x00, 0x7F, 0x80, 0xFF}));
    s = readAll(dir.file("s2.snd"), probeSnd(dir.file("s2.snd")));
    EXPECT_EQ(s.format, SampleFormat::pcm(8000, 8, 1));
    EXPECT_EQ(bytesOf(s), (std::vector<uint8_t>{127, 254, 0, 126}));

    // Encoding 1: mu-law, with an annotation after the header and a data
    // size that would leave a trailing byte out: the samples run to the end.
    writeBytes(dir.file("s1.au"), sndFile(1, 8000, 1, {0xFF, 0x80, 0x00, 0x42}, 40, 3));
    const FormatProbe p = probeSnd(dir.file("s1.au"));
    EXPECT_EQ(p.dataOffset, 40);
    s = readAll(dir.file("s1.au"), p);
    EXPECT_EQ(bytesOf(s), le16({0, 32124, -32124, muLawExpand(0x42)}));
}

TEST_F(FormatFiles, SunDataSizeFieldIsNotRead) {
    // Writers that stream leave the size 0; others state too little or too
    // much. Every stored whole frame is read either way.
    const std::vector<uint8_t> data = {0x00, 0x01, 0x00, 0x02, 0x00, 0x03, 0x00, 0x04, 0x09};
    for (uint32_t size : {0u, 2u, 4u, 1000u, 0xFFFFFFFFu}) {
        writeBytes(dir.file("d.au"), sndFile(3, 8000, 2, data, 28, size));
        const FormatProbe p = probeSnd(dir.file("d.au"));
        EXPECT_EQ(p.dataBytes, 8) << size;
        const SoundBuffer s = readAll(dir.file("d.au"), p);
        EXPECT_EQ(s.frameCount(), 2) << size;
    }
}

TEST_F(FormatFiles, SunFilesThatCannotBeRead) {
    writeBytes(dir.file("g.au"), sndFile(23, 8000, 1, {1, 2}));
    FormatProbe p = probeSnd(dir.file("g.au"));
    EXPECT_EQ(p.status, FormatProbe::Status::Unsupported);
    EXPECT_EQ(p.encoding, 23u);

    auto notSnd = sndFile(2, 8000, 1, {1, 2});
    notSnd[0] = 'X';
    writeBytes(dir.file("x.au"), notSnd);
    EXPECT_EQ(probeSnd(dir.file("x.au")).problem, "This is not a NeXT/Sun sound file.");
    writeBytes(dir.file("c.au"), sndFile(2, 8000, 0x10000, {1, 2}));   // low 16 bits: 0 channels
    EXPECT_EQ(probeSnd(dir.file("c.au")).status, FormatProbe::Status::Damaged);
    writeBytes(dir.file("r.au"), sndFile(2, 0, 1, {1, 2}));
    EXPECT_EQ(probeSnd(dir.file("r.au")).status, FormatProbe::Status::Damaged);
    writeBytes(dir.file("t.au"), {'.', 's', 'n', 'd', 0, 0});
    EXPECT_EQ(probeSnd(dir.file("t.au")).status, FormatProbe::Status::Damaged);
}

TEST_F(FormatFiles, RawFilesDropAPartialFrame) {
    writeBytes(dir.file("r.raw"), {1, 2, 3, 4, 5, 6, 7});
    const FormatProbe p = probeRaw(dir.file("r.raw"), SampleFormat::pcm(44100, 16, 2));
    EXPECT_EQ(p.fileSize, 7);
    const SoundBuffer s = readAll(dir.file("r.raw"), p);
    EXPECT_EQ(bytesOf(s), (std::vector<uint8_t>{1, 2, 3, 4}));
    EXPECT_EQ(s.format, SampleFormat::pcm(44100, 16, 2));
}

TEST_F(FormatFiles, DelimitedTextOfEveryFrame) {
    const std::string path = dir.file("t.csv");
    ASSERT_EQ(writeDelimitedText(path, soundOf(16, 2, le16({1, -2, 32767, -32768, 0, 5})), ';', '\n'), 0);
    const auto t = readBytes(path);
    EXPECT_EQ(std::string(t.begin(), t.end()), "channel1;channel2\n1;-2\n32767;-32768\n0;5\n");

    ASSERT_EQ(writeDelimitedText(path, soundOf(8, 1, {0, 127, 255}), '\t', '\r'), 0);
    const auto u = readBytes(path);
    EXPECT_EQ(std::string(u.begin(), u.end()), "channel1\r0\r127\r255\r");
}

namespace {

// The samples of a DVI ADPCM file written from the sound `s` (at 22050 Hz),
// decoded by the codec layer's IMA ADPCM decoder.
std::vector<int16_t> dviRoundTrip(const std::string& path, const SoundBuffer& s) {
    const int channels = s.format.nChannels;
    EXPECT_EQ(writeDviAdpcmWave(path, s), 0);
    const auto file = readBytes(path);
    EXPECT_EQ(std::string(file.begin() + 40, file.begin() + 44), "data");
    const std::vector<uint8_t> record(file.begin() + 20, file.begin() + 40);
    const std::vector<uint8_t> data(file.begin() + 48, file.end());
    EXPECT_EQ(data.size() % kDviBlockAlign, 0u);
    EXPECT_TRUE(codec::canRead(record.data()));
    return samplesOf(runStream(record, pcmFormat(uint16_t(channels), 22050, 16), data, 4096));
}

} // namespace

TEST_F(FormatFiles, DviAdpcmFilesDecodeBackToTheSound) {
    for (int channels : {1, 2}) {
        SCOPED_TRACE(channels);
        const auto ref = tone(channels, 22050, 5000, 300.0);
        const auto back = dviRoundTrip(dir.file("d.wav"), soundOf(16, channels, le16(ref), 22050));
        ASSERT_GE(back.size(), ref.size());
        EXPECT_GT(snrDb(ref, back), 20.0);
    }
    EXPECT_EQ(dviSamplesPerBlock(1), 1017);
    EXPECT_EQ(dviSamplesPerBlock(2), 505);

    // An 8-bit full-scale square wave: 255 is the top of the 16-bit range,
    // never a negative spike.
    std::vector<uint8_t> square;
    for (int i = 0; i < 2000; ++i) square.push_back(i % 200 < 100 ? 255 : 0);
    const auto back = dviRoundTrip(dir.file("d8.wav"), soundOf(8, 1, square, 22050));
    ASSERT_GE(back.size(), square.size());
    for (size_t i = 0; i < square.size(); ++i) {
        if (i % 100 >= 50) EXPECT_EQ(back[i] > 30000, square[i] == 255) << i << " " << back[i];
    }
}

#include <gtest/gtest.h>

#include <cstring>

#include "conversion/kaAudioStreams.h"

using namespace sv;

namespace {

void put32(std::vector<uint8_t>& v, uint32_t x) {
    for (int i = 0; i < 4; ++i) v.push_back(static_cast<uint8_t>(x >> (8 * i)));
}
void put16(std::vector<uint8_t>& v, uint16_t x) {
    v.push_back(static_cast<uint8_t>(x));
    v.push_back(static_cast<uint8_t>(x >> 8));
}
void chunk(std::vector<uint8_t>& v, const char* id, const std::vector<uint8_t>& body, bool pad = true) {
    v.insert(v.end(), id, id + 4);
    put32(v, static_cast<uint32_t>(body.size()));
    v.insert(v.end(), body.begin(), body.end());
    if (pad && (body.size() & 1)) v.push_back(0);
}
std::vector<uint8_t> pcmFmt(uint16_t ch = 1, uint32_t rate = 8000, uint16_t bits = 16) {
    std::vector<uint8_t> f;
    put16(f, 1);
    put16(f, ch);
    put32(f, rate);
    put32(f, rate * ch * bits / 8);
    put16(f, static_cast<uint16_t>(ch * bits / 8));
    put16(f, bits);
    return f;
}
std::vector<uint8_t> riff(const std::vector<uint8_t>& chunks, const char* form = "WAVE", const char* riffId = "RIFF") {
    std::vector<uint8_t> v(riffId, riffId + 4);
    put32(v, static_cast<uint32_t>(chunks.size() + 4));
    v.insert(v.end(), form, form + 4);
    v.insert(v.end(), chunks.begin(), chunks.end());
    return v;
}
std::vector<uint8_t> ramp(size_t n) {
    std::vector<uint8_t> v(n);
    for (size_t i = 0; i < n; ++i) v[i] = static_cast<uint8_t>(i * 3 + 1);
    return v;
}
std::vector<uint8_t> readAll(ByteStream& s) {
    std::vector<uint8_t> out(static_cast<size_t>(s.Size()));
    s.SetPosition(0);
    out.resize(static_cast<size_t>(s.Read(out.data(), static_cast<int64_t>(out.size()))));
    return out;
}

} // namespace

TEST(SubStream, WindowOfSize100) {
    MemoryByteStream parent(ramp(300));
    TkaSubStream s(&parent, 50, 100);
    EXPECT_EQ(s.Size(), 100);
    EXPECT_EQ(s.Seek(0, soEnd), 100);
    EXPECT_EQ(s.Seek(500, soBeginning), 100);
    EXPECT_EQ(s.Seek(-5, soBeginning), 0);
    std::vector<uint8_t> buf(150);
    EXPECT_EQ(s.Read(buf.data(), 150), 100);
    EXPECT_EQ(buf[0], static_cast<uint8_t>(50 * 3 + 1));
    EXPECT_EQ(buf[99], static_cast<uint8_t>(149 * 3 + 1));
    EXPECT_EQ(s.Position(), 100);
    EXPECT_EQ(s.Read(buf.data(), 10), 0);
    // Seeking repositions the parent inside the window.
    EXPECT_EQ(s.Seek(-10, soEnd), 90);
    EXPECT_EQ(parent.Position(), 140);
}

TEST(SubStream, WritesStayInsideTheWindow) {
    MemoryByteStream parent(std::vector<uint8_t>(40, 0));
    TkaSubStream s(&parent, 10, 20);
    uint8_t b[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    EXPECT_EQ(s.Write(b, 8), 8);
    EXPECT_EQ(s.Position(), 8);
    EXPECT_EQ(s.Write(b, 8), 8);
    try {
        s.Write(b, 8);
        FAIL();
    } catch (const ESubStreamError& e) {
        EXPECT_STREQ(e.what(), "Write past end of sub stream.");
    }
    EXPECT_EQ(parent.data()[10], 1);
    EXPECT_EQ(parent.data()[25], 8);
    EXPECT_EQ(parent.data()[26], 0);
}

TEST(SubStream, WindowMustLieInsideItsParent) {
    MemoryByteStream parent(ramp(100));
    EXPECT_THROW(TkaSubStream(&parent, 0, 10), ESubStreamError);
    EXPECT_THROW(TkaSubStream(&parent, 95, 10), ESubStreamError);
    EXPECT_THROW(TkaSubStream(nullptr, 5, 10), ESubStreamError);
    EXPECT_NO_THROW(TkaSubStream(&parent, 100, 0));   // an empty window at the end
}

TEST(RiffReader, FindsFormatAndDataAcrossOtherChunks) {
    std::vector<uint8_t> c;
    chunk(c, "fmt ", pcmFmt(2, 22050, 16));
    chunk(c, "LIST", std::vector<uint8_t>(27, 'x'));     // odd, padded
    chunk(c, "fact", {1, 2, 3, 4});
    chunk(c, "data", ramp(400));
    MemoryByteStream f(riff(c));
    TkaRIFFAudioReader r(&f);
    EXPECT_EQ(r.GetFormat().Channels(), 2);
    EXPECT_EQ(r.GetFormat().SamplesPerSec(), 22050u);
    EXPECT_EQ(r.GetFormat().ExtraSize(), 0);
    EXPECT_EQ(r.DataSize(), 400);
    EXPECT_EQ(r.TrackCount(), 1);
    TkaSubStream* s = r.DataStream();
    EXPECT_EQ(readAll(*s), ramp(400));
    std::vector<uint8_t> buf(1000);
    EXPECT_EQ(r.ReadTrackData(0, buf.data(), 1000), 400);
    EXPECT_EQ(r.ReadTrackData(0, buf.data(), 10), 10);
    EXPECT_EQ(buf[0], ramp(1)[0]);
}

TEST(RiffReader, DataBeforeFormatAndCaseOfChunkIds) {
    std::vector<uint8_t> c;
    chunk(c, "DATA", ramp(10));
    chunk(c, "FmT ", pcmFmt());
    MemoryByteStream f(riff(c));
    TkaRIFFAudioReader r(&f);
    EXPECT_EQ(r.DataSize(), 10);
    EXPECT_EQ(r.GetFormat().BitsPerSample(), 16);
}

TEST(RiffReader, OddChunkWithoutItsPadByte) {
    std::vector<uint8_t> c;
    chunk(c, "fmt ", pcmFmt());
    chunk(c, "LIST", std::vector<uint8_t>(5, 'y'), false);   // writer omitted the pad
    chunk(c, "data", ramp(64));
    MemoryByteStream f(riff(c));
    TkaRIFFAudioReader r(&f);
    EXPECT_EQ(r.DataSize(), 64);
    EXPECT_EQ(readAll(*r.DataStream()), ramp(64));
}

TEST(RiffReader, TruncatedAndEmptyData) {
    std::vector<uint8_t> c;
    chunk(c, "fmt ", pcmFmt());
    c.insert(c.end(), {'d', 'a', 't', 'a'});
    put32(c, 100000);                      // claims far more than follows
    auto body = ramp(333);
    c.insert(c.end(), body.begin(), body.end());
    MemoryByteStream f(riff(c));
    TkaRIFFAudioReader r(&f);
    EXPECT_EQ(r.DeclaredDataSize, 100000u);
    EXPECT_EQ(r.DataSize(), 333);
    EXPECT_EQ(readAll(*r.DataStream()), body);

    std::vector<uint8_t> e;
    chunk(e, "fmt ", pcmFmt());
    chunk(e, "data", {});
    MemoryByteStream g(riff(e));
    TkaRIFFAudioReader r2(&g);
    EXPECT_EQ(r2.DataSize(), 0);
    EXPECT_EQ(r2.DataStream()->Size(), 0);
}

TEST(RiffReader, RefusesWhatIsNotRiffWave) {
    std::vector<uint8_t> c;
    chunk(c, "fmt ", pcmFmt());
    chunk(c, "data", ramp(8));
    auto expectInvalid = [](std::vector<uint8_t> bytes) {
        MemoryByteStream f(std::move(bytes));
        try {
            TkaRIFFAudioReader r(&f);
            ADD_FAILURE() << "accepted";
        } catch (const EACMAudioReadError& e) {
            EXPECT_STREQ(e.what(), "Invalid file format.");
        }
    };
    expectInvalid(riff(c, "wave"));
    expectInvalid(riff(c, "WAVE", "riff"));
    expectInvalid({});
    expectInvalid({'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E'});
    std::vector<uint8_t> noData;
    chunk(noData, "fmt ", pcmFmt());
    expectInvalid(riff(noData));
    std::vector<uint8_t> big;
    chunk(big, "fmt ", std::vector<uint8_t>(513, 0));
    chunk(big, "data", ramp(8));
    expectInvalid(riff(big));
    std::vector<uint8_t> huge;                 // a size past 2 GiB ends the walk
    huge.insert(huge.end(), {'J', 'U', 'N', 'K'});
    put32(huge, 0x90000000u);
    chunk(huge, "fmt ", pcmFmt());
    chunk(huge, "data", ramp(8));
    expectInvalid(riff(huge));
}

TEST(RiffReader, FormatChunkOf512BytesIsAccepted) {
    std::vector<uint8_t> fmt = pcmFmt();
    fmt.resize(512, 0x5A);
    std::vector<uint8_t> c;
    chunk(c, "fmt ", fmt);
    chunk(c, "data", ramp(8));
    MemoryByteStream f(riff(c));
    TkaRIFFAudioReader r(&f);
    EXPECT_EQ(r.GetFormat().FormatRecord()[511], 0x5A);
}

TEST(RiffReader, ExtraSizeMustFitItsFormatChunk) {
    auto file = [](std::vector<uint8_t> fmt) {
        std::vector<uint8_t> c;
        chunk(c, "fmt ", fmt);
        chunk(c, "data", ramp(8));
        return riff(c);
    };
    std::vector<uint8_t> gsm = pcmFmt();
    gsm[0] = 0x31;
    put16(gsm, 2);   // extra size
    put16(gsm, 320);
    auto read = [](std::vector<uint8_t> bytes) {
        MemoryByteStream f(std::move(bytes));
        TkaRIFFAudioReader r(&f);
        return r.GetFormat().ExtraSize();
    };
    EXPECT_EQ(read(file(gsm)), 2);
    auto over = gsm;
    over[16] = 3;    // one byte more than the chunk holds
    EXPECT_THROW(read(file(over)), EACMAudioReadError);
    over[16] = 0;
    over[17] = 0xFF;
    EXPECT_THROW(read(file(over)), EACMAudioReadError);
    // A format chunk without the field has no extra bytes.
    auto bare = gsm;
    bare.resize(17);
    EXPECT_EQ(read(file(bare)), 0);
    bare.resize(14);
    EXPECT_EQ(read(file(bare)), 0);
}

TEST(RiffReader, SubStreamsFreedByUserOrReader) {
    std::vector<uint8_t> c;
    chunk(c, "fmt ", pcmFmt());
    chunk(c, "data", ramp(8));
    MemoryByteStream f(riff(c));
    auto r = std::make_unique<TkaRIFFAudioReader>(&f);
    TkaSubStream* a = r->DataStream();
    r->DataStream();
    EXPECT_EQ(r->OpenSubStreams(), 2u);
    delete a;
    EXPECT_EQ(r->OpenSubStreams(), 1u);
    r.reset();   // frees the other
}

TEST(RiffWriter, PcmHeaderAndPatchedSizes) {
    MemoryByteStream out;
    {
        TkaRIFFAudioWriter w(&out);
        w.Format.SetChannels(1);
        w.Format.SetBitsPerSample(16);
        auto a = ramp(1000), b = ramp(501);
        w.WriteAudio(a.data(), 1000);
        w.WriteAudio(b.data(), 501);
        EXPECT_EQ(w.BytesWritten, 1501);
    }
    const auto& d = out.data();
    ASSERT_EQ(d.size(), 44u + 1501u);     // no pad byte
    auto u32 = [&](size_t at) { return d[at] | (d[at + 1] << 8) | (d[at + 2] << 16) | (d[at + 3] << 24); };
    EXPECT_EQ(std::string(d.begin(), d.begin() + 4), "RIFF");
    EXPECT_EQ(u32(4), 1537);
    EXPECT_EQ(std::string(d.begin() + 8, d.begin() + 16), "WAVEfmt ");
    EXPECT_EQ(u32(16), 16);
    EXPECT_EQ(std::string(d.begin() + 36, d.begin() + 40), "data");
    EXPECT_EQ(u32(40), 1501);
    // And it reads back.
    MemoryByteStream in(d);
    TkaRIFFAudioReader r(&in);
    EXPECT_EQ(r.DataSize(), 1501);
    EXPECT_EQ(r.GetFormat().Channels(), 1);
}

TEST(RiffWriter, CompressedFormatChunkCarriesExtraBytes) {
    MemoryByteStream out;
    uint8_t pre[7] = {9, 9, 9, 9, 9, 9, 9};
    out.Write(pre, 7);                    // the file starts where the writer is made
    {
        TkaRIFFAudioWriter w(&out);
        w.Format.SetFormatTag(0x11);
        w.Format.SetExtraSize(2);
        w.Format.FormatRecord()[18] = 0xF9;
        uint8_t x[3] = {1, 2, 3};
        w.WriteAudio(x, 3);
        EXPECT_EQ(w.DataChunkPosition, 7 + 20 + 20);
    }
    const auto& d = out.data();
    ASSERT_EQ(d.size(), 7u + 48u + 3u);
    EXPECT_EQ(d[7 + 16], 20);
    EXPECT_EQ(d[7 + 20 + 18], 0xF9);
    EXPECT_EQ(d[7 + 4], 48 + 3 - 8);
    EXPECT_EQ(d[7 + 44], 3);
}

TEST(RiffWriter, NothingWrittenWithoutAudio) {
    MemoryByteStream out;
    { TkaRIFFAudioWriter w(&out); }
    EXPECT_TRUE(out.data().empty());
}

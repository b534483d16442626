#include <gtest/gtest.h>

#include <cstring>

#include "components/RxGIF.h"
#include "components/gif_lzw.h"

using namespace sv;

namespace {

// GIF data put together byte by byte, so that each test states the blocks
// it is about.
struct GifBuilder {
    std::vector<uint8_t> b;
    GifBuilder& raw(std::initializer_list<int> bytes) {
        for (int v : bytes) b.push_back(uint8_t(v));
        return *this;
    }
    GifBuilder& u16(int v) { return raw({v & 0xFF, (v >> 8) & 0xFF}); }
    GifBuilder& header(int w, int h, int globalBits, const char* version = "GIF89a") {
        b.insert(b.end(), version, version + 6);
        u16(w).u16(h);
        raw({globalBits ? 0x80 | 0x70 | (globalBits - 1) : 0, 0, 0});
        for (int i = 0; i < (globalBits ? 1 << globalBits : 0); ++i) raw({i * 10, i * 20 % 256, 255 - i});
        return *this;
    }
    GifBuilder& gce(int flags, int delay, int index) { return raw({'!', 0xF9, 4, flags}).u16(delay).raw({index, 0}); }
    GifBuilder& comment(const std::string& s) {
        raw({'!', 0xFE, int(s.size())});
        b.insert(b.end(), s.begin(), s.end());
        return raw({0});
    }
    GifBuilder& frame(const Dib& d, int flags = 0, int x = 0, int y = 0) {
        raw({','}).u16(x).u16(y).u16(d.width).u16(d.height).raw({flags});
        const std::vector<uint8_t> data = lzwEncode(d);
        b.insert(b.end(), data.begin(), data.end());
        return *this;
    }
    std::vector<uint8_t> end() { return raw({';'}).b; }
};

Dib pattern(int w, int h, int bits, unsigned seed = 1) {
    Dib d = Dib::make(w, h, bits);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            seed = seed * 1103515245u + 12345u;
            // Runs of equal pixels as well as noise, so that strings grow.
            const unsigned v = (x / 3 + y) % 5 == 0 ? (seed >> 16) : unsigned(x / 4);
            d.setIndex(x, y, v & ((1u << bits) - 1));
        }
    for (size_t i = 0; i < d.palette.size(); ++i) d.palette[i] = rgbColor(uint8_t(i), uint8_t(255 - i), uint8_t(i * 7));
    return d;
}

void expectSamePixels(const Dib& a, const Dib& b) {
    ASSERT_EQ(a.width, b.width);
    ASSERT_EQ(a.height, b.height);
    for (int y = 0; y < a.height; ++y)
        for (int x = 0; x < a.width; ++x) ASSERT_EQ(a.index(x, y), b.index(x, y)) << x << "," << y;
}

std::string errorOf(const std::vector<uint8_t>& bytes) {
    TGIFImage img;
    try {
        img.LoadFromStream(bytes);
    } catch (const std::exception& e) {
        return e.what();
    }
    return "";
}

} // namespace

// A ten by ten, four-colour picture as other writers produce it.
TEST(GifDecoding, ReadsAPictureWrittenElsewhere) {
    const std::vector<uint8_t> file = {
        0x47, 0x49, 0x46, 0x38, 0x39, 0x61, 0x0A, 0x00, 0x0A, 0x00, 0x91, 0x00, 0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0x00,
        0x00, 0x00, 0x00, 0xFF, 0x00, 0x00, 0x00, 0x21, 0xF9, 0x04, 0x00, 0x00, 0x00, 0x00, 0x00, 0x2C, 0x00, 0x00,
        0x00, 0x00, 0x0A, 0x00, 0x0A, 0x00, 0x00, 0x02, 0x16, 0x8C, 0x2D, 0x99, 0x87, 0x2A, 0x1C, 0xDC, 0x33, 0xA0,
        0x02, 0x75, 0xEC, 0x95, 0xFA, 0xA8, 0xDE, 0x60, 0x8C, 0x04, 0x91, 0x4C, 0x01, 0x00, 0x3B};
    const char* rows[10] = {"1111122222", "1111122222", "1111122222", "1110000222", "1110000222",
                            "2220000111", "2220000111", "2222211111", "2222211111", "2222211111"};
    TGIFImage img;
    img.LoadFromStream(file);
    ASSERT_EQ(img.Count(), 1);
    EXPECT_EQ(img.Version, 2);
    EXPECT_EQ(img.ScreenWidth, 10);
    const Dib& d = img.Frames(0).Bitmap();
    EXPECT_EQ(d.bits, 4);
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 10; ++x) EXPECT_EQ(d.index(x, y), unsigned(rows[y][x] - '0')) << x << "," << y;
    EXPECT_EQ(d.palette[1], rgbColor(255, 0, 0));
    EXPECT_EQ(d.palette[4], rgbColor(128, 128, 128));   // beyond the table
    EXPECT_FALSE(img.Frames(0).Corrupted);
}

TEST(GifDecoding, EncodedFramesOfEveryDepthComeBackUnchanged) {
    for (int bits : {1, 4, 8}) {
        SCOPED_TRACE(bits);
        // 300 x 200 noisy pixels fill the code table several times over.
        const Dib src = pattern(300, 200, bits, unsigned(bits));
        TGIFImage out;
        out.AddFrame(src);
        const std::vector<uint8_t> bytes = out.WriteGIF(false);
        TGIFImage in;
        in.LoadFromStream(bytes);
        ASSERT_EQ(in.Count(), 1);
        EXPECT_EQ(in.Version, 1);
        const Dib& d = in.Frames(0).Bitmap();
        EXPECT_EQ(d.bits, bits);
        expectSamePixels(src, d);
        EXPECT_EQ(d.palette, src.palette);
        EXPECT_FALSE(in.Frames(0).Corrupted);
    }
}

TEST(GifDecoding, InterlacedRowsArePlacedByTheFourPasses) {
    const Dib src = pattern(7, 19, 8);
    Dib stored = Dib::make(7, 19, 8);
    int k = 0;
    for (int pass = 0; pass < 4; ++pass) {
        static const int start[4] = {0, 4, 2, 1}, step[4] = {8, 8, 4, 2};
        for (int y = start[pass]; y < 19; y += step[pass], ++k)
            for (int x = 0; x < 7; ++x) stored.setIndex(x, k, src.index(x, y));
    }
    TGIFImage img;
    img.LoadFromStream(GifBuilder().header(7, 19, 8).frame(stored, 0x40).end());
    expectSamePixels(src, img.Frames(0).Bitmap());
}

TEST(GifDecoding, CutShortLastFrameLoadsMarkedCorruptedWithZeroPixels) {
    const Dib src = pattern(64, 64, 8);
    std::vector<uint8_t> bytes = GifBuilder().header(64, 64, 8).frame(src).end();
    bytes.resize(bytes.size() - 300);
    TGIFImage img;
    img.LoadFromStream(bytes);
    ASSERT_EQ(img.Count(), 1);
    EXPECT_TRUE(img.Frames(0).Corrupted);
    EXPECT_TRUE(img.Corrupted);
    const Dib& d = img.Frames(0).Bitmap();
    EXPECT_EQ(d.index(0, 0), src.index(0, 0));
    EXPECT_EQ(d.index(63, 63), 0u);

    TolerateCorruptData = false;
    EXPECT_EQ(errorOf(bytes), "Stream read error");
    TolerateCorruptData = true;
}

TEST(GifDecoding, DamagedCodesAreToleratedOrRefused) {
    std::vector<uint8_t> bytes = GifBuilder().header(8, 8, 2).frame(pattern(8, 8, 1)).end();
    // The minimum code size byte follows the 13-byte header, the 12-byte
    // table and the 10-byte image descriptor.
    bytes[13 + 12 + 10] = 11;
    TGIFImage img;
    img.LoadFromStream(bytes);
    EXPECT_TRUE(img.Frames(0).Corrupted);
    TolerateCorruptData = false;
    EXPECT_EQ(errorOf(bytes), "GIF code size not in range 2 to 9");
    TolerateCorruptData = true;
}

TEST(GifReading, HugeDeclaredSizesAreRefusedBeforeAnyAllocation) {
    // A few bytes declaring a 65535 x 65535 screen or frame.
    EXPECT_EQ(errorOf(GifBuilder().header(65535, 65535, 1).frame(pattern(4, 4, 1)).end()), "GIF image is too large");
    std::vector<uint8_t> bytes = GifBuilder().header(4, 4, 1).frame(pattern(4, 4, 1)).end();
    // The frame descriptor's width and height follow the 13-byte header,
    // the 6-byte table, the separator and the frame's left and top.
    const size_t at = 13 + 6 + 1 + 4;
    bytes[at] = 0xFF; bytes[at + 1] = 0xFF; bytes[at + 2] = 0xFF; bytes[at + 3] = 0xFF;
    EXPECT_EQ(errorOf(bytes), "GIF image is too large");
    // A frame of width 0 takes the screen's: a tall frame on a wide screen.
    bytes = GifBuilder().header(65535, 1000, 1).frame(pattern(4, 4, 1)).end();
    bytes[at] = 0; bytes[at + 1] = 0; bytes[at + 2] = 0xFF; bytes[at + 3] = 0xFF;
    EXPECT_EQ(errorOf(bytes), "GIF image is too large");
}

TEST(GifReading, HeaderAndBlockErrors) {
    EXPECT_EQ(errorOf({'G', 'I', 'F', '9', '0', 'a', 1, 0, 1, 0, 0, 0, 0, ';'}), "Unknown GIF version");
    EXPECT_EQ(errorOf({'J', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0, 0, 0, 0, ';'}), "Unknown GIF version");
    EXPECT_EQ(errorOf(GifBuilder().header(1, 1, 1).raw({'!', 0x7A, 0}).end()), "Unrecognized extension block: 7a");
    // A frame with neither a local nor a global table has no colours.
    EXPECT_EQ(errorOf(GifBuilder().header(4, 4, 0).frame(pattern(4, 4, 1)).end()),
              "Wrong number of colors; must be a power of 2");
    // Lower-case signature and zero bytes between blocks are accepted.
    std::vector<uint8_t> ok = GifBuilder().header(4, 4, 1, "gif87A").raw({0, 0}).frame(pattern(4, 4, 1)).raw({0}).end();
    TGIFImage img;
    img.LoadFromStream(ok);
    EXPECT_EQ(img.Count(), 1);
    EXPECT_EQ(img.Version, 1);
}

TEST(GifReading, GraphicControlsLoopAndComments) {
    const Dib d = pattern(4, 4, 4);
    GifBuilder g;
    g.header(4, 4, 4).raw({'!', 0xFF, 11, 'N', 'E', 'T', 'S', 'C', 'A', 'P', 'E', '2', '.', '0', 3, 1}).u16(40000).raw({0});
    // Two controls before one frame: the larger delay, the last transparency
    // and disposal.
    g.gce(0x01 | (1 << 2), 30, 3).gce(0x01 | (2 << 2), 7, 5).frame(d);
    g.gce(0x00, 1, 0).frame(d, 0, 0, 0);
    g.comment("first").comment("second");
    TGIFImage img;
    img.LoadFromStream(g.end());
    ASSERT_EQ(img.Count(), 2);
    EXPECT_TRUE(img.Looping);
    EXPECT_EQ(img.RepeatCount, 30000);
    EXPECT_EQ(img.Frames(0).AnimateInterval, 300);
    EXPECT_EQ(img.Frames(0).DisposalMethod, 2);
    EXPECT_EQ(img.Frames(0).TransparentColor, rgbColor(50, 100, 250));
    EXPECT_EQ(img.Frames(1).TransparentColor, clNone);
    EXPECT_EQ(img.Frames(1).AnimateInterval, 10);
    EXPECT_EQ(img.Data->Comment, (std::vector<std::string>{"first", "\r\n\r\n", "second"}));
    EXPECT_TRUE(img.Transparent());

    GifBuilder z;
    z.header(4, 4, 4).raw({'!', 0xFF, 11, 'A', 'N', 'I', 'M', 'E', 'X', 'T', 'S', '1', '.', '0', 3, 1, 0, 0, 0});
    TGIFImage img2;
    img2.LoadFromStream(z.frame(d).end());
    EXPECT_EQ(img2.RepeatCount, 0);
}

TEST(GifWriting, AnimationSurvivesARoundTrip) {
    TGIFImage out;
    out.AddFrame(pattern(10, 8, 4, 3));
    out.AddFrame(pattern(10, 8, 4, 4));
    out.Frames(1).AnimateInterval = 250;
    out.Frames(1).DisposalMethod = 2;
    out.Frames(1).TransparentColor = out.Frames(1).Bitmap().palette[3];
    out.Looping = true;
    out.RepeatCount = 0;
    out.Data->Comment = {"made here"};
    std::vector<uint8_t> framed = out.WriteGIF(true);
    uint32_t n = 0;
    std::memcpy(&n, framed.data(), 4);
    EXPECT_EQ(n, framed.size() - 4);
    EXPECT_EQ(std::string(framed.begin() + 4, framed.begin() + 10), "GIF89a");

    TGIFImage in;
    in.ReadGIF(framed.data() + 4, n, true);
    ASSERT_EQ(in.Count(), 2);
    EXPECT_TRUE(in.Looping);
    EXPECT_EQ(in.RepeatCount, 0);
    EXPECT_EQ(in.Frames(1).AnimateInterval, 250);
    EXPECT_EQ(in.Frames(1).DisposalMethod, 2);
    EXPECT_EQ(in.Frames(1).TransparentColor, out.Frames(1).TransparentColor);
    EXPECT_EQ(in.Data->Comment, std::vector<std::string>{"made here"});
    expectSamePixels(in.Frames(1).Bitmap(), pattern(10, 8, 4, 4));
    // The second frame carries its own table: the first one's became global.
    EXPECT_FALSE(in.Frames(0).LocalColors);
    EXPECT_TRUE(in.Frames(1).LocalColors);
}

TEST(GifWriting, TrueColourFramesAreReducedAndEmptyImagesRefused) {
    Dib rgb = Dib::make(20, 10, 24);
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 20; ++x) rgb.setColor(x, y, rgbColor(uint8_t(x * 12), uint8_t(y * 25), 7));
    TGIFImage out;
    out.AddFrame(rgb);
    TGIFImage in;
    in.LoadFromStream(out.WriteGIF(false));
    const Dib& d = in.Frames(0).Bitmap();
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 20; ++x) ASSERT_EQ(d.color(x, y), rgb.color(x, y));

    TGIFImage none;
    EXPECT_THROW(none.WriteGIF(false), EInvalidGraphicOperation);
}

#include <gtest/gtest.h>

#include <set>

#include "components/RxGraph.h"

using namespace sv;

namespace {

Dib rgbPicture(int w, int h, TColor (*colorAt)(int x, int y)) {
    Dib d = Dib::make(w, h, 24);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) d.setColor(x, y, colorAt(x, y));
    return d;
}

} // namespace

TEST(ColorReduction, HistogramKeepsUpTo256ColoursExactly) {
    const Dib src = rgbPicture(40, 30, [](int x, int y) { return rgbColor(uint8_t(x * 6 + 1), uint8_t(y / 5 * 40), 201); });
    const Dib out = BitmapToDIB(src, 8, ReductionMethod::ColorHistogram);
    ASSERT_EQ(out.bits, 8);
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 40; ++x) ASSERT_EQ(out.color(x, y), src.color(x, y));
    // Unused entries are mid grey; the most frequent colour comes first.
    EXPECT_EQ(out.palette[255], rgbColor(128, 128, 128));
}

TEST(ColorReduction, HistogramCoarsensMasksPastTheTableSize) {
    // 4096 distinct colours whose two low bits are constant: the counting
    // starts again until blue has lost three bits and red and green two
    // (order blue, red, green), leaving 2048 colours.
    const Dib src = rgbPicture(64, 64, [](int x, int y) {
        return rgbColor(uint8_t(x * 4 + 3), uint8_t(y * 4 + 3), uint8_t((x ^ y) * 4 + 3));
    });
    const Dib out = BitmapToDIB(src, 8, ReductionMethod::ColorHistogram);
    std::set<TColor> used;
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x) {
            used.insert(out.color(x, y));
        }
    EXPECT_LE(used.size(), 256u);
    for (TColor c : used) {
        EXPECT_EQ(blueOf(c) & 7, 0);
        EXPECT_EQ(redOf(c) & 3, 0);
        EXPECT_EQ(greenOf(c) & 3, 0);
    }
}

TEST(ColorReduction, FixedPalettesAndGrayscale) {
    const Dib src = rgbPicture(3, 1, [](int x, int) {
        const TColor c[3] = {rgbColor(255, 0, 0), rgbColor(0, 255, 0), rgbColor(10, 20, 30)};
        return c[x];
    });
    const Dib gray = BitmapToDIB(src, 8, ReductionMethod::Grayscale);
    EXPECT_EQ(gray.index(0, 0), (77u * 255) >> 8);
    EXPECT_EQ(gray.index(2, 0), (77u * 10 + 150u * 20 + 29u * 30) >> 8);
    EXPECT_EQ(gray.palette[7], rgbColor(7, 7, 7));

    int used = 0;
    const Dib l666 = BitmapToDIB(src, 8, ReductionMethod::Levels666, &used);
    EXPECT_EQ(used, 216);
    EXPECT_EQ(l666.index(0, 0), 5u * 36);
    EXPECT_EQ(l666.index(1, 0), 5u * 6);
    EXPECT_EQ(l666.palette[220], rgbColor(128, 128, 128));
    const Dib l784 = BitmapToDIB(src, 8, ReductionMethod::Levels784, &used);
    EXPECT_EQ(used, 224);
    EXPECT_EQ(l784.color(0, 0), rgbColor(255, 0, 0));
    // 18 lies halfway between the levels 0 and 36: the lower one wins.
    EXPECT_EQ(nearestLevel(8)[18], 0);
    EXPECT_EQ(nearestLevel(8)[19], 1);

    const Dib inter = BitmapToDIB(src, 8, ReductionMethod::ChannelInterleave);
    EXPECT_EQ(inter.index(0, 0), 255u / 4);
    EXPECT_EQ(inter.index(1, 0), 255u / 4 + 64);
    EXPECT_EQ(inter.index(2, 0), 30u / 4 + 128);
}

TEST(ColorReduction, MedianCutSeparatesDistinctColours) {
    const Dib src = rgbPicture(16, 16, [](int x, int) { return x < 8 ? rgbColor(250, 10, 10) : rgbColor(10, 10, 250); });
    int used = 0;
    const Dib out = BitmapToDIB(src, 8, ReductionMethod::MedianCut, &used);
    EXPECT_EQ(used, 2);
    EXPECT_NE(out.index(0, 0), out.index(15, 0));
    // A one-cell box takes the cell's value times 16 plus 15.
    EXPECT_EQ(out.color(0, 0), rgbColor(15 * 16 + 15, 15, 15));
    EXPECT_EQ(BitmapToColorCount(src, 2).bits, 1);
    EXPECT_THROW(BitmapToDIB(Dib(), 8, ReductionMethod::ColorHistogram), EInvalidGraphic);
}

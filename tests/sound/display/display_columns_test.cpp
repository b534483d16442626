#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <random>
#include <vector>

#include "sound/display_ruler.h"
#include "sound/engine/display_columns.h"

using namespace sv;

namespace {

SoundBuffer randomSound(int bits, int channels, int64_t frames, unsigned seed = 7) {
    SoundBuffer s;
    s.format = SampleFormat::pcm(22050, bits, channels);
    s.bytes.resize(size_t(frames) * s.format.nBlockAlign);
    std::mt19937 rng(seed);
    for (size_t i = 0; i < s.bytes.size(); ++i) s.bytes.data()[i] = uint8_t(rng());
    return s;
}

// Column ranges by the plainest reading of the rule.
std::vector<ColumnRange> bruteForce(const SoundBuffer& s, int64_t first, int64_t zoom, int columns) {
    const int n = s.format.nChannels;
    std::vector<ColumnRange> out;
    for (int c = 0; c < columns; ++c) {
        for (int ch = 0; ch < n; ++ch) {
            int lo = INT_MAX, hi = INT_MIN;
            for (int64_t f = first + c * zoom; f < first + (c + 1) * zoom; ++f) {
                const uint8_t* p = s.frame(f) + ch * (s.format.wBitsPerSample / 8);
                int v = s.format.is16() ? int(int16_t(uint16_t(p[0] | (p[1] << 8)))) : int(*p);
                lo = std::min(lo, v);
                hi = std::max(hi, v);
            }
            out.push_back({int16_t(lo), int16_t(hi)});
        }
    }
    return out;
}

std::vector<ColumnRange> viaSummary(DisplaySummary& sum, const SoundBuffer& s, int64_t first, int64_t zoom,
                                    int columns) {
    std::vector<ColumnRange> out(size_t(columns) * s.format.nChannels);
    sum.columnRanges(s, first, zoom, columns, out.data());
    return out;
}

struct Layout { int bits, channels; DisplayLayout layout; };
const Layout kLayouts[] = {{8, 1, DisplayLayout::Mono8}, {8, 2, DisplayLayout::Stereo8},
                           {16, 1, DisplayLayout::Mono16}, {16, 2, DisplayLayout::Stereo16}};

} // namespace

TEST(DisplayLayout, DispatchesTheFourLayoutsAndRefusesOthers) {
    for (const Layout& l : kLayouts) EXPECT_EQ(displayLayout(SampleFormat::pcm(8000, l.bits, l.channels)), l.layout);
    SampleFormat three = SampleFormat::pcm(8000, 8, 2);
    three.nChannels = 3;
    three.nBlockAlign = 3;
    EXPECT_EQ(displayLayout(three), DisplayLayout::None);
    SampleFormat odd = SampleFormat::pcm(8000, 16, 2);
    odd.nBlockAlign = 2;   // would walk past each frame's end
    EXPECT_EQ(displayLayout(odd), DisplayLayout::None);
    SampleFormat law = SampleFormat::pcm(8000, 16, 1);
    law.wFormatTag = kFormatMuLaw;   // drawn by its frames, whatever the tag
    EXPECT_EQ(displayLayout(law), DisplayLayout::Mono16);
    EXPECT_EQ(displayChannels(DisplayLayout::None), 0);
}

TEST(ColumnsToDraw, FollowsTheRuleAndStaysInsideTheSound) {
    // zoom * c < frames - zoom: 10 frames at zoom 3 draw columns 0..2.
    EXPECT_EQ(columnsToDraw(10, 0, 3, 100), 3);
    EXPECT_EQ(columnsToDraw(9, 0, 3, 100), 2);   // the last whole column stays background
    EXPECT_EQ(columnsToDraw(10, 0, 3, 2), 2);    // limited by the view
    EXPECT_EQ(columnsToDraw(3, 0, 3, 100), 0);
    EXPECT_EQ(columnsToDraw(0, 0, 1, 100), 0);
    // A view scrolled near the end never covers frames past it.
    EXPECT_EQ(columnsToDraw(100, 95, 2, 100), 2);
    EXPECT_EQ(columnsToDraw(100, 100, 1, 100), 0);
    EXPECT_EQ(columnsToDraw(100, 0, 0, 100), 0);
    EXPECT_EQ(columnsToDraw(100, 0, 1, 0), 0);
}

TEST(ColumnRanges, DirectMatchesBruteForceInEveryLayout) {
    for (const Layout& l : kLayouts) {
        SoundBuffer s = randomSound(l.bits, l.channels, 5000);
        for (int64_t zoom : {1, 2, 7, 10, 33}) {
            for (int64_t first : {0, 1, 13}) {
                int cols = columnsToDraw(s.frameCount(), first, zoom, 120);
                std::vector<ColumnRange> got(size_t(cols) * l.channels);
                columnRangesDirect(s, first, zoom, cols, got.data());
                EXPECT_EQ(got, bruteForce(s, first, zoom, cols)) << l.bits << "/" << l.channels << " z" << zoom;
            }
        }
    }
}

TEST(ColumnRanges, EightBitValuesAreRawBytesAndSixteenBitSigned) {
    SoundBuffer s;
    s.format = SampleFormat::pcm(8000, 8, 1);
    const uint8_t bytes[] = {127, 127, 0, 255, 127, 127};
    s.bytes.assign(bytes, sizeof bytes);
    std::vector<ColumnRange> r(2);
    columnRangesDirect(s, 0, 2, 2, r.data());
    EXPECT_EQ(r[0], (ColumnRange{127, 127}));
    EXPECT_EQ(r[1], (ColumnRange{0, 255}));

    SoundBuffer t;
    t.format = SampleFormat::pcm(8000, 16, 2);
    const uint8_t frames[] = {0x00, 0x80, 0xFF, 0x7F, 0xFF, 0xFF, 0x01, 0x00};   // (-32768, 32767) (-1, 1)
    t.bytes.assign(frames, sizeof frames);
    columnRangesDirect(t, 0, 2, 1, r.data());
    EXPECT_EQ(r[0], (ColumnRange{-32768, -1}));
    EXPECT_EQ(r[1], (ColumnRange{1, 32767}));
}

TEST(DisplaySummary, GivesTheDirectRangesAtEveryZoomAndOffset) {
    for (const Layout& l : kLayouts) {
        SoundBuffer s = randomSound(l.bits, l.channels, 300000 + 77, 11);
        DisplaySummary sum;
        for (int64_t zoom : {512, 700, 1024, 4099, 30000}) {
            for (int64_t first : {0, 1, 255, 256, 1000}) {
                int cols = columnsToDraw(s.frameCount(), first, zoom, 400);
                std::vector<ColumnRange> direct(size_t(cols) * l.channels);
                columnRangesDirect(s, first, zoom, cols, direct.data());
                EXPECT_EQ(viaSummary(sum, s, first, zoom, cols), direct) << l.bits << "/" << l.channels;
            }
        }
        EXPECT_TRUE(sum.upToDate(s));
    }
}

TEST(DisplaySummary, ColumnsEndingAtTheLastFrameReadNoFurther) {
    // The last block is partial; a view scrolled to the very end reads it.
    SoundBuffer s = randomSound(16, 2, 256 * 40 + 13, 3);
    DisplaySummary sum;
    const int64_t zoom = 600;
    const int64_t first = s.frameCount() - zoom * 10;
    ASSERT_EQ(columnsToDraw(s.frameCount(), first, zoom, 10), 10);
    EXPECT_EQ(viaSummary(sum, s, first, zoom, 10), bruteForce(s, first, zoom, 10));
}

TEST(DisplaySummary, AnnouncedEditsArePatched) {
    SoundBuffer s = randomSound(16, 1, 200000, 5);
    DisplaySummary sum;
    const int cols = columnsToDraw(s.frameCount(), 0, 2000, 100);
    viaSummary(sum, s, 0, 2000, cols);
    // A loud peak written in place, then announced.
    s.frame(123457)[0] = 0xFF;
    s.frame(123457)[1] = 0x7F;
    s.frame(5)[0] = 0x00;
    s.frame(5)[1] = 0x80;
    sum.invalidate(123457, 1);
    sum.invalidate(5, 1);
    EXPECT_FALSE(sum.upToDate(s));
    EXPECT_EQ(viaSummary(sum, s, 0, 2000, cols), bruteForce(s, 0, 2000, cols));
    EXPECT_TRUE(sum.upToDate(s));
}

TEST(DisplaySummary, NoticesAReplacedOrResizedBuffer) {
    SoundBuffer s = randomSound(8, 2, 100000, 9);
    DisplaySummary sum;
    viaSummary(sum, s, 0, 1000, 90);
    s = randomSound(8, 2, 60000, 10);   // new memory, new length
    EXPECT_FALSE(sum.upToDate(s));
    const int cols = columnsToDraw(s.frameCount(), 0, 1000, 90);
    EXPECT_EQ(viaSummary(sum, s, 0, 1000, cols), bruteForce(s, 0, 1000, cols));
    // Same memory, other layout.
    s.format = SampleFormat::pcm(22050, 16, 1);
    EXPECT_FALSE(sum.upToDate(s));
    EXPECT_EQ(viaSummary(sum, s, 0, 1000, cols), bruteForce(s, 0, 1000, cols));
}

TEST(ColumnSpans, MonoEightBitFullScaleAndSilence) {
    const int H = 200;
    ColumnRange r[2] = {{0, 255}, {127, 127}};
    ColumnSpan sp[2];
    columnSpans(DisplayLayout::Mono8, r, 2, H, sp);
    EXPECT_EQ(sp[0].top, H - H * 255 / 256);
    EXPECT_EQ(sp[0].bottom, H - 1);   // row H is past the bottom
    // Silence at 127 still reaches the start value 128.
    EXPECT_EQ(sp[1].top, H - H * 128 / 256);
    EXPECT_EQ(sp[1].bottom, H - H * 127 / 256);
}

TEST(ColumnSpans, SixteenBitAndStereoRows) {
    const int H = 300;
    ColumnRange mono[1] = {{-32768, 32767}};
    ColumnSpan sp[2];
    columnSpans(DisplayLayout::Mono16, mono, 1, H, sp);
    EXPECT_EQ(sp[0].top, H / 2 - 127 * H / 256);
    EXPECT_EQ(sp[0].bottom, H - 1);
    // A quiet mono 16-bit column reaches the centre from the start value 0.
    ColumnRange quiet[1] = {{512, 1024}};
    columnSpans(DisplayLayout::Mono16, quiet, 1, H, sp);
    EXPECT_EQ(sp[0].top, H / 2 - 4 * H / 256);
    EXPECT_EQ(sp[0].bottom, H / 2);

    ColumnRange st[2] = {{0, 255}, {0, 255}};
    columnSpans(DisplayLayout::Stereo8, st, 1, H, sp);
    EXPECT_EQ(sp[0].top, H / 2 - 255 * H / 512);
    EXPECT_EQ(sp[0].bottom, H / 2);
    EXPECT_EQ(sp[1].top, H - 255 * H / 512);
    EXPECT_EQ(sp[1].bottom, H - 1);

    // Stereo 16-bit plots sample div 256 + 127 from the start 127.
    ColumnRange st16[2] = {{-32768, 0}, {256, 32767}};
    columnSpans(DisplayLayout::Stereo16, st16, 1, H, sp);
    EXPECT_EQ(sp[0].top, H / 2 - 127 * H / 512);
    EXPECT_EQ(sp[0].bottom, H / 2 - (-1) * H / 512);
    EXPECT_EQ(sp[1].top, H - 254 * H / 512);
    EXPECT_EQ(sp[1].bottom, H - 127 * H / 512);
}

TEST(ColumnSpans, CentreRows) {
    int rows[2];
    EXPECT_EQ(centreRows(DisplayLayout::Mono8, 201, rows), 1);
    EXPECT_EQ(rows[0], 100);
    EXPECT_EQ(centreRows(DisplayLayout::Stereo16, 512, rows), 2);
    EXPECT_EQ(rows[0], 256 - 127);
    EXPECT_EQ(rows[1], 512 - 127);
    EXPECT_EQ(centreRows(DisplayLayout::None, 512, rows), 0);
}

TEST(RulerLabels, PercentSampleValuesAndDecibels) {
    const char* percent[] = {"+75%", "+50%", "+25%", "0%", "-25%", "-50%", "-75%"};
    const char* values8[] = {"+96", "+64", "+32", "0", "-32", "-64", "-96"};
    const char* values16[] = {"+24576", "+16384", "+8192", "0", "-8192", "-16384", "-24576"};
    const char* db[] = {"-2 dB", "-6 dB", "-12 dB", "-inf", "-12 dB", "-6 dB", "-2 dB"};
    for (int i = 1; i <= 7; ++i) {
        EXPECT_EQ(rulerLabel(kScalePercent, i, 8), percent[i - 1]);
        EXPECT_EQ(rulerLabel(kScaleSampleValue, i, 8), values8[i - 1]);
        EXPECT_EQ(rulerLabel(kScaleSampleValue, i, 16), values16[i - 1]);
        EXPECT_EQ(rulerLabel(kScaleDecibels, i, 16), db[i - 1]);
        EXPECT_EQ(rulerLabel(0, i, 16), percent[i - 1]);
    }
}

TEST(RulerGeometry, StepsBandsAndGridRows) {
    EXPECT_EQ(rulerStep(false, 203), 203 / 2 / 4);
    EXPECT_EQ(rulerStep(true, 202), 50 / 4);    // rnd(50.5) = 50
    EXPECT_EQ(rulerStep(true, 206), 52 / 4);    // rnd(51.5) = 52
    EXPECT_EQ(rulerBandOffset(true, 1, 206), 104);
    EXPECT_EQ(rulerBandOffset(false, 1, 206), 0);
    EXPECT_EQ(rulerLabelTop(false, 0, 2, 160, 7), 2 * 20 - 7);
    EXPECT_EQ(rulerLabelTop(true, 1, 1, 160, 7), 80 + 10 - 7);
    EXPECT_EQ(gridRows(false, 160), (std::vector<int>{20, 40, 60, 100, 120, 140}));
    EXPECT_EQ(gridRows(true, 160), (std::vector<int>{10, 20, 30, 50, 60, 70, 90, 100, 110, 130, 140, 150}));
}

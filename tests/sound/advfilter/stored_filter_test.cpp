// Stored filter files: their 28-byte layout, listing, reading and writing,
// and the plot of the average spectrum.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cerrno>
#include <cmath>

#include "platform/files.h"
#include "sound/AdvancedFilter.h"
#include "sound/engine/stored_filter.h"
#include "tests/support/scripted_prompts.h"
#include "tests/support/wave_fixtures.h"

using namespace sv;
using namespace sv::test;

TEST(StoredFilterRecord, SevenLittleEndianSignedFieldsInTheirStoredOrder) {
    const StoredFilterRecord r{300, 3400, 2, 3, 5, 100, 4};
    uint8_t bytes[kStoredFilterRecordSize];
    encodeStoredFilter(r, bytes);
    const uint8_t expected[28] = {0x2C, 0x01, 0, 0, 0x48, 0x0D, 0, 0, 2, 0, 0, 0, 3, 0, 0, 0,
                                  5,    0,    0, 0, 100,  0,    0, 0, 4, 0, 0, 0};
    EXPECT_EQ(std::vector<uint8_t>(bytes, bytes + 28), std::vector<uint8_t>(expected, expected + 28));

    StoredFilterRecord negative{-1, INT32_MIN, 0, 0, 0, 0, 0};
    encodeStoredFilter(negative, bytes);
    EXPECT_EQ(bytes[0], 0xFF);
    EXPECT_EQ(bytes[3], 0xFF);
    EXPECT_EQ(bytes[7], 0x80);
    const StoredFilterRecord back = decodeStoredFilter(bytes);
    EXPECT_EQ(back.low, -1);
    EXPECT_EQ(back.high, INT32_MIN);
}

TEST(StoredFilterFiles, WriteReadListAndFindWithoutRegardToExtensionCase) {
    TempExeDir dir;
    ASSERT_TRUE(ensureStoredFiltersFolder());
    const std::string folder = storedFiltersFolder();
    EXPECT_EQ(folder, dir.path() + "filters/");

    const StoredFilterRecord r{100, 5000, 1, 1, 0, 15, 2};
    ASSERT_EQ(writeStoredFilter(folder + "voice.svf", r), 0);
    EXPECT_EQ(readBytes(folder + "voice.svf").size(), kStoredFilterRecordSize);
    StoredFilterRecord got;
    ASSERT_EQ(readStoredFilter(folder + "voice.svf", got), 0);
    EXPECT_EQ(got.high, 5000);
    EXPECT_EQ(got.ratio, 15);
    EXPECT_EQ(got.windowIndex, 2);

    // A longer file gives its first record, as the record size reads it.
    std::vector<uint8_t> longer = readBytes(folder + "voice.svf");
    longer.resize(40, 0xAA);
    writeBytes(folder + "Bass.SVF", longer);
    writeBytes(folder + "notes.txt", {1, 2, 3});
    ::mkdir((folder + "dir.svf").c_str(), 0777);
    EXPECT_EQ(listStoredFilters(folder), (std::vector<std::string>{"Bass", "voice"}));
    EXPECT_EQ(storedFilterPath(folder, "Bass"), folder + "Bass.SVF");
    ASSERT_EQ(readStoredFilter(storedFilterPath(folder, "Bass"), got), 0);
    EXPECT_EQ(got.low, 100);

    EXPECT_EQ(readStoredFilter(folder + "gone.svf", got), ENOENT);
    EXPECT_TRUE(listStoredFilters(dir.path() + "missing/").empty());
}

TEST(StoredFilterFiles, ShortOrDamagedFilesAreRefusedWithNothingGiven) {
    TempExeDir dir;
    ensureStoredFiltersFolder();
    const std::string folder = storedFiltersFolder();
    writeBytes(folder + "short.svf", std::vector<uint8_t>(27, 0));
    StoredFilterRecord got{7, 7, 7, 7, 7, 7, 7};
    EXPECT_THROW(readStoredFilter(folder + "short.svf", got), FileIOError);
    EXPECT_EQ(got.low, 7);

    for (int field : {2, 3, 4, 6}) {
        StoredFilterRecord bad{1, 100, 0, 0, 0, 0, 0};
        int32_t* f[] = {&bad.low, &bad.high, &bad.action, &bad.sizeIndex, &bad.overlapIndex, &bad.ratio,
                        &bad.windowIndex};
        *f[field] = field == 4 ? 6 : (field == 6 ? 5 : 4);
        ASSERT_EQ(writeStoredFilter(folder + "bad.svf", bad), 0);
        EXPECT_THROW(readStoredFilter(folder + "bad.svf", got), FileIOError) << field;
        *f[field] = -1;
        ASSERT_EQ(writeStoredFilter(folder + "bad.svf", bad), 0);
        EXPECT_THROW(readStoredFilter(folder + "bad.svf", got), FileIOError) << field;
    }
    EXPECT_EQ(got.low, 7);
}

TEST(SpectrumPlot, LinearLinesScaleToTheLargestRoundedEntry) {
    std::array<double, kSpectrumPoints> s{};
    s[0] = 200.4;     // rounds to 200: the maximum
    s[1] = 100.0;     // half of it: 30 pixels
    s[2] = 0.2;       // rounds to 0, drawn as 1
    s[1500] = 1e9;    // beyond the plotted entries
    SpectrumPlot p = spectrumPlot(s, false);
    EXPECT_EQ(p.maxValue, 200);
    EXPECT_EQ(p.heights[0], 60);
    EXPECT_EQ(p.heights[1], 30);
    EXPECT_EQ(p.heights[2], 0);   // 1 x 60 div 200

    // 16-bit sound gives entries near 7e7: no overflow, the peak reaches 60.
    s[5] = 6.7e7;
    p = spectrumPlot(s, false);
    EXPECT_EQ(p.maxValue, 67000000);
    EXPECT_EQ(p.heights[5], 60);
    EXPECT_EQ(p.heights[0], 0);
    EXPECT_EQ(plotColumn(1), 0);
    EXPECT_EQ(plotColumn(4), 1);
    EXPECT_EQ(plotColumn(1024), 256);
}

TEST(SpectrumPlot, LogarithmicLinesStayInsideThePlotAndIgnoreSilentEntries) {
    std::array<double, kSpectrumPoints> s{};   // all zero: ln would be -inf
    SpectrumPlot p = spectrumPlot(s, true);
    EXPECT_EQ(p.maxValue, 1);
    for (int h : p.heights) EXPECT_EQ(h, 0);

    s[0] = std::exp(4.0);        // ln 4: the maximum
    s[1] = std::exp(2.0);        // rounds to 7, ln 7 = 1.95: 29 pixels
    s[2] = 2.6;                  // ln rounds to 1; ln of round(2.6) is 1.10
    p = spectrumPlot(s, true);
    EXPECT_EQ(p.maxValue, 4);
    EXPECT_EQ(p.heights[1], int(std::nearbyint(std::log(7.0) * 60 / 4)));
    s[0] = 2.6;
    s[1] = 0;
    p = spectrumPlot(s, true);
    EXPECT_EQ(p.maxValue, 1);
    EXPECT_EQ(p.heights[0], 60);   // 66 would leave the plot
}

#include <gtest/gtest.h>

#include <set>

#include "platform/codec/codec.h"
#include "tests/platform/codec/codec_support.h"

using namespace sv;
using namespace sv::codec;
using sv::test::codecFormat;
using sv::test::pcmFormat;

TEST(CodecResults, TextsForKnownAndUnknownCodes) {
    EXPECT_EQ(resultText(kErrBadFormat), "The selected audio format is not supported on this machine.");
    EXPECT_EQ(resultText(kErrNotPossible), "The requested operation cannot be performed.");
    EXPECT_EQ(resultText(kErrStreamUnprepared), "Cannot perform this action on a header that has not been prepared.");
    EXPECT_EQ(resultText(9), "An unexpected error has occurred (code #9).");
}

TEST(CodecDrivers, EnumerationAndDetails) {
    auto ids = driverEnum();
    ASSERT_EQ(ids.size(), 6u);
    std::set<std::string> names;
    for (DriverId id : ids) {
        DriverDetails d;
        ASSERT_EQ(driverDetails(id, d), kOk);
        EXPECT_FALSE(d.shortName.empty());
        EXPECT_LT(d.shortName.size(), 32u);
        EXPECT_LT(d.longName.size(), 128u);
        EXPECT_LT(d.features.size(), 512u);
        names.insert(d.shortName);
        uint32_t prio = 0, size = 0;
        EXPECT_EQ(driverPriority(id, prio), kOk);
        DriverId handle = 0;
        ASSERT_EQ(driverOpen(id, handle), kOk);
        EXPECT_EQ(maxFormatSize(handle, size), kOk);
        EXPECT_GE(size, 18u);
        EXPECT_EQ(driverClose(handle), kOk);
    }
    EXPECT_EQ(names.size(), 6u);
    DriverDetails d;
    EXPECT_EQ(driverDetails(99, d), kErrInvalidHandle);
    uint32_t all = 0;
    EXPECT_EQ(maxFormatSize(0, all), kOk);
    EXPECT_EQ(all, kMaxFormatSize);
}

TEST(CodecTags, NamesOfEveryTag) {
    const std::pair<uint16_t, const char*> tags[] = {
        {kTagPcm, "PCM"}, {kTagMsAdpcm, "MS ADPCM"}, {kTagALaw, "CCITT A-Law"}, {kTagMuLaw, "CCITT u-Law"},
        {kTagImaAdpcm, "IMA ADPCM"}, {kTagGsm610, "GSM 6.10"}, {kTagMpegLayer3, "MPEG Layer-3"}};
    for (auto [tag, name] : tags) {
        FormatTagDetails d;
        ASSERT_EQ(formatTagDetails(tag, d), kOk) << tag;
        EXPECT_EQ(d.name, name);
        EXPECT_GE(d.formatSize, 18u);
    }
    FormatTagDetails d;
    EXPECT_EQ(formatTagDetails(34, d), kErrNotPossible);
    EXPECT_EQ(formatTagDetails(0, d), kErrNotPossible);
}

TEST(CodecFormats, EveryListedFormatIsDescribedAndRoundTrips) {
    int count = 0;
    std::set<std::string> seen;
    formatEnum(0, 0, 0, [&](const EnumeratedFormat& e) {
        ++count;
        std::string text;
        EXPECT_EQ(formatDetails(e.record.data(), 512, text), kOk);
        EXPECT_FALSE(text.empty());
        EXPECT_LT(text.size(), 128u);
        EXPECT_EQ(text, e.description);
        FormatTagDetails tag;
        EXPECT_EQ(formatTagDetails(readFields(e.record.data()).formatTag, tag), kOk);
        EXPECT_TRUE(seen.insert(tag.name + ": " + text).second) << "duplicate " << text;
        // Every listed format can be produced and read back.
        EXPECT_TRUE(canRead(e.record.data()));
        EXPECT_TRUE(canProduce(e.record.data()));
        return true;
    });
    EXPECT_GT(count, 60);
}

TEST(CodecFormats, DescriptionsOfSomeFormats) {
    std::string text;
    auto pcm = pcmFormat(2, 44100, 16);
    ASSERT_EQ(formatDetails(pcm.data(), 18, text), kOk);
    EXPECT_EQ(text, "44100 Hz, 16 Bit, Stereo");
    auto gsm = codecFormat(kTagGsm610, 1, 8000);
    ASSERT_EQ(formatDetails(gsm.data(), 512, text), kOk);
    EXPECT_EQ(text, "8000 Hz, Mono, 1625 bytes/s");
    auto alaw = codecFormat(kTagALaw, 1, 8000);
    ASSERT_EQ(formatDetails(alaw.data(), 512, text), kOk);
    EXPECT_EQ(text, "8000 Hz, 8 Bit, Mono");
    // Too small a buffer for the record.
    auto ima = codecFormat(kTagImaAdpcm, 1, 8000);
    EXPECT_EQ(formatDetails(ima.data(), 18, text), kErrInvalidParam);
}

TEST(CodecFormats, NonsenseFormatsAreNotDescribedAndNotConverted) {
    auto good = pcmFormat(1, 8000, 16);
    std::vector<std::vector<uint8_t>> bad;
    bad.push_back(pcmFormat(3, 8000, 16));            // three channels
    bad.push_back(pcmFormat(1, 8000, 12));            // 12 bits
    bad.push_back(pcmFormat(1, 0, 16));               // no rate
    auto wrongAlign = pcmFormat(2, 8000, 16);
    wrongAlign[12] = 3;
    bad.push_back(wrongAlign);
    auto wrongRate = pcmFormat(2, 8000, 16);
    wrongRate[8] = 1;                                 // byte rate off
    bad.push_back(wrongRate);
    std::vector<uint8_t> zero(18, 0);
    bad.push_back(zero);
    auto truespeech = pcmFormat(1, 8000, 16);
    truespeech[0] = 34;
    bad.push_back(truespeech);
    auto gsmStereo = codecFormat(kTagGsm610, 1, 8000);
    gsmStereo[2] = 2;
    bad.push_back(gsmStereo);
    auto imaBadBlock = codecFormat(kTagImaAdpcm, 1, 8000);
    imaBadBlock[12] = 100;                            // samples per block no longer match
    bad.push_back(imaBadBlock);
    for (size_t i = 0; i < bad.size(); ++i) {
        std::string text;
        EXPECT_NE(formatDetails(bad[i].data(), 512, text), kOk) << i;
        EXPECT_EQ(streamOpen(nullptr, bad[i].data(), good.data(), kOpenQuery | kOpenNonRealTime), kErrNotPossible) << i;
        EXPECT_EQ(streamOpen(nullptr, good.data(), bad[i].data(), kOpenQuery | kOpenNonRealTime), kErrNotPossible) << i;
    }
}

TEST(CodecFormats, WhatOneStreamConverts) {
    auto q = [](const std::vector<uint8_t>& a, const std::vector<uint8_t>& b) {
        return streamOpen(nullptr, a.data(), b.data(), kOpenQuery | kOpenNonRealTime);
    };
    EXPECT_EQ(q(pcmFormat(2, 44100, 16), pcmFormat(1, 8000, 8)), kOk);
    EXPECT_EQ(q(pcmFormat(1, 8000, 16), codecFormat(kTagGsm610, 1, 8000)), kOk);
    EXPECT_EQ(q(codecFormat(kTagGsm610, 1, 8000), pcmFormat(1, 8000, 16)), kOk);
    // Codecs convert to and from 16-bit PCM of their own shape only.
    EXPECT_EQ(q(pcmFormat(1, 8000, 8), codecFormat(kTagGsm610, 1, 8000)), kErrNotPossible);
    EXPECT_EQ(q(pcmFormat(1, 11025, 16), codecFormat(kTagGsm610, 1, 8000)), kErrNotPossible);
    EXPECT_EQ(q(codecFormat(kTagImaAdpcm, 2, 22050), pcmFormat(1, 22050, 16)), kErrNotPossible);
    EXPECT_EQ(q(codecFormat(kTagImaAdpcm, 2, 22050), codecFormat(kTagMsAdpcm, 2, 22050)), kErrNotPossible);
    EXPECT_EQ(streamOpen(nullptr, nullptr, pcmFormat(1, 8000, 8).data(), kOpenQuery), kErrInvalidParam);
}

TEST(CodecFormats, SuggestionOfPcmAndCodecs) {
    auto ima = codecFormat(kTagImaAdpcm, 2, 22050);
    std::vector<uint8_t> dest(512, 0xAB);
    writeFields(dest.data(), FormatFields{kTagPcm, 0, 0, 0, 0, 0, 0});
    ASSERT_EQ(formatSuggest(ima.data(), dest.data(), 512, kSuggestTag), kOk);
    auto want = pcmFormat(2, 22050, 16);
    EXPECT_TRUE(std::equal(want.begin(), want.end(), dest.begin()));
    for (size_t i = 18; i < 512; ++i) ASSERT_EQ(dest[i], 0) << i;   // the rest is cleared

    // From PCM, restricted fields come from the destination.
    auto pcm = pcmFormat(2, 44100, 16);
    FormatFields f{kTagPcm, 1, 8000, 0, 0, 8, 0};
    writeFields(dest.data(), f);
    ASSERT_EQ(formatSuggest(pcm.data(), dest.data(), 512, kSuggestTag | kSuggestChannels | kSuggestRate | kSuggestBits), kOk);
    want = pcmFormat(1, 8000, 8);
    EXPECT_TRUE(std::equal(want.begin(), want.end(), dest.begin()));

    // GSM has no stereo; a codec cannot be suggested from 8-bit PCM.
    writeFields(dest.data(), FormatFields{kTagGsm610, 0, 0, 0, 0, 0, 0});
    EXPECT_EQ(formatSuggest(pcm.data(), dest.data(), 512, kSuggestTag), kErrNotPossible);
    auto pcm8 = pcmFormat(1, 8000, 8);
    EXPECT_EQ(formatSuggest(pcm8.data(), dest.data(), 512, kSuggestTag), kErrNotPossible);
    // A destination too small for the record.
    writeFields(dest.data(), FormatFields{kTagMsAdpcm, 0, 0, 0, 0, 0, 0});
    auto pcm16 = pcmFormat(1, 8000, 16);
    EXPECT_EQ(formatSuggest(pcm16.data(), dest.data(), 40, kSuggestTag), kErrInvalidParam);
    EXPECT_EQ(formatSuggest(pcm16.data(), dest.data(), 50, kSuggestTag), kOk);
}

TEST(CodecFormats, OutputEnumerationOffersOnlyWhatEncodes) {
    bool mp3Offered = false;
    formatEnum(0, kTagMpegLayer3, kEnumTag | kEnumOutput, [&](const EnumeratedFormat&) {
        mp3Offered = true;
        return false;
    });
    EXPECT_EQ(mp3Offered, encoderAvailable(kTagMpegLayer3));
    // Reading MPEG layer 3 never depends on the encoder.
    bool mp3Readable = false;
    formatEnum(0, kTagMpegLayer3, kEnumTag | kEnumInput, [&](const EnumeratedFormat&) {
        mp3Readable = true;
        return false;
    });
    EXPECT_TRUE(mp3Readable);
    EXPECT_EQ(formatEnum(0, 0, kEnumInput | kEnumOutput, [](const EnumeratedFormat&) { return true; }), kErrInvalidFlag);
}

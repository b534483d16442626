// Signals and stream driving shared by the codec manager tests.
#pragma once
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "platform/codec/codec.h"

namespace sv::test {

inline std::vector<uint8_t> pcmFormat(uint16_t channels, uint32_t rate, uint16_t bits) {
    std::vector<uint8_t> r(18, 0);
    codec::FormatFields f;
    f.formatTag = codec::kTagPcm;
    f.channels = channels;
    f.samplesPerSec = rate;
    f.bitsPerSample = bits;
    f.blockAlign = static_cast<uint16_t>(channels * bits / 8);
    f.avgBytesPerSec = rate * f.blockAlign;
    codec::writeFields(r.data(), f);
    return r;
}

// A format of `tag` suggested from 16-bit PCM of this shape (the driver's standard record).
inline std::vector<uint8_t> codecFormat(uint16_t tag, uint16_t channels, uint32_t rate) {
    std::vector<uint8_t> pcm = pcmFormat(channels, rate, 16);
    std::vector<uint8_t> out(512, 0);
    codec::writeFields(out.data(), codec::FormatFields{tag, 0, 0, 0, 0, 0, 0});
    int err = codec::formatSuggest(pcm.data(), out.data(), 512, codec::kSuggestTag);
    EXPECT_EQ(err, codec::kOk) << "tag " << tag;
    out.resize(codec::recordSize(out.data()));
    return out;
}

// Interleaved 16-bit tones: channel c is a sine of freq * (c + 1) Hz.
inline std::vector<int16_t> tone(int channels, uint32_t rate, int64_t frames, double freq = 440.0, double amp = 12000.0) {
    std::vector<int16_t> s(static_cast<size_t>(frames * channels));
    const double pi = 3.14159265358979323846;
    for (int64_t i = 0; i < frames; ++i)
        for (int c = 0; c < channels; ++c)
            s[static_cast<size_t>(i * channels + c)] =
                static_cast<int16_t>(std::lrint(amp * std::sin(2 * pi * freq * (c + 1) * static_cast<double>(i) / rate)));
    return s;
}

inline std::vector<uint8_t> bytesOf(const std::vector<int16_t>& s) {
    std::vector<uint8_t> b(s.size() * 2);
    for (size_t i = 0; i < s.size(); ++i) {
        b[2 * i] = static_cast<uint8_t>(s[i] & 0xff);
        b[2 * i + 1] = static_cast<uint8_t>((s[i] >> 8) & 0xff);
    }
    return b;
}

inline std::vector<int16_t> samplesOf(const std::vector<uint8_t>& b) {
    std::vector<int16_t> s(b.size() / 2);
    for (size_t i = 0; i < s.size(); ++i) s[i] = static_cast<int16_t>(b[2 * i] | (b[2 * i + 1] << 8));
    return s;
}

// Runs `in` through one stream in chunks of `chunk` bytes, as a caller that
// keeps unconsumed input would, with the end flag on the last call.
inline std::vector<uint8_t> runStream(const std::vector<uint8_t>& src, const std::vector<uint8_t>& dst,
                                      const std::vector<uint8_t>& in, size_t chunk) {
    codec::StreamHandle h = 0;
    int err = codec::streamOpen(&h, src.data(), dst.data(), codec::kOpenNonRealTime);
    EXPECT_EQ(err, codec::kOk);
    if (err != codec::kOk) return {};
    std::vector<uint8_t> held, out;
    size_t pos = 0;
    bool first = true;
    while (pos < in.size() || first) {
        const size_t n = std::min(chunk, in.size() - pos);
        held.insert(held.end(), in.begin() + static_cast<long>(pos), in.begin() + static_cast<long>(pos + n));
        pos += n;
        const bool end = pos >= in.size();
        uint32_t room = 0;
        EXPECT_EQ(codec::streamSize(h, static_cast<uint32_t>(held.size()) + 1, room, codec::kSizeSource), codec::kOk);
        std::vector<uint8_t> dest(room + 1);
        codec::StreamHeader hdr;
        hdr.source = held.data();
        hdr.sourceLength = static_cast<uint32_t>(held.size());
        hdr.dest = dest.data();
        hdr.destLength = static_cast<uint32_t>(dest.size());
        EXPECT_EQ(codec::streamPrepareHeader(h, hdr), codec::kOk);
        uint32_t flags = (first ? uint32_t(codec::kConvertStart) : 0u) |
                         (end ? uint32_t(codec::kConvertEnd) : uint32_t(codec::kConvertBlockAlign));
        EXPECT_EQ(codec::streamConvert(h, hdr, flags), codec::kOk);
        EXPECT_LE(hdr.sourceLengthUsed, hdr.sourceLength);
        out.insert(out.end(), dest.begin(), dest.begin() + hdr.destLengthUsed);
        held.erase(held.begin(), held.begin() + hdr.sourceLengthUsed);
        EXPECT_EQ(codec::streamUnprepareHeader(h, hdr), codec::kOk);
        first = false;
        if (end) break;
    }
    EXPECT_TRUE(held.empty());
    EXPECT_EQ(codec::streamClose(h), codec::kOk);
    return out;
}

// Signal-to-noise ratio in dB of `got` against `ref` at lag `lag` (got[i + lag] ~ ref[i]).
inline double snrDb(const std::vector<int16_t>& ref, const std::vector<int16_t>& got, size_t lag = 0) {
    double sig = 0, noise = 0;
    for (size_t i = 0; i < ref.size() && i + lag < got.size(); ++i) {
        const double d = static_cast<double>(got[i + lag]) - ref[i];
        sig += static_cast<double>(ref[i]) * ref[i];
        noise += d * d;
    }
    return noise == 0 ? 200.0 : 10.0 * std::log10(sig / noise);
}

} // namespace sv::test

// The format of a sound: an 18-byte packed little-endian record
// (format tag, channels, rate, bytes per second, block alignment, bits,
// extra size). This layout is stored in the clipboard file and in undo
// files: never change it. It is always serialised field by field.
#pragma once
#include <cstdint>

#include "platform/little_endian.h"

namespace sv {

constexpr int kSampleFormatBytes = 18;
constexpr int16_t kFormatPcm = 1;
constexpr int16_t kFormatAdpcm = 2;
constexpr int16_t kFormatALaw = 6;
constexpr int16_t kFormatMuLaw = 7;

struct SampleFormat {
    int16_t wFormatTag = kFormatPcm;
    uint16_t nChannels = 1;
    uint32_t nSamplesPerSec = 22050;
    uint32_t nAvgBytesPerSec = 22050;
    uint16_t nBlockAlign = 1;
    uint16_t wBitsPerSample = 8;
    int16_t cbSize = 0;

    // A PCM format with its derived fields filled in.
    static SampleFormat pcm(uint32_t rate, int bits, int channels);

    bool is16() const { return wBitsPerSample == 16; }
    bool isStereo() const { return nChannels == 2; }
    // Frames in one of the four layouts (mono or stereo, 8 or 16 bits, the
    // block align to match), whatever the format tag says.
    bool hasFrameLayout() const;
    // PCM in one of the four layouts, at a rate: what the sample operations
    // handle.
    bool isSupportedPcm() const;

    void toBytes(uint8_t out[kSampleFormatBytes]) const;
    static SampleFormat fromBytes(const uint8_t in[kSampleFormatBytes]);

    bool operator==(const SampleFormat& o) const;
    bool operator!=(const SampleFormat& o) const { return !(*this == o); }
};

} // namespace sv

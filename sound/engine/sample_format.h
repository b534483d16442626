// The format of a sound: an 18-byte packed little-endian record
// (format tag, channels, rate, bytes per second, block alignment, bits,
// extra size). This layout is stored in the clipboard file and in undo
// files: never change it. It is always serialised field by field.
#pragma once
#include <cstdint>

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
    // One of the four layouts the sample operations handle.
    bool isSupportedPcm() const;

    void toBytes(uint8_t out[kSampleFormatBytes]) const;
    static SampleFormat fromBytes(const uint8_t in[kSampleFormatBytes]);

    bool operator==(const SampleFormat& o) const;
    bool operator!=(const SampleFormat& o) const { return !(*this == o); }
};

// Little-endian field access shared by every file layout.
inline void putU16(uint8_t* p, uint16_t v) { p[0] = uint8_t(v); p[1] = uint8_t(v >> 8); }
inline void putU32(uint8_t* p, uint32_t v) {
    p[0] = uint8_t(v); p[1] = uint8_t(v >> 8); p[2] = uint8_t(v >> 16); p[3] = uint8_t(v >> 24);
}
inline uint16_t getU16(const uint8_t* p) { return uint16_t(p[0] | (p[1] << 8)); }
inline uint32_t getU32(const uint8_t* p) {
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}

} // namespace sv

#include "sound/engine/sample_format.h"

namespace sv {

SampleFormat SampleFormat::pcm(uint32_t rate, int bits, int channels) {
    SampleFormat f;
    f.wFormatTag = kFormatPcm;
    f.nChannels = static_cast<uint16_t>(channels);
    f.nSamplesPerSec = rate;
    f.wBitsPerSample = static_cast<uint16_t>(bits);
    f.nBlockAlign = static_cast<uint16_t>(channels * bits / 8);
    f.nAvgBytesPerSec = rate * f.nBlockAlign;
    f.cbSize = 0;
    return f;
}

bool SampleFormat::hasFrameLayout() const {
    return (nChannels == 1 || nChannels == 2) && (wBitsPerSample == 8 || wBitsPerSample == 16) &&
           nBlockAlign == nChannels * wBitsPerSample / 8;
}

bool SampleFormat::isSupportedPcm() const {
    return wFormatTag == kFormatPcm && hasFrameLayout() && nSamplesPerSec > 0;
}

void SampleFormat::toBytes(uint8_t out[kSampleFormatBytes]) const {
    putU16(out + 0, static_cast<uint16_t>(wFormatTag));
    putU16(out + 2, nChannels);
    putU32(out + 4, nSamplesPerSec);
    putU32(out + 8, nAvgBytesPerSec);
    putU16(out + 12, nBlockAlign);
    putU16(out + 14, wBitsPerSample);
    putU16(out + 16, static_cast<uint16_t>(cbSize));
}

SampleFormat SampleFormat::fromBytes(const uint8_t in[kSampleFormatBytes]) {
    SampleFormat f;
    f.wFormatTag = static_cast<int16_t>(getU16(in + 0));
    f.nChannels = getU16(in + 2);
    f.nSamplesPerSec = getU32(in + 4);
    f.nAvgBytesPerSec = getU32(in + 8);
    f.nBlockAlign = getU16(in + 12);
    f.wBitsPerSample = getU16(in + 14);
    f.cbSize = static_cast<int16_t>(getU16(in + 16));
    return f;
}

bool SampleFormat::operator==(const SampleFormat& o) const {
    return wFormatTag == o.wFormatTag && nChannels == o.nChannels && nSamplesPerSec == o.nSamplesPerSec &&
           nAvgBytesPerSec == o.nAvgBytesPerSec && nBlockAlign == o.nBlockAlign &&
           wBitsPerSample == o.wBitsPerSample && cbSize == o.cbSize;
}

} // namespace sv

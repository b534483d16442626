#include "platform/audio/audio_capture.h"

#include "platform/audio/sample_convert.h"
#include "platform/little_endian.h"

#include <cstdlib>

namespace sv::audio {

namespace {

constexpr size_t kHeaderBytes = 44;
// The RIFF sizes are 32-bit: the capture stops growing before they wrap.
constexpr uint64_t kMaxDataBytes = 0xFFFFFFFFull - 36 - 1024 * 1024;

bool sameFormat(const WaveFormat& a, const WaveFormat& b) {
    return a.nChannels == b.nChannels && a.nSamplesPerSec == b.nSamplesPerSec &&
           a.wBitsPerSample == b.wBitsPerSample;
}

} // namespace

std::string capturePath() {
    const char* p = std::getenv("SONVELA_AUDIO_CAPTURE");
    return p ? std::string(p) : std::string();
}

bool CaptureFile::begin(const std::string& path, const WaveFormat& format) {
    if (f_ && path == path_ && sameFormat(format, format_)) return true;
    finish();
    f_ = std::fopen(path.c_str(), "wb");
    if (!f_) return false;
    path_ = path;
    format_ = format;
    dataBytes_ = 0;
    writeHeader();
    return true;
}

void CaptureFile::writeHeader() {
    uint8_t h[kHeaderBytes] = {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E', 'f', 'm', 't', ' '};
    const uint32_t data = static_cast<uint32_t>(dataBytes_);
    putU32(h + 4, 36 + data);
    putU32(h + 16, 16);
    putU16(h + 20, 1);
    putU16(h + 22, format_.nChannels);
    putU32(h + 24, format_.nSamplesPerSec);
    putU32(h + 28, format_.nAvgBytesPerSec);
    putU16(h + 32, format_.nBlockAlign);
    putU16(h + 34, format_.wBitsPerSample);
    h[36] = 'd'; h[37] = 'a'; h[38] = 't'; h[39] = 'a';
    putU32(h + 40, data);
    std::fseek(f_, 0, SEEK_SET);
    std::fwrite(h, 1, sizeof h, f_);
    std::fseek(f_, 0, SEEK_END);
}

void CaptureFile::append(const float* frames, size_t count) {
    if (!f_ || count == 0) return;
    const size_t bytes = count * format_.nBlockAlign;
    if (dataBytes_ + bytes > kMaxDataBytes) return;
    bytes_.resize(bytes);
    // The device renders at the stream's own rate and channel count, so the
    // float frames turn back into the very samples that were queued.
    dispatchPcm(format_.wBitsPerSample, format_.nChannels, [&](auto sample, auto channels) {
        using T = decltype(sample);
        constexpr int C = decltype(channels)::value;
        for (size_t i = 0; i < count; ++i) {
            uint8_t* p = bytes_.data() + i * C * sizeof(T);
            for (int c = 0; c < C; ++c) storeSample<T>(p + c * sizeof(T), floatToSample<T>(frames[i * C + c]));
        }
    });
    if (std::fwrite(bytes_.data(), 1, bytes, f_) != bytes) {
        // A full disk ends the capture; playback goes on.
        finish();
        return;
    }
    dataBytes_ += bytes;
    writeHeader();
}

void CaptureFile::flush() {
    if (f_) std::fflush(f_);
}

void CaptureFile::finish() {
    if (!f_) return;
    std::fclose(f_);
    f_ = nullptr;
}

} // namespace sv::audio

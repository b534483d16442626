// Formats and whole-file conversions shared by the chain tests.
#pragma once
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "conversion/kaACM.h"
#include "conversion/kaAudioStreams.h"
#include "tests/platform/codec/codec_support.h"

namespace sv::test {

inline TkaWaveFormat holder(const std::vector<uint8_t>& record) {
    TkaWaveFormat f;
    std::memset(f.FormatRecord(), 0, TkaWaveFormat::kBufferSize);
    f.AssignRecord(record.data());
    return f;
}

inline TkaWaveFormat pcmHolder(uint16_t ch, uint32_t rate, uint16_t bits) { return holder(pcmFormat(ch, rate, bits)); }
inline TkaWaveFormat codecHolder(uint16_t tag, uint16_t ch, uint32_t rate) { return holder(codecFormat(tag, ch, rate)); }

// The same tone on every channel.
inline std::vector<int16_t> flatTone(int channels, uint32_t rate, int64_t frames, double freq, double amp = 10000.0) {
    std::vector<int16_t> s(static_cast<size_t>(frames * channels));
    for (int64_t i = 0; i < frames; ++i) {
        const auto v = static_cast<int16_t>(std::lrint(amp * std::sin(2 * 3.14159265358979 * freq * static_cast<double>(i) / rate)));
        for (int c = 0; c < channels; ++c) s[static_cast<size_t>(i * channels + c)] = v;
    }
    return s;
}

// Converts a whole RIFF WAVE file image into another format, as the
// converter dialog does: reader, data stream, converter, writer.
inline std::vector<uint8_t> convertFile(const std::vector<uint8_t>& file, const TkaWaveFormat& out, int* blocks = nullptr) {
    MemoryByteStream src(file), dst;
    {
        TkaRIFFAudioReader reader(&src);
        TkaRIFFAudioWriter writer(&dst);
        writer.SetFormat(out);
        TkaAudioConvertor conv;
        conv.SetFormatIn(reader.GetFormat());
        conv.SetFormatOut(out);
        int n = 0;
        conv.OnAudioConverted = [&](TkaAudioConvertor*, const void* d, int32_t size, bool&) {
            writer.WriteAudio(d, size);
            ++n;
        };
        conv.Open();
        conv.ConvertStream(*reader.DataStream());
        conv.Close();
        writer.Close();
        if (blocks) *blocks = n;
    }
    return dst.data();
}

inline std::vector<uint8_t> wavFile(const TkaWaveFormat& f, const std::vector<uint8_t>& data) {
    MemoryByteStream out;
    {
        TkaRIFFAudioWriter w(&out);
        w.SetFormat(f);
        w.WriteAudio(data.data(), static_cast<int64_t>(data.size()));
    }
    return out.data();
}

inline std::vector<uint8_t> wavData(const std::vector<uint8_t>& file, TkaWaveFormat* format = nullptr) {
    MemoryByteStream in(file);
    TkaRIFFAudioReader r(&in);
    if (format) format->Assign(r.GetFormat());
    std::vector<uint8_t> d(static_cast<size_t>(r.DataSize()));
    r.ReadTrackData(0, d.data(), static_cast<int64_t>(d.size()));
    return d;
}

} // namespace sv::test

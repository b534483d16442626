// WAVE files written by the tests themselves, and a snapshot of a folder
// to prove that a refused job wrote nothing.
#pragma once
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "sound/engine/sample_format.h"
#include "sound/engine/wave_file.h"

namespace sv::test {

using Bytes = std::vector<uint8_t>;

inline Bytes readAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

inline void writeAll(const std::string& path, const Bytes& b) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(b.data()), std::streamsize(b.size()));
}

// A canonical WAVE file: 44-byte header, then `data`, then `trailer`
// (e.g. a chunk after the samples, not counted in the data size).
inline Bytes waveBytes(const SampleFormat& f, const Bytes& data, const Bytes& trailer = {}) {
    Bytes out(kWaveHeaderBytes);
    WaveFileHeader::build(out.data(), f, static_cast<uint32_t>(data.size()));
    out.insert(out.end(), data.begin(), data.end());
    out.insert(out.end(), trailer.begin(), trailer.end());
    return out;
}

inline void writeWave(const std::string& path, const SampleFormat& f, const Bytes& data, const Bytes& trailer = {}) {
    writeAll(path, waveBytes(f, data, trailer));
}

// Loud, varied samples that are never quiet at thresholds up to 50 %.
inline Bytes loudData(const SampleFormat& f, int64_t frames, int seed = 1) {
    Bytes d;
    const int64_t values = frames * f.nChannels;
    for (int64_t i = 0; i < values; ++i) {
        const bool up = ((i + seed) / 3) % 2 == 0;
        if (f.wBitsPerSample == 8) {
            d.push_back(up ? uint8_t(250 - (i % 5)) : uint8_t(2 + (i % 5)));
        } else {
            const int16_t v = up ? int16_t(30000 - (i % 7)) : int16_t(-30000 + (i % 7));
            d.push_back(uint8_t(uint16_t(v) & 0xFF));
            d.push_back(uint8_t(uint16_t(v) >> 8));
        }
    }
    return d;
}

// Digital silence (127 for 8-bit, 0 for 16-bit).
inline Bytes quietData(const SampleFormat& f, int64_t frames) {
    return Bytes(size_t(frames * f.nBlockAlign), f.wBitsPerSample == 8 ? 127 : 0);
}

inline Bytes operator+(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// Names and contents of every file in a folder (only the size of a huge
// sparse one, which the tests never change).
inline std::map<std::string, Bytes> snapshot(const std::string& dir) {
    std::map<std::string, Bytes> m;
    for (const auto& e : std::filesystem::directory_iterator(dir)) {
        if (!e.is_regular_file()) continue;
        const std::string size = std::to_string(e.file_size());
        m[e.path().filename().string()] =
            e.file_size() > (1u << 20) ? Bytes(size.begin(), size.end()) : readAll(e.path().string());
    }
    return m;
}

inline uint32_t u32At(const Bytes& b, size_t off) { return getU32(b.data() + off); }

// Joins the data of canonical WAVE files behind the first one's header,
// corrected for the summed size: the file the pieces came from.
inline Bytes dataOf(const Bytes& wave) { return Bytes(wave.begin() + kWaveHeaderBytes, wave.end()); }

} // namespace sv::test

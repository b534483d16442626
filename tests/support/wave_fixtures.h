// Builders of WAVE files for tests.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace sv::test {

// Interleaved sample bytes of a short test signal in the given layout.
std::vector<uint8_t> testSignal(int bits, int channels, int frames);

// A canonical 44-byte-header PCM WAVE file.
std::vector<uint8_t> canonicalWave(int rate, int bits, int channels, const std::vector<uint8_t>& data);

// A WAVE file with extra chunks: `before` goes between "fmt " and "data"
// (e.g. a "LIST" chunk), `after` after the data.
std::vector<uint8_t> chunkedWave(int rate, int bits, int channels, const std::vector<uint8_t>& data,
                                 const std::vector<uint8_t>& before, const std::vector<uint8_t>& after,
                                 int fmtSize = 16);

// A chunk: id, 32-bit size, payload, pad byte when odd.
std::vector<uint8_t> chunk(const char id[4], const std::vector<uint8_t>& payload);

void writeBytes(const std::string& path, const std::vector<uint8_t>& bytes);
std::vector<uint8_t> readBytes(const std::string& path);

} // namespace sv::test

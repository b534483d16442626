// Sounds with known, position-dependent bytes for the edit and undo tests.
#pragma once
#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "sound/engine/sound_buffer.h"

namespace sv::test {

struct Layout {
    int bits, channels;
};
inline const Layout kLayouts[] = {{8, 1}, {8, 2}, {16, 1}, {16, 2}};

inline SoundBuffer makeSound(int bits, int channels, int64_t frames, int seed = 1, uint32_t rate = 22050) {
    SoundBuffer s;
    s.format = SampleFormat::pcm(rate, bits, channels);
    s.bytes.resize(static_cast<size_t>(frames * s.format.nBlockAlign));
    for (size_t i = 0; i < s.bytes.size(); ++i) s.bytes.data()[i] = uint8_t(i * 7 + seed * 31 + (i >> 8));
    return s;
}

inline std::vector<uint8_t> bytesOf(const SoundBuffer& s) {
    return std::vector<uint8_t>(s.bytes.data(), s.bytes.data() + s.bytes.size());
}

inline std::vector<uint8_t> slurpFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

inline void spitFile(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

} // namespace sv::test

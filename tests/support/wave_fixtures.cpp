#include "tests/support/wave_fixtures.h"

#include <cmath>
#include <cstring>
#include <fstream>
#include <iterator>

namespace sv::test {

static void u16(std::vector<uint8_t>& v, uint32_t x) { v.push_back(uint8_t(x)); v.push_back(uint8_t(x >> 8)); }
static void u32(std::vector<uint8_t>& v, uint32_t x) { u16(v, x & 0xFFFF); u16(v, x >> 16); }
static void tag(std::vector<uint8_t>& v, const char* t) { v.insert(v.end(), t, t + 4); }

std::vector<uint8_t> testSignal(int bits, int channels, int frames) {
    std::vector<uint8_t> out;
    for (int i = 0; i < frames; ++i)
        for (int c = 0; c < channels; ++c) {
            double s = std::sin(i * (0.05 + 0.03 * c)) * 0.8;
            if (bits == 8) out.push_back(uint8_t(127 + int(s * 120)));
            else u16(out, uint16_t(int16_t(s * 30000)));
        }
    return out;
}

static std::vector<uint8_t> fmtPayload(int rate, int bits, int channels, int fmtSize) {
    std::vector<uint8_t> f;
    u16(f, 1);
    u16(f, channels);
    u32(f, rate);
    u32(f, rate * channels * bits / 8);
    u16(f, channels * bits / 8);
    u16(f, bits);
    while (int(f.size()) < fmtSize) f.push_back(0);
    return f;
}

std::vector<uint8_t> chunk(const char id[4], const std::vector<uint8_t>& payload) {
    std::vector<uint8_t> c;
    tag(c, id);
    u32(c, uint32_t(payload.size()));
    c.insert(c.end(), payload.begin(), payload.end());
    if (payload.size() & 1) c.push_back(0);
    return c;
}

std::vector<uint8_t> canonicalWave(int rate, int bits, int channels, const std::vector<uint8_t>& data) {
    return chunkedWave(rate, bits, channels, data, {}, {});
}

std::vector<uint8_t> chunkedWave(int rate, int bits, int channels, const std::vector<uint8_t>& data,
                                 const std::vector<uint8_t>& before, const std::vector<uint8_t>& after,
                                 int fmtSize) {
    std::vector<uint8_t> body;
    tag(body, "WAVE");
    auto fmt = chunk("fmt ", fmtPayload(rate, bits, channels, fmtSize));
    body.insert(body.end(), fmt.begin(), fmt.end());
    body.insert(body.end(), before.begin(), before.end());
    tag(body, "data");
    u32(body, uint32_t(data.size()));
    body.insert(body.end(), data.begin(), data.end());
    if (data.size() & 1) body.push_back(0);
    body.insert(body.end(), after.begin(), after.end());
    std::vector<uint8_t> file;
    tag(file, "RIFF");
    u32(file, uint32_t(body.size()));
    file.insert(file.end(), body.begin(), body.end());
    return file;
}

void writeBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

std::vector<uint8_t> readBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

} // namespace sv::test

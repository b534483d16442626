// Writes the two sample sounds of the installation folder:
//   make_samples <folder>
// sample1.wav: a short tune, 16-bit mono at 22050 Hz; sample2.wav: a chord
// fading in and out, 8-bit stereo at 11025 Hz (so both sample layouts the
// editor handles are there to try). Plain 44-byte-header PCM WAVE files.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace {

const double kPi = 3.14159265358979323846;

void put16(std::vector<uint8_t>& b, uint32_t v) {
    b.push_back(uint8_t(v));
    b.push_back(uint8_t(v >> 8));
}
void put32(std::vector<uint8_t>& b, uint32_t v) {
    put16(b, v & 0xFFFF);
    put16(b, v >> 16);
}

bool writeWave(const std::string& path, uint32_t rate, uint16_t bits, uint16_t channels,
               const std::vector<uint8_t>& data) {
    std::vector<uint8_t> b;
    const uint16_t align = uint16_t(channels * bits / 8);
    for (char c : std::string("RIFF")) b.push_back(uint8_t(c));
    put32(b, uint32_t(36 + data.size()));
    for (char c : std::string("WAVEfmt ")) b.push_back(uint8_t(c));
    put32(b, 16);
    put16(b, 1);
    put16(b, channels);
    put32(b, rate);
    put32(b, rate * align);
    put16(b, align);
    put16(b, bits);
    for (char c : std::string("data")) b.push_back(uint8_t(c));
    put32(b, uint32_t(data.size()));
    b.insert(b.end(), data.begin(), data.end());
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    const bool ok = std::fwrite(b.data(), 1, b.size(), f) == b.size();
    return std::fclose(f) == 0 && ok;
}

// A note with a quick attack and a gentle decay.
double note(double freq, double t, double length) {
    if (t < 0 || t >= length) return 0;
    const double env = std::min(1.0, t / 0.01) * std::exp(-3.0 * t / length);
    return env * (std::sin(2 * kPi * freq * t) + 0.3 * std::sin(4 * kPi * freq * t));
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s folder\n", argv[0]);
        return 2;
    }
    const std::string dir = std::string(argv[1]) + "/";

    const uint32_t rate1 = 22050;
    const double tune[] = {523.25, 659.25, 783.99, 1046.5, 783.99, 659.25, 523.25};
    const double step = 0.25;
    const size_t frames1 = size_t(rate1 * (step * 7 + 0.5));
    std::vector<uint8_t> d1;
    for (size_t i = 0; i < frames1; ++i) {
        const double t = double(i) / rate1;
        double v = 0;
        for (int n = 0; n < 7; ++n) v += note(tune[n], t - n * step, 0.6);
        const int s = int(std::lround(std::max(-1.0, std::min(1.0, v * 0.45)) * 32767));
        put16(d1, uint16_t(int16_t(s)));
    }

    const uint32_t rate2 = 11025;
    const size_t frames2 = rate2 * 2;
    std::vector<uint8_t> d2;
    for (size_t i = 0; i < frames2; ++i) {
        const double t = double(i) / rate2;
        const double env = std::sin(kPi * t / 2.0);
        const double left = env * (std::sin(2 * kPi * 220 * t) + std::sin(2 * kPi * 277.18 * t)) / 2;
        const double right = env * (std::sin(2 * kPi * 329.63 * t) + std::sin(2 * kPi * 440 * t)) / 2;
        // 8-bit samples are unsigned with silence at 127.
        d2.push_back(uint8_t(127 + std::lround(left * 100)));
        d2.push_back(uint8_t(127 + std::lround(right * 100)));
    }

    if (!writeWave(dir + "sample1.wav", rate1, 16, 1, d1) || !writeWave(dir + "sample2.wav", rate2, 8, 2, d2)) {
        std::fprintf(stderr, "cannot write the samples in %s\n", dir.c_str());
        return 1;
    }
    return 0;
}

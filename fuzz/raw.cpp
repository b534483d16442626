// Raw sample files read in the format the user types: the input is one
// layout byte (bits and channels), the rate as four bytes, then the file.
#include "fuzz/support/fuzz_support.h"
#include <cstdio>

#include "sound/engine/formats/raw_file.h"
#include "sound/engine/wave_file.h"

using namespace sv;

void sv::fuzz::writeSeeds(const std::string& folder) {
    int n = 0;
    for (const SoundBuffer& s : seedSounds()) {
        const std::string raw = folder + "sound.raw";
        writeWaveFile(raw, s.format, s.bytes.data(), int64_t(s.bytes.size()), false);
        std::vector<uint8_t> in = {uint8_t((s.format.wBitsPerSample == 16 ? 2 : 0) | (s.format.nChannels - 1))};
        for (int i = 0; i < 4; ++i) in.push_back(uint8_t(s.format.nSamplesPerSec >> (8 * i)));
        const auto bytes = fileBytes(raw);
        in.insert(in.end(), bytes.begin(), bytes.end());
        std::remove(raw.c_str());
        seedFile(folder, "seed" + std::to_string(n++), in);
    }
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 5) return 0;
    const int bits = (data[0] & 2) ? 16 : 8;
    const int channels = (data[0] & 1) + 1;
    const uint32_t rate = uint32_t(data[1]) | uint32_t(data[2]) << 8 | uint32_t(data[3]) << 16 | uint32_t(data[4]) << 24;
    const std::string path = fuzz::inputFile(data + 5, size - 5, "input.raw");
    FormatProbe p = probeRaw(path, SampleFormat::pcm(rate, bits, channels));
    if (!p.ok()) return 0;
    try {
        SoundBuffer sound;
        readFormatSamples(path, p, sound);
    } catch (const std::exception&) {
    }
    return 0;
}

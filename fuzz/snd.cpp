// Sun/NeXT ".snd"/".au" files: the big-endian header and its three codings.
#include "fuzz/support/fuzz_support.h"
#include "sound/engine/formats/snd_file.h"

using namespace sv;

namespace {
void put32be(std::vector<uint8_t>& v, uint32_t x) {
    for (int i = 3; i >= 0; --i) v.push_back(uint8_t(x >> (8 * i)));
}
} // namespace

// The program writes no Sun/NeXT files: the seeds are the seed sounds'
// samples behind a header of each coding.
void sv::fuzz::writeSeeds(const std::string& folder) {
    int n = 0;
    for (const SoundBuffer& s : seedSounds()) {
        const bool wide = s.format.wBitsPerSample == 16;
        for (uint32_t encoding : wide ? std::vector<uint32_t>{3} : std::vector<uint32_t>{1, 2}) {
            std::vector<uint8_t> f = {'.', 's', 'n', 'd'};
            put32be(f, uint32_t(kSndHeaderBytes));
            put32be(f, uint32_t(s.bytes.size()));
            put32be(f, encoding);
            put32be(f, s.format.nSamplesPerSec);
            put32be(f, s.format.nChannels);
            put32be(f, 0);   // annotation
            for (size_t i = 0; i < s.bytes.size(); i += wide ? 2 : 1) {
                if (wide) f.push_back(s.bytes.data()[i + 1]);
                f.push_back(s.bytes.data()[i]);
            }
            seedFile(folder, "seed" + std::to_string(n++) + ".snd", f);
        }
    }
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string path = fuzz::inputFile(data, size, "input.snd");
    FormatProbe p = probeSnd(path);
    if (!p.ok()) return 0;
    try {
        SoundBuffer sound;
        readFormatSamples(path, p, sound);
    } catch (const std::exception&) {
    }
    return 0;
}

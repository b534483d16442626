// A-law and mu-law WAVE files: the probe and the decoding into 16-bit PCM.
#include "fuzz/support/fuzz_support.h"
#include "sound/engine/formats/law_wave.h"

using namespace sv;

void sv::fuzz::writeSeeds(const std::string& folder) {
    int n = 0;
    for (const SoundBuffer& s : seedSounds()) {
        if (s.format.wBitsPerSample != 16) continue;
        writeLawWave(folder + "alaw" + std::to_string(n) + ".wav", s, false);
        writeLawWave(folder + "ulaw" + std::to_string(n) + ".wav", s, true);
        ++n;
    }
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string path = fuzz::inputFile(data, size, "input.wav");
    // The format tag chooses the law when the file is opened; try both.
    for (bool muLaw : {false, true}) {
        FormatProbe p = probeLawWave(path, muLaw);
        if (!p.ok()) continue;
        try {
            SoundBuffer sound;
            readFormatSamples(path, p, sound);
        } catch (const std::exception&) {
        }
    }
    return 0;
}

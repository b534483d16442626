// PCM WAVE files as File > Open reads them: the header probe, then the
// samples of a layout the editor holds.
#include "fuzz/support/fuzz_support.h"
#include "sound/engine/wave_file.h"

using namespace sv;

void sv::fuzz::writeSeeds(const std::string& folder) {
    int n = 0;
    for (const SoundBuffer& s : seedSounds())
        writeWaveFile(folder + "pcm" + std::to_string(n++) + ".wav", s.format, s.bytes.data(), int64_t(s.bytes.size()));
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string path = fuzz::inputFile(data, size, "input.wav");
    WaveProbe pr = probeWave(path);
    if (pr.status != WaveProbe::Status::Ok || !pr.fitEditorLayout()) return 0;
    try {
        SoundBuffer sound;
        readWaveSamples(path, pr, pr.dataBytes(true), sound);
    } catch (const std::exception&) {
    }
    return 0;
}

// Saving a ten-minute stereo 16-bit 44.1 kHz sound as a WAVE file the way
// File > Save does (beside the file, flushed to the disk, renamed over it,
// the folder flushed), beside writing the same bytes with plain writes that
// leave them in the page cache. The ratio of the two is the cost of a save
// that survives a power cut.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>
#include <unistd.h>

#include "sound/engine/wave_file.h"

namespace {

const int64_t kFrames = int64_t(44100) * 600;
const int64_t kBytes = kFrames * 4;

const sv::SoundBuffer& sound() {
    static sv::SoundBuffer s = [] {
        sv::SoundBuffer b;
        b.format = sv::SampleFormat::pcm(44100, 16, 2);
        b.bytes.resize(size_t(kBytes));
        for (int64_t i = 0; i < kBytes; ++i) b.bytes.data()[i] = uint8_t(i * 31);
        return b;
    }();
    return s;
}

const std::string kTarget = "/tmp/sonvela-bench-save.wav";

void BM_SaveWave(benchmark::State& state) {
    const sv::SoundBuffer& s = sound();
    for (auto _ : state) {
        const int err = sv::writeWaveFile(kTarget, s.format, s.bytes.data(), kBytes);
        if (err) state.SkipWithError("save failed");
    }
    ::unlink(kTarget.c_str());
    state.SetBytesProcessed(state.iterations() * kBytes);
}

void BM_PlainWrite(benchmark::State& state) {
    const sv::SoundBuffer& s = sound();
    for (auto _ : state) {
        std::FILE* f = std::fopen(kTarget.c_str(), "wb");
        uint8_t h[sv::kWaveHeaderBytes];
        sv::WaveFileHeader::build(h, s.format, uint32_t(kBytes));
        std::fwrite(h, 1, sizeof h, f);
        std::fwrite(s.bytes.data(), 1, size_t(kBytes), f);
        std::fclose(f);
    }
    ::unlink(kTarget.c_str());
    state.SetBytesProcessed(state.iterations() * kBytes);
}

} // namespace

BENCHMARK(BM_SaveWave)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_PlainWrite)->Unit(benchmark::kMillisecond)->Iterations(3);

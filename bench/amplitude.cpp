// Amplitude effects over a one-hour stereo 16-bit 44.1 kHz sound held in
// memory, beside one memcpy pass over the same bytes (goal: each effect
// within 3 times that pass); and loading, normalising and saving a WAVE
// file beside "sox in.wav out.wav norm" on the same file (goal: at most 0.7
// times sox's time; the sox figure is skipped when sox is not installed).
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/paths.h"
#include "sound/engine/effects/amplitude.h"
#include "sound/engine/wave_file.h"

namespace {

const int64_t kFrames = int64_t(44100) * 3600;
const int64_t kBytes = kFrames * 4;
const char* kInput = "/tmp/sonvela-bench-amplitude.wav";
const char* kOutput = "/tmp/sonvela-bench-amplitude-out.wav";
const char* kSoxOutput = "/tmp/sonvela-bench-amplitude-sox.wav";

// A half-scale tone, different in the two channels, so that normalising has
// work to do and nothing saturates.
sv::SoundBuffer& hourSound() {
    static sv::SoundBuffer s;
    if (!s.bytes.empty()) return s;
    s.format = sv::SampleFormat::pcm(44100, 16, 2);
    s.bytes.resize(size_t(kBytes));
    int16_t period[441 * 2];
    for (int i = 0; i < 441; ++i) {
        period[2 * i] = int16_t(16000 * std::sin(2 * M_PI * i / 441.0));
        period[2 * i + 1] = int16_t(12000 * std::sin(2 * M_PI * 3 * i / 441.0));
    }
    for (int64_t off = 0; off < kBytes; off += sizeof period)
        std::memcpy(s.bytes.data() + off, period, size_t(std::min<int64_t>(sizeof period, kBytes - off)));
    s.setSelection(0, s.frameCount());
    return s;
}

const std::string& inputFile() {
    static std::string path;
    if (path.empty()) {
        path = kInput;
        if (sv::fileSizeOf(path) != kBytes + 44) {
            const sv::SoundBuffer& s = hourSound();
            sv::writeWaveFile(path, s.format, s.bytes.data(), int64_t(s.bytes.size()));
        }
    }
    return path;
}

const sv::OperationContext& quietContext() {
    static sv::OperationContext ctx;   // no window: no progress, no undo file
    return ctx;
}

void BM_MemcpyPass(benchmark::State& state) {
    sv::SoundBuffer& s = hourSound();
    static sv::ByteBlock copy{size_t(kBytes)};
    std::memset(copy.data(), 0, copy.size());
    for (auto _ : state) {
        std::memcpy(copy.data(), s.bytes.data(), size_t(kBytes));
        benchmark::DoNotOptimize(copy.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * kBytes);
}

void BM_Normalise(benchmark::State& state) {
    sv::SoundBuffer& s = hourSound();
    for (auto _ : state) {
        sv::normalise(s, quietContext());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * kBytes);
}

void BM_Amplify(benchmark::State& state) {
    sv::SoundBuffer& s = hourSound();
    for (auto _ : state) {
        sv::amplify(s, 90, quietContext());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * kBytes);
}

void BM_Reverse(benchmark::State& state) {
    sv::SoundBuffer& s = hourSound();
    for (auto _ : state) {
        sv::reverse(s, quietContext());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * kBytes);
}

void BM_LoadNormaliseSave(benchmark::State& state) {
    const std::string& in = inputFile();
    for (auto _ : state) {
        sv::WaveProbe pr = sv::probeWave(in);
        sv::SoundBuffer s;
        sv::readWaveSamples(in, pr, pr.dataBytes(false), s);
        s.setSelection(0, s.frameCount());
        sv::normalise(s, quietContext());
        sv::writeWaveFile(kOutput, s.format, s.bytes.data(), int64_t(s.bytes.size()));
    }
    std::remove(kOutput);
}

void BM_SoxNormalise(benchmark::State& state) {
    const std::string& in = inputFile();
    if (std::system("command -v sox >/dev/null 2>&1") != 0) {
        state.SkipWithError("sox is not installed");
        return;
    }
    const std::string cmd = "sox " + in + " " + kSoxOutput + " norm";
    for (auto _ : state) {
        if (std::system(cmd.c_str()) != 0) state.SkipWithError("sox failed");
    }
    std::remove(kSoxOutput);
}

} // namespace

BENCHMARK(BM_MemcpyPass)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_Normalise)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_Amplify)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_Reverse)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_LoadNormaliseSave)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_SoxNormalise)->Unit(benchmark::kMillisecond)->Iterations(2);

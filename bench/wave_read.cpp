// Reading a one-hour stereo 16-bit 44.1 kHz WAVE file into memory, beside
// reading the same bytes with plain file reads. The ratio of the two is the
// figure that matters (goal: at most 1.3).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <unistd.h>
#include <vector>

#include "platform/paths.h"
#include "sound/engine/wave_file.h"

namespace {

const int64_t kFrames = int64_t(44100) * 3600;
const int64_t kBytes = kFrames * 4;

const std::string& benchFile() {
    static std::string path;
    if (!path.empty()) return path;
    path = "/tmp/sonvela-bench-hour.wav";
    if (sv::fileSizeOf(path) != kBytes + 44) {
        std::FILE* f = std::fopen(path.c_str(), "wb");
        uint8_t h[sv::kWaveHeaderBytes];
        sv::WaveFileHeader::build(h, sv::SampleFormat::pcm(44100, 16, 2), uint32_t(kBytes));
        std::fwrite(h, 1, sizeof h, f);
        std::vector<uint8_t> chunk(1 << 20);
        for (size_t i = 0; i < chunk.size(); ++i) chunk[i] = uint8_t(i * 31);
        for (int64_t left = kBytes; left > 0;) {
            size_t n = size_t(std::min<int64_t>(left, int64_t(chunk.size())));
            std::fwrite(chunk.data(), 1, n, f);
            left -= int64_t(n);
        }
        std::fclose(f);
    }
    return path;
}

void BM_ReadWaveIntoSound(benchmark::State& state) {
    const std::string& path = benchFile();
    for (auto _ : state) {
        sv::WaveProbe pr = sv::probeWave(path);
        sv::SoundBuffer s;
        sv::readWaveSamples(path, pr, pr.dataBytes(false), s);
        benchmark::DoNotOptimize(s.bytes.data());
    }
    state.SetBytesProcessed(state.iterations() * kBytes);
}

void BM_PlainRead(benchmark::State& state) {
    const std::string& path = benchFile();
    for (auto _ : state) {
        int fd = ::open(path.c_str(), O_RDONLY);
        uint8_t* buf = static_cast<uint8_t*>(std::malloc(size_t(kBytes)));
        int64_t done = 0;
        while (done < kBytes) {
            ssize_t r = ::pread(fd, buf + done, size_t(kBytes - done), 44 + done);
            if (r <= 0) break;
            done += r;
        }
        ::close(fd);
        benchmark::DoNotOptimize(buf);
        std::free(buf);
    }
    state.SetBytesProcessed(state.iterations() * kBytes);
}

} // namespace

BENCHMARK(BM_ReadWaveIntoSound)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_PlainRead)->Unit(benchmark::kMillisecond)->Iterations(3);

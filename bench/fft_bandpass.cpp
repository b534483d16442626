// Band pass over ten minutes of stereo 16-bit 44.1 kHz sound, 2048-point
// blocks half overlapped, on one thread and on every core (argument:
// threads, 0 for the default). The realtime counter is seconds of sound per
// second of processing.
#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>

#include "sound/engine/fft/block_runner.h"
#include "sound/engine/fft/transformar.h"

namespace {

constexpr uint32_t kRate = 44100;
constexpr int64_t kSeconds = 600;

sv::SoundBuffer tenMinutes() {
    sv::SoundBuffer s;
    s.format = sv::SampleFormat::pcm(kRate, 16, 2);
    const int64_t frames = kRate * kSeconds;
    s.bytes.resize(size_t(frames) * 4);
    uint32_t noise = 12345;
    for (int64_t f = 0; f < frames; ++f) {
        const double t = double(f) / kRate;
        noise = noise * 1664525u + 1013904223u;
        const double n = double(int32_t(noise >> 16) - 32768) / 8;
        const int l = int(std::lround(6000 * std::sin(2 * M_PI * 440 * t) + n));
        const int r = int(std::lround(6000 * std::sin(2 * M_PI * 7000 * t) - n));
        sv::writeSample(s.frame(f), l, int16_t{});
        sv::writeSample(s.frame(f) + 2, r, int16_t{});
    }
    s.setSelection(0, frames - 1);
    return s;
}

void BM_BandPassTenMinutesStereo(benchmark::State& state) {
    const sv::SoundBuffer original = tenMinutes();
    auto area = std::make_unique<sv::FftWorkArea>();
    sv::OperationContext ctx;
    sv::setSpectralThreads(int(state.range(0)));
    for (auto _ : state) {
        state.PauseTiming();
        sv::SoundBuffer s = original;
        state.ResumeTiming();
        sv::transformar(s, "paso_banda", 100, 5000, *area, ctx);
        benchmark::DoNotOptimize(s.bytes.data());
    }
    state.counters["realtime"] =
        benchmark::Counter(double(kSeconds) * state.iterations(), benchmark::Counter::kIsRate);
    sv::setSpectralThreads(0);
}
BENCHMARK(BM_BandPassTenMinutesStereo)->Arg(1)->Arg(0)->Unit(benchmark::kSecond)->Iterations(3)->UseRealTime();

} // namespace

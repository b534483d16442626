// The time-domain filters and the histogram over a one-hour stereo 16-bit
// 44.1 kHz sound held in memory, beside one memcpy pass over the same bytes
// (goal: each filter within about 5 times that pass).
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstring>

#include "sound/engine/effects/filters.h"
#include "sound/engine/effects/histogram.h"

namespace {

const int64_t kFrames = int64_t(44100) * 3600;
const int64_t kBytes = kFrames * 4;

sv::SoundBuffer& hourSound() {
    static sv::SoundBuffer s;
    if (!s.bytes.empty()) return s;
    s.format = sv::SampleFormat::pcm(44100, 16, 2);
    s.bytes.resize(size_t(kBytes));
    int16_t period[441 * 2];
    for (int i = 0; i < 441; ++i) {
        period[2 * i] = int16_t(16000 * std::sin(2 * M_PI * i / 441.0) + (i % 13 == 0 ? 5000 : 0));
        period[2 * i + 1] = int16_t(12000 * std::sin(2 * M_PI * 3 * i / 441.0));
    }
    for (int64_t off = 0; off < kBytes; off += sizeof period)
        std::memcpy(s.bytes.data() + off, period, size_t(std::min<int64_t>(sizeof period, kBytes - off)));
    s.setSelection(0, s.frameCount());
    return s;
}

void BM_MemcpyPass(benchmark::State& state) {
    sv::SoundBuffer& s = hourSound();
    sv::ByteBlock copy(s.bytes.size());
    for (auto _ : state) {
        std::memcpy(copy.data(), s.bytes.data(), s.bytes.size());
        benchmark::DoNotOptimize(copy.data());
    }
}

template <bool (*Filter)(sv::SoundBuffer&, const sv::OperationContext&)>
void BM_Filter(benchmark::State& state) {
    sv::SoundBuffer& s = hourSound();
    sv::OperationContext ctx;
    ctx.progress = [](int64_t, int64_t) {};
    for (auto _ : state) benchmark::DoNotOptimize(Filter(s, ctx));
}

void BM_Histogram(benchmark::State& state) {
    sv::SoundBuffer& s = hourSound();
    for (auto _ : state) benchmark::DoNotOptimize(sv::histogram(s).mean);
}

} // namespace

BENCHMARK(BM_MemcpyPass)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_Filter<sv::medianFilter>)->Name("BM_Median")->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_Filter<sv::improvedMedianFilter>)->Name("BM_ImprovedMedian")->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_Filter<sv::averageFilter>)->Name("BM_Average")->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_Filter<sv::topHatFilter>)->Name("BM_TopHat")->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_Filter<sv::differenceFilter>)->Name("BM_Difference")->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_Histogram)->Unit(benchmark::kMillisecond)->Iterations(2);

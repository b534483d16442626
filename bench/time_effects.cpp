// Length-changing effects over ten minutes of stereo 16-bit 44.1 kHz sound,
// beside one memcpy pass over the same bytes: each should stay within a few
// times that pass (one pass over the samples, one allocation).
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstring>

#include "sound/engine/effects/time_effects.h"

namespace {

const int64_t kFrames = int64_t(44100) * 600;

sv::SoundBuffer makeSound() {
    sv::SoundBuffer s;
    s.format = sv::SampleFormat::pcm(44100, 16, 2);
    s.bytes.resize(size_t(kFrames * 4));
    for (int64_t i = 0; i < kFrames * 2; ++i) {
        const int16_t v = int16_t(12000 * std::sin(double(i % 882) * 0.0142));
        std::memcpy(s.bytes.data() + 2 * i, &v, 2);
    }
    s.setSelection(0, kFrames);
    return s;
}

const sv::SoundBuffer& source() {
    static const sv::SoundBuffer s = makeSound();
    return s;
}

void BM_MemcpyPass(benchmark::State& state) {
    sv::ByteBlock out(source().bytes.size());
    for (auto _ : state) {
        std::memcpy(out.data(), source().bytes.data(), out.size());
        benchmark::DoNotOptimize(out.data());
    }
}

template <typename Op>
void runOn(benchmark::State& state, Op op) {
    for (auto _ : state) {
        state.PauseTiming();
        sv::SoundBuffer s = source();
        state.ResumeTiming();
        benchmark::DoNotOptimize(op(s));
    }
}

void BM_Chopper(benchmark::State& state) {
    runOn(state, [](sv::SoundBuffer& s) { return sv::intervalEffect(s, sv::IntervalEffect::Chopper, {}); });
}

void BM_SpeedUpByHalf(benchmark::State& state) {
    runOn(state, [](sv::SoundBuffer& s) { return sv::changeSpeed(s, kFrames * 3 / 2, false, false, {}); });
}

void BM_ResampleFourTimes(benchmark::State& state) {
    runOn(state, [](sv::SoundBuffer& s) {
        s.format.nSamplesPerSec = 11025;
        return sv::resampleSound(s, sv::SampleFormat::pcm(44100, 16, 2), {});
    });
}

void BM_Echo(benchmark::State& state) {
    runOn(state, [](sv::SoundBuffer& s) { return sv::echo(s, 300, 3, {}); });
}

} // namespace

BENCHMARK(BM_MemcpyPass)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Chopper)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SpeedUpByHalf)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ResampleFourTimes)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Echo)->Unit(benchmark::kMillisecond);

// Whole-process jobs on a stereo 16-bit 44.1 kHz WAVE file of ten minutes
// and of one hour: load, one effect on the whole sound, save; each beside
// sox doing the same job on the same file in the same iteration (the ratio
// counter; skipped when sox is not installed). Goals: the spectral band
// pass at most 1.0 (aim 0.5); amplify, echo and rate at most 0.3.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <unistd.h>

#include "bench/bench_ratio.h"
#include "platform/paths.h"
#include "sound/engine/effects/amplitude.h"
#include "sound/engine/effects/time_effects.h"
#include "sound/engine/fft/transformar.h"
#include "sound/engine/wave_file.h"

namespace {

constexpr uint32_t kRate = 44100;

std::string inputPath(int64_t minutes) { return "/tmp/sonvela-bench-whole-" + std::to_string(minutes) + "m.wav"; }
std::string outputPath() { return "/tmp/sonvela-bench-whole-out.wav"; }
std::string soxOutputPath() { return "/tmp/sonvela-bench-whole-sox.wav"; }

// Tones under noise, different in the two channels; written once and kept
// between runs of the benchmark.
const std::string& inputFile(int64_t minutes) {
    static std::string paths[2];
    std::string& path = paths[minutes >= 60 ? 1 : 0];
    if (!path.empty()) return path;
    path = inputPath(minutes);
    const int64_t frames = int64_t(kRate) * 60 * minutes;
    if (sv::fileSizeOf(path) == frames * 4 + 44) return path;
    sv::SoundBuffer s;
    s.format = sv::SampleFormat::pcm(kRate, 16, 2);
    s.bytes.resize(size_t(frames) * 4);
    uint32_t noise = 12345;
    int16_t tone[441 * 2];
    for (int i = 0; i < 441; ++i) {
        tone[2 * i] = int16_t(6000 * std::sin(2 * M_PI * i / 441.0));
        tone[2 * i + 1] = int16_t(6000 * std::sin(2 * M_PI * 70 * i / 441.0));
    }
    for (int64_t f = 0; f < frames; ++f) {
        noise = noise * 1664525u + 1013904223u;
        const int n = int(int32_t(noise >> 16) - 32768) / 8;
        const int16_t l = int16_t(tone[2 * (f % 441)] + n), r = int16_t(tone[2 * (f % 441) + 1] - n);
        std::memcpy(s.frame(f), &l, 2);
        std::memcpy(s.frame(f) + 2, &r, 2);
    }
    sv::writeWaveFile(path, s.format, s.bytes.data(), int64_t(s.bytes.size()));
    return path;
}

const sv::OperationContext& quiet() {
    static sv::OperationContext ctx;   // no window: no progress, no undo file
    return ctx;
}

// Seconds of each phase of our side, to tell the effect from the file work
// (the save writes beside the file, syncs it and renames it over).
struct Phases {
    std::vector<double> load, effect, save;
};

void loadEffectSave(const std::string& in, const std::function<void(sv::SoundBuffer&)>& effect, Phases& ph) {
    sv::SoundBuffer s;
    ph.load.push_back(bench::secondsOf([&] {
        sv::WaveProbe pr = sv::probeWave(in);
        sv::readWaveSamples(in, pr, pr.dataBytes(false), s);
        s.setSelection(0, s.frameCount());
    }));
    ph.effect.push_back(bench::secondsOf([&] { effect(s); }));
    ph.save.push_back(bench::secondsOf(
        [&] { sv::writeWaveFile(outputPath(), s.format, s.bytes.data(), int64_t(s.bytes.size())); }));
}

void wholeJob(benchmark::State& state, const std::function<void(sv::SoundBuffer&)>& effect, const std::string& soxEffect) {
    if (!bench::haveSox()) {
        state.SkipWithError("sox is not installed");
        return;
    }
    const std::string& in = inputFile(state.range(0));
    Phases ph;
    // Before each side, untimed: what the previous side left in the page
    // cache goes to disk, so that neither side's save waits for the other's
    // leftover writing.
    bench::ratioLoop(
        state, [] { ::sync(); }, [&] { loadEffectSave(in, effect, ph); },
        [&] { bench::runSox(state, in + " " + soxOutputPath() + " " + soxEffect); });
    state.counters["load_s"] = bench::median(ph.load);
    state.counters["effect_s"] = bench::median(ph.effect);
    state.counters["save_s"] = bench::median(ph.save);
    std::remove(outputPath().c_str());
    std::remove(soxOutputPath().c_str());
}

void BM_BandPassVsSoxSinc(benchmark::State& state) {
    auto area = std::make_unique<sv::FftWorkArea>();
    wholeJob(state, [&](sv::SoundBuffer& s) { sv::transformar(s, "telefono", 300, 3400, *area, quiet()); },
             "sinc 300-3400");
}

void BM_EchoVsSoxEcho(benchmark::State& state) {
    wholeJob(state, [](sv::SoundBuffer& s) { sv::echo(s, 300, 3, quiet()); },
             "echo 1 1 300 0.5 600 0.333 900 0.25");
}

void BM_RateVsSoxRate(benchmark::State& state) {
    wholeJob(state, [](sv::SoundBuffer& s) { sv::resampleSound(s, sv::SampleFormat::pcm(22050, 16, 2), quiet()); },
             "rate 22050");
}

void BM_AmplifyVsSoxVol(benchmark::State& state) {
    wholeJob(state, [](sv::SoundBuffer& s) { sv::amplify(s, 50, quiet()); }, "vol 0.5");
}

void BM_NormaliseVsSoxNorm(benchmark::State& state) {
    wholeJob(state, [](sv::SoundBuffer& s) { sv::normalise(s, quiet()); }, "norm");
}

} // namespace

// Arguments: minutes of sound. Ten minutes three times; the hour once.
#define WHOLE(fn)                                                                              \
    BENCHMARK(fn)->Arg(10)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);     \
    BENCHMARK(fn)->Arg(60)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond)
WHOLE(BM_BandPassVsSoxSinc);
WHOLE(BM_EchoVsSoxEcho);
WHOLE(BM_RateVsSoxRate);
WHOLE(BM_AmplifyVsSoxVol);
WHOLE(BM_NormaliseVsSoxNorm);

// The length-changing, delay and level effects over ten minutes and one hour
// of stereo 16-bit 44.1 kHz sound held in memory, each beside one memcpy
// pass over the same bytes in the same iteration (the ratio counter).
// Goals: the time and delay effects at most 5 passes, normalise and amplify
// at most 3.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <map>

#include "bench/bench_ratio.h"
#include "sound/engine/effects/amplitude.h"
#include "sound/engine/effects/delay_effects.h"
#include "sound/engine/effects/time_effects.h"

namespace {

// A half-scale tone, different in the two channels, so that normalising has
// work to do and nothing saturates.
const sv::SoundBuffer& source(int64_t minutes) {
    static std::map<int64_t, sv::SoundBuffer> sounds;
    sv::SoundBuffer& s = sounds[minutes];
    if (!s.bytes.empty()) return s;
    const int64_t frames = int64_t(44100) * 60 * minutes;
    s.format = sv::SampleFormat::pcm(44100, 16, 2);
    s.bytes.resize(size_t(frames * 4));
    int16_t period[441 * 2];
    for (int i = 0; i < 441; ++i) {
        period[2 * i] = int16_t(16000 * std::sin(2 * M_PI * i / 441.0));
        period[2 * i + 1] = int16_t(12000 * std::sin(2 * M_PI * 3 * i / 441.0));
    }
    const int64_t bytes = frames * 4;
    for (int64_t off = 0; off < bytes; off += sizeof period)
        std::memcpy(s.bytes.data() + off, period, size_t(std::min<int64_t>(sizeof period, bytes - off)));
    s.setSelection(0, frames);
    return s;
}

void passes(benchmark::State& state, const std::function<bool(sv::SoundBuffer&)>& op) {
    const sv::SoundBuffer& src = source(state.range(0));
    sv::SoundBuffer s;
    sv::ByteBlock copy(src.bytes.size());
    std::memset(copy.data(), 0, copy.size());
    bool first = true;
    bench::ratioLoop(
        state,
        [&] {
            if (first) { s = src; first = false; return; }
            // Back to the original samples without a new allocation.
            s.format = src.format;
            s.bytes.resize(src.bytes.size());
            std::memcpy(s.bytes.data(), src.bytes.data(), src.bytes.size());
            s.setSelection(0, src.frameCount());
        },
        [&] { benchmark::DoNotOptimize(op(s)); },
        [&] {
            std::memcpy(copy.data(), src.bytes.data(), copy.size());
            benchmark::DoNotOptimize(copy.data());
            benchmark::ClobberMemory();
        });
}

const sv::OperationContext& quiet() {
    static sv::OperationContext ctx;
    return ctx;
}

void BM_Normalise(benchmark::State& st) { passes(st, [](sv::SoundBuffer& s) { return sv::normalise(s, quiet()); }); }
void BM_Amplify(benchmark::State& st) { passes(st, [](sv::SoundBuffer& s) { return sv::amplify(s, 50, quiet()); }); }
void BM_Echo(benchmark::State& st) { passes(st, [](sv::SoundBuffer& s) { return sv::echo(s, 300, 3, quiet()); }); }
void BM_SpeedUpByHalf(benchmark::State& st) {
    passes(st, [](sv::SoundBuffer& s) { return sv::changeSpeed(s, s.frameCount() * 3 / 2, false, false, quiet()); });
}
void BM_Resample11025To44100(benchmark::State& st) {
    passes(st, [](sv::SoundBuffer& s) {
        s.format.nSamplesPerSec = 11025;
        return sv::resampleSound(s, sv::SampleFormat::pcm(44100, 16, 2), quiet());
    });
}
void BM_RoboticVoice(benchmark::State& st) {
    passes(st, [](sv::SoundBuffer& s) { return sv::intervalEffect(s, sv::IntervalEffect::RoboticVoice, quiet()); });
}
void BM_Chopper(benchmark::State& st) {
    passes(st, [](sv::SoundBuffer& s) { return sv::intervalEffect(s, sv::IntervalEffect::Chopper, quiet()); });
}
void BM_GreatChopper(benchmark::State& st) {
    passes(st, [](sv::SoundBuffer& s) { return sv::intervalEffect(s, sv::IntervalEffect::GreatChopper, quiet()); });
}
void BM_Gapper(benchmark::State& st) { passes(st, [](sv::SoundBuffer& s) { return sv::gapper(s, 441, 4410, quiet()); }); }
void BM_Groove(benchmark::State& st) { passes(st, [](sv::SoundBuffer& s) { return sv::groove(s, 4410, 2, quiet()); }); }
void BM_Reverb(benchmark::State& st) {
    passes(st, [](sv::SoundBuffer& s) { return sv::reverb(s, sv::ReverbParams{}, quiet()); });
}
void BM_Flanger(benchmark::State& st) {
    passes(st, [](sv::SoundBuffer& s) {
        sv::ModulationParams p;
        p.feedback = 30;
        return sv::flanger(s, p, quiet());
    });
}
// The "Devil" preset: voices, level and feedback whose loop has to be tamed.
void BM_FlangerDevil(benchmark::State& st) {
    passes(st, [](sv::SoundBuffer& s) {
        const sv::ModulationParams p{10, 50, 3, 20, 85, 5, 50};
        return sv::flanger(s, p, quiet());
    });
}
void BM_Chorus(benchmark::State& st) {
    passes(st, [](sv::SoundBuffer& s) {
        sv::ModulationParams p;
        p.voices = 3;
        return sv::chorus(s, p, quiet());
    });
}

} // namespace

// Arguments: minutes of sound.
#define PASSES(fn) BENCHMARK(fn)->Arg(10)->Arg(60)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond)
PASSES(BM_Normalise);
PASSES(BM_Amplify);
PASSES(BM_Echo);
PASSES(BM_SpeedUpByHalf);
PASSES(BM_Resample11025To44100);
PASSES(BM_RoboticVoice);
PASSES(BM_Chopper);
PASSES(BM_GreatChopper);
PASSES(BM_Gapper);
PASSES(BM_Groove);
PASSES(BM_Reverb);
PASSES(BM_Flanger);
PASSES(BM_FlangerDevil);
PASSES(BM_Chorus);

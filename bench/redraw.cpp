// Redrawing a sound window that holds one hour of stereo 16-bit 44.1 kHz
// audio, at the fitting zoom and at zoom 1, beside one memcpy pass over the
// same bytes. Goal: a fitted redraw under 30 ms and under a quarter of the
// memcpy pass; at zoom 1 only the visible frames are read.
#include <benchmark/benchmark.h>

#include <QApplication>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "sound/Sound.h"
#include "sound/engine/display_columns.h"

namespace {

const int64_t kFrames = int64_t(44100) * 3600;
const int kWidth = 1000;

QApplication& app() {
    static int argc = 1;
    static char name[] = "bench_redraw";
    static char* argv[] = {name, nullptr};
    static std::unique_ptr<QApplication> a;
    if (!a) {
        ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
        a = std::make_unique<QApplication>(argc, argv);
    }
    return *a;
}

// A sound window without a main window around it, holding the hour.
TSoundfrm& hourWindow() {
    static TSoundfrm* w = nullptr;
    if (w) return *w;
    app();
    sv::SoundBuffer s;
    s.format = sv::SampleFormat::pcm(44100, 16, 2);
    s.bytes.resize(size_t(kFrames) * 4);
    uint8_t* p = s.bytes.data();
    uint32_t x = 12345;
    for (size_t i = 0; i < s.bytes.size(); i += 2) {
        x = x * 1664525u + 1013904223u;
        p[i] = uint8_t(x >> 16);
        p[i + 1] = uint8_t(x >> 24);
    }
    w = new TSoundfrm();
    w->resize(kWidth, 400);
    w->adoptSound(std::move(s));
    w->NoRedraw = false;
    w->SoundLoaded = true;
    w->mostrar_sonido(1);   // builds nothing: zoom 1 reads the samples
    return *w;
}

void BM_MemcpyPass(benchmark::State& state) {
    TSoundfrm& w = hourWindow();
    const size_t n = w.Sound.bytes.size();
    std::vector<uint8_t> dest(n);
    for (auto _ : state) {
        std::memcpy(dest.data(), w.Sound.bytes.data(), n);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(n));
}

// The one pass that a changed sound costs before fitted redraws are cheap.
void BM_SummaryBuild(benchmark::State& state) {
    TSoundfrm& w = hourWindow();
    for (auto _ : state) {
        sv::DisplaySummary sum;
        sum.refresh(w.Sound);
        benchmark::DoNotOptimize(&sum);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(w.Sound.bytes.size()));
}

void BM_ColumnsAtFitZoom(benchmark::State& state) {
    TSoundfrm& w = hourWindow();
    sv::DisplaySummary sum;
    const int64_t zoom = kFrames / kWidth + 1;
    const int cols = sv::columnsToDraw(kFrames, 0, zoom, kWidth);
    std::vector<sv::ColumnRange> out(size_t(cols) * 2);
    sum.refresh(w.Sound);
    for (auto _ : state) {
        sum.columnRanges(w.Sound, 0, zoom, cols, out.data());
        benchmark::DoNotOptimize(out.data());
    }
}

void BM_RedrawAtFitZoom(benchmark::State& state) {
    TSoundfrm& w = hourWindow();
    w.mostrar_sonido(kFrames);   // summary built here, outside the timing
    for (auto _ : state) {
        w.mostrar_sonido(kFrames);
        benchmark::DoNotOptimize(w.WaveBitmap.constBits());
    }
    state.counters["zoom"] = double(w.Zoom);
}

void BM_RedrawAtZoom1(benchmark::State& state) {
    TSoundfrm& w = hourWindow();
    w.setScrollPosition(kFrames / 2);
    for (auto _ : state) {
        w.mostrar_sonido(1);
        benchmark::DoNotOptimize(w.WaveBitmap.constBits());
    }
}

} // namespace

BENCHMARK(BM_MemcpyPass)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SummaryBuild)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ColumnsAtFitZoom)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RedrawAtFitZoom)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RedrawAtZoom1)->Unit(benchmark::kMillisecond);

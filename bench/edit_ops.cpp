// Copy, cut, paste and undo of a ten-minute stereo 16-bit selection, beside
// writing and reading the same bytes with plain file I/O. Each edit moves
// its bytes through a file once (cut twice: the clip and the undo step),
// so it should stay within 1.5 times the plain I/O of those bytes.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

#include "platform/exedir.h"
#include "sound/engine/clipboard_file.h"
#include "sound/engine/edit_ops.h"
#include "sound/engine/undo_store.h"

using namespace sv;

namespace {

constexpr int64_t kRate = 44100;
constexpr int64_t kSelection = 10 * 60 * kRate;   // ten minutes
constexpr int64_t kLead = 60 * kRate;             // one minute before and after

struct Fixture {
    std::string dir;
    SoundBuffer original;

    Fixture() {
        char tmpl[] = "/tmp/sonvela-bench-XXXXXX";
        dir = std::string(::mkdtemp(tmpl)) + "/";
        setExeDir(dir);
        original.format = SampleFormat::pcm(kRate, 16, 2);
        original.bytes.resize(static_cast<size_t>((kSelection + 2 * kLead) * 4));
        for (size_t i = 0; i < original.bytes.size(); ++i) original.bytes.data()[i] = uint8_t(i * 13 + (i >> 9));
        original.setSelection(kLead, kSelection);
    }
    ~Fixture() {
        std::remove((dir + kClipboardFileName).c_str());
        std::remove((dir + "plain.bin").c_str());
        ::rmdir(dir.c_str());
    }
    size_t selectionBytes() const { return static_cast<size_t>(kSelection * 4); }
};

Fixture& fixture() {
    static Fixture f;
    return f;
}

void plainWrite(const std::string& path, const uint8_t* data, size_t n) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    std::fwrite(data, 1, n, f);
    std::fclose(f);
}

void BM_PlainWrite(benchmark::State& st) {
    Fixture& fx = fixture();
    for (auto _ : st) plainWrite(fx.dir + "plain.bin", fx.original.frame(kLead), fx.selectionBytes());
    st.SetBytesProcessed(int64_t(st.iterations()) * int64_t(fx.selectionBytes()));
}

void BM_PlainRead(benchmark::State& st) {
    Fixture& fx = fixture();
    plainWrite(fx.dir + "plain.bin", fx.original.frame(kLead), fx.selectionBytes());
    ByteBlock into(fx.selectionBytes());
    for (auto _ : st) {
        std::FILE* f = std::fopen((fx.dir + "plain.bin").c_str(), "rb");
        benchmark::DoNotOptimize(std::fread(into.data(), 1, into.size(), f));
        std::fclose(f);
    }
    st.SetBytesProcessed(int64_t(st.iterations()) * int64_t(fx.selectionBytes()));
}

// Reading into newly allocated memory, as an edit that grows the sound must.
void BM_PlainReadFresh(benchmark::State& st) {
    Fixture& fx = fixture();
    plainWrite(fx.dir + "plain.bin", fx.original.frame(kLead), fx.selectionBytes());
    for (auto _ : st) {
        ByteBlock into(fx.selectionBytes());
        std::FILE* f = std::fopen((fx.dir + "plain.bin").c_str(), "rb");
        benchmark::DoNotOptimize(std::fread(into.data(), 1, into.size(), f));
        std::fclose(f);
    }
    st.SetBytesProcessed(int64_t(st.iterations()) * int64_t(fx.selectionBytes()));
}

void BM_Copy(benchmark::State& st) {
    Fixture& fx = fixture();
    for (auto _ : st) copySelection(fx.original, clipboardPath());
    st.SetBytesProcessed(int64_t(st.iterations()) * int64_t(fx.selectionBytes()));
}

void BM_Cut(benchmark::State& st) {
    Fixture& fx = fixture();
    UndoStore store(fx.dir);
    for (auto _ : st) {
        st.PauseTiming();
        SoundBuffer s = fx.original;
        store.Borrar_Deshacer();
        st.ResumeTiming();
        cutSelection(s, clipboardPath(), store.context(s));
        st.PauseTiming();
        s = SoundBuffer();
        st.ResumeTiming();
    }
    st.SetBytesProcessed(int64_t(st.iterations()) * int64_t(fx.selectionBytes()));
}

void BM_Paste(benchmark::State& st) {
    Fixture& fx = fixture();
    copySelection(fx.original, clipboardPath());
    UndoStore store(fx.dir);
    for (auto _ : st) {
        st.PauseTiming();
        SoundBuffer s = fx.original;
        s.setSelection(kLead, 0);
        store.Borrar_Deshacer();
        st.ResumeTiming();
        ClipboardFile clip;
        pasteClip(s, clip, ClipFit::Same, store.context(s));
        st.PauseTiming();
        s = SoundBuffer();
        st.ResumeTiming();
    }
    st.SetBytesProcessed(int64_t(st.iterations()) * int64_t(fx.selectionBytes()));
}

void BM_UndoOfCut(benchmark::State& st) {
    Fixture& fx = fixture();
    UndoStore store(fx.dir);
    for (auto _ : st) {
        st.PauseTiming();
        SoundBuffer s = fx.original;
        cutSelection(s, clipboardPath(), store.context(s));
        st.ResumeTiming();
        store.deshacer(s);
        st.PauseTiming();
        s = SoundBuffer();
        st.ResumeTiming();
    }
    st.SetBytesProcessed(int64_t(st.iterations()) * int64_t(fx.selectionBytes()));
}

} // namespace

BENCHMARK(BM_PlainWrite)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(8);
BENCHMARK(BM_PlainRead)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(8);
BENCHMARK(BM_PlainReadFresh)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(8);
BENCHMARK(BM_Copy)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(8);
BENCHMARK(BM_Cut)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(8);
BENCHMARK(BM_Paste)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(8);
BENCHMARK(BM_UndoOfCut)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(8);

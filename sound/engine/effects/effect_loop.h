// Pieces shared by the in-place sample effects: the span of the selection,
// fast sample access, and walking a loop in runs that end exactly where the
// progress rule reports, so that no inner loop pays a division per sample.
#pragma once
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <type_traits>
#include <utility>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "sound/engine/edit_progress.h"
#include "sound/engine/operation.h"
#include "sound/engine/sound_buffer.h"

namespace sv::fx {

// Largest value x may take and the value of silence, per sample type.
template <typename T> struct Range;
template <> struct Range<uint8_t> {
    static constexpr int lo = -kSilence8, hi = 255 - kSilence8, silence = kSilence8, scale = 127;
};
template <> struct Range<int16_t> {
    static constexpr int lo = -32768, hi = 32767, silence = 0, scale = 32767;
};

// The selected samples, all channels interleaved. A selection that runs past
// the buffer is cut to it, so that no operation reads or writes outside.
struct Span {
    uint8_t* data = nullptr;   // first selected sample
    int64_t frames = 0;
    int64_t samples = 0;       // frames x channels
    int channels = 1;
    int bytesPerSample = 1;
};

inline Span selectedSpan(SoundBuffer& s) {
    Span sp;
    const auto [start, length] = s.selection();
    sp.channels = s.format.nChannels;
    sp.bytesPerSample = s.format.wBitsPerSample / 8;
    sp.frames = length;
    sp.samples = length * sp.channels;
    sp.data = length ? s.frame(start) : nullptr;
    return sp;
}

// True when the buffer holds one of the four layouts the effects handle.
inline bool usable(const SoundBuffer& s) { return s.format.isSupportedPcm(); }

// Runs fn(begin, end) over consecutive runs covering steps first+1 .. last
// (1-based) of a loop of `total` steps, each run ending at a step that the
// progress rule reports, and reports it after the run. fn gets the run as
// 0-based indices relative to `first`. A loop made of two passes (total =
// 2N) calls this once per pass.
template <typename Fn>
void forEachProgressRun(int64_t first, int64_t last, int64_t total, const OperationContext& ctx, Fn&& fn) {
    if (last <= first) return;
    int64_t done = first;
    if (ctx.progress && total > 0) {
        for (int64_t step : progressSteps(total)) {
            if (step <= first) continue;
            if (step > last) break;
            fn(done - first, step - first);
            done = step;
            ctx.progress(step, total);
        }
    }
    if (done < last) fn(done - first, last - first);
}

template <typename Fn>
void forEachProgressRun(int64_t total, const OperationContext& ctx, Fn&& fn) {
    forEachProgressRun(0, total, total, ctx, std::forward<Fn>(fn));
}

// The common start of an in-place effect: the span of the selection, or
// false when there is nothing to work on or the undo step failed (the caller
// then changes nothing).
inline bool beginEffect(SoundBuffer& s, const OperationContext& ctx, const char* words, Span& sp) {
    if (!usable(s)) return false;
    sp = selectedSpan(s);
    if (sp.samples == 0) return false;
    return ctx.undo(words, sp.frames, false);
}

// The largest |x| over n samples (0 for none). Found through the smallest
// and largest stored values, which vectorise; |-32768| is 32768.
inline int peakMagnitude(const uint8_t* p, int64_t n, uint8_t) {
    int64_t i = 0;
    uint8_t lo = 255, hi = 0;
#if defined(__SSE2__)
    __m128i vlo = _mm_set1_epi8(char(0xff)), vhi = _mm_setzero_si128();
    for (; i + 16 <= n; i += 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
        vlo = _mm_min_epu8(vlo, v);
        vhi = _mm_max_epu8(vhi, v);
    }
    alignas(16) uint8_t l[16], h[16];
    _mm_store_si128(reinterpret_cast<__m128i*>(l), vlo);
    _mm_store_si128(reinterpret_cast<__m128i*>(h), vhi);
    for (int k = 0; k < 16; ++k) { lo = std::min(lo, l[k]); hi = std::max(hi, h[k]); }
#endif
    for (; i < n; ++i) { lo = std::min(lo, p[i]); hi = std::max(hi, p[i]); }
    if (n == 0) return 0;
    return std::max(std::abs(int(lo) - kSilence8), std::abs(int(hi) - kSilence8));
}

inline int peakMagnitude(const uint8_t* p, int64_t n, int16_t) {
    int64_t i = 0;
    int16_t lo = 32767, hi = -32768;
#if defined(__SSE2__)
    __m128i vlo = _mm_set1_epi16(32767), vhi = _mm_set1_epi16(-32768);
    for (; i + 8 <= n; i += 8) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 2 * i));
        vlo = _mm_min_epi16(vlo, v);
        vhi = _mm_max_epi16(vhi, v);
    }
    alignas(16) int16_t l[8], h[8];
    _mm_store_si128(reinterpret_cast<__m128i*>(l), vlo);
    _mm_store_si128(reinterpret_cast<__m128i*>(h), vhi);
    for (int k = 0; k < 8; ++k) { lo = std::min(lo, l[k]); hi = std::max(hi, h[k]); }
#endif
    for (; i < n; ++i) {
        int16_t v;
        std::memcpy(&v, p + 2 * i, 2);
        lo = std::min(lo, v);
        hi = std::max(hi, v);
    }
    if (n == 0) return 0;
    return std::max(std::abs(int(lo)), std::abs(int(hi)));
}

// Replaces each of n stored samples by its table entry. Eight bytes are
// moved per load and store; the lookups are what bounds the loop.
inline void mapThroughTable(uint8_t* p, int64_t n, const uint8_t* tab) {
    int64_t i = 0;
    for (; i + 8 <= n; i += 8) {
        uint64_t v;
        std::memcpy(&v, p + i, 8);
        uint64_t r = 0;
        for (int k = 0; k < 8; ++k) r |= uint64_t(tab[(v >> (8 * k)) & 0xff]) << (8 * k);
        std::memcpy(p + i, &r, 8);
    }
    for (; i < n; ++i) p[i] = tab[p[i]];
}

inline void mapThroughTable(uint8_t* p, int64_t n, const uint16_t* tab) {
    int64_t i = 0;
    for (; i + 4 <= n; i += 4) {
        uint64_t v;
        std::memcpy(&v, p + 2 * i, 8);
        const uint64_t r = uint64_t(tab[v & 0xffff]) | (uint64_t(tab[(v >> 16) & 0xffff]) << 16) |
                           (uint64_t(tab[(v >> 32) & 0xffff]) << 32) | (uint64_t(tab[v >> 48]) << 48);
        std::memcpy(p + 2 * i, &r, 8);
    }
    for (; i < n; ++i) {
        uint16_t v;
        std::memcpy(&v, p + 2 * i, 2);
        v = tab[v];
        std::memcpy(p + 2 * i, &v, 2);
    }
}

// Applies a per-sample map x -> f(x) to every selected sample through a
// table of all stored values (256 or 65536), so that the loop over a long
// sound is one load, one lookup and one store per sample whatever f costs.
// f must return a value inside Range<T>. Progress covers steps first+1 ..
// first+samples of a loop of `total` steps.
template <typename T, typename F>
void mapSamples(const Span& sp, const OperationContext& ctx, F&& f, int64_t first, int64_t total) {
    constexpr int kValues = sizeof(T) == 1 ? 256 : 65536;
    using Bits = std::conditional_t<sizeof(T) == 1, uint8_t, uint16_t>;
    std::vector<Bits> table(kValues);
    for (int bits = 0; bits < kValues; ++bits) {
        const int x = sizeof(T) == 1 ? bits - kSilence8 : int(int16_t(uint16_t(bits)));
        const int y = f(x);
        table[bits] = sizeof(T) == 1 ? Bits(y + kSilence8) : Bits(uint16_t(int16_t(y)));
    }
    const Bits* tab = table.data();
    uint8_t* data = sp.data;
    forEachProgressRun(first, first + sp.samples, total, ctx, [&](int64_t b, int64_t e) {
        mapThroughTable(data + b * int64_t(sizeof(Bits)), e - b, tab);
    });
}

template <typename T, typename F>
void mapSamples(const Span& sp, const OperationContext& ctx, F&& f) {
    mapSamples<T>(sp, ctx, std::forward<F>(f), 0, sp.samples);
}

} // namespace sv::fx

#include "sound/engine/display_columns.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace sv {

DisplayLayout displayLayout(const SampleFormat& f) {
    // Only the frame layout matters here, not the format tag or the rate.
    if (!f.hasFrameLayout()) return DisplayLayout::None;
    if (f.wBitsPerSample == 8) return f.nChannels == 1 ? DisplayLayout::Mono8 : DisplayLayout::Stereo8;
    return f.nChannels == 1 ? DisplayLayout::Mono16 : DisplayLayout::Stereo16;
}

int columnsToDraw(int64_t frameCount, int64_t first, int64_t zoom, int width) {
    if (zoom < 1 || width < 1 || first < 0 || frameCount - zoom <= 0 || first >= frameCount) return 0;
    // zoom * c < frameCount - zoom  <=>  c <= (frameCount - 1) / zoom - 1
    const int64_t byRule = (frameCount - 1) / zoom;
    // first + (c + 1) * zoom <= frameCount
    const int64_t inside = (frameCount - first) / zoom;
    return int(std::min<int64_t>({byRule, inside, int64_t(width)}));
}

namespace {

inline int rawValue(const uint8_t* p, uint8_t) { return *p; }
inline int rawValue(const uint8_t* p, int16_t t) { return readSample(p, t); }

// Widens lo/hi of each channel over `frames` frames from p.
template <typename S, int N>
inline void scanFrames(const uint8_t* p, int64_t frames, int* lo, int* hi) {
    constexpr int kSample = int(sizeof(S));
    constexpr int kStride = N * kSample;
    int l0 = lo[0], h0 = hi[0];
    if constexpr (N == 1) {
        for (int64_t i = 0; i < frames; ++i, p += kStride) {
            const int v = rawValue(p, S{});
            l0 = v < l0 ? v : l0;
            h0 = v > h0 ? v : h0;
        }
    } else {
        int l1 = lo[1], h1 = hi[1];
        for (int64_t i = 0; i < frames; ++i, p += kStride) {
            const int a = rawValue(p, S{});
            const int b = rawValue(p + kSample, S{});
            l0 = a < l0 ? a : l0;
            h0 = a > h0 ? a : h0;
            l1 = b < l1 ? b : l1;
            h1 = b > h1 ? b : h1;
        }
        lo[1] = l1;
        hi[1] = h1;
    }
    lo[0] = l0;
    hi[0] = h0;
}

template <typename S, int N>
void directColumns(const SoundBuffer& s, int64_t first, int64_t zoom, int columns, ColumnRange* out) {
    for (int c = 0; c < columns; ++c) {
        int lo[2] = {INT32_MAX, INT32_MAX}, hi[2] = {INT32_MIN, INT32_MIN};
        scanFrames<S, N>(s.frame(first + int64_t(c) * zoom), zoom, lo, hi);
        for (int ch = 0; ch < N; ++ch) out[c * N + ch] = {int16_t(lo[ch]), int16_t(hi[ch])};
    }
}

// One whole block of kBlockFrames frames. The samples are read as one flat
// run in lanes of 16, lane k holding channel k % N, so the compiler can keep
// the running minima and maxima in vector registers; a plain frame loop
// runs at half the speed of memory.
template <typename S, int N>
void scanWholeBlock(const uint8_t* p, int* lo, int* hi) {
    constexpr int kLanes = 16;
    constexpr int kSamples = int(DisplaySummary::kBlockFrames) * N;
    static_assert(kSamples % kLanes == 0 && kLanes % N == 0, "lanes must hold whole frames");
    static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__, "samples are read in the host's byte order");
    S l[kLanes], h[kLanes];
    for (int k = 0; k < kLanes; ++k) {
        l[k] = std::numeric_limits<S>::max();
        h[k] = std::numeric_limits<S>::min();
    }
    for (int i = 0; i < kSamples; i += kLanes) {
        S v[kLanes];
        std::memcpy(v, p + i * int(sizeof(S)), sizeof v);   // samples are little-endian, as is the host
        for (int k = 0; k < kLanes; ++k) {
            l[k] = v[k] < l[k] ? v[k] : l[k];
            h[k] = v[k] > h[k] ? v[k] : h[k];
        }
    }
    for (int k = 0; k < kLanes; ++k) {
        lo[k % N] = std::min<int>(lo[k % N], l[k]);
        hi[k % N] = std::max<int>(hi[k % N], h[k]);
    }
}

template <typename S, int N>
void summariseBlocks(const SoundBuffer& s, int64_t b0, int64_t b1, ColumnRange* blocks) {
    const int64_t frames = s.frameCount();
    for (int64_t b = b0; b < b1; ++b) {
        const int64_t f0 = b * DisplaySummary::kBlockFrames;
        const int64_t n = std::min(DisplaySummary::kBlockFrames, frames - f0);
        int lo[2] = {INT32_MAX, INT32_MAX}, hi[2] = {INT32_MIN, INT32_MIN};
        if (n == DisplaySummary::kBlockFrames) scanWholeBlock<S, N>(s.frame(f0), lo, hi);
        else scanFrames<S, N>(s.frame(f0), n, lo, hi);
        for (int ch = 0; ch < N; ++ch) blocks[b * N + ch] = {int16_t(lo[ch]), int16_t(hi[ch])};
    }
}

template <typename S, int N>
void summaryColumns(const SoundBuffer& s, const ColumnRange* blocks, int64_t first, int64_t zoom, int columns,
                    ColumnRange* out) {
    constexpr int64_t K = DisplaySummary::kBlockFrames;
    for (int c = 0; c < columns; ++c) {
        const int64_t a = first + int64_t(c) * zoom;
        const int64_t b = a + zoom;
        const int64_t fullFirst = (a + K - 1) / K;   // first block wholly inside [a, b)
        const int64_t fullEnd = b / K;               // one past the last
        int lo[2] = {INT32_MAX, INT32_MAX}, hi[2] = {INT32_MIN, INT32_MIN};
        if (fullFirst >= fullEnd) {
            scanFrames<S, N>(s.frame(a), zoom, lo, hi);
        } else {
            scanFrames<S, N>(s.frame(a), fullFirst * K - a, lo, hi);
            scanFrames<S, N>(s.frame(fullEnd * K), b - fullEnd * K, lo, hi);
            const ColumnRange* r = blocks + fullFirst * N;
            for (int64_t k = fullFirst; k < fullEnd; ++k, r += N) {
                for (int ch = 0; ch < N; ++ch) {
                    lo[ch] = std::min<int>(lo[ch], r[ch].lo);
                    hi[ch] = std::max<int>(hi[ch], r[ch].hi);
                }
            }
        }
        for (int ch = 0; ch < N; ++ch) out[c * N + ch] = {int16_t(lo[ch]), int16_t(hi[ch])};
    }
}

// Calls fn(sampleTag, channelsTag) for a drawable layout.
template <typename Fn>
void withLayout(DisplayLayout l, Fn&& fn) {
    switch (l) {
    case DisplayLayout::Mono8: fn(uint8_t{}, Channels<1>{}); break;
    case DisplayLayout::Stereo8: fn(uint8_t{}, Channels<2>{}); break;
    case DisplayLayout::Mono16: fn(int16_t{}, Channels<1>{}); break;
    case DisplayLayout::Stereo16: fn(int16_t{}, Channels<2>{}); break;
    case DisplayLayout::None: break;
    }
}

} // namespace

void columnRangesDirect(const SoundBuffer& s, int64_t first, int64_t zoom, int columns, ColumnRange* out) {
    if (columns <= 0 || zoom < 1) return;
    withLayout(displayLayout(s.format), [&](auto sample, auto ch) {
        directColumns<decltype(sample), decltype(ch)::value>(s, first, zoom, columns, out);
    });
}

bool DisplaySummary::upToDate(const SoundBuffer& s) const {
    return valid_ && data_ == s.bytes.data() && bytes_ == s.bytes.size() && layout_ == displayLayout(s.format) &&
           dirtyFirst_ >= dirtyEnd_;
}

void DisplaySummary::invalidate(int64_t firstFrame, int64_t frames) {
    if (!valid_ || frames <= 0) return;
    const int64_t b0 = std::max<int64_t>(0, firstFrame) / kBlockFrames;
    const int64_t b1 = (std::max<int64_t>(0, firstFrame) + frames + kBlockFrames - 1) / kBlockFrames;
    if (dirtyFirst_ >= dirtyEnd_) {
        dirtyFirst_ = b0;
        dirtyEnd_ = b1;
    } else {
        dirtyFirst_ = std::min(dirtyFirst_, b0);
        dirtyEnd_ = std::max(dirtyEnd_, b1);
    }
}

void DisplaySummary::summarise(const SoundBuffer& s, int64_t firstBlock, int64_t endBlock) {
    withLayout(layout_, [&](auto sample, auto ch) {
        summariseBlocks<decltype(sample), decltype(ch)::value>(s, firstBlock, endBlock, blocks_.data());
    });
}

void DisplaySummary::refresh(const SoundBuffer& s) {
    const DisplayLayout l = displayLayout(s.format);
    const int64_t blockCount = (s.frameCount() + kBlockFrames - 1) / kBlockFrames;
    const bool same = valid_ && data_ == s.bytes.data() && bytes_ == s.bytes.size() && layout_ == l;
    if (same) {
        if (dirtyFirst_ < dirtyEnd_) summarise(s, dirtyFirst_, std::min(dirtyEnd_, blockCount));
    } else {
        layout_ = l;
        blocks_.assign(size_t(blockCount) * size_t(displayChannels(l)), ColumnRange{0, 0});
        summarise(s, 0, blockCount);
        data_ = s.bytes.data();
        bytes_ = s.bytes.size();
        valid_ = true;
    }
    dirtyFirst_ = dirtyEnd_ = 0;
}

void DisplaySummary::columnRanges(const SoundBuffer& s, int64_t first, int64_t zoom, int columns, ColumnRange* out) {
    if (columns <= 0 || zoom < 1) return;
    if (zoom < kMinZoom) {
        columnRangesDirect(s, first, zoom, columns, out);
        return;
    }
    if (!upToDate(s)) refresh(s);
    withLayout(layout_, [&](auto sample, auto ch) {
        summaryColumns<decltype(sample), decltype(ch)::value>(s, blocks_.data(), first, zoom, columns, out);
    });
}

int displayValue(DisplayLayout l, int raw) {
    switch (l) {
    case DisplayLayout::Mono16: return raw / 256;
    case DisplayLayout::Stereo16: return raw / 256 + 127;
    default: return raw;
    }
}

int displayStart(DisplayLayout l) {
    switch (l) {
    case DisplayLayout::Mono8:
    case DisplayLayout::Stereo8: return 128;
    case DisplayLayout::Stereo16: return 127;
    default: return 0;
    }
}

int displayRow(DisplayLayout l, int ch, int v, int height) {
    const int64_t h = height;
    switch (l) {
    case DisplayLayout::Mono8: return int(h - h * v / 256);
    case DisplayLayout::Mono16: return int(h / 2 - v * h / 256);
    case DisplayLayout::Stereo8:
    case DisplayLayout::Stereo16: return int((ch == 0 ? h / 2 : h) - v * h / 512);
    case DisplayLayout::None: break;
    }
    return 0;
}

int centreRows(DisplayLayout l, int height, int rows[2]) {
    switch (l) {
    case DisplayLayout::Mono8:
    case DisplayLayout::Mono16:
        rows[0] = height / 2;
        return 1;
    case DisplayLayout::Stereo8:
    case DisplayLayout::Stereo16:
        rows[0] = int(height / 2 - int64_t(height) * 127 / 512);
        rows[1] = int(height - int64_t(height) * 127 / 512);
        return 2;
    case DisplayLayout::None: break;
    }
    return 0;
}

void columnSpans(DisplayLayout l, const ColumnRange* ranges, int columns, int height, ColumnSpan* spans) {
    if (height < 1) return;
    const int n = displayChannels(l);
    const int start = displayStart(l);
    for (int i = 0; i < columns * n; ++i) {
        const int ch = i % n;
        const int lo = std::min(start, displayValue(l, ranges[i].lo));
        const int hi = std::max(start, displayValue(l, ranges[i].hi));
        // Higher values are higher up, so the top row comes from the maximum.
        const int top = std::clamp(displayRow(l, ch, hi, height), 0, height - 1);
        const int bottom = std::clamp(displayRow(l, ch, lo, height), 0, height - 1);
        spans[i] = {top, bottom};
    }
}

} // namespace sv

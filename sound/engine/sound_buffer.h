// One sound held whole in memory: its format, its interleaved frames exactly
// as in a PCM WAVE file's data, and the selection. Sizes and frame arithmetic
// are 64-bit; the file formats keep their own 32-bit counts.
#pragma once
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>
#include <type_traits>
#include <utility>

#include "sound/engine/sample_format.h"

namespace sv {

// A growable block of bytes that is not zero-filled on allocation (a
// one-hour sound is 600 MB; reading it must not pay for clearing it first).
class ByteBlock {
public:
    ByteBlock() = default;
    explicit ByteBlock(size_t n) { resize(n); }
    ~ByteBlock() { std::free(data_); }
    ByteBlock(const ByteBlock& o) { assign(o.data_, o.size_); }
    ByteBlock& operator=(const ByteBlock& o) { if (this != &o) assign(o.data_, o.size_); return *this; }
    ByteBlock(ByteBlock&& o) noexcept : data_(o.data_), size_(o.size_) { o.data_ = nullptr; o.size_ = 0; }
    ByteBlock& operator=(ByteBlock&& o) noexcept {
        std::swap(data_, o.data_);
        std::swap(size_, o.size_);
        return *this;
    }

    uint8_t* data() { return data_; }
    const uint8_t* data() const { return data_; }
    size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }

    // Keeps the first min(old, n) bytes; new bytes are uninitialised.
    void resize(size_t n) {
        if (n == size_) return;
        if (n == 0) { std::free(data_); data_ = nullptr; size_ = 0; return; }
        void* p = std::realloc(data_, n);
        if (!p) throw std::bad_alloc();
        data_ = static_cast<uint8_t*>(p);
        size_ = n;
    }
    void assign(const uint8_t* src, size_t n) {
        resize(n);
        if (n) std::memcpy(data_, src, n);
    }

private:
    uint8_t* data_ = nullptr;
    size_t size_ = 0;
};

// A stretch of frames.
struct FrameSpan {
    int64_t start = 0;
    int64_t length = 0;
};

struct SoundBuffer {
    SampleFormat format;
    ByteBlock bytes;
    int64_t selectionStart = 0;   // also the cursor
    int64_t selectionLength = 0;  // 0 = a cursor only

    int64_t frameCount() const {
        return format.nBlockAlign ? static_cast<int64_t>(bytes.size() / format.nBlockAlign) : 0;
    }
    int64_t bytesPerFrame() const { return format.nBlockAlign; }
    uint8_t* frame(int64_t i) { return bytes.data() + i * format.nBlockAlign; }
    const uint8_t* frame(int64_t i) const { return bytes.data() + i * format.nBlockAlign; }

    // The selection cut to the sound: 0 <= start <= frameCount and
    // start + length <= frameCount, whatever the fields hold.
    FrameSpan selection() const;
    // Sets the selection, cut to the sound as selection() cuts it.
    void setSelection(int64_t start, int64_t length);
};

// Sample access per layout: 8-bit unsigned, 16-bit signed little-endian.
// Calls fn(sampleTag, channelsTag) with the layout of the format, so that
// each operation writes one loop as a template instead of four copies.
template <int N> using Channels = std::integral_constant<int, N>;

template <typename Fn>
decltype(auto) dispatchLayout(const SampleFormat& f, Fn&& fn) {
    if (f.wBitsPerSample == 8) {
        if (f.nChannels == 1) return fn(uint8_t{}, Channels<1>{});
        return fn(uint8_t{}, Channels<2>{});
    }
    if (f.nChannels == 1) return fn(int16_t{}, Channels<1>{});
    return fn(int16_t{}, Channels<2>{});
}

// Reads and writes a sample as a signed value around silence (127 for 8-bit).
// 16-bit samples go through memcpy, so that the compiler emits plain (and
// vectorisable) loads and stores at any alignment without breaking aliasing
// rules; the stored order is little-endian, as is the host's.
static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__, "16-bit samples are read with plain loads");
inline int readSample(const uint8_t* p, uint8_t) { return int(*p) - 127; }
inline int readSample(const uint8_t* p, int16_t) {
    int16_t v;
    std::memcpy(&v, p, sizeof v);
    return v;
}
inline void writeSample(uint8_t* p, int v, uint8_t) { *p = uint8_t(v + 127); }
inline void writeSample(uint8_t* p, int v, int16_t) {
    const int16_t s = int16_t(v);
    std::memcpy(p, &s, sizeof s);
}

// Stores a filtered value (already rounded, around silence) of a layout of
// C channels with the clamp the block filters use: 8-bit stereo stops at 254
// so that both channels stay symmetric around the silence at 127, while mono
// may reach 255; 16-bit stops at -32767..32767.
template <typename S, int C>
inline void storeFilteredValue(uint8_t* p, double v) {
    if constexpr (sizeof(S) == 1) {
        const double b = C == 1 ? std::clamp(v + 127.0, 0.0, 255.0) : std::clamp(v, -127.0, 127.0) + 127.0;
        *p = static_cast<uint8_t>(b);
    } else {
        writeSample(p, static_cast<int>(std::clamp(v, -32767.0, 32767.0)), int16_t{});
    }
}

} // namespace sv

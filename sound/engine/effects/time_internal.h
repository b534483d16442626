// Byte arithmetic shared by the length-changing effects.
#pragma once
#include <cstdint>
#include <cstring>
#include <limits>
#include <new>

#include "platform/numbers.h"
#include "sound/engine/sound_buffer.h"

namespace sv::timefx {

// Bytes of `frames` frames, or std::bad_alloc when no buffer could hold
// them (also for a negative count that an overflow would produce).
inline size_t bytesFor(int64_t frames, int64_t blockAlign) {
    constexpr int64_t kMax = std::numeric_limits<int64_t>::max() / 4;
    if (frames < 0 || blockAlign <= 0 || frames > kMax / blockAlign) throw std::bad_alloc();
    return static_cast<size_t>(frames * blockAlign);
}

// a + b x c frames, refused (bad_alloc) when it cannot be a buffer's length.
inline int64_t framesPlus(int64_t a, int64_t b, int64_t c) {
    constexpr int64_t kMax = std::numeric_limits<int64_t>::max() / 8;
    if (b < 0 || c < 0) throw std::bad_alloc();
    if (b != 0 && c > (kMax - a) / b) throw std::bad_alloc();
    return a + b * c;
}

inline void copyBytes(void* dst, const void* src, size_t n) { if (n) std::memcpy(dst, src, n); }

// 8-bit silence is 127 throughout the program, 16-bit silence is 0.
inline void fillSilence(uint8_t* p, size_t bytes, const SampleFormat& f) {
    if (bytes) std::memset(p, f.wBitsPerSample == 8 ? kSilence8 : 0, bytes);
}

} // namespace sv::timefx

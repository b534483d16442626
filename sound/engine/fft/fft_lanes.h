// Up to four blocks transformed side by side: the butterflies of
// FftWorkArea::fft run in the lanes of vector registers, each lane doing
// exactly the operations the single-block transform does on its block (no
// fused multiply-add, no reordering), so every result is bit for bit that of
// a separate transform.
#pragma once
#include <array>
#include <cstdint>
#include <memory>
#include <utility>

#include "sound/engine/fft/fft_work_area.h"

namespace sv {

// Twiddle factors of every stage up to kMaxFftPoints, built once for the
// program by the recurrence the transform defines. A stage's factors depend
// only on its half span, so the stage with half span H starts at H - 1.
struct FftTwiddles {
    std::array<double, kMaxFftPoints> reForward{}, imForward{};
    std::array<double, kMaxFftPoints> reInverse{}, imInverse{};
};
const FftTwiddles& fftTwiddles();

// The bit-reversal permutation of the transform over points 0..n-1: points
// i and j swap when i < j, j running as the bit-reversed counter.
template <typename T>
void bitReversePoints(T* re, T* im, int n) {
    for (int i = 1, j = 0; i < n; ++i) {
        int bit = n >> 1;
        for (; j & bit; bit >>= 1) j ^= bit;
        j ^= bit;
        if (i < j) {
            std::swap(re[i], re[j]);
            std::swap(im[i], im[j]);
        }
    }
}

constexpr int kFftLanes = 4;

class FftLanes {
public:
    FftLanes();
    ~FftLanes();
    FftLanes(const FftLanes&) = delete;
    FftLanes& operator=(const FftLanes&) = delete;

    // fft(isign, n) on blocks[0 .. count - 1] at once (1 <= count <=
    // kFftLanes; isign 1 is the inverse). Throws FftBlockError for a size
    // the transform cannot take.
    void transform(FftPoints* const* blocks, int count, int32_t isign, int32_t n);

private:
    struct Lanes;
    std::unique_ptr<Lanes> lanes_;
};

} // namespace sv

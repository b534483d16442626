#include "sound/engine/effects/scale_kernel.h"

#include <algorithm>
#include <cstring>

#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>
#define SV_WIDE_SCALE 1
#endif

namespace sv::fx {

namespace {

// Scalar form of the same quotient, for the samples after the last whole
// block of 16.
void scaleTail(uint8_t* p, int64_t n, int64_t num, int64_t den, int lo, int hi) {
    for (int64_t i = 0; i < n; ++i) {
        int16_t v;
        std::memcpy(&v, p + 2 * i, 2);
        const int64_t y = std::clamp<int64_t>(int64_t(v) * num / den, lo, hi);
        v = int16_t(y);
        std::memcpy(p + 2 * i, &v, 2);
    }
}

#if SV_WIDE_SCALE
// Why the double arithmetic is exact: x * num is exact (below 2^53), and
// multiplying by the rounded 1/den leaves a relative error below 2^-51, so an
// absolute error below 2^-51 x 2^15 x 2^34 / den < 1 / (4 den). A quotient
// that is not a whole number lies at least 1/den from the next one, so
// adding a quarter of that, away from zero, lifts a whole quotient that came
// out a hair low back over its integer without carrying any other quotient
// over the next; the truncating conversion then gives the exact result.
__attribute__((target("avx2"), always_inline)) inline __m128i scaleFour(__m128i x, __m256d num, __m256d recip,
                                                                        __m256d nudge, __m256d sign, __m256d lo,
                                                                        __m256d hi) {
    __m256d v = _mm256_mul_pd(_mm256_mul_pd(_mm256_cvtepi32_pd(x), num), recip);
    v = _mm256_add_pd(v, _mm256_or_pd(nudge, _mm256_and_pd(v, sign)));
    v = _mm256_min_pd(_mm256_max_pd(v, lo), hi);
    return _mm256_cvttpd_epi32(v);
}

__attribute__((target("avx2"))) void scaleWide(uint8_t* p, int64_t n, int64_t num, int64_t den, int lo, int hi) {
    const __m256d vnum = _mm256_set1_pd(double(num));
    const __m256d recip = _mm256_set1_pd(1.0 / double(den));
    const __m256d nudge = _mm256_set1_pd(0.25 / double(den));
    const __m256d sign = _mm256_set1_pd(-0.0);
    const __m256d vlo = _mm256_set1_pd(lo), vhi = _mm256_set1_pd(hi);
    int64_t i = 0;
    for (; i + 16 <= n; i += 16) {
        const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + 2 * i));
        const __m256i a = _mm256_cvtepi16_epi32(_mm256_castsi256_si128(v));
        const __m256i b = _mm256_cvtepi16_epi32(_mm256_extracti128_si256(v, 1));
        const __m128i r0 = scaleFour(_mm256_castsi256_si128(a), vnum, recip, nudge, sign, vlo, vhi);
        const __m128i r1 = scaleFour(_mm256_extracti128_si256(a, 1), vnum, recip, nudge, sign, vlo, vhi);
        const __m128i r2 = scaleFour(_mm256_castsi256_si128(b), vnum, recip, nudge, sign, vlo, vhi);
        const __m128i r3 = scaleFour(_mm256_extracti128_si256(b, 1), vnum, recip, nudge, sign, vlo, vhi);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(p + 2 * i), _mm_packs_epi32(r0, r1));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(p + 2 * i + 16), _mm_packs_epi32(r2, r3));
    }
    scaleTail(p + 2 * i, n - i, num, den, lo, hi);
}
#endif

} // namespace

bool wideScaleAvailable() {
#if SV_WIDE_SCALE
    static const bool available = __builtin_cpu_supports("avx2");
    return available;
#else
    return false;
#endif
}

void scaleSamples16(uint8_t* p, int64_t n, int64_t num, int64_t den, int lo, int hi) {
#if SV_WIDE_SCALE
    scaleWide(p, n, num, den, lo, hi);
#else
    scaleTail(p, n, num, den, lo, hi);
#endif
}

} // namespace sv::fx

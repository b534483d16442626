// Number conversions used by every sample operation.
//
// "Rounded" means to the nearest integer with halves to even (the default
// floating-point rounding mode); "truncated" means toward zero. Both clamp to
// the target range before the cast, because an out-of-range or NaN
// float-to-int cast is undefined in C++.
#pragma once
#include <cmath>
#include <cstdint>

namespace sv {

// Rounds half to even and clamps to [lo, hi]. NaN gives lo.
inline int64_t roundHalfEven(double v, int64_t lo = INT32_MIN, int64_t hi = INT32_MAX) {
    if (!(v == v)) return lo;
    double r = std::nearbyint(v);
    if (r <= static_cast<double>(lo)) return lo;
    if (r >= static_cast<double>(hi)) return hi;
    return static_cast<int64_t>(r);
}

// Truncates toward zero and clamps to [lo, hi]. NaN gives lo.
inline int64_t truncClamp(double v, int64_t lo = INT32_MIN, int64_t hi = INT32_MAX) {
    if (!(v == v)) return lo;
    double t = std::trunc(v);
    if (t <= static_cast<double>(lo)) return lo;
    if (t >= static_cast<double>(hi)) return hi;
    return static_cast<int64_t>(t);
}

template <typename T>
inline T clampTo(T v, T lo, T hi) { return v < lo ? lo : (v > hi ? hi : v); }

// The sample ranges the operations name. 8-bit samples are unsigned with
// silence at 127; some operations stop at 254 so that the value is
// symmetric around that silence.
constexpr int kSilence8 = 127;
inline int clamp8(int64_t v) { return static_cast<int>(v < 0 ? 0 : (v > 255 ? 255 : v)); }
inline int clamp8Sym(int64_t v) { return static_cast<int>(v < 0 ? 0 : (v > 254 ? 254 : v)); }
inline int clamp16(int64_t v) { return static_cast<int>(v < -32768 ? -32768 : (v > 32767 ? 32767 : v)); }
inline int clamp16Sym(int64_t v) { return static_cast<int>(v < -32767 ? -32767 : (v > 32767 ? 32767 : v)); }

// The progress rule of every long operation: step j of n is reported when j
// divides n, so the last step always is and hides the bar. A count with few
// divisors (a prime one shows nothing between its first step and its last)
// would leave the bar still for most of a long job, so from `steadyFrom`
// steps on every 128th part of the count is reported too.
constexpr int64_t kSteadyProgressFrom = int64_t(1) << 17;
constexpr int64_t kSteadyProgressParts = 128;
inline bool progressDue(int64_t j, int64_t n, int64_t steadyFrom = kSteadyProgressFrom) {
    if (n <= 0 || j <= 0) return false;
    if (n % j == 0) return true;
    return n >= steadyFrom && j <= n && j % (n / kSteadyProgressParts) == 0;
}

} // namespace sv

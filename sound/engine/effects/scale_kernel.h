// A fast path for the commonest effects on 16-bit sounds: every sample x
// becomes trunc(x * num / den) clamped to [lo, hi], computed exactly.
#pragma once
#include <cstdint>

namespace sv::fx {

// True when this processor runs the wide kernel (x86-64 with AVX2).
bool wideScaleAvailable();

// Scales n 16-bit samples in place with the wide kernel. The result is the
// exact truncated quotient for |num| < 2^34 and 0 < den <= 2^20; callers
// outside that range, or on processors without the kernel, use the table
// path. Requires wideScaleAvailable().
void scaleSamples16(uint8_t* p, int64_t n, int64_t num, int64_t den, int lo, int hi);

} // namespace sv::fx

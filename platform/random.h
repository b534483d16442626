// The run-time library's pseudo-random numbers: a 32-bit linear
// congruential generator with a settable seed, so that noise generators are
// repeatable in tests.
#pragma once
#include <cstdint>

namespace sv {

extern uint32_t RandSeed;
void Randomize();                 // seeds from the clock
double Random();                  // in [0, 1)
int32_t Random(int32_t n);        // in [0, n); 0 when n <= 0

} // namespace sv

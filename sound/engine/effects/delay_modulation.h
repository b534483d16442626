// The flanger's and chorus's modulated delays, open to the tests that hold
// them against the plain formula.
#pragma once
#include <cstdint>

#include "sound/engine/effects/delay_effects.h"

namespace sv::fx {

// The delay in samples each voice reads at stream positions n0 .. n0 +
// count - 1 of a selection starting at frame `start` of a sound at `rate`
// frames per second: out[v * count + i] is position n0 + i's delay for
// voice v (the sample n0 + i - delay is read), or -1 where that voice reads
// no delayed sample.
void modulationDelays(double rate, const ModulationParams& p, int64_t start, int64_t n0, int64_t count,
                      int64_t* out);

// The feedback (a fraction) the flanger applies: the setting's, or where
// the loop it closes would not die away, less, so that it does.
double stableFeedback(const ModulationParams& p);

// Keeps the vector code to the plain instruction set even where the
// processor has AVX2, so that tests can hold both against each other.
void forcePlainModulationLanes(bool plain);

} // namespace sv::fx

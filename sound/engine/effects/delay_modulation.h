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

// How the flanger feeds its output back: with the setting's feedback (a
// fraction), or where the loop it closes would not die away, with less, so
// that it does. Such a tamed loop passes on no constant: each voice feeds
// back an earlier output less its channel's mean (see loopMeanWeight), and
// the sum of what the voices feed back, times the feedback and the
// processed level, is added to the rounded output truncated toward zero.
struct FeedbackLoop {
    double feedback = 0;
    bool tamed = false;
};
FeedbackLoop stableFeedback(const ModulationParams& p);

// The mean a tamed loop takes off an output of the selection at `rate`
// frames per second, per channel: after the channel's k-th output y,
// mean += a (y - mean) with a = max(loopMeanWeight(rate), 1 / k), the plain
// mean of the first outputs and then an exponential one; an output is fed
// back less the mean as it stood just after it. A sample before the
// selection is fed back less the plain mean of its channel's samples among
// the modulationReach(rate, p) stream samples before the selection (at most
// as many as the selection's first frame number).
double loopMeanWeight(double rate);

// How far back, in stream samples, any voice can read.
int64_t modulationReach(double rate, const ModulationParams& p);

// Keeps the vector code to the plain instruction set even where the
// processor has AVX2, so that tests can hold both against each other.
void forcePlainModulationLanes(bool plain);

} // namespace sv::fx

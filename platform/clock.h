// Monotonic milliseconds since start, as the play position and the recording
// clock use it. Tests may drive the clock by hand.
#pragma once
#include <cstdint>

namespace sv {

uint32_t tickCount();
void setManualClock(bool manual);   // tests: freeze the clock
void advanceClock(uint32_t ms);     // tests: move the frozen clock on

} // namespace sv

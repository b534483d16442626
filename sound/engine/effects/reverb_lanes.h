// The vector code the reverb's sample loop runs. By default the widest this
// processor has; tests choose a narrower one to check that each gives the
// same bytes.
#pragma once

namespace sv::fx {

enum class ReverbLanes { Widest, Avx512, Avx2, Plain };

// False when this build or processor has no such code.
bool reverbLanesAvailable(ReverbLanes lanes);

// The code every later reverb runs (not to be changed while one runs). One
// this processor lacks falls back to the next narrower.
void setReverbLanes(ReverbLanes lanes);

} // namespace sv::fx

// The spectral engine's state lives once for the whole program: the
// advanced filter dialog edits it and every sound window's spectral
// operations run on it.
#pragma once
#include "sound/engine/fft/fft_work_area.h"

sv::FftWorkArea& FftArea();

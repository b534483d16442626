// The average spectrum of the selection, for the advanced filter's plot.
#include "sound/Sound.h"
#include "sound/engine/fft/transformar.h"
#include "sound/fft_state.h"

void TSoundfrm::mostrar_transf_fft() {
    // An empty selection leaves the spectrum of the last analysis: the plot
    // then shows that one.
    sv::mostrar_transf_fft(Sound, FftArea());
}

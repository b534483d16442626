// Wavelet denoising: the selection is framed as the spectral engine frames
// it (blocks of 1024 points, half overlapped, cross-faded back), and each
// block's Daubechies-4 wavelet coefficients are thresholded.
#pragma once
#include <cstdint>

#include "sound/engine/operation.h"
#include "sound/engine/sound_buffer.h"

namespace sv {

namespace undo_words {
constexpr const char* waveletDenoising = "Wavelet Denoising";
} // namespace undo_words

// The thresholding choices of the wavelet dialog, by their index.
enum WaveletThresholding : int32_t {
    kWaveletSoft = 0,   // "Soft": coefficients below the threshold become 0
    kWaveletHard = 1,   // "Hard": those go, the others shrink by the threshold
};

// One level of the Daubechies-4 transform over a[0..nn) with periodic
// wrap-around: forward (dir > 0) puts the smooth half first and the detail
// half after it; otherwise the inverse. nn below 4 is left alone.
void daub4(double* a, int nn, int dir);
// The pyramid: forward over nn = n, n/2, ... down to 4, inverse from 4 up
// to n. n a power of two.
void wt1(double* a, int n, int dir);

// Thresholds n coefficients: |c| < t becomes 0; with kWaveletHard the others
// move t towards 0. Other modes change nothing.
void thresholdCoefficients(double* a, int n, int32_t mode, double t);

// Denoises the selection with threshold percent of full scale (127 or
// 32767). Takes no undo step: the window records it before asking for the
// parameters. A selection covering the whole sound loses its last frame
// first (in s.selectionLength too), as in the spectral engine. The output
// is clamped to 0..255 (8-bit mono), 0..254 (8-bit stereo) or
// -32767..32767. Returns false, changing nothing, when no block is left or
// the format is not one of the four layouts.
bool wavelet(SoundBuffer& s, int32_t mode, double threshold, const OperationContext& ctx);

} // namespace sv

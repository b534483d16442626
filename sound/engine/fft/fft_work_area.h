// The state of the spectral engine: the band, action, ratio, block size,
// overlap and window that the advanced filter dialog edits, the STSA and
// equalizer settings, the block being transformed and the average spectrum.
//
// One object lives for the whole run of the program and is shared by every
// sound window; nothing in it is reset between operations except what each
// mode sets (see filtrar), so values left by one run are seen by the next.
// It holds room for the largest block, so running a block allocates nothing.
#pragma once
#include <array>
#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>

#include "sound/engine/fft/transform_modes.h"

namespace sv {

constexpr int kMaxFftPoints = 4096;
constexpr int kSpectrumPoints = 2048;
constexpr int kEqualizerBands = 10;

// Raised when a block cannot be processed (a block size the work area
// cannot hold, a value that is not finite). The sound keeps its samples;
// the window beeps and shows what() as its message.
class FftBlockError : public std::runtime_error {
public:
    explicit FftBlockError(bool stepTaken = false)
        : std::runtime_error("Please select a smaller window"), stepTaken_(stepTaken) {}
    // The undo step had been recorded before the failure, so the window
    // keeps its Modified flag set as after any edit.
    bool stepTaken() const { return stepTaken_; }

private:
    bool stepTaken_;
};

// Values of FilterAction.
enum FilterActions : int32_t {
    kActionDelete = 0,
    kActionBoost = 1,
    kActionDecrease = 2,
    kActionBandPass = 3,
    kActionEqualizer = 4,
    kActionSpectralAverage = 5,
};

// Values of WindowType (any other value leaves the block as it is).
enum WindowTypes : int32_t {
    kWindowRectangular = 1,
    kWindowBartlett = 2,
    kWindowHanning = 3,
    kWindowHamming = 4,
    kWindowBlackman = 5,
};

// The block being transformed, split into real and imaginary parts so the
// butterflies run over contiguous arrays. Point k (counted from 1) is
// re[k - 1], im[k - 1]; after the forward transform it holds bin k - 1.
struct FftPoints {
    std::array<double, kMaxFftPoints> re{};
    std::array<double, kMaxFftPoints> im{};
};

class FftWorkArea {
public:
    // Gain of Boost/Decrease; the Delete and equalizer actions overwrite it.
    double Ratio = 0.0;
    // Flags of the advanced filter dialog. filtrar never reads Cancelled.
    uint8_t SpectrumReady = 0;
    uint8_t Cancelled = 0;
    uint8_t ShowLog = 0;
    uint8_t ShowLinear = 0;
    int32_t SampleRate = 0;
    int32_t LowCut = 0;   // Hz
    int32_t HighCut = 0;  // Hz
    int32_t FilterAction = 0;
    std::array<int32_t, kEqualizerBands> EqualizerGains{};  // dB
    double StsaUpperSnr = 0.0;
    double StsaLowerSnr = 0.0;
    double StsaNoisePower = 0.0;
    int32_t OverlapSamples = 0;
    int32_t FftSize = 0;
    int32_t WindowType = 0;
    FftPoints FftData;
    // Entry k (from 1) at index k - 1: the mean magnitude of FFT point k
    // over the 2048-sample blocks of the last analysed selection.
    std::array<double, kSpectrumPoints> AverageSpectrum{};

    // The advanced filter dialog's modal entry (mostrar_form): shown by
    // transformar in mode "avanzado" with the sound's sample rate, it
    // leaves its choices in this object and returns 1 when cancelled, 0
    // after OK. Unset, "avanzado" runs with the fields as they stand.
    std::function<int(int32_t rate)> showDialog;

    // In-place radix-2 transform of points 1..n (n a power of two up to
    // kMaxFftPoints). isign 1 is the inverse (scaled by 1/n), any other
    // value the forward transform.
    void fft(int32_t isign, int32_t n);
    // Multiplies the real parts of points 1..n by window `type`.
    void enfinestrar(int32_t type, int32_t n);
    // Changes the spectrum of one transformed block according to the mode.
    // Sets SampleRate and, for every mode but "avanzado", the sizes, band,
    // action and ratio the mode stands for.
    void filtrar(TransformMode mode, int32_t f2, int32_t f1, int32_t rate);
    // The STSA gate over points 1..FftSize.
    void stsa();
    // Scales the frequency axis by a signed percent (-100..100; values
    // beyond are taken as the nearest end).
    void MoureFrequencies(int32_t shift);

    // The window's value at j (0 <= j < n), as enfinestrar applies it.
    static double windowValue(int32_t type, int32_t j, int32_t n);

private:
    void bandLoop();
    void setBand(int32_t low, int32_t high, int32_t action);

    // Window factors for the last (type, n) used.
    std::array<double, kMaxFftPoints> window_{};
    int32_t windowType_ = 0;
    int32_t windowN_ = 0;
    FftPoints scratch_;
};

// True for a power of two from 1 to kMaxFftPoints.
bool isFftSize(int64_t n);

} // namespace sv

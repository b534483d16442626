// The block engine: cuts the selection into overlapping blocks, and for
// each block and channel windows it, transforms it, changes its spectrum by
// the mode, transforms it back and cross-fades it into an output buffer
// that finally replaces the selection. Also the average spectrum of a
// selection and the presets over the engine.
//
// The engine shows nothing: the window calls, then redraws; it sets its
// Modified flag when a call returns true, and when it catches an
// FftBlockError whose stepTaken() is true (the error's what() is the
// message to show, after a beep).
#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <utility>

#include "sound/engine/fft/fft_work_area.h"
#include "sound/engine/fft/transform_modes.h"
#include "sound/engine/operation.h"
#include "sound/engine/sound_buffer.h"

namespace sv {

// Runs the engine over the selection of `sound` in the given mode; f1 and
// f2 mean what the mode makes of them (a band edge, a ratio, a shift).
//
// Returns true when it took the undo step and the sound is to be marked
// Modified ("paso_bajo_reverb" takes no step of its own and still returns
// true once it has run). Returns false, changing nothing, for "cancelat",
// a cancelled advanced filter dialog, an undo step that could not be
// written, a format other than 8/16-bit PCM mono or stereo, and a selection
// that leaves no block (an empty sound, no selection, or one frame that is
// the whole sound).
//
// A selection that covers the whole sound is shortened by its last frame
// first, in sound.selectionLength too; that frame keeps its value.
// Throws FftBlockError for a block size or overlap the engine cannot run
// (before anything changes) or a block whose result is not finite (after
// the undo step; the samples keep their values), and std::invalid_argument
// for a mode word the engine does not know (before anything changes).
bool transformar(SoundBuffer& sound, const std::string& mode, int32_t f1, int32_t f2,
                 FftWorkArea& area, const OperationContext& ctx);
bool transformar(SoundBuffer& sound, TransformMode mode, int32_t f1, int32_t f2,
                 FftWorkArea& area, const OperationContext& ctx);

// Framing of a selection of `length` frames into blocks of n points with
// hop n - overlap. The last block holds `lastLength` points (at most n).
struct BlockPlan {
    int64_t blocks = 0;
    int64_t hop = 0;
    int64_t lastLength = 0;
};
BlockPlan planBlocks(int64_t length, int32_t n, int32_t overlap);

// Loads block `block` (from 1) of `blocks` 2048-sample blocks of the
// selection into area.FftData: mono values, or the mean of both channels.
void omplir_x(const SoundBuffer& sound, FftWorkArea& area, int64_t block, int64_t blocks);

// Fills area.AverageSpectrum from the selection. Returns false, leaving the
// previous spectrum, when the selection is empty (or the format is not one
// of the four layouts).
bool mostrar_transf_fft(const SoundBuffer& sound, FftWorkArea& area);

// Presets. Each records its own undo step and then a second one through
// transformar, and returns as transformar does.
bool linea_telefonica(SoundBuffer& sound, FftWorkArea& area, const OperationContext& ctx);
bool Bionic(SoundBuffer& sound, FftWorkArea& area, const OperationContext& ctx);
bool karaoke(SoundBuffer& sound, FftWorkArea& area, const OperationContext& ctx);
// The equalizer with the gains its dialog returned (dB, lowest band first).
bool Ecualizar(SoundBuffer& sound, const std::array<int32_t, kEqualizerBands>& gains,
               FftWorkArea& area, const OperationContext& ctx);

// The voice cleaner's pieces that belong to the engine: its band for the
// "Type" choice, and its STSA step (thresholds 1000/1000, noise power 100).
std::pair<int32_t, int32_t> voiceCleanerBand(int type);
bool voiceCleanerStsa(SoundBuffer& sound, FftWorkArea& area, const OperationContext& ctx);

} // namespace sv

// The block loop of the spectral engine: every block of every channel of a
// selection filled, windowed, transformed, filtered by the mode, transformed
// back and joined into an output buffer.
//
// The blocks are independent up to the join, so they are cut into runs of
// consecutive blocks, each worked by a thread of its own with its own copy
// of the work area, four blocks at a time in the lanes of the vector
// transform (both channels of two consecutive blocks, or four consecutive
// blocks of a mono sound). The join of a run's first block onto the previous run's last one
// waits until both are done, and is made in order by the calling thread,
// which meanwhile reports progress exactly as a block-by-block walk would
// (block k of channel c is step c x B + k of C x B). No worker touches
// anything but its run's samples of the output buffer.
//
// The result, the progress and the work area left afterwards (its fields
// and the last block's points) are those of one block after the other.
#pragma once
#include <cstdint>

#include "sound/engine/fft/fft_work_area.h"
#include "sound/engine/fft/transform_modes.h"
#include "sound/engine/fft/transformar.h"
#include "sound/engine/operation.h"
#include "sound/engine/sample_format.h"

namespace sv {

struct BlockJob {
    const uint8_t* selection = nullptr;  // first frame of the selection
    uint8_t* out = nullptr;              // output buffer, same layout
    BlockPlan plan;
    int32_t n = 0, o = 0, window = 0;
    TransformMode mode = TransformMode::cancelat;
    int32_t f1 = 0, f2 = 0, rate = 0;
};

// Runs the job over a sound of `format` (one of the four layouts). Throws
// FftBlockError for a block that cannot be processed; the output buffer
// then holds nothing usable.
void runBlockJob(const BlockJob& job, const SampleFormat& format, FftWorkArea& area, const OperationContext& ctx);

// Threads the block loop may use (at least 1). Set to 1 to work every block
// on the calling thread; 0 restores the default (the processor's cores).
void setSpectralThreads(int threads);

} // namespace sv

// The amplitude histogram of the selection, with the mean and variance of
// its samples. It changes nothing and takes no undo step.
#pragma once
#include <array>
#include <cstdint>

#include "sound/engine/sound_buffer.h"

namespace sv {

// 256 counters shared with the histogram dialog, which paints them; they
// hold the last histogram until the next one. Counter k counts 8-bit
// samples of stored value k, or 16-bit samples v with
// (max(v, -32767) + 32767) >> 8 = k.
extern std::array<int32_t, 256> HistogramTable;

struct HistogramStats {
    double mean = 0;       // 8-bit: of the stored bytes; 16-bit: signed values
    double variance = 0;   // population variance, the same values
    int64_t count = 0;     // channels x frames
};

// Clears HistogramTable and fills it from every selected sample (channels
// mixed). An empty selection or another format leaves the table cleared
// and gives zeroes.
HistogramStats histogram(const SoundBuffer& s);

} // namespace sv

#include "sound/fft_state.h"

#include <memory>

sv::FftWorkArea& FftArea() {
    // Large (its work buffers hold thousands of points): on the heap.
    static std::unique_ptr<sv::FftWorkArea> area = std::make_unique<sv::FftWorkArea>();
    return *area;
}

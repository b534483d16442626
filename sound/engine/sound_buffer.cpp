#include "sound/engine/sound_buffer.h"

namespace sv {

void SoundBuffer::setSelection(int64_t start, int64_t length) {
    const int64_t n = frameCount();
    if (start < 0) start = 0;
    if (start > n) start = n;
    if (length < 0) length = 0;
    if (length > n - start) length = n - start;
    selectionStart = start;
    selectionLength = length;
}

} // namespace sv

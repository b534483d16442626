#include "sound/engine/sound_buffer.h"

#include <algorithm>

namespace sv {

namespace {
FrameSpan cutTo(int64_t frames, int64_t start, int64_t length) {
    FrameSpan s;
    s.start = std::clamp<int64_t>(start, 0, frames);
    s.length = std::clamp<int64_t>(length, 0, frames - s.start);
    return s;
}
} // namespace

FrameSpan SoundBuffer::selection() const { return cutTo(frameCount(), selectionStart, selectionLength); }

void SoundBuffer::setSelection(int64_t start, int64_t length) {
    const FrameSpan s = cutTo(frameCount(), start, length);
    selectionStart = s.start;
    selectionLength = s.length;
}

} // namespace sv

// The arithmetic behind selecting and navigating a sound: pixel columns to
// frames, the zero-crossing search for the selection's edges, the numbers
// typed into the main window's boxes, and the texts the window shows about
// a position. Plain C++; every frame a caller gets from here still goes
// through SoundBuffer::setSelection, which keeps the selection inside the
// sound.
#pragma once
#include <cstdint>
#include <string>

#include "sound/engine/sound_buffer.h"

namespace sv {

// The frame under pixel column x: x x zoom + the first frame shown.
inline int64_t frameAtColumn(int64_t x, int64_t zoom, int64_t scroll) { return x * zoom + scroll; }

// The column a frame is drawn at; frames left of the view give column 0.
inline int64_t columnOfFrame(int64_t frame, int64_t zoom, int64_t scroll) {
    if (zoom < 1) zoom = 1;
    return frame < scroll ? 0 : (frame - scroll) / zoom;
}

// Where the selection's edges go: 'l' searches left of the edge, 'r' right,
// 'n' leaves the edge alone.
struct ZeroCrossingResult {
    int64_t start = 0;
    int64_t length = 0;
    bool startMoved = false;
    bool endMoved = false;
};

// Moves the start, then the end, of the selection of `sound` to the nearest
// frame where a channel crosses the centre (127 for 8-bit, 0 for 16-bit)
// in the direction asked. A frame qualifies when its sample and its
// neighbour on the side of the old edge lie across the centre; the end (and
// the start when the end stays) must in addition lie on the other side of
// the centre from the sample at the opposite edge. Only frames
// 0 .. frameCount - 1 are ever read: a neighbour or an opposite edge at
// frameCount or beyond disqualifies the frame. The sound is not changed.
ZeroCrossingResult findZeroCrossings(const SoundBuffer& sound, char startMode, char endMode);

// The sample-at-cursor report: one line per item, separated by line breaks. The
// frame must lie inside the sound. `time` is the start time as the main
// window shows it.
std::string sampleReport(const SoundBuffer& sound, int64_t frame, const std::string& time);
// The level of one stored sample: 20 x log10(|v - centre| / 2^(bits - 1))
// with 3 significant digits, or "-inf" at the centre.
std::string sampleLevelText(int value, int bits);

// A frame count as minutes, seconds and milliseconds: 1':30'':500ms for
// 90.5 s. The milliseconds are rounded half to even. rate must be above 0.
std::string timeLabel(int64_t frames, int64_t rate);

// The selection typed into the start and length boxes, as the main window
// applies it to a sound of soundLength frames. Negative numbers count as 0.
struct TypedSelection {
    int64_t start = 0;
    int64_t length = 0;
    bool lengthZeroed = false;   // the start was past the end: length box "0"
};
// Enter in the start box: a start past the end goes to the end with length
// 0; a length past the end is cut to what is left after the start.
TypedSelection startTyped(int64_t soundLength, int64_t start, int64_t length);
// Enter in the length box: the length is cut so that the window's own start
// plus the length stays inside the sound; the typed start only decides
// whether a cut is needed.
int64_t lengthTyped(int64_t soundLength, int64_t typedStart, int64_t windowStart, int64_t length);

// Zoom by the wheel. View width w columns, zoom z, first frame p.
struct WheelZoom {
    int64_t zoom;
    int64_t scroll;
};
// Turning down zooms in around the view's centre, down to 1 frame per column.
WheelZoom wheelZoomIn(int64_t zoom, int64_t scroll, int64_t width);
// Turning up zooms out; the redraw then limits the zoom to the fitting one.
WheelZoom wheelZoomOut(int64_t zoom, int64_t scroll, int64_t width);

} // namespace sv

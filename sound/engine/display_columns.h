// What a waveform view draws, without any drawing: the layout of a sound as
// the display sees it, the smallest and largest sample of each pixel column,
// and the rows those values land on.
//
// A column covers `zoom` frames. Its range is the exact minimum and maximum
// of every frame it covers, so a short peak is never lost at a coarse zoom.
// Reading every frame of a long sound at each redraw would cost a pass over
// hundreds of megabytes, so DisplaySummary keeps the range of each block of
// kBlockFrames frames and a column reads the samples only at its two ragged
// ends. Both ways give the same ranges.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "sound/engine/sound_buffer.h"

namespace sv {

// The four layouts the view draws, whatever the format tag; a format
// outside the four is not drawn at all (its frames could not be walked
// safely).
enum class DisplayLayout { None, Mono8, Stereo8, Mono16, Stereo16 };
DisplayLayout displayLayout(const SampleFormat& f);
inline int displayChannels(DisplayLayout l) {
    return l == DisplayLayout::Stereo8 || l == DisplayLayout::Stereo16 ? 2 : (l == DisplayLayout::None ? 0 : 1);
}

// Smallest and largest raw value of one channel over one column: the byte
// (0..255) for 8-bit sounds, the signed sample for 16-bit ones.
struct ColumnRange {
    int16_t lo;
    int16_t hi;
    bool operator==(const ColumnRange& o) const { return lo == o.lo && hi == o.hi; }
};

// Number of columns drawn from the left edge: column c covers the `zoom`
// frames from first + c * zoom and is drawn while zoom * c < frameCount -
// zoom and every frame it covers lies inside the sound; the columns after
// it stay background.
int columnsToDraw(int64_t frameCount, int64_t first, int64_t zoom, int width);

// The ranges read straight from the samples: out[c * channels + ch] for
// c < columns. The caller keeps the columns inside the sound
// (columnsToDraw).
void columnRangesDirect(const SoundBuffer& s, int64_t first, int64_t zoom, int columns, ColumnRange* out);

class DisplaySummary {
public:
    static constexpr int64_t kBlockFrames = 256;
    // Below this zoom a column reads so few frames that the summary would
    // not pay for itself.
    static constexpr int64_t kMinZoom = 2 * kBlockFrames;

    // The same ranges as columnRangesDirect. The summary is (re)built on
    // first use, and whenever the buffer's memory, size or format differs
    // from the one it was built for; changes in place must be announced
    // with invalidate().
    void columnRanges(const SoundBuffer& s, int64_t first, int64_t zoom, int columns, ColumnRange* out);

    // Frames changed in place: their blocks are summarised again at the
    // next use.
    void invalidate(int64_t firstFrame, int64_t frames);
    void invalidateAll() { valid_ = false; }

    // Brings the summary up to date now (columnRanges does it when needed).
    void refresh(const SoundBuffer& s);
    bool upToDate(const SoundBuffer& s) const;

private:
    void summarise(const SoundBuffer& s, int64_t firstBlock, int64_t endBlock);

    std::vector<ColumnRange> blocks_;   // blocks_[b * channels + ch]
    const uint8_t* data_ = nullptr;
    size_t bytes_ = 0;
    DisplayLayout layout_ = DisplayLayout::None;
    bool valid_ = false;
    int64_t dirtyFirst_ = 0, dirtyEnd_ = 0;   // blocks to summarise again
};

// What a column's line is drawn from. Each layout maps a raw value to the
// value it plots, and every column's range starts from a fixed value (so
// the line always reaches that level, the centre of the band).
int displayValue(DisplayLayout l, int raw);
int displayStart(DisplayLayout l);
// Row of plotted value v for channel ch in a view `height` rows high. Rows
// may fall one past the bottom (full-scale negative values); the drawing
// clips them.
int displayRow(DisplayLayout l, int ch, int v, int height);
// Rows of the centre lines: one for mono, one per band for stereo. Returns
// how many were written.
int centreRows(DisplayLayout l, int height, int rows[2]);

// The rows [top, bottom] of every column's line for each channel:
// spans[c * channels + ch], from the ranges above.
struct ColumnSpan { int top, bottom; };
void columnSpans(DisplayLayout l, const ColumnRange* ranges, int columns, int height, ColumnSpan* spans);

} // namespace sv

// Animated cursor files (RIFF form "ACON"): their steps with the icon each
// shows, the display rates, title and author. A GIF picture can take their
// frames over, and they can become a bitmap strip or an icon list.
#pragma once
#include <QIcon>
#include <QImage>

#include <array>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "components/dib.h"

class TIconList;

// The read error of every damaged animated cursor.
class EReadError : public std::runtime_error {
public:
    EReadError() : std::runtime_error("Stream read error") {}
};

// The 36-byte "anih" record: nine 32-bit little-endian fields.
struct TAniHeader {
    uint32_t HeaderSize = 0;
    uint32_t FrameCount = 0;
    uint32_t StepCount = 0;
    uint32_t Width = 0, Height = 0;
    uint32_t BitCount = 0;
    uint32_t Planes = 0;
    uint32_t DefaultRate = 0;   // sixtieths of a second
    uint32_t Flags = 0;         // bit 0: the frames are icon or cursor resources
};

struct TIconFrame {
    QIcon Icon;
    // The icon's first image at its own size: what a strip or a GIF frame
    // is drawn from.
    QImage Image;
    // Stored as an icon (directory type 1), not as a cursor.
    bool IsIcon = false;
    std::array<char, 4> ChunkId{};
    uint32_t ChunkSize = 0;
    int HotSpotX = 0, HotSpotY = 0;
    uint32_t JiffRate = 0;   // sixtieths of a second
    // Which icon of the file this step shows; -1 for an icon beyond the steps.
    int IconIndex = 0;

    bool hasIcon() const { return !Image.isNull(); }
};

class TAnimatedCursorImage {
public:
    TAniHeader Header;
    std::string Title, Author;
    // The largest colour count of any frame image: 2, 16 or 256; 0 for
    // other depths.
    int SourceColors = 0;

    int Count() const { return int(frames_.size()); }
    const TIconFrame& Frames(int i) const { return frames_.at(size_t(i)); }
    void Clear();

    // Parses `size` bytes; a damaged file raises EReadError and leaves the
    // image cleared.
    void ReadAni(const uint8_t* data, size_t size);
    void LoadFromStream(const std::vector<uint8_t>& bytes) { ReadAni(bytes.data(), bytes.size()); }
    // Throws sv::FileIOError when the file cannot be read.
    void LoadFromFile(const std::string& name);
    // Writing animated cursors is not offered: RaiseNotImplemented.
    void SaveToStream(std::vector<uint8_t>& out) const;

    // The frames side by side (or stacked with `vertical`) on `background`,
    // reduced to max(SourceColors, 16) colours with `reduceColors`.
    void MakeStrip(sv::Dib& target, sv::TColor background, bool vertical, bool reduceColors) const;

    // Assignment from another image copies everything; a failure leaves this
    // one cleared and passes on.
    void Assign(const TAnimatedCursorImage& source);
    void Assign(std::nullptr_t) { Clear(); }
    // To an icon: the first frame's icon (nothing without frames).
    void AssignTo(QIcon& icon) const;
    // To a bitmap: a horizontal strip with colour reduction on the bitmap's
    // brush colour (nothing without frames).
    void AssignTo(sv::Dib& bitmap, sv::TColor brush = sv::rgbColor(255, 255, 255)) const;
    // To an icon list: every frame's icon, in one update.
    void AssignTo(TIconList& list) const;

private:
    void parse(const uint8_t* data, size_t size);
    std::vector<TIconFrame> frames_;
};

// GIF pictures: reading and writing GIF87a and GIF89a data, the frames
// with their extensions, decoding a frame to an indexed bitmap on first use
// and encoding bitmaps back. Plain C++: the animator draws the decoded
// frames; nothing here needs a window.
#pragma once
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "components/dib.h"
#include "components/gif_lzw.h"

// Damaged frame data is kept and shown as far as it decodes, instead of
// failing the load. The program leaves it on.
extern bool TolerateCorruptData;

struct GIFColorTable {
    int32_t Count = 0;
    std::array<std::array<uint8_t, 3>, 256> Colors{};   // red, green, blue
    sv::TColor color(int i) const { return sv::rgbColor(Colors[size_t(i)][0], Colors[size_t(i)][1], Colors[size_t(i)][2]); }
    // Index of the first entry of that colour, or -1.
    int find(sv::TColor c) const;
};

// Shared by images that were copied from one another.
struct TGIFData {
    std::vector<std::string> Comment;
    uint8_t AspectRatio = 0;
    int BitsPerPixel = 8;
    int ColorResBits = 8;
    GIFColorTable ColorTable;
};

// One frame's encoded data, shared between copies of the frame.
struct TGIFItem {
    // The minimum code size byte and the data sub-blocks exactly as in the
    // file, with the terminating empty sub-block when it was there.
    std::vector<uint8_t> ImageData;
    int BitsPerPixel = 0;
    int Width = 0, Height = 0;
    uint8_t PackedFields = 0;
    GIFColorTable ColorTable;
};

enum TExtensionType { etGraphic = 0, etPlainText = 1, etApplication = 2, etComment = 3 };

struct TExtension {
    TExtensionType ExtType = etGraphic;
    // The fixed block as read: its size byte and up to 12 more bytes.
    std::vector<uint8_t> Header;
    std::vector<std::string> Strings;
};

class TGIFImage;
class TAnimatedCursorImage;
class QImage;

class TGIFFrame {
public:
    explicit TGIFFrame(TGIFImage* owner);

    TGIFImage* Owner;
    std::shared_ptr<TGIFItem> Item;
    std::vector<TExtension> Extensions;
    int OriginX = 0, OriginY = 0;
    bool Interlaced = false;
    bool Corrupted = false;
    bool Grayscale = false;
    sv::TColor TransparentColor = sv::clNone;
    uint16_t AnimateInterval = 0;   // milliseconds
    uint8_t DisposalMethod = 0;     // 0 none, 1 leave, 2 restore background, 3 restore previous
    bool LocalColors = false;

    int Width() const { return Item->Width; }
    int Height() const { return Item->Height; }
    // The decoded picture, made on first use.
    const sv::Dib& Bitmap();
    bool hasBitmap() const { return !bitmap_.empty(); }
    void setBitmap(sv::Dib bmp) { bitmap_ = std::move(bmp); }
    void dropBitmap() { bitmap_ = sv::Dib(); }
    // The lines of the frame's comment extension, made when there is none.
    std::vector<std::string>& Comment();

private:
    friend class TGIFImage;
class TAnimatedCursorImage;
class QImage;
    sv::Dib bitmap_;
};

class TGIFImage {
public:
    TGIFImage();
    TGIFImage(const TGIFImage&) = delete;
    TGIFImage& operator=(const TGIFImage&) = delete;

    std::shared_ptr<TGIFData> Data;
    int FrameIndex = -1;
    int ScreenWidth = 0, ScreenHeight = 0;
    sv::TColor BackgroundColor = sv::clNone;
    bool Looping = false;
    uint16_t RepeatCount = 1;
    int Version = 0;   // 0 none, 1 "87a", 2 "89a"
    bool Corrupted = false;
    // The picture changed (a load, an assignment, a new frame).
    std::function<void()> OnChange;

    int Count() const { return int(frames_.size()); }
    TGIFFrame& Frames(int i) { return *frames_[size_t(i)]; }
    const TGIFFrame& Frames(int i) const { return *frames_[size_t(i)]; }
    bool Empty() const { return frames_.empty(); }
    // The picture counts as transparent when any frame has a transparent colour.
    bool Transparent() const;
    // The current frame's size; 0 when empty.
    int Width();
    int Height();

    // Reads `size` bytes of GIF data; with decodeFirst the first frame is
    // decoded at once (its failure removes it and passes on).
    void ReadGIF(const uint8_t* data, size_t size, bool decodeFirst);
    void LoadFromStream(const std::vector<uint8_t>& bytes) { ReadGIF(bytes.data(), bytes.size(), true); }
    // Throws sv::FileIOError when the file cannot be read.
    void LoadFromFile(const std::string& name);
    // The GIF data; withLength puts a 32-bit length before it.
    std::vector<uint8_t> WriteGIF(bool withLength);
    void SaveToFile(const std::string& name);
    // Encodes every frame that has a bitmap but no encoded data.
    void EncodeFrames(bool decodeBack);

    // The form data: a 32-bit length, then that many bytes of GIF.
    void ReadData(const uint8_t* data, size_t size);
    std::vector<uint8_t> WriteData() { return WriteGIF(true); }
    // A GIF picture's size is its frames'.
    void SetWidth(int);
    void SetHeight(int);
    // The same picture: the two share their data.
    bool Equals(const TGIFImage& other) const { return Data == other.Data; }

    // A new frame from a bitmap of any depth, made current; its index.
    int AddFrame(const sv::Dib& bitmap);
    // A new frame from another picture. One with transparent pixels is drawn
    // on 0xFF00FF, which becomes the frame's transparent colour.
    int AddFrame(const QImage& picture);
    // Takes a copy of another image: shared data and shared frame items.
    void Assign(const TGIFImage& source);
    // One frame of another image (its global colours with it), made current.
    void Assign(const TGIFFrame& source);
    // A bitmap or another picture as the one frame.
    void Assign(const sv::Dib& bitmap);
    void Assign(const QImage& picture);
    // Every step of an animated cursor as a frame, on the window colour,
    // each shown for its rate (sixtieths of a second) in milliseconds.
    void Assign(const TAnimatedCursorImage& cursor);
    void Assign(std::nullptr_t) { Clear(); }
    // The current frame (the first when none is current) to another picture;
    // nothing for an empty image. A bitmap gets the frame's transparent
    // colour through `transparentColor` (clNone for none); a QImage gets
    // it as transparent pixels.
    void AssignTo(TGIFImage& target) const;
    void AssignTo(sv::Dib& bitmap, sv::TColor* transparentColor = nullptr);
    void AssignTo(QImage& picture);
    void Clear();

private:
    void reset();
    void changed();
    void recomputeScreen();
    void encodeFrame(TGIFFrame& f);
    void prepareGraphicControl(TGIFFrame& f);
    void copyFrame(TGIFFrame& to, const TGIFFrame& from);
    TGIFFrame* assignedFrame();
    std::vector<std::unique_ptr<TGIFFrame>> frames_;
};

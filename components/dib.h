// A device-independent bitmap in memory: the pictures of the GIF codec and
// the colour reduction are kept in this form so that they need no window
// system. Colours are the toolkit's colour values 0x00BBGGRR.
#pragma once
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <vector>

namespace sv {

using TColor = uint32_t;
// No colour: "not transparent", "no background".
constexpr TColor clNone = 0x1FFFFFFF;
// Take the colour of the bitmap's bottom-left pixel (transparent drawing).
constexpr TColor clDefault = 0x20000000;
// The system's window colour; resolved by whoever paints.
constexpr TColor clWindow = 0x80000005;

inline TColor rgbColor(uint8_t r, uint8_t g, uint8_t b) { return TColor(r) | TColor(g) << 8 | TColor(b) << 16; }
inline uint8_t redOf(TColor c) { return uint8_t(c); }
inline uint8_t greenOf(TColor c) { return uint8_t(c >> 8); }
inline uint8_t blueOf(TColor c) { return uint8_t(c >> 16); }
// The palette-relative form of a colour (what a brush is set to).
inline TColor PaletteRelativeColor(TColor c) { return c | 0x02000000; }

// The lock of a bitmap's canvas, taken around drawing on or from the bitmap
// where another thread may draw too. A copied bitmap gets a lock of its own.
class CanvasLock {
public:
    CanvasLock() = default;
    CanvasLock(const CanvasLock&) {}
    CanvasLock& operator=(const CanvasLock&) { return *this; }
    void lock() const { m_.lock(); }
    void unlock() const { m_.unlock(); }

private:
    mutable std::recursive_mutex m_;
};

// Rows are stored top-down, each padded to a multiple of 4 bytes. Indexed
// pixels (1, 4, 8 bits) are packed most significant bits first; 24-bit
// pixels are blue, green, red. Indexed bitmaps carry 2^bits palette entries.
struct Dib {
    int width = 0;
    int height = 0;
    int bits = 8;
    std::vector<TColor> palette;
    std::vector<uint8_t> pixels;
    CanvasLock canvas;

    static size_t strideFor(int width, int bits) { return ((size_t(width) * size_t(bits) + 31) / 32) * 4; }
    size_t stride() const { return strideFor(width, bits); }
    bool empty() const { return width <= 0 || height <= 0; }

    // A zero-filled bitmap; indexed ones get a palette of 2^bits black entries.
    static Dib make(int width, int height, int bits) {
        Dib d;
        d.width = width > 0 ? width : 0;
        d.height = height > 0 ? height : 0;
        d.bits = bits;
        if (bits <= 8) d.palette.assign(size_t(1) << bits, 0);
        d.pixels.assign(d.stride() * size_t(d.height), 0);
        return d;
    }

    uint8_t* row(int y) { return pixels.data() + size_t(y) * stride(); }
    const uint8_t* row(int y) const { return pixels.data() + size_t(y) * stride(); }

    // Palette index of an indexed pixel.
    unsigned index(int x, int y) const {
        const uint8_t* r = row(y);
        switch (bits) {
        case 1: return (r[x >> 3] >> (7 - (x & 7))) & 1;
        case 4: return (x & 1) ? (r[x >> 1] & 0x0F) : (r[x >> 1] >> 4);
        default: return r[x];
        }
    }
    void setIndex(int x, int y, unsigned v) {
        uint8_t* r = row(y);
        switch (bits) {
        case 1: {
            const uint8_t bit = uint8_t(0x80 >> (x & 7));
            r[x >> 3] = (v & 1) ? uint8_t(r[x >> 3] | bit) : uint8_t(r[x >> 3] & ~bit);
            break;
        }
        case 4:
            if (x & 1) r[x >> 1] = uint8_t((r[x >> 1] & 0xF0) | (v & 0x0F));
            else r[x >> 1] = uint8_t((r[x >> 1] & 0x0F) | ((v & 0x0F) << 4));
            break;
        default: r[x] = uint8_t(v); break;
        }
    }
    // The colour of any pixel.
    TColor color(int x, int y) const {
        if (bits == 24) {
            const uint8_t* p = row(y) + size_t(x) * 3;
            return rgbColor(p[2], p[1], p[0]);
        }
        const unsigned i = index(x, y);
        return i < palette.size() ? palette[i] : 0;
    }
    void setColor(int x, int y, TColor c) {
        uint8_t* p = row(y) + size_t(x) * 3;
        p[0] = blueOf(c);
        p[1] = greenOf(c);
        p[2] = redOf(c);
    }
};

} // namespace sv

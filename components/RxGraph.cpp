#include "components/RxGraph.h"

#include <algorithm>
#include <array>
#include <numeric>

#include "components/VCLUtils.h"

namespace sv {

ReductionMethod DefaultReductionMethod = ReductionMethod::ColorHistogram;

namespace {

const uint8_t kLevels4[] = {0, 85, 170, 255};
const uint8_t kLevels6[] = {0, 51, 102, 153, 204, 255};
const uint8_t kLevels7[] = {0, 43, 85, 128, 170, 213, 255};
const uint8_t kLevels8[] = {0, 36, 73, 109, 146, 182, 219, 255};

struct LevelTables {
    std::array<uint8_t, 256> nearest[4];
    LevelTables() {
        const uint8_t* tables[4] = {kLevels4, kLevels6, kLevels7, kLevels8};
        const int counts[4] = {4, 6, 7, 8};
        for (int t = 0; t < 4; ++t)
            for (int v = 0; v < 256; ++v) {
                int best = 0;
                for (int i = 1; i < counts[t]; ++i)
                    if (std::abs(v - tables[t][i]) < std::abs(v - tables[t][best])) best = i;
                nearest[t][size_t(v)] = uint8_t(best);
            }
    }
};

const LevelTables& levelTables() {
    static const LevelTables t;
    return t;
}

int tableSlot(int levels) { return levels == 4 ? 0 : levels == 6 ? 1 : levels == 7 ? 2 : 3; }

inline int dist2(TColor a, TColor b) {
    const int dr = int(redOf(a)) - redOf(b), dg = int(greenOf(a)) - greenOf(b), db = int(blueOf(a)) - blueOf(b);
    return dr * dr + dg * dg + db * db;
}

// Fills every pixel of an 8-bit result through a per-pixel index function.
template <typename F>
Dib mapPixels(const Dib& src, F indexOf) {
    Dib out = Dib::make(src.width, src.height, 8);
    for (int y = 0; y < src.height; ++y) {
        const uint8_t* s = src.row(y);
        uint8_t* d = out.row(y);
        for (int x = 0; x < src.width; ++x, s += 3) d[x] = indexOf(s[2], s[1], s[0], x, y);
    }
    return out;
}

// ---- colour histogram ----

constexpr int kHashSize = 5191;
constexpr int kMaxColors = 2049;

struct Histogram {
    std::vector<TColor> key = std::vector<TColor>(kHashSize);
    std::vector<int64_t> count = std::vector<int64_t>(kHashSize, 0);
    std::vector<bool> used = std::vector<bool>(kHashSize, false);
    std::vector<uint8_t> mapped = std::vector<uint8_t>(kHashSize, 0);
    int distinct = 0;
    uint8_t mr = 255, mg = 255, mb = 255;

    static int hash(unsigned r, unsigned g, unsigned b) { return int(((r + g) * (b + g) * (r + b)) % kHashSize); }
    // The slot of a masked colour: its own or the empty one where it goes.
    int slot(uint8_t r, uint8_t g, uint8_t b) const {
        const TColor c = rgbColor(r, g, b);
        int h = hash(r, g, b);
        while (used[size_t(h)] && key[size_t(h)] != c) h = (h + 1) % kHashSize;
        return h;
    }
    void clear() {
        std::fill(used.begin(), used.end(), false);
        std::fill(count.begin(), count.end(), 0);
        distinct = 0;
    }
    // Drops one more low bit from the next mask in the order blue, red, green.
    void coarsen(int& step) {
        uint8_t* masks[3] = {&mb, &mr, &mg};
        uint8_t& m = *masks[step % 3];
        m = uint8_t(m << 1);
        ++step;
    }
};

Dib colorHistogram(const Dib& src) {
    Histogram h;
    int step = 0;
    for (bool restart = true; restart;) {
        restart = false;
        h.clear();
        for (int y = 0; y < src.height && !restart; ++y) {
            const uint8_t* s = src.row(y);
            for (int x = 0; x < src.width; ++x, s += 3) {
                const uint8_t r = s[2] & h.mr, g = s[1] & h.mg, b = s[0] & h.mb;
                const int i = h.slot(r, g, b);
                if (!h.used[size_t(i)]) {
                    if (h.distinct == kMaxColors) {
                        h.coarsen(step);
                        restart = true;
                        break;
                    }
                    h.used[size_t(i)] = true;
                    h.key[size_t(i)] = rgbColor(r, g, b);
                    ++h.distinct;
                }
                ++h.count[size_t(i)];
            }
        }
    }
    // The most frequent colours in turn; ties keep table order.
    std::vector<int> order;
    for (int i = 0; i < kHashSize; ++i)
        if (h.used[size_t(i)]) order.push_back(i);
    std::stable_sort(order.begin(), order.end(),
                     [&](int a, int b) { return h.count[size_t(a)] > h.count[size_t(b)]; });
    std::vector<TColor> palette(256, rgbColor(128, 128, 128));
    const size_t chosen = std::min<size_t>(order.size(), 256);
    for (size_t k = 0; k < chosen; ++k) {
        palette[k] = h.key[size_t(order[k])];
        h.mapped[size_t(order[k])] = uint8_t(k);
    }
    for (size_t k = chosen; k < order.size(); ++k) {
        const TColor c = h.key[size_t(order[k])];
        size_t best = 0;
        for (size_t p = 1; p < chosen; ++p)
            if (dist2(c, palette[p]) < dist2(c, palette[best])) best = p;
        h.mapped[size_t(order[k])] = uint8_t(best);
    }
    Dib out = mapPixels(src, [&](uint8_t r, uint8_t g, uint8_t b, int, int) {
        return h.mapped[size_t(h.slot(r & h.mr, g & h.mg, b & h.mb))];
    });
    out.palette = palette;
    return out;
}

// ---- median cut ----

struct Box {
    std::vector<int> cells;   // cell numbers r<<8 | g<<4 | b, 4 bits each
    int lo[3], hi[3];
    int64_t pixels = 0;
};

inline int axisValue(int cell, int axis) { return (cell >> (8 - 4 * axis)) & 15; }

Dib medianCut(const Dib& src, int* usedColors) {
    std::vector<int64_t> cellCount(4096, 0);
    auto cellOf = [](uint8_t r, uint8_t g, uint8_t b) { return (r >> 4) << 8 | (g >> 4) << 4 | (b >> 4); };
    for (int y = 0; y < src.height; ++y) {
        const uint8_t* s = src.row(y);
        for (int x = 0; x < src.width; ++x, s += 3) ++cellCount[size_t(cellOf(s[2], s[1], s[0]))];
    }
    std::vector<Box> boxes(1);
    Box& first = boxes[0];
    for (int a = 0; a < 3; ++a) { first.lo[a] = 15; first.hi[a] = 0; }
    for (int c = 0; c < 4096; ++c)
        if (cellCount[size_t(c)]) {
            first.cells.push_back(c);
            first.pixels += cellCount[size_t(c)];
            for (int a = 0; a < 3; ++a) {
                first.lo[a] = std::min(first.lo[a], axisValue(c, a));
                first.hi[a] = std::max(first.hi[a], axisValue(c, a));
            }
        }
    if (first.cells.empty()) boxes.clear();

    while (boxes.size() < 256) {
        int pick = -1, axis = 0, extent = 0;
        for (size_t i = 0; i < boxes.size(); ++i) {
            if (boxes[i].cells.size() < 2) continue;
            for (int a = 0; a < 3; ++a)
                if (boxes[i].hi[a] - boxes[i].lo[a] > extent) {
                    extent = boxes[i].hi[a] - boxes[i].lo[a];
                    pick = int(i);
                    axis = a;
                }
        }
        if (pick < 0) break;
        Box& b = boxes[size_t(pick)];
        std::sort(b.cells.begin(), b.cells.end(), [axis](int p, int q) {
            const int vp = axisValue(p, axis), vq = axisValue(q, axis);
            return vp != vq ? vp < vq : p < q;
        });
        const int64_t half = b.pixels / 2;
        int64_t part = cellCount[size_t(b.cells[0])];
        size_t next = 1;
        while (half - part - cellCount[size_t(b.cells[next])] >= 0 && next + 1 < b.cells.size()) {
            part += cellCount[size_t(b.cells[next])];
            ++next;
        }
        Box nb;
        nb.cells.assign(b.cells.begin() + std::ptrdiff_t(next), b.cells.end());
        b.cells.resize(next);
        nb.pixels = b.pixels - part;
        b.pixels = part;
        std::copy(b.lo, b.lo + 3, nb.lo);
        std::copy(b.hi, b.hi + 3, nb.hi);
        const int cut = axisValue(nb.cells[0], axis);
        b.hi[axis] = cut;
        nb.lo[axis] = cut;
        boxes.push_back(std::move(nb));
    }

    std::vector<uint8_t> boxOfCell(4096, 0);
    std::vector<TColor> palette(256, 0);
    for (size_t i = 0; i < boxes.size(); ++i) {
        int sum[3] = {0, 0, 0};
        for (int c : boxes[i].cells) {
            boxOfCell[size_t(c)] = uint8_t(i);
            for (int a = 0; a < 3; ++a) sum[a] += axisValue(c, a);
        }
        const int n = int(boxes[i].cells.size());
        int ch[3];
        for (int a = 0; a < 3; ++a) ch[a] = std::min(255, (sum[a] * 16 + 15) / n);
        palette[i] = (ch[0] <= 16 && ch[1] <= 16 && ch[2] <= 16) ? 0 : rgbColor(uint8_t(ch[0]), uint8_t(ch[1]), uint8_t(ch[2]));
    }
    Dib out = mapPixels(src, [&](uint8_t r, uint8_t g, uint8_t b, int, int) { return boxOfCell[size_t(cellOf(r, g, b))]; });
    out.palette = palette;
    if (usedColors) *usedColors = int(boxes.size());
    return out;
}

// ---- fixed palettes ----

Dib levels(const Dib& src, bool is784, int* usedColors) {
    const auto& t = levelTables();
    std::vector<TColor> palette(256, rgbColor(128, 128, 128));
    Dib out;
    if (is784) {
        for (int i = 0; i < 224; ++i) palette[size_t(i)] = rgbColor(kLevels7[i / 32], kLevels8[(i / 4) % 8], kLevels4[i % 4]);
        out = mapPixels(src, [&](uint8_t r, uint8_t g, uint8_t b, int, int) {
            return uint8_t(t.nearest[2][r] * 32 + t.nearest[3][g] * 4 + t.nearest[0][b]);
        });
    } else {
        for (int i = 0; i < 216; ++i) palette[size_t(i)] = rgbColor(kLevels6[i / 36], kLevels6[(i / 6) % 6], kLevels6[i % 6]);
        out = mapPixels(src, [&](uint8_t r, uint8_t g, uint8_t b, int, int) {
            return uint8_t(t.nearest[1][r] * 36 + t.nearest[1][g] * 6 + t.nearest[1][b]);
        });
    }
    out.palette = palette;
    if (usedColors) *usedColors = is784 ? 224 : 216;
    return out;
}

Dib channelInterleave(const Dib& src) {
    std::vector<TColor> palette(256, 0);
    for (int i = 0; i < 64; ++i) {
        palette[size_t(i)] = rgbColor(uint8_t(i * 4), 0, 0);
        palette[size_t(64 + i)] = rgbColor(0, uint8_t(i * 4), 0);
        palette[size_t(128 + i)] = rgbColor(0, 0, uint8_t(i * 4));
    }
    Dib out = mapPixels(src, [](uint8_t r, uint8_t g, uint8_t b, int x, int y) {
        switch ((y + x) % 3) {
        case 0: return uint8_t(r / 4);
        case 1: return uint8_t(g / 4 + 64);
        default: return uint8_t(b / 4 + 128);
        }
    });
    out.palette = palette;
    return out;
}

Dib grayscale(const Dib& src) {
    Dib out = mapPixels(src, [](uint8_t r, uint8_t g, uint8_t b, int, int) {
        return uint8_t((77u * r + 150u * g + 29u * b) >> 8);
    });
    for (int i = 0; i < 256; ++i) out.palette[size_t(i)] = rgbColor(uint8_t(i), uint8_t(i), uint8_t(i));
    return out;
}

Dib to24Bits(const Dib& src) {
    if (src.bits == 24) return src;
    Dib out = Dib::make(src.width, src.height, 24);
    out.palette.clear();
    for (int y = 0; y < src.height; ++y)
        for (int x = 0; x < src.width; ++x) out.setColor(x, y, src.color(x, y));
    return out;
}

// The palettes a bitmap of 1 or 4 bits is fetched with when it has none of
// its own: black and white, and the 16 colours of the standard palette.
const TColor kVga16[16] = {0x000000, 0x000080, 0x008000, 0x008080, 0x800000, 0x800080, 0x808000, 0xC0C0C0,
                           0x808080, 0x0000FF, 0x00FF00, 0x00FFFF, 0xFF0000, 0xFF00FF, 0xFFFF00, 0xFFFFFF};

Dib toFixedPalette(const Dib& src, int bits) {
    Dib out = Dib::make(src.width, src.height, bits);
    if (bits == 1) out.palette = {0x000000, 0xFFFFFF};
    else out.palette.assign(kVga16, kVga16 + 16);
    for (int y = 0; y < src.height; ++y)
        for (int x = 0; x < src.width; ++x) {
            const TColor c = src.color(x, y);
            unsigned best = 0;
            for (unsigned p = 1; p < out.palette.size(); ++p)
                if (dist2(c, out.palette[p]) < dist2(c, out.palette[best])) best = p;
            out.setIndex(x, y, best);
        }
    return out;
}

} // namespace

const uint8_t* nearestLevel(int levels) { return levelTables().nearest[tableSlot(levels)].data(); }

const uint8_t* levelValues(int levels) {
    switch (levels) {
    case 4: return kLevels4;
    case 6: return kLevels6;
    case 7: return kLevels7;
    default: return kLevels8;
    }
}

Dib reduceTo8Bits(const Dib& src24, ReductionMethod method, int* usedColors) {
    if (usedColors) *usedColors = 0;
    switch (method) {
    case ReductionMethod::MedianCut: return medianCut(src24, usedColors);
    case ReductionMethod::Levels784: return levels(src24, true, usedColors);
    case ReductionMethod::Levels666: return levels(src24, false, usedColors);
    case ReductionMethod::ChannelInterleave: return channelInterleave(src24);
    case ReductionMethod::Grayscale: return grayscale(src24);
    default: return colorHistogram(src24);
    }
}

Dib BitmapToDIB(const Dib& bitmap, int targetBits, ReductionMethod method, int* usedColors) {
    if (usedColors) *usedColors = 0;
    if (bitmap.empty() || (bitmap.bits != 1 && bitmap.bits != 4 && bitmap.bits != 8 && bitmap.bits != 24))
        throw EInvalidGraphic("Bitmap image is not valid");
    if (bitmap.bits == targetBits && method != ReductionMethod::Grayscale) return bitmap;
    switch (targetBits) {
    case 1:
    case 4: return toFixedPalette(bitmap, targetBits);
    case 8: return reduceTo8Bits(to24Bits(bitmap), method, usedColors);
    case 24: return to24Bits(bitmap);
    default: RaiseNotImplemented();
    }
}

Dib BitmapToColorCount(const Dib& bitmap, int colors) {
    const int bits = colors <= 2 ? 1 : colors <= 16 ? 4 : colors > 256 ? 24 : 8;
    return BitmapToDIB(bitmap, bits, DefaultReductionMethod);
}

} // namespace sv

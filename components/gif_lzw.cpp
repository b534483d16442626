#include "components/gif_lzw.h"

#include <algorithm>
#include <array>

namespace sv {

namespace {

constexpr int kMaxCodes = 4096;
constexpr int kMaxCodeWidth = 12;

// Codes are taken least significant bit first from the data sub-blocks.
// When the data run out, the missing bits read as 0, so a cut-short frame
// goes on as runs of pixel 0 until its rows are full.
class CodeReader {
public:
    CodeReader(const uint8_t* p, const uint8_t* end) : p_(p), end_(end) {}
    // True once a code could not be read whole: the data ran out.
    bool ranOut() const { return ranOut_; }
    unsigned read(int width) {
        while (bits_ < width && p_ < end_) {
            if (blockLeft_ == 0) {
                blockLeft_ = *p_++;
                continue;
            }
            acc_ |= uint64_t(*p_++) << bits_;
            bits_ += 8;
            --blockLeft_;
        }
        if (bits_ < width) ranOut_ = true;
        const unsigned code = unsigned(acc_ & ((1u << width) - 1));
        acc_ >>= width;
        bits_ = std::max(0, bits_ - width);
        return code;
    }

private:
    const uint8_t* p_;
    const uint8_t* end_;
    uint64_t acc_ = 0;
    int bits_ = 0;
    int blockLeft_ = 0;
    bool ranOut_ = false;
};

// Places pixels in image order, following the four interlace passes.
class PixelSink {
public:
    PixelSink(Dib& out, bool interlaced) : out_(out), interlaced_(interlaced) {}
    bool full() const { return row_ >= out_.height; }
    void put(unsigned v) {
        if (full()) return;
        out_.setIndex(x_, row_, v);
        if (++x_ < out_.width) return;
        x_ = 0;
        if (!interlaced_) {
            ++row_;
            return;
        }
        static const int kStart[4] = {0, 4, 2, 1}, kStep[4] = {8, 8, 4, 2};
        row_ += kStep[pass_];
        while (row_ >= out_.height && pass_ < 3) row_ = kStart[++pass_];
    }

private:
    Dib& out_;
    bool interlaced_;
    int x_ = 0, row_ = 0, pass_ = 0;
};

// Collects codes into 255-byte sub-blocks.
class CodeWriter {
public:
    explicit CodeWriter(std::vector<uint8_t>& out) : out_(out) {}
    void write(unsigned code, int width) {
        acc_ |= uint64_t(code) << bits_;
        bits_ += width;
        while (bits_ >= 8) {
            block_[n_++] = uint8_t(acc_);
            acc_ >>= 8;
            bits_ -= 8;
            if (n_ == 255) emitBlock();
        }
    }
    void flush() {
        if (bits_ > 0) {
            block_[n_++] = uint8_t(acc_);
            acc_ = 0;
            bits_ = 0;
            if (n_ == 255) emitBlock();
        }
        if (n_ > 0) emitBlock();
        out_.push_back(0);
    }

private:
    void emitBlock() {
        out_.push_back(uint8_t(n_));
        out_.insert(out_.end(), block_, block_ + n_);
        n_ = 0;
    }
    std::vector<uint8_t>& out_;
    uint64_t acc_ = 0;
    int bits_ = 0;
    uint8_t block_[260];
    int n_ = 0;
};

} // namespace

bool lzwDecode(const uint8_t* data, size_t size, Dib& out, bool interlaced, int frameBits, bool tolerate) {
    if (size == 0 || out.empty()) return false;
    bool corrupted = false;
    int codeSize = data[0];
    if (codeSize < 2 || codeSize > 9) {
        if (!tolerate) throw EInvalidGraphicOperation("GIF code size not in range 2 to 9");
        corrupted = true;
        codeSize = std::clamp(codeSize, 2, 9);
    }
    std::vector<uint16_t> prefix(kMaxCodes, 0), suffix(kMaxCodes, 0);
    std::array<uint16_t, kMaxCodes + 2> stack{};

    const unsigned clear = 1u << codeSize, end = clear + 1;
    const unsigned pixelMask = (1u << std::clamp(frameBits, 1, 8)) - 1;
    int width = codeSize + 1;
    unsigned step = 1u << width, freeCode = clear + 2;
    unsigned prev = 0, first = 0;
    bool tableFull = false;

    CodeReader reader(data + 1, data + size);
    PixelSink sink(out, interlaced);
    unsigned code = reader.read(width);
    // Data cut short ends the frame: the rest stays at colour 0, as it would
    // after decoding nothing but zero codes, without walking every pixel.
    while (code != end && !sink.full() && !reader.ranOut()) {
        if (code == clear) {
            width = codeSize + 1;
            step = 1u << width;
            freeCode = clear + 2;
            code = reader.read(width);
            if (code == clear) continue;
            if (code == end) break;
            prev = code;
            first = code & pixelMask;
            sink.put(first);
            tableFull = false;
        } else {
            const unsigned inCode = code;
            size_t sp = 0;
            if (code >= freeCode) {
                stack[sp++] = uint16_t(first);
                code = prev;
            }
            while (code > pixelMask) {
                if (sp >= kMaxCodes) {
                    if (!tolerate) throw EInvalidGraphicOperation("GIF encoded data is corrupt");
                    corrupted = true;
                    code = pixelMask;
                    break;
                }
                stack[sp++] = suffix[code];
                code = prefix[code];
            }
            if (corrupted) break;
            first = code & pixelMask;
            stack[sp++] = uint16_t(first);
            while (sp > 0) sink.put(stack[--sp]);
            if (!tableFull) {
                prefix[freeCode] = uint16_t(prev);
                suffix[freeCode] = uint16_t(first);
                ++freeCode;
                if (freeCode >= step) {
                    if (width < kMaxCodeWidth) {
                        ++width;
                        step <<= 1;
                    } else {
                        tableFull = true;
                    }
                }
            }
            prev = inCode;
        }
        code = reader.read(width);
    }
    return corrupted;
}

std::vector<uint8_t> lzwEncode(const Dib& bitmap) {
    constexpr int kSlots = 17777;
    struct Node {
        int prefix = -1;
        int code = 0;
        unsigned pixel = 0;
    };
    const int initialWidth = bitmap.bits == 1 ? 3 : bitmap.bits + 1;
    const unsigned clear = 1u << (initialWidth - 1), end = clear + 1;

    std::vector<uint8_t> out;
    out.push_back(uint8_t(initialWidth - 1));
    CodeWriter writer(out);
    std::vector<Node> table(kSlots);

    int width = initialWidth;
    unsigned last = end;
    unsigned prefix = 0;
    int64_t length = 0, hash = 0;
    writer.write(clear, width);
    for (int y = 0; y < bitmap.height; ++y)
        for (int x = 0; x < bitmap.width; ++x) {
            const unsigned pixel = bitmap.index(x, y);
            ++length;
            if (length == 1) {
                prefix = pixel;
                hash = int64_t(pixel) * 301 + 903;
                continue;
            }
            hash = ((int64_t(pixel) + length + 4) * hash) % kSlots;
            while (table[size_t(hash)].prefix >= 0 &&
                   !(unsigned(table[size_t(hash)].prefix) == prefix && table[size_t(hash)].pixel == pixel))
                hash = (hash + 1) % kSlots;
            Node& node = table[size_t(hash)];
            if (node.prefix >= 0) {
                prefix = unsigned(node.code);
                continue;
            }
            writer.write(prefix, width);
            ++last;
            node.prefix = int(prefix);
            node.pixel = pixel;
            node.code = int(last);
            prefix = pixel;
            hash = int64_t(pixel) * 301 + 903;
            length = 1;
            if (last == (1u << width)) {
                ++width;
            } else if (last >= 4094) {
                writer.write(prefix, width);
                writer.write(clear, width);
                last = end;
                width = initialWidth;
                length = 0;
                std::fill(table.begin(), table.end(), Node{});
            }
        }
    if (length > 0) writer.write(prefix, width);
    writer.write(end, width);
    writer.flush();
    return out;
}

} // namespace sv

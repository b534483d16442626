#include "components/RxGIF.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>

#include "components/RxGraph.h"
#include "platform/files.h"

using sv::EInvalidGraphicOperation;
using sv::TColor;

bool TolerateCorruptData = true;

namespace {

const char* const kReadError = "Stream read error";
const char* const kColorCount = "Wrong number of colors; must be a power of 2";
const char* const kNoData = "No GIF Data to write";
const char* const kTooLarge = "GIF image is too large";
// A picture is decoded whole into memory: a damaged or hostile header must
// not make the program ask for gigabytes. 64 megapixels is far beyond any
// picture this program shows.
constexpr int64_t kMaxPixels = int64_t(1) << 26;
void checkPictureSize(int width, int height) {
    if (int64_t(width) * int64_t(height) > kMaxPixels) throw EInvalidGraphicOperation(kTooLarge);
}

// Bounds-checked reading of the in-memory copy of the data.
struct Reader {
    const uint8_t* p;
    size_t size;
    size_t pos = 0;
    bool atEnd() const { return pos >= size; }
    uint8_t byte() {
        if (pos >= size) throw EInvalidGraphicOperation(kReadError);
        return p[pos++];
    }
    uint16_t u16() {
        const uint8_t lo = byte();
        return uint16_t(lo | byte() << 8);
    }
    void bytes(uint8_t* dst, size_t n) {
        if (n > size - pos) throw EInvalidGraphicOperation(kReadError);
        std::memcpy(dst, p + pos, n);
        pos += n;
    }
    // The next block introducer after any zero bytes; 0 at the end.
    uint8_t introducer() {
        while (pos < size && p[pos] == 0) ++pos;
        return pos < size ? p[pos++] : 0;
    }
    // Data sub-blocks up to the empty one or the end of the data.
    std::vector<std::string> subBlocks() {
        std::vector<std::string> out;
        while (pos < size) {
            const size_t declared = p[pos++];
            const size_t n = std::min(declared, size - pos);
            if (n == 0) break;
            out.emplace_back(reinterpret_cast<const char*>(p + pos), n);
            pos += n;
        }
        return out;
    }
};

// Bit count b of a colour count of 2^b entries, 2..256; else the error.
int bitsOfCount(int count) {
    for (int b = 1; b <= 8; ++b)
        if (count == 1 << b) return b;
    throw EInvalidGraphicOperation(kColorCount);
}

// Smallest b >= 1 with 2^b >= count.
int bitsCovering(int count) {
    int b = 1;
    while (b < 8 && (1 << b) < count) ++b;
    return b;
}

void readColorTable(Reader& r, GIFColorTable& t, int count) {
    uint8_t buf[256 * 3];
    r.bytes(buf, size_t(count) * 3);
    t.Count = count;
    for (int i = 0; i < count; ++i)
        for (int c = 0; c < 3; ++c) t.Colors[size_t(i)][size_t(c)] = buf[i * 3 + c];
}

bool sameText(const char* a, const char* b, size_t n) {
    for (size_t i = 0; i < n; ++i)
        if (std::tolower(uint8_t(a[i])) != std::tolower(uint8_t(b[i]))) return false;
    return true;
}

bool isLoopExtension(const TExtension& e, uint16_t& count) {
    if (e.Strings.empty() || e.Header.empty()) return false;
    const std::string id(reinterpret_cast<const char*>(e.Header.data() + 1),
                         std::min<size_t>(e.Header[0], e.Header.size() - 1));
    if (id != "NETSCAPE2.0" && id != "ANIMEXTS1.0") return false;
    const std::string& s = e.Strings[0];
    if (s.size() < 3 || uint8_t(s[0]) != 1) return false;
    count = uint16_t(std::min(30000, uint8_t(s[1]) | uint8_t(s[2]) << 8));
    return true;
}

void put16(std::vector<uint8_t>& out, unsigned v) {
    out.push_back(uint8_t(v));
    out.push_back(uint8_t(v >> 8));
}

void putSubBlocks(std::vector<uint8_t>& out, const std::vector<std::string>& strings) {
    for (const std::string& s : strings) {
        const size_t n = std::min<size_t>(s.size(), 255);
        if (n == 0) continue;
        out.push_back(uint8_t(n));
        out.insert(out.end(), s.begin(), s.begin() + std::ptrdiff_t(n));
    }
    out.push_back(0);
}

void putColorTable(std::vector<uint8_t>& out, const GIFColorTable& t) {
    for (int i = 0; i < t.Count; ++i) out.insert(out.end(), t.Colors[size_t(i)].begin(), t.Colors[size_t(i)].end());
}

void readFrame(Reader& r, TGIFImage& image, TGIFFrame& f);

} // namespace

int GIFColorTable::find(TColor c) const {
    for (int i = 0; i < Count; ++i)
        if (color(i) == c) return i;
    return -1;
}

// ---- frames ----

TGIFFrame::TGIFFrame(TGIFImage* owner) : Owner(owner), Item(std::make_shared<TGIFItem>()) {}

const sv::Dib& TGIFFrame::Bitmap() {
    if (!bitmap_.empty()) return bitmap_;
    const int bpp = Item->BitsPerPixel;
    int bits;
    if (bpp == 1) bits = 1;
    else if (bpp >= 2 && bpp <= 4) bits = 4;
    else if (bpp >= 5 && bpp <= 8) bits = 8;
    else throw EInvalidGraphicOperation(kColorCount);
    sv::Dib d = sv::Dib::make(Item->Width, Item->Height, bits);
    for (size_t i = 0; i < d.palette.size(); ++i)
        d.palette[i] = int(i) < Item->ColorTable.Count ? Item->ColorTable.color(int(i)) : sv::rgbColor(128, 128, 128);
    if (!Item->ImageData.empty() && !d.empty())
        Corrupted = sv::lzwDecode(Item->ImageData.data(), Item->ImageData.size(), d, Interlaced, bpp,
                                  TolerateCorruptData) || Corrupted;
    bitmap_ = std::move(d);
    return bitmap_;
}

// ---- the image ----

TGIFImage::TGIFImage() : Data(std::make_shared<TGIFData>()) {}

void TGIFImage::reset() {
    Data = std::make_shared<TGIFData>();
    frames_.clear();
    Corrupted = false;
    FrameIndex = -1;
    BackgroundColor = sv::clNone;
    RepeatCount = 1;
    Looping = false;
    Version = 0;
    ScreenWidth = ScreenHeight = 0;
}

void TGIFImage::Clear() {
    reset();
    changed();
}

void TGIFImage::changed() {
    if (OnChange) OnChange();
}

bool TGIFImage::Transparent() const {
    return std::any_of(frames_.begin(), frames_.end(),
                       [](const std::unique_ptr<TGIFFrame>& f) { return f->TransparentColor != sv::clNone; });
}

int TGIFImage::Width() {
    if (FrameIndex < 0 || FrameIndex >= Count()) return 0;
    return Frames(FrameIndex).Width();
}

int TGIFImage::Height() {
    if (FrameIndex < 0 || FrameIndex >= Count()) return 0;
    return Frames(FrameIndex).Height();
}

void TGIFImage::recomputeScreen() {
    int w = 0, h = 0;
    for (const auto& f : frames_) {
        w = std::max(w, f->OriginX + f->Width());
        h = std::max(h, f->OriginY + f->Height());
    }
    ScreenWidth = w;
    ScreenHeight = h;
}

void TGIFImage::ReadGIF(const uint8_t* data, size_t size, bool decodeFirst) {
    reset();
    if (size == 0) return;
    // Reading works on a private copy, so the caller's buffer may go.
    const std::vector<uint8_t> copy(data, data + size);
    Reader r{copy.data(), copy.size()};

    char sig[6];
    r.bytes(reinterpret_cast<uint8_t*>(sig), 6);
    if (!sameText(sig, "GIF", 3)) throw EInvalidGraphicOperation("Unknown GIF version");
    if (sameText(sig + 3, "87a", 3)) Version = 1;
    else if (sameText(sig + 3, "89a", 3)) Version = 2;
    else throw EInvalidGraphicOperation("Unknown GIF version");

    ScreenWidth = r.u16();
    ScreenHeight = r.u16();
    checkPictureSize(ScreenWidth, ScreenHeight);
    const uint8_t flags = r.byte();
    const uint8_t background = r.byte();
    Data->AspectRatio = r.byte();
    Data->BitsPerPixel = (flags & 7) + 1;
    Data->ColorResBits = ((flags >> 4) & 7) + 1;
    if (flags & 0x80) {
        readColorTable(r, Data->ColorTable, 1 << Data->BitsPerPixel);
        if (background < Data->ColorTable.Count) BackgroundColor = Data->ColorTable.color(background);
    }

    std::vector<TExtension> gathered;
    uint8_t intro = r.introducer();
    while (intro != 0 && intro != ';' && !r.atEnd()) {
        while (intro == '!') {
            const uint8_t label = r.byte();
            TExtension e;
            switch (label) {
            case 0xF9:
                e.ExtType = etGraphic;
                e.Header.resize(6);
                r.bytes(e.Header.data(), 6);
                break;
            case 0xFE:
                e.ExtType = etComment;
                e.Strings = r.subBlocks();
                break;
            case 0x01:
                e.ExtType = etPlainText;
                e.Header.resize(13);
                r.bytes(e.Header.data(), 13);
                e.Strings = r.subBlocks();
                break;
            case 0xFF:
                e.ExtType = etApplication;
                e.Header.resize(12);
                r.bytes(e.Header.data(), 12);
                e.Strings = r.subBlocks();
                break;
            default: {
                char text[64];
                std::snprintf(text, sizeof text, "Unrecognized extension block: %.2x", unsigned(label));
                throw EInvalidGraphicOperation(text);
            }
            }
            if (e.ExtType == etPlainText) {
                gathered.clear();
            } else if (e.ExtType == etApplication) {
                uint16_t count = 0;
                if (isLoopExtension(e, count)) {
                    Looping = true;
                    RepeatCount = count;
                }
            } else {
                gathered.push_back(std::move(e));
            }
            intro = r.atEnd() ? ';' : r.introducer();
        }
        if (intro == ',') {
            auto frame = std::make_unique<TGIFFrame>(this);
            if (Data->ColorTable.Count > 0) frame->Item->BitsPerPixel = bitsOfCount(Data->ColorTable.Count);
            frame->Extensions = std::move(gathered);
            gathered.clear();
            readFrame(r, *this, *frame);
            frames_.push_back(std::move(frame));
            if (r.atEnd()) {
                intro = ';';
            } else {
                intro = r.introducer();
                if (intro != '!' && intro != ',' && intro != ';') intro = 0;
            }
        } else {
            // Extensions after the last frame: their comments become the
            // image's comment.
            if (Data->Comment.empty() && !gathered.empty()) {
                bool firstComment = true;
                for (const TExtension& e : gathered) {
                    if (e.ExtType != etComment) continue;
                    if (!firstComment) Data->Comment.push_back("\r\n\r\n");
                    firstComment = false;
                    Data->Comment.insert(Data->Comment.end(), e.Strings.begin(), e.Strings.end());
                }
            } else if (intro != 0 && intro != ';') {
                throw EInvalidGraphicOperation(kReadError);
            }
            gathered.clear();
            break;
        }
    }

    if (!frames_.empty()) {
        FrameIndex = 0;
        if (decodeFirst) {
            try {
                Frames(0).Bitmap();
            } catch (...) {
                frames_.erase(frames_.begin());
                if (frames_.empty()) FrameIndex = -1;
                throw;
            }
        }
    }
    changed();
}

namespace {

// One image descriptor with its colour table and data sub-blocks; the
// graphic control extensions gathered before it set the frame's timing,
// transparency and disposal.
void readFrame(Reader& r, TGIFImage& image, TGIFFrame& f) {
    TGIFData* Data = image.Data.get();
    TGIFItem& item = *f.Item;
    const int left = r.u16(), top = r.u16();
    int width = r.u16(), height = r.u16();
    // A zero width or height takes the screen's: checked as it will be used.
    if (width == 0) width = image.ScreenWidth;
    if (height == 0) height = image.ScreenHeight;
    checkPictureSize(width, height);
    const uint8_t flags = r.byte();
    f.Interlaced = (flags & 0x40) != 0;
    if (flags & 0x80) {
        readColorTable(r, item.ColorTable, 2 << (flags & 7));
        item.BitsPerPixel = (flags & 7) + 1;
        f.LocalColors = true;
    } else {
        // Transparency below is looked up in the frame's own table.
        item.ColorTable = Data->ColorTable;
    }

    item.ImageData.push_back(r.byte());
    bool corrupted = false;
    while (!r.atEnd()) {
        const size_t n = r.p[r.pos];
        if (n > r.size - r.pos - 1) {
            corrupted = true;
            r.pos = r.size;
            break;
        }
        item.ImageData.insert(item.ImageData.end(), r.p + r.pos, r.p + r.pos + 1 + n);
        r.pos += 1 + n;
        if (n == 0) break;
    }
    if (corrupted && !TolerateCorruptData) throw EInvalidGraphicOperation(kReadError);
    f.Corrupted = corrupted;
    image.Corrupted = image.Corrupted || corrupted;

    f.OriginX = left;
    f.OriginY = top;
    item.Width = width;
    item.Height = height;
    item.PackedFields = flags;

    f.AnimateInterval = 0;
    for (const TExtension& e : f.Extensions) {
        if (e.ExtType != etGraphic) continue;
        const uint8_t gflags = e.Header[1];
        const unsigned delay = e.Header[2] | e.Header[3] << 8;
        const uint8_t index = e.Header[4];
        if (gflags & 1) {
            if (index < item.ColorTable.Count) f.TransparentColor = item.ColorTable.color(index);
        } else {
            f.TransparentColor = sv::clNone;
        }
        f.AnimateInterval = uint16_t(std::max<unsigned>(std::min<unsigned>(delay * 10, 0xFFFF), f.AnimateInterval));
        f.DisposalMethod = uint8_t((gflags >> 2) & 7);
    }
}

} // namespace

void TGIFImage::LoadFromFile(const std::string& name) {
    std::ifstream in(name, std::ios::binary);
    if (!in) throw sv::FileIOError("Cannot open file \"" + name + "\". " + std::strerror(errno), errno);
    std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) throw sv::FileIOError("Read error on \"" + name + "\"", EIO);
    LoadFromStream(bytes);
}

void TGIFImage::SaveToFile(const std::string& name) {
    const std::vector<uint8_t> bytes = WriteGIF(false);
    sv::SafeFileWriter w;
    if (int err = w.open(name)) throw sv::FileIOError("Cannot create file \"" + name + "\". " + std::strerror(err), err);
    w.write(bytes.data(), bytes.size());
    w.commit();
}

// ---- building and encoding ----

int TGIFImage::AddFrame(const sv::Dib& bitmap) {
    auto f = std::make_unique<TGIFFrame>(this);
    f->Item->Width = bitmap.width;
    f->Item->Height = bitmap.height;
    f->setBitmap(bitmap);
    frames_.push_back(std::move(f));
    FrameIndex = Count() - 1;
    if (Version == 0) Version = 1;
    if (Count() > 1) Version = 2;
    recomputeScreen();
    changed();
    return FrameIndex;
}

void TGIFImage::Assign(const TGIFImage& source) {
    if (&source == this) return;
    frames_.clear();
    Data = source.Data;
    Version = source.Version;
    BackgroundColor = source.BackgroundColor;
    RepeatCount = source.RepeatCount;
    Looping = source.Looping;
    Corrupted = source.Corrupted;
    ScreenWidth = source.ScreenWidth;
    ScreenHeight = source.ScreenHeight;
    FrameIndex = source.FrameIndex;
    for (const auto& s : source.frames_) {
        auto f = std::make_unique<TGIFFrame>(this);
        copyFrame(*f, *s);
        frames_.push_back(std::move(f));
    }
    changed();
}

// A frame copied from another keeps sharing its encoded data; a frame that
// moves to another image keeps its colours as its own.
void TGIFImage::copyFrame(TGIFFrame& f, const TGIFFrame& s) {
    f.Item = s.Item;
    f.LocalColors = s.Owner == this ? s.LocalColors : true;
    f.OriginX = s.OriginX;
    f.OriginY = s.OriginY;
    f.Interlaced = s.Interlaced;
    f.bitmap_ = s.bitmap_;
    f.TransparentColor = s.TransparentColor;
    f.AnimateInterval = s.AnimateInterval;
    f.DisposalMethod = s.DisposalMethod;
    f.Grayscale = s.Grayscale;
    f.Corrupted = s.Corrupted;
    for (const TExtension& e : s.Extensions)
        if (e.ExtType == etComment) f.Extensions.push_back(e);
}

void TGIFImage::Assign(const TGIFFrame& source) {
    // The source may belong to this image: keep what it needs first.
    const std::shared_ptr<TGIFData> from = source.Owner ? source.Owner->Data : std::make_shared<TGIFData>();
    TGIFFrame copy(source.Owner);
    copyFrame(copy, source);
    copy.Owner = nullptr;
    reset();
    Data->AspectRatio = from->AspectRatio;
    Data->BitsPerPixel = from->BitsPerPixel;
    Data->ColorResBits = from->ColorResBits;
    Data->ColorTable = from->ColorTable;
    auto f = std::make_unique<TGIFFrame>(this);
    copyFrame(*f, copy);
    f->LocalColors = copy.LocalColors;
    frames_.push_back(std::move(f));
    FrameIndex = 0;
    if (Version == 0) Version = 1;
    recomputeScreen();
    changed();
}

void TGIFImage::Assign(const sv::Dib& bitmap) {
    reset();
    AddFrame(bitmap);
}

TGIFFrame* TGIFImage::assignedFrame() {
    if (frames_.empty()) return nullptr;
    return &Frames(FrameIndex < 0 || FrameIndex >= Count() ? 0 : FrameIndex);
}

void TGIFImage::AssignTo(TGIFImage& target) const { target.Assign(*this); }

void TGIFImage::AssignTo(sv::Dib& bitmap, TColor* transparentColor) {
    TGIFFrame* f = assignedFrame();
    if (!f) return;
    bitmap = f->Bitmap();
    if (transparentColor) *transparentColor = f->TransparentColor;
}

std::vector<std::string>& TGIFFrame::Comment() {
    for (TExtension& e : Extensions)
        if (e.ExtType == etComment) return e.Strings;
    TExtension e;
    e.ExtType = etComment;
    Extensions.push_back(e);
    return Extensions.back().Strings;
}

void TGIFImage::ReadData(const uint8_t* data, size_t size) {
    if (!data || size < 4) throw EInvalidGraphicOperation(kReadError);
    const uint32_t n = uint32_t(data[0]) | uint32_t(data[1]) << 8 | uint32_t(data[2]) << 16 | uint32_t(data[3]) << 24;
    if (n > size - 4) throw EInvalidGraphicOperation(kReadError);
    ReadGIF(data + 4, n, true);
}

void TGIFImage::SetWidth(int) { throw EInvalidGraphicOperation("Cannot change the Size of a GIF image"); }
void TGIFImage::SetHeight(int) { throw EInvalidGraphicOperation("Cannot change the Size of a GIF image"); }

void TGIFImage::encodeFrame(TGIFFrame& f) {
    if (f.bitmap_.empty()) throw EInvalidGraphicOperation(kNoData);
    sv::Dib dib = f.bitmap_;
    if (dib.bits != 1 && dib.bits != 4 && dib.bits != 8) {
        dib = sv::BitmapToDIB(dib, 8, f.Grayscale ? sv::ReductionMethod::Grayscale : sv::DefaultReductionMethod);
    }
    if (dib.bits != 1 && dib.bits != 4 && dib.bits != 8) throw EInvalidGraphicOperation("GIF image encoding error");
    const int count = 1 << dib.bits;
    f.Interlaced = false;
    auto item = std::make_shared<TGIFItem>();
    item->ColorTable.Count = count;
    for (int i = 0; i < count; ++i) {
        const TColor c = size_t(i) < dib.palette.size() ? dib.palette[size_t(i)] : 0;
        item->ColorTable.Colors[size_t(i)] = {sv::redOf(c), sv::greenOf(c), sv::blueOf(c)};
    }
    item->ImageData = sv::lzwEncode(dib);
    item->BitsPerPixel = bitsCovering(count);
    item->Width = dib.width;
    item->Height = dib.height;
    if (Data->ColorTable.Count == 0) {
        // The data may be shared with the image this one was copied from.
        if (Data.use_count() > 1) Data = std::make_shared<TGIFData>(*Data);
        Data->ColorTable = item->ColorTable;
        Data->BitsPerPixel = item->BitsPerPixel;
        f.LocalColors = false;
    } else {
        f.LocalColors = true;
    }
    f.Item = std::move(item);
    ScreenWidth = std::max(ScreenWidth, f.OriginX + f.Width());
    ScreenHeight = std::max(ScreenHeight, f.OriginY + f.Height());
}

void TGIFImage::prepareGraphicControl(TGIFFrame& f) {
    auto gce = std::find_if(f.Extensions.begin(), f.Extensions.end(),
                            [](const TExtension& e) { return e.ExtType == etGraphic; });
    if (gce == f.Extensions.end() &&
        (f.AnimateInterval > 0 || f.TransparentColor != sv::clNone || f.DisposalMethod != 0)) {
        TExtension e;
        e.ExtType = etGraphic;
        e.Header = {4, 0, 0, 0, 0, 0};
        f.Extensions.push_back(e);
        gce = f.Extensions.end() - 1;
    }
    if (gce != f.Extensions.end()) {
        std::vector<uint8_t>& h = gce->Header;
        const unsigned delay = f.AnimateInterval / 10;
        h[2] = uint8_t(delay);
        h[3] = uint8_t(delay >> 8);
        const int index = f.TransparentColor == sv::clNone ? -1 : f.Item->ColorTable.find(f.TransparentColor);
        if (index >= 0) {
            h[4] = uint8_t(index);
            h[1] |= 1;
        } else {
            h[1] &= uint8_t(~1);
        }
        h[1] = uint8_t((h[1] & ~0x1C) | ((f.DisposalMethod & 7) << 2));
    }
    f.Extensions.erase(std::remove_if(f.Extensions.begin(), f.Extensions.end(),
                                      [](const TExtension& e) { return e.ExtType == etComment && e.Strings.empty(); }),
                       f.Extensions.end());
    if (!f.Extensions.empty()) Version = 2;
}

void TGIFImage::EncodeFrames(bool decodeBack) {
    for (auto& f : frames_) {
        if (!f->Item->ImageData.empty()) continue;
        try {
            encodeFrame(*f);
        } catch (...) {
            f->Item = std::make_shared<TGIFItem>();
            throw;
        }
        if (decodeBack && f->bitmap_.bits == 24) {
            f->dropBitmap();
            try {
                f->Bitmap();
            } catch (const EInvalidGraphicOperation&) {
            }
        }
    }
    for (auto& f : frames_) prepareGraphicControl(*f);
}

std::vector<uint8_t> TGIFImage::WriteGIF(bool withLength) {
    if (frames_.empty()) throw EInvalidGraphicOperation(kNoData);
    EncodeFrames(false);
    if (!Data->Comment.empty()) Version = 2;

    std::vector<uint8_t> out;
    const char* version = Version == 2 ? "GIF89a" : "GIF87a";
    out.insert(out.end(), version, version + 6);
    int w = 0, h = 0;
    for (const auto& f : frames_) {
        w = std::max(w, f->OriginX + f->Width());
        h = std::max(h, f->OriginY + f->Height());
    }
    put16(out, unsigned(w));
    put16(out, unsigned(h));
    const GIFColorTable& global = Data->ColorTable;
    if (global.Count > 0) {
        const int c = bitsCovering(global.Count);
        out.push_back(uint8_t(0x80 + ((c - 1) << 4) + (Data->BitsPerPixel - 1)));
    } else {
        out.push_back(0);
    }
    out.push_back(uint8_t(std::max(0, global.find(BackgroundColor))));
    out.push_back(Data->AspectRatio);
    putColorTable(out, global);

    if (Looping && Count() > 1) {
        const uint8_t loop[] = {'!', 0xFF, 11, 'N', 'E', 'T', 'S', 'C', 'A', 'P', 'E', '2', '.', '0', 3, 1};
        out.insert(out.end(), std::begin(loop), std::end(loop));
        put16(out, RepeatCount);
        out.push_back(0);
    }

    for (const auto& f : frames_) {
        for (const TExtension& e : f->Extensions) {
            out.push_back('!');
            switch (e.ExtType) {
            case etGraphic:
                out.push_back(0xF9);
                out.insert(out.end(), e.Header.begin(), e.Header.begin() + 6);
                break;
            case etPlainText:
                out.push_back(0x01);
                out.insert(out.end(), e.Header.begin(), e.Header.begin() + 13);
                putSubBlocks(out, e.Strings);
                break;
            case etApplication:
                out.push_back(0xFF);
                out.insert(out.end(), e.Header.begin(), e.Header.begin() + 12);
                putSubBlocks(out, e.Strings);
                break;
            case etComment:
                out.push_back(0xFE);
                putSubBlocks(out, e.Strings);
                break;
            }
        }
        out.push_back(',');
        put16(out, unsigned(f->OriginX));
        put16(out, unsigned(f->OriginY));
        put16(out, unsigned(f->Width()));
        put16(out, unsigned(f->Height()));
        uint8_t flags = 0;
        if (f->LocalColors) flags = uint8_t(0x80 + (bitsCovering(f->Item->ColorTable.Count) - 1));
        if (f->Interlaced) flags |= 0x40;
        out.push_back(flags);
        if (f->LocalColors) putColorTable(out, f->Item->ColorTable);
        out.insert(out.end(), f->Item->ImageData.begin(), f->Item->ImageData.end());
    }
    if (!Data->Comment.empty()) {
        out.push_back('!');
        out.push_back(0xFE);
        putSubBlocks(out, Data->Comment);
    }
    out.push_back(';');

    if (withLength) {
        std::vector<uint8_t> framed;
        const uint32_t n = uint32_t(out.size());
        for (int i = 0; i < 4; ++i) framed.push_back(uint8_t(n >> (8 * i)));
        framed.insert(framed.end(), out.begin(), out.end());
        return framed;
    }
    return out;
}

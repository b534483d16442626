#include "components/AniFile.h"

#include <QBuffer>
#include <QImageReader>
#include <QPainter>
#include <QPixmap>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>
#include <unordered_map>

#include "components/IcoList.h"
#include "components/RxGraph.h"
#include "components/VCLUtils.h"
#include "platform/files.h"
#include "platform/little_endian.h"

namespace {

bool isId(const uint8_t* p, const char* id) { return std::memcmp(p, id, 4) == 0; }

int colorsOfBits(unsigned bits) {
    switch (bits) {
    case 1: return 2;
    case 4: return 16;
    case 8: return 256;
    default: return 0;
    }
}

// The largest picture an icon directory entry can describe.
constexpr uint32_t kIconSide = 256;

// The most pixels one file may decode, and the most its steps may show
// together (what a strip or a GIF made of it draws): 32 MB of pictures,
// room for 128 steps of 256 x 256 icons or thousands of 32 x 32 ones, well
// beyond what real cursors hold. A small file gets less: 64 pixels for
// each of its bytes.
constexpr uint64_t kMostPixels = uint64_t(8) << 20;

// The pixels the icon reader makes of directory entry e: the entry's own
// size for a bitmap (0 meaning 256), the picture's header for a PNG image,
// which may claim any size; 0 for a PNG larger than an icon can be.
uint64_t entryPixels(const uint8_t* body, size_t n, const uint8_t* e) {
    static const uint8_t png[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    const uint32_t offset = sv::getU32(e + 12);
    if (offset <= n && n - offset >= 24 && std::memcmp(body + offset, png, 8) == 0) {
        auto be32 = [](const uint8_t* p) { return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3]; };
        const uint32_t w = be32(body + offset + 16), h = be32(body + offset + 20);
        return w > kIconSide || h > kIconSide ? 0 : uint64_t(w) * h;
    }
    return uint64_t(e[0] ? e[0] : kIconSide) * (e[1] ? e[1] : kIconSide);
}

// One "icon" sub-chunk: an icon or cursor file. False when it holds no
// icon (another directory type, a directory or image header that does not
// fit the chunk, or pictures the icon reader refuses).
// pixelBudget is what the whole file may still decode: a directory's
// entries may all point at one picture, and a small PNG image may claim a
// huge one, so the pictures are counted before they are decoded; those
// beyond the budget are left out. Each picture is held once: the icon's
// pixmap takes the decoded pixels over and the frame's image shares them.
bool loadIconChunk(const uint8_t* body, size_t n, TIconFrame& frame, int& sourceColors, uint64_t& pixelBudget) {
    if (n < 6) return false;
    const unsigned type = sv::getU16(body + 2);
    const unsigned count = sv::getU16(body + 4);
    if (type != 1 && type != 2) return false;
    if (count == 0 || size_t(count) * 16 > n - 6) return false;
    for (unsigned i = 0; i < count; ++i) {
        const uint8_t* e = body + 6 + size_t(i) * 16;
        const uint32_t offset = sv::getU32(e + 12);
        // A bitmap header starts with its own size; a PNG entry has none and
        // counts as another depth.
        if (offset <= n && n - offset >= 16 && sv::getU32(body + offset) >= 16)
            sourceColors = std::max(sourceColors, colorsOfBits(sv::getU16(body + offset + 14)));
        if (i == 0) {
            frame.HotSpotX = sv::getU16(e + 4);
            frame.HotSpotY = sv::getU16(e + 6);
        }
    }
    // Qt's icon reader takes cursors as well once the type reads "icon",
    // which is how a cursor frame is meant to be loaded here.
    QByteArray bytes(reinterpret_cast<const char*>(body), qsizetype(n));
    bytes[2] = 1;
    bytes[3] = 0;
    QBuffer buf(&bytes);
    buf.open(QIODevice::ReadOnly);
    QImageReader reader(&buf, "ico");
    QIcon icon;
    QImage first;
    for (unsigned i = 0; i < count; ++i) {
        if (i > 0 && !reader.jumpToNextImage()) break;
        const uint64_t pixels = entryPixels(body, n, body + 6 + size_t(i) * 16);
        if (pixels == 0 || pixels > pixelBudget) break;
        pixelBudget -= pixels;
        QImage img = reader.read();
        if (img.isNull()) break;
        const QPixmap pixmap = QPixmap::fromImage(std::move(img));
        if (first.isNull()) first = pixmap.toImage();
        icon.addPixmap(pixmap);
    }
    if (first.isNull()) return false;
    frame.Icon = icon;
    frame.Image = first;
    frame.IsIcon = type == 1;
    if (frame.IsIcon) {
        frame.HotSpotX = first.width() / 2;
        frame.HotSpotY = first.height() / 2;
    }
    return true;
}

std::string infoText(const uint8_t* p, size_t n) {
    n = std::min<size_t>(n, 255);
    const void* zero = std::memchr(p, 0, n);
    if (zero) n = size_t(static_cast<const uint8_t*>(zero) - p);
    return std::string(reinterpret_cast<const char*>(p), n);
}

} // namespace

void TAnimatedCursorImage::Clear() {
    Header = TAniHeader();
    Title.clear();
    Author.clear();
    SourceColors = 0;
    frames_.clear();
}

void TAnimatedCursorImage::ReadAni(const uint8_t* data, size_t size) {
    if (!data || size < 12 || !isId(data, "RIFF") || !isId(data + 8, "ACON")) throw EReadError();
    Clear();
    try {
        parse(data, size);
    } catch (...) {
        Clear();
        throw;
    }
}

namespace {

// A step of the animation while the file is read. Steps are many (a
// header may declare one for every four bytes of the file) and most are
// never touched, so a step holds only what the chunks said about it; an
// untouched step shows the icon of its own number at the header's rate.
struct StepState {
    uint32_t rate = 0;
    int32_t iconIndex = 0;
    int32_t icon = -1;       // index into the icons loaded, -1 for none
    bool rateSet = false;
    bool seqSet = false;
};

} // namespace

// Every chunk is checked against the bytes that remain before its body is
// touched: a size that runs past the end is damage, refused, never read.
//
// The work is kept proportional to the file's size: a header may declare a
// step for every four bytes and the "fram" list may hold an icon for every
// few dozen, so an icon finds the steps that show it through an index (its
// own number, or the steps whose "seq " value names it), never by a pass
// over every step; and a later "anih" resets only the steps that the chunks
// before it touched.
void TAnimatedCursorImage::parse(const uint8_t* data, size_t size) {
    size_t pos = 12;
    size_t rateStep = 0, seqStep = 0;
    int iconsLoaded = 0;
    std::vector<StepState> steps;      // grows only; entries past stepCount are untouched
    size_t stepCount = 0;              // the steps of the latest "anih", then the extra icons
    std::vector<uint32_t> touched;     // steps written since the latest "anih"
    std::vector<TIconFrame> icons;     // the icons loaded since the latest "anih"
    // Steps whose "seq " value names an icon not loaded yet, by that value.
    // Every icon takes a chunk of its own (header, directory, one entry at
    // least), so a value past what the file could hold names none and is
    // not kept.
    std::unordered_map<int32_t, std::vector<uint32_t>> waiting;
    const size_t mostIcons = size / (8 + 6 + 16);
    // The pictures decoded stay proportional to the file (room for one of
    // the largest icons, and 64 pixels for every byte) and never pass
    // kMostPixels.
    uint64_t pixelBudget = std::min(uint64_t(kIconSide) * kIconSide + uint64_t(size) * 64, kMostPixels);
    auto touch = [&](size_t s) -> StepState& {
        touched.push_back(uint32_t(s));
        return steps[s];
    };
    while (size - pos >= 8) {
        const uint8_t* id = data + pos;
        const uint32_t len = sv::getU32(data + pos + 4);
        pos += 8;
        if (len > size - pos) throw EReadError();
        const uint8_t* body = data + pos;
        if (isId(id, "anih")) {
            uint32_t fields[9] = {};
            for (size_t i = 0; i < 9 && (i + 1) * 4 <= len; ++i) fields[i] = sv::getU32(body + i * 4);
            Header = TAniHeader{fields[0], fields[1], fields[2], fields[3], fields[4],
                                fields[5], fields[6], fields[7], fields[8]};
            if (!(Header.Flags & 1) || Header.StepCount == 0) throw EReadError();
            // One frame per step: the steps may show one icon several times
            // (the "seq " chunk says which), so there can be more steps than
            // icons. Every icon needs a chunk of its own and a step beyond the
            // icons a sequence value of its own: a count beyond what the file
            // could hold is damage, not a reason to allocate.
            if (Header.FrameCount > size / 8 || Header.StepCount > size / 4) throw EReadError();
            for (uint32_t s : touched) steps[s] = StepState();
            touched.clear();
            icons.clear();
            waiting.clear();
            if (steps.size() < Header.StepCount) steps.resize(Header.StepCount);
            stepCount = Header.StepCount;
        } else if (isId(id, "rate") || isId(id, "seq ")) {
            // One value per step, in step order; a file may spread them over
            // several chunks.
            const bool rate = isId(id, "rate");
            size_t& step = rate ? rateStep : seqStep;
            for (size_t k = 0; k + 4 <= len; k += 4, ++step) {
                if (step >= stepCount) continue;
                const uint32_t v = sv::getU32(body + k);
                StepState& st = touch(step);
                if (rate) {
                    st.rate = v;
                    st.rateSet = true;
                } else {
                    st.iconIndex = int32_t(std::min<uint32_t>(v, INT32_MAX));
                    st.seqSet = true;
                    // An icon already loaded is never given out again.
                    if (st.iconIndex >= iconsLoaded && size_t(st.iconIndex) < mostIcons)
                        waiting[st.iconIndex].push_back(uint32_t(step));
                }
            }
        } else if (isId(id, "LIST") && len >= 4 && isId(body, "fram")) {
            size_t p = 4;
            while (len - p > 7) {
                const uint8_t* sub = body + p;
                const uint32_t subLen = sv::getU32(sub + 4);
                if (subLen > len - p - 8) throw EReadError();
                if (isId(sub, "icon")) {
                    TIconFrame icon;
                    if (!loadIconChunk(sub + 8, subLen, icon, SourceColors, pixelBudget)) break;
                    std::memcpy(icon.ChunkId.data(), sub, 4);
                    icon.ChunkSize = subLen;
                    const int32_t slot = int32_t(icons.size());
                    icons.push_back(std::move(icon));
                    bool used = false;
                    // The step of the icon's own number, unless a sequence
                    // value gave it another icon.
                    const size_t own = size_t(iconsLoaded);
                    if (own < stepCount && !steps[own].seqSet) {
                        touch(own).icon = slot;
                        used = true;
                    }
                    if (auto w = waiting.find(iconsLoaded); w != waiting.end()) {
                        for (uint32_t s : w->second) {
                            if (s >= stepCount || !steps[s].seqSet || steps[s].iconIndex != iconsLoaded) continue;
                            touch(s).icon = slot;
                            used = true;
                        }
                        waiting.erase(w);
                    }
                    if (!used) {
                        // An icon no step shows gets a step of its own.
                        if (steps.size() == stepCount) steps.emplace_back();
                        StepState& extra = touch(stepCount++);
                        extra.iconIndex = -1;
                        extra.seqSet = true;
                        extra.icon = slot;
                    }
                    ++iconsLoaded;
                }
                p += 8 + size_t(subLen) + (subLen & 1);
                if (p > len) break;
            }
        } else if (isId(id, "LIST") && len >= 4 && isId(body, "INFO")) {
            size_t p = 4;
            while (len - p > 7) {
                const uint8_t* sub = body + p;
                const uint32_t subLen = sv::getU32(sub + 4);
                if (subLen > len - p - 8) break;
                if (isId(sub, "INAM")) Title = infoText(sub + 8, subLen);
                else if (isId(sub, "IART")) Author = infoText(sub + 8, subLen);
                p += 8 + size_t(subLen) + (subLen & 1);
                if (p > len) break;
            }
        }
        pos += len;
        if ((len & 1) && pos < size) ++pos;
    }
    // Steps without an icon go, and so do those past kMostPixels shown:
    // steps may show one icon many times, and whoever draws them pays for
    // every one (a GIF a frame each, a strip the first step's size each).
    size_t end = 0, kept = 0;
    uint64_t shown = 0, firstPixels = 0;
    for (; end < stepCount; ++end) {
        if (steps[end].icon < 0) continue;
        const QImage& img = icons[size_t(steps[end].icon)].Image;
        const uint64_t pixels = uint64_t(img.width()) * uint64_t(img.height());
        if (kept == 0) firstPixels = pixels;
        shown += std::max(pixels, firstPixels);
        if (shown > kMostPixels) break;
        ++kept;
    }
    frames_.reserve(kept);
    for (size_t s = 0; s < end; ++s) {
        const StepState& st = steps[s];
        if (st.icon < 0) continue;
        TIconFrame f = icons[size_t(st.icon)];
        f.IconIndex = st.seqSet ? st.iconIndex : int(s);
        f.JiffRate = st.rateSet ? st.rate : Header.DefaultRate;
        frames_.push_back(std::move(f));
    }
    Header.StepCount = uint32_t(frames_.size());
    if (frames_.empty()) throw EReadError();
}

void TAnimatedCursorImage::LoadFromFile(const std::string& name) {
    std::ifstream in(name, std::ios::binary);
    if (!in) throw sv::FileIOError("Cannot open file \"" + name + "\". " + std::strerror(errno), errno);
    const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) {
        Clear();
        throw sv::FileIOError("Read error on \"" + name + "\"", EIO);
    }
    try {
        LoadFromStream(bytes);
    } catch (...) {
        Clear();
        throw;
    }
}

void TAnimatedCursorImage::SaveToStream(std::vector<uint8_t>&) const { sv::RaiseNotImplemented(); }

void TAnimatedCursorImage::MakeStrip(sv::Dib& target, sv::TColor background, bool vertical, bool reduceColors) const {
    if (frames_.empty()) return;
    const QSize one = frames_[0].Image.size();
    const int n = Count();
    sv::Dib bmp;
    {
        // Gone before the colours are reduced: a long strip is the largest
        // picture a cursor makes.
        QImage strip(vertical ? one.width() : one.width() * n, vertical ? one.height() * n : one.height(),
                     QImage::Format_RGB32);
        strip.fill(QColor(sv::redOf(background), sv::greenOf(background), sv::blueOf(background)));
        {
            QPainter p(&strip);
            for (int i = 0; i < n; ++i) {
                const QImage& img = frames_[size_t(i)].Image;
                p.drawImage(vertical ? QPoint(0, i * img.height()) : QPoint(i * img.width(), 0), img);
            }
        }
        bmp = sv::imageToDib(strip);
    }
    if (reduceColors) bmp = sv::BitmapToColorCount(bmp, std::max(SourceColors, 16));
    target = bmp;
}

void TAnimatedCursorImage::Assign(const TAnimatedCursorImage& source) {
    if (&source == this) return;
    try {
        Header = source.Header;
        Title = source.Title;
        Author = source.Author;
        SourceColors = source.SourceColors;
        frames_ = source.frames_;
    } catch (...) {
        Clear();
        throw;
    }
}

void TAnimatedCursorImage::AssignTo(QIcon& icon) const {
    if (!frames_.empty()) icon = frames_[0].Icon;
}

void TAnimatedCursorImage::AssignTo(sv::Dib& bitmap, sv::TColor brush) const {
    if (!frames_.empty()) MakeStrip(bitmap, brush, false, true);
}

void TAnimatedCursorImage::AssignTo(TIconList& list) const {
    list.BeginUpdate();
    try {
        list.Clear();
        for (const TIconFrame& f : frames_) list.Add(f.Icon);
    } catch (...) {
        list.EndUpdate();
        throw;
    }
    list.EndUpdate();
}

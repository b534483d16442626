#include "sound/engine/undo_store.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/exedir.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "platform/settings.h"

namespace sv {

const char* const kUndoCaption = "&Undo";
const char* const kUndoDisabledCaption = "&Undo DISABLED";

namespace {

std::atomic<uint32_t> g_nextSerial{1};

bool allDigits(const std::string& s, size_t from, size_t to) {
    return to > from && std::all_of(s.begin() + from, s.begin() + to, [](char c) { return c >= '0' && c <= '9'; });
}

// The process that wrote an undo file "~<base>-<pid>-<serial>-<n>.tmp"
// (the base name may hold dashes itself); 0 for any other name.
long undoFileProcess(const std::string& name) {
    static const std::string ext = ".tmp";
    if (name.size() < 1 + ext.size() || name[0] != '~' || name.compare(name.size() - ext.size(), ext.size(), ext) != 0)
        return 0;
    size_t end = name.size() - ext.size();
    size_t dash = 0;
    for (int field = 0; field < 3; ++field) {   // number, serial, then pid, read from the right
        dash = name.rfind('-', end - 1);
        if (dash == std::string::npos || dash == 0 || !allDigits(name, dash + 1, end)) return 0;
        if (field < 2) end = dash;
    }
    return end - dash - 1 <= 9 ? std::stol(name.substr(dash + 1, end - dash - 1)) : 0;
}

void putI32(uint8_t* p, int32_t v) { putU32(p, static_cast<uint32_t>(v)); }
int32_t getI32(const uint8_t* p) { return static_cast<int32_t>(getU32(p)); }

FileIOError ioError(const std::string& what, const std::string& path) {
    const int e = errno ? errno : EIO;
    return FileIOError("I/O error " + what + " " + path + ": " + std::strerror(e), e);
}

// The step's file is still the one under its name: a file removed or
// replaced behind the program's back is no step any more.
bool stillNamed(const std::string& path, int fd, struct stat& st) {
    struct stat named;
    return ::fstat(fd, &st) == 0 && ::lstat(path.c_str(), &named) == 0 && named.st_dev == st.st_dev &&
           named.st_ino == st.st_ino;
}

} // namespace

void UndoFileHeader::toBytes(uint8_t out[kBytes]) const {
    std::memset(out, 0, kBytes);
    putI32(out + 0, start);
    putI32(out + 4, oldLength);
    putI32(out + 8, newLength);
    const size_t n = std::min(previousDescription.size(), size_t(kDescriptionBytes - 1));
    std::memcpy(out + 12, previousDescription.data(), n);
    format.toBytes(out + 72);
    out[90] = whole ? 1 : 0;
}

UndoFileHeader UndoFileHeader::fromBytes(const uint8_t in[kBytes]) {
    UndoFileHeader h;
    h.start = getI32(in + 0);
    h.oldLength = getI32(in + 4);
    h.newLength = getI32(in + 8);
    const char* d = reinterpret_cast<const char*>(in + 12);
    h.previousDescription.assign(d, strnlen(d, kDescriptionBytes));
    h.format = SampleFormat::fromBytes(in + 72);
    h.whole = in[90] != 0;
    return h;
}

bool UndoFileHeader::recognise(int fd, int64_t size) {
    uint8_t in[kBytes];
    if (size < kBytes || !readFullyAt(fd, 0, in, kBytes)) return false;
    if (!std::memchr(in + 12, 0, kDescriptionBytes) || in[90] > 1) return false;
    const UndoFileHeader h = fromBytes(in);
    if (h.start < 0 || h.oldLength < 0 || h.newLength < 0 || (h.whole && h.start != 0)) return false;
    if (!h.format.hasFrameLayout() || h.format.nSamplesPerSec == 0) return false;
    return size <= kBytes + int64_t(h.oldLength) * h.format.nBlockAlign;
}

UndoStore::UndoStore(std::string folder, std::string baseName)
    : serial_(g_nextSerial.fetch_add(1)), caption_(kUndoCaption) {
    relocate(std::move(folder), std::move(baseName));
}

UndoStore::~UndoStore() { dropAll(); }

std::string UndoStore::folderFor(bool isNew, const std::string& fileName) {
    const std::string dir = extractFilePath(fileName);
    // A name without a folder (a combined sound) would otherwise put its
    // steps in whatever the working folder happens to be.
    if (isNew || dir.empty()) return exeDir();
    return dir;
}

std::string UndoStore::baseNameFor(const std::string& fileName) {
    return nameWithoutExt(extractFileName(fileName));
}

void UndoStore::relocate(std::string folder, std::string baseName) {
    dropAll();
    folder_ = std::move(folder);
    if (!folder_.empty() && folder_.back() != '/') folder_ += '/';
    baseName_ = std::move(baseName);
    removeStaleFiles(folder_);
    stem_ = "~" + baseName_ + "-" + std::to_string(::getpid()) + "-" + std::to_string(serial_) + "-";
}

void UndoStore::removeStaleFiles(const std::string& folder) {
    removeLeftoversOfEndedProcesses(folder, undoFileProcess, UndoFileHeader::recognise);
}

int UndoStore::levelsFromSettings(const IniFile& ini) {
    return ini.ReadInteger("Options", "UndoLevels", 10, 1, kMostLevels);
}

bool UndoStore::disabledFromSettings(const IniFile& ini) { return ini.ReadYesNo(kDisableUndo); }

std::string UndoStore::pathFor(int32_t n) const { return folder_ + stem_ + std::to_string(n) + ".tmp"; }

const std::string& UndoStore::newestPath() const {
    static const std::string none;
    return steps_.empty() ? none : steps_.back().path;
}

bool UndoStore::guardar_deshacer(const std::string& description, int64_t frames, bool wholeSound,
                                 const SoundBuffer& sound) {
    lastSaveWrote_ = false;
    if (disabled_) return false;

    const int64_t total = sound.frameCount();
    UndoFileHeader h;
    int64_t start = wholeSound ? 0 : sound.selectionStart;
    int64_t length = wholeSound ? total : frames;
    if (start < 0) start = 0;
    if (start > total) start = total;
    if (length < 0) length = 0;
    if (length > total - start) length = total - start;
    // The file keeps 32-bit frame numbers.
    if (start + length > INT32_MAX)
        throw FileIOError("The sound is too long for an undo step", EFBIG);
    h.start = static_cast<int32_t>(start);
    h.oldLength = static_cast<int32_t>(length);
    h.newLength = h.oldLength;
    h.previousDescription = description_;
    h.format = sound.format;
    h.whole = wholeSound;

    // The file is complete before the history changes: a failed write
    // leaves counter, list, words and caption as they were.
    const int32_t number = counter_ + 1;
    Step step;
    step.path = pathFor(number);
    step.fd = createOwnFile(step.path, 0600, UndoFileHeader::recognise);
    if (step.fd < 0) throw ioError("creating", step.path);
    uint8_t head[UndoFileHeader::kBytes];
    h.toBytes(head);
    const size_t bytes = static_cast<size_t>(length) * sound.format.nBlockAlign;
    bool ok = writeFullyAt(step.fd, 0, head, sizeof head);
    if (ok && bytes) ok = writeFullyAt(step.fd, sizeof head, sound.frame(start), bytes);
    if (!ok) {
        const int e = errno;
        drop(step);
        errno = e ? e : EIO;
        throw ioError("writing", step.path);
    }

    captionBefore_ = caption_;
    descriptionBefore_ = description_;
    counter_ = number;
    steps_.push_back(std::move(step));
    description_ = description.substr(0, UndoFileHeader::kDescriptionBytes - 1);
    caption_ = std::string(kUndoCaption) + " " + description;
    while (static_cast<int64_t>(steps_.size()) > levels_) {
        drop(steps_.front());
        steps_.pop_front();
    }
    lastSaveWrote_ = true;
    lastSavedLength_ = length;
    return true;
}

void UndoStore::completar_guardar_deshacer(int64_t newLength) {
    // The file already says so: nothing to write, nothing that can fail.
    if (!lastSaveWrote_ || steps_.empty() || newLength == lastSavedLength_) return;
    Step& step = steps_.back();
    bool ok = false;
    errno = EFBIG;
    // The file keeps 32-bit frame counts; a wrapped one would splice frames.
    if (newLength >= 0 && newLength <= INT32_MAX) {
        uint8_t v[4];
        putI32(v, static_cast<int32_t>(newLength));
        struct stat st;
        errno = ENOENT;
        ok = stillNamed(step.path, step.fd, st) && writeFullyAt(step.fd, UndoFileHeader::kNewLengthOffset, v, 4);
    }
    if (!ok) {
        // Its stored length no longer matches the sound: undoing it would
        // splice the wrong frames.
        const int e = errno;
        const std::string path = step.path;
        drop(step);
        steps_.pop_back();
        counter_ = steps_.empty() ? 0 : counter_ - 1;
        caption_ = captionBefore_;
        description_ = descriptionBefore_;
        lastSaveWrote_ = false;
        errno = e;
        throw ioError("writing", path);
    }
}

UndoOutcome UndoStore::deshacer(SoundBuffer& sound) {
    UndoOutcome out;
    lastSaveWrote_ = false;
    if (steps_.empty()) {
        counter_ = 0;
        return out;
    }
    const Step& step = steps_.back();
    const std::string& path = step.path;

    // Anything that does not describe a stretch of this sound is treated as
    // a missing step: the history is dropped, the sound is left alone.
    struct stat st;
    uint8_t head[UndoFileHeader::kBytes];
    if (!stillNamed(path, step.fd, st) || st.st_size < UndoFileHeader::kBytes ||
        !readFullyAt(step.fd, 0, head, sizeof head)) {
        dropAll();
        caption_ = kUndoCaption;
        return out;
    }
    const UndoFileHeader h = UndoFileHeader::fromBytes(head);
    const int64_t storedAlign = h.format.nBlockAlign;
    const int64_t align = sound.format.nBlockAlign;
    const int64_t frames = sound.frameCount();
    bool fits = storedAlign > 0 && h.start >= 0 && h.oldLength >= 0 && h.newLength >= 0 &&
                st.st_size == UndoFileHeader::kBytes + int64_t(h.oldLength) * storedAlign;
    // A whole step gives the sound its stored format: only a layout a sound
    // can have, or every later operation would read by a wrong frame size.
    if (fits && h.whole) fits = h.format.hasFrameLayout() && h.format.nSamplesPerSec > 0;
    if (fits && !h.whole) {
        fits = align > 0 && int64_t(h.start) + h.newLength <= frames &&
               (h.oldLength == 0 || storedAlign == align);
    }
    if (!fits) {
        dropAll();
        caption_ = kUndoCaption;
        return out;
    }

    const int64_t s = h.start, o = h.oldLength, n = h.newLength;
    if (h.whole) {
        ByteBlock block(static_cast<size_t>(o * storedAlign));
        if (!readLongAt(step.fd, UndoFileHeader::kBytes, block.data(), block.size())) throw ioError("reading", path);
        sound.bytes = std::move(block);
        sound.format = h.format;
        out.whole = true;
        out.lengthChanged = o != frames;
    } else if (n == 0 && o == 0) {
        // A step that saved nothing and replaced nothing.
    } else if (n == 0) {
        // Undo of a cut or delete: open a hole and read the frames straight
        // into it; a read error closes the hole again.
        const size_t oldSize = sound.bytes.size();
        const size_t tail = static_cast<size_t>((frames - s) * align);
        sound.bytes.resize(oldSize + static_cast<size_t>(o * align));
        uint8_t* at = sound.frame(s);
        std::memmove(at + o * align, at, tail);
        if (!readLongAt(step.fd, UndoFileHeader::kBytes, at, static_cast<size_t>(o * align))) {
            const int e = errno;
            std::memmove(at, at + o * align, tail);
            sound.bytes.resize(oldSize);
            errno = e;
            throw ioError("reading", path);
        }
        out.lengthChanged = o != 0;
    } else {
        // The current stretch is only overwritten once every saved byte is in.
        ByteBlock saved(static_cast<size_t>(o * align));
        if (!readLongAt(step.fd, UndoFileHeader::kBytes, saved.data(), saved.size())) throw ioError("reading", path);
        const size_t tail = static_cast<size_t>((frames - s - n) * align);
        if (o > n) {
            sound.bytes.resize(sound.bytes.size() + static_cast<size_t>((o - n) * align));
            std::memmove(sound.frame(s + o), sound.frame(s + n), tail);
        } else if (o < n) {
            std::memmove(sound.frame(s + o), sound.frame(s + n), tail);
            sound.bytes.resize(sound.bytes.size() - static_cast<size_t>((n - o) * align));
        }
        if (o) std::memcpy(sound.frame(s), saved.data(), saved.size());
        out.lengthChanged = o != n;
    }
    sound.setSelection(s, o);
    drop(steps_.back());
    steps_.pop_back();
    counter_ = steps_.empty() ? 0 : counter_ - 1;
    caption_ = std::string(kUndoCaption) + " " + h.previousDescription;
    out.restored = true;
    return out;
}

void UndoStore::Borrar_Deshacer() {
    dropAll();
}

void UndoStore::drop(Step& step) {
    // Removed while still locked, so no cleanup ever sees it unheld.
    ::unlink(step.path.c_str());
    if (step.fd >= 0) ::close(step.fd);
    step.fd = -1;
}

void UndoStore::dropAll() {
    for (Step& step : steps_) drop(step);
    steps_.clear();
    counter_ = 0;
    lastSaveWrote_ = false;
}

OperationContext UndoStore::context(const SoundBuffer& sound) {
    OperationContext ctx;
    const SoundBuffer* s = &sound;
    ctx.saveUndo = [this, s](const std::string& words, int64_t length, bool whole) {
        guardar_deshacer(words, length, whole, *s);
        return true;
    };
    ctx.completeUndo = [this](int64_t newLength) { completar_guardar_deshacer(newLength); };
    return ctx;
}

} // namespace sv

#include "mainwindow/selection_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

#include "platform/files.h"
#include "sound/engine/sample_format.h"

namespace sv {

void writeSelectionFile(const std::string& path, const SelectionRecord& r) {
    uint8_t bytes[kSelectionFileSize];
    putU32(bytes + 0, uint32_t(r.start));
    putU32(bytes + 4, uint32_t(r.length));
    putU32(bytes + 8, uint32_t(r.zoom));
    SafeFileWriter out;
    if (int err = out.open(path))
        throw FileIOError("I/O error creating " + path + ": " + std::strerror(err), err);
    out.write(bytes, sizeof bytes);
    out.commit();
}

SelectionRecord readSelectionFile(const std::string& path) {
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> f(std::fopen(path.c_str(), "rb"), &std::fclose);
    if (!f) {
        const int err = errno;
        throw FileIOError("I/O error opening " + path + ": " + std::strerror(err), err);
    }
    uint8_t bytes[8];
    if (std::fread(bytes, 1, sizeof bytes, f.get()) != sizeof bytes)
        throw FileIOError("I/O error reading " + path + ": the file is too short", EIO);
    SelectionRecord r;
    r.start = int32_t(getU32(bytes + 0));
    r.length = int32_t(getU32(bytes + 4));
    return r;
}

void clampStoredSelection(int64_t soundLength, int64_t& start, int64_t& length) {
    if (soundLength < 0) soundLength = 0;
    if (start < 0) start = 0;
    if (length < 0) length = 0;
    if (soundLength < start) {
        start = soundLength;
        length = 0;
    }
    if (soundLength < start + length) length = soundLength - start;
}

} // namespace sv

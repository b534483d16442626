#include "sound/engine/clipboard_file.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/exedir.h"
#include "platform/files.h"
#include "platform/paths.h"

namespace sv {

const char* const kClipboardFileName = "wavecopy.tmp";
const char* const kPasteFormatQuestion = "The waveforms you are going to paste have different types...continue?";

std::string clipboardPath() { return exeDir() + kClipboardFileName; }

bool clipboardExists(const std::string& path) { return fileExists(path); }

void writeClipboardFile(const std::string& path, const SampleFormat& format, const uint8_t* data, int64_t bytes) {
    SafeFileWriter w;
    if (int e = w.open(path))
        throw FileIOError("Cannot create " + path + ": " + std::strerror(e), e);
    uint8_t head[kSampleFormatBytes];
    format.toBytes(head);
    w.write(head, sizeof head);
    if (bytes > 0) w.write(data, static_cast<size_t>(bytes));
    w.commit();
}

ClipboardFile::ClipboardFile(const std::string& path) : path_(path) {
    fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd_ < 0) {
        const int e = errno;
        throw FileIOError("Cannot open " + path + ": " + std::strerror(e), e);
    }
    struct stat st;
    uint8_t head[kSampleFormatBytes];
    if (::fstat(fd_, &st) != 0 || st.st_size < kSampleFormatBytes ||
        ::pread(fd_, head, sizeof head, 0) != static_cast<ssize_t>(sizeof head)) {
        ::close(fd_);
        fd_ = -1;
        throw FileIOError("I/O error reading " + path, EIO);
    }
    format_ = SampleFormat::fromBytes(head);
    dataBytes_ = st.st_size - kSampleFormatBytes;
    // Frame arithmetic divides by the block align, and an adopted format
    // must be one of the layouts the sample operations know.
    if (!format_.hasFrameLayout()) {
        ::close(fd_);
        fd_ = -1;
        throw FileIOError("The clipboard file " + path + " is damaged", EINVAL);
    }
}

ClipboardFile::~ClipboardFile() {
    if (fd_ >= 0) ::close(fd_);
}

void ClipboardFile::read(int64_t offset, uint8_t* dst, int64_t bytes) const {
    if (offset < 0 || bytes < 0 || offset + bytes > dataBytes_)
        throw FileIOError("I/O error reading " + path_ + ": past the end of the clip", EIO);
    if (!readFullyAt(fd_, kSampleFormatBytes + offset, dst, static_cast<size_t>(bytes))) {
        const int e = errno;
        throw FileIOError("I/O error reading " + path_ + ": " + std::strerror(e), e);
    }
}

ClipFit clipFit(const SoundBuffer& sound, bool isNew, const SampleFormat& clip) {
    if (isNew && sound.bytes.empty()) return ClipFit::Adopt;
    const SampleFormat& f = sound.format;
    if (clip.nChannels != f.nChannels || clip.nSamplesPerSec != f.nSamplesPerSec ||
        clip.wBitsPerSample != f.wBitsPerSample)
        return ClipFit::Differs;
    return ClipFit::Same;
}

} // namespace sv

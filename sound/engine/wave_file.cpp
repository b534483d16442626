#include "sound/engine/wave_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/files.h"

namespace sv {

void WaveFileHeader::build(uint8_t h[kWaveHeaderBytes], const SampleFormat& f, uint32_t dataBytes) {
    std::memcpy(h + 0, "RIFF", 4);
    putU32(h + 4, 36u + dataBytes);
    std::memcpy(h + 8, "WAVE", 4);
    std::memcpy(h + 12, "fmt ", 4);
    putU32(h + 16, 16);
    uint8_t fmt[kSampleFormatBytes];
    f.toBytes(fmt);
    std::memcpy(h + 20, fmt, 16);
    std::memcpy(h + 36, "data", 4);
    putU32(h + 40, dataBytes);
}

int64_t WaveProbe::dataBytes(bool acceptDamaged) const {
    if (!chunked) return available;  // fixed offsets: everything after the header
    if (declaredSize == 0 || declaredSize > available) return available;
    (void)acceptDamaged;
    return declaredSize;
}

bool WaveProbe::sizeDamaged() const { return declaredSize > available; }

bool WaveProbe::fitEditorLayout() {
    if (format.isSupportedPcm()) return true;
    // In 32 bits: both fields come from the file and their int product
    // can overflow.
    format.nBlockAlign = uint16_t(uint32_t(format.nChannels) * format.wBitsPerSample / 8);
    return format.isSupportedPcm();
}

WaveProbe probeWave(const std::string& path, bool checkWritable) {
    WaveProbe pr;
    // Never blocking: a pipe named like a sound must not make the program
    // wait for a writer (it is refused below as no regular file).
    ScopedFd f(checkWritable ? ::open(path.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC) : -1);
    if (f.fd < 0) {
        f.fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        if (f.fd < 0) { pr.openErrno = errno; return pr; }
        pr.readOnly = checkWritable;
    }
    struct stat st;
    if (::fstat(f.fd, &st) != 0 || !S_ISREG(st.st_mode)) { pr.openErrno = EISDIR; return pr; }
    pr.fileSize = st.st_size;

    uint8_t head[12];
    if (pr.fileSize >= 12 && readFullyAt(f.fd, 0, head, 12) && std::memcmp(head, "RIFF", 4) == 0 &&
        std::memcmp(head + 8, "WAVE", 4) == 0) {
        // Walk the chunks; each is padded to an even size.
        int64_t pos = 12;
        bool haveFmt = false;
        uint8_t fmt[kSampleFormatBytes] = {0};
        while (pos + 8 <= pr.fileSize) {
            uint8_t ck[8];
            if (!readFullyAt(f.fd, pos, ck, 8)) break;
            const uint32_t size = getU32(ck + 4);
            if (std::memcmp(ck, "fmt ", 4) == 0 && size >= 16 && pos + 8 + 16 <= pr.fileSize) {
                if (!readFullyAt(f.fd, pos + 8, fmt, 16)) break;
                haveFmt = true;
            } else if (std::memcmp(ck, "data", 4) == 0) {
                if (haveFmt) {
                    pr.chunked = true;
                    pr.format = SampleFormat::fromBytes(fmt);
                    pr.format.cbSize = 0;
                    pr.dataOffset = pos + 8;
                    pr.declaredSize = size;
                    pr.available = pr.fileSize - pr.dataOffset;
                    pr.status = WaveProbe::Status::Ok;
                    return pr;
                }
                break;
            }
            pos += 8 + int64_t(size) + (size & 1);
        }
    }

    // No chunk structure: the fixed positions of the canonical header.
    if (pr.fileSize < kWaveHeaderBytes) {
        // The format tag alone may still be there for the dispatch.
        pr.status = WaveProbe::Status::TooShort;
        uint8_t tag[22];
        if (pr.fileSize >= 22 && readFullyAt(f.fd, 0, tag, 22))
            pr.format.wFormatTag = static_cast<int16_t>(getU16(tag + 20));
        return pr;
    }
    uint8_t h[kWaveHeaderBytes];
    if (!readFullyAt(f.fd, 0, h, kWaveHeaderBytes)) { pr.status = WaveProbe::Status::TooShort; return pr; }
    uint8_t fmt[kSampleFormatBytes] = {0};
    std::memcpy(fmt, h + 20, 16);
    pr.format = SampleFormat::fromBytes(fmt);
    pr.format.cbSize = 0;
    pr.dataOffset = kWaveHeaderBytes;
    pr.declaredSize = getU32(h + 40);
    pr.available = pr.fileSize - kWaveHeaderBytes;
    pr.status = WaveProbe::Status::Ok;
    return pr;
}

void readWaveSamples(const std::string& path, const WaveProbe& probe, int64_t bytes, SoundBuffer& out) {
    const int64_t align = probe.format.nBlockAlign ? probe.format.nBlockAlign : 1;
    if (bytes > probe.available) bytes = probe.available;
    if (bytes < 0) bytes = 0;
    bytes -= bytes % align;
    ScopedFd f(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (f.fd < 0) throw FileIOError("Cannot open " + path + ": " + std::strerror(errno), errno);
    ::posix_fadvise(f.fd, probe.dataOffset, bytes, POSIX_FADV_SEQUENTIAL);
    ByteBlock block(static_cast<size_t>(bytes));
    if (bytes > 0 && !readLongAt(f.fd, probe.dataOffset, block.data(), static_cast<size_t>(bytes)))
        throw FileIOError("I/O error reading " + path, errno);
    out.format = probe.format;
    out.bytes = std::move(block);
    out.selectionStart = 0;
    out.selectionLength = 0;
}

int writeWaveFile(const std::string& path, const SampleFormat& f, const uint8_t* data, int64_t bytes, bool asWav) {
    // A wrapped size would make the file claim a fraction of its samples.
    if (asWav && bytes > WaveFileHeader::kMaxDataBytes) return EFBIG;
    SafeFileWriter w;
    if (int e = w.open(path)) return e;
    if (asWav) {
        uint8_t h[kWaveHeaderBytes];
        WaveFileHeader::build(h, f, static_cast<uint32_t>(bytes));
        w.write(h, sizeof h);
    }
    w.write(data, static_cast<size_t>(bytes));
    w.commit();
    return 0;
}

} // namespace sv

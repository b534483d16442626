#include "sound/engine/formats/format_read.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "platform/files.h"
#include "sound/engine/formats/g711.h"

namespace sv {

namespace {

// Reading goes through a bounded block, so that decoding a long file needs
// no second copy of it.
constexpr int64_t kBlockBytes = int64_t(1) << 20;

void decodeBlock(SampleCoding coding, const uint8_t* in, size_t n, uint8_t* out) {
    switch (coding) {
    case SampleCoding::Plain:
        std::memcpy(out, in, n);
        break;
    case SampleCoding::MuLaw:
        expandG711(in, n, out, true);
        break;
    case SampleCoding::ALaw:
        expandG711(in, n, out, false);
        break;
    case SampleCoding::Signed8:
        // Signed -128..127 around 0 becomes unsigned around 127; -128 has no
        // place below 0 and takes the lowest value instead of wrapping to
        // the top.
        for (size_t i = 0; i < n; ++i) {
            const int v = int(int8_t(in[i])) + 127;
            out[i] = uint8_t(v < 0 ? 0 : v);
        }
        break;
    case SampleCoding::Big16:
        for (size_t i = 0; i + 1 < n; i += 2) {
            out[i] = in[i + 1];
            out[i + 1] = in[i];
        }
        break;
    }
}

bool expands(SampleCoding c) { return c == SampleCoding::MuLaw || c == SampleCoding::ALaw; }

} // namespace

int64_t FormatProbe::memoryBytes() const { return expands(coding) ? 2 * dataBytes : dataBytes; }

FormatProbe damaged(FormatProbe p, std::string problem) {
    p.status = FormatProbe::Status::Damaged;
    p.problem = std::move(problem);
    return p;
}

bool checkChannelsAndRate(FormatProbe& p, uint32_t storedChannels) {
    const unsigned channels = p.format.nChannels;
    if (channels != 1 && channels != 2) {
        p = damaged(p, "The file has " + std::to_string(storedChannels) +
                           " channels: only mono and stereo sounds can be opened.");
        return false;
    }
    if (p.format.nSamplesPerSec == 0) {
        p = damaged(p, "Format seems corrupted.");
        return false;
    }
    return true;
}

void readFormatSamples(const std::string& path, const FormatProbe& probe, SoundBuffer& out) {
    ScopedFd f(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (f.fd < 0) throw FileIOError("Cannot open " + path + ": " + std::strerror(errno), errno);
    const int64_t stored = probe.dataBytes > 0 ? probe.dataBytes : 0;
    const int scale = expands(probe.coding) ? 2 : 1;
    ::posix_fadvise(f.fd, probe.dataOffset, stored, POSIX_FADV_SEQUENTIAL);
    ByteBlock block(static_cast<size_t>(stored * scale));
    std::vector<uint8_t> buffer(size_t(stored < kBlockBytes ? stored : kBlockBytes));
    for (int64_t done = 0; done < stored;) {
        const int64_t n = stored - done < kBlockBytes ? stored - done : kBlockBytes;
        uint8_t* dst = block.data() + done * scale;
        // Plain samples need no block of their own.
        uint8_t* src = probe.coding == SampleCoding::Plain ? dst : buffer.data();
        if (!readFullyAt(f.fd, probe.dataOffset + done, src, size_t(n)))
            throw FileIOError("I/O error reading " + path, errno);
        if (src != dst) decodeBlock(probe.coding, src, size_t(n), dst);
        done += n;
    }
    out.format = probe.format;
    out.bytes = std::move(block);
    out.selectionStart = 0;
    out.selectionLength = 0;
}

bool openForProbe(const std::string& path, ScopedFd& f, FormatProbe& p) {
    f.fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (f.fd < 0) {
        p.openErrno = errno;
        return false;
    }
    struct stat st;
    if (::fstat(f.fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        p.openErrno = EISDIR;
        return false;
    }
    p.status = FormatProbe::Status::Ok;
    p.fileSize = st.st_size;
    return true;
}

} // namespace sv

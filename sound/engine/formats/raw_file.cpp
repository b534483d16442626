#include "sound/engine/formats/raw_file.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/files.h"

namespace sv {

FormatProbe probeRaw(const std::string& path, const SampleFormat& format) {
    FormatProbe p;
    ScopedFd f(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (f.fd < 0) {
        p.openErrno = errno;
        return p;
    }
    struct stat st;
    if (::fstat(f.fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        p.openErrno = EISDIR;
        return p;
    }
    p.status = FormatProbe::Status::Ok;
    p.fileSize = st.st_size;
    p.format = format;
    p.coding = SampleCoding::Plain;
    if (!checkChannelsAndRate(p)) return p;
    if (!p.format.isSupportedPcm()) return damaged(p, "Format seems corrupted.");
    p.dataOffset = 0;
    p.dataBytes = p.fileSize - p.fileSize % p.format.nBlockAlign;
    return p;
}

} // namespace sv

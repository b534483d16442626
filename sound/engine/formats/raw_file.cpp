#include "sound/engine/formats/raw_file.h"

#include <cerrno>
#include <unistd.h>

#include "platform/files.h"

namespace sv {

FormatProbe probeRaw(const std::string& path, const SampleFormat& format) {
    FormatProbe p;
    ScopedFd f;
    if (!openForProbe(path, f, p)) return p;
    p.format = format;
    p.coding = SampleCoding::Plain;
    if (!checkChannelsAndRate(p)) return p;
    if (!p.format.isSupportedPcm()) return damaged(p, "Format seems corrupted.");
    p.dataOffset = 0;
    p.dataBytes = p.fileSize - p.fileSize % p.format.nBlockAlign;
    return p;
}

} // namespace sv

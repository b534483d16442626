#include "sound/engine/formats/snd_file.h"

#include <cerrno>
#include <cstring>
#include <unistd.h>

#include "platform/files.h"

namespace sv {

namespace {
uint32_t getBigU32(const uint8_t* p) {
    return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | uint32_t(p[3]);
}
} // namespace

FormatProbe probeSnd(const std::string& path) {
    FormatProbe p;
    ScopedFd f;
    if (!openForProbe(path, f, p)) return p;
    uint8_t h[kSndHeaderBytes];
    if (p.fileSize < kSndHeaderBytes || !readFullyAt(f.fd, 0, h, sizeof h)) return damaged(p, "Format seems corrupted.");
    if (std::memcmp(h, ".snd", 4) != 0) return damaged(p, "This is not a NeXT/Sun sound file.");

    p.encoding = getBigU32(h + 12);
    int bits = 0;
    switch (p.encoding) {
    case 1: p.coding = SampleCoding::MuLaw; bits = 16; break;
    case 2: p.coding = SampleCoding::Signed8; bits = 8; break;
    case 3: p.coding = SampleCoding::Big16; bits = 16; break;
    default:
        p.status = FormatProbe::Status::Unsupported;
        return p;
    }
    const uint32_t rate = getBigU32(h + 16);
    const uint32_t storedChannels = getBigU32(h + 20);
    const uint16_t channels = uint16_t(storedChannels & 0xFFFF);
    p.format = SampleFormat::pcm(rate, bits, channels);
    if (!checkChannelsAndRate(p, storedChannels)) return p;

    // The samples start where the header says (after its annotation text);
    // an offset that cannot be right is taken as the plain 28-byte header.
    const int64_t offset = getBigU32(h + 4);
    p.dataOffset = (offset >= kSndMinDataOffset && offset <= p.fileSize) ? offset : kSndHeaderBytes;
    // The data size field is not read: writers that stream leave it 0 or
    // unknown, and many state it wrongly; the samples run to the end.
    p.dataBytes = p.fileSize - p.dataOffset;
    // Whole frames of stored samples only.
    const int storedFrameBytes = p.coding == SampleCoding::MuLaw ? channels : p.format.nBlockAlign;
    p.dataBytes -= p.dataBytes % storedFrameBytes;
    return p;
}

} // namespace sv

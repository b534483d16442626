// What the readers of the other formats share: the probe that tells, before
// any sample is read, where the samples are, how they are coded and what
// format the sound will have in memory; and the one loop that reads and
// decodes them into a sound buffer.
#pragma once
#include <cstdint>
#include <string>

#include "platform/files.h"

#include "sound/engine/sample_format.h"
#include "sound/engine/sound_buffer.h"

namespace sv {

// How the stored bytes become the in-memory form.
enum class SampleCoding {
    Plain,     // already in memory form (raw files)
    MuLaw,     // one byte per sample, expanded to 16 bits
    ALaw,
    Signed8,   // 8-bit signed (Sun/NeXT), silence moved to 127
    Big16,     // 16-bit signed big-endian (Sun/NeXT)
};

struct FormatProbe {
    enum class Status { Ok, OpenFailed, Damaged, Unsupported };
    Status status = Status::OpenFailed;
    int openErrno = 0;
    std::string problem;          // Damaged: what the user is told
    SampleFormat format;          // the sound's format in memory (PCM)
    SampleCoding coding = SampleCoding::Plain;
    uint32_t encoding = 0;        // the file's own code for its samples, where it has one
    int64_t fileSize = 0;
    int64_t dataOffset = 0;
    int64_t dataBytes = 0;        // stored bytes to read: whole frames only
    // The data size the file states runs past its end; dataBytes is what
    // there is, to be read only when the user accepts it.
    bool sizeDamaged = false;

    bool ok() const { return status == Status::Ok; }
    // Bytes the samples take in memory.
    int64_t memoryBytes() const;
};

// Opens a file to probe, read only: a regular file. False, with the probe's
// openErrno set, when it cannot be read; otherwise the probe is Ok with the
// file's size and f holds the descriptor.
bool openForProbe(const std::string& path, ScopedFd& f, FormatProbe& p);

// The same probe marked damaged with a message.
FormatProbe damaged(FormatProbe p, std::string problem);

// Checks what every reader needs of a format before frames can be counted:
// one or two channels and a rate. Sets the probe damaged when it fails,
// naming the channel count the file stores (which may be wider than the
// format's field).
bool checkChannelsAndRate(FormatProbe& p, uint32_t storedChannels);
inline bool checkChannelsAndRate(FormatProbe& p) { return checkChannelsAndRate(p, p.format.nChannels); }

// Reads and decodes the probe's samples into `out` (format, bytes; the
// selection is cleared). Throws FileIOError on a read error and
// std::bad_alloc when the sound does not fit in memory.
void readFormatSamples(const std::string& path, const FormatProbe& probe, SoundBuffer& out);

} // namespace sv

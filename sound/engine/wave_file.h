// RIFF WAVE files. Every WAVE file this program writes has the canonical
// 44-byte header: "RIFF", 36 + data size, "WAVE", a 16-byte "fmt " chunk,
// "data", data size, then the samples. Other writers' files are read by
// walking their chunks, since recorders put "LIST", "fact" and other chunks
// before and after the samples.
#pragma once
#include <cstdint>
#include <string>

#include "sound/engine/sample_format.h"
#include "sound/engine/sound_buffer.h"

namespace sv {

constexpr int kWaveHeaderBytes = 44;

struct WaveFileHeader {
    // The most sample bytes a header can state: its RIFF size (36 + data)
    // is a 32-bit count.
    static constexpr int64_t kMaxDataBytes = int64_t(UINT32_MAX) - 36;

    static void build(uint8_t out[kWaveHeaderBytes], const SampleFormat& f, uint32_t dataBytes);
};

// What the header of a WAVE file says, before any sample is read.
struct WaveProbe {
    enum class Status { Ok, OpenFailed, TooShort };
    Status status = Status::OpenFailed;
    int openErrno = 0;
    bool readOnly = false;        // could only be opened for reading
    bool chunked = false;         // a chunk walk found "fmt " and "data"
    SampleFormat format;          // the first 16 bytes of the format, extra size 0
    int64_t fileSize = 0;
    int64_t dataOffset = kWaveHeaderBytes;
    int64_t declaredSize = 0;     // the data size the file states
    int64_t available = 0;        // bytes from dataOffset to the end of the file

    // The bytes to read as samples when the user accepts a damaged size.
    int64_t dataBytes(bool acceptDamaged) const;
    // The declared size runs past the end of the file.
    bool sizeDamaged() const;
    // Whether the samples are of a layout the editor holds (PCM, mono or
    // stereo, 8 or 16 bits). A block alignment that does not match the
    // channels and bits, as some writers store it, is replaced by the one
    // they make.
    bool fitEditorLayout();
};

// Reads what the header says. With checkWritable the file is first opened
// for writing too, so that readOnly tells whether it could be saved back;
// a tool that only reads the file passes false and never asks for write
// access (which read-only media refuse).
WaveProbe probeWave(const std::string& path, bool checkWritable = true);

// Reads `bytes` bytes of samples at probe.dataOffset into the buffer, whole
// frames only. Throws FileIOError on a read error.
void readWaveSamples(const std::string& path, const WaveProbe& probe, int64_t bytes, SoundBuffer& out);

// Writes a WAVE file (asWav) or headerless samples, beside the target and
// renamed over it when complete. Returns 0, or the errno of a failure to
// create the file (EFBIG, before anything is created, for more samples than
// a WAVE header can count); throws FileIOError for an error while writing.
int writeWaveFile(const std::string& path, const SampleFormat& f, const uint8_t* data, int64_t bytes,
                  bool asWav = true);

} // namespace sv

// A WAVE file that receives what the virtual output device plays, so that
// tests, and users without a sound card, can check what was heard. The
// variable SONVELA_AUDIO_CAPTURE names the file; unset or empty, nothing is
// written. Internal to the wave layer.
//
// One stream feeds the file at a time (the first opened while none does).
// Streams of the same format that follow each other are appended, so a
// run of plays and pauses ends up in one file; a stream of another format,
// or a change of the variable, starts the file anew. The header is brought
// up to date after every piece, so the file is a valid WAVE file whenever
// it is read.
#pragma once
#include "platform/audio/wave_types.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace sv::audio {

class CaptureFile {
public:
    ~CaptureFile() { finish(); }

    // Starts or continues the file at `path` for a stream of `format`.
    // False when the file cannot be created (nothing is captured then).
    bool begin(const std::string& path, const WaveFormat& format);
    // Float frames as rendered for the card, in the format given to
    // begin() (same rate and channel count).
    void append(const float* frames, size_t count);
    // Flushes; the file stays ready for a following stream of its format.
    void flush();
    // Closes the file.
    void finish();

    bool open() const { return f_ != nullptr; }
    const std::string& path() const { return path_; }

private:
    void writeHeader();

    std::FILE* f_ = nullptr;
    std::string path_;
    WaveFormat format_;
    uint64_t dataBytes_ = 0;
    std::vector<uint8_t> bytes_;
};

// The capture path the variable names now, or empty.
std::string capturePath();

} // namespace sv::audio

// What a recording does with the captured bytes, apart from any window: the
// WAVE file written while the take runs, its header patched with the final
// size when the take ends, and the peak levels of a captured buffer.
#pragma once
#include <cstdint>
#include <memory>
#include <string>

#include "platform/files.h"
#include "sound/engine/sample_format.h"
#include "sound/engine/wave_file.h"

namespace sv {

// The most data bytes a take can hold.
constexpr uint64_t kMaxWaveDataBytes = WaveFileHeader::kMaxDataBytes;

// The WAVE file of one take. It is written beside its target and renamed
// over it when the take is finished, so a take that fails never destroys a
// file of the same name. Until finish() the header states a provisional
// size of 0.
class RecordWriter {
public:
    // `limit`: the most data bytes the file takes (whole frames only);
    // tests lower it to reach the end of a take quickly.
    explicit RecordWriter(uint64_t limit = kMaxWaveDataBytes) : limit_(limit) {}

    // Creates the file and writes the provisional header. 0, or the errno
    // of the failure to create it; throws FileIOError when the header
    // cannot be written.
    int create(const std::string& path, const SampleFormat& format);
    bool isOpen() const { return open_; }

    // Appends whole frames up to the size limit; returns the bytes taken.
    // Throws FileIOError on a write error, after which dataBytes() counts
    // the whole frames that reached the file (the file ends there).
    uint32_t append(const uint8_t* data, uint32_t bytes);
    // No further frame fits.
    bool full() const { return open_ && limit_ - dataBytes_ < align_; }
    uint64_t dataBytes() const { return dataBytes_; }

    // Writes the header again with the size of the frames written and
    // puts the file in place. Throws FileIOError; the partial file is then
    // removed and an earlier file of that name is left as it was.
    void finish();
    // Drops the file being written.
    void abandon();

private:
    void writeHeader();

    std::unique_ptr<SafeFileWriter> out_;
    SampleFormat format_;
    uint64_t limit_;
    uint64_t dataBytes_ = 0;
    uint32_t align_ = 1;
    bool open_ = false;
};

// Peak levels of captured samples in percent, 0..100: 8-bit samples as
// their distance from the silence value 127 over 127, 16-bit as their
// magnitude over 32768. Stereo gives each channel its own peak; mono gives
// both meters the peak of all samples. Only whole frames are read.
struct InputLevels {
    int left = 0;
    int right = 0;
};
InputLevels inputLevels(const uint8_t* data, uint32_t bytes, int bytesPerSample, int channels);

} // namespace sv

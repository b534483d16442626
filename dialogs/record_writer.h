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

class DiskSync;

// The WAVE file of one take, written under its final name from the start:
// a take cut short by a crash, a kill or a power cut stays a WAVE file that
// opens with what was recorded. Its header states the data written so far
// after every append, and the file is flushed to the disk about once a
// second. The new file is first made beside its target and put in its place
// once its header is written, so a take that cannot start leaves an earlier
// file of that name as it was.
class RecordWriter {
public:
    // `limit`: the most data bytes the file takes (whole frames only);
    // tests lower it to reach the end of a take quickly.
    explicit RecordWriter(uint64_t limit = kMaxWaveDataBytes);
    // A take that was not finished keeps what it holds (see abandon).
    ~RecordWriter();
    RecordWriter(const RecordWriter&) = delete;
    RecordWriter& operator=(const RecordWriter&) = delete;

    // For the next take.
    void setLimit(uint64_t limit) { limit_ = limit; }

    // Creates the file with a header stating no data and puts it in place.
    // 0, or the errno of the failure to create it; throws FileIOError when
    // the header cannot be written or the file put in place.
    int create(const std::string& path, const SampleFormat& format);
    bool isOpen() const { return open_; }

    // Appends whole frames up to the size limit and states them in the
    // header; returns the bytes taken. Throws FileIOError on a write
    // error, after which dataBytes() counts the whole frames that reached
    // the file (the file ends there, and its header says so).
    uint32_t append(const uint8_t* data, uint32_t bytes);
    // No further frame fits.
    bool full() const { return open_ && limit_ - dataBytes_ < align_; }
    uint64_t dataBytes() const { return dataBytes_; }

    // Writes the header with the size of the frames written, flushes the
    // file to the disk and closes it. Throws FileIOError.
    void finish();
    // Stops writing without the final flush; the file keeps every frame
    // written, under a header that states them. A recording is never
    // removed by the program.
    void abandon();

private:
    void writeHeader();

    std::unique_ptr<SafeFileWriter> out_;
    std::unique_ptr<DiskSync> sync_;
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

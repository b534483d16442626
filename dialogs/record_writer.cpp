#include "dialogs/record_writer.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <unistd.h>

#include "sound/engine/wave_file.h"

namespace sv {

int RecordWriter::create(const std::string& path, const SampleFormat& format) {
    abandon();
    out_ = std::make_unique<SafeFileWriter>();
    if (int e = out_->open(path)) {
        out_.reset();
        return e;
    }
    format_ = format;
    align_ = std::max<uint32_t>(1, format.nBlockAlign);
    dataBytes_ = 0;
    open_ = true;
    writeHeader();
    return 0;
}

// The take is written straight to the file, past the stdio buffer, so that
// a byte counted is a byte in the file: after a failed write the header
// states exactly what the file holds.
void RecordWriter::writeHeader() {
    uint8_t header[kWaveHeaderBytes];
    // dataBytes_ never passes the limit, which fits the 32-bit size field.
    WaveFileHeader::build(header, format_, static_cast<uint32_t>(dataBytes_));
    if (!writeFullyAt(::fileno(out_->file()), 0, header, sizeof header))
        throw FileIOError(std::string("I/O error writing the header: ") + std::strerror(errno), errno);
}

uint32_t RecordWriter::append(const uint8_t* data, uint32_t bytes) {
    if (!open_) return 0;
    const uint64_t room = limit_ - std::min(limit_, dataBytes_);
    uint64_t take = std::min<uint64_t>(bytes, room);
    take -= take % align_;
    const int fd = ::fileno(out_->file());
    size_t reached = 0;
    if (!writeFullyAt(fd, kWaveHeaderBytes + int64_t(dataBytes_), data, static_cast<size_t>(take), &reached)) {
        const int e = errno;
        // A full disk or the file-size limit can end a write partway: the
        // take keeps the whole frames that reached the file and no part of
        // a frame after them.
        const uint64_t inFile = dataBytes_ + reached;
        dataBytes_ = inFile - inFile % align_;
        if (dataBytes_ != inFile) (void)::ftruncate(fd, off_t(kWaveHeaderBytes + dataBytes_));
        throw FileIOError(std::string("I/O error writing the recording: ") + std::strerror(e), e);
    }
    dataBytes_ += take;
    return static_cast<uint32_t>(take);
}

void RecordWriter::finish() {
    if (!open_) return;
    open_ = false;
    writeHeader();
    auto out = std::move(out_);
    out->commit();
}

void RecordWriter::abandon() {
    open_ = false;
    out_.reset();  // an uncommitted writer removes its partial file
}

namespace {

template <class Sample>
int peakOf(const Sample* s, size_t count, size_t stride) {
    int peak = 0;
    if constexpr (sizeof(Sample) == 1) {
        for (size_t i = 0; i < count; i += stride) peak = std::max(peak, std::abs(int(s[i]) - 127));
    } else {
        for (size_t i = 0; i < count; i += stride) peak = std::max(peak, std::abs(int(s[i])));
    }
    return peak;
}

int percentOf(int peak, int fullScale) { return std::min(100, peak * 100 / fullScale); }

} // namespace

InputLevels inputLevels(const uint8_t* data, uint32_t bytes, int bytesPerSample, int channels) {
    InputLevels l;
    if (!data || (bytesPerSample != 1 && bytesPerSample != 2) || (channels != 1 && channels != 2)) return l;
    const size_t frames = bytes / uint32_t(bytesPerSample * channels);
    const size_t samples = frames * size_t(channels);
    const size_t stride = size_t(channels);
    if (samples == 0) return l;
    int left, right;
    if (bytesPerSample == 1) {
        left = peakOf(data, samples, stride);
        right = channels == 2 ? peakOf(data + 1, samples - 1, stride) : left;
        l.left = percentOf(left, 127);
        l.right = percentOf(right, 127);
    } else {
        // Captured buffers are not guaranteed 2-byte aligned: copy in blocks.
        int16_t block[1024];
        left = right = 0;
        for (size_t done = 0; done < samples;) {
            const size_t n = std::min<size_t>(std::size(block), samples - done);
            std::memcpy(block, data + done * 2, n * 2);
            if (channels == 2) {
                left = std::max(left, peakOf(block, n, 2));
                right = std::max(right, n > 1 ? peakOf(block + 1, n - 1, 2) : 0);
            } else {
                left = std::max(left, peakOf(block, n, 1));
            }
            done += n;
        }
        if (channels == 1) right = left;
        l.left = percentOf(left, 32768);
        l.right = percentOf(right, 32768);
    }
    return l;
}

} // namespace sv

#include "dialogs/record_writer.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <system_error>
#include <thread>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <unistd.h>

#include "sound/engine/wave_file.h"

namespace sv {

// Flushes a take's file to the disk about once a second on a thread of its
// own: a flush can take long on a slow disk, and the window thread must go
// on handing buffers back to the device meanwhile.
class DiskSync {
public:
    explicit DiskSync(int fd) : fd_(fd) {
        try {
            thread_ = std::thread([this] { run(); });
        } catch (const std::system_error&) {
            // No thread: the take is flushed when it ends.
        }
    }
    ~DiskSync() {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            stop_ = true;
        }
        wake_.notify_all();
        if (thread_.joinable()) thread_.join();
    }

private:
    void run() {
        std::unique_lock<std::mutex> lock(mutex_);
        while (!wake_.wait_for(lock, std::chrono::seconds(1), [this] { return stop_; })) {
            lock.unlock();
            (void)::fdatasync(fd_);   // a failure shows again in the final flush
            lock.lock();
        }
    }

    int fd_;
    std::mutex mutex_;
    std::condition_variable wake_;
    bool stop_ = false;
    std::thread thread_;
};

RecordWriter::RecordWriter(uint64_t limit) : limit_(limit) {}

RecordWriter::~RecordWriter() { abandon(); }

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
    try {
        writeHeader();
        out_->publish();
    } catch (const FileIOError&) {
        out_.reset();   // before it was in place: the earlier file stays
        throw;
    }
    open_ = true;
    sync_ = std::make_unique<DiskSync>(::fileno(out_->file()));
    return 0;
}

// The take is written straight to the file, past the stdio buffer, so that
// a byte counted is a byte in the file: the header states exactly what the
// file holds.
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
        try {
            writeHeader();
        } catch (const FileIOError&) {
            // The write error below is the one to report.
        }
        throw FileIOError(std::string("I/O error writing the recording: ") + std::strerror(e), e);
    }
    dataBytes_ += take;
    if (take) writeHeader();
    return static_cast<uint32_t>(take);
}

void RecordWriter::finish() {
    if (!out_) return;
    open_ = false;
    sync_.reset();
    writeHeader();
    auto out = std::move(out_);
    out->commit();
}

void RecordWriter::abandon() {
    open_ = false;
    sync_.reset();
    if (!out_) return;
    try {
        writeHeader();
    } catch (const FileIOError&) {
        // The header states the frames of the last append that it could.
    }
    out_.reset();   // in place already: the file stays
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

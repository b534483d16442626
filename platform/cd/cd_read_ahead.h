// Reading a disc's audio ahead of playback: a worker thread reads sectors
// in order into a ring of blocks, and the UI thread takes the filled blocks
// (to queue them on the wave-out device) and gives them back once played.
// The worker does nothing but read; it never touches the wave layer or a
// window.
#pragma once
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace sv {

constexpr int32_t kCdSectorBytes = 2352;   // 588 stereo 16-bit frames

// Reads audio sectors as 16-bit little-endian stereo at 44100 Hz. Used by
// one thread at a time: the worker, once the factory has handed it over.
class CdSectorReader {
public:
    virtual ~CdSectorReader() = default;
    // Sectors [lsn, lsn + count) into out (count * kCdSectorBytes bytes).
    // False on a read that failed for good.
    virtual bool read(int32_t lsn, int32_t count, uint8_t* out) = 0;
};

// Made on the worker thread (opening a drive may take a while); null when
// the disc cannot be opened.
using CdReaderFactory = std::function<std::unique_ptr<CdSectorReader>()>;

struct CdAudioBlock {
    int slot = 0;             // index in the ring
    int32_t first = 0;        // first sector
    int32_t sectors = 0;
    std::vector<uint8_t> bytes;
};

class CdReadAhead {
public:
    // 15 sectors = 0.2 s a block; 25 blocks = 5 s read ahead, enough to
    // ride over a busy UI thread or a drive that stops to re-read.
    static constexpr int32_t kSectorsPerBlock = 15;
    static constexpr int kBlocks = 25;

    CdReadAhead();
    ~CdReadAhead();
    CdReadAhead(const CdReadAhead&) = delete;
    CdReadAhead& operator=(const CdReadAhead&) = delete;

    // Starts reading sectors [from, to) (any earlier reading is stopped).
    void start(CdReaderFactory factory, int32_t from, int32_t to);
    // Stops the worker and forgets every block.
    void stop();

    // Consumer side, one thread. The next filled block in disc order, or
    // null when none is ready; it stays the consumer's until release().
    CdAudioBlock* take();
    // Gives back the oldest block taken.
    void release();
    // As take(), but waits for the block; null at the end of the range.
    CdAudioBlock* waitTake();
    // Waits until the ring is full or everything has been read.
    void waitFull();

    // Everything was read (or reading failed) and every block was taken.
    bool exhausted() const;
    // Reading stopped early: the disc could not be opened or read.
    bool failed() const;

private:
    void run(CdReaderFactory factory);

    std::vector<CdAudioBlock> ring_;
    mutable std::mutex m_;
    std::condition_variable cv_;
    std::thread worker_;
    int32_t from_ = 0, to_ = 0;
    uint64_t filled_ = 0, taken_ = 0, released_ = 0;
    bool done_ = true;      // the worker has nothing more to read
    bool failed_ = false;
    bool stop_ = false;
};

} // namespace sv

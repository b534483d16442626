// The part of an open wave device that both threads share: the queue of
// buffers, the format conversion, and (for input) the ring of captured
// audio. The UI thread queues and hands back buffers; the audio thread (a
// back end) calls render() or capture(). Everything here runs under one
// mutex per stream, held only while copying. Internal to the wave layer.
#pragma once
#include "platform/audio/sample_convert.h"
#include "platform/audio/wave_types.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <mutex>
#include <vector>

namespace sv::audio {

// A finished buffer on its way to the UI thread. `generation` is the
// stream's generation when it was posted: a reset or close changes it, and a
// notice of an older generation is dropped on delivery.
struct WaveNotice {
    bool input = false;
    uint32_t handle = 0;
    uint32_t generation = 0;
    WaveHeader* header = nullptr;
    uint32_t bytes = 0;  // wave-in: bytes recorded
};

// Any thread. Defined in wave_notices.cpp.
void postWaveNotice(const WaveNotice& n);

class OutputCore {
public:
    OutputCore(uint32_t handle, const WaveFormat& format);

    // The card's side of the conversion; set by the back end before it
    // starts rendering. `latencyFrames` delays each notice until the block's
    // last frame has left the card, not merely the queue.
    void setDevice(uint32_t rate, int channels, uint64_t latencyFrames);
    int deviceChannels() const { return devChannels_; }
    uint32_t deviceRate() const { return devRate_; }

    uint32_t generation() const { return generation_.load(); }
    const WaveFormat& format() const { return format_; }

    // UI thread.
    void queue(WaveHeader* h);
    void setPaused(bool paused);
    bool paused() const;
    // Takes back every buffer still queued or awaiting its notice, in queue
    // order, and makes the notices already posted stale. Unpauses.
    std::vector<WaveHeader*> reset();

    // Audio thread: the next `frames` frames for the card, interleaved in
    // deviceChannels(); `out` may be null to consume without converting.
    void render(float* out, size_t frames);

private:
    struct Entry {
        WaveHeader* header;
        const uint8_t* data;
        uint32_t length;
        uint32_t pos;
    };
    struct Finished {
        WaveHeader* header;
        uint64_t due;  // device frame at which the block has been heard
    };
    template <class T, int C> size_t renderLayout(float* out, size_t frames);
    void finishFront(uint64_t playedAt);

    const uint32_t handle_;
    const WaveFormat format_;
    uint32_t devRate_;
    int devChannels_;
    bool sameRate_ = true;
    uint64_t latency_ = 0;

    mutable std::mutex m_;
    std::atomic<uint32_t> generation_{1};
    std::deque<Entry> queue_;
    std::deque<Finished> finished_;
    bool paused_ = false;
    uint64_t deviceFrames_ = 0;
    LinearResampler resampler_;
};

class InputCore {
public:
    // Seconds of audio the ring keeps for a UI thread that is late to queue
    // buffers again.
    static constexpr uint32_t kRingSeconds = 4;

    InputCore(uint32_t handle, const WaveFormat& format);

    void setDevice(uint32_t rate, int channels);
    int deviceChannels() const { return devChannels_; }
    uint32_t deviceRate() const { return devRate_; }

    uint32_t generation() const { return generation_.load(); }
    const WaveFormat& format() const { return format_; }

    // UI thread. add() may fill the buffer from the ring at once; a full
    // buffer is posted as a notice, never handed back from inside add().
    void add(WaveHeader* h);
    void startCapture();
    // After it returns the audio thread posts nothing more.
    void stopCapture();
    bool capturing() const;

    struct Returned {
        WaveHeader* header;
        uint32_t bytes;
    };
    // Fills the queued buffers from the ring as far as it goes, takes them
    // all back in order (full, partly filled, empty), empties the ring and
    // makes posted notices stale.
    std::vector<Returned> takeAll();

    // Audio thread: `frames` frames from the card, interleaved in
    // deviceChannels().
    void capture(const float* in, size_t frames);

    uint64_t droppedFrames() const;
    size_t ringBytes() const;

private:
    struct Entry {
        WaveHeader* header;
        uint8_t* data;
        uint32_t length;
        uint32_t filled;
    };
    template <class T, int C> void captureLayout(const float* in, size_t frames);
    template <class T, int C> void pushFrame(const Frame& f);
    size_t readRing(uint8_t* dst, size_t n);
    void fillFromRing();

    const uint32_t handle_;
    const WaveFormat format_;
    uint32_t devRate_;
    int devChannels_;
    bool sameRate_ = true;

    mutable std::mutex m_;
    std::atomic<uint32_t> generation_{1};
    std::deque<Entry> queue_;
    bool capturing_ = false;
    std::vector<uint8_t> ring_;
    size_t ringHead_ = 0;   // byte offset of the oldest byte
    size_t ringSize_ = 0;   // bytes held
    uint64_t dropped_ = 0;  // frames lost to a full ring
    LinearResampler resampler_;
};

} // namespace sv::audio

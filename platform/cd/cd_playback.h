// Digital playback of a disc's audio: the sectors are read ahead on a
// worker thread (cd_read_ahead.h) and played through the wave-out layer,
// the way the system's CD audio device plays a disc on a drive without an
// analog path (most drives today). Every call is made on the UI thread;
// the wave-out notices that keep the device fed arrive there too.
#pragma once
#include <cstdint>
#include <deque>
#include <vector>

#include "platform/audio/wave_types.h"
#include "platform/cd/cd_drive.h"
#include "platform/cd/cd_read_ahead.h"

namespace sv {

class CdPlayback {
public:
    CdPlayback();
    ~CdPlayback();
    CdPlayback(const CdPlayback&) = delete;
    CdPlayback& operator=(const CdPlayback&) = delete;

    // Plays sectors [from, to), from a reader made by `factory`, replacing
    // whatever plays. kCdOk, or kCdNoSound when no sound device opens.
    int play(CdReaderFactory factory, int32_t from, int32_t to);
    // Pause holds the place to the sample; resume goes on from it.
    void pause();
    void resume();
    // Stops and releases the sound device; the position goes back to 0.
    void stop();

    // Playing, Paused, or Stopped (also after the range has been played,
    // the position then resting where the music ended).
    CdMode mode() const;
    // The sector being heard: the start of the block the device plays.
    int32_t position() const;

    // Tests and benchmarks: waits until the worker has filled the ring or
    // read the whole range.
    void waitForReadAhead() { ahead_.waitFull(); }

private:
    void blockDone(WaveHeader* header);
    void feed();
    void finish();
    void closeDevice();

    CdReadAhead ahead_;
    WaveOutHandle wave_ = 0;
    std::vector<WaveHeader> headers_;      // one per ring slot
    std::deque<CdAudioBlock*> queued_;     // on the device, oldest first
    // Queued only while no block is ready, so the device's notices keep
    // coming (each one looks for blocks read meanwhile).
    std::vector<uint8_t> silence_;
    WaveHeader silenceHeader_;
    bool silenceQueued_ = false;
    bool playing_ = false;
    bool paused_ = false;
    int32_t from_ = 0;
    int32_t played_ = 0;                   // sectors heard since from_
    int32_t rest_ = 0;                     // position while stopped
};

} // namespace sv

// Playback of a sound window: the range to play, the 200 ms blocks queued
// two at a time straight from the sample buffer, and the peak levels of a
// played block. The arithmetic is in free functions so that it can be
// checked without a device; TSoundfrm::PlaybackState is the window's own
// state between the device's notices.
#pragma once
#include <cstdint>

#include "platform/audio/wave_types.h"
#include "sound/Sound.h"
#include "sound/engine/sample_format.h"

namespace sv {

// The frames a play covers: the selection when there is one; else from the
// cursor to the end when playing from the cursor; else the whole sound.
// Always inside the sound, and empty (frames 0) when there is nothing to
// play.
struct PlayRange {
    int64_t first = 0;
    int64_t frames = 0;
};
PlayRange playRange(int64_t frameCount, int64_t selectionStart, int64_t selectionLength, bool fromCursor);

// Bytes of one playback block: a fifth of a second rounded down to whole
// frames, and at least one frame, so that no block ever splits a frame or
// is empty.
int64_t playBlockBytes(const SampleFormat& f);

// Blocks needed for `playBytes`: the last one may be shorter.
int64_t playBlockCount(int64_t playBytes, int64_t block);

// Length of the block queued when `blocksToQueue` blocks are still to go:
// a full block, except the last, which holds what is left (a full block
// when the range is a whole number of blocks).
int64_t nextBlockBytes(int64_t playBytes, int64_t block, int64_t blocksToQueue);

// Peak levels of one played block in percent (0..100), as the level meters
// show them. The bytes are read as pairs whatever the channel count: the
// first member of each pair feeds `left`, the second `right`; a mono sound
// shows the louder of the two on both. The last pair of the block is not
// read, and blocks under two pairs give 0.
struct BlockPeaks {
    int left = 0;
    int right = 0;
};
BlockPeaks blockPeaks(const uint8_t* data, uint32_t length, int bitsPerSample, int channels);

} // namespace sv

struct TSoundfrm::PlaybackState {
    PlaybackState() = default;
    // A window that goes away while its device is open closes it first: the
    // device reads the window's sample buffer and calls back into it.
    ~PlaybackState();
    PlaybackState(const PlaybackState&) = delete;
    PlaybackState& operator=(const PlaybackState&) = delete;

    int64_t BlocksPlayed = 0;    // blocks reported finished since the start
    int64_t BlockCount = 0;      // blocks of the range being played
    int64_t PlayBytes = 0;       // bytes of the range
    int64_t BlockBytes = 0;      // length of the block being queued
    int64_t BlocksToQueue = 0;   // blocks not yet queued
    int64_t Block = 0;           // a full block's length for this play
    // Both point into the sound's own buffer; nothing is copied. The buffer
    // cannot change while they are queued: editing needs the idle state.
    sv::WaveHeader PlayHeaders[2];
    uint8_t* PlayPosition = nullptr;   // start of the block last queued
    sv::WaveOutHandle WaveOut = 0;

    int64_t StartFrame = 0;      // first frame of the play (TimerPlay's tag)
    double PlayLineX = 0;        // play line over the waveform, in columns
    double OverviewLineX = 0;    // play line in the overview strip
    int64_t PlayLineLeft = 0;    // where LiniaPlay1 stands, even off the view
    // Milliseconds of sv::tickCount(). A pause records its tick and sets
    // PausePending; the resume moves PlayStartTick on by the time spent
    // paused, so the play lines go on from where they stopped.
    uint32_t PlayStartTick = 0;
    uint32_t PauseTick = 0;
    bool PausePending = false;

    bool timerConnected = false;
};

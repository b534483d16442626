// Wave-in: recording PCM into buffers the owner queues, handle by handle.
//
// Typical use (UI thread): waveInOpen with a callback; prepare the buffers
// (lpData, dwBufferLength, dwFlags = 0), waveInAddBuffer each, waveInStart.
// Each buffer the device has filled reaches the callback, in order, through
// deliverWaveNotices(), with dwBytesRecorded = dwBufferLength and
// kWaveHeaderDone set; add it again to go on recording. Between the audio
// thread and the buffers sits a ring of a few seconds, so a UI thread that
// is busy for a moment loses no input.
//
// Stopping: waveInReset stops capturing and, before it returns, hands every
// buffer back through the callback, in order: first those already filled,
// then the partly filled one (dwBytesRecorded < dwBufferLength), then the
// empty ones (0 bytes). A buffer added from the callback during the reset
// stays queued until the next start or the close. Then unprepare and
// waveInClose; after the close nothing more arrives.
//
// Every call on a handle that is closed (or 0) returns kWaveInvalidHandle
// and does nothing else.
#pragma once
#include "platform/audio/wave_types.h"

namespace sv {

int waveInGetNumDevs();
// device: 0 .. waveInGetNumDevs()-1, or kWaveMapper (-1) for the default.
WaveResult waveInGetDevCaps(int device, WaveDeviceCaps* caps);

// Opens stopped: nothing is captured before waveInStart.
WaveResult waveInOpen(WaveInHandle* handle, int device, const WaveFormat& format, WaveInCallback callback);
WaveResult waveInPrepareHeader(WaveInHandle handle, WaveHeader* header);
WaveResult waveInUnprepareHeader(WaveInHandle handle, WaveHeader* header);
// Sets dwBytesRecorded to 0 and queues the buffer. kWaveUnprepared when it
// is not prepared, kWaveStillPlaying when it is already queued.
WaveResult waveInAddBuffer(WaveInHandle handle, WaveHeader* header);
WaveResult waveInStart(WaveInHandle handle);
WaveResult waveInReset(WaveInHandle handle);
// Stops and releases the device. Buffers still queued are marked done with
// what they hold, without a callback; notices not yet delivered are dropped.
WaveResult waveInClose(WaveInHandle handle);

} // namespace sv

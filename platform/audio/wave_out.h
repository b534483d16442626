// Wave-out: playing PCM blocks on a sound device, handle by handle.
//
// Typical use (UI thread): waveOutOpen with a callback; for each block set
// lpData, dwBufferLength and dwFlags = 0, waveOutPrepareHeader,
// waveOutWrite. When a block has been played the callback receives its
// header (kWaveHeaderDone set) from deliverWaveNotices(), once per block
// and in the order written; unprepare it before reusing it. Stopping:
// waveOutReset (every queued header comes back at once, marked done, and
// no callback follows for them), then unprepare, then waveOutClose.
//
// Any PCM 8/16-bit mono/stereo format at any rate is accepted; the back end
// converts what the card lacks. Every call on a handle that is closed (or
// never opened, 0) returns kWaveInvalidHandle and does nothing else.
#pragma once
#include "platform/audio/wave_types.h"

namespace sv {

int waveOutGetNumDevs();
// device: 0 .. waveOutGetNumDevs()-1, or kWaveMapper (-1) for the default.
WaveResult waveOutGetDevCaps(int device, WaveDeviceCaps* caps);

// On success *handle is the new handle; on failure it is 0. The callback
// may be empty (no notices); it must stay callable until the handle is
// reset or closed.
WaveResult waveOutOpen(WaveOutHandle* handle, int device, const WaveFormat& format, WaveOutCallback callback);
WaveResult waveOutPrepareHeader(WaveOutHandle handle, WaveHeader* header);
// kWaveStillPlaying while the header is queued.
WaveResult waveOutUnprepareHeader(WaveOutHandle handle, WaveHeader* header);
// Queues a prepared header behind the ones already queued. kWaveUnprepared
// when it is not prepared, kWaveStillPlaying when it is already queued.
WaveResult waveOutWrite(WaveOutHandle handle, WaveHeader* header);
// Pause holds the position (silence meanwhile); restart goes on from it.
WaveResult waveOutPause(WaveOutHandle handle);
WaveResult waveOutRestart(WaveOutHandle handle);
// Stops at once and hands every queued header back synchronously (done,
// not queued); notices already on their way are dropped. Unpauses.
WaveResult waveOutReset(WaveOutHandle handle);
// As reset, then releases the device. The handle is dead afterwards.
WaveResult waveOutClose(WaveOutHandle handle);

} // namespace sv

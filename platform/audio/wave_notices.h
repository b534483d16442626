// Delivery of the wave devices' completion notices on the UI thread.
//
// The audio thread posts a notice for each buffer it has finished (played,
// or filled with input) into one process-wide queue. The UI thread hands
// them to the owners' callbacks, in the order they were posted, with
// deliverWaveNotices(). The Qt program installs a wake-up (wave_notify.h)
// that schedules that call on its event loop whenever a notice arrives;
// tests without an event loop call it themselves.
//
// A notice of a handle that has since been reset or closed is dropped, so
// a window never sees a buffer of a playback that was stopped.
#pragma once
#include <cstddef>

namespace sv {

// UI thread. Delivers the notices pending now and those posted meanwhile
// until the queue is empty; returns how many reached a callback. A callback
// may call any wave function, including a nested deliverWaveNotices().
size_t deliverWaveNotices();

// Notices posted and not yet delivered or dropped.
size_t pendingWaveNotices();

// Called from the posting thread after each notice, while the queue is
// locked (keep it short: post an event, set a flag). Null removes it; after
// setWaveNoticeWakeup() returns, the previous function is no longer running.
using WaveNoticeWakeup = void (*)();
void setWaveNoticeWakeup(WaveNoticeWakeup wake);

} // namespace sv

// Brings the wave devices' completion notices onto the Qt event loop: each
// notice the audio thread posts schedules one deliverWaveNotices() call on
// the UI thread, which hands the finished buffers to their owners'
// callbacks in order.
#pragma once

namespace sv {

// Call on the UI thread once the QApplication exists (main does; a test
// that relies on the event loop does too). Calling it again does nothing.
// The notifier is a child of the application and leaves with it.
void installWaveNotifier();

// Stops delivering through the event loop (notices then wait for an
// explicit deliverWaveNotices()).
void removeWaveNotifier();

} // namespace sv

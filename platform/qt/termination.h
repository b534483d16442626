// The end of a session (log-out, shutdown, a service manager's stop, a
// closed terminal) arrives as SIGTERM or SIGHUP. A signal handler may do
// almost nothing safely, so it only writes a byte to a socket; the window
// thread's event loop reads it and calls the program's handler there.
#pragma once
#include <functional>

namespace sv {

// From now on SIGTERM and SIGHUP call `handler` on the window thread
// (needs the application object). A null handler gives both signals back
// their default action, which ends the process.
void onTerminationSignal(std::function<void()> handler);

} // namespace sv

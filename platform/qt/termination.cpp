#include "platform/qt/termination.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace sv {

namespace {

int g_pipe[2] = {-1, -1};   // [0] read by the event loop, [1] written by the handler
QSocketNotifier* g_notifier = nullptr;
std::function<void()> g_handler;

// Async-signal-safe: a write(2), errno kept for the code it interrupted.
void noteSignal(int) {
    const int saved = errno;
    const char c = 1;
    (void)!::write(g_pipe[1], &c, 1);   // a full socket already holds a byte
    errno = saved;
}

void setAction(void (*action)(int)) {
    struct sigaction sa {};
    sa.sa_handler = action;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;   // a system call the signal lands in goes on
    ::sigaction(SIGTERM, &sa, nullptr);
    ::sigaction(SIGHUP, &sa, nullptr);
}

} // namespace

void onTerminationSignal(std::function<void()> handler) {
    g_handler = std::move(handler);
    if (!g_handler) {
        setAction(SIG_DFL);
        return;
    }
    if (!g_notifier) {
        // Without the socket the default action stays: the process ends as
        // it would have, rather than ignoring the request.
        if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0, g_pipe) != 0) return;
        g_notifier = new QSocketNotifier(g_pipe[0], QSocketNotifier::Read, QCoreApplication::instance());
        QObject::connect(g_notifier, &QSocketNotifier::activated, [] {
            char bytes[64];
            while (::read(g_pipe[0], bytes, sizeof bytes) > 0) {
            }
            if (auto h = g_handler) h();
        });
    }
    setAction(noteSignal);
}

} // namespace sv

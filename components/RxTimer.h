// The animator's timer: ticks come from a thread of its own (each handed
// to the window thread unless SyncEvent is off) or from a window timer.
#pragma once
#include <QObject>

#include <atomic>
#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <stdexcept>

class QThread;

// A system resource ran out: "Not enough timers available".
class EOutOfResources : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

enum class TThreadPriority { tpIdle, tpLowest, tpLower, tpNormal, tpHigher, tpHighest, tpTimeCritical };

class TRxTimer : public QObject {
    Q_OBJECT
public:
    explicit TRxTimer(QObject* owner = nullptr);
    ~TRxTimer() override;

    bool Enabled() const { return enabled_; }
    void setEnabled(bool on);
    // Milliseconds between ticks; 0 stops ticking.
    uint32_t Interval() const { return interval_; }
    void setInterval(uint32_t ms);
    // Thread mode: each tick runs on the window thread, the timer thread
    // waiting meanwhile. Off, ticks run on the timer thread itself.
    std::atomic<bool> SyncEvent{true};
    // True: the timer thread drives the ticks; false: a window timer.
    bool Threaded() const { return threaded_; }
    void setThreaded(bool on);
    TThreadPriority ThreadPriority() const { return priority_; }
    void setThreadPriority(TThreadPriority p);
    bool hasOnTimer() const;
    void setOnTimer(std::function<void()> handler);

    // Runs `method` on the window thread and waits for it, when called from
    // the running timer thread; directly otherwise.
    void RunOnMainThread(const std::function<void()>& method);
    // Calls the handler when enabled, not being destroyed and one is set.
    void FireTimer();
    // Ticks are being delivered (the thread runs, or a window timer is set).
    bool isTicking() const;
    // The thread ticks run on in thread mode.
    QThread* timerThread() const;
    // The exception of an unsynchronised tick while it is being reported.
    std::exception_ptr PendingException() const;

    // Asks the window system for a timer; 0 when none is left. Tests
    // replace it to see the failure.
    static std::function<int(QObject* window, int ms)> startWindowTimer;

    struct ThreadState;

private:
    class TimerThread;
    class HiddenWindow;
    void ApplySettings();
    void killWindowTimer();

    std::shared_ptr<ThreadState> state_;
    TimerThread* thread_ = nullptr;
    HiddenWindow* window_ = nullptr;
    int windowTimer_ = 0;
    std::atomic<bool> enabled_{true};
    std::atomic<uint32_t> interval_{1000};
    bool threaded_ = true;
    TThreadPriority priority_ = TThreadPriority::tpNormal;
    mutable std::mutex handlerLock_;
    std::function<void()> onTimer_;
    std::atomic<bool> destroying_{false};
};

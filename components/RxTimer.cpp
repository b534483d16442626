#include "components/RxTimer.h"

#include <QCoreApplication>
#include <QThread>
#include <algorithm>
#include <chrono>
#include <climits>
#include <condition_variable>

#include "components/VCLUtils.h"

// What the timer and its thread share. It outlives both: a tick handed to
// the window thread may still be finishing when the timer goes.
struct TRxTimer::ThreadState {
    std::mutex m;
    std::condition_variable cv;
    bool suspended = true;
    bool terminated = false;
    // Bumped by every suspension and resumption: a sleep under way starts
    // again with the settings of the moment.
    uint64_t generation = 0;
    uint32_t interval = 1000;
    std::exception_ptr pending;
};

class TRxTimer::TimerThread : public QThread {
public:
    TimerThread(TRxTimer* owner, std::shared_ptr<ThreadState> s) : owner_(owner), s_(std::move(s)) {}

    void run() override {
        std::unique_lock<std::mutex> lk(s_->m);
        while (!s_->terminated) {
            if (s_->suspended) {
                s_->cv.wait(lk, [&] { return !s_->suspended || s_->terminated; });
                continue;
            }
            const uint64_t g = s_->generation;
            const bool interrupted = s_->cv.wait_for(lk, std::chrono::milliseconds(s_->interval), [&] {
                return s_->terminated || s_->suspended || s_->generation != g;
            });
            if (interrupted || closing()) continue;
            lk.unlock();
            tick();
            lk.lock();
        }
    }

private:
    bool closing() const { return s_->terminated || QCoreApplication::closingDown() || !owner_; }

    void tick() {
        if (!owner_->Enabled()) return;
        if (owner_->SyncEvent) {
            owner_->RunOnMainThread([o = owner_] { o->FireTimer(); });
            return;
        }
        try {
            owner_->FireTimer();
        } catch (...) {
            {
                std::lock_guard<std::mutex> hold(s_->m);
                s_->pending = std::current_exception();
            }
            // A silent abort is dropped; anything else goes to the
            // application's handling, shown by the window thread.
            sv::HandleException(s_->pending);
            std::lock_guard<std::mutex> hold(s_->m);
            s_->pending = nullptr;
        }
    }

    TRxTimer* owner_;
    std::shared_ptr<ThreadState> s_;
};

// Window-timer mode: a hidden object of the window thread receives the
// timer's messages.
class TRxTimer::HiddenWindow : public QObject {
public:
    explicit HiddenWindow(TRxTimer* owner) : owner_(owner) {}

protected:
    void timerEvent(QTimerEvent*) override {
        try {
            owner_->FireTimer();
        } catch (...) {
            sv::HandleException(std::current_exception());
        }
    }

private:
    TRxTimer* owner_;
};

std::function<int(QObject*, int)> TRxTimer::startWindowTimer = [](QObject* window, int ms) {
    return window->startTimer(ms);
};

TRxTimer::TRxTimer(QObject* owner) : QObject(owner), state_(std::make_shared<ThreadState>()) {
    thread_ = new TimerThread(this, state_);
    thread_->start();
}

TRxTimer::~TRxTimer() {
    destroying_ = true;
    enabled_ = false;
    {
        std::lock_guard<std::mutex> hold(handlerLock_);
        onTimer_ = nullptr;
    }
    {
        std::lock_guard<std::mutex> hold(state_->m);
        state_->terminated = true;
        state_->suspended = false;
    }
    state_->cv.notify_all();
    // The thread ends after its current sleep or hand-over, both of which
    // the termination wakes.
    thread_->wait();
    delete thread_;
    killWindowTimer();
    delete window_;
}

bool TRxTimer::hasOnTimer() const {
    std::lock_guard<std::mutex> hold(handlerLock_);
    return bool(onTimer_);
}

void TRxTimer::setEnabled(bool on) {
    if (on == enabled_) return;
    enabled_ = on;
    ApplySettings();
}

void TRxTimer::setInterval(uint32_t ms) {
    if (ms == interval_) return;
    interval_ = ms;
    ApplySettings();
}

void TRxTimer::setThreaded(bool on) {
    if (on == threaded_) return;
    threaded_ = on;
    ApplySettings();
}

void TRxTimer::setThreadPriority(TThreadPriority p) {
    if (p == priority_) return;
    priority_ = p;
    if (threaded_) ApplySettings();
}

void TRxTimer::setOnTimer(std::function<void()> handler) {
    bool had, has;
    {
        std::lock_guard<std::mutex> hold(handlerLock_);
        had = bool(onTimer_);
        onTimer_ = std::move(handler);
        has = bool(onTimer_);
    }
    if (had != has) ApplySettings();
}

void TRxTimer::killWindowTimer() {
    if (window_ && windowTimer_) window_->killTimer(windowTimer_);
    windowTimer_ = 0;
}

namespace {

QThread::Priority qtPriority(TThreadPriority p) {
    switch (p) {
    case TThreadPriority::tpIdle: return QThread::IdlePriority;
    case TThreadPriority::tpLowest: return QThread::LowestPriority;
    case TThreadPriority::tpLower: return QThread::LowPriority;
    case TThreadPriority::tpNormal: return QThread::NormalPriority;
    case TThreadPriority::tpHigher: return QThread::HighPriority;
    case TThreadPriority::tpHighest: return QThread::HighestPriority;
    case TThreadPriority::tpTimeCritical: return QThread::TimeCriticalPriority;
    }
    return QThread::NormalPriority;
}

} // namespace

void TRxTimer::ApplySettings() {
    const bool wanted = interval_ != 0 && enabled_ && hasOnTimer() && !destroying_;
    if (threaded_) {
        if (window_) {
            killWindowTimer();
            delete window_;
            window_ = nullptr;
        }
        {
            std::lock_guard<std::mutex> hold(state_->m);
            state_->suspended = true;
            state_->interval = interval_;
            ++state_->generation;
            if (wanted) {
                state_->suspended = false;
                ++state_->generation;
            }
        }
        if (wanted) thread_->setPriority(qtPriority(priority_));
        state_->cv.notify_all();
        return;
    }
    {
        std::lock_guard<std::mutex> hold(state_->m);
        state_->suspended = true;
        ++state_->generation;
    }
    state_->cv.notify_all();
    if (window_) killWindowTimer();
    else window_ = new HiddenWindow(this);
    if (wanted) {
        windowTimer_ = startWindowTimer(window_, int(std::min<uint32_t>(interval_, INT32_MAX)));
        if (windowTimer_ == 0) throw EOutOfResources("Not enough timers available");
    }
}

bool TRxTimer::isTicking() const {
    if (!threaded_) return windowTimer_ != 0;
    std::lock_guard<std::mutex> hold(state_->m);
    return !state_->suspended && !state_->terminated;
}

QThread* TRxTimer::timerThread() const { return thread_; }

std::exception_ptr TRxTimer::PendingException() const {
    std::lock_guard<std::mutex> hold(state_->m);
    return state_->pending;
}

void TRxTimer::RunOnMainThread(const std::function<void()>& method) {
    if (QThread::currentThread() != thread_ || !QCoreApplication::instance()) {
        method();
        return;
    }
    {
        // A timer being destroyed runs nothing more: the window thread is
        // waiting for this thread to end.
        std::lock_guard<std::mutex> hold(state_->m);
        if (state_->terminated) return;
    }
    struct Job {
        bool done = false;
    };
    auto job = std::make_shared<Job>();
    std::shared_ptr<ThreadState> s = state_;
    // Queued to the timer object, which lives on the window thread: a timer
    // destroyed meanwhile drops the call, and its termination ends the wait.
    QMetaObject::invokeMethod(
        this,
        [job, s, method] {
            try {
                method();
            } catch (...) {
                sv::HandleException(std::current_exception());
            }
            std::lock_guard<std::mutex> hold(s->m);
            job->done = true;
            s->cv.notify_all();
        },
        Qt::QueuedConnection);
    std::unique_lock<std::mutex> lk(s->m);
    s->cv.wait(lk, [&] { return job->done || s->terminated; });
}

void TRxTimer::FireTimer() {
    if (!enabled_ || destroying_) return;
    // The handler may replace itself (a stop clears it) while it runs.
    std::function<void()> handler;
    {
        std::lock_guard<std::mutex> hold(handlerLock_);
        handler = onTimer_;
    }
    if (handler) handler();
}

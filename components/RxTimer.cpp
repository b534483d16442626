#include "components/RxTimer.h"

#include <algorithm>
#include <climits>
#include <exception>

#include "platform/prompts.h"

TRxTimer::TRxTimer(QObject* owner) : QObject(owner) {
    connect(&timer_, &QTimer::timeout, this, [this] { FireTimer(); });
}

TRxTimer::~TRxTimer() {
    destroying_ = true;
    timer_.stop();
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

void TRxTimer::setOnTimer(std::function<void()> handler) {
    const bool had = bool(onTimer_);
    onTimer_ = std::move(handler);
    if (had != bool(onTimer_)) ApplySettings();
}

// A changed interval starts a fresh wait, as a sleeping thread that is
// suspended and resumed would.
void TRxTimer::ApplySettings() {
    if (interval_ != 0 && enabled_ && onTimer_)
        timer_.start(int(std::min<uint32_t>(interval_, INT32_MAX)));
    else
        timer_.stop();
}

void TRxTimer::FireTimer() {
    if (!enabled_ || destroying_ || !onTimer_) return;
    // A failing tick is reported and the timer keeps working; nothing may
    // leave through the event loop.
    // The handler may replace itself (a stop clears it) while it runs.
    const std::function<void()> handler = onTimer_;
    try {
        handler();
    } catch (const std::exception& e) {
        sv::prompts().messageBox(sv::applicationTitle(), e.what(), sv::Buttons::Ok, sv::Icon::Error);
    }
}

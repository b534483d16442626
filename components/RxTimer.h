// The animator's timer. Ticks are delivered on the user-interface thread by
// a Qt timer: the thread of the original design only slept and handed every
// tick over to that thread, which a Qt timer does without the hand-over, and
// two ticks of one timer can never overlap.
#pragma once
#include <QObject>
#include <QTimer>

#include <cstdint>
#include <functional>

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
    bool hasOnTimer() const { return bool(onTimer_); }
    void setOnTimer(std::function<void()> handler);

    // Calls the handler when enabled and one is set.
    void FireTimer();
    // Ticks are being delivered.
    bool isTicking() const { return timer_.isActive(); }

private:
    void ApplySettings();
    QTimer timer_;
    bool enabled_ = true;
    uint32_t interval_ = 1000;
    std::function<void()> onTimer_;
    bool destroying_ = false;
};

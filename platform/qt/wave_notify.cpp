#include "platform/qt/wave_notify.h"

#include "platform/audio/wave_notices.h"

#include <QCoreApplication>
#include <QEvent>
#include <QObject>

#include <atomic>

namespace sv {
namespace {

const QEvent::Type kWaveNoticeEvent = static_cast<QEvent::Type>(QEvent::registerEventType());

class WaveNotifier;
std::atomic<WaveNotifier*> g_notifier{nullptr};
// Set while a delivery event is on its way, so a burst of notices posts one.
std::atomic<bool> g_eventPending{false};

class WaveNotifier : public QObject {
public:
    explicit WaveNotifier(QObject* parent) : QObject(parent) {}
    ~WaveNotifier() override {
        // After this returns no audio thread is inside wake().
        setWaveNoticeWakeup(nullptr);
        WaveNotifier* self = this;
        g_notifier.compare_exchange_strong(self, nullptr);
    }

    bool event(QEvent* e) override {
        if (e->type() != kWaveNoticeEvent) return QObject::event(e);
        // Cleared first: a notice posted during the delivery posts again.
        g_eventPending = false;
        deliverWaveNotices();
        return true;
    }
};

// Runs on the posting thread with the notice queue locked.
void wake() {
    WaveNotifier* n = g_notifier.load();
    if (n && !g_eventPending.exchange(true)) QCoreApplication::postEvent(n, new QEvent(kWaveNoticeEvent));
}

} // namespace

void installWaveNotifier() {
    if (g_notifier.load() || !QCoreApplication::instance()) return;
    g_notifier = new WaveNotifier(QCoreApplication::instance());
    g_eventPending = false;
    setWaveNoticeWakeup(wake);
    // Notices posted before the notifier existed.
    if (pendingWaveNotices() > 0) wake();
}

void removeWaveNotifier() {
    WaveNotifier* n = g_notifier.exchange(nullptr);
    setWaveNoticeWakeup(nullptr);
    delete n;
}

} // namespace sv

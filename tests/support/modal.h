// Answers the next modal dialog of type D from inside its own event loop.
// The dialog may come up a few event-loop turns after this is called (a
// command can defer it until a drag has finished), so the answer waits for
// it, polling for a bounded time, instead of firing once and leaving the
// dialog to block the test.
#pragma once
#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QTimer>
#include <functional>
#include <memory>

namespace sv::test {

template <typename D>
void onModal(std::function<void(D&)> act, int maxTries = 500) {
    auto* timer = new QTimer;
    timer->setInterval(2);
    auto tries = std::make_shared<int>(0);
    QObject::connect(timer, &QTimer::timeout, [timer, tries, act, maxTries] {
        if (auto* d = dynamic_cast<D*>(QApplication::activeModalWidget())) {
            timer->stop();
            timer->deleteLater();
            act(*d);
            return;
        }
        if (++*tries >= maxTries) {
            timer->stop();
            timer->deleteLater();
            ADD_FAILURE() << "the expected dialog never came up";
        }
    });
    timer->start();
}

// Answers the next modal dialog, whatever its type, once its modal loop
// runs; nothing happens when no dialog comes up.
inline void answerModal(std::function<void(QDialog*)> act) {
    QTimer::singleShot(0, [act] {
        if (auto* d = qobject_cast<QDialog*>(QApplication::activeModalWidget())) act(d);
    });
}

// While it lives, any modal dialog that nobody answers is rejected and
// counted, so that a test fails instead of hanging.
class ModalWatchdog {
public:
    ModalWatchdog() {
        timer_.setInterval(50);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            if (auto* d = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
                ++unanswered_;
                d->reject();
            }
        });
        timer_.start();
    }
    void stop() { timer_.stop(); }
    int unanswered() const { return unanswered_; }

private:
    QTimer timer_;
    int unanswered_ = 0;
};

} // namespace sv::test

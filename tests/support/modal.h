// Answers the next modal dialog of type D from inside its own event loop.
// The dialog may come up a few event-loop turns after this is called (a
// command can defer it until a drag has finished), so the answer waits for
// it, polling for a bounded time, instead of firing once and leaving the
// dialog to block the test.
#pragma once
#include <gtest/gtest.h>

#include <QApplication>
#include <QTimer>
#include <functional>

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

} // namespace sv::test

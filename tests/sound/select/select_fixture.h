// A main window with sound windows opened from WAVE files written for the
// test, and mouse events sent to them as the user makes them.
#pragma once
#include <gtest/gtest.h>

#include <QApplication>
#include <QMouseEvent>
#include <QTimer>
#include <QWheelEvent>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "mainwindow/SonvelaMain.h"
#include "platform/activity.h"
#include "platform/settings.h"
#include "sound/Sound.h"
#include "tests/support/modal.h"
#include "tests/support/window_fixture.h"

namespace sv::test {

// Mono 16-bit frames holding their own index (mod 30000): a frame's value
// tells where it came from after a move.
inline std::vector<uint8_t> rampFrames(int frames) {
    std::vector<int16_t> v(static_cast<size_t>(frames));
    for (int i = 0; i < frames; ++i) v[size_t(i)] = int16_t(i % 30000);
    return pcm16(v);
}

class SelectTest : public WindowTest {
protected:
    void SetUp() override { start(); }
    void TearDown() override {
        TSoundfrm::dragStartHook = nullptr;
        setActivity(Activity::Idle);
        closeAll();
    }

    TSoundfrm* openRamp(const std::string& name, int frames) { return open(name, 16, 1, rampFrames(frames)); }

    // The mouse, in the sound window's coordinates.
    static void press(TSoundfrm* w, int x, int y = 20, Qt::MouseButton b = Qt::LeftButton,
                      Qt::KeyboardModifiers m = Qt::NoModifier) {
        QMouseEvent e(QEvent::MouseButtonPress, QPointF(x, y), w->mapToGlobal(QPointF(x, y)), b, b, m);
        QApplication::sendEvent(w, &e);
    }
    static void move(TSoundfrm* w, int x, int y = 20, Qt::MouseButtons held = Qt::LeftButton,
                     Qt::KeyboardModifiers m = Qt::NoModifier) {
        QMouseEvent e(QEvent::MouseMove, QPointF(x, y), w->mapToGlobal(QPointF(x, y)), Qt::NoButton, held, m);
        QApplication::sendEvent(w, &e);
    }
    static void release(TSoundfrm* w, int x, int y = 20, Qt::MouseButton b = Qt::LeftButton) {
        QMouseEvent e(QEvent::MouseButtonRelease, QPointF(x, y), w->mapToGlobal(QPointF(x, y)), b, Qt::NoButton,
                      Qt::NoModifier);
        QApplication::sendEvent(w, &e);
    }
    static void click(TSoundfrm* w, int x, Qt::MouseButton b = Qt::LeftButton) {
        press(w, x, 20, b);
        release(w, x, 20, b);
    }
    static void wheel(TSoundfrm* w, int dy) {
        QWheelEvent e(QPointF(50, 20), w->mapToGlobal(QPointF(50, 20)), QPoint(), QPoint(0, dy), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(w, &e);
    }
    void setDoScroll(TSoundfrm* w, int on) {
        Settings().WriteInteger("Options", "DoScroll", on);
        w->ActualitzarOpcions();
    }
};

} // namespace sv::test

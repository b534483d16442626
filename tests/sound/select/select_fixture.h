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
#include "tests/support/scripted_prompts.h"
#include "tests/support/wave_fixtures.h"

namespace sv::test {

inline void flushDeletes() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
}

inline std::vector<uint8_t> pcm16(const std::vector<int16_t>& v) {
    std::vector<uint8_t> out;
    for (int16_t x : v) {
        out.push_back(uint8_t(uint16_t(x)));
        out.push_back(uint8_t(uint16_t(x) >> 8));
    }
    return out;
}

// Mono 16-bit frames holding their own index (mod 30000): a frame's value
// tells where it came from after a move.
inline std::vector<uint8_t> rampFrames(int frames) {
    std::vector<int16_t> v(static_cast<size_t>(frames));
    for (int i = 0; i < frames; ++i) v[size_t(i)] = int16_t(i % 30000);
    return pcm16(v);
}

inline int16_t sample16(const TSoundfrm* w, int64_t i) {
    const uint8_t* p = w->Sound.bytes.data() + 2 * i;
    return int16_t(uint16_t(p[0] | (p[1] << 8)));
}


class SelectTest : public ::testing::Test {
protected:
    TempExeDir dir;
    std::unique_ptr<TSVMainfrm> main;

    void SetUp() override {
        main = std::make_unique<TSVMainfrm>();
        main->FormActivate();
    }
    void TearDown() override {
        TSoundfrm::dragStartHook = nullptr;
        setActivity(Activity::Idle);
        for (TSoundfrm* w : main->soundWindows()) {
            w->Modified = false;
            w->closeWindow();
        }
        flushDeletes();
        main.reset();
        flushDeletes();
    }

    TSoundfrm* open(const std::string& name, int bits, int channels, const std::vector<uint8_t>& data) {
        writeBytes(dir.file(name), canonicalWave(22050, bits, channels, data));
        TSoundfrm* w = main->openWave(dir.file(name), false);
        EXPECT_NE(w, nullptr);
        return w;
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

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QThread>
#include <atomic>
#include <chrono>
#include <functional>
#include <stdexcept>

#include "components/Animate.h"
#include "components/GIFCtrl.h"
#include "components/RxTimer.h"
#include "components/VCLUtils.h"
#include "components/gif_lzw.h"

namespace {

// Runs the event loop until `done` or a generous limit; the limit only
// keeps a broken build from hanging, it measures nothing.
bool pumpUntil(const std::function<bool()>& done) {
    const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!done()) {
        if (std::chrono::steady_clock::now() > limit) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::msleep(1);
    }
    return true;
}

} // namespace

TEST(TimerModes, ThreadedTicksHandOverToTheWindowThread) {
    QLabel label;
    std::atomic<int> ticks{0};
    QThread* tickThread = nullptr;
    // Made after what its handler uses, so it ends (and joins its thread) first.
    TRxTimer t;
    EXPECT_TRUE(t.Threaded());
    EXPECT_TRUE(t.SyncEvent);
    t.setInterval(5);
    t.setOnTimer([&] {
        tickThread = QThread::currentThread();
        label.setText(QString::number(++ticks));
    });
    EXPECT_TRUE(t.isTicking());
    ASSERT_TRUE(pumpUntil([&] { return ticks >= 3; }));
    // The sleeping happens on the timer's own thread; the handler, which
    // touches a widget, runs on the window thread.
    EXPECT_NE(t.timerThread(), QThread::currentThread());
    EXPECT_EQ(tickThread, QThread::currentThread());
    EXPECT_EQ(tickThread, label.thread());
    t.setEnabled(false);
    EXPECT_FALSE(t.isTicking());
}

TEST(TimerModes, UnsynchronisedTicksRunOnTheTimerThreadAndReportFailures) {
    std::atomic<QThread*> where{nullptr};
    std::atomic<int> ticks{0};
    std::atomic<QThread*> handOverThread{nullptr};
    std::string reported;
    QThread* reportedOn = nullptr;
    TRxTimer t;
    t.SyncEvent = false;
    t.setThreadPriority(TThreadPriority::tpLower);
    t.setInterval(5);
    t.setOnTimer([&] {
        where = QThread::currentThread();
        t.RunOnMainThread([&] { handOverThread = QThread::currentThread(); });
        if (++ticks == 2) throw std::runtime_error("tick failed");
    });
    sv::ApplicationOnException = [&](const std::exception& e) {
        reported = e.what();
        reportedOn = QThread::currentThread();
    };
    ASSERT_TRUE(pumpUntil([&] { return ticks >= 4 && !reported.empty(); }));
    EXPECT_EQ(where.load(), t.timerThread());
    EXPECT_EQ(handOverThread.load(), QThread::currentThread());
    // The failure is reported where windows may be shown, and the timer
    // went on ticking.
    EXPECT_EQ(reported, "tick failed");
    EXPECT_EQ(reportedOn, QThread::currentThread());
    t.setOnTimer(nullptr);
    sv::ApplicationOnException = nullptr;
}

TEST(TimerModes, WindowTimerModeAndItsFailure) {
    int ticks = 0;
    QThread* where = nullptr;
    TRxTimer t;
    t.setThreaded(false);
    t.setInterval(5);
    t.setOnTimer([&] {
        ++ticks;
        where = QThread::currentThread();
    });
    EXPECT_TRUE(t.isTicking());
    ASSERT_TRUE(pumpUntil([&] { return ticks >= 2; }));
    EXPECT_EQ(where, QThread::currentThread());

    auto saved = TRxTimer::startWindowTimer;
    TRxTimer::startWindowTimer = [](QObject*, int) { return 0; };
    try {
        t.setInterval(7);
        ADD_FAILURE() << "no error";
    } catch (const EOutOfResources& e) {
        EXPECT_STREQ(e.what(), "Not enough timers available");
    }
    TRxTimer::startWindowTimer = saved;
    EXPECT_FALSE(t.isTicking());
    // Back to the thread.
    t.setThreaded(true);
    EXPECT_TRUE(t.isTicking());
}

TEST(TimerModes, AsyncDrawingAdvancesOnTheTimerThread) {
    QWidget parent;
    parent.resize(40, 40);
    auto* gif = new TRxGIFAnimator(&parent);
    TGIFImage img;
    for (int i = 0; i < 3; ++i) {
        sv::Dib d = sv::Dib::make(8, 8, 4);
        d.palette[1] = sv::rgbColor(uint8_t(80 * i), 0, 0);
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 8; ++x) d.setIndex(x, y, 1);
        img.Frames(img.AddFrame(d)).AnimateInterval = 20;
    }
    TGIFImage loaded;
    loaded.LoadFromStream(img.WriteGIF(false));
    gif->setImage(loaded);
    parent.show();

    gif->setAsyncDrawing(true);
    EXPECT_FALSE(gif->Timer->SyncEvent);
    EXPECT_TRUE(sv::lockedBitmapDrawEnabled());
    EXPECT_EQ(sv::BitmapDraw, &sv::LockedBitmapDraw);
    EXPECT_EQ(sv::EnableLockedBitmapDraw(), nullptr);   // once per process
    std::atomic<int> changes{0};
    QThread* changedOn = nullptr;
    gif->OnFrameChanged = [&] {
        changedOn = QThread::currentThread();
        ++changes;
    };
    bool stopped = false;
    gif->OnStop = [&] { stopped = true; };
    gif->Loop = false;
    gif->SetAnimate(true);
    // Three frames without looping: 1, 2, then the wrap to 0 stops.
    ASSERT_TRUE(pumpUntil([&] { return stopped; }));
    EXPECT_EQ(changes, 3);
    EXPECT_EQ(changedOn, QThread::currentThread());
    EXPECT_FALSE(gif->Animate());
    EXPECT_EQ(gif->FrameIndex(), 0);
    EXPECT_FALSE(gif->RepaintingFromTimer);
    gif->setAsyncDrawing(false);
    EXPECT_TRUE(gif->Timer->SyncEvent);
    gif->OnFrameChanged = nullptr;
    gif->OnStop = nullptr;
}

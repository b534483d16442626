#include "components/Animate.h"

#include <QPainter>
#include <QThread>

TRxImageControl::TRxImageControl(QWidget* parent) : QWidget(parent) {
    resize(105, 105);
    // Qt paints into a back buffer and shows the result in one copy, so a
    // frame appears without flicker; the parent is drawn underneath unless
    // this control fills itself.
    setAttribute(Qt::WA_NoSystemBackground);
    hidden_ = isHidden();
}

void TRxImageControl::setVisible(bool visible) {
    QWidget::setVisible(visible);
    hidden_ = isHidden();
}

void TRxImageControl::RepaintFromAnyThread() {
    if (QThread::currentThread() == thread()) {
        if (isVisible()) repaint();
        return;
    }
    Lock();
    try {
        prepareFromThread();
    } catch (...) {
        Unlock();
        throw;
    }
    Unlock();
    QMetaObject::invokeMethod(this, [this] { update(); }, Qt::QueuedConnection);
}

void TRxImageControl::PaintBackgroundAndImage(QPainter& p) {
    if (!showsParent()) p.fillRect(rect(), palette().color(backgroundRole()));
    const bool saved = Drawing;
    Drawing = true;
    try {
        DrawImage(p);
    } catch (...) {
        Drawing = saved;
        throw;
    }
    Drawing = saved;
}

void TRxImageControl::paintEvent(QPaintEvent*) {
    QPainter p(this);
    // A timer thread may be making the next frame ready meanwhile.
    std::lock_guard<std::recursive_mutex> hold(lock_);
    try {
        PaintBackgroundAndImage(p);
    } catch (const std::exception&) {
        // A frame that cannot be decoded shows the background only; the
        // load that brought it has reported the damage.
    }
}

void TRxImageControl::RefreshPicture() {
    if (destroying_) return;
    adjustAutoSize();
    if (Drawing) repaint();
    else update();
}

namespace sv {
namespace {
std::once_flag lockedDrawOnce;
BitmapDrawProc previousDraw = nullptr;
bool lockedDraw = false;
} // namespace

BitmapDrawProc EnableLockedBitmapDraw() {
    BitmapDrawProc replaced = nullptr;
    std::call_once(lockedDrawOnce, [&] {
        previousDraw = BitmapDraw;
        replaced = previousDraw;
        BitmapDraw = LockedBitmapDraw;
        lockedDraw = true;
    });
    return replaced;
}

bool lockedBitmapDrawEnabled() { return lockedDraw; }

void LockedBitmapDraw(QPainter& p, const QRect& dest, const QRect& src, const Dib& bmp, TColor key) {
    const BitmapDrawProc draw = previousDraw ? previousDraw : PlainBitmapDraw;
    if (bmp.empty()) {
        draw(p, dest, src, bmp, key);
        return;
    }
    std::lock_guard<const CanvasLock> hold(bmp.canvas);
    draw(p, dest, src, bmp, key);
}
} // namespace sv

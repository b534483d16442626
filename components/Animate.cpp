#include "components/Animate.h"

#include <QPainter>

TRxImageControl::TRxImageControl(QWidget* parent) : QWidget(parent) {
    resize(105, 105);
    // Qt paints into a back buffer and shows the result in one copy, so a
    // frame appears without flicker; the parent is drawn underneath unless
    // this control fills itself.
    setAttribute(Qt::WA_NoSystemBackground);
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

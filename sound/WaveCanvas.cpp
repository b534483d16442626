#include "sound/WaveCanvas.h"

#include <QEvent>
#include <QPainter>

#include "sound/Sound.h"

WaveCanvas::WaveCanvas(TSoundfrm* owner) : QWidget(owner), owner_(owner) {
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void WaveCanvas::follow(QWidget* overlay) {
    if (overlay) overlay->installEventFilter(this);
}

bool WaveCanvas::eventFilter(QObject* watched, QEvent* e) {
    switch (e->type()) {
    case QEvent::Move:
    case QEvent::Resize:
    case QEvent::Show:
    case QEvent::Hide:
        update();
        break;
    default:
        break;
    }
    return QWidget::eventFilter(watched, e);
}

void WaveCanvas::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const QImage& bitmap = owner_->WaveBitmap;
    if (bitmap.isNull()) {
        p.fillRect(rect(), palette().window());
        return;
    }
    p.drawImage(0, 0, bitmap);
    if (bitmap.width() < width()) p.fillRect(bitmap.width(), 0, width() - bitmap.width(), height(), palette().window());
    if (bitmap.height() < height())
        p.fillRect(0, bitmap.height(), width(), height() - bitmap.height(), palette().window());

    // Both overlays share the canvas's parent, so their geometry is already
    // in the canvas's coordinates less its own offset.
    const QPoint origin = pos();
    if (QWidget* shape = owner_->Shape1; shape && !shape->isHidden()) {
        p.setCompositionMode(QPainter::RasterOp_NotDestination);
        p.fillRect(shape->geometry().translated(-origin), Qt::black);
        p.setCompositionMode(QPainter::CompositionMode_SourceOver);
    }
    if (QWidget* line = owner_->Bevel2; line && !line->isHidden()) {
        const QRect r = line->geometry().translated(-origin);
        p.fillRect(r.x(), r.y(), 1, r.height(), QColor(0x80, 0x80, 0x80));
    }
}

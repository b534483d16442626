#include "dialogs/track_bar.h"

#include <QPainter>
#include <QStyle>
#include <QStyleOptionSlider>
#include <algorithm>
#include <qdrawutil.h>

namespace sv {

TrackBar::TrackBar(Qt::Orientation orientation, QWidget* parent) : QSlider(orientation, parent) {}

void TrackBar::setSelection(int start, int end) {
    explicit_ = true;
    start_ = start;
    end_ = end;
    update();
}

int TrackBar::selStart() const { return explicit_ ? start_ : minimum(); }
int TrackBar::selEnd() const { return explicit_ ? end_ : value(); }

int TrackBar::pixelAt(int v) const {
    QStyleOptionSlider opt;
    initStyleOption(&opt);
    opt.sliderPosition = std::clamp(v, minimum(), maximum());
    const QRect handle = style()->subControlRect(QStyle::CC_Slider, &opt, QStyle::SC_SliderHandle, this);
    return orientation() == Qt::Horizontal ? handle.center().x() : handle.center().y();
}

QRect TrackBar::channel() const {
    QStyleOptionSlider opt;
    initStyleOption(&opt);
    const QRect groove = style()->subControlRect(QStyle::CC_Slider, &opt, QStyle::SC_SliderGroove, this);
    const QRect handle = style()->subControlRect(QStyle::CC_Slider, &opt, QStyle::SC_SliderHandle, this);
    const int thickness = 6;
    if (orientation() == Qt::Horizontal)
        return QRect(groove.left(), handle.center().y() - thickness / 2, groove.width(), thickness);
    return QRect(handle.center().x() - thickness / 2, groove.top(), thickness, groove.height());
}

// The channel, the selection in it, then the style's ticks and thumb: the
// style's own groove is left out, since some styles fill it from the
// minimum to the thumb whatever the selection is.
void TrackBar::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const QRect ch = channel();
    const QBrush base = palette().brush(QPalette::Base);
    qDrawShadePanel(&p, ch, palette(), true, 1, &base);
    const int a = std::min(selStart(), selEnd()), b = std::max(selStart(), selEnd());
    if (b > a) {
        const int from = pixelAt(a), to = pixelAt(b);
        const QRect inner = ch.adjusted(1, 1, -1, -1);
        const QRect sel = orientation() == Qt::Horizontal
                              ? QRect(QPoint(std::min(from, to), inner.top()), QPoint(std::max(from, to), inner.bottom()))
                              : QRect(QPoint(inner.left(), std::min(from, to)), QPoint(inner.right(), std::max(from, to)));
        p.fillRect(sel, palette().brush(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::Highlight));
    }
    QStyleOptionSlider opt;
    initStyleOption(&opt);
    opt.subControls = QStyle::SC_SliderTickmarks | QStyle::SC_SliderHandle;
    style()->drawComplexControl(QStyle::CC_Slider, &opt, &p, this);
}

} // namespace sv

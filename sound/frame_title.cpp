#include "sound/frame_title.h"

#include <QEvent>
#include <QMdiSubWindow>
#include <QStyle>
#include <QStyleOptionTitleBar>

#include <algorithm>

namespace {

const QString kEllipsis = QString(QChar(0x2026));

} // namespace

QString shortenedPath(const QString& path, const QFontMetrics& fm, int room) {
    if (fm.horizontalAdvance(path) <= room) return path;
    const int slash = int(path.lastIndexOf(QLatin1Char('/')));
    const QString name = path.mid(slash + 1);
    if (slash >= 0) {
        const QString tail = QLatin1Char('/') + name;
        // Pieces measured apart may come out a pixel wider together.
        for (int folderRoom = room - fm.horizontalAdvance(tail); folderRoom >= fm.horizontalAdvance(kEllipsis);
             folderRoom -= 2) {
            const QString shown = fm.elidedText(path.left(slash), Qt::ElideMiddle, folderRoom) + tail;
            if (fm.horizontalAdvance(shown) <= room) return shown;
        }
    }
    // The end of a name tells takes and tracks apart ("take-07.wav").
    return fm.elidedText(name, Qt::ElideLeft, room);
}

QString shortestTitle(const QString& path) {
    const int slash = int(path.lastIndexOf(QLatin1Char('/')));
    return slash < 0 ? path : kEllipsis + path.mid(slash);
}

QFontMetrics frameTitleMetrics(const QMdiSubWindow* frame) { return frame->fontMetrics(); }

// The title bar's label as the frame lays it out, less the 14 pixels the
// styles keep free inside it. The frame may draw a border of up to 4
// pixels around its title bar. Counting both keeps the text within the
// room the style gives it, so that the style never cuts it again at its
// end.
int frameTitleRoom(const QMdiSubWindow* frame, int frameWidth) {
    constexpr int kBorder = 4;
    constexpr int kLabelMargin = 14;
    QStyleOptionTitleBar opt;
    opt.initFrom(frame);
    opt.subControls = QStyle::SC_All;
    opt.titleBarFlags = frame->windowFlags();
    opt.titleBarState = int(frame->windowState());
    const int height = frame->style()->pixelMetric(QStyle::PM_TitleBarHeight, &opt, frame);
    opt.rect = QRect(kBorder, kBorder, std::max(0, frameWidth - 2 * kBorder), height);
    const QRect label = frame->style()->subControlRect(QStyle::CC_TitleBar, &opt, QStyle::SC_TitleBarLabel, frame);
    return std::max(0, label.width() - kLabelMargin);
}

int frameWidthShowing(const QMdiSubWindow* frame, const QString& title) {
    // The buttons and borders take the same width at any frame width that
    // holds them.
    constexpr int kWide = 4000;
    const int decoration = kWide - frameTitleRoom(frame, kWide);
    return decoration + frameTitleMetrics(frame).horizontalAdvance(title) + 1;
}

void showShortTitle(QMdiSubWindow* frame) {
    const QWidget* inner = frame->widget();
    if (!inner) return;
    const QString caption = inner->windowTitle();
    frame->setWindowTitle(frame->isMaximized() ? caption
                                               : shortenedPath(caption, frameTitleMetrics(frame),
                                                               frameTitleRoom(frame, frame->width())));
}

namespace {

class ShortTitle : public QObject {
public:
    explicit ShortTitle(QMdiSubWindow* frame) : QObject(frame) { frame->installEventFilter(this); }

protected:
    bool eventFilter(QObject* watched, QEvent* e) override {
        // A frame being destroyed is no QMdiSubWindow any more.
        auto* frame = qobject_cast<QMdiSubWindow*>(watched);
        if (frame && (e->type() == QEvent::Resize || e->type() == QEvent::WindowStateChange ||
                      e->type() == QEvent::FontChange || e->type() == QEvent::StyleChange))
            showShortTitle(frame);
        return false;
    }
};

} // namespace

void keepShortTitle(QMdiSubWindow* frame) {
    new ShortTitle(frame);
    showShortTitle(frame);
}

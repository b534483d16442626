#include "sound/status_panels.h"

#include <QEvent>
#include <QPainter>
#include <QStyle>
#include <algorithm>

namespace {
// Space around the text inside the frame, both sides together.
constexpr int kPadding = 10;
// A cut text shows at least this many characters before the "…".
constexpr int kLeastCharacters = 4;
const QString kEllipsis = QStringLiteral("\u2026");
} // namespace

StatusPanel::StatusPanel(const QString& text, const QStringList& longest, int lead, QWidget* parent)
    : QFrame(parent), text_(text), longest_(longest) {
    setFrameShape(QFrame::Panel);
    setFrameShadow(QFrame::Sunken);
    setContentsMargins(lead, 0, 0, 0);
    measure();
}

void StatusPanel::measure() {
    const QFontMetrics fm = fontMetrics();
    longestAdvance_ = 0;
    for (const QString& t : longest_) longestAdvance_ = std::max(longestAdvance_, fm.horizontalAdvance(t));
    textAdvance_ = fm.horizontalAdvance(text_);
}

void StatusPanel::changeEvent(QEvent* e) {
    QFrame::changeEvent(e);
    if (e->type() == QEvent::FontChange) measure();
}

void StatusPanel::setText(const QString& text) {
    if (text == text_) return;
    text_ = text;
    textAdvance_ = fontMetrics().horizontalAdvance(text_);
    update();
    if (auto* row = qobject_cast<StatusPanelRow*>(parentWidget())) row->arrange();
}

int StatusPanel::chrome() const {
    const QMargins m = contentsMargins();
    return 2 * frameWidth() + m.left() + m.right() + kPadding;
}

int StatusPanel::textRoom() const { return std::max(0, width() - chrome()); }

int StatusPanel::preferredWidth() const { return chrome() + std::max(longestAdvance_, textAdvance_); }

int StatusPanel::neededWidth() const { return chrome() + textAdvance_; }

int StatusPanel::leastWidth() const {
    if (text_.size() <= kLeastCharacters) return neededWidth();
    return std::min(neededWidth(), chrome() + fontMetrics().horizontalAdvance(text_.left(kLeastCharacters) + kEllipsis));
}

QString StatusPanel::shownText() const {
    if (textAdvance_ <= textRoom()) return text_;
    return fontMetrics().elidedText(text_, Qt::ElideRight, textRoom());
}

QSize StatusPanel::sizeHint() const {
    return QSize(preferredWidth(), fontMetrics().height() + 2 * frameWidth() + 2);
}

QSize StatusPanel::minimumSizeHint() const { return QSize(0, sizeHint().height()); }

void StatusPanel::paintEvent(QPaintEvent* e) {
    QFrame::paintEvent(e);
    QPainter p(this);
    const QString shown = shownText();
    QRect r = contentsRect();
    // A whole text stands in the middle of its panel; a cut one starts at
    // the panel's start, so that what is cut away is its end.
    int flags = Qt::AlignVCenter;
    if (shown == text_) {
        flags |= Qt::AlignHCenter;
    } else {
        flags |= Qt::AlignLeft;
        r.setLeft(r.left() + kPadding / 2);
    }
    style()->drawItemText(&p, r, flags, palette(), isEnabled(), shown, foregroundRole());
}

StatusPanelRow::StatusPanelRow(QWidget* parent) : QWidget(parent) {}

void StatusPanelRow::addPanel(StatusPanel* panel) {
    panel->setParent(this);
    panels_.push_back(panel);
    arrange();
}

QSize StatusPanelRow::sizeHint() const {
    int w = 0, h = 0;
    for (const StatusPanel* p : panels_) {
        w += p->preferredWidth();
        h = std::max(h, p->sizeHint().height());
    }
    return QSize(w, h);
}

QSize StatusPanelRow::minimumSizeHint() const { return QSize(0, sizeHint().height()); }

void StatusPanelRow::resizeEvent(QResizeEvent* e) {
    QWidget::resizeEvent(e);
    arrange();
}

void StatusPanelRow::arrange() {
    const int n = int(panels_.size());
    const int room = width();
    std::vector<int> widths(size_t(n), 0);
    int preferred = 0, needed = 0;
    for (const StatusPanel* p : panels_) {
        preferred += p->preferredWidth();
        needed += p->neededWidth();
    }
    if (preferred <= room) {
        for (int i = 0; i < n; ++i) widths[size_t(i)] = panels_[size_t(i)]->preferredWidth();
    } else if (needed <= room) {
        // Every text whole; what is left over goes to the panels in
        // proportion to what they give up from their wide-window width.
        const int spare = room - needed, given = preferred - needed;
        for (int i = 0; i < n; ++i) {
            const StatusPanel* p = panels_[size_t(i)];
            widths[size_t(i)] = p->neededWidth() + int(int64_t(spare) * (p->preferredWidth() - p->neededWidth()) / given);
        }
    } else {
        int x = 0;
        for (int i = 0; i < n; ++i) {
            const StatusPanel* p = panels_[size_t(i)];
            if (x + p->neededWidth() <= room) {
                widths[size_t(i)] = p->neededWidth();
                x += widths[size_t(i)];
                continue;
            }
            // The first panel always shows, cut as far as it must be.
            if (room - x >= p->leastWidth() || i == 0) widths[size_t(i)] = std::max(0, room - x);
            break;
        }
    }
    int x = 0;
    for (int i = 0; i < n; ++i) {
        StatusPanel* p = panels_[size_t(i)];
        const int w = widths[size_t(i)];
        if (w <= 0 && i > 0) {
            p->hide();
            continue;
        }
        p->setGeometry(x, 0, w, height());
        p->show();
        x += w;
    }
}

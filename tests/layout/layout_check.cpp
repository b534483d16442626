#include "tests/layout/layout_check.h"

#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QStackedWidget>
#include <QStyle>
#include <QStyleOption>
#include <QTextEdit>
#include <QToolButton>

namespace sv::test {

namespace {

// The smallest screen the forms must fit on.
constexpr int kScreenWidth = 800;
constexpr int kScreenHeight = 600;


// Widgets a compound control builds for itself (the line edit of a spin
// box, the viewport of a list, the extension button of a tool bar): their
// look is the toolkit's, not the form's.
bool isInternal(const QWidget* w, const QWidget* top) {
    for (const QWidget* p = w; p && p != top; p = p->parentWidget()) {
        if (p->objectName().startsWith(QLatin1String("qt_"))) return true;
        const QWidget* parent = p->parentWidget();
        if (!parent || parent == top->parentWidget()) break;
        if (qobject_cast<const QComboBox*>(parent) || qobject_cast<const QAbstractSpinBox*>(parent) ||
            qobject_cast<const QAbstractItemView*>(parent) || qobject_cast<const QTextEdit*>(parent) ||
            qobject_cast<const QPlainTextEdit*>(parent) || qobject_cast<const QLineEdit*>(parent))
            return true;
        if (auto* area = qobject_cast<const QAbstractScrollArea*>(parent);
            area && !qobject_cast<const QScrollArea*>(parent) && !qobject_cast<const QMdiArea*>(parent))
            return true;
    }
    return false;
}

// Children whose places the user chooses, or that scroll: a sub-window of
// the workspace may lie over another or past its edge, and so may the
// contents of a scrolled area.
bool freelyPlaced(const QWidget* parent) {
    if (auto* area = qobject_cast<const QAbstractScrollArea*>(parent->parentWidget()))
        if (area->viewport() == parent) return true;
    return qobject_cast<const QMdiArea*>(parent) || qobject_cast<const QStackedWidget*>(parent) ||
           qobject_cast<const QMainWindow*>(parent);
}

int advance(const QFontMetrics& fm, const QString& text) {
    int w = 0;
    for (const QString& line : text.split(QLatin1Char('\n'))) w = std::max(w, fm.horizontalAdvance(line));
    return w;
}

int lineCount(const QString& text) { return int(text.count(QLatin1Char('\n'))) + 1; }

bool isRichText(const QLabel* l) {
    return l->textFormat() == Qt::RichText || (l->textFormat() == Qt::AutoText && Qt::mightBeRichText(l->text()));
}

// Where the text of a control lies, in its own coordinates; empty when
// the control shows no text of its own.
QRect textRect(const QWidget* w) {
    if (auto* l = qobject_cast<const QLabel*>(w)) {
        if (l->text().isEmpty() || isRichText(l) || l->wordWrap()) return {};
        const QString text = l->buddy() ? shownText(l->text()) : l->text();
        const QFontMetrics fm(l->font());
        const QSize size(advance(fm, text), fm.height() * lineCount(text));
        const QRect cr = l->contentsRect().adjusted(l->margin(), l->margin(), -l->margin(), -l->margin());
        return QStyle::alignedRect(l->layoutDirection(), l->alignment(), size, cr);
    }
    if (auto* b = qobject_cast<const QAbstractButton*>(w)) {
        if (b->text().isEmpty()) return {};
        if (auto* t = qobject_cast<const QToolButton*>(b); t && t->toolButtonStyle() == Qt::ToolButtonIconOnly)
            return {};
        const QFontMetrics fm(b->font());
        const QSize size(advance(fm, shownText(b->text())), fm.height());
        if (qobject_cast<const QCheckBox*>(b) || qobject_cast<const QRadioButton*>(b))
            return QRect(QPoint(b->width() - size.width(), (b->height() - size.height()) / 2), size);
        return QStyle::alignedRect(b->layoutDirection(), Qt::AlignCenter, size, b->rect());
    }
    return {};
}

QString fits(const QString& what, int need, int room) {
    return QStringLiteral("%1 needs %2 pixels and has %3").arg(what).arg(need).arg(room);
}

// Why the control's text does not fit it; empty when it fits.
QString textFault(const QWidget* w) {
    if (auto* l = qobject_cast<const QLabel*>(w)) {
        if (l->text().isEmpty() || isRichText(l)) return {};
        const QFontMetrics fm(l->font());
        const QRect cr = l->contentsRect().adjusted(l->margin(), l->margin(), -l->margin(), -l->margin());
        if (l->wordWrap()) {
            const int need = l->heightForWidth(l->width());
            return need > l->height() ? fits(QStringLiteral("its wrapped text height"), need, l->height()) : QString();
        }
        const QString text = l->buddy() ? shownText(l->text()) : l->text();
        int room = cr.width();
        int indent = l->indent();
        if (indent < 0 && l->frameWidth() > 0) indent = fm.horizontalAdvance(QLatin1Char('x')) / 2;
        if (indent > 0 && (l->alignment() & (Qt::AlignLeft | Qt::AlignRight))) room -= indent;
        const int need = advance(fm, text);
        if (need > room) return fits(QStringLiteral("its text"), need, room);
        const int height = fm.ascent() + fm.descent() + fm.lineSpacing() * (lineCount(text) - 1);
        if (height > cr.height() + 1) return fits(QStringLiteral("its text height"), height, cr.height());
        return {};
    }
    if (auto* b = qobject_cast<const QCheckBox*>(w); b && !b->text().isEmpty()) {
        const int need = b->sizeHint().width();
        return need > b->width() ? fits(QStringLiteral("its caption"), need, b->width()) : QString();
    }
    if (auto* b = qobject_cast<const QRadioButton*>(w); b && !b->text().isEmpty()) {
        const int need = b->sizeHint().width();
        return need > b->width() ? fits(QStringLiteral("its caption"), need, b->width()) : QString();
    }
    if (auto* b = qobject_cast<const QPushButton*>(w); b && !b->text().isEmpty()) {
        QStyleOptionButton opt;
        opt.initFrom(b);
        opt.text = b->text();
        opt.icon = b->icon();
        opt.iconSize = b->iconSize();
        if (b->isFlat()) opt.features |= QStyleOptionButton::Flat;
        if (b->isDefault()) opt.features |= QStyleOptionButton::DefaultButton;
        if (b->autoDefault()) opt.features |= QStyleOptionButton::AutoDefaultButton;
        const QRect contents = b->style()->subElementRect(QStyle::SE_PushButtonContents, &opt, b);
        int need = advance(QFontMetrics(b->font()), shownText(b->text()));
        if (!b->icon().isNull()) need += b->iconSize().width() + 4;
        return need > contents.width() ? fits(QStringLiteral("its caption"), need, contents.width()) : QString();
    }
    if (auto* b = qobject_cast<const QToolButton*>(w); b && !b->text().isEmpty()) {
        if (b->toolButtonStyle() == Qt::ToolButtonIconOnly) return {};
        int need = advance(QFontMetrics(b->font()), shownText(b->text())) + 4;
        if (b->toolButtonStyle() == Qt::ToolButtonTextBesideIcon) need += b->iconSize().width() + 4;
        return need > b->width() ? fits(QStringLiteral("its caption"), need, b->width()) : QString();
    }
    if (auto* g = qobject_cast<const QGroupBox*>(w); g && !g->title().isEmpty()) {
        QStyleOptionGroupBox opt;
        opt.initFrom(g);
        opt.text = g->title();
        opt.lineWidth = 1;
        opt.midLineWidth = 0;
        opt.textAlignment = g->alignment();
        opt.subControls = QStyle::SC_GroupBoxFrame | QStyle::SC_GroupBoxLabel;
        if (g->isCheckable()) opt.subControls |= QStyle::SC_GroupBoxCheckBox;
        if (g->isFlat()) opt.features |= QStyleOptionFrame::Flat;
        const QRect label = g->style()->subControlRect(QStyle::CC_GroupBox, &opt, QStyle::SC_GroupBoxLabel, g);
        const int need = advance(QFontMetrics(g->font()), shownText(g->title()));
        if (label.right() >= g->width() || label.left() < 0)
            return fits(QStringLiteral("its title"), label.right() + 1, g->width());
        return need > label.width() ? fits(QStringLiteral("its title"), need, label.width()) : QString();
    }
    if (auto* c = qobject_cast<const QComboBox*>(w)) {
        QStyleOptionComboBox opt;
        opt.initFrom(c);
        opt.editable = c->isEditable();
        opt.frame = c->hasFrame();
        opt.subControls = QStyle::SC_All;
        opt.currentText = c->currentText();
        const QRect field = c->style()->subControlRect(QStyle::CC_ComboBox, &opt, QStyle::SC_ComboBoxEditField, c);
        const QFontMetrics fm(c->font());
        QStringList texts;
        for (int i = 0; i < c->count(); ++i) texts << c->itemText(i);
        if (!texts.contains(c->currentText())) texts << c->currentText();
        for (const QString& t : texts) {
            const int need = fm.horizontalAdvance(t);
            if (need > field.width()) return fits(QStringLiteral("item \"%1\"").arg(t), need, field.width());
        }
        return {};
    }
    if (auto* e = qobject_cast<const QLineEdit*>(w); e && e->isReadOnly() && !e->text().isEmpty()) {
        const int frame = e->hasFrame() ? e->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, e) : 0;
        const QMargins m = e->textMargins();
        const int room = e->width() - 2 * frame - 4 - m.left() - m.right();
        const int need = QFontMetrics(e->font()).horizontalAdvance(e->text());
        return need > room ? fits(QStringLiteral("its text"), need, room) : QString();
    }
    return {};
}

// A family the widget asks for that the machine does not have: the text
// then shows in a stand-in font, letters where the form meant symbols.
QString fontFault(const QWidget* w) {
    const QFont f = w->font();
    if (!(f.resolveMask() & QFont::FamilyResolved) && !(f.resolveMask() & QFont::FamiliesResolved)) return {};
    const QString family = f.family();
    if (family.isEmpty() || family == QApplication::font().family()) return {};
    if (QFontDatabase::hasFamily(family)) return {};
    return QStringLiteral("asks for the font \"%1\", which is not installed").arg(family);
}

// Stacking order: a later child paints over an earlier one.
bool stackedAbove(const QWidget* a, const QWidget* b) {
    const QObjectList& kids = a->parentWidget()->children();
    return kids.indexOf(const_cast<QWidget*>(a)) > kids.indexOf(const_cast<QWidget*>(b));
}

// Shown on the screen: visible and not of an empty size.
bool shown(const QWidget* w) { return w->isVisible() && w->width() > 0 && w->height() > 0; }

QList<QWidget*> shownChildren(QWidget* parent, const QWidget* top) {
    QList<QWidget*> out;
    for (QWidget* c : parent->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly))
        if (!c->isWindow() && shown(c) && !isInternal(c, top)) out << c;
    return out;
}

} // namespace

QString shownText(const QString& text) {
    QString out;
    for (int i = 0; i < text.size(); ++i) {
        if (text[i] == QLatin1Char('&')) {
            if (i + 1 < text.size() && text[i + 1] == QLatin1Char('&')) out += QLatin1Char('&');
            ++i;
            if (i < text.size() && text[i] != QLatin1Char('&')) out += text[i];
            continue;
        }
        out += text[i];
    }
    return out;
}

bool hasMnemonic(const QString& text) {
    for (int i = 0; i < text.size(); ++i) {
        if (text[i] != QLatin1Char('&')) continue;
        if (i + 1 < text.size() && text[i + 1] == QLatin1Char('&')) {
            ++i;
            continue;
        }
        return true;
    }
    return false;
}

QString describe(const QWidget* w) {
    QString text;
    if (auto* l = qobject_cast<const QLabel*>(w)) text = l->text();
    else if (auto* b = qobject_cast<const QAbstractButton*>(w)) text = b->text();
    else if (auto* g = qobject_cast<const QGroupBox*>(w)) text = g->title();
    else if (auto* c = qobject_cast<const QComboBox*>(w)) text = c->currentText();
    else if (auto* e = qobject_cast<const QLineEdit*>(w)) text = e->text();
    QString name = w->objectName().isEmpty() ? QString() : w->objectName() + QLatin1Char(' ');
    name += QLatin1Char('(') + QLatin1String(w->metaObject()->className()) + QLatin1Char(')');
    if (!text.isEmpty()) name += QStringLiteral(" \"%1\"").arg(text);
    // An unnamed control is found by the named one it lies in.
    if (w->objectName().isEmpty() && text.isEmpty())
        for (const QWidget* p = w->parentWidget(); p; p = p->parentWidget())
            if (!p->objectName().isEmpty() || p->isWindow()) {
                name += QStringLiteral(" in ") + (p->objectName().isEmpty() ? QLatin1String(p->metaObject()->className()) : p->objectName());
                break;
            }
    return name;
}

QStringList layoutFaults(QWidget* top, const OverlapAllowed& allowed) {
    QStringList faults;
    QList<QWidget*> all{top};
    for (QWidget* w : top->findChildren<QWidget*>())
        if (!isInternal(w, top) && (!w->isWindow() || w == top)) all << w;

    if (qobject_cast<QDialog*>(top) && (top->width() > kScreenWidth || top->height() > kScreenHeight))
        faults << QStringLiteral("%1 opens %2 x %3 pixels, more than a %4 x %5 screen")
                      .arg(describe(top))
                      .arg(top->width())
                      .arg(top->height())
                      .arg(kScreenWidth)
                      .arg(kScreenHeight);

    for (QWidget* w : all) {
        if (const QString f = fontFault(w); !f.isEmpty()) faults << describe(w) + QLatin1Char(' ') + f;
        if (!shown(w)) continue;
        if (const QString f = textFault(w); !f.isEmpty()) faults << describe(w) + QStringLiteral(" is cut: ") + f;
        if (auto* l = qobject_cast<QLabel*>(w); l && !l->buddy() && !isRichText(l) && hasMnemonic(l->text()))
            faults << describe(w) + QStringLiteral(" shows its mnemonic \"&\" as a character");

        if (w == top || !w->parentWidget()) continue;
        QWidget* parent = w->parentWidget();
        if (!freelyPlaced(parent) && !parent->rect().contains(w->geometry()))
            faults << QStringLiteral("%1 at %2,%3 %4 x %5 sticks out of %6 (%7 x %8)")
                          .arg(describe(w))
                          .arg(w->x())
                          .arg(w->y())
                          .arg(w->width())
                          .arg(w->height())
                          .arg(describe(parent))
                          .arg(parent->width())
                          .arg(parent->height());
        // Text under a sibling painted over it.
        const QRect text = textRect(w).translated(w->pos()).intersected(w->geometry());
        if (!text.isEmpty() && !freelyPlaced(parent))
            for (QWidget* s : shownChildren(parent, top))
                if (s != w && stackedAbove(s, w) && s->geometry().intersects(text))
                    faults << describe(w) + QStringLiteral(": its text lies under ") + describe(s);
    }

    // Siblings over one another.
    for (QWidget* parent : all) {
        if (!shown(parent) || freelyPlaced(parent)) continue;
        const QList<QWidget*> kids = shownChildren(parent, top);
        for (int i = 0; i < kids.size(); ++i)
            for (int j = i + 1; j < kids.size(); ++j) {
                if (!kids[i]->geometry().intersects(kids[j]->geometry())) continue;
                if (allowed && (allowed(kids[i], kids[j]) || allowed(kids[j], kids[i]))) continue;
                faults << describe(kids[i]) + QStringLiteral(" and ") + describe(kids[j]) +
                              QStringLiteral(" lie over one another");
            }
    }
    faults.removeDuplicates();
    return faults;
}

QStringList toolPictureFaults(QWidget* top) {
    QStringList faults;
    struct Seen {
        const QToolButton* button;
        QImage picture;
    };
    std::vector<Seen> seen;
    for (QToolButton* b : top->findChildren<QToolButton*>()) {
        if (b->objectName().isEmpty() || b->objectName().startsWith(QLatin1String("qt_"))) continue;
        // An arrow button's picture is its arrow; a button with a caption
        // and no picture is a text button.
        if (b->arrowType() != Qt::NoArrow || b->toolButtonStyle() == Qt::ToolButtonTextOnly) continue;
        if (b->icon().isNull() && !b->text().isEmpty()) continue;
        if (b->icon().isNull()) {
            faults << describe(b) + QStringLiteral(" shows no picture");
            continue;
        }
        const QImage img = b->icon().pixmap(b->iconSize(), 1.0).toImage().convertToFormat(QImage::Format_ARGB32);
        for (const Seen& s : seen)
            if (s.picture == img)
                faults << describe(b) + QStringLiteral(" shows the same picture as ") + describe(s.button);
        seen.push_back({b, img});
    }
    return faults;
}

} // namespace sv::test

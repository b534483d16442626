// What a user would see wrong in a window, found from its widgets after
// the window is shown: text that does not fit its control, a mnemonic "&"
// shown as a character, a font the machine does not have, controls lying
// over one another or over their parent's edge, a form too big for a small
// screen, and tool buttons that show the same picture.
#pragma once
#include <QString>
#include <QStringList>
#include <functional>

class QWidget;

namespace sv::test {

// Pairs of visible siblings the form puts over one another on purpose
// (a picture drawn over its axis lines, buttons laid over a status bar).
using OverlapAllowed = std::function<bool(const QWidget* a, const QWidget* b)>;

// Every fault of the shown window `top`, one line each, naming the widget
// by its object name, class and text. Empty when the window is right.
QStringList layoutFaults(QWidget* top, const OverlapAllowed& allowed = {});

// Pairs of tool buttons under `top` whose pictures are the same, and tool
// buttons showing nothing. A button with a caption and no picture is a
// text button, an arrow button's picture is its arrow: both are left out.
QStringList toolPictureFaults(QWidget* top);

// The text a control shows for `text`: each "&x" mnemonic marker is taken
// out, "&&" shows as "&".
QString shownText(const QString& text);
// Whether `text` holds a mnemonic marker (an "&" not doubled).
bool hasMnemonic(const QString& text);

// How a widget is named in a fault: object name, class and text.
QString describe(const QWidget* w);

} // namespace sv::test

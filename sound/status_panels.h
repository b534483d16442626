// The status panels of a sound window and the row that places them.
//
// A panel keeps the width of the longest text it shows while the window has
// the room. In a narrower window the panels shrink to what their present
// texts need; when even that is too wide, the panels are laid from the left
// with their whole texts, the first one that does not fit shows the start
// of its text followed by "…", and those after it step aside (hidden) until
// the window is wide enough again. A text is never cut on both sides, and
// no panel lies over another.
#pragma once
#include <QFrame>
#include <QString>
#include <vector>

class StatusPanel : public QFrame {
    Q_OBJECT
public:
    // `longest` are the texts the panel may show, for its width in a wide
    // window; `lead` is room at its start that a button lies over.
    StatusPanel(const QString& text, const QStringList& longest, int lead, QWidget* parent = nullptr);

    QString text() const { return text_; }
    void setText(const QString& text);
    // The text as painted at the present width: whole, or its start and "…".
    QString shownText() const;

    // Widths: the stable one of a wide window, the one the present text
    // needs, and the least that still shows the text's start and "…".
    int preferredWidth() const;
    int neededWidth() const;
    int leastWidth() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* e) override;
    void changeEvent(QEvent* e) override;

private:
    // Room for text inside the frame, after the lead.
    int textRoom() const;
    int chrome() const;   // everything but the text: frame, lead, padding
    // The texts' widths in the panel's font, measured once per text: a
    // playing sound changes two texts every few milliseconds.
    void measure();
    QString text_;
    QStringList longest_;
    int longestAdvance_ = 0;
    int textAdvance_ = 0;
};

// Lays its panels side by side by the rule above. Put in a status bar with
// a stretch, it takes the bar's width and never asks for more than it has.
class StatusPanelRow : public QWidget {
    Q_OBJECT
public:
    explicit StatusPanelRow(QWidget* parent = nullptr);
    void addPanel(StatusPanel* panel);
    const std::vector<StatusPanel*>& panels() const { return panels_; }
    // Places the panels for the row's present width (called on resizing and
    // whenever a panel's text changes).
    void arrange();

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void resizeEvent(QResizeEvent* e) override;

private:
    std::vector<StatusPanel*> panels_;
};

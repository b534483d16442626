// The drawing area of a sound window. It shows WaveBitmap and, over it, the
// selection rectangle (Shape1, which inverts what lies under it) and the
// cursor line (Bevel2). Those two are controls of their own, moved by the
// mouse code and by every redraw; the canvas follows their geometry, so
// whoever moves them needs no call to repaint.
#pragma once
#include <QWidget>

class TSoundfrm;

class WaveCanvas : public QWidget {
public:
    explicit WaveCanvas(TSoundfrm* owner);
    // Repaints whenever the selection rectangle or the cursor line moves.
    void follow(QWidget* overlay);

protected:
    void paintEvent(QPaintEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    TSoundfrm* owner_;
};

// "Frequency Shift": a signed percent -100..100 by which the spectral
// engine scales the frequencies. Made by its caller for one run; the caller
// reads tb1 when the result is sv::mrOk.
#pragma once
#include <QDialog>

class QLabel;
class QPushButton;

namespace sv {
class TrackBar;
}

class TFrequencyShiftfrm : public QDialog {
    Q_OBJECT
public:
    explicit TFrequencyShiftfrm(QWidget* parent = nullptr);

    sv::TrackBar* tb1;
    QLabel* Label2;   // the signed position and "%"
    QPushButton* Button1;
    QPushButton* Button2;

    // The highlighted stretch of the bar, from 0 to the position (from the
    // position to 0 when it is negative).
    int SelStart = 0;
    int SelEnd = 0;

    void tb1Change();
};

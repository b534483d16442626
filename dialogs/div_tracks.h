// "Divide File in Tracks by Silences": cuts a PCM WAVE file after every
// silence of a given length. Created on demand by the main window, shown
// modally and freed.
#pragma once
#include <QDialog>

#include "platform/prompts.h"

class QLabel;
class QLineEdit;
class QPushButton;
class QSlider;
class QStatusBar;
class QToolButton;

class Tdiv_tracksfrm : public QDialog {
    Q_OBJECT
public:
    explicit Tdiv_tracksfrm(QWidget* parent = nullptr);

    QLabel* Label1;
    QLineEdit* Edit1;
    QToolButton* SpeedButton1;
    sv::FileDialogRequest OpenDialog1;
    QSlider* TrackBar1;   // threshold, percent of full scale
    QLabel* Label3;
    QLabel* Label4;
    QSlider* TrackBar2;   // silence length, seconds
    QLabel* Label6;
    QLabel* Label7;
    QStatusBar* StatusBar1;
    QPushButton* button1;
    QToolButton* SpeedButton2;

    void SpeedButton1Click();
    void TrackBar1Change();
    void TrackBar2Change();
    void button1Click();
    void SpeedButton2Click();
};

namespace sv {
// The main window's "Divide Fil&e in Tracks by Silences" and its tool button.
void runDivTracks(QWidget* parent);
}

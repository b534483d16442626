// "Divide File in Multiple Files": cuts a PCM WAVE file into pieces of one
// size, given in kilobytes or as a duration. Created on demand by the main
// window, shown modally and freed.
#pragma once
#include <QDialog>

#include "platform/prompts.h"

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QToolButton;

class Tdiv_wavs : public QDialog {
    Q_OBJECT
public:
    explicit Tdiv_wavs(QWidget* parent = nullptr);

    QLabel* Label1;
    QLineEdit* Edit1;
    QToolButton* SpeedButton1;
    sv::FileDialogRequest OpenDialog1;
    QGroupBox* rg1;
    QLabel* Label3;
    QLabel* Label4;
    QComboBox* ComboBox1;
    QCheckBox* Custom;
    QSpinBox* SpinEdit1;
    QLabel* Label5;
    QPushButton* button1;
    QToolButton* SpeedButton2;

    // The unit chosen in rg1: 0 KBytes, 1 Minutes, 2 Seconds, 3 Milliseconds.
    int rg1ItemIndex() const;
    void setRg1ItemIndex(int index);

    void SpeedButton1Click();
    void rg1Click();
    void CustomClick();
    void Button1Click();
    void SpeedButton2Click();

private:
    QButtonGroup* rg1Items_;
};

namespace sv {
// The main window's "D&ivide File in Multiple Files" and its tool button.
void runDivWavs(QWidget* parent);
}

// "STSA configuration": the top and minimum SNR thresholds (tenths of a
// decibel on the sliders, linear ratios in the values) and the noise power,
// typed as a linear value or in decibels. Made by its caller for one run;
// the caller reads the three values when the result is sv::mrOk.
#pragma once
#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSlider;

class Tstsaform : public QDialog {
    Q_OBJECT
public:
    explicit Tstsaform(QWidget* parent = nullptr);

    QLabel* Label1;          // "&Top SNR threshold:"
    QSlider* TrackBar2;
    QLabel* Label4;          // "12 dB"
    QLabel* Label2;          // "&Minimum SNR threshold:"
    QSlider* TrackBar3;
    QLabel* Label5;          // "6 dB"
    QLabel* Label3;          // "&Noise power:"
    QLineEdit* Edit1;
    QRadioButton* RadioButton1;   // "Linear"
    QRadioButton* RadioButton2;   // "dB"
    QPushButton* Button3;    // help
    QPushButton* Button1;    // "&OK"
    QPushButton* Button2;    // "&Cancel"

    double TopSnr;           // 10 ^ (TrackBar2 / 100)
    double MinSnr;           // 10 ^ (TrackBar3 / 100)
    double NoisePower = 1;
    int OK = 0;              // 1 after a successful OK

    void TrackBar2Change();
    void TrackBar3Change();
    // Typed characters: digits, the comma and backspace; false drops the
    // key (after a beep).
    bool Edit1KeyPress(QChar key);
    void Button1Click();
    void Button2Click();
    void Button3Click();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};

// The "Speed Up/Down" dialog (long-lived, global SpeedUpDownfrm): the new
// number of samples of the selection, as a change in per mille (-1000 ..
// 1000) or typed (at most twice the current number).
#pragma once
#include <QDialog>
#include <cstdint>

class QLabel;
class QLineEdit;
class QPushButton;
class QSlider;
class QToolButton;

class TSpeedUpDownfrm : public QDialog {
    Q_OBJECT
public:
    explicit TSpeedUpDownfrm(QWidget* parent = nullptr);

    // Returns 1 when cancelled (also by Escape or the frame), else 0.
    uint8_t mostrar_form(int64_t samples, int64_t& newSamples, int32_t& delta);
    void prepare(int64_t samples);

    QSlider* TrackBar1;
    QLabel* Label5;            // the change, "12.5 %"
    QLabel* Label3;            // the current number of samples
    QLineEdit* Edit1;          // the new number of samples
    QToolButton* SpinButton2Up;     // fine, +-1 per mille ("+0.1%", "-0.1%")
    QToolButton* SpinButton2Down;
    QToolButton* SpinButton1Up;     // coarse, +-10 per mille ("+1%", "-1%")
    QToolButton* SpinButton1Down;
    QPushButton* Button3;      // "Half Speed (Num Samples x2)"
    QPushButton* Button4;      // "Double Speed (Num Samples /2)"
    QPushButton* Button1;
    QPushButton* Button2;

    int64_t Current = 0;
    int64_t NewSamples = 0;
    int32_t Delta = 0;
    uint8_t Cancelled = 1;

    void TrackBar1Change();
    void Edit1Exit();
    void Edit1KeyPress();      // Return
    void SpinButton2UpClick() { spin(1); }
    void SpinButton2DownClick() { spin(-1); }
    void SpinButton1UpClick() { spin(10); }
    void SpinButton1DownClick() { spin(-10); }
    void Button3Click();
    void Button4Click();
    void Button1Click();
    void Button2Click();

private:
    void spin(int step);
    void setDelta(int32_t delta);
    void takeTyped();
};

extern TSpeedUpDownfrm* SpeedUpDownfrm;

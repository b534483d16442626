// The "Travelling Stereo" dialog, made by its caller for one run: the level
// in percent the moving sound starts from and the direction (0 = left to
// right). Cancel gives the flag 1 and the percent 101.
#pragma once
#include <QDialog>
#include <cstdint>

class QFrame;
class QLabel;
class QPushButton;
class QSlider;

namespace sv {
class RadioGroup;
}

class TTravellingStereofrm : public QDialog {
    Q_OBJECT
public:
    explicit TTravellingStereofrm(QWidget* parent = nullptr);

    // Returns the cancel flag (1 = cancelled, also by the window's frame or
    // Escape), the radio index through direction and the percent.
    uint8_t mostrar_opciones(int32_t& direction, int32_t& percent);

    // The modal run in two halves for tests.
    void prepare();
    uint8_t conclude(int32_t& direction, int32_t& percent) const;

    QLabel* Label1;        // "&Percent:"
    QSlider* TrackBar1;
    QLabel* Label3;        // "0%"
    QLabel* Label4;        // "100%"
    QFrame* Panel1;
    QLabel* Label2;        // the percent
    sv::RadioGroup* RadioGroup1;
    QPushButton* Button1;
    QPushButton* Button2;

    uint8_t Cancelled = 1;
    int32_t Percent = 0;

    void TrackBar1Change();
    void Button1Click();
    void Button2Click();
};

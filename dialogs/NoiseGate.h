// The "Noise Gate" dialog, made by its caller for one run: the threshold
// (0..127), the release/attack time in milliseconds and the residual level
// in percent. The caller shows it with sv::showModal, reads the three
// fields when the result is sv::mrOk, and frees it.
#pragma once
#include <QDialog>
#include <cstdint>

class QLabel;
class QPushButton;
class QSlider;

class TNoiseGatefrm : public QDialog {
    Q_OBJECT
public:
    explicit TNoiseGatefrm(QWidget* parent = nullptr);

    QLabel* Label1;     // "&Threshold:"
    QSlider* TrackBar1;
    QLabel* Label5;     // threshold value
    QLabel* Label9;     // "Release/Attack Time (ms):"
    QSlider* TrackBar2;
    QLabel* Label6;     // "0"
    QLabel* Label7;     // "50"
    QLabel* Label8;     // time value
    QLabel* Label10;    // "Reduction &factor:"
    QSlider* TrackBar3;
    QLabel* Label11;    // reduction value
    QPushButton* Button1;
    QPushButton* Button2;

    int32_t Threshold = 10;
    int32_t Time = 2;
    int32_t Reduction = 0;

    void FormCreate();
    void TrackBar1Change();
    void TrackBar2Change();
    void TrackBar3Change();
};

// The noise level dialog of the noise generators: a slider 0..1000 whose
// position is the level (shown as position / 1000). The caption names the
// kind of noise. Made by the sound window for one run.
#pragma once
#include <QDialog>
#include <cstdint>
#include <string>

class QLabel;
class QPushButton;
class QSlider;

class TGaussianfrm : public QDialog {
    Q_OBJECT
public:
    explicit TGaussianfrm(QWidget* parent = nullptr);

    // kind: "unifdist", "expdist", "pinkdist" or "speckle" (any other kind
    // keeps the captions). Returns the cancel flag (1 = cancelled, also by
    // Escape or the frame) and the level through variance.
    uint8_t mostrar_form(const std::string& kind, int32_t& variance);

    // The modal run in two halves for tests.
    void prepare(const std::string& kind);

    QSlider* TrackBar1;
    QLabel* Label4;   // the level / 1000
    QLabel* Label5;   // "&... noise variance:"
    QPushButton* Button1;
    QPushButton* Button2;

    int32_t Variance = 100;
    uint8_t Cancelled = 1;

    void TrackBar1Change();
    void Button1Click();
    void Button2Click();
};

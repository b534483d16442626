// "Wavelet Denoising Filter": the threshold in percent of full scale (the
// slider counts tenths) and the thresholding kind. Made by the sound window
// for one run; a threshold of 0.0 (Cancel, or OK with the slider at 0)
// means nothing is to be done.
#pragma once
#include <QDialog>
#include <cstdint>

class QLabel;
class QPushButton;
class QSlider;

namespace sv { class RadioGroup; }

class Twaveletfrm : public QDialog {
    Q_OBJECT
public:
    explicit Twaveletfrm(QWidget* parent = nullptr);

    QSlider* lambda;
    QLabel* Label3;          // the threshold, "5%" at first
    sv::RadioGroup* rg1;     // "Thresholding": "Soft", "Hard"
    QPushButton* Button1;
    QPushButton* Button2;

    double threshold = 0.0;  // percent
    int32_t thresholding = 0;

    void lambdaChange();
    void Button1Click();
    void Button2Click();
};

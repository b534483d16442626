// "Customized Filter": seven tap weights in percent for the samples k-3 ..
// k+3 around each output, the filter length choosing which taps are in
// use, and the feedback choice. Made by its caller for one run; the caller
// reads the taps and RetroalimentationCB when the result is sv::mrOk.
#pragma once
#include <QDialog>
#include <array>

class QCheckBox;
class QPushButton;
class QSpinBox;

namespace sv { class RadioGroup; }

class TCustomizedFilterfrm : public QDialog {
    Q_OBJECT
public:
    explicit TCustomizedFilterfrm(QWidget* parent = nullptr);

    // SpinEdit1 .. SpinEdit7: taps [-3] .. [+3].
    QSpinBox* SpinEdits[7];
    sv::RadioGroup* RadioGroup1;        // "Filter Length (samples)"
    QCheckBox* CheckBox1;               // "Limit Values to 100% (max)"
    QCheckBox* RetroalimentationCB;     // "Use Retroalimentation"
    QPushButton* Button1;
    QPushButton* Button2;

    // The seven taps / 100, [-3] first.
    std::array<double, 7> weights() const;

    void RadioGroup1Click();
    void CheckBox1Click();
};

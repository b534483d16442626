// The "Mix Special" dialog, made by its caller for one run: the levels of
// the sound ("Actual Waveform") and of the clip ("Copied Waveform"), each
// 0.0 .. 1.0, kept adding up to 1 while "Mantain Ratio" is ticked.
#pragma once
#include <QDialog>

class QCheckBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QSlider;

class Tmixspecial : public QDialog {
    Q_OBJECT
public:
    explicit Tmixspecial(QWidget* parent = nullptr);

    // Shows the dialog as it was left and returns the two levels; 0 and 0
    // (which the callers take as cancelled) for any result but OK.
    void mostrar_form(double& current, double& copied);
    // What mostrar_form hands back after a run with the given modal result.
    void conclude(int modalResult, double& current, double& copied) const;

    QLabel* Label1;              // "Actual Waveform"
    QSlider* TrackBar1;
    QProgressBar* progressbar1;
    QLabel* Label2;              // "Copied Waveform"
    QSlider* TrackBar2;
    QProgressBar* progressbar2;
    QCheckBox* cb1;
    QPushButton* Button1;
    QPushButton* Button2;

    void TrackBar1Change();
    void TrackBar2Change();
    void cb1Click();
};

// The "Amplify volume" dialog: a gain in percent, chosen with the slider,
// the two presets or typed. 100 means nothing to do, and is what Cancel
// gives.
#pragma once
#include <QDialog>
#include <cstdint>

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSlider;

namespace sv {
class RadioGroup;
class EditKeys;
}

class TAmplifyVolumefrm : public QDialog {
    Q_OBJECT
public:
    explicit TAmplifyVolumefrm(QWidget* parent = nullptr);

    // Resets, shows modally and returns the gain in percent; 100 when
    // cancelled (also by the window's frame or Escape).
    int32_t mostrar_dialogo();

    // The modal run in two halves, so that tests can drive the controls in
    // between: prepare() resets as the dialog's activation does, conclude()
    // gives what mostrar_dialogo returns after a run that ended with the
    // given modal result.
    void prepare();
    int32_t conclude(int modalResult) const;

    QSlider* TrackBar1;
    QLabel* Label2;      // "0%"
    QLabel* Label3;      // middle mark
    QLabel* Label4;      // slider maximum
    sv::RadioGroup* RadioGroup1;
    QGroupBox* GroupBox1;
    QLineEdit* Edit1;
    QLabel* Label1;      // "%"
    QPushButton* Button1;
    QPushButton* Button2;

    // The gain as the handlers leave it.
    int32_t Percent = 100;

    void FormActivate();
    void TrackBar1Change();
    void RadioGroup1Click();
    void Edit1Exit();
    void Edit1KeyPress();   // Return
    void Button1Click();
    void Button2Click();

protected:
    void showEvent(QShowEvent* event) override;

private:
    // Takes the typed value; false when it is not an integer.
    bool takeTypedValue();
    bool accepted_ = false;   // closed by OK or by Return in Edit1
};

// The instance that lives for the whole run (created at start-up).
extern TAmplifyVolumefrm* AmplifyVolumefrm;

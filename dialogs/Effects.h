// The "Special Effects" dialog: an effect from the list and up to two
// parameters (threshold and ratio), laid out by mode: 1 = list and
// threshold, 2 = threshold and ratio, 3 = list and both. A named effect
// opens with its preset. Cancel gives threshold = ratio = 1000.
#pragma once
#include <QDialog>
#include <QString>
#include <cstdint>

class QComboBox;
class QLabel;
class QPushButton;
class QSlider;

class TEffectsfrm : public QDialog {
    Q_OBJECT
public:
    explicit TEffectsfrm(QWidget* parent = nullptr);

    // Returns the list index 0..12 and the two values; both values are 1000
    // when cancelled (also by the window's frame or Escape).
    int32_t Mostrar_form(int32_t& threshold, int32_t& ratio, int32_t mode, const QString& effectName);

    // The modal run in two halves for tests.
    void prepare(int32_t mode, const QString& effectName);
    int32_t conclude(int modalResult, int32_t& threshold, int32_t& ratio) const;

    QLabel* Label1;          // "&Effect type:"
    QComboBox* ComboBox1;
    QLabel* Label2;          // "&Threshold:" or "&Factor:"
    QSlider* TrackBar1;
    QLabel* Label3;          // minimum mark
    QLabel* Label4;          // maximum mark
    QLabel* Label5;          // value
    QLabel* Label9;          // "&Ratio:" or the release/attack time
    QSlider* TrackBar2;
    QLabel* Label6;
    QLabel* Label7;
    QLabel* Label8;
    QPushButton* Button1;
    QPushButton* Button2;

    QString EffectName;
    int32_t EffectIndex = 0;
    int32_t Threshold = 0;
    int32_t Ratio = 0;

    void ComboBox1Click();
    void TrackBar1Change();
    void TrackBar2Change();
    void Button1Click();
    void Button2Click();

private:
    void layoutFor(int32_t mode);
    void noiseGatePreset();
    void quantifierPreset();
    void halfwayPreset();
    bool accepted_ = false;
};

extern TEffectsfrm* Effectsfrm;

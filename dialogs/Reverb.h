// The "Reverb" dialog (long-lived, global Reverbfrm): presets, the delays,
// density, tail length and the two levels, the low pass and only-selection
// flags.
#pragma once
#include <QDialog>
#include <cstdint>

#include "sound/engine/effects/delay_effects.h"

class QCheckBox;
class QLabel;
class QListWidget;
class QPushButton;
class QSlider;

namespace sv { class RadioGroup; }

class TReverbfrm : public QDialog {
    Q_OBJECT
public:
    explicit TReverbfrm(QWidget* parent = nullptr);

    // Returns 1 when cancelled (also by Escape or the frame), else 0.
    uint8_t mostrar_form(int32_t& density, int32_t& reverbDelay, int32_t& initialDelay, int32_t& reverbTime,
                         int32_t& originalLevel, int32_t& reverbLevel, uint8_t& lowPass, uint8_t& onlySelection);
    void prepare();

    QListWidget* ListBox1;     // "&Reverb:" presets
    QSlider* TrackBar1;        // initial delay
    QLabel* Label4;
    QSlider* TrackBar2;        // reverb delay
    QLabel* Label5;
    sv::RadioGroup* RadioGroup1;   // density
    QSlider* TrackBar4;        // reverb time
    QLabel* Label9;
    QSlider* TrackBar5;        // original level
    QLabel* Label11;
    QSlider* TrackBar6;        // reverb level
    QLabel* Label13;
    QCheckBox* CheckBox1;      // "&Low pass filter"
    QCheckBox* CheckBox2;      // "Only &selection"
    QPushButton* Button1;
    QPushButton* Button2;

    sv::ReverbParams Values;
    uint8_t LowPass = 0;
    uint8_t Cancelled = 1;

    void ListBox1Click();
    void restaurar_valors();
    void RadioGroup1Click();
    void TrackBarChange();
    void CheckBox1Click();
    void CheckBox2Click();
    void Button1Click();
    void Button2Click();
};

extern TReverbfrm* Reverbfrm;

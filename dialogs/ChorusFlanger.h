// The "Chorus" and "Flanger" dialogs, made by the sound window for one run.
// The caller shows one with sv::showModal and, when the result is
// sv::mrOk, reads its values (values()) before freeing it.
#pragma once
#include <QDialog>
#include <vector>

#include "sound/engine/effects/delay_effects.h"

class QLabel;
class QListWidget;
class QPushButton;
class QSlider;
class QSpinBox;

namespace sv {

// One row of a preset list.
struct ModulationPreset {
    const char* name;
    int fixed, mixed, voices, original, processed, frequency, feedback;
};

// What the two forms share: the delays, voices, levels and LFO frequency,
// the preset list and its handlers. The flanger adds its feedback bar.
class ModulationForm : public QDialog {
public:
    ModulationForm(QWidget* parent, const QString& caption, const QString& processedCaption, bool feedback,
                   std::vector<ModulationPreset> presets);

    QSpinBox* Fixed_SE;
    QSpinBox* delay_SE;
    QSpinBox* ChorusVoices_SE;
    QSlider* owbar;
    QLabel* Label4;
    QSlider* cwbar;
    QLabel* Label6;
    QSlider* fbar;
    QLabel* Label7;
    QSlider* feedbar = nullptr;   // flanger only
    QLabel* Label12 = nullptr;
    QListWidget* ListBox1;
    QPushButton* Button1;
    QPushButton* Button2;

    // The controls as the effect takes them.
    ModulationParams values() const;

    void ListBox1Click();
    void ListBox1KeyPress();
    void refreshLabels();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void applyPreset(const ModulationPreset& p);
    // The preset a key typed on the list applies, or null for none.
    virtual const ModulationPreset* keyPreset(int row, ModulationPreset& scratch) const;
    std::vector<ModulationPreset> presets_;
};

} // namespace sv

// The chorus list ends with an empty row: a click on it changes nothing, a
// typed key applies the values it holds.
class TChorusfrm : public sv::ModulationForm {
public:
    explicit TChorusfrm(QWidget* parent = nullptr);
};

class TFlangerfrm : public sv::ModulationForm {
public:
    explicit TFlangerfrm(QWidget* parent = nullptr);
protected:
    const sv::ModulationPreset* keyPreset(int row, sv::ModulationPreset& scratch) const override;
};

// The "Gapper" and "Groove" dialogs, made by the sound window for one run:
// the caller sets SampleRate, shows the form, and reads the cancel flag and
// the values in samples (the groove number is a count).
#pragma once
#include <QDialog>
#include <cstdint>

class QLabel;
class QPushButton;
class QSpinBox;

namespace sv {
class RadioGroup;

class GapScaleForm : public QDialog {
public:
    GapScaleForm(QWidget* parent, const QString& caption, const QString& lengthCaption,
                 const QString& secondCaption, int secondValue, bool secondIsCount);

    sv::RadioGroup* rg1;        // "Scale": "Miliseconds", "Samples"
    QSpinBox* Gaplength;
    QSpinBox* Gapinterval;
    QPushButton* Button1;
    QPushButton* Button2;

    uint32_t SampleRate = 11025;
    uint8_t Cancelled = 1;
    int64_t LengthSamples = 0;
    int64_t SecondValue = 0;    // the gap interval in samples, or the groove number

    void rg1Click();
    void Button1Click();
    void Button2Click();

private:
    int64_t toSamples(int64_t v) const;
    bool secondIsCount_;
    int scale_ = 0;
};

} // namespace sv

class TGapperFrm : public sv::GapScaleForm {
public:
    explicit TGapperFrm(QWidget* parent = nullptr);
    int64_t gapLength() const { return LengthSamples; }
    int64_t gapInterval() const { return SecondValue; }
};

class TGrooveFrm : public sv::GapScaleForm {
public:
    explicit TGrooveFrm(QWidget* parent = nullptr);
    int64_t grooveLength() const { return LengthSamples; }
    int64_t grooveNumber() const { return SecondValue; }
};

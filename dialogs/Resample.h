// The "Resample Wave" dialog (long-lived, global Resamplefrm): the bits,
// rate and channels the sound is to have, as a PCM format.
#pragma once
#include <QDialog>
#include <cstdint>

#include "sound/engine/sample_format.h"

class QComboBox;
class QLabel;
class QPushButton;

class TResamplefrm : public QDialog {
    Q_OBJECT
public:
    explicit TResamplefrm(QWidget* parent = nullptr);

    // cancelled is 1 for Cancel, Escape or the frame; format is the chosen
    // PCM format (the current one until something is chosen).
    void mostrar_form(int32_t bits, int32_t rate, int32_t channels, uint8_t& cancelled, sv::SampleFormat& format);
    void prepare(int32_t bits, int32_t rate, int32_t channels);

    QLabel* Panel1;            // current bits
    QLabel* Panel2;            // current rate
    QLabel* Panel3;            // current channels
    QComboBox* ComboBox1;      // "&Bits per sample:"
    QComboBox* ComboBox2;      // "&Sample frequency:"
    QComboBox* ComboBox3;      // "&Number of channels:"
    QPushButton* Button1;
    QPushButton* Button2;

    sv::SampleFormat Format;
    uint8_t Cancelled = 1;

    void ComboBox1Change();
    void ComboBox2Change();
    void ComboBox3Change();
    void Button1Click();
    void Button2Click();

private:
    void recompute();
};

extern TResamplefrm* Resamplefrm;

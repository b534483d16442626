// "Format Selection": the rate, channels and bits of a raw sample file,
// which stores none of them. Made by the reader for one open.
#pragma once
#include <QDialog>
#include <cstdint>

class QLineEdit;
class QPushButton;
namespace sv { class RadioGroup; }

class Tformatselectionfrm : public QDialog {
    Q_OBJECT
public:
    explicit Tformatselectionfrm(QWidget* parent = nullptr);

    sv::RadioGroup* rg1 = nullptr;   // "Frequency": 11025, 22050, 44100, Other
    QLineEdit* Edit1 = nullptr;      // the rate while "Other" is chosen
    sv::RadioGroup* rg2 = nullptr;   // "Channels": Mono, Stereo
    sv::RadioGroup* rg3 = nullptr;   // "Bits": 8 unsigned, 16 signed
    QPushButton* Button1 = nullptr;  // "&OK"
    QPushButton* parar = nullptr;    // "&Cancel"

    // What the caller reads after OK.
    int32_t SamplesPerSec = 11025;
    int32_t Channels = 1;
    int32_t BitsPerSample = 8;

    // Chooses the items for a format; a rate not in the list goes to
    // "Other".
    void preset(int32_t rate, int32_t channels, int32_t bits);

    void rg1Click(int index);
    // Reads the choices and closes with 1. A typed rate that is not a whole
    // number above 0 is reported and the dialog stays open.
    void Button1Click();
};

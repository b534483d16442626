// "Device information": the wave-in and wave-out devices with their
// capabilities, the choice of the default device of each direction, and the
// size and free space of the program's disk.
#pragma once
#include <QDialog>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/audio/wave_types.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
namespace sv { class RadioGroup; }

// The devices chosen in the dialog: -1 is the system's default device. They
// reach the rest of the program only through [Configuration] DefaultInput
// and DefaultOutput, written by OK.
extern int32_t DefaultInputDevice;
extern int32_t DefaultOutputDevice;

// One line of the device list.
struct DeviceListEntry {
    sv::WaveDeviceCaps caps;
    int32_t kind = 0;     // 0 input, 1 output
    int32_t number = -1;  // -1 .. count - 1
};

class TDeviceInfofrm : public QDialog {
    Q_OBJECT
public:
    explicit TDeviceInfofrm(QWidget* owner);
    ~TDeviceInfofrm() override;

    QListWidget* ListBox1 = nullptr;
    QLabel* l1 = nullptr;       // the default input device
    QLabel* l2 = nullptr;       // the default output device
    QLabel* Label5 = nullptr;   // total disk space
    QLabel* Label6 = nullptr;   // free disk space
    sv::RadioGroup* RadioGroup1 = nullptr;   // "&Type": "In", "Out"
    QLineEdit* Edit1 = nullptr;  // manufacturer
    QLineEdit* Edit2 = nullptr;  // product
    QLineEdit* Edit3 = nullptr;  // driver version
    // "11025 Hz", "22050 Hz", "44100 Hz", "8 bits", "16 bits", "1 (mono)",
    // "2 (stereo)".
    QCheckBox* CheckBox1 = nullptr;
    QCheckBox* CheckBox2 = nullptr;
    QCheckBox* CheckBox3 = nullptr;
    QCheckBox* CheckBox4 = nullptr;
    QCheckBox* CheckBox5 = nullptr;
    QCheckBox* CheckBox6 = nullptr;
    QCheckBox* CheckBox7 = nullptr;
    QPushButton* Button1 = nullptr;  // OK
    QPushButton* Button2 = nullptr;  // set as default
    QPushButton* Button3 = nullptr;  // Cancel

    // Entries in the order of the list's lines.
    std::vector<std::unique_ptr<DeviceListEntry>> Entries;

    void ListBox1Click();
    void Button1Click();
    void Button2Click();
    void Button3Click();
    void FormClose();

    // " 123 MB": a byte count as the disk labels append it.
    static QString diskSpaceText(int64_t bytes);

protected:
    void done(int r) override;

private:
    void FormCreate();
    void addDevice(int32_t kind, int32_t number);
    const DeviceListEntry* selectedEntry() const;
};

// "Record New Sound": captures the wave-in device straight into a new PCM
// WAVE file, with two level meters, the elapsed time and a byte count; "Test
// Input" runs the same capture without a file, only to drive the meters.
// Created on demand by the main window, shown modally and freed.
//
// Everything runs on the UI thread: the device hands back each filled
// buffer through the wave layer's notices (MMWimData). Two buffers of 2205
// frames circulate; each full one is written and queued again. Stop resets
// the device, which hands back the partly filled buffer before it returns,
// so the file receives every captured frame before its header is patched.
#pragma once
#include <QDialog>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "dialogs/record_writer.h"
#include "platform/audio/wave_types.h"
#include "platform/prompts.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QStatusBar;
class QTimer;
class QToolButton;
class QWidget;
namespace sv { class RadioGroup; }

class TRecordNewSoundfrm : public QDialog {
    Q_OBJECT
public:
    // `openInEditor(name)` opens a finished recording in a sound window (the
    // main window's open-file command without its dialog).
    explicit TRecordNewSoundfrm(QWidget* parent = nullptr,
                                std::function<void(const std::string&)> openInEditor = {});
    ~TRecordNewSoundfrm() override;

    // Frames per capture buffer.
    static constexpr uint32_t kBufferFrames = 2205;

    QLabel* Label13;
    QLabel* Label2;
    QLineEdit* Edit1;
    QToolButton* SpeedButton1;
    sv::FileDialogRequest SaveDialog1;
    QPushButton* gravar;
    QPushButton* parar;
    QPushButton* marxar;
    QPushButton* test;
    QToolButton* SpeedButton2;
    sv::RadioGroup* RadioGroup1;
    sv::RadioGroup* RadioGroup2;
    sv::RadioGroup* RadioGroup3;
    QLineEdit* Edit2;
    QStatusBar* StatusBar1;
    QStatusBar* StatusBar2;
    QLabel* bytesPanel;   // StatusBar1's one panel
    QLabel* clockPanel;   // StatusBar2's one panel
    QWidget* VumeterPanel;
    QLabel* LabelVumeter;
    QProgressBar* Gauge1;
    QProgressBar* Gauge2;
    QCheckBox* ObriraSV;
    QTimer* Timer1;

    // Dialog state. The counters are 64-bit: a long take passes 2 GB.
    int32_t SampleRate = 11025;
    int32_t Channels = 1;
    int32_t BytesPerSample = 1;
    int64_t ElapsedBytes = 0;
    int64_t ElapsedSeconds = 0;
    uint64_t BytesRecorded = 0;
    uint64_t FramesRecorded = 0;
    uint64_t BuffersReturned = 0;
    int32_t LeftLevel = 0;
    int32_t RightLevel = 0;
    int32_t InputDevice = sv::kWaveMapper;
    sv::WaveInHandle WaveInHandle = 0;
    sv::WaveHeader CaptureHeaders[2];
    std::vector<uint8_t> CaptureMemory[2];
    sv::WaveFormat CaptureFormat;
    uint8_t TestOnly = 0;
    sv::RecordWriter OutputFile;

    void SpeedButton1Click();
    void RadioGroup1Click();
    void RadioGroup2Click();
    void RadioGroup3Click();
    // The custom rate box of "Other": entering it starts from 11025; Return
    // or leaving takes the typed rate (1..99999); leaving hides it and puts
    // the rate in the item's caption.
    void Edit2Enter();
    void Edit2KeyReturn();
    void Edit2Exit();
    void gravarClick();
    void testClick();
    void pararClick();
    void marxarClick();
    void SpeedButton2Click();
    void Timer1Timer();
    // A buffer handed back by the device.
    void MMWimData(sv::WaveHeader* header);
    void CalculaVumeters(const sv::WaveHeader* header);

    // A capture (take or test) is running.
    bool capturing() const { return WaveInHandle != 0; }
    // The file of the running or last take, fixed when the take started.
    const std::string& takeFile() const { return takeFile_; }
    // Tests: the most data bytes a take writes before it ends by itself.
    void setDataLimit(uint64_t bytes) { dataLimit_ = bytes; }

    // Closing the dialog during a capture stops it first (a take keeps its
    // file, finished, but is not opened).
    void done(int result) override;

private:
    void FormCreate();
    bool startCapture();
    void releaseDevice();
    void resetCounters();
    void setIdle(bool idle);
    void stopCapture(bool mayOpen);
    bool takeRate(bool quiet);

    std::function<void(const std::string&)> openInEditor_;
    std::string takeFile_;
    std::string writeError_;
    uint64_t dataLimit_ = sv::kMaxWaveDataBytes;
    bool stopping_ = false;
};

namespace sv {
// The main window's "&Record a New Sound" and its Record button.
// `openInEditor(name)` should call SVMainfrm->ObrirFitxer(false, name).
void runRecordNewSound(QWidget* parent, std::function<void(const std::string&)> openInEditor);
}

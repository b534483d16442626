#include "dialogs/RecordNewSound.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>
#include <cstring>
#include <new>

#include "dialogs/ParamDialog.h"
#include "platform/audio/wave_in.h"
#include "platform/exedir.h"
#include "platform/paths.h"
#include "platform/qt/qt_prompts.h"
#include "platform/qt/volume_control.h"
#include "platform/settings.h"

using namespace sv;

namespace {

constexpr int32_t kLowestRate = 1;
constexpr int32_t kHighestRate = 99999;   // what the five-character box holds

QProgressBar* makeGauge(QWidget* parent) {
    auto* g = new QProgressBar(parent);
    g->setOrientation(Qt::Vertical);
    g->setRange(0, 100);
    g->setValue(0);
    g->setTextVisible(false);
    return g;
}

QStatusBar* makeStatusBar(QWidget* parent, QLabel*& panel, const char* text) {
    auto* bar = new QStatusBar(parent);
    bar->setSizeGripEnabled(false);
    panel = new QLabel(QString::fromUtf8(text), bar);
    panel->setAlignment(Qt::AlignCenter);
    bar->addWidget(panel, 1);
    return bar;
}

QPushButton* makeButton(QWidget* parent, const char* caption, const char* hint) {
    auto* b = new QPushButton(QString::fromUtf8(caption), parent);
    b->setToolTip(QString::fromUtf8(hint));
    makePlainButton(b);
    return b;
}

void showError(const std::string& text) { prompts().messageBox(applicationTitle(), text, Buttons::Ok, Icon::Error); }

} // namespace

TRecordNewSoundfrm::TRecordNewSoundfrm(QWidget* parent, std::function<void(const std::string&)> openInEditor)
    : QDialog(parent), openInEditor_(std::move(openInEditor)) {
    setWindowTitle(QStringLiteral("Record New Sound"));

    Label13 = new QLabel(QStringLiteral("Record new sound"), this);
    QFont heading = Label13->font();
    heading.setBold(true);
    Label13->setFont(heading);

    Label2 = new QLabel(QStringLiteral("Output file :"), this);
    Edit1 = new QLineEdit(this);
    Edit1->setMinimumWidth(280);
    Label2->setBuddy(Edit1);
    SpeedButton1 = new QToolButton(this);
    SpeedButton1->setText(QStringLiteral("..."));
    SaveDialog1.filter = "RIFF Wave Audio Files (*.wav)|*.wav";

    RadioGroup1 = new RadioGroup(QStringLiteral("Frequency"), {"11025", "22050", "44100", "Other"}, this);
    RadioGroup2 = new RadioGroup(QStringLiteral("Channels"), {"Mono", "Stereo"}, this);
    RadioGroup3 = new RadioGroup(QStringLiteral("Bits"), {"8", "16"}, this);
    RadioGroup1->setItemIndex(0);
    RadioGroup2->setItemIndex(0);
    RadioGroup3->setItemIndex(0);
    Edit2 = new QLineEdit(QStringLiteral("11025"), RadioGroup1);
    Edit2->setMaxLength(5);
    Edit2->setFixedWidth(Edit2->fontMetrics().horizontalAdvance(QStringLiteral("99999")) + 12);
    // The rate box opens beside "Other" in a place kept for it: a box that
    // took new room would grow the dialog, which never shrinks back when the
    // box hides again, and the groups would keep a blank band.
    QSizePolicy keepPlace(QSizePolicy::Fixed, QSizePolicy::Fixed);
    keepPlace.setRetainSizeWhenHidden(true);
    Edit2->setSizePolicy(keepPlace);
    Edit2->hide();
    auto* rates = static_cast<QVBoxLayout*>(RadioGroup1->layout());
    rates->removeWidget(RadioGroup1->button(3));
    auto* otherRow = new QHBoxLayout;
    otherRow->addWidget(RadioGroup1->button(3));
    otherRow->addWidget(Edit2);
    rates->addLayout(otherRow);
    // At its own width on the left: a row that could stretch would make the
    // group claim the width of its neighbours.
    otherRow->setAlignment(Qt::AlignLeft);

    VumeterPanel = new QWidget(this);
    Gauge1 = makeGauge(VumeterPanel);
    Gauge2 = makeGauge(VumeterPanel);
    LabelVumeter = new QLabel(QStringLiteral("L R"), VumeterPanel);
    LabelVumeter->setAlignment(Qt::AlignHCenter);
    auto* meters = new QVBoxLayout(VumeterPanel);
    meters->setContentsMargins(2, 2, 2, 2);
    auto* bars = new QHBoxLayout;
    bars->addWidget(Gauge1);
    bars->addWidget(Gauge2);
    meters->addLayout(bars, 1);
    meters->addWidget(LabelVumeter);

    gravar = makeButton(this, "Record", "Start Recording");
    parar = makeButton(this, "Stop", "Stop Recording");
    marxar = makeButton(this, "Exit", "Exit");
    test = makeButton(this, "Test Input", "Use Vumeters to Test Input Signal");
    SpeedButton2 = new QToolButton(this);
    SpeedButton2->setText(QStringLiteral("Windows Volume Control Panel"));
    SpeedButton2->setToolTip(QStringLiteral("Check Windows  Volume Setup"));

    ObriraSV = new QCheckBox(QStringLiteral("Open automatically in Sonvela after recording"), this);
    StatusBar1 = makeStatusBar(this, bytesPanel, "0 Bytes");
    StatusBar2 = makeStatusBar(this, clockPanel, "00:00:00");

    Timer1 = new QTimer(this);
    Timer1->setInterval(1000);

    auto* fileRow = new QHBoxLayout;
    fileRow->addWidget(Label2);
    fileRow->addWidget(Edit1, 1);
    fileRow->addWidget(SpeedButton1);
    auto* groups = new QHBoxLayout;
    groups->addWidget(RadioGroup1);
    groups->addWidget(RadioGroup2);
    groups->addWidget(RadioGroup3);
    auto* left = new QVBoxLayout;
    left->addWidget(Label13);
    left->addLayout(fileRow);
    left->addLayout(groups);
    left->addWidget(ObriraSV);
    auto* top = new QHBoxLayout;
    top->addLayout(left, 1);
    top->addWidget(VumeterPanel);
    auto* buttons = new QHBoxLayout;
    for (QWidget* w : {static_cast<QWidget*>(gravar), static_cast<QWidget*>(parar), static_cast<QWidget*>(test),
                       static_cast<QWidget*>(SpeedButton2), static_cast<QWidget*>(marxar)})
        buttons->addWidget(w);
    auto* status = new QHBoxLayout;
    status->addWidget(StatusBar1, 1);
    status->addWidget(StatusBar2, 1);
    auto* all = new QVBoxLayout(this);
    all->addLayout(top);
    all->addLayout(buttons);
    all->addLayout(status);

    connect(SpeedButton1, &QToolButton::clicked, this, [this] { SpeedButton1Click(); });
    connect(SpeedButton2, &QToolButton::clicked, this, [this] { SpeedButton2Click(); });
    connect(RadioGroup1, &RadioGroup::clicked, this, [this] { RadioGroup1Click(); });
    connect(RadioGroup2, &RadioGroup::clicked, this, [this] { RadioGroup2Click(); });
    connect(RadioGroup3, &RadioGroup::clicked, this, [this] { RadioGroup3Click(); });
    connect(gravar, &QPushButton::clicked, this, [this] { gravarClick(); });
    connect(parar, &QPushButton::clicked, this, [this] { pararClick(); });
    connect(marxar, &QPushButton::clicked, this, [this] { marxarClick(); });
    connect(test, &QPushButton::clicked, this, [this] { testClick(); });
    connect(Timer1, &QTimer::timeout, this, [this] { Timer1Timer(); });
    new EditKeys(Edit2, [this] { Edit2KeyReturn(); }, [this] { Edit2Exit(); });

    FormCreate();
}

TRecordNewSoundfrm::~TRecordNewSoundfrm() {
    // The device's callback points at this dialog: it must be closed first.
    if (capturing()) stopCapture(false);
}

void TRecordNewSoundfrm::FormCreate() {
    InputDevice = Settings().ReadInteger("Configuration", "DefaultInput", kWaveMapper);
    Edit1->setText(qs(exeDir() + "newsound1.wav"));
    SampleRate = 11025;
    Channels = 1;
    BytesPerSample = 1;
    FramesRecorded = BytesRecorded = 0;
    ElapsedBytes = 0;
    Gauge1->setValue(0);
    Gauge2->setValue(0);
    setIdle(true);
}

void TRecordNewSoundfrm::SpeedButton1Click() {
    const FileDialogResult r = prompts().saveDialog(SaveDialog1);
    if (!r.accepted) return;
    std::string name = r.fileName;
    if (extractFileExt(name) != ".wav") name = changeFileExt(name, ".wav");
    SaveDialog1.fileName = name;
    Edit1->setText(qs(name));
}

void TRecordNewSoundfrm::RadioGroup1Click() {
    switch (RadioGroup1->ItemIndex()) {
    case 0: SampleRate = 11025; break;
    case 1: SampleRate = 22050; break;
    case 2: SampleRate = 44100; break;
    case 3:
        Edit2->show();
        Edit2->setFocus();
        Edit2Enter();
        break;
    default: break;
    }
}

void TRecordNewSoundfrm::RadioGroup2Click() { Channels = RadioGroup2->ItemIndex() == 0 ? 1 : 2; }

void TRecordNewSoundfrm::RadioGroup3Click() { BytesPerSample = RadioGroup3->ItemIndex() == 0 ? 1 : 2; }

void TRecordNewSoundfrm::Edit2Enter() {
    SampleRate = 11025;
    Edit2->setText(QStringLiteral("11025"));
    Edit2->selectAll();
}

bool TRecordNewSoundfrm::takeRate(bool quiet) {
    int rate = 0;
    if (!typedInteger(Edit2, rate)) return false;
    if (rate < kLowestRate || rate > kHighestRate) {
        if (!quiet) ShowMessage("The sample rate must be between 1 and 99999.");
        return false;
    }
    SampleRate = rate;
    return true;
}

void TRecordNewSoundfrm::Edit2KeyReturn() { takeRate(false); }

void TRecordNewSoundfrm::Edit2Exit() {
    takeRate(false);
    // The caption always names the rate in force, even after a refused entry.
    Edit2->setText(QString::number(SampleRate));
    RadioGroup1->button(3)->setText(Edit2->text());
    Edit2->hide();
}

void TRecordNewSoundfrm::setIdle(bool idle) {
    parar->setEnabled(!idle);
    gravar->setEnabled(idle);
    test->setEnabled(idle);
    marxar->setEnabled(idle);
    if (idle) {
        Gauge1->setValue(0);
        Gauge2->setValue(0);
    }
}

void TRecordNewSoundfrm::resetCounters() {
    BytesRecorded = FramesRecorded = BuffersReturned = 0;
    ElapsedBytes = ElapsedSeconds = 0;
    LeftLevel = RightLevel = 0;
    bytesPanel->setText(QStringLiteral("0 Bytes"));
    clockPanel->setText(QStringLiteral("00:00:00"));
}

bool TRecordNewSoundfrm::startCapture() {
    CaptureFormat = WaveFormat::pcm(uint32_t(SampleRate), BytesPerSample * 8, Channels);
    const uint32_t length = uint32_t(CaptureFormat.nBlockAlign) * kBufferFrames;
    try {
        for (auto& m : CaptureMemory) m.assign(length, 0);
    } catch (const std::bad_alloc&) {
        for (auto& m : CaptureMemory) std::vector<uint8_t>().swap(m);
        ShowMessage("Error Assigning memory");
        return false;
    }
    stopping_ = false;
    sv::WaveInHandle handle = 0;
    WaveResult r = waveInOpen(&handle, InputDevice, CaptureFormat,
                              [this](sv::WaveInHandle, WaveHeader* header) { MMWimData(header); });
    if (r != kWaveOk) {
        for (auto& m : CaptureMemory) std::vector<uint8_t>().swap(m);
        ShowMessage(waveInGetErrorText(r));
        return false;
    }
    WaveInHandle = handle;
    for (int i = 0; i < 2 && r == kWaveOk; ++i) {
        CaptureHeaders[i] = WaveHeader{};
        CaptureHeaders[i].lpData = CaptureMemory[i].data();
        CaptureHeaders[i].dwBufferLength = length;
        r = waveInPrepareHeader(WaveInHandle, &CaptureHeaders[i]);
    }
    for (int i = 0; i < 2 && r == kWaveOk; ++i) r = waveInAddBuffer(WaveInHandle, &CaptureHeaders[i]);
    if (r != kWaveOk) {
        releaseDevice();
        ShowMessage(waveInGetErrorText(r));
        return false;
    }
    return true;
}

void TRecordNewSoundfrm::releaseDevice() {
    // No buffer is queued again from here on, and the buffers are freed
    // only once the device has handed them all back (the reset does).
    stopping_ = true;
    waveInReset(WaveInHandle);
    for (auto& h : CaptureHeaders) waveInUnprepareHeader(WaveInHandle, &h);
    waveInClose(WaveInHandle);
    WaveInHandle = 0;
    for (auto& h : CaptureHeaders) h = WaveHeader{};
    for (auto& m : CaptureMemory) std::vector<uint8_t>().swap(m);
}

void TRecordNewSoundfrm::gravarClick() {
    if (capturing()) return;
    std::string name = ss(Edit1->text());
    if (lowerFileExt(name) != ".wav") {
        ShowMessage("Output file extension must be .wav");
        return;
    }
    // Settle the final name before asking about replacing: "x.WAV" is
    // written as "x.wav", so that is the file the question must be about.
    if (extractFileExt(name) != ".wav") {
        name = changeFileExt(name, ".wav");
        Edit1->setText(qs(name));
    }
    if (fileExists(name) && prompts().messageBox("Question", "File already exists. Do you want to overwrite it?",
                                                 Buttons::YesNo, Icon::Question) != mrYes)
        return;
    TestOnly = 0;
    if (!startCapture()) return;

    OutputFile.setLimit(dataLimit_);
    std::string failure;
    try {
        if (int e = OutputFile.create(name, SampleFormat::pcm(CaptureFormat.nSamplesPerSec,
                                                              CaptureFormat.wBitsPerSample, CaptureFormat.nChannels)))
            failure = "I/O error creating " + name + ": " + std::strerror(e);
    } catch (const FileIOError& e) {
        failure = e.what();
    }
    if (!failure.empty()) {
        OutputFile.abandon();
        releaseDevice();
        showError(failure);
        return;
    }
    takeFile_ = name;
    writeError_.clear();
    resetCounters();
    waveInStart(WaveInHandle);
    Timer1->start();
    setIdle(false);
}

void TRecordNewSoundfrm::testClick() {
    if (capturing()) return;
    TestOnly = 1;
    if (!startCapture()) return;
    writeError_.clear();
    resetCounters();
    waveInStart(WaveInHandle);
    Timer1->start();
    setIdle(false);
}

void TRecordNewSoundfrm::MMWimData(WaveHeader* header) {
    const uint32_t got = header->dwBytesRecorded;
    uint32_t kept = got;
    if (!TestOnly) {
        kept = 0;
        if (writeError_.empty()) {
            const uint64_t before = OutputFile.dataBytes();
            try {
                kept = OutputFile.append(header->lpData, got);
            } catch (const FileIOError& e) {
                writeError_ = e.what();
                kept = uint32_t(OutputFile.dataBytes() - before);   // the frames that reached the file
            }
        }
        // A full file or a failed write ends the take; the stop itself runs
        // from the event loop, outside the device's delivery.
        if ((!writeError_.empty() || OutputFile.full()) && !stopping_) {
            stopping_ = true;
            QTimer::singleShot(0, this, [this] {
                if (capturing()) stopCapture(true);
            });
        }
    }
    // The levels are read before the buffer is queued again: from then on
    // the device owns its bytes and may be filling it.
    CalculaVumeters(header);
    if (!stopping_ && got == header->dwBufferLength) waveInAddBuffer(WaveInHandle, header);
    ++BuffersReturned;
    BytesRecorded += kept;
    FramesRecorded = BytesRecorded / CaptureFormat.nBlockAlign;
}

void TRecordNewSoundfrm::CalculaVumeters(const WaveHeader* header) {
    if (!VumeterPanel->isVisibleTo(this)) return;
    // Only the bytes captured: the rest of a partly filled buffer is stale.
    const InputLevels l =
        inputLevels(header->lpData, header->dwBytesRecorded, CaptureFormat.wBitsPerSample / 8, CaptureFormat.nChannels);
    LeftLevel = l.left;
    RightLevel = l.right;
    const bool running = parar->isEnabled();
    Gauge1->setValue(running ? LeftLevel : 0);
    Gauge2->setValue(running ? RightLevel : 0);
}

void TRecordNewSoundfrm::stopCapture(bool mayOpen) {
    if (!capturing()) return;
    // The reset hands back the partly filled buffer through MMWimData while
    // the file is still open, so the take keeps every captured frame.
    releaseDevice();
    std::string error = writeError_;
    bool written = false;
    if (!TestOnly) {
        try {
            OutputFile.finish();
            written = error.empty();
        } catch (const FileIOError& e) {
            if (error.empty()) error = e.what();
        }
    }
    Timer1->stop();
    setIdle(true);
    LeftLevel = RightLevel = 0;
    if (!error.empty()) showError(error);
    if (mayOpen && written && ObriraSV->isChecked()) {
        if (openInEditor_) openInEditor_(takeFile_);
        QDialog::done(Accepted);
    }
}

void TRecordNewSoundfrm::pararClick() { stopCapture(true); }

void TRecordNewSoundfrm::marxarClick() { reject(); }

void TRecordNewSoundfrm::done(int result) {
    if (capturing()) stopCapture(false);
    QDialog::done(result);
}

void TRecordNewSoundfrm::SpeedButton2Click() { openVolumeControl(); }

void TRecordNewSoundfrm::Timer1Timer() {
    // One second's worth of the take's format: an estimate of the bytes
    // captured, advanced by the clock.
    ElapsedBytes += int64_t(CaptureFormat.nAvgBytesPerSec);
    ElapsedSeconds += 1;
    bytesPanel->setText(QString::number(ElapsedBytes) + QStringLiteral(" Bytes"));
    clockPanel->setText(QStringLiteral("%1:%2:%3")
                            .arg(ElapsedSeconds / 3600)
                            .arg((ElapsedSeconds / 60) % 60)
                            .arg(ElapsedSeconds % 60));
}

namespace sv {
void runRecordNewSound(QWidget* parent, std::function<void(const std::string&)> openInEditor) {
    TRecordNewSoundfrm form(parent, std::move(openInEditor));
    form.exec();
}
} // namespace sv

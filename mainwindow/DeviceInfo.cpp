#include "mainwindow/DeviceInfo.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QStorageInfo>
#include <QVBoxLayout>

#include "dialogs/ParamDialog.h"
#include "platform/audio/wave_in.h"
#include "platform/audio/wave_out.h"
#include "platform/exedir.h"
#include "platform/settings.h"

int32_t DefaultInputDevice = -1;
int32_t DefaultOutputDevice = -1;

namespace {

QLineEdit* readOnlyEdit(QWidget* parent) {
    auto* e = new QLineEdit(parent);
    e->setReadOnly(true);
    return e;
}

// The format boxes only show a device's capabilities.
QCheckBox* formatBox(const char* text, QWidget* parent) {
    auto* c = new QCheckBox(text, parent);
    c->setAttribute(Qt::WA_TransparentForMouseEvents);
    c->setFocusPolicy(Qt::NoFocus);
    return c;
}

} // namespace

TDeviceInfofrm::TDeviceInfofrm(QWidget* owner) : QDialog(owner) {
    setWindowTitle("Device information");
    ListBox1 = new QListWidget(this);
    l1 = new QLabel(this);
    l2 = new QLabel(this);
    Label5 = new QLabel("Total space on disc c: ->", this);
    Label6 = new QLabel("Free space on disc c: ->", this);
    RadioGroup1 = new sv::RadioGroup("&Type", {"In", "Out"}, this);
    Edit1 = readOnlyEdit(this);
    Edit2 = readOnlyEdit(this);
    Edit3 = readOnlyEdit(this);
    CheckBox1 = formatBox("11025 Hz", this);
    CheckBox2 = formatBox("22050 Hz", this);
    CheckBox3 = formatBox("44100 Hz", this);
    CheckBox4 = formatBox("8 bits", this);
    CheckBox5 = formatBox("16 bits", this);
    CheckBox6 = formatBox("1 (mono)", this);
    CheckBox7 = formatBox("2 (stereo)", this);
    Button1 = new QPushButton("&OK", this);
    Button2 = new QPushButton("&Set as default Output Device", this);
    Button3 = new QPushButton("&Cancel", this);
    for (QPushButton* b : {Button1, Button2, Button3}) sv::makePlainButton(b);
    Button2->setEnabled(false);

    auto* ids = new QGridLayout;
    const std::pair<const char*, QLineEdit*> rows[] = {
        {"Manufacturer:", Edit1}, {"Product:", Edit2}, {"Driver version:", Edit3}};
    int r = 0;
    for (const auto& [label, edit] : rows) {
        ids->addWidget(new QLabel(label, this), r, 0);
        ids->addWidget(edit, r++, 1);
    }
    auto* formats = new QGridLayout;
    formats->addWidget(CheckBox1, 0, 0);
    formats->addWidget(CheckBox2, 1, 0);
    formats->addWidget(CheckBox3, 2, 0);
    formats->addWidget(CheckBox4, 0, 1);
    formats->addWidget(CheckBox5, 1, 1);
    formats->addWidget(CheckBox6, 0, 2);
    formats->addWidget(CheckBox7, 1, 2);
    auto* right = new QVBoxLayout;
    right->addWidget(RadioGroup1);
    right->addLayout(ids);
    right->addLayout(formats);
    right->addWidget(Button2);
    right->addStretch(1);
    auto* middle = new QHBoxLayout;
    middle->addWidget(ListBox1, 1);
    middle->addLayout(right);
    auto* top = new QVBoxLayout(this);
    top->addLayout(middle, 1);
    top->addWidget(l1);
    top->addWidget(l2);
    top->addWidget(Label5);
    top->addWidget(Label6);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(Button1);
    buttons->addWidget(Button3);
    top->addLayout(buttons);

    connect(ListBox1, &QListWidget::currentRowChanged, this, [this] { ListBox1Click(); });
    connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
    connect(Button2, &QPushButton::clicked, this, [this] { Button2Click(); });
    connect(Button3, &QPushButton::clicked, this, [this] { Button3Click(); });
    FormCreate();
}

TDeviceInfofrm::~TDeviceInfofrm() = default;

QString TDeviceInfofrm::diskSpaceText(int64_t bytes) {
    return " " + QString::number(bytes / 1000000) + " MB";
}

void TDeviceInfofrm::FormCreate() {
    sv::IniFile ini = sv::Settings();
    DefaultInputDevice = ini.ReadInteger("Configuration", "DefaultInput", -1);
    DefaultOutputDevice = ini.ReadInteger("Configuration", "DefaultOutput", -1);
    for (int32_t n = -1; n < sv::waveInGetNumDevs(); ++n) addDevice(0, n);
    for (int32_t n = -1; n < sv::waveOutGetNumDevs(); ++n) addDevice(1, n);
    // The disk that holds the program's folder, with its settings and its
    // clipboard and undo files.
    QStorageInfo disk(QString::fromStdString(sv::exeDir()));
    if (disk.isValid()) {
        Label5->setText(Label5->text() + diskSpaceText(disk.bytesTotal()));
        Label6->setText(Label6->text() + diskSpaceText(disk.bytesAvailable()));
    }
}

void TDeviceInfofrm::addDevice(int32_t kind, int32_t number) {
    auto e = std::make_unique<DeviceListEntry>();
    e->kind = kind;
    e->number = number;
    if (kind == 0) sv::waveInGetDevCaps(number, &e->caps);
    else sv::waveOutGetDevCaps(number, &e->caps);
    const QString name = QString::fromStdString(e->caps.name);
    ListBox1->addItem(name);
    if (kind == 0 && number == DefaultInputDevice) l1->setText("Default Input Device = " + name);
    if (kind == 1 && number == DefaultOutputDevice) l2->setText("Default Output Device = " + name);
    Entries.push_back(std::move(e));
}

const DeviceListEntry* TDeviceInfofrm::selectedEntry() const {
    const int row = ListBox1->currentRow();
    if (row < 0 || row >= int(Entries.size())) return nullptr;
    return Entries[size_t(row)].get();
}

void TDeviceInfofrm::ListBox1Click() {
    const DeviceListEntry* e = selectedEntry();
    if (!e) return;
    Button2->setEnabled(true);
    if (e->kind == 1) {
        RadioGroup1->setItemIndex(1);
        Button2->setText("&Set as default Output Device");
    } else {
        RadioGroup1->setItemIndex(0);
        Button2->setText("&Set as default Input Device");
    }
    Edit1->setText(QString::number(e->caps.manufacturerId));
    Edit2->setText(QString::number(e->caps.productId));
    Edit3->setText(QString::number(e->caps.driverVersion));
    const uint32_t f = e->caps.formats;
    CheckBox1->setChecked(f & sv::kWaveFormat1M08);
    CheckBox2->setChecked(f & sv::kWaveFormat2M08);
    CheckBox3->setChecked(f & sv::kWaveFormat4M08);
    CheckBox4->setChecked(f & sv::kWaveFormat1M08);
    CheckBox5->setChecked(f & sv::kWaveFormat1M16);
    CheckBox6->setChecked(f & sv::kWaveFormat1M08);
    CheckBox7->setChecked(f & sv::kWaveFormat1S08);
}

void TDeviceInfofrm::Button2Click() {
    const DeviceListEntry* e = selectedEntry();
    if (!e) return;
    const QString name = QString::fromStdString(e->caps.name);
    if (e->kind == 1) {
        DefaultOutputDevice = e->number;
        l2->setText("Default Output Device = " + name);
    } else {
        DefaultInputDevice = e->number;
        l1->setText("Default Input Device = " + name);
    }
}

void TDeviceInfofrm::Button1Click() {
    sv::IniFile ini = sv::Settings();
    ini.WriteInteger("Configuration", "DefaultInput", DefaultInputDevice);
    ini.WriteInteger("Configuration", "DefaultOutput", DefaultOutputDevice);
    done(sv::mrOk);
}

void TDeviceInfofrm::Button3Click() { done(sv::mrCancel); }

void TDeviceInfofrm::FormClose() {
    // The list's lines go with their entries.
    ListBox1->clear();
    Entries.clear();
}

void TDeviceInfofrm::done(int r) {
    FormClose();
    QDialog::done(r);
}

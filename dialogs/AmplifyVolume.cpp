#include "dialogs/AmplifyVolume.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QVBoxLayout>

#include "dialogs/ParamDialog.h"
#include "platform/prompts.h"

TAmplifyVolumefrm* AmplifyVolumefrm = nullptr;

namespace {
constexpr int kSliderMin = 1;
constexpr int kSliderMax = 200;
constexpr int kManual = 2;
}

TAmplifyVolumefrm::TAmplifyVolumefrm(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Amplify volume"));
    setModal(true);

    TrackBar1 = sv::makeTrackBar(this, kSliderMin, kSliderMax, 10, 100);
    TrackBar1->setSingleStep(2);
    Label2 = new QLabel(QStringLiteral("0%"), this);
    Label3 = new QLabel(QStringLiteral("100%"), this);
    Label4 = new QLabel(QStringLiteral("200%"), this);

    RadioGroup1 = new sv::RadioGroup(QStringLiteral("&Action:"),
                                     {QStringLiteral("Double volume (200%)"), QStringLiteral("Half volume (50%)"),
                                      QStringLiteral("Manual selection")},
                                     this);
    RadioGroup1->setItemIndex(kManual);

    GroupBox1 = new QGroupBox(QStringLiteral("&Manual Selection"), this);
    Edit1 = new QLineEdit(QStringLiteral("100"), GroupBox1);
    Label1 = new QLabel(QStringLiteral("%"), GroupBox1);
    auto* manual = new QHBoxLayout(GroupBox1);
    manual->addWidget(Edit1);
    manual->addWidget(Label1);

    sv::makeOkCancel(this, Button1, Button2);

    auto* side = new QVBoxLayout;
    side->addWidget(GroupBox1);
    side->addStretch(1);
    side->addWidget(Button1);
    side->addWidget(Button2);
    auto* left = new QVBoxLayout;
    left->addWidget(TrackBar1);
    left->addLayout(sv::makeScaleRow(Label2, Label3, Label4));
    left->addWidget(RadioGroup1);
    auto* top = new QHBoxLayout(this);
    top->addLayout(left, 1);
    top->addLayout(side);

    connect(TrackBar1, &QSlider::valueChanged, this, [this] { TrackBar1Change(); });
    connect(RadioGroup1, &sv::RadioGroup::clicked, this, [this] { RadioGroup1Click(); });
    new sv::EditKeys(Edit1, [this] { Edit1KeyPress(); }, [this] { Edit1Exit(); });
    connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
    connect(Button2, &QPushButton::clicked, this, [this] { Button2Click(); });
}

int32_t TAmplifyVolumefrm::mostrar_dialogo() {
    prepare();
    return conclude(sv::showModal(*this));
}

void TAmplifyVolumefrm::prepare() {
    Percent = 100;
    accepted_ = false;
    FormActivate();
}

int32_t TAmplifyVolumefrm::conclude(int modalResult) const {
    // Only OK and Return in the box hand a gain back; any other way out is
    // Cancel, whose value the sound window takes as nothing to do.
    return accepted_ ? Percent : 100;
}

void TAmplifyVolumefrm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    FormActivate();
}

void TAmplifyVolumefrm::FormActivate() {
    Percent = 100;
    sv::setSliderQuietly(TrackBar1, kSliderMin, kSliderMax, 100);
    RadioGroup1->setItemIndex(kManual);
    Label4->setText(QStringLiteral("200"));
    Label3->setText(QStringLiteral("100"));
    Edit1->setText(QStringLiteral("100"));
}

void TAmplifyVolumefrm::TrackBar1Change() {
    Percent = TrackBar1->value();
    Edit1->setText(QString::number(Percent));
    RadioGroup1->setItemIndex(kManual);
}

void TAmplifyVolumefrm::RadioGroup1Click() {
    const int index = RadioGroup1->ItemIndex();
    if (index != 0 && index != 1) return;
    Percent = index == 0 ? 200 : 50;
    Edit1->setText(QString::number(Percent));
    sv::setSliderQuietly(TrackBar1, Percent);
}

bool TAmplifyVolumefrm::takeTypedValue() {
    int value = 0;
    if (!sv::typedInteger(Edit1, value)) return false;
    // Below the slider's minimum the minimum is taken (a gain of 0 or less
    // would silence or turn the sound over).
    if (value < kSliderMin) {
        value = kSliderMin;
        Edit1->setText(QString::number(value));
    }
    if (value > kSliderMax) {
        sv::setSliderQuietly(TrackBar1, kSliderMin, value, value);
        Label4->setText(QString::number(value));
        Label3->setText(QString::number(value / 2));
    } else {
        sv::setSliderQuietly(TrackBar1, value);
    }
    Percent = value;
    RadioGroup1->setItemIndex(kManual);
    return true;
}

void TAmplifyVolumefrm::Edit1Exit() { takeTypedValue(); }

void TAmplifyVolumefrm::Edit1KeyPress() {
    if (!takeTypedValue()) return;
    accepted_ = true;
    done(sv::mrOk);
}

void TAmplifyVolumefrm::Button1Click() {
    accepted_ = true;
    done(sv::mrOk);
}

void TAmplifyVolumefrm::Button2Click() {
    Percent = 100;
    accepted_ = false;
    done(sv::mrCancel);
}

#include "dialogs/TravellingStereo.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QVBoxLayout>

#include "dialogs/ParamDialog.h"

TTravellingStereofrm::TTravellingStereofrm(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Travelling Stereo"));
    setModal(true);
    Label1 = new QLabel(QStringLiteral("&Percent:"), this);
    TrackBar1 = sv::makeTrackBar(this, 0, 100, 10, 0);
    TrackBar1->setMinimumWidth(220);
    Label1->setBuddy(TrackBar1);
    Label3 = new QLabel(QStringLiteral("0%"), this);
    Label4 = new QLabel(QStringLiteral("100%"), this);
    Panel1 = new QFrame(this);
    Panel1->setFrameShape(QFrame::Panel);
    Panel1->setFrameShadow(QFrame::Sunken);
    Label2 = new QLabel(QStringLiteral("0%"), Panel1);
    Label2->setAlignment(Qt::AlignCenter);
    (new QHBoxLayout(Panel1))->addWidget(Label2);
    RadioGroup1 = new sv::RadioGroup(QStringLiteral("&Direction:"),
                                     {QStringLiteral("Left -> Right"), QStringLiteral("Right -> Left")}, this);
    RadioGroup1->setItemIndex(0);
    sv::makeOkCancel(this, Button1, Button2);

    auto* head = new QHBoxLayout;
    head->addWidget(Label1);
    head->addStretch(1);
    head->addWidget(Panel1);
    auto* top = new QVBoxLayout(this);
    top->addLayout(head);
    top->addWidget(TrackBar1);
    top->addLayout(sv::makeScaleRow(Label3, nullptr, Label4));
    top->addWidget(RadioGroup1);
    top->addLayout(sv::makeButtonRow(Button1, Button2));

    connect(TrackBar1, &QSlider::valueChanged, this, [this] { TrackBar1Change(); });
    connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
    connect(Button2, &QPushButton::clicked, this, [this] { Button2Click(); });
}

uint8_t TTravellingStereofrm::mostrar_opciones(int32_t& direction, int32_t& percent) {
    prepare();
    sv::showModal(*this);
    return conclude(direction, percent);
}

void TTravellingStereofrm::prepare() {
    Cancelled = 1;
    Percent = 0;
    sv::setSliderQuietly(TrackBar1, 0);
    Label2->setText(QStringLiteral("0%"));
    RadioGroup1->setItemIndex(0);
}

uint8_t TTravellingStereofrm::conclude(int32_t& direction, int32_t& percent) const {
    direction = RadioGroup1->ItemIndex();
    // A close by the frame counts as Cancel, with Cancel's percent.
    percent = Cancelled ? 101 : Percent;
    return Cancelled;
}

void TTravellingStereofrm::TrackBar1Change() {
    Percent = TrackBar1->value();
    Label2->setText(sv::sliderValueText(TrackBar1));
}

void TTravellingStereofrm::Button1Click() {
    Cancelled = 0;
    done(sv::mrOk);
}

void TTravellingStereofrm::Button2Click() {
    Cancelled = 1;
    Percent = 101;
    done(sv::mrCancel);
}

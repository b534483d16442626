#include "dialogs/NoiseGate.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QVBoxLayout>

#include "dialogs/ParamDialog.h"

TNoiseGatefrm::TNoiseGatefrm(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Noise Gate"));
    setModal(true);
    auto slider = [this] {
        QSlider* s = sv::makeTrackBar(this, 0, 100, 26, 0);
        s->setMinimumWidth(220);
        return s;
    };
    Label1 = new QLabel(QStringLiteral("&Threshold:"), this);
    TrackBar1 = slider();
    Label5 = new QLabel(this);
    Label9 = new QLabel(this);
    TrackBar2 = slider();
    Label6 = new QLabel(QStringLiteral("0"), this);
    Label7 = new QLabel(this);
    Label8 = new QLabel(this);
    Label10 = new QLabel(QStringLiteral("Reduction &factor:"), this);
    TrackBar3 = slider();
    Label11 = new QLabel(this);
    Label1->setBuddy(TrackBar1);
    Label9->setBuddy(TrackBar2);
    Label10->setBuddy(TrackBar3);
    for (QLabel* l : {Label5, Label7, Label8, Label11}) l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    sv::makeOkCancel(this, Button1, Button2);

    auto* grid = new QGridLayout;
    grid->addWidget(Label1, 0, 0);
    grid->addWidget(Label5, 0, 1);
    grid->addWidget(TrackBar1, 1, 0, 1, 2);
    grid->addWidget(Label9, 2, 0);
    grid->addWidget(Label8, 2, 1);
    grid->addWidget(TrackBar2, 3, 0, 1, 2);
    grid->addWidget(Label6, 4, 0);
    grid->addWidget(Label7, 4, 1);
    grid->addWidget(Label10, 5, 0);
    grid->addWidget(Label11, 5, 1);
    grid->addWidget(TrackBar3, 6, 0, 1, 2);
    auto* top = new QVBoxLayout(this);
    top->addLayout(grid);
    top->addLayout(sv::makeButtonRow(Button1, Button2));

    connect(TrackBar1, &QSlider::valueChanged, this, [this] { TrackBar1Change(); });
    connect(TrackBar2, &QSlider::valueChanged, this, [this] { TrackBar2Change(); });
    connect(TrackBar3, &QSlider::valueChanged, this, [this] { TrackBar3Change(); });
    connect(Button1, &QPushButton::clicked, this, [this] { done(sv::mrOk); });
    connect(Button2, &QPushButton::clicked, this, [this] { done(sv::mrCancel); });
    FormCreate();
}

// The defaults are set unscaled (threshold 10); a moved threshold slider
// gives position x 127 div 100.
void TNoiseGatefrm::FormCreate() {
    sv::setGateDefaults({TrackBar1, Label5, TrackBar2, Label7, Label8, Label9});
    Threshold = 10;
    Time = 2;
    sv::setSliderQuietly(TrackBar3, 0, 100, 0);
    Label11->setText(QStringLiteral("0%"));
    Reduction = 0;
}

void TNoiseGatefrm::TrackBar1Change() {
    Threshold = sv::gateThreshold(TrackBar1);
    Label5->setText(sv::sliderValueText(TrackBar1));
}

void TNoiseGatefrm::TrackBar2Change() {
    Time = TrackBar2->value();
    Label8->setText(QString::number(Time));
}

void TNoiseGatefrm::TrackBar3Change() {
    Reduction = TrackBar3->value();
    Label11->setText(sv::sliderValueText(TrackBar3));
}

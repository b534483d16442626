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
        auto* s = new QSlider(Qt::Horizontal, this);
        s->setRange(0, 100);
        s->setTickPosition(QSlider::TicksBelow);
        s->setTickInterval(26);
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

    Button1 = new QPushButton(QStringLiteral("&OK"), this);
    Button2 = new QPushButton(QStringLiteral("&Cancel"), this);
    sv::makePlainButton(Button1);
    sv::makePlainButton(Button2);

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
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(Button1);
    buttons->addWidget(Button2);
    auto* top = new QVBoxLayout(this);
    top->addLayout(grid);
    top->addLayout(buttons);

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
    sv::setSliderQuietly(TrackBar1, 0, 100, 10);
    Label5->setText(QStringLiteral("10%"));
    Threshold = 10;
    sv::setSliderQuietly(TrackBar2, 0, 50, 2);
    Label7->setText(QStringLiteral("50"));
    Label8->setText(QStringLiteral("2"));
    Label9->setText(QStringLiteral("Release/Attack Time (ms):"));
    Time = 2;
    sv::setSliderQuietly(TrackBar3, 0, 100, 0);
    Label11->setText(QStringLiteral("0%"));
    Reduction = 0;
}

void TNoiseGatefrm::TrackBar1Change() {
    Threshold = TrackBar1->value() * 127 / 100;
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

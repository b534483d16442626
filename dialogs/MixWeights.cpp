#include "dialogs/MixWeights.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSlider>
#include <QVBoxLayout>

#include "dialogs/ParamDialog.h"

Tmixspecial::Tmixspecial(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Mix Special"));
    setModal(true);
    auto slider = [this] {
        auto* s = new QSlider(Qt::Horizontal, this);
        s->setRange(0, 100);
        s->setValue(50);
        s->setMinimumWidth(200);
        return s;
    };
    auto gauge = [this] {
        auto* g = new QProgressBar(this);
        g->setRange(0, 100);
        g->setValue(50);
        return g;
    };
    Label1 = new QLabel(QStringLiteral("Actual Waveform"), this);
    TrackBar1 = slider();
    progressbar1 = gauge();
    Label2 = new QLabel(QStringLiteral("Copied Waveform"), this);
    TrackBar2 = slider();
    TrackBar2->setVisible(false);
    progressbar2 = gauge();
    cb1 = new QCheckBox(QStringLiteral("Mantain Ratio"), this);
    cb1->setChecked(true);
    sv::makeOkCancel(this, Button1, Button2);

    auto* grid = new QGridLayout;
    grid->addWidget(Label1, 0, 0);
    grid->addWidget(progressbar1, 0, 1);
    grid->addWidget(TrackBar1, 1, 0, 1, 2);
    grid->addWidget(Label2, 2, 0);
    grid->addWidget(progressbar2, 2, 1);
    grid->addWidget(TrackBar2, 3, 0, 1, 2);
    QHBoxLayout* buttons = sv::makeButtonRow(Button1, Button2);
    buttons->insertWidget(0, cb1);
    auto* top = new QVBoxLayout(this);
    top->addLayout(grid);
    top->addLayout(buttons);

    connect(TrackBar1, &QSlider::valueChanged, this, [this] { TrackBar1Change(); });
    connect(TrackBar2, &QSlider::valueChanged, this, [this] { TrackBar2Change(); });
    connect(cb1, &QCheckBox::toggled, this, [this] { cb1Click(); });
    connect(Button1, &QPushButton::clicked, this, [this] { done(sv::mrOk); });
    connect(Button2, &QPushButton::clicked, this, [this] { done(sv::mrCancel); });
}

void Tmixspecial::mostrar_form(double& current, double& copied) { conclude(sv::showModal(*this), current, copied); }

void Tmixspecial::conclude(int modalResult, double& current, double& copied) const {
    if (modalResult == sv::mrOk) {
        current = progressbar1->value() / 100.0;
        copied = progressbar2->value() / 100.0;
    } else {
        current = 0.0;
        copied = 0.0;
    }
}

void Tmixspecial::TrackBar1Change() {
    progressbar1->setValue(TrackBar1->value());
    if (cb1->isChecked()) {
        progressbar2->setValue(100 - TrackBar1->value());
        sv::setSliderQuietly(TrackBar2, 100 - TrackBar1->value());
    }
}

void Tmixspecial::TrackBar2Change() { progressbar2->setValue(TrackBar2->value()); }

void Tmixspecial::cb1Click() { TrackBar2->setVisible(!cb1->isChecked()); }

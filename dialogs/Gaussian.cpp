#include "dialogs/Gaussian.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QVBoxLayout>

#include "dialogs/ParamDialog.h"

TGaussianfrm::TGaussianfrm(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Add gaussian noise"));
    setModal(true);
    Label5 = new QLabel(QStringLiteral("&Gaussian noise variance:"), this);
    Label4 = new QLabel(QStringLiteral("0.1"), this);
    Label4->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    TrackBar1 = sv::makeTrackBar(this, 0, 1000, 100, 100);
    TrackBar1->setMinimumWidth(240);
    Label5->setBuddy(TrackBar1);
    sv::makeOkCancel(this, Button1, Button2);
    auto* head = new QHBoxLayout;
    head->addWidget(Label5);
    head->addWidget(Label4, 1);
    auto* top = new QVBoxLayout(this);
    top->addLayout(head);
    top->addWidget(TrackBar1);
    top->addLayout(sv::makeScaleRow(new QLabel(QStringLiteral("0"), this), new QLabel(QStringLiteral("0'5"), this),
                                    new QLabel(QStringLiteral("1"), this)));
    top->addLayout(sv::makeButtonRow(Button1, Button2));
    connect(TrackBar1, &QSlider::valueChanged, this, [this] { TrackBar1Change(); });
    connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
    connect(Button2, &QPushButton::clicked, this, [this] { Button2Click(); });
}

uint8_t TGaussianfrm::mostrar_form(const std::string& kind, int32_t& variance) {
    prepare(kind);
    sv::showModal(*this);
    variance = Variance;
    return Cancelled;
}

void TGaussianfrm::prepare(const std::string& kind) {
    struct Kind { const char* name; const char* caption; const char* label; };
    static const Kind kKinds[] = {
        {"unifdist", "Add uniform noise", "&Uniform noise variance:"},
        {"expdist", "Add gaussian noise", "&Gaussian noise variance:"},
        {"pinkdist", "Add pink noise", "&Pink noise variance:"},
        {"speckle", "Add speckle noise", "&Speckle noise variance:"},
    };
    for (const Kind& k : kKinds) {
        if (kind != k.name) continue;
        setWindowTitle(QString::fromLatin1(k.caption));
        Label5->setText(QString::fromLatin1(k.label));
    }
    Label4->setText(QStringLiteral("0.1"));
    sv::setSliderQuietly(TrackBar1, 100);
    Variance = 100;
    Cancelled = 1;
}

void TGaussianfrm::TrackBar1Change() {
    Variance = TrackBar1->value();
    Label4->setText(QString::number(Variance / 1000.0, 'f', 3));
}

void TGaussianfrm::Button1Click() {
    Cancelled = 0;
    done(sv::mrOk);
}

void TGaussianfrm::Button2Click() {
    Cancelled = 1;
    done(sv::mrCancel);
}

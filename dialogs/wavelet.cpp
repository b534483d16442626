#include "dialogs/wavelet.h"

#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QVBoxLayout>

#include "dialogs/ParamDialog.h"

Twaveletfrm::Twaveletfrm(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Wavelet Denoising Filter"));
    setModal(true);
    auto* box = new QGroupBox(QStringLiteral("Threshold"), this);
    lambda = sv::makeTrackBar(box, 0, 300, 10, 50);
    lambda->setMinimumWidth(240);
    Label3 = new QLabel(QStringLiteral("5%"), box);
    Label3->setAlignment(Qt::AlignCenter);
    auto* inBox = new QVBoxLayout(box);
    inBox->addWidget(Label3);
    inBox->addWidget(lambda);
    inBox->addLayout(sv::makeScaleRow(new QLabel(QStringLiteral("0%"), box), nullptr,
                                      new QLabel(QStringLiteral("30%"), box)));
    rg1 = new sv::RadioGroup(QStringLiteral("Thresholding"), {"Soft", "Hard"}, this);
    rg1->setItemIndex(0);
    Button1 = new QPushButton(QStringLiteral("OK"), this);
    Button2 = new QPushButton(QStringLiteral("Cancel"), this);
    sv::makePlainButton(Button1);
    sv::makePlainButton(Button2);
    auto* top = new QVBoxLayout(this);
    top->addWidget(box);
    top->addWidget(rg1);
    top->addLayout(sv::makeButtonRow(Button1, Button2));
    connect(lambda, &QSlider::valueChanged, this, [this] { lambdaChange(); });
    connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
    connect(Button2, &QPushButton::clicked, this, [this] { Button2Click(); });
}

void Twaveletfrm::lambdaChange() {
    Label3->setText(QString::number(lambda->value() / 10.0, 'f', 2) + QLatin1Char('%'));
}

void Twaveletfrm::Button1Click() {
    threshold = lambda->value() / 10.0;
    thresholding = rg1->ItemIndex();
    done(sv::mrOk);
}

void Twaveletfrm::Button2Click() {
    threshold = 0.0;
    thresholding = 0;
    done(sv::mrCancel);
}

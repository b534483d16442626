#include "dialogs/FrequencyShift.h"

#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QVBoxLayout>

#include "dialogs/ParamDialog.h"

TFrequencyShiftfrm::TFrequencyShiftfrm(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Frequency Shift"));
    setModal(true);
    tb1 = sv::makeTrackBar(this, -100, 100, 10, 0);
    tb1->setSelection(0, 0);
    tb1->setMinimumWidth(260);
    Label2 = new QLabel(QStringLiteral("0%"), this);
    Label2->setAlignment(Qt::AlignCenter);
    Button1 = new QPushButton(QStringLiteral("OK"), this);
    Button2 = new QPushButton(QStringLiteral("Cancel"), this);
    sv::makePlainButton(Button1);
    sv::makePlainButton(Button2);
    auto* top = new QVBoxLayout(this);
    top->addWidget(Label2);
    top->addWidget(tb1);
    top->addLayout(sv::makeScaleRow(new QLabel(QStringLiteral("-100%"), this), new QLabel(QStringLiteral("0"), this),
                                    new QLabel(QStringLiteral("100%"), this)));
    top->addLayout(sv::makeButtonRow(Button1, Button2));
    connect(tb1, &QSlider::valueChanged, this, [this] { tb1Change(); });
    connect(Button1, &QPushButton::clicked, this, [this] { done(sv::mrOk); });
    connect(Button2, &QPushButton::clicked, this, [this] { done(sv::mrCancel); });
}

void TFrequencyShiftfrm::tb1Change() {
    const int p = tb1->value();
    Label2->setText(QString::number(p) + QLatin1Char('%'));
    SelStart = p < 0 ? p : 0;
    SelEnd = p < 0 ? 0 : p;
    tb1->setSelection(SelStart, SelEnd);
}

#include "dialogs/stsa.h"

#include <QApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QVBoxLayout>
#include <cmath>

#include "dialogs/ParamDialog.h"
#include "platform/prompts.h"

namespace {

double ratioOf(int position) { return std::pow(10.0, position / 100.0); }

QString decibelText(int position) { return QString::number(position / 10.0, 'f', 1) + QStringLiteral(" dB"); }

} // namespace

Tstsaform::Tstsaform(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("STSA configuration"));
    setModal(true);
    Label1 = new QLabel(QStringLiteral("&Top SNR threshold:"), this);
    TrackBar2 = sv::makeTrackBar(this, 0, 400, 20, 120);
    Label4 = new QLabel(QStringLiteral("12 dB"), this);
    Label2 = new QLabel(QStringLiteral("&Minimum SNR threshold:"), this);
    TrackBar3 = sv::makeTrackBar(this, 0, 400, 20, 60);
    Label5 = new QLabel(QStringLiteral("6 dB"), this);
    Label1->setBuddy(TrackBar2);
    Label2->setBuddy(TrackBar3);
    Label3 = new QLabel(QStringLiteral("&Noise power:"), this);
    Edit1 = new QLineEdit(QStringLiteral("1"), this);
    Label3->setBuddy(Edit1);
    RadioButton1 = new QRadioButton(QStringLiteral("Linear"), this);
    RadioButton2 = new QRadioButton(QStringLiteral("dB"), this);
    RadioButton1->setChecked(true);
    Button3 = new QPushButton(QStringLiteral("?"), this);
    sv::makePlainButton(Button3);
    sv::makeOkCancel(this, Button1, Button2);
    TopSnr = ratioOf(120);
    MinSnr = ratioOf(60);

    auto* grid = new QGridLayout;
    grid->addWidget(Label1, 0, 0);
    grid->addWidget(TrackBar2, 0, 1);
    grid->addWidget(Label4, 0, 2);
    grid->addWidget(Label2, 1, 0);
    grid->addWidget(TrackBar3, 1, 1);
    grid->addWidget(Label5, 1, 2);
    auto* power = new QHBoxLayout;
    power->addWidget(Label3);
    power->addWidget(Edit1);
    power->addWidget(RadioButton1);
    power->addWidget(RadioButton2);
    power->addStretch(1);
    power->addWidget(Button3);
    auto* top = new QVBoxLayout(this);
    top->addLayout(grid);
    top->addLayout(power);
    top->addLayout(sv::makeButtonRow(Button1, Button2));

    Edit1->installEventFilter(this);
    connect(TrackBar2, &QSlider::valueChanged, this, [this] { TrackBar2Change(); });
    connect(TrackBar3, &QSlider::valueChanged, this, [this] { TrackBar3Change(); });
    connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
    connect(Button2, &QPushButton::clicked, this, [this] { Button2Click(); });
    connect(Button3, &QPushButton::clicked, this, [this] { Button3Click(); });
}

void Tstsaform::TrackBar2Change() {
    const int p = TrackBar2->value();
    Label4->setText(decibelText(p));
    TopSnr = ratioOf(p);
    // The minimum never stays above the top; its own handler follows.
    if (TrackBar3->value() > p) TrackBar3->setValue(p);
}

void Tstsaform::TrackBar3Change() {
    const int p = TrackBar3->value();
    Label5->setText(decibelText(p));
    MinSnr = ratioOf(p);
    if (TrackBar2->value() < p) TrackBar2->setValue(p);
}

bool Tstsaform::Edit1KeyPress(QChar key) {
    if (key.isDigit() || key == QLatin1Char(',') || key == QChar(8)) return true;
    QApplication::beep();
    return false;
}

bool Tstsaform::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Edit1 && event->type() == QEvent::KeyPress) {
        auto* k = static_cast<QKeyEvent*>(event);
        // Editing keys that type nothing (arrows, delete) pass as they are.
        if (k->key() == Qt::Key_Backspace) return false;
        if (!k->text().isEmpty() && k->text()[0].isPrint() && !Edit1KeyPress(k->text()[0])) return true;
    }
    return QDialog::eventFilter(watched, event);
}

void Tstsaform::Button1Click() {
    // The comma is the decimal separator of the typed value.
    QString text = Edit1->text().trimmed();
    text.replace(QLatin1Char(','), QLatin1Char('.'));
    bool ok = false;
    const double typed = text.toDouble(&ok);
    if (text.isEmpty() || !ok) {
        sv::ShowMessage("Please enter a value for the Noise Power");
        return;
    }
    TopSnr = ratioOf(TrackBar2->value());
    MinSnr = ratioOf(TrackBar3->value());
    NoisePower = RadioButton2->isChecked() ? std::pow(10.0, typed / 10.0) : typed;
    OK = 1;
    done(sv::mrOk);
}

void Tstsaform::Button2Click() {
    OK = 0;
    done(sv::mrCancel);
}

void Tstsaform::Button3Click() {
    sv::ShowMessage("Note: if you don't know the noise power,\n"
                    "you can estimate it with the function \"Histogram\"\n"
                    "and a peace of your waveform without sound\n"
                    "(it will only have background noise).\n"
                    "Just check the value of the \"Variance\".");
}

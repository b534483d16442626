#include "dialogs/SpeedUpDown.h"

#include <QApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

#include "dialogs/ParamDialog.h"
#include "platform/numbers.h"

TSpeedUpDownfrm* SpeedUpDownfrm = nullptr;

namespace {
// A step button says what it does to the change: a fine step is a tenth
// of a percent, a coarse one a whole percent. It repeats while held down.
QToolButton* stepButton(QWidget* parent, const char* caption, const char* hint) {
    auto* b = new QToolButton(parent);
    b->setText(QString::fromUtf8(caption));
    b->setToolTip(QString::fromUtf8(hint));
    b->setToolButtonStyle(Qt::ToolButtonTextOnly);
    b->setAutoRepeat(true);
    return b;
}
} // namespace

TSpeedUpDownfrm::TSpeedUpDownfrm(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Speed Up/Down"));
    setModal(true);
    auto* barLabel = new QLabel(QStringLiteral("&Percent (%) of variation (Sample Number)"), this);
    TrackBar1 = sv::makeTrackBar(this, 0, 2000, 100, 1000);
    barLabel->setBuddy(TrackBar1);
    Label5 = new QLabel(QStringLiteral("0%"), this);
    Label3 = new QLabel(this);
    Edit1 = new QLineEdit(this);
    auto* editLabel = new QLabel(QStringLiteral("&New number of samples:"), this);
    editLabel->setBuddy(Edit1);
    SpinButton2Up = stepButton(this, "+0.1%", "Fine step: 0.1% more variation");
    SpinButton2Down = stepButton(this, "-0.1%", "Fine step: 0.1% less variation");
    SpinButton1Up = stepButton(this, "+1%", "Coarse step: 1% more variation");
    SpinButton1Down = stepButton(this, "-1%", "Coarse step: 1% less variation");
    Button3 = new QPushButton(QStringLiteral("Half Speed (Num Samples x2)"), this);
    Button4 = new QPushButton(QStringLiteral("Double Speed (Num Samples /2)"), this);
    for (QPushButton* b : {Button3, Button4}) sv::makePlainButton(b);
    sv::makeOkCancel(this, Button1, Button2);

    auto* top = new QVBoxLayout(this);
    top->addWidget(barLabel);
    top->addWidget(TrackBar1);
    top->addLayout(sv::makeScaleRow(new QLabel(QStringLiteral("-100%"), this), new QLabel(QStringLiteral("0%"), this),
                                    new QLabel(QStringLiteral("100%"), this)));
    top->addWidget(Label5, 0, Qt::AlignHCenter);
    auto* grid = new QGridLayout;
    grid->addWidget(new QLabel(QStringLiteral("Actual number of samples:"), this), 0, 0);
    grid->addWidget(Label3, 0, 1);
    grid->addWidget(editLabel, 1, 0);
    grid->addWidget(Edit1, 1, 1);
    auto* spins = new QHBoxLayout;
    // From the largest step down to the largest step up.
    for (QToolButton* b : {SpinButton1Down, SpinButton2Down, SpinButton2Up, SpinButton1Up}) spins->addWidget(b);
    grid->addLayout(spins, 1, 2);
    top->addLayout(grid);
    auto* speeds = new QHBoxLayout;
    speeds->addWidget(Button3);
    speeds->addWidget(Button4);
    top->addLayout(speeds);
    top->addLayout(sv::makeButtonRow(Button1, Button2));

    connect(TrackBar1, &QSlider::valueChanged, this, [this] { TrackBar1Change(); });
    new sv::EditKeys(Edit1, [this] { Edit1KeyPress(); }, [this] { Edit1Exit(); });
    connect(SpinButton2Up, &QToolButton::clicked, this, [this] { SpinButton2UpClick(); });
    connect(SpinButton2Down, &QToolButton::clicked, this, [this] { SpinButton2DownClick(); });
    connect(SpinButton1Up, &QToolButton::clicked, this, [this] { SpinButton1UpClick(); });
    connect(SpinButton1Down, &QToolButton::clicked, this, [this] { SpinButton1DownClick(); });
    connect(Button3, &QPushButton::clicked, this, [this] { Button3Click(); });
    connect(Button4, &QPushButton::clicked, this, [this] { Button4Click(); });
    connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
    connect(Button2, &QPushButton::clicked, this, [this] { Button2Click(); });
}

uint8_t TSpeedUpDownfrm::mostrar_form(int64_t samples, int64_t& newSamples, int32_t& delta) {
    prepare(samples);
    if (sv::showModal(*this) != sv::mrOk) Cancelled = 1;
    newSamples = NewSamples;
    delta = Delta;
    return Cancelled;
}

void TSpeedUpDownfrm::prepare(int64_t samples) {
    Current = samples;
    Cancelled = 1;
    Delta = 0;
    NewSamples = samples;
    Edit1->setText(QString::number(samples));
    Label3->setText(QString::number(samples));
    Label5->setText(QStringLiteral("0%"));
    sv::setSliderQuietly(TrackBar1, 1000);
}

// The change in per mille decides the new number; 64-bit, so that a long
// selection times the change cannot wrap.
void TSpeedUpDownfrm::setDelta(int32_t delta) {
    Delta = delta;
    NewSamples = Current + int64_t(delta) * Current / 1000;
    Label5->setText(QString::number(delta / 10.0, 'f', 1) + QStringLiteral(" %"));
}

void TSpeedUpDownfrm::TrackBar1Change() {
    setDelta(TrackBar1->value() - 1000);
    Edit1->setText(QString::number(NewSamples));
}

void TSpeedUpDownfrm::takeTyped() {
    bool ok = false;
    const qlonglong typed = Edit1->text().trimmed().toLongLong(&ok);
    if (!ok) {
        int dummy = 0;
        sv::typedInteger(Edit1, dummy);   // the standard box for text that is no number
        return;
    }
    // Between none and twice the current number: a negative count has no
    // meaning for a buffer.
    NewSamples = std::clamp<int64_t>(typed, 0, 2 * Current);
    Edit1->setText(QString::number(NewSamples));
    const int position =
        Current > 0 ? int(sv::roundHalfEven(double(NewSamples) / double(Current) * 1000.0, 0, 2000)) : 1000;
    sv::setSliderQuietly(TrackBar1, position);
    Delta = position - 1000;
    Label5->setText(QString::number(Delta / 10.0, 'f', 1) + QStringLiteral(" %"));
}

void TSpeedUpDownfrm::Edit1Exit() { takeTyped(); }
void TSpeedUpDownfrm::Edit1KeyPress() { takeTyped(); }

void TSpeedUpDownfrm::spin(int step) {
    if ((step > 0 && Delta >= 1000) || (step < 0 && Delta <= -1000)) {
        QApplication::beep();
        return;
    }
    const int32_t d = std::clamp(Delta + step, -1000, 1000);
    sv::setSliderQuietly(TrackBar1, d + 1000);
    setDelta(d);
    Edit1->setText(QString::number(NewSamples));
}

void TSpeedUpDownfrm::Button3Click() {
    Edit1->setText(QString::number(2 * Current));
    takeTyped();
}

void TSpeedUpDownfrm::Button4Click() {
    Edit1->setText(QString::number(Current / 2));
    takeTyped();
}

void TSpeedUpDownfrm::Button1Click() {
    Cancelled = 0;
    done(sv::mrOk);
}

void TSpeedUpDownfrm::Button2Click() {
    Cancelled = 1;
    done(sv::mrCancel);
}

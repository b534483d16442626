#include "dialogs/GapperGroove.h"

#include <QFormLayout>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>
#include <climits>

#include "dialogs/ParamDialog.h"
#include "platform/numbers.h"

namespace sv {

namespace {
QSpinBox* unlimited(QWidget* parent, int value) {
    auto* s = new QSpinBox(parent);
    s->setRange(INT_MIN, INT_MAX);
    s->setValue(value);
    return s;
}
int toBox(int64_t v) { return int(clampTo<int64_t>(v, INT_MIN, INT_MAX)); }
} // namespace

GapScaleForm::GapScaleForm(QWidget* parent, const QString& caption, const QString& lengthCaption,
                           const QString& secondCaption, int secondValue, bool secondIsCount)
    : QDialog(parent), secondIsCount_(secondIsCount) {
    setWindowTitle(caption);
    setModal(true);
    rg1 = new RadioGroup(QStringLiteral("Scale"), {QStringLiteral("Miliseconds"), QStringLiteral("Samples")}, this);
    rg1->setItemIndex(0);
    Gaplength = unlimited(this, 10);
    Gapinterval = unlimited(this, secondValue);
    Button1 = new QPushButton(QStringLiteral("OK"), this);
    Button2 = new QPushButton(QStringLiteral("Cancel"), this);
    makePlainButton(Button1);
    makePlainButton(Button2);
    auto* form = new QFormLayout;
    form->addRow(lengthCaption, Gaplength);
    form->addRow(secondCaption, Gapinterval);
    auto* top = new QVBoxLayout(this);
    top->addWidget(rg1);
    top->addLayout(form);
    top->addLayout(makeButtonRow(Button1, Button2));
    connect(rg1, &RadioGroup::clicked, this, [this] { rg1Click(); });
    connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
    connect(Button2, &QPushButton::clicked, this, [this] { Button2Click(); });
}

void GapScaleForm::rg1Click() {
    const int to = rg1->ItemIndex();
    if (to < 0 || to == scale_) return;
    const double rate = SampleRate;
    auto convert = [&](QSpinBox* box) {
        const double v = box->value();
        box->setValue(toBox(to == 1 ? roundHalfEven(v * rate / 1000.0, INT64_MIN / 4, INT64_MAX / 4)
                                    : roundHalfEven(v * 1000.0 / rate, INT64_MIN / 4, INT64_MAX / 4)));
    };
    convert(Gaplength);
    if (!secondIsCount_) convert(Gapinterval);
    scale_ = to;
}

int64_t GapScaleForm::toSamples(int64_t v) const {
    if (scale_ == 1) return v;
    return roundHalfEven(double(v) * SampleRate / 1000.0, INT64_MIN / 4, INT64_MAX / 4);
}

void GapScaleForm::Button1Click() {
    Cancelled = 0;
    LengthSamples = toSamples(Gaplength->value());
    SecondValue = secondIsCount_ ? Gapinterval->value() : toSamples(Gapinterval->value());
    done(mrOk);
}

void GapScaleForm::Button2Click() {
    Cancelled = 1;
    done(mrCancel);
}

} // namespace sv

TGapperFrm::TGapperFrm(QWidget* parent)
    : GapScaleForm(parent, QStringLiteral("Gapper"), QStringLiteral("Gap Length : "),
                   QStringLiteral("Gap Interval : "), 25, false) {}

TGrooveFrm::TGrooveFrm(QWidget* parent)
    : GapScaleForm(parent, QStringLiteral("Groove"), QStringLiteral("Groove &Length : "),
                   QStringLiteral("Groove &Number: "), 5, true) {}

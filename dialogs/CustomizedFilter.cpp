#include "dialogs/CustomizedFilter.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QStyle>
#include <QStyleOption>
#include <QVBoxLayout>
#include <climits>

#include "dialogs/ParamDialog.h"

namespace {
const int kDefaults[7] = {0, 0, 25, 50, 25, 0, 0};
const char* const kTapNames[7] = {"[-3]", "[-2]", "[-1]", "[0]", "[+1]", "[+2]", "[+3]"};

int spinWidth(const QSpinBox* box) {
    QStyleOptionSpinBox opt;
    opt.initFrom(box);
    opt.buttonSymbols = box->buttonSymbols();
    opt.frame = box->hasFrame();
    opt.subControls = QStyle::SC_SpinBoxFrame | QStyle::SC_SpinBoxEditField | QStyle::SC_SpinBoxUp |
                      QStyle::SC_SpinBoxDown;
    const QSize text(box->fontMetrics().horizontalAdvance(QStringLiteral("-999999")) + 6, box->fontMetrics().height());
    return box->style()->sizeFromContents(QStyle::CT_SpinBox, &opt, text, box).width();
}
} // namespace

TCustomizedFilterfrm::TCustomizedFilterfrm(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Customized Filter"));
    setModal(true);
    auto* taps = new QGridLayout;
    for (int i = 0; i < 7; ++i) {
        SpinEdits[i] = new QSpinBox(this);
        SpinEdits[i]->setObjectName(QStringLiteral("SpinEdit%1").arg(i + 1));
        SpinEdits[i]->setRange(INT_MIN, INT_MAX);   // no limits
        SpinEdits[i]->setValue(kDefaults[i]);
        // A box sized for its unlimited range would be wider than most
        // screens: room for a tap of six digits and its sign is enough.
        SpinEdits[i]->setFixedWidth(spinWidth(SpinEdits[i]));
        taps->addWidget(new QLabel(QString::fromLatin1(kTapNames[i]), this), 0, i, Qt::AlignHCenter);
        taps->addWidget(SpinEdits[i], 1, i);
    }
    RadioGroup1 = new sv::RadioGroup(QStringLiteral("Filter Length (samples)"), {"3 x 3", "5 x 5", "7 x 7"}, this);
    RadioGroup1->setItemIndex(0);
    CheckBox1 = new QCheckBox(QStringLiteral("Limit Values to 100% (max)"), this);
    RetroalimentationCB = new QCheckBox(QStringLiteral("Use Retroalimentation"), this);
    sv::makeOkCancel(this, Button1, Button2);
    auto* top = new QVBoxLayout(this);
    top->addLayout(taps);
    top->addWidget(new QLabel(QStringLiteral("Note : Values in %"), this));
    top->addWidget(RadioGroup1);
    top->addWidget(CheckBox1);
    top->addWidget(RetroalimentationCB);
    top->addLayout(sv::makeButtonRow(Button1, Button2));

    for (int i : {0, 1, 5, 6}) SpinEdits[i]->setEnabled(false);
    connect(RadioGroup1, &sv::RadioGroup::clicked, this, [this] { RadioGroup1Click(); });
    connect(CheckBox1, &QCheckBox::clicked, this, [this] { CheckBox1Click(); });
    connect(Button1, &QPushButton::clicked, this, [this] { done(sv::mrOk); });
    connect(Button2, &QPushButton::clicked, this, [this] { done(sv::mrCancel); });
}

std::array<double, 7> TCustomizedFilterfrm::weights() const {
    std::array<double, 7> w{};
    for (int i = 0; i < 7; ++i) w[size_t(i)] = SpinEdits[i]->value() / 100.0;
    return w;
}

void TCustomizedFilterfrm::RadioGroup1Click() {
    const int index = RadioGroup1->ItemIndex();
    // The outer taps a length leaves out are disabled and set to 0.
    auto use = [this](int tap, bool on) {
        SpinEdits[tap]->setEnabled(on);
        if (!on) SpinEdits[tap]->setValue(0);
    };
    use(0, index == 2);
    use(6, index == 2);
    use(1, index >= 1);
    use(5, index >= 1);
}

void TCustomizedFilterfrm::CheckBox1Click() {
    for (QSpinBox* s : SpinEdits) s->setMaximum(CheckBox1->isChecked() ? 100 : INT_MAX);
}

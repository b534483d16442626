#include "dialogs/formatselection.h"

#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "dialogs/ParamDialog.h"

using namespace sv;

namespace {
const int32_t kRates[] = {11025, 22050, 44100};
constexpr int kOtherRate = 3;
} // namespace

Tformatselectionfrm::Tformatselectionfrm(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Format Selection"));
    rg1 = new RadioGroup(QStringLiteral("Frequency"),
                         {QStringLiteral("11025"), QStringLiteral("22050"), QStringLiteral("44100"),
                          QStringLiteral("Other")},
                         this);
    Edit1 = new QLineEdit(QStringLiteral("11025"), this);
    Edit1->setMaxLength(5);
    Edit1->setMaximumWidth(80);
    Edit1->hide();
    rg2 = new RadioGroup(QStringLiteral("Channels"), {QStringLiteral("Mono"), QStringLiteral("Stereo")}, this);
    rg3 = new RadioGroup(QStringLiteral("Bits"), {QStringLiteral("8 unsigned"), QStringLiteral("16 signed")}, this);
    makeOkCancel(this, Button1, parar);

    auto* rate = new QVBoxLayout;
    rate->addWidget(rg1);
    rate->addWidget(Edit1);
    rate->addStretch(1);
    auto* groups = new QHBoxLayout;
    groups->addLayout(rate);
    groups->addWidget(rg2, 0, Qt::AlignTop);
    groups->addWidget(rg3, 0, Qt::AlignTop);
    auto* v = new QVBoxLayout(this);
    v->addLayout(groups);
    v->addLayout(makeButtonRow(Button1, parar));

    connect(rg1, &RadioGroup::clicked, this, [this](int i) { rg1Click(i); });
    connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
    connect(parar, &QPushButton::clicked, this, [this] { done(mrCancel); });
    preset(SamplesPerSec, Channels, BitsPerSample);
}

void Tformatselectionfrm::preset(int32_t rate, int32_t channels, int32_t bits) {
    int index = kOtherRate;
    for (int i = 0; i < kOtherRate; ++i)
        if (kRates[i] == rate) index = i;
    rg1->setItemIndex(index);
    Edit1->setText(QString::number(rate));
    rg1Click(index);
    rg2->setItemIndex(channels == 2 ? 1 : 0);
    rg3->setItemIndex(bits == 16 ? 1 : 0);
}

void Tformatselectionfrm::rg1Click(int index) { Edit1->setVisible(index == kOtherRate); }

void Tformatselectionfrm::Button1Click() {
    const int index = rg1->ItemIndex();
    int32_t rate = kRates[0];
    if (index >= 0 && index < kOtherRate) {
        rate = kRates[index];
    } else if (index == kOtherRate) {
        int typed = 0;
        if (!typedInteger(Edit1, typed)) return;
        if (typed <= 0) {
            prompts().messageBox(applicationTitle(), "'" + Edit1->text().toStdString() + "' is not a valid sample rate",
                                 Buttons::Ok, Icon::Error);
            return;
        }
        rate = typed;
    }
    SamplesPerSec = rate;
    Channels = (rg2->ItemIndex() < 0 ? 0 : rg2->ItemIndex()) + 1;
    BitsPerSample = ((rg3->ItemIndex() < 0 ? 0 : rg3->ItemIndex()) + 1) * 8;
    done(mrOk);
}

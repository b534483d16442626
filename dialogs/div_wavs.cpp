#include "dialogs/div_wavs.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QToolButton>
#include <QVBoxLayout>
#include <climits>

#include "dialogs/wave_split.h"
#include "dialogs/wave_tool_ui.h"
#include "platform/qt/qt_prompts.h"

using namespace sv;

namespace {
const char* const kUnits[] = {"KBytes", "Minutes", "Seconds", "Milliseconds"};
// The spin box's value when a unit is chosen: each duration is two minutes.
const int kUnitDefaults[] = {500, 2, 120, 120000};
} // namespace

Tdiv_wavs::Tdiv_wavs(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Divide File in Multiple Files"));
    OpenDialog1 = waveSourceRequest();
    auto* top = new QVBoxLayout(this);
    top->addLayout(makeSourceRow(this, Label1, Edit1, SpeedButton1));

    auto* middle = new QHBoxLayout;
    rg1 = new QGroupBox(QStringLiteral("File Size"), this);
    rg1Items_ = new QButtonGroup(this);
    auto* rgLayout = new QVBoxLayout(rg1);
    for (int i = 0; i < 4; ++i) {
        auto* r = new QRadioButton(QString::fromUtf8(kUnits[i]), rg1);
        rg1Items_->addButton(r, i);
        rgLayout->addWidget(r);
    }
    middle->addWidget(rg1);

    auto* sizeBox = new QVBoxLayout;
    auto* sizeRow = new QHBoxLayout;
    Label3 = new QLabel(QStringLiteral("&Max file size :"), this);
    ComboBox1 = new QComboBox(this);
    ComboBox1->addItems({"500", "1000", "3000", "5000", "10000", "25000"});
    SpinEdit1 = new QSpinBox(this);
    SpinEdit1->setRange(INT_MIN, INT_MAX);
    SpinEdit1->setValue(500);
    SpinEdit1->setVisible(false);
    Label4 = new QLabel(QStringLiteral("Kbytes"), this);
    Label3->setBuddy(ComboBox1);
    sizeRow->addWidget(Label3);
    sizeRow->addWidget(ComboBox1);
    sizeRow->addWidget(SpinEdit1);
    sizeRow->addWidget(Label4);
    sizeBox->addLayout(sizeRow);
    Custom = new QCheckBox(QStringLiteral("&Custom Size"), this);
    sizeBox->addWidget(Custom);
    Label5 = new QLabel(QStringLiteral("0/0"), this);
    sizeBox->addWidget(Label5);
    middle->addLayout(sizeBox);
    top->addLayout(middle);

    top->addLayout(makeDivideRow(this, button1, SpeedButton2));

    setRg1ItemIndex(0);
    ComboBox1->setCurrentIndex(0);

    connect(SpeedButton1, &QToolButton::clicked, this, [this] { SpeedButton1Click(); });
    connect(rg1Items_, &QButtonGroup::idClicked, this, [this](int) { rg1Click(); });
    connect(Custom, &QCheckBox::clicked, this, [this] { CustomClick(); });
    connect(button1, &QPushButton::clicked, this, [this] { Button1Click(); });
    connect(SpeedButton2, &QToolButton::clicked, this, [this] { SpeedButton2Click(); });
}

int Tdiv_wavs::rg1ItemIndex() const { return rg1Items_->checkedId(); }

void Tdiv_wavs::setRg1ItemIndex(int index) {
    if (auto* b = rg1Items_->button(index)) b->setChecked(true);
}

void Tdiv_wavs::SpeedButton1Click() { browseInto(OpenDialog1, Edit1); }

void Tdiv_wavs::rg1Click() {
    const int unit = rg1ItemIndex();
    if (unit < 0) return;
    const bool kbytes = unit == 0;
    Label4->setText(QString::fromUtf8(kUnits[unit]));
    Custom->setVisible(kbytes);
    ComboBox1->setVisible(kbytes && !Custom->isChecked());
    SpinEdit1->setVisible(!kbytes || Custom->isChecked());
    SpinEdit1->setValue(kUnitDefaults[unit]);
}

void Tdiv_wavs::CustomClick() {
    ComboBox1->setVisible(!Custom->isChecked());
    SpinEdit1->setVisible(Custom->isChecked());
}

void Tdiv_wavs::Button1Click() {
    const int unit = rg1ItemIndex() < 0 ? 0 : rg1ItemIndex();
    const int64_t value =
        unit == 0 && !Custom->isChecked() ? ComboBox1->currentText().toLongLong() : SpinEdit1->value();
    const std::string path = ss(Edit1->text());
    runSplitJob([&] {
        splitBySize(path, static_cast<PieceUnit>(unit), value, [this](int64_t n, int64_t total) {
            Label5->setText(QString::number(n) + "/" + QString::number(total));
            Label5->repaint();
        });
    });
}

void Tdiv_wavs::SpeedButton2Click() { reject(); }

namespace sv {
void runDivWavs(QWidget* parent) {
    Tdiv_wavs form(parent);
    form.exec();
}
} // namespace sv

#include "dialogs/Reverb.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSlider>
#include <QVBoxLayout>

#include "dialogs/ParamDialog.h"

TReverbfrm* Reverbfrm = nullptr;

namespace {

struct Preset {
    const char* name;
    int initial, delay, time, original, reverb;
};
constexpr Preset kPresets[] = {
    {"Big empty room", 15, 10, 500, 100, 40}, {"Small empty room", 10, 0, 300, 100, 30},
    {"Church", 30, 20, 850, 60, 50},          {"Theater", 15, 10, 700, 90, 50},
    {"Pipe", 20, 15, 1200, 70, 60},
};
constexpr int kDensities[] = {500, 300, 100};   // "Low", "Medium", "High"

} // namespace

TReverbfrm::TReverbfrm(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Reverb"));
    setModal(true);
    ListBox1 = new QListWidget(this);
    for (const Preset& p : kPresets) ListBox1->addItem(QString::fromLatin1(p.name));
    auto* listLabel = new QLabel(QStringLiteral("&Reverb:"), this);
    listLabel->setBuddy(ListBox1);
    TrackBar1 = sv::makeTrackBar(this, 0, 50, 5, 10);
    Label4 = new QLabel(this);
    TrackBar2 = sv::makeTrackBar(this, 0, 50, 5, 10);
    Label5 = new QLabel(this);
    RadioGroup1 = new sv::RadioGroup(QStringLiteral("&Density:"),
                                     {QStringLiteral("Low"), QStringLiteral("Medium"), QStringLiteral("High")}, this);
    TrackBar4 = sv::makeTrackBar(this, 0, 3000, 500, 500);
    Label9 = new QLabel(this);
    TrackBar5 = sv::makeTrackBar(this, 0, 100, 10, 100);
    Label11 = new QLabel(this);
    TrackBar6 = sv::makeTrackBar(this, 0, 100, 10, 50);
    Label13 = new QLabel(this);
    CheckBox1 = new QCheckBox(QStringLiteral("&Low pass filter"), this);
    CheckBox2 = new QCheckBox(QStringLiteral("Only &selection"), this);
    sv::makeOkCancel(this, Button1, Button2);

    auto* grid = new QGridLayout;
    const struct { const char* caption; QSlider* bar; QLabel* value; } rows[] = {
        {"&Initial delay:", TrackBar1, Label4}, {"Re&verb delay:", TrackBar2, Label5},
        {"Reverb &time:", TrackBar4, Label9},   {"&Original:", TrackBar5, Label11},
        {"Rever&b:", TrackBar6, Label13},
    };
    int row = 0;
    for (const auto& r : rows) {
        auto* caption = new QLabel(QString::fromLatin1(r.caption), this);
        caption->setBuddy(r.bar);
        grid->addWidget(caption, row, 0);
        grid->addWidget(r.bar, row, 1);
        grid->addWidget(r.value, row, 2);
        connect(r.bar, &QSlider::valueChanged, this, [this] { TrackBarChange(); });
        ++row;
    }
    auto* left = new QVBoxLayout;
    left->addWidget(listLabel);
    left->addWidget(ListBox1);
    left->addWidget(RadioGroup1);
    auto* right = new QVBoxLayout;
    right->addLayout(grid);
    right->addWidget(CheckBox1);
    right->addWidget(CheckBox2);
    right->addLayout(sv::makeButtonRow(Button1, Button2));
    auto* top = new QHBoxLayout(this);
    top->addLayout(left);
    top->addLayout(right, 1);

    connect(ListBox1, &QListWidget::itemClicked, this, [this] { ListBox1Click(); });
    connect(RadioGroup1, &sv::RadioGroup::clicked, this, [this] { RadioGroup1Click(); });
    connect(CheckBox1, &QCheckBox::clicked, this, [this] { CheckBox1Click(); });
    connect(CheckBox2, &QCheckBox::clicked, this, [this] { CheckBox2Click(); });
    connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
    connect(Button2, &QPushButton::clicked, this, [this] { Button2Click(); });
    prepare();
}

uint8_t TReverbfrm::mostrar_form(int32_t& density, int32_t& reverbDelay, int32_t& initialDelay,
                                 int32_t& reverbTime, int32_t& originalLevel, int32_t& reverbLevel,
                                 uint8_t& lowPass, uint8_t& onlySelection) {
    prepare();
    if (sv::showModal(*this) != sv::mrOk) Cancelled = 1;
    density = Values.density;
    reverbDelay = Values.reverbDelay;
    initialDelay = Values.initialDelay;
    reverbTime = Values.reverbTime;
    originalLevel = Values.originalLevel;
    reverbLevel = Values.reverbLevel;
    lowPass = LowPass;
    onlySelection = Values.onlySelection ? 1 : 0;
    return Cancelled;
}

void TReverbfrm::prepare() {
    ListBox1->setCurrentRow(-1);
    ListBox1->clearSelection();
    CheckBox1->setChecked(false);
    CheckBox2->setChecked(false);
    LowPass = 0;
    Values = sv::ReverbParams{};
    Cancelled = 1;
    restaurar_valors();
}

void TReverbfrm::ListBox1Click() {
    const int i = ListBox1->currentRow();
    if (i < 0 || i >= int(std::size(kPresets))) return;
    const Preset& p = kPresets[i];
    Values.density = 500;
    Values.initialDelay = p.initial;
    Values.reverbDelay = p.delay;
    Values.reverbTime = p.time;
    Values.originalLevel = p.original;
    Values.reverbLevel = p.reverb;
    restaurar_valors();
}

void TReverbfrm::restaurar_valors() {
    sv::setSliderQuietly(TrackBar1, Values.initialDelay);
    sv::setSliderQuietly(TrackBar2, Values.reverbDelay);
    sv::setSliderQuietly(TrackBar4, Values.reverbTime);
    sv::setSliderQuietly(TrackBar5, Values.originalLevel);
    sv::setSliderQuietly(TrackBar6, Values.reverbLevel);
    RadioGroup1->setItemIndex(Values.density == 100 ? 2 : Values.density == 300 ? 1 : 0);
    Label4->setText(QString::number(Values.initialDelay) + QStringLiteral("ms"));
    Label5->setText(QString::number(Values.reverbDelay) + QStringLiteral("ms"));
    Label9->setText(QString::number(Values.reverbTime) + QStringLiteral("ms"));
    Label11->setText(QString::number(Values.originalLevel) + QStringLiteral("%"));
    Label13->setText(QString::number(Values.reverbLevel) + QStringLiteral("%"));
}

void TReverbfrm::RadioGroup1Click() {
    const int i = RadioGroup1->ItemIndex();
    if (i >= 0) Values.density = kDensities[i];
}

void TReverbfrm::TrackBarChange() {
    Values.initialDelay = TrackBar1->value();
    Values.reverbDelay = TrackBar2->value();
    Values.reverbTime = TrackBar4->value();
    Values.originalLevel = TrackBar5->value();
    Values.reverbLevel = TrackBar6->value();
    restaurar_valors();
}

void TReverbfrm::CheckBox1Click() { LowPass = CheckBox1->isChecked() ? 1 : 0; }
void TReverbfrm::CheckBox2Click() { Values.onlySelection = CheckBox2->isChecked(); }

void TReverbfrm::Button1Click() {
    Cancelled = 0;
    done(sv::mrOk);
}

void TReverbfrm::Button2Click() {
    Cancelled = 1;
    done(sv::mrCancel);
}

#include "dialogs/ChorusFlanger.h"

#include <QEvent>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <QVBoxLayout>
#include <cstring>

#include "dialogs/ParamDialog.h"

namespace sv {

namespace {

QSpinBox* spin(QWidget* parent, int maximum, int value) {
    auto* s = new QSpinBox(parent);
    s->setRange(0, maximum);
    s->setValue(value);
    return s;
}

// Tenths of a hertz in the shortest decimal form: 20 gives "2Hz", 12 "1.2Hz".
QString hertzText(int tenths) { return QString::number(tenths / 10.0, 'g', 7) + QStringLiteral("Hz"); }

} // namespace

ModulationForm::ModulationForm(QWidget* parent, const QString& caption, const QString& processedCaption,
                               bool feedback, std::vector<ModulationPreset> presets)
    : QDialog(parent), presets_(std::move(presets)) {
    setWindowTitle(caption);
    setModal(true);
    Fixed_SE = spin(this, 500, 0);
    delay_SE = spin(this, 500, 30);
    ChorusVoices_SE = spin(this, 50, 1);
    owbar = makeTrackBar(this, 0, 100, 10, 100);
    Label4 = new QLabel(this);
    cwbar = makeTrackBar(this, 0, 100, 10, 50);
    Label6 = new QLabel(this);
    fbar = makeTrackBar(this, 0, 50, 5, 20);
    Label7 = new QLabel(this);
    if (feedback) {
        feedbar = makeTrackBar(this, 0, 100, 10, 0);
        Label12 = new QLabel(this);
    }
    ListBox1 = new QListWidget(this);
    for (const ModulationPreset& p : presets_) ListBox1->addItem(QString::fromLatin1(p.name));
    ListBox1->installEventFilter(this);
    makeOkCancel(this, Button1, Button2);

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("&Fixed Delay (ms) :"), Fixed_SE);
    form->addRow(QStringLiteral("Mixed &Delay (ms) :"), delay_SE);
    form->addRow(QStringLiteral("&Voices :"), ChorusVoices_SE);
    // A row holding a layout gets no buddy from the form layout: the
    // caption is made here so that its "&" letter moves to the slider.
    auto barRow = [&](const QString& text, QSlider* bar, QLabel* value) {
        auto* row = new QHBoxLayout;
        row->addWidget(bar, 1);
        row->addWidget(value);
        auto* caption = new QLabel(text, this);
        caption->setBuddy(bar);
        form->addRow(caption, row);
    };
    barRow(QStringLiteral("&Original Waveform :"), owbar, Label4);
    barRow(processedCaption, cwbar, Label6);
    barRow(QStringLiteral("Fre&quency:"), fbar, Label7);
    if (feedbar) barRow(QStringLiteral("F&eedback:"), feedbar, Label12);
    auto* right = new QVBoxLayout;
    auto* presetsLabel = new QLabel(QStringLiteral("&Presets :"), this);
    presetsLabel->setBuddy(ListBox1);
    right->addWidget(presetsLabel);
    right->addWidget(ListBox1, 1);
    right->addLayout(makeButtonRow(Button1, Button2));
    auto* top = new QHBoxLayout(this);
    top->addLayout(form, 1);
    top->addLayout(right);

    for (QSlider* s : {owbar, cwbar, fbar, feedbar})
        if (s) connect(s, &QSlider::valueChanged, this, [this] { refreshLabels(); });
    connect(ListBox1, &QListWidget::itemClicked, this, [this] { ListBox1Click(); });
    connect(Button1, &QPushButton::clicked, this, [this] { done(mrOk); });
    connect(Button2, &QPushButton::clicked, this, [this] { done(mrCancel); });
    refreshLabels();
}

ModulationParams ModulationForm::values() const {
    ModulationParams p;
    p.fixedDelay = Fixed_SE->value();
    p.mixedDelay = delay_SE->value();
    p.voices = ChorusVoices_SE->value();
    p.original = owbar->value();
    p.processed = cwbar->value();
    p.frequency = fbar->value();
    p.feedback = feedbar ? feedbar->value() : 0;
    return p;
}

void ModulationForm::refreshLabels() {
    Label4->setText(QString::number(owbar->value()) + QStringLiteral("%"));
    Label6->setText(QString::number(cwbar->value()) + QStringLiteral("%"));
    Label7->setText(hertzText(fbar->value()));
    if (Label12) Label12->setText(QString::number(feedbar->value()) + QStringLiteral("%"));
}

void ModulationForm::applyPreset(const ModulationPreset& p) {
    Fixed_SE->setValue(p.fixed);
    delay_SE->setValue(p.mixed);
    ChorusVoices_SE->setValue(p.voices);
    setSliderQuietly(owbar, p.original);
    setSliderQuietly(cwbar, p.processed);
    setSliderQuietly(fbar, p.frequency);
    if (feedbar) setSliderQuietly(feedbar, p.feedback);
    refreshLabels();
}

void ModulationForm::ListBox1Click() {
    const int row = ListBox1->currentRow();
    if (row < 0 || row >= int(presets_.size()) || !*presets_[size_t(row)].name) return;
    applyPreset(presets_[size_t(row)]);
}

void ModulationForm::ListBox1KeyPress() {
    ModulationPreset scratch{};
    if (const ModulationPreset* p = keyPreset(ListBox1->currentRow(), scratch)) applyPreset(*p);
}

const ModulationPreset* ModulationForm::keyPreset(int row, ModulationPreset&) const {
    if (row < 0 || row >= int(presets_.size())) return nullptr;
    return &presets_[size_t(row)];
}

bool ModulationForm::eventFilter(QObject* watched, QEvent* event) {
    // A typed character (not a navigation key) re-applies the selected row.
    if (watched == ListBox1 && event->type() == QEvent::KeyPress &&
        !static_cast<QKeyEvent*>(event)->text().isEmpty())
        ListBox1KeyPress();
    return QDialog::eventFilter(watched, event);
}

} // namespace sv

TChorusfrm::TChorusfrm(QWidget* parent)
    : ModulationForm(parent, QStringLiteral("Chorus"), QStringLiteral("&Chorused Waveforms :"), false,
                     {{"Default", 0, 30, 1, 100, 50, 20, 0},
                      {"Light Chorus", 0, 8, 1, 90, 30, 10, 0},
                      {"Soft Chorus", 0, 20, 1, 85, 40, 12, 0},
                      {"Hard Chorus", 10, 75, 1, 75, 60, 20, 0},
                      {"", 0, 20, 1, 10, 90, 13, 0}}) {}

TFlangerfrm::TFlangerfrm(QWidget* parent)
    : ModulationForm(parent, QStringLiteral("Flanger"), QStringLiteral("&flangered Waveforms :"), true,
                     {{"Default", 0, 30, 1, 100, 50, 20, 0},
                      {"Light Flanger", 0, 8, 1, 90, 30, 10, 20},
                      {"Soft Flanger", 0, 20, 1, 85, 40, 12, 50},
                      {"Hard Flanger", 10, 75, 1, 75, 60, 20, 100},
                      {"Drunk", 0, 20, 1, 10, 90, 13, 50},
                      {"Possessed", 10, 100, 2, 75, 65, 18, 50},
                      {"Devil", 10, 50, 3, 20, 85, 5, 50},
                      {"Vinyl Scratch", 0, 80, 3, 20, 70, 40, 50},
                      {"Cyborg Voice", 10, 20, 1, 50, 90, 13, 85}}) {}

const sv::ModulationPreset* TFlangerfrm::keyPreset(int row, sv::ModulationPreset& scratch) const {
    const sv::ModulationPreset* p = ModulationForm::keyPreset(row, scratch);
    if (!p) return nullptr;
    // A typed key gives every preset but "Cyborg Voice" no feedback.
    scratch = *p;
    if (std::strcmp(p->name, "Cyborg Voice") != 0) scratch.feedback = 0;
    return &scratch;
}

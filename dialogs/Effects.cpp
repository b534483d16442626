#include "dialogs/Effects.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QSlider>

#include "dialogs/ParamDialog.h"

TEffectsfrm* Effectsfrm = nullptr;

namespace {
constexpr int kWidth = 330;
constexpr int kSliderLeft = 16;
constexpr int kSliderWidth = 250;
}

TEffectsfrm::TEffectsfrm(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Special Effects"));
    setModal(true);

    Label1 = new QLabel(QStringLiteral("&Effect type:"), this);
    ComboBox1 = new QComboBox(this);
    ComboBox1->addItems({QStringLiteral("1.-Telephone line"), QStringLiteral("2.-Robotic voice"),
                         QStringLiteral("3.-Electric guitar distortion"), QStringLiteral("4.-Noise gate"),
                         QStringLiteral("5.-Compressor"), QStringLiteral("6.-Expander"),
                         QStringLiteral("7.-Hard metallization"), QStringLiteral("8.-Soft metallization"),
                         QStringLiteral("9.-Chopper"), QStringLiteral("10.-Quantifier"),
                         QStringLiteral("11.-Great Chopper"), QStringLiteral("12.-Karaoke"),
                         QStringLiteral("13.-Spectral Average")});
    Label1->setBuddy(ComboBox1);

    Label2 = new QLabel(QStringLiteral("&Threshold:"), this);
    TrackBar1 = sv::makeTrackBar(this, 0, 100, 26, 0);
    Label2->setBuddy(TrackBar1);
    Label3 = new QLabel(QStringLiteral("0"), this);
    Label4 = new QLabel(QStringLiteral("100%"), this);
    Label5 = new QLabel(QStringLiteral("0%"), this);
    Label9 = new QLabel(QStringLiteral("&Ratio:"), this);
    TrackBar2 = sv::makeTrackBar(this, 0, 100, 26, 0);
    Label9->setBuddy(TrackBar2);
    Label6 = new QLabel(QStringLiteral("0"), this);
    Label7 = new QLabel(QStringLiteral("100%"), this);
    Label8 = new QLabel(QStringLiteral("0%"), this);
    for (QLabel* l : {Label4, Label7, Label5, Label8}) l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    sv::makeOkCancel(this, Button1, Button2);

    connect(ComboBox1, qOverload<int>(&QComboBox::activated), this, [this] { ComboBox1Click(); });
    connect(TrackBar1, &QSlider::valueChanged, this, [this] { TrackBar1Change(); });
    connect(TrackBar2, &QSlider::valueChanged, this, [this] { TrackBar2Change(); });
    connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
    connect(Button2, &QPushButton::clicked, this, [this] { Button2Click(); });
    layoutFor(3);
}

// The form's fixed geometry: the list takes the top 32 pixels when shown,
// and the buttons and the window's height follow the mode.
void TEffectsfrm::layoutFor(int32_t mode) {
    const bool list = mode != 2;
    const bool ratio = mode != 1;
    Label1->setVisible(list);
    ComboBox1->setVisible(list);
    Label1->setGeometry(kSliderLeft, 8, 100, 16);
    ComboBox1->setGeometry(kSliderLeft + 100, 4, kWidth - 2 * kSliderLeft - 100, 24);

    const int t = list ? 40 : 8;
    // The captions end where the value label beside them starts.
    Label2->setGeometry(kSliderLeft, t, kSliderWidth - 60, 16);
    Label5->setGeometry(kSliderLeft + kSliderWidth - 60, t, 60, 16);
    TrackBar1->setGeometry(kSliderLeft, t + 18, kSliderWidth, 28);
    Label3->setGeometry(kSliderLeft, t + 48, 40, 16);
    Label4->setGeometry(kSliderLeft + kSliderWidth - 60, t + 48, 60, 16);

    const int r = t + 68;
    for (QWidget* w : std::initializer_list<QWidget*>{Label9, TrackBar2, Label6, Label7, Label8}) w->setVisible(ratio);
    Label9->setGeometry(kSliderLeft, r, kSliderWidth - 60, 16);
    Label8->setGeometry(kSliderLeft + kSliderWidth - 60, r, 60, 16);
    TrackBar2->setGeometry(kSliderLeft, r + 18, kSliderWidth, 28);
    Label6->setGeometry(kSliderLeft, r + 48, 40, 16);
    Label7->setGeometry(kSliderLeft + kSliderWidth - 60, r + 48, 60, 16);

    const int buttons = mode == 1 ? 125 : mode == 2 ? 175 : 207;
    const int height = mode == 1 ? 190 : mode == 2 ? 240 : 268;
    Button1->setGeometry(kWidth - 2 * 83, buttons, 75, 25);
    Button2->setGeometry(kWidth - 83, buttons, 75, 25);
    // The heights are the whole window's, frame included; the client area
    // is what Qt sizes.
    setFixedSize(kWidth, height - 30);
}

int32_t TEffectsfrm::Mostrar_form(int32_t& threshold, int32_t& ratio, int32_t mode, const QString& effectName) {
    prepare(mode, effectName);
    return conclude(sv::showModal(*this), threshold, ratio);
}

void TEffectsfrm::prepare(int32_t mode, const QString& effectName) {
    accepted_ = false;
    EffectName = effectName;
    sv::setSliderQuietly(TrackBar1, 0, 100, 0);
    Label3->setText(QStringLiteral("0"));
    Label4->setText(QStringLiteral("100%"));
    Label5->setText(sv::sliderValueText(TrackBar1));
    EffectIndex = 0;
    Threshold = 0;
    Label9->setText(QStringLiteral("Ratio:"));
    ComboBox1->setCurrentIndex(0);
    sv::setSliderQuietly(TrackBar2, 0, 100, 0);
    Label8->setText(sv::sliderValueText(TrackBar2));
    Ratio = 0;
    layoutFor(mode);

    if (effectName.isEmpty()) ComboBox1Click();
    if (effectName == QLatin1String("Noise Gate")) noiseGatePreset();
    else if (effectName == QLatin1String("Quantifier")) quantifierPreset();
    else if (effectName == QLatin1String("Compressor") || effectName == QLatin1String("Expander") ||
             effectName == QLatin1String("Electric Guitar Distortion"))
        halfwayPreset();
}

int32_t TEffectsfrm::conclude(int, int32_t& threshold, int32_t& ratio) const {
    // Any way out but OK is Cancel: the callers test the values for 1000.
    threshold = accepted_ ? Threshold : 1000;
    ratio = accepted_ ? Ratio : 1000;
    return EffectIndex;
}

// A preset puts the slider where it says and takes that position as the
// value unscaled; only a moved threshold slider is scaled to 0..127. The
// presets also enable the sliders they set, since a named effect opens
// with the list hidden and nothing else would enable them.
void TEffectsfrm::noiseGatePreset() {
    sv::setGateDefaults({TrackBar1, Label5, TrackBar2, Label7, Label8, Label9});
    Label4->setText(QStringLiteral("100%"));
    Threshold = 10;
    Ratio = 2;
    TrackBar1->setEnabled(true);
    TrackBar2->setEnabled(true);
}

void TEffectsfrm::quantifierPreset() {
    Label2->setText(QStringLiteral("&Factor:"));
    sv::setSliderQuietly(TrackBar1, 0, 20, 10);
    Label4->setText(QStringLiteral("20"));
    Label5->setText(QStringLiteral("10"));
    Threshold = 10;
    Ratio = 0;
    TrackBar1->setEnabled(true);
}

void TEffectsfrm::halfwayPreset() {
    sv::setSliderQuietly(TrackBar1, 0, 100, 50);
    sv::setSliderQuietly(TrackBar2, 0, 100, 50);
    Label5->setText(QStringLiteral("50%"));
    Label8->setText(QStringLiteral("50%"));
    Threshold = 50;
    Ratio = 50;
    TrackBar1->setEnabled(true);
    TrackBar2->setEnabled(true);
}

void TEffectsfrm::ComboBox1Click() {
    EffectIndex = ComboBox1->currentIndex();
    sv::setSliderQuietly(TrackBar1, 0, 100, 0);
    sv::setSliderQuietly(TrackBar2, 0, 100, 0);
    Threshold = 0;
    Ratio = 0;
    Label5->setText(QStringLiteral("0"));
    Label8->setText(QStringLiteral("0"));
    Label2->setText(QStringLiteral("&Threshold:"));
    Label9->setText(QStringLiteral("&Ratio:"));
    Label4->setText(QStringLiteral("100%"));
    Label7->setText(QStringLiteral("100%"));
    TrackBar1->setEnabled(false);
    TrackBar2->setEnabled(false);
    switch (EffectIndex) {
    case 3: noiseGatePreset(); break;
    case 2:
    case 4:
    case 5: halfwayPreset(); break;
    case 9: quantifierPreset(); break;
    default: break;
    }
}

void TEffectsfrm::TrackBar1Change() {
    Threshold = sv::gateThreshold(TrackBar1);
    Label5->setText(sv::sliderValueText(TrackBar1));
}

void TEffectsfrm::TrackBar2Change() {
    Ratio = TrackBar2->value();
    Label8->setText(sv::sliderValueText(TrackBar2));
}

void TEffectsfrm::Button1Click() {
    accepted_ = true;
    done(sv::mrOk);
}

void TEffectsfrm::Button2Click() {
    Threshold = 1000;
    Ratio = 1000;
    accepted_ = false;
    done(sv::mrCancel);
}

#include "dialogs/FadeInOut.h"

#include <QFrame>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QSlider>
#include <QVBoxLayout>
#include <algorithm>

#include "dialogs/ParamDialog.h"
#include "platform/prompts.h"
#include "platform/settings.h"

TFadeInOutfrm* FadeInOutfrm = nullptr;

namespace sv {

FadeEnvelope::FadeEnvelope(QWidget* parent) : QWidget(parent) { setMinimumSize(120, 80); }

void FadeEnvelope::setEnvelope(int percent, bool fadeOut) {
    percent_ = percent;
    fadeOut_ = fadeOut;
    update();
}

namespace {
constexpr double kInset = 4;
}

// The far ends open by the percent of the half height inside the insets,
// so that 100 % is level with the full-level corners and 50 % halfway to
// the middle line, whatever room the layout gives the picture.
double FadeEnvelope::opening() const { return percent_ * (height() / 2.0 - kInset) / 100.0; }

QLineF FadeEnvelope::upperLine() const {
    const double inset = kInset, mid = height() / 2.0, open = opening();
    const double left = inset, right = width() - inset;
    return fadeOut_ ? QLineF(left, inset, right, mid - open) : QLineF(right, inset, left, mid - open);
}

QLineF FadeEnvelope::lowerLine() const {
    const double inset = kInset, mid = height() / 2.0, open = opening();
    const double left = inset, right = width() - inset, bottom = height() - inset;
    return fadeOut_ ? QLineF(left, bottom, right, mid + open) : QLineF(right, bottom, left, mid + open);
}

void FadeEnvelope::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), palette().base());
    p.setPen(QPen(palette().mid(), 1));
    p.drawRect(rect().adjusted(0, 0, -1, -1));
    p.setPen(QPen(Qt::red, 2));
    p.drawLine(upperLine());
    p.drawLine(lowerLine());
}

} // namespace sv

namespace {
const char* kSection = "Fade";
bool isFadeOut(int32_t direction) { return direction == 1; }
const char* percentKey(int32_t direction) { return isFadeOut(direction) ? "FadeOut" : "FadeIn"; }
const char* progressKey(int32_t direction) { return isFadeOut(direction) ? "FadeOutProgress" : "FadeInProgress"; }
}

TFadeInOutfrm::TFadeInOutfrm(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Fade In"));
    setModal(true);

    headingLabel = new QLabel(this);
    QFont big = headingLabel->font();
    big.setBold(true);
    headingLabel->setFont(big);
    Label1 = new QLabel(QStringLiteral("Initial Percent:"), this);
    TrackBar1 = sv::makeTrackBar(this, 0, 100, 10, 100);
    Label1->setBuddy(TrackBar1);
    Label2 = new QLabel(QStringLiteral("100%"), this);
    Label3 = new QLabel(QStringLiteral("50%"), this);
    Label4 = new QLabel(QStringLiteral("0%"), this);

    GroupBox1 = new QGroupBox(QStringLiteral("&Manual Selection"), this);
    Edit1 = new QLineEdit(QStringLiteral("100"), GroupBox1);
    auto* manual = new QHBoxLayout(GroupBox1);
    manual->addWidget(Edit1);
    manual->addWidget(new QLabel(QStringLiteral("%"), GroupBox1));

    RadioGroup1 = new sv::RadioGroup(
        QStringLiteral("&Progression type:"),
        {QStringLiteral("Linear"), QStringLiteral("Exponential"), QStringLiteral("Logarithm")}, this);
    RadioGroup1->setItemIndex(0);

    Bevel1 = new sv::FadeEnvelope(this);
    Bevel2 = new QFrame(Bevel1);
    Bevel2->setFrameShape(QFrame::HLine);
    Bevel2->setFrameShadow(QFrame::Sunken);

    sv::makeOkCancel(this, Button1, Button2);

    auto* left = new QVBoxLayout;
    left->addWidget(headingLabel);
    left->addWidget(Label1);
    left->addWidget(TrackBar1);
    left->addLayout(sv::makeScaleRow(Label4, Label3, Label2));
    left->addWidget(GroupBox1);
    left->addWidget(RadioGroup1);
    auto* right = new QVBoxLayout;
    right->addWidget(Bevel1, 1);
    right->addLayout(sv::makeButtonRow(Button1, Button2));
    auto* top = new QHBoxLayout(this);
    top->addLayout(left);
    top->addLayout(right, 1);

    connect(TrackBar1, &QSlider::valueChanged, this, [this] { TrackBar1Change(); });
    new sv::EditKeys(Edit1, [this] { Edit1KeyPress(); }, [this] { Edit1Exit(); });
    connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
    connect(Button2, &QPushButton::clicked, this, [this] { Button2Click(); });
}

int32_t TFadeInOutfrm::mostrar_dialogo(int32_t direction, int32_t& progression) {
    prepare(direction);
    return conclude(sv::showModal(*this), progression);
}

void TFadeInOutfrm::prepare(int32_t direction) {
    Direction = direction;
    accepted_ = false;
    sv::IniFile ini = sv::Settings();
    Percent = ini.ReadInteger(kSection, percentKey(direction), 50, 0, 100);
    Progression = ini.ReadInteger(kSection, progressKey(direction), 0);
    const QString caption = isFadeOut(direction) ? QStringLiteral("Fade Out") : QStringLiteral("Fade In");
    setWindowTitle(caption);
    Label1->setText(isFadeOut(direction) ? QStringLiteral("Final Percent") : QStringLiteral("Initial Percent:"));
    headingLabel->setText(caption + QStringLiteral("   "));
    // The stored progression is shown, so that the next fade opens as the
    // last one was confirmed.
    RadioGroup1->setItemIndex(Progression >= 0 && Progression < RadioGroup1->count() ? Progression : 0);
    FormActivate();
}

int32_t TFadeInOutfrm::conclude(int modalResult, int32_t& progression) {
    progression = RadioGroup1->ItemIndex();
    Progression = progression;
    if (!accepted_) Percent = 100;
    if (modalResult == sv::mrOk && accepted_) {
        sv::IniFile ini = sv::Settings();
        ini.WriteInteger(kSection, percentKey(Direction), Percent);
        ini.WriteInteger(kSection, progressKey(Direction), progression);
    }
    return Percent;
}

void TFadeInOutfrm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    FormActivate();
}

void TFadeInOutfrm::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    Bevel2->setGeometry(0, Bevel1->height() / 2 - 1, Bevel1->width(), 2);
}

void TFadeInOutfrm::FormActivate() {
    sv::setSliderQuietly(TrackBar1, Percent);
    Edit1->setText(QString::number(Percent));
    drawEnvelope();
}

void TFadeInOutfrm::drawEnvelope() {
    Bevel1->setEnvelope(Percent, isFadeOut(Direction));
    Bevel2->setGeometry(0, Bevel1->height() / 2 - 1, Bevel1->width(), 2);
}

void TFadeInOutfrm::TrackBar1Change() {
    Percent = TrackBar1->value();
    Edit1->setText(QString::number(Percent));
    drawEnvelope();
}

bool TFadeInOutfrm::takeTypedValue() {
    int value = 0;
    if (!sv::typedInteger(Edit1, value)) return false;
    const int taken = std::clamp(value, 0, 100);
    if (taken != value) Edit1->setText(QString::number(taken));
    Percent = taken;
    sv::setSliderQuietly(TrackBar1, taken);
    drawEnvelope();
    return true;
}

void TFadeInOutfrm::Edit1Exit() { takeTypedValue(); }

void TFadeInOutfrm::Edit1KeyPress() {
    if (!takeTypedValue()) return;
    // The typed value is used but not stored: the dialog closes without OK.
    accepted_ = true;
    done(sv::mrCancel);
}

void TFadeInOutfrm::Button1Click() {
    accepted_ = true;
    done(sv::mrOk);
}

void TFadeInOutfrm::Button2Click() {
    Percent = 100;
    accepted_ = false;
    done(sv::mrCancel);
}

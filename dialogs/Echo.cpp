#include "dialogs/Echo.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QSlider>
#include <QVBoxLayout>

#include "dialogs/ParamDialog.h"

TEchofrm* Echofrm = nullptr;

namespace sv {

namespace {
constexpr int kTallestEcho = 70;
}

// Room for the tallest echo between the "Amplitude" heading and the "t"
// under the base line.
EchoPicture::EchoPicture(QWidget* parent) : QWidget(parent) {
    setMinimumSize(140, kTallestEcho + 2 * fontMetrics().height() + 4);
}

int EchoPicture::base() const { return height() - fontMetrics().height(); }

void EchoPicture::setBaseLine(QFrame* line) {
    baseLine_ = line;
    placeBaseLine();
}

void EchoPicture::placeBaseLine() {
    if (baseLine_) baseLine_->setGeometry(0, base(), width(), 2);
}

void EchoPicture::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    placeBaseLine();
}

void EchoPicture::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const int base = this->base();
    p.setPen(QPen(Qt::red, 1));
    for (int i = 1; i <= lines_; ++i) {
        const int x = 10 * i;
        p.drawLine(x, base, x, base - kTallestEcho / i);
    }
    p.setPen(palette().windowText().color());
    const int line = fontMetrics().height();
    p.drawText(QRect(0, base + 1, width() - 2, line), Qt::AlignRight, QStringLiteral("t"));
    p.drawText(QRect(2, 0, width(), line), Qt::AlignLeft, QStringLiteral("Amplitude"));
}

} // namespace sv

TEchofrm::TEchofrm(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Echo"));
    setModal(true);
    Label1 = new QLabel(QStringLiteral("&Delay in ms:"), this);
    TrackBar1 = sv::makeTrackBar(this, 50, 2000, 100, 50);
    Label1->setBuddy(TrackBar1);
    Label2 = new QLabel(QStringLiteral("50ms"), this);
    RadioGroup1 = new sv::RadioGroup(QStringLiteral("&Echo type"), {QStringLiteral("Simple"), QStringLiteral("Multiple")}, this);
    Label5 = new QLabel(QStringLiteral("&Number of repetitions:"), this);
    TrackBar2 = sv::makeTrackBar(this, 1, 10, 1, 1);
    Label5->setBuddy(TrackBar2);
    Label6 = new QLabel(QStringLiteral("1"), this);
    Bevel1 = new sv::EchoPicture(this);
    Bevel2 = new QFrame(Bevel1);
    Bevel2->setFrameShape(QFrame::HLine);
    Bevel1->setBaseLine(Bevel2);
    sv::makeOkCancel(this, Button1, Button2);

    auto* left = new QVBoxLayout;
    left->addWidget(Label1);
    auto* delayRow = new QHBoxLayout;
    delayRow->addWidget(TrackBar1, 1);
    delayRow->addWidget(Label2);
    left->addLayout(delayRow);
    left->addWidget(RadioGroup1);
    left->addWidget(Label5);
    auto* countRow = new QHBoxLayout;
    countRow->addWidget(TrackBar2, 1);
    countRow->addWidget(Label6);
    left->addLayout(countRow);
    auto* right = new QVBoxLayout;
    right->addWidget(Bevel1, 1);
    right->addLayout(sv::makeButtonRow(Button1, Button2));
    auto* top = new QHBoxLayout(this);
    top->addLayout(left, 1);
    top->addLayout(right);

    connect(TrackBar1, &QSlider::valueChanged, this, [this] { TrackBar1Change(); });
    connect(TrackBar2, &QSlider::valueChanged, this, [this] { TrackBar2Change(); });
    connect(RadioGroup1, &sv::RadioGroup::clicked, this, [this] { RadioGroup1Click(); });
    connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
    connect(Button2, &QPushButton::clicked, this, [this] { Button2Click(); });
    prepare();
}

int32_t TEchofrm::mostrar_form(uint8_t& cancelled, int32_t& count) {
    prepare();
    return conclude(sv::showModal(*this), cancelled, count);
}

void TEchofrm::prepare() {
    Cancelled = 1;
    Multiple = false;
    Count = 1;
    Delay = 50;
    Label6->setText(QStringLiteral("1"));
    Label2->setText(QStringLiteral("50ms"));
    sv::setSliderQuietly(TrackBar2, 1);
    TrackBar2->setEnabled(false);
    Label6->setEnabled(false);
    sv::setSliderQuietly(TrackBar1, 50);
    RadioGroup1->setItemIndex(0);
    pintar_eco();
}

int32_t TEchofrm::conclude(int modalResult, uint8_t& cancelled, int32_t& count) {
    // The frame's close button and Escape are a Cancel.
    if (modalResult != sv::mrOk) Cancelled = 1;
    cancelled = Cancelled;
    count = Count;
    return Delay;
}

void TEchofrm::RadioGroup1Click() {
    Multiple = RadioGroup1->ItemIndex() == 1;
    Count = Multiple ? 3 : 1;
    TrackBar2->setEnabled(Multiple);
    Label6->setEnabled(Multiple);
    Label6->setText(QString::number(Count));
    sv::setSliderQuietly(TrackBar2, Count);
    pintar_eco();
}

void TEchofrm::TrackBar1Change() {
    Delay = TrackBar1->value();
    Label2->setText(QString::number(Delay) + QStringLiteral("ms"));
    Cancelled = Delay == 0 ? 1 : 0;
}

void TEchofrm::TrackBar2Change() {
    Count = TrackBar2->value();
    Label6->setText(QString::number(Count));
    pintar_eco();
    Cancelled = Count <= 1 ? 1 : 0;
}

void TEchofrm::Button1Click() {
    Cancelled = 0;
    done(sv::mrOk);
}

void TEchofrm::Button2Click() {
    Cancelled = 1;
    done(sv::mrCancel);
}

void TEchofrm::pintar_eco() {
    Bevel1->setLines(Multiple ? Count + 1 : 2);
}

#include "dialogs/Histogram.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

#include "dialogs/ParamDialog.h"
#include "sound/engine/effects/histogram.h"

THistogramfrm* Histogramfrm = nullptr;

namespace {
// Fifteen significant digits at most, trailing zeros dropped, no exponent
// below 10^15.
QString shortest(double v) { return QString::number(v, 'g', 15); }
} // namespace

int32_t THistogramPaintBox::scaleMaximum() {
    const auto& t = sv::HistogramTable;
    return std::max<int32_t>(1, *std::max_element(t.begin(), t.end()));
}

void THistogramPaintBox::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), palette().color(QPalette::Window));
    const int64_t h = height();
    const int64_t top = scaleMaximum();
    p.setPen(QColor(0, 0, 128));
    for (int x = 1; x <= 256; ++x) {
        const int64_t bar = int64_t(sv::HistogramTable[size_t(x - 1)]) * h / top;
        if (bar > 0) p.drawLine(x, int(h), x, int(h - bar));
    }
    p.setPen(Qt::black);
}

THistogramfrm::THistogramfrm(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Histogram"));
    Label1 = new QLabel(QStringLiteral("1"), this);
    Label2 = new QLabel(QStringLiteral("0"), this);
    Label3 = new QLabel(QStringLiteral("256"), this);
    Label4 = new QLabel(this);
    Label5 = new QLabel(this);
    PaintBox1 = new THistogramPaintBox(this);
    PaintBox1->setFixedSize(258, 160);
    Button1 = new QPushButton(QStringLiteral("&OK"), this);
    sv::makePlainButton(Button1);
    auto* top = new QVBoxLayout(this);
    top->addWidget(Label1);
    top->addWidget(PaintBox1);
    top->addLayout(sv::makeScaleRow(Label2, nullptr, Label3));
    top->addWidget(Label4);
    top->addWidget(Label5);
    auto* row = new QHBoxLayout;
    row->addStretch(1);
    row->addWidget(Button1);
    top->addLayout(row);
    connect(Button1, &QPushButton::clicked, this, [this] { done(sv::mrOk); });
}

void THistogramfrm::prepare(int32_t bits, double average, double variance) {
    Bits = bits;
    Label4->setText(QStringLiteral("Average = ") + shortest(average));
    Label5->setText(QStringLiteral("Variance = ") + shortest(variance));
    Label1->setText(QString::number(THistogramPaintBox::scaleMaximum()));
    Label2->setText(bits == 8 ? QStringLiteral("0") : QStringLiteral("-32767"));
    Label3->setText(bits == 8 ? QStringLiteral("256") : QStringLiteral("32767"));
    PaintBox1->update();
}

void THistogramfrm::mostrar_form(int32_t bits, double average, double variance) {
    prepare(bits, average, variance);
    sv::showModal(*this);
}

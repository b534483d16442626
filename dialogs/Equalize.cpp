#include "dialogs/Equalize.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QVBoxLayout>

#include "dialogs/ParamDialog.h"

TEqualizefrm* Equalizefrm = nullptr;

namespace {
constexpr int kCentre = 30;
const char* const kBandNames[TEqualizefrm::kBands] = {"32", "64", "125", "250", "500",
                                                      "1K", "2K", "4K", "8K", "16K"};
} // namespace

TEqualizefrm::TEqualizefrm(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Equalize"));
    setModal(true);
    auto* grid = new QGridLayout;
    grid->addWidget(new QLabel(QStringLiteral("[dB]"), this), 0, 0);
    grid->addWidget(new QLabel(QStringLiteral("[Hz]"), this), 2, 0);
    for (int b = 0; b < kBands; ++b) {
        ValueLabels[b] = new QLabel(QStringLiteral("0"), this);
        ValueLabels[b]->setAlignment(Qt::AlignCenter);
        ScrollBars[b] = new QScrollBar(Qt::Vertical, this);
        ScrollBars[b]->setRange(0, 2 * kCentre);
        ScrollBars[b]->setValue(kCentre);
        ScrollBars[b]->setMinimumHeight(140);
        auto* name = new QLabel(QString::fromLatin1(kBandNames[b]), this);
        name->setAlignment(Qt::AlignCenter);
        grid->addWidget(ValueLabels[b], 0, b + 1, Qt::AlignHCenter);
        grid->addWidget(ScrollBars[b], 1, b + 1, Qt::AlignHCenter);
        grid->addWidget(name, 2, b + 1, Qt::AlignHCenter);
        connect(ScrollBars[b], &QScrollBar::valueChanged, this, [this, b] { ScrollBarChange(b); });
    }
    CheckBox1 = new QCheckBox(QStringLiteral("&Restore to 0"), this);
    sv::makeOkCancel(this, Button1, Button2);
    auto* top = new QVBoxLayout(this);
    top->addLayout(grid);
    top->addWidget(CheckBox1);
    top->addLayout(sv::makeButtonRow(Button1, Button2));

    connect(CheckBox1, &QCheckBox::clicked, this, [this] { CheckBox1Click(); });
    connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
    connect(Button2, &QPushButton::clicked, this, [this] { Button2Click(); });
}

uint8_t TEqualizefrm::mostrar_form(int32_t show, std::array<int32_t, kBands>& out) {
    if (show == 1) {
        prepare();
        sv::showModal(*this);
    } else {
        Cancelled = 0;
    }
    out = gains();
    return Cancelled;
}

void TEqualizefrm::prepare() {
    Cancelled = 1;
    restaurar_valores();
}

std::array<int32_t, TEqualizefrm::kBands> TEqualizefrm::gains() const {
    std::array<int32_t, kBands> g{};
    for (int b = 0; b < kBands; ++b) g[size_t(b)] = ValueLabels[b]->text().toInt();
    return g;
}

void TEqualizefrm::restaurar_valores() {
    for (int b = 0; b < kBands; ++b) {
        sv::setSliderQuietly(ScrollBars[b], kCentre);
        ValueLabels[b]->setText(QStringLiteral("0"));
    }
}

void TEqualizefrm::ScrollBarChange(int band) {
    ValueLabels[band]->setText(QString::number(kCentre - ScrollBars[band]->value()));
}

void TEqualizefrm::Button1Click() {
    Cancelled = 0;
    done(sv::mrOk);
}

void TEqualizefrm::Button2Click() {
    Cancelled = 1;
    done(sv::mrCancel);
}

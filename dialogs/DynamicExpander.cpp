#include "dialogs/DynamicExpander.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QVBoxLayout>

#include "dialogs/ParamDialog.h"

TDynamicExpanderfrm* DynamicExpanderfrm = nullptr;

TDynamicExpanderfrm::TDynamicExpanderfrm(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Dynamic expander"));
    setModal(true);
    Label1 = new QLabel(QStringLiteral("&Amplification factor:"), this);
    ScrollBar1 = new QScrollBar(Qt::Horizontal, this);
    ScrollBar1->setRange(0, 200);
    ScrollBar1->setValue(100);
    ScrollBar1->setMinimumWidth(240);
    Label1->setBuddy(ScrollBar1);
    Label2 = new QLabel(QStringLiteral("0"), this);
    Label3 = new QLabel(QStringLiteral("1"), this);
    Label4 = new QLabel(QStringLiteral("2"), this);
    Label5 = new QLabel(QStringLiteral("1.00"), this);
    Label5->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    sv::makeOkCancel(this, Button1, Button2);

    auto* head = new QHBoxLayout;
    head->addWidget(Label1);
    head->addWidget(Label5, 1);
    auto* top = new QVBoxLayout(this);
    top->addLayout(head);
    top->addWidget(ScrollBar1);
    top->addLayout(sv::makeScaleRow(Label2, Label3, Label4));
    top->addLayout(sv::makeButtonRow(Button1, Button2));

    connect(ScrollBar1, &QScrollBar::valueChanged, this, [this] { ScrollBar1Change(); });
    connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
    connect(Button2, &QPushButton::clicked, this, [this] { Button2Click(); });
}

uint8_t TDynamicExpanderfrm::mostrar_form(int32_t& ratio) {
    prepare();
    sv::showModal(*this);
    return conclude(ratio);
}

void TDynamicExpanderfrm::prepare() {
    setWindowTitle(QStringLiteral("Dynamic expander"));
    Cancelled = 1;
    sv::setSliderQuietly(ScrollBar1, 100);
    Label5->setText(QStringLiteral("1.00"));
}

uint8_t TDynamicExpanderfrm::conclude(int32_t& ratio) const {
    ratio = ScrollBar1->value();
    return Cancelled;
}

void TDynamicExpanderfrm::ScrollBar1Change() {
    const int position = ScrollBar1->value();
    Label5->setText(QString::number(position / 100.0, 'f', 2));
    setWindowTitle(position >= 100 ? QStringLiteral("Dynamic expander") : QStringLiteral("Dynamic compressor"));
}

void TDynamicExpanderfrm::Button1Click() {
    Cancelled = 0;
    done(sv::mrOk);
}

void TDynamicExpanderfrm::Button2Click() {
    Cancelled = 1;
    done(sv::mrCancel);
}

#include "dialogs/Div_Length_Add.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <climits>

TDiv_Length_Add_frm::TDiv_Length_Add_frm(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Add"));
    auto* grid = new QGridLayout(this);
    Label1 = new QLabel(QStringLiteral("Track &Name (Title) : "), this);
    TrackNameEdit = new QLineEdit(this);
    Label1->setBuddy(TrackNameEdit);
    Label2 = new QLabel(QStringLiteral("Track &Length (Seconds) : "), this);
    SpinEdit1 = new QSpinBox(this);
    SpinEdit1->setRange(INT_MIN, INT_MAX);
    SpinEdit1->setValue(0);
    Label2->setBuddy(SpinEdit1);
    // Return anywhere in the form presses OK.
    Button1 = new QPushButton(QStringLiteral("&OK"), this);
    Button1->setDefault(true);
    grid->addWidget(Label1, 0, 0);
    grid->addWidget(TrackNameEdit, 0, 1);
    grid->addWidget(Label2, 1, 0);
    grid->addWidget(SpinEdit1, 1, 1);
    grid->addWidget(Button1, 2, 1, Qt::AlignRight);
    connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
}

void TDiv_Length_Add_frm::Button1Click() { accept(); }

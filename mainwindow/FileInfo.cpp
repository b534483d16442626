#include "mainwindow/FileInfo.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "dialogs/ParamDialog.h"

namespace {
QLabel* valuePanel(QWidget* parent) {
    auto* l = new QLabel(parent);
    l->setFrameShape(QFrame::Panel);
    l->setFrameShadow(QFrame::Sunken);
    l->setMinimumWidth(140);
    return l;
}
} // namespace

TFileInfofrm::TFileInfofrm(QWidget* owner) : QDialog(owner) {
    setWindowTitle("File information");
    Panel6 = valuePanel(this);
    Panel6->setAlignment(Qt::AlignCenter);
    Panel1 = valuePanel(this);
    Panel2 = valuePanel(this);
    Panel3 = valuePanel(this);
    Panel4 = valuePanel(this);
    Panel5 = valuePanel(this);
    Button1 = new QPushButton("&OK", this);
    Button1->setDefault(true);

    auto* grid = new QGridLayout;
    const std::pair<const char*, QLabel*> rows[] = {{"Bits per sample:", Panel1},
                                                    {"Samples per sec:", Panel2},
                                                    {"Number of samples:", Panel3},
                                                    {"File size:", Panel4},
                                                    {"Number of channels:", Panel5}};
    int r = 0;
    for (const auto& [label, panel] : rows) {
        grid->addWidget(new QLabel(label, this), r, 0);
        grid->addWidget(panel, r++, 1);
    }
    auto* top = new QVBoxLayout(this);
    top->addWidget(Panel6);
    top->addLayout(grid);
    auto* row = new QHBoxLayout;
    row->addStretch(1);
    row->addWidget(Button1);
    row->addStretch(1);
    top->addLayout(row);
    connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
}

void TFileInfofrm::Button1Click() { done(sv::mrOk); }

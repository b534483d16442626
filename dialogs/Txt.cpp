#include "dialogs/Txt.h"

#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

#include "dialogs/ParamDialog.h"

using namespace sv;

namespace {
const char kItemDelimiters[] = {';', ',', '\t', '\n', '\r', ' ', ';'};

QLineEdit* delimiterBox(QWidget* parent) {
    auto* e = new QLineEdit(parent);
    e->setMaxLength(1);
    e->setMaximumWidth(40);
    // The delimiter is written as one byte: printable ASCII only, so that
    // the file stays plain text whatever the encoding it is read with.
    e->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[\\x20-\\x7e]")), e));
    e->hide();
    return e;
}
} // namespace

TTxtfrm::TTxtfrm(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Txt Selection"));
    const QStringList items = {QStringLiteral(";"),     QStringLiteral(","),     QStringLiteral("Tab"),
                               QStringLiteral("New Line"), QStringLiteral("Enter"), QStringLiteral("Space"),
                               QStringLiteral("Other")};
    rd1 = new RadioGroup(QStringLiteral("C&olumn Delimiter:"), items, this);
    rd2 = new RadioGroup(QStringLiteral("&Line Delimiter:"), items, this);
    rd1->setItemIndex(Semicolon);
    rd2->setItemIndex(NewLine);
    Edit1 = delimiterBox(this);
    Edit1->setText(QStringLiteral(";"));
    Edit2 = delimiterBox(this);
    makeOkCancel(this, Button1, Button2);

    auto* groups = new QHBoxLayout;
    auto* left = new QVBoxLayout;
    left->addWidget(rd1);
    left->addWidget(Edit1);
    left->addStretch(1);
    auto* right = new QVBoxLayout;
    right->addWidget(rd2);
    right->addWidget(Edit2);
    right->addStretch(1);
    groups->addLayout(left);
    groups->addLayout(right);
    auto* v = new QVBoxLayout(this);
    v->addLayout(groups);
    v->addLayout(makeButtonRow(Button1, Button2));

    connect(rd1, &RadioGroup::clicked, this, [this](int i) { rd1Click(i); });
    connect(rd2, &RadioGroup::clicked, this, [this](int i) { rd2Click(i); });
    connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
    connect(Button2, &QPushButton::clicked, this, [this] { Button2Click(); });
}

int TTxtfrm::mostrar() {
    CancelFlag = 1;
    showModal(*this);
    return CancelFlag;
}

void TTxtfrm::choose(int index, char& delimiter, QLineEdit* box) {
    if (index < 0 || index > Other) return;
    delimiter = kItemDelimiters[index];
    box->setVisible(index == Other);
    box->setText(QString(QChar(delimiter)));
    if (index == Other) box->setFocus();
}

void TTxtfrm::rd1Click(int index) { choose(index, ColumnDelimiter, Edit1); }
void TTxtfrm::rd2Click(int index) { choose(index, LineDelimiter, Edit2); }

void TTxtfrm::Button1Click() {
    auto typed = [](const QLineEdit* box, char& delimiter) {
        const QString t = box->text();
        if (!t.isEmpty() && t[0].unicode() < 128) delimiter = char(t[0].unicode());
    };
    if (rd1->ItemIndex() == Other) typed(Edit1, ColumnDelimiter);
    if (rd2->ItemIndex() == Other) typed(Edit2, LineDelimiter);
    CancelFlag = 0;
    done(mrOk);
}

void TTxtfrm::Button2Click() {
    CancelFlag = 1;
    done(mrCancel);
}

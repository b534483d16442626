#include "dialogs/Draganddrop.h"

#include <QPushButton>
#include <QVBoxLayout>

#include "dialogs/ParamDialog.h"

using namespace sv;

TDraganddropfrm::TDraganddropfrm(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Drag and Drop Options"));
    RadioGroup1 = new RadioGroup(QStringLiteral("I want to ..."),
                                 {QStringLiteral("&Paste the selection"), QStringLiteral("&Mix the selection"),
                                  QStringLiteral("Mix [&Special] the selection"),
                                  QStringLiteral("Mo&ve the selection (Cut and Paste)"),
                                  QStringLiteral("Move and Mi&x the selection (Cut and Mix)")},
                                 this);
    makeOkCancel(this, Button1, Button2);
    // OK is what Return means here: the dialog has no edit box to commit.
    Button1->setDefault(true);
    auto* v = new QVBoxLayout(this);
    v->addWidget(RadioGroup1);
    v->addLayout(makeButtonRow(Button1, Button2));
    connect(Button1, &QPushButton::clicked, this, [this] { done(mrOk); });
    connect(Button2, &QPushButton::clicked, this, [this] { done(mrCancel); });
}

int TDraganddropfrm::mostrar_dialogo() {
    RadioGroup1->setItemIndex(0);
    if (showModal(*this) != mrOk) return -1;
    return RadioGroup1->ItemIndex();
}

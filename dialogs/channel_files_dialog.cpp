#include "dialogs/channel_files_dialog.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "dialogs/ParamDialog.h"
#include "platform/qt/qt_prompts.h"

using namespace sv;

ChannelFilesDialog::ChannelFilesDialog(QWidget* parent, const QString& caption, const QString& leftCaption,
                                       const QString& rightCaption, const QString& okCaption)
    : QDialog(parent) {
    setWindowTitle(caption);
    setModal(true);
    auto row = [this](QLabel*& label, QLineEdit*& edit, QPushButton*& select, const QString& text) {
        label = new QLabel(text, this);
        edit = new QLineEdit(this);
        edit->setMinimumWidth(300);
        label->setBuddy(edit);
        select = new QPushButton(QStringLiteral(" Select Waveform"), this);
        makePlainButton(select);
    };
    row(LeftLabel, LeftEdit, LeftSelect, leftCaption);
    row(RightLabel, RightEdit, RightSelect, rightCaption);
    Button1 = new QPushButton(okCaption, this);
    Button2 = new QPushButton(QStringLiteral("&Cancel"), this);
    // Return in a name box means OK; the Select buttons never take it.
    Button1->setDefault(true);
    Button2->setAutoDefault(false);

    auto* grid = new QGridLayout;
    grid->addWidget(LeftLabel, 0, 0, 1, 2);
    grid->addWidget(LeftEdit, 1, 0);
    grid->addWidget(LeftSelect, 1, 1);
    grid->addWidget(RightLabel, 2, 0, 1, 2);
    grid->addWidget(RightEdit, 3, 0);
    grid->addWidget(RightSelect, 3, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(Button1);
    buttons->addWidget(Button2);
    auto* top = new QVBoxLayout(this);
    top->addLayout(grid);
    top->addLayout(buttons);

    connect(LeftSelect, &QPushButton::clicked, this, [this] { selectInto(LeftEdit); });
    connect(RightSelect, &QPushButton::clicked, this, [this] { selectInto(RightEdit); });
    connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
    connect(Button2, &QPushButton::clicked, this, [this] { Button2Click(); });
}

int ChannelFilesDialog::mostrar() {
    CancelFlag = 1;
    showModal(*this);
    return CancelFlag;
}

void ChannelFilesDialog::Button1Click() {
    CancelFlag = 0;
    done(mrOk);
}

void ChannelFilesDialog::Button2Click() {
    CancelFlag = 1;
    done(mrCancel);
}

void ChannelFilesDialog::selectInto(QLineEdit* edit) {
    FileDialogRequest req = fileRequest();
    req.fileName = ss(edit->text());
    const FileDialogResult r = runFileDialog(req);
    if (r.accepted) edit->setText(qs(r.fileName));
}

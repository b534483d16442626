#include "installer/svuninst.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>

#include "installer/install_steps.h"
#include "platform/prompts.h"

namespace {

const char kCaption[] = "Sonvela Uninstall";

} // namespace

TUninstallfrm::TUninstallfrm(QWidget* parent) : QDialog(parent) {
    setWindowTitle(kCaption);
    installation = sv::install::findInstallation();
    auto* top = new QVBoxLayout(this);
    auto lines = [](const std::vector<std::string>& folders) {
        QString text;
        for (const std::string& f : folders) text += "\n    " + QString::fromStdString(f);
        return text;
    };
    const std::vector<std::string>& ours = installation.programFolders;
    std::vector<std::string> others;
    for (const std::string& f : installation.folders)
        if (std::find(ours.begin(), ours.end(), f) == ours.end()) others.push_back(f);
    QString text = "This removes Sonvela from this computer: its program files, its menu entries and icon, and its "
                   ".wav and CD associations, which go back to the programs that had them before.";
    if (!ours.empty())
        text += QString("\n\nThe program files are in:%1\n\nYour own sounds and other files in %2 are kept.")
                    .arg(lines(ours), ours.size() > 1 ? "those folders" : "that folder");
    // A folder that the uninstall entry names but setup did not install into
    // may be the user's: nothing in it is removed.
    if (!others.empty())
        text += QString("\n\nSetup did not install Sonvela into %1, so every file in %2 is kept:%3")
                    .arg(others.size() > 1 ? "these folders" : "this folder", others.size() > 1 ? "them" : "it",
                         lines(others));
    Label1 = new QLabel(text, this);
    Label1->setWordWrap(true);
    Label1->setMinimumWidth(420);
    top->addWidget(Label1);
    CheckBox1 = new QCheckBox("Also remove my &settings (dadoruz.ini)", this);
    top->addWidget(CheckBox1);
    Label6 = new QLabel("Deleting Registry entries ...", this);
    Label7 = new QLabel("Deleting program files ...", this);
    Label8 = new QLabel("Deleting Menus ...", this);
    for (QLabel* l : {Label6, Label7, Label8}) {
        l->setEnabled(false);
        top->addWidget(l);
    }
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    Button1 = new QPushButton("&Uninstall", this);
    Button2 = new QPushButton("&Cancel", this);
    Button1->setDefault(true);
    buttons->addWidget(Button1);
    buttons->addWidget(Button2);
    top->addLayout(buttons);
    connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
    connect(Button2, &QPushButton::clicked, this, [this] { Button2Click(); });
}

void TUninstallfrm::step(QLabel* label) {
    label->setEnabled(true);
    label->repaint();
}

bool TUninstallfrm::waitForEditors() {
    if (sv::install::runningEditors(installation).empty()) return true;
    QMessageBox box(QMessageBox::Information, kCaption,
                    "Sonvela is running. Please close it (every window of it): the removal goes on as soon as it "
                    "has been closed.\n\nCancel leaves Sonvela installed.",
                    QMessageBox::Cancel, this);
    constexpr int kClosed = 1000;
    QTimer poll;
    connect(&poll, &QTimer::timeout, &box, [&] {
        if (sv::install::runningEditors(installation).empty()) box.done(kClosed);
    });
    poll.start(250);
    return box.exec() == kClosed;
}

void TUninstallfrm::Button1Click() {
    Button1->setEnabled(false);
    Button2->setEnabled(false);
    CheckBox1->setEnabled(false);
    if (!waitForEditors()) {
        Button1->setEnabled(true);
        Button2->setEnabled(true);
        CheckBox1->setEnabled(true);
        return;
    }
    sv::install::UninstallReport report;
    step(Label6);
    sv::install::removeAssociations(installation);
    step(Label8);
    sv::install::removeMenus(installation);
    step(Label7);
    sv::install::removeProgramFiles(installation, CheckBox1->isChecked(), report);
    Done = true;
    sv::prompts().messageBox(kCaption, sv::install::reportText(report), sv::Buttons::Ok,
                             report.failed.empty() ? sv::Icon::Information : sv::Icon::Warning);
    accept();
}

void TUninstallfrm::Button2Click() { reject(); }

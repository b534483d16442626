#include "dialogs/concatenate.h"

#include <QApplication>
#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QStatusBar>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

#include "dialogs/wave_concat.h"
#include "dialogs/wave_tool_ui.h"
#include "platform/paths.h"
#include "platform/qt/qt_prompts.h"

using namespace sv;

Tconcatenatefrm::Tconcatenatefrm(QWidget* parent, std::function<void(const std::string&)> openInEditor)
    : QDialog(parent), openInEditor_(std::move(openInEditor)) {
    setWindowTitle(QStringLiteral("Concatenate Multiple Files"));
    od1.title = "Concatenate Multiple Files";
    od1.filter = "PCM WaveForms (*.wav)|*.wav";
    od1.multiSelect = true;
    sd1.title = "Target File Name";
    sd1.filter = "PCM Waveforms (*.wav)|*.wav";
    sd1.fileName = "concatenated.wav";

    auto* top = new QVBoxLayout(this);
    Label2 = new QLabel(QStringLiteral("&Files to Concatenate (In descendent order):"), this);
    top->addWidget(Label2);
    auto* middle = new QHBoxLayout;
    lb = new QListWidget(this);
    lb->setSelectionMode(QAbstractItemView::SingleSelection);
    lb->setMinimumWidth(360);
    Label2->setBuddy(lb);
    middle->addWidget(lb, 1);
    auto* side = new QVBoxLayout;
    SpeedButton1 = makeSpeedButton(this, "&Add", "Adds a file to the list");
    SpeedButton2 = makeSpeedButton(this, "&Delete", "Deletes the selected file from the list");
    SpeedButton3 = makeSpeedButton(this, "");
    SpeedButton3->setIcon(style()->standardIcon(QStyle::SP_ArrowUp));
    SpeedButton3->setToolButtonStyle(Qt::ToolButtonIconOnly);
    SpeedButton4 = makeSpeedButton(this, "");
    SpeedButton4->setIcon(style()->standardIcon(QStyle::SP_ArrowDown));
    SpeedButton4->setToolButtonStyle(Qt::ToolButtonIconOnly);
    SpeedButton5 = makeSpeedButton(this, "&Reset ", "Deletes ALL the files from the list");
    for (QToolButton* b : {SpeedButton1, SpeedButton2, SpeedButton3, SpeedButton4, SpeedButton5}) side->addWidget(b);
    side->addStretch();
    middle->addLayout(side);
    top->addLayout(middle);

    ObriraSV = new QCheckBox(QStringLiteral("Open automatically in Sonvela after concatenation"), this);
    top->addWidget(ObriraSV);
    auto* buttons = new QHBoxLayout;
    Button1 = new QPushButton(QStringLiteral("&Concatenate !"), this);
    Button1->setAutoDefault(false);
    Button2 = new QPushButton(QStringLiteral("Cance&l"), this);
    Button2->setAutoDefault(false);
    buttons->addStretch();
    buttons->addWidget(Button1);
    buttons->addWidget(Button2);
    top->addLayout(buttons);
    sb1 = makeToolStatusBar(this);
    top->addWidget(sb1);

    connect(SpeedButton1, &QToolButton::clicked, this, [this] { SpeedButton1Click(); });
    connect(SpeedButton2, &QToolButton::clicked, this, [this] { SpeedButton2Click(); });
    connect(SpeedButton3, &QToolButton::clicked, this, [this] { SpeedButton3Click(); });
    connect(SpeedButton4, &QToolButton::clicked, this, [this] { SpeedButton4Click(); });
    connect(SpeedButton5, &QToolButton::clicked, this, [this] { SpeedButton5Click(); });
    connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
    connect(Button2, &QPushButton::clicked, this, [this] { Button2Click(); });
}

std::vector<std::string> Tconcatenatefrm::files() const {
    std::vector<std::string> out;
    for (int i = 0; i < lb->count(); ++i) out.push_back(ss(lb->item(i)->text()));
    return out;
}

void Tconcatenatefrm::addFiles(const std::vector<std::string>& names) {
    for (const std::string& name : names) {
        if (lowerFileExt(name) == ".wav")
            lb->addItem(qs(name));
        else
            ShowMessage(std::string(wavetext::kOnlyWavAccepted) + "\n" + name);
    }
}

void Tconcatenatefrm::SpeedButton1Click() {
    const FileDialogResult r = prompts().openDialog(od1);
    if (!r.accepted) return;
    addFiles(r.fileNames.empty() ? std::vector<std::string>{r.fileName} : r.fileNames);
}

namespace {
int selectedRow(const QListWidget* lb) {
    const QList<QListWidgetItem*> s = lb->selectedItems();
    return s.isEmpty() ? -1 : lb->row(s.front());
}

void moveRow(QListWidget* lb, int from, int to) {
    QListWidgetItem* item = lb->takeItem(from);
    lb->insertItem(to, item);
    lb->setCurrentRow(to);
}
} // namespace

void Tconcatenatefrm::SpeedButton2Click() {
    const int row = selectedRow(lb);
    if (row < 0) {
        QApplication::beep();
        return;
    }
    delete lb->takeItem(row);
}

void Tconcatenatefrm::SpeedButton3Click() {
    const int row = selectedRow(lb);
    if (row < 1) {
        QApplication::beep();
        return;
    }
    moveRow(lb, row, row - 1);
}

void Tconcatenatefrm::SpeedButton4Click() {
    const int row = selectedRow(lb);
    if (row < 0 || row >= lb->count() - 1) {
        QApplication::beep();
        return;
    }
    moveRow(lb, row, row + 1);
}

void Tconcatenatefrm::SpeedButton5Click() { lb->clear(); }

void Tconcatenatefrm::Button2Click() { reject(); }

void Tconcatenatefrm::Button1Click() {
    const std::vector<std::string> sources = files();
    if (sources.empty()) {
        QApplication::beep();
        return;
    }
    const FileDialogResult chosen = prompts().saveDialog(sd1);
    if (!chosen.accepted) {
        reject();
        return;
    }
    const std::string target = chosen.fileName;
    try {
        checkConcatTarget(sources, target);
    } catch (const WaveToolError& e) {
        ShowMessage(e.what());
        return;
    }
    if (fileExists(target) &&
        prompts().messageBox(wavetext::kConcatCaption, wavetext::kTargetExists, Buttons::YesNo, Icon::Question) != mrYes)
        return;

    ConcatPlan plan;
    showProgress(sb1, QString::fromUtf8(wavetext::kCheckingFormats));
    if (!runWaveJob([&] { plan = planConcatenation(sources, target); })) return;

    if (!plan.pcm()) {
        // Every file shares the first one's format tag by now, so each one
        // would be skipped: ask for each as the user expects, and write no
        // target at all.
        for (size_t i = 0; i < plan.sources.size(); ++i)
            if (prompts().messageBox(wavetext::kConcatCaption, wavetext::kConcatNotPcm, Buttons::YesNo,
                                     Icon::Question) != mrYes)
                return;
        accept();
        return;
    }

    const bool written = runWaveJob([&] {
        writeConcatenation(plan, target, [this](int64_t i, int64_t n) {
            showProgress(sb1, QString::number(i) + "/" + QString::number(n));
        });
    });
    if (!written) return;
    if (ObriraSV->isChecked() && openInEditor_) openInEditor_(target);
    accept();
}

namespace sv {
void runConcatenate(QWidget* parent, std::function<void(const std::string&)> openInEditor) {
    Tconcatenatefrm form(parent, std::move(openInEditor));
    form.exec();
}
} // namespace sv

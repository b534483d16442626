#include "dialogs/wave_tool_ui.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QToolButton>

#include "dialogs/wave_split.h"
#include "platform/activity.h"
#include "platform/files.h"
#include "platform/qt/qt_prompts.h"

namespace sv {

FileDialogRequest waveSourceRequest() {
    FileDialogRequest r;
    r.filter = "PCM Waveforms (*.wav)|*.wav";
    return r;
}

QToolButton* makeSpeedButton(QWidget* parent, const char* caption, const char* hint) {
    auto* b = new QToolButton(parent);
    b->setText(QString::fromUtf8(caption));
    b->setToolButtonStyle(Qt::ToolButtonTextOnly);
    if (hint) b->setToolTip(QString::fromUtf8(hint));
    return b;
}

QHBoxLayout* makeSourceRow(QWidget* parent, QLabel*& Label1, QLineEdit*& Edit1, QToolButton*& SpeedButton1) {
    auto* row = new QHBoxLayout;
    Label1 = new QLabel(QStringLiteral("&Original Waveform (*.wav) :"), parent);
    Edit1 = new QLineEdit(parent);
    Edit1->setMinimumWidth(260);
    Label1->setBuddy(Edit1);
    SpeedButton1 = makeSpeedButton(parent, "&Browse");
    row->addWidget(Label1);
    row->addWidget(Edit1, 1);
    row->addWidget(SpeedButton1);
    return row;
}

QHBoxLayout* makeDivideRow(QWidget* parent, QPushButton*& button1, QToolButton*& SpeedButton2) {
    auto* row = new QHBoxLayout;
    button1 = new QPushButton(QStringLiteral("&Divide"), parent);
    button1->setAutoDefault(false);
    SpeedButton2 = makeSpeedButton(parent, "E&xit");
    row->addStretch();
    row->addWidget(button1);
    row->addWidget(SpeedButton2);
    return row;
}

QStatusBar* makeToolStatusBar(QWidget* parent) {
    auto* bar = new QStatusBar(parent);
    bar->setSizeGripEnabled(false);
    return bar;
}

void showProgress(QStatusBar* bar, const QString& text) {
    bar->showMessage(text);
    bar->repaint();
}

std::function<void(int64_t, int64_t)> tracksGenerated(QStatusBar* bar) {
    return [bar](int64_t n, int64_t) { showProgress(bar, QStringLiteral("Tracks Generated = ") + QString::number(n)); };
}

bool browseInto(const FileDialogRequest& request, QLineEdit* edit) {
    const FileDialogResult r = prompts().openDialog(request);
    if (!r.accepted) return false;
    edit->setText(qs(r.fileName));
    return true;
}

void showIOError(const FileIOError& e) {
    prompts().messageBox(applicationTitle(), e.what(), Buttons::Ok, Icon::Error);
}

bool runWaveJob(const std::function<void()>& job) {
    // The message is kept until the busy state is gone: an exception must
    // never leave the program busy, and a message box over an hourglass
    // would look hung.
    std::string refusal;
    bool ioFailed = false;
    std::string ioText;
    int ioCode = 0;
    {
        BusyGuard busy;
        try {
            job();
            return true;
        } catch (const WaveToolError& e) {
            refusal = e.what();
        } catch (const FileIOError& e) {
            ioFailed = true;
            ioText = e.what();
            ioCode = e.code();
        }
    }
    if (ioFailed)
        showIOError(FileIOError(ioText, ioCode));
    else
        ShowMessage(refusal);
    return false;
}

void runSplitJob(const std::function<void()>& job) {
    if (runWaveJob(job)) ShowMessage(wavetext::kSuccess);
}

} // namespace sv

// What the WAVE tool dialogs share: the source row (label, edit box and
// Browse button with its open dialog), the Divide/Exit row, the status line
// with its progress, and the reporting of a job's outcome.
#pragma once
#include <cstdint>
#include <functional>
#include <string>

#include "platform/prompts.h"

class QWidget;
class QLabel;
class QLineEdit;
class QToolButton;
class QHBoxLayout;
class QPushButton;
class QStatusBar;
class QString;

namespace sv {

class FileIOError;

// The open dialog of the split tools' Browse buttons.
FileDialogRequest waveSourceRequest();

// Builds "&Original Waveform (*.wav) :", its edit box and "&Browse".
QHBoxLayout* makeSourceRow(QWidget* parent, QLabel*& Label1, QLineEdit*& Edit1, QToolButton*& SpeedButton1);

// Runs the open dialog and puts the chosen name into the edit box; false
// when cancelled.
bool browseInto(const FileDialogRequest& request, QLineEdit* edit);

// Runs a job with the busy state held and shows its outcome: a WaveToolError
// as a plain message, a FileIOError with the standard error box, both after
// the busy state has been restored. True when the job completed.
bool runWaveJob(const std::function<void()>& job);

// A split job through runWaveJob, followed by the success message when it
// completed.
void runSplitJob(const std::function<void()>& job);

void showIOError(const FileIOError& e);

// A button that never becomes the dialog's default button.
QToolButton* makeSpeedButton(QWidget* parent, const char* caption, const char* hint = nullptr);

// The split tools' bottom row: "&Divide", which is never the default button
// (Return in the source box must not start a job), and "E&xit".
QHBoxLayout* makeDivideRow(QWidget* parent, QPushButton*& button1, QToolButton*& SpeedButton2);

// The status line at the foot of a tool, without a size grip.
QStatusBar* makeToolStatusBar(QWidget* parent);

// Shows a job's progress at once: jobs run on the UI thread, so a queued
// repaint would wait for the job to end.
void showProgress(QStatusBar* bar, const QString& text);

// The progress of the track splits: "Tracks Generated = n" on the bar.
std::function<void(int64_t done, int64_t total)> tracksGenerated(QStatusBar* bar);

} // namespace sv

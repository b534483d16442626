// What the WAVE tool dialogs share: the source row (label, edit box and
// Browse button with its open dialog) and the reporting of a job's outcome.
#pragma once
#include <functional>
#include <string>

#include "platform/prompts.h"

class QWidget;
class QLabel;
class QLineEdit;
class QToolButton;
class QHBoxLayout;

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

void showIOError(const FileIOError& e);

// A button that never becomes the dialog's default button.
QToolButton* makeSpeedButton(QWidget* parent, const char* caption, const char* hint = nullptr);

} // namespace sv

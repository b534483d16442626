// "Concatenate Multiple Files": joins several PCM WAVE files of one format
// into one new WAVE file in the order of its list, and can open the result
// in the editor. Created on demand by the main window, shown modally and
// freed.
#pragma once
#include <QDialog>
#include <functional>
#include <string>
#include <vector>

#include "platform/prompts.h"

class QCheckBox;
class QLabel;
class QListWidget;
class QPushButton;
class QStatusBar;
class QToolButton;

class Tconcatenatefrm : public QDialog {
    Q_OBJECT
public:
    // `openInEditor` opens a written file in a sound window (the main
    // window's open-file command without its dialog).
    explicit Tconcatenatefrm(QWidget* parent = nullptr, std::function<void(const std::string&)> openInEditor = {});

    QLabel* Label2;
    QListWidget* lb;
    QToolButton* SpeedButton1;   // Add
    QToolButton* SpeedButton2;   // Delete
    QToolButton* SpeedButton3;   // up
    QToolButton* SpeedButton4;   // down
    QToolButton* SpeedButton5;   // Reset
    QPushButton* Button1;
    QPushButton* Button2;
    QCheckBox* ObriraSV;
    QStatusBar* sb1;
    sv::FileDialogRequest od1;
    sv::FileDialogRequest sd1;

    void SpeedButton1Click();
    void SpeedButton2Click();
    void SpeedButton3Click();
    void SpeedButton4Click();
    void SpeedButton5Click();
    void Button1Click();
    void Button2Click();

    // Appends the ".wav" files of a selection and refuses the others.
    void addFiles(const std::vector<std::string>& names);
    std::vector<std::string> files() const;

private:
    std::function<void(const std::string&)> openInEditor_;
};

namespace sv {
// The main window's "Concatenate &Multiple Files" and its tool button.
// `openInEditor(name)` should call SVMainfrm->ObrirFitxer(false, name).
void runConcatenate(QWidget* parent, std::function<void(const std::string&)> openInEditor);
}

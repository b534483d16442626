// What the two channel-file dialogs share: a left and a right file name,
// each with a " Select Waveform" button that runs a file dialog on it, an
// OK and a Cancel button, and a cancel flag the caller reads afterwards.
#pragma once
#include <QDialog>
#include <cstdint>

#include "platform/prompts.h"

class QLabel;
class QLineEdit;
class QPushButton;

class ChannelFilesDialog : public QDialog {
    Q_OBJECT
public:
    QLabel* LeftLabel = nullptr;
    QLineEdit* LeftEdit = nullptr;
    QPushButton* LeftSelect = nullptr;
    QLabel* RightLabel = nullptr;
    QLineEdit* RightEdit = nullptr;
    QPushButton* RightSelect = nullptr;
    QPushButton* Button1 = nullptr;   // OK
    QPushButton* Button2 = nullptr;   // Cancel

    // 1 = cancelled, 0 = OK. Set before the dialog shows and cleared only
    // by OK, so closing the window by its frame counts as Cancel.
    uint8_t CancelFlag = 1;

    // Shows the dialog modally with the names as the caller left them;
    // returns the cancel flag.
    int mostrar();

    void Button1Click();
    void Button2Click();
    // A " Select Waveform" button: the edit's name goes into the file
    // dialog, and the chosen name comes back into the edit.
    void selectInto(QLineEdit* edit);

protected:
    ChannelFilesDialog(QWidget* parent, const QString& caption, const QString& leftCaption,
                       const QString& rightCaption, const QString& okCaption);
    // The file dialog of the Select buttons.
    virtual sv::FileDialogResult runFileDialog(const sv::FileDialogRequest& request) = 0;
    virtual sv::FileDialogRequest fileRequest() const = 0;
};

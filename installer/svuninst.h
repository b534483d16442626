// The uninstaller's window: says what will be removed and what is kept,
// asks whether the settings file goes too, and removes Sonvela when the
// user presses "Uninstall"; then reports what it did and closes.
#pragma once
#include <QDialog>

#include "installer/uninstall_steps.h"

class QCheckBox;
class QLabel;
class QPushButton;

class TUninstallfrm : public QDialog {
    Q_OBJECT
public:
    explicit TUninstallfrm(QWidget* parent = nullptr);

    QLabel* Label1;                  // what will be removed
    QCheckBox* CheckBox1;            // remove the settings file too
    QLabel* Label6;                  // "Deleting Registry entries ..."
    QLabel* Label7;                  // "Deleting program files ..."
    QLabel* Label8;                  // "Deleting Menus ..."
    QPushButton* Button1;            // "&Uninstall"
    QPushButton* Button2;            // "&Cancel"

    sv::install::Installation installation;
    bool Done = false;               // the removal ran

    // Runs the removal and closes with the report; first waits for every
    // running editor of the installation to be closed (which would write
    // its settings back into a removed folder), or for the user to cancel.
    void Button1Click();
    void Button2Click();

private:
    void step(QLabel* label);
    bool waitForEditors();
};

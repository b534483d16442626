// The installer's one window. Step 1 asks for the target folder and the two
// associations; "Next" shows step 2 (the view mode); "Finalize" registers,
// copies the editor and its files from setup's own folder, writes the first
// setting and creates the program group, then closes with a message saying
// whether it all went well.
#pragma once
#include <QDialog>
#include <memory>
#include <string>
#include <vector>

#include "installer/install_steps.h"

class QCheckBox;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QStatusBar;

namespace sv {
class FolderList;
class ProgramManager;
class SetupRadioGroup;
} // namespace sv

class TSetup1frm : public QDialog {
    Q_OBJECT
public:
    // params: the command-line parameters after the program name.
    explicit TSetup1frm(std::vector<std::string> params, QWidget* parent = nullptr);
    ~TSetup1frm() override;

    QLabel* Image1;                  // the picture across the top
    QLabel* Label1;
    QLineEdit* edit1;
    QLabel* Label2;
    QComboBox* DriveComboBox1;
    QLabel* Label3;
    sv::FolderList* DirectoryListBox1;
    QCheckBox* CheckBox1;
    QCheckBox* CheckBox2;
    QPushButton* Button1;
    QPushButton* Button2;
    QFrame* PanelViewMode;
    QLabel* Image2;                  // access bar view mode
    QLabel* Image3;                  // tool bars view mode
    sv::SetupRadioGroup* viewmoderadiogroup;
    QProgressBar* ProgressBar1;
    QLabel* Label5;
    QLabel* Label6;                  // "Deleting Registry entries ..."
    QLabel* Label7;                  // "Deleting program files ..."
    QLabel* Label8;                  // "Deleting Menus ..."
    QStatusBar* StatusBar1;
    QLabel* StatusPanel;             // the status bar's one panel
    // The program manager conversation; opened by the first macro.
    std::unique_ptr<sv::ProgramManager> DdeClient;

    std::string SourceDir;           // setup's own folder, with a trailing '/'
    std::string TargetDir;
    bool Failed = true;              // the closing message reports failure
    std::vector<bool> CopyOk;        // one flag a file, in the copy order

    void edit1KeyPress();            // Enter in edit1
    void edit1Exit();
    void DirectoryListBox1Change();
    void DriveComboBox1Change();
    void Button1Click();
    void Button2Click();
    void creardir(const std::string& path);
    void progresar(int position, int max);
    // Installs the icon and makes the program group; "" or what failed.
    std::string creategrp();

    bool atStep2() const { return step2_; }

protected:
    void closeEvent(QCloseEvent* event) override;   // FormClose
    void reject() override;                          // Escape: Cancel
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FormCreate();
    void buildForm();
    void loadViewPictures();
    void completeTarget();
    void finalize();
    // Creates the folders the copy writes into and makes sure that every
    // file it writes can be written; false after telling the user why not.
    bool prepareFolders(const std::string& target);
    // Registers, copies, writes the first setting, records the files and
    // makes the menu; "" or what failed (the caller undoes it all).
    std::string install(const std::string& target, const std::vector<std::string>& created);
    // Copies the nine files, stopping at the first that fails; copied gets
    // every file written with its size and checksum.
    bool copyFiles(std::vector<sv::install::InstalledFile>& copied, std::string& failure);
    QString statusText(int step) const;

    std::vector<std::string> params_;
    bool step2_ = false;
};

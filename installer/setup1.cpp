#include "installer/setup1.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QStorageInfo>
#include <QVBoxLayout>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>

#include "installer/icon_theme.h"
#include "installer/install_steps.h"
#include "installer/install_undo.h"
#include "installer/setup_widgets.h"
#include "installer/view_pictures.h"
#include "platform/exedir.h"
#include "platform/paths.h"
#include "platform/program_groups.h"
#include "platform/prompts.h"
#include "platform/registry.h"
#include "platform/settings.h"

namespace {

const char kCaption[] = "Sonvela Setup";

void message(const std::string& text, sv::Icon icon = sv::Icon::None) {
    sv::prompts().messageBox(kCaption, text, sv::Buttons::Ok, icon);
}

std::string text(const QLineEdit* e) { return e->text().toStdString(); }

// The top picture: a plain bitmap from setup's resources.
QPixmap topPicture() {
    const sv::ByteView bmp = sv::topPictureBmp();
    QPixmap pm;
    pm.loadFromData(bmp.data, uint(bmp.size), "BMP");
    return pm;
}

QPixmap toPixmap(const sv::RgbPicture& pic) {
    QImage img(pic.rgb.data(), pic.width, pic.height, pic.width * 3, QImage::Format_RGB888);
    return QPixmap::fromImage(img.copy());
}

} // namespace

TSetup1frm::TSetup1frm(std::vector<std::string> params, QWidget* parent)
    : QDialog(parent), params_(std::move(params)) {
    buildForm();
    FormCreate();
}

TSetup1frm::~TSetup1frm() = default;

void TSetup1frm::buildForm() {
    setWindowTitle(kCaption);
    auto* top = new QVBoxLayout(this);

    Image1 = new QLabel(this);
    Image1->setPixmap(topPicture());
    Image1->setFixedSize(389, 175);
    top->addWidget(Image1, 0, Qt::AlignHCenter);

    auto* grid = new QGridLayout;
    Label1 = new QLabel("&Target directory:", this);
    edit1 = new QLineEdit("/sonvela/", this);
    Label1->setBuddy(edit1);
    Label2 = new QLabel("Select a &Unit:", this);
    DriveComboBox1 = new QComboBox(this);
    Label2->setBuddy(DriveComboBox1);
    Label3 = new QLabel("Please select a director&y:", this);
    DirectoryListBox1 = new sv::FolderList(this);
    Label3->setBuddy(DirectoryListBox1);
    grid->addWidget(Label1, 0, 0);
    grid->addWidget(edit1, 0, 1);
    grid->addWidget(Label2, 1, 0);
    grid->addWidget(DriveComboBox1, 1, 1);
    grid->addWidget(Label3, 2, 0, Qt::AlignTop);
    grid->addWidget(DirectoryListBox1, 2, 1);
    top->addLayout(grid);

    PanelViewMode = new QFrame(this);
    PanelViewMode->setFrameShape(QFrame::StyledPanel);
    auto* panel = new QGridLayout(PanelViewMode);
    Image2 = new QLabel(PanelViewMode);
    Image2->setToolTip("Shows one toolbar at a time: you choose it in the Access Bar at the left of the window.");
    Image3 = new QLabel(PanelViewMode);
    Image3->setToolTip("Shows all the Toolbars that you want, in order that you can have multiple toolbars "
                       "shown simultaneously in the window.");
    viewmoderadiogroup = new sv::SetupRadioGroup({"Access Bar View Mode     ", "ToolBars View Mode"}, 2, PanelViewMode);
    viewmoderadiogroup->setItemIndex(0);
    panel->addWidget(Image2, 0, 0, Qt::AlignCenter);
    panel->addWidget(Image3, 0, 1, Qt::AlignCenter);
    panel->addWidget(viewmoderadiogroup, 1, 0, 1, 2);
    PanelViewMode->hide();
    top->addWidget(PanelViewMode);

    CheckBox1 = new QCheckBox("Set Sonvela as the default audio &editor/player", this);
    CheckBox2 = new QCheckBox("Set Sonvela as the default &CD player", this);
    top->addWidget(CheckBox1);
    top->addWidget(CheckBox2);

    ProgressBar1 = new QProgressBar(this);
    ProgressBar1->setRange(0, 100);
    ProgressBar1->setValue(0);
    ProgressBar1->hide();
    Label5 = new QLabel(this);
    top->addWidget(ProgressBar1);
    top->addWidget(Label5);
    // Captions of a removal that this window never carries out.
    Label6 = new QLabel("Deleting Registry entries ...", this);
    Label7 = new QLabel("Deleting program files ...", this);
    Label8 = new QLabel("Deleting Menus ...", this);
    for (QLabel* l : {Label6, Label7, Label8}) {
        l->hide();
        top->addWidget(l);
    }

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    Button1 = new QPushButton("&Next", this);
    Button2 = new QPushButton("&Cancel", this);
    Button1->setDefault(true);
    buttons->addWidget(Button1);
    buttons->addWidget(Button2);
    top->addLayout(buttons);

    StatusBar1 = new QStatusBar(this);
    StatusBar1->setSizeGripEnabled(false);
    StatusPanel = new QLabel(statusText(1), StatusBar1);
    StatusBar1->addWidget(StatusPanel, 1);
    top->addWidget(StatusBar1);

    edit1->installEventFilter(this);
    connect(DirectoryListBox1, &sv::FolderList::directoryChanged, this, [this] { DirectoryListBox1Change(); });
    connect(DriveComboBox1, &QComboBox::activated, this, [this] { DriveComboBox1Change(); });
    connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
    connect(Button2, &QPushButton::clicked, this, [this] { Button2Click(); });

    loadViewPictures();
}

QString TSetup1frm::statusText(int step) const {
    return QString("Sonvela  -  installs the audio editor on this computer  -  STEP %1 of 2").arg(step);
}

void TSetup1frm::loadViewPictures() {
    const std::pair<QLabel*, sv::ByteView> pictures[] = {
        {Image2, sv::accessBarPictureJpeg()},
        {Image3, sv::toolBarsPictureJpeg()},
    };
    for (const auto& [label, jpeg] : pictures) {
        sv::RgbPicture pic;
        if (int code = sv::decodeJpeg(jpeg, pic)) {
            char buf[32];
            std::snprintf(buf, sizeof buf, "JPEG error #%d", code);
            message(buf, sv::Icon::Error);
            continue;
        }
        label->setPixmap(toPixmap(pic));
    }
}

void TSetup1frm::FormCreate() {
    std::string programs = sv::install::programFilesDir();
    if (programs.empty()) {
        // No folder for programs is registered: the user's own one.
        const char* home = std::getenv("HOME");
        programs = std::string(home && *home ? home : "") + "/.local/opt";
    }
    while (programs.size() > 1 && programs.back() == '/') programs.pop_back();
    SourceDir = sv::exeDir();

    QStringList roots{"/"};
    for (const QStorageInfo& v : QStorageInfo::mountedVolumes())
        if (v.isValid() && v.isReady() && !roots.contains(v.rootPath())) roots << v.rootPath();
    DriveComboBox1->addItems(roots);
    DriveComboBox1->setCurrentIndex(0);
    DirectoryListBox1->setDirectory("/");

    edit1->setText(QString::fromStdString(programs + "/Sonvela/"));
    Failed = true;
}

bool TSetup1frm::eventFilter(QObject* watched, QEvent* event) {
    if (watched == edit1) {
        if (event->type() == QEvent::KeyPress) {
            auto* k = static_cast<QKeyEvent*>(event);
            if (k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter) {
                edit1KeyPress();
                return true;   // the key goes no further: it never presses Next
            }
        } else if (event->type() == QEvent::FocusOut) {
            edit1Exit();
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TSetup1frm::completeTarget() {
    // An empty box stays empty: "Finalize" asks for a folder.
    QString t = edit1->text();
    if (!t.isEmpty() && !t.endsWith('/')) edit1->setText(t + '/');
    TargetDir = text(edit1);
}

void TSetup1frm::edit1KeyPress() { completeTarget(); }

void TSetup1frm::edit1Exit() { completeTarget(); }

void TSetup1frm::DirectoryListBox1Change() {
    const QString dir = DirectoryListBox1->directory();
    edit1->setText(dir.endsWith('/') ? dir + "sonvela/" : dir + "/sonvela/");
    TargetDir = text(edit1);
}

void TSetup1frm::DriveComboBox1Change() { DirectoryListBox1->setDirectory(DriveComboBox1->currentText()); }

void TSetup1frm::Button2Click() {
    Failed = true;
    close();
}

void TSetup1frm::reject() { Button2Click(); }

void TSetup1frm::Button1Click() {
    if (!step2_) {
        step2_ = true;
        Button1->setText("&Finalize");
        PanelViewMode->show();
        ProgressBar1->show();
        DirectoryListBox1->hide();
        Label3->hide();   // the list's caption, with nothing left to caption
        CheckBox1->hide();
        CheckBox2->hide();
        StatusPanel->setText(statusText(2));
        // The window takes the size of what step 2 shows, instead of keeping
        // the room of the folder list on top of the view-mode panel.
        layout()->activate();
        adjustSize();
        return;
    }
    finalize();
}

void TSetup1frm::creardir(const std::string& path) { sv::install::makeFolders(path); }

void TSetup1frm::progresar(int position, int max) {
    ProgressBar1->setMaximum(max);
    ProgressBar1->setValue(position >= max ? 0 : position);
    ProgressBar1->repaint();
}

void TSetup1frm::finalize() {
    completeTarget();
    const std::string target = TargetDir;
    if (target.empty()) {
        message("Please type the folder to install Sonvela in.", sv::Icon::Warning);
        return;
    }
    if (target[0] != '/') {
        message("Please type the full path of the folder to install Sonvela in, starting with \"/\".",
                sv::Icon::Warning);
        return;
    }
    // The menu entries, the desktop's defaults and the uninstall entry name
    // the program by its path, one line each.
    if (!sv::install::fitsDesktopEntries(target)) {
        message("Sonvela cannot be installed into " + target +
                    ": the desktop's menu entries cannot name a folder whose name holds a line break or another "
                    "control character, or is not UTF-8 text. Please choose another folder.",
                sv::Icon::Warning);
        return;
    }
    // Installing over the files being copied would replace each with itself.
    if (sv::dirExists(target) && sv::canonicalPath(target) == sv::canonicalPath(SourceDir)) {
        message("Sonvela cannot be installed into the folder that Setup runs from. Please choose another folder.",
                sv::Icon::Warning);
        return;
    }
    // What the uninstaller may remove again: the folders that are not there
    // before this installation writes into them, the target among them.
    const std::vector<std::string> created = sv::install::missingFolders(sv::install::installationFolders(target));
    // The folders come first, then a look at every file the copy will write:
    // nothing is registered for an installation that cannot be copied.
    if (!prepareFolders(target)) {
        sv::install::removeEmptyFolders(created);
        return;
    }
    // From here on, a failure puts everything back as it was.
    sv::install::InstallUndo undo;
    undo.rememberFolders(created);
    for (const std::string& file : sv::install::filesWritten(target)) {
        if (int e = undo.rememberFile(file)) {
            message("Unable to read " + file + ": " + std::strerror(e) +
                        ".\n\nSetup keeps every file it changes, to put it back should the installation fail. "
                        "Nothing has been installed.",
                    sv::Icon::Error);
            sv::install::removeEmptyFolders(created);
            return;
        }
    }

    // A target that holds a settings file is one that an earlier
    // installation made and its removal left for the user's settings: it
    // counts as made by setup, so that the uninstaller removes the program
    // files installed into it again.
    std::vector<std::string> made = created;
    struct stat settings;
    if (::lstat((target + sv::install::kSettingsName).c_str(), &settings) == 0 && S_ISREG(settings.st_mode))
        sv::install::addMissing(made, {target});
    const std::string failure = install(target, made);
    if (!failure.empty()) {
        Label5->setText("Error");
        const std::vector<std::string> left = undo.undo();
        std::string text = failure + "\n\nNothing has been installed: Setup has put back everything it had changed.";
        if (!left.empty()) {
            text = failure + "\n\nNothing has been installed, but Setup could not put these back as they were:";
            for (const std::string& l : left) text += "\n    " + l;
        }
        progresar(0, 9);
        message(text, sv::Icon::Error);
        Failed = true;
        return;   // the window stays open: the user may choose another folder
    }
    Failed = false;
    Label5->setText("OK!");
    close();
}

std::string TSetup1frm::install(const std::string& target, const std::vector<std::string>& created) {
    const std::string program = target + sv::install::kProgramName;
    try {
        if (CheckBox1->isChecked()) {
            sv::install::registerWavEditor(target);
            if (!sv::setWavDesktopAssociation(program))
                return "Unable to make Sonvela the desktop's application for WAVE files: " +
                       std::string(std::strerror(errno));
        }
        sv::install::registerUninstall(target, created);
        if (CheckBox2->isChecked()) {
            sv::install::registerCdPlayer(target);
            if (!sv::setCdDesktopAssociation(program))
                return "Unable to make Sonvela the desktop's player for audio CDs: " + std::string(std::strerror(errno));
        }
    } catch (const sv::RegistryError& e) {
        return e.what();
    }

    std::vector<sv::install::InstalledFile> copied;
    std::string failure;
    if (!copyFiles(copied, failure)) return "Error while copying a file... " + failure;

    const int viewAccessBar = viewmoderadiogroup->itemIndex() == 0 ? 1 : 0;
    sv::IniFile settings(target + sv::install::kSettingsName);
    settings.WriteInteger("Options", "ViewAccessBar", viewAccessBar);
    if (settings.ReadInteger("Options", "ViewAccessBar", -1) != viewAccessBar)
        return "Unable to write the setting of the view mode to " + settings.path() + ".";
    try {
        sv::install::recordInstalledFiles(copied);
    } catch (const sv::RegistryError& e) {
        return e.what();
    }
    return creategrp();
}

bool TSetup1frm::prepareFolders(const std::string& target) {
    const std::string kept = sv::install::uninstallerPath();
    for (const std::string& folder : {target, kept.substr(0, kept.find_last_of('/') + 1)}) {
        if (sv::dirExists(folder)) continue;
        std::string level;
        if (int e = sv::install::makeFolders(folder, &level)) {
            message("Unable to create the folder " + level + (level == folder ? "" : " (for " + folder + ")") + ": " +
                        std::strerror(e) + ".\n\nNothing has been installed. Please choose a folder you can write to.",
                    sv::Icon::Error);
            return false;
        }
    }
    std::vector<std::string> written;
    for (const auto& f : sv::install::installFiles()) written.push_back(target + f.name);
    written.push_back(kept);
    for (const std::string& file : written) {
        if (int e = sv::install::checkWritable(file)) {
            const bool inTarget = file.compare(0, target.size(), target) == 0;
            message("Unable to write " + file + ": " + std::strerror(e) + ".\n\nNothing has been installed." +
                        (inTarget ? " Please choose a folder you can write to." : ""),
                    sv::Icon::Error);
            return false;
        }
    }
    return true;
}

bool TSetup1frm::copyFiles(std::vector<sv::install::InstalledFile>& copied, std::string& failure) {
    const auto& files = sv::install::installFiles();
    const int count = int(files.size());
    CopyOk.assign(files.size(), false);
    auto record = [&](const std::string& path, const std::string& sha) {
        struct stat st;
        copied.push_back({path, ::stat(path.c_str(), &st) == 0 ? uint64_t(st.st_size) : 0, sha});
    };
    // The first failure ends the copy: the installation is undone anyway.
    for (int n = 0; n < count; ++n) {
        const auto& f = files[size_t(n)];
        const std::string source = SourceDir + f.name;
        const std::string dest = TargetDir + f.name;
        std::string failedPath, sha;
        int e = sv::install::copyFile(source, dest, f.showPath, &failedPath, &sha);
        if (e == 0) record(dest, sha);
        if (e == 0 && std::strcmp(f.name, sv::install::kUninstallerName) == 0) {
            // The uninstaller's second copy, the one its entry names, is
            // what the row's flag records.
            progresar(n + 1, count);
            const std::string kept = sv::install::uninstallerPath();
            e = sv::install::copyFile(dest, kept, false, &failedPath, &sha);
            if (e == 0) record(kept, sha);
        }
        if (f.showPath) {
            Label5->setText(QString::fromStdString(dest));
            Label5->repaint();
        }
        progresar(n + 1, count);
        if (e != 0) {
            failure = failedPath + ": " + std::strerror(e) + ".";
            return false;
        }
        CopyOk[size_t(n)] = true;
    }
    return true;
}

std::string TSetup1frm::creategrp() {
    if (!DdeClient) {
        DdeClient = std::make_unique<sv::ProgramManager>();
        DdeClient->icon = sv::kIconName;
        DdeClient->programCategories = "AudioVideo;Audio;AudioVideoEditing;";
    }
    auto reason = [] { return std::string(": ") + std::strerror(errno ? errno : EIO) + "."; };
    // The menu and the entries show the program's icon.
    if (!sv::install::installIcons()) return "Unable to install the program's icon" + reason();
    errno = 0;
    if (!DdeClient->execute(sv::install::createGroupMacro(sv::install::kGroupName)))
        return "Unable to create group" + reason();
    // The editor's items need the editor in place: the help item runs the
    // editor itself, never a document opener.
    const std::pair<const char*, const char*> items[] = {
        {sv::install::kProgramName, "Sonvela"},
        {sv::install::kHelpName, "Sonvela Help"},
        {sv::install::kReadmeName, "readme.txt"},
    };
    const auto& files = sv::install::installFiles();
    auto copied = [&](const char* name) {
        for (size_t i = 0; i < files.size(); ++i)
            if (std::strcmp(files[i].name, name) == 0) return i < CopyOk.size() && CopyOk[i];
        return false;
    };
    for (const auto& [file, name] : items) {
        errno = 0;
        const bool inPlace = copied(file) && (std::strcmp(file, sv::install::kHelpName) != 0 || copied(sv::install::kProgramName));
        if (!inPlace ||
            !DdeClient->execute(sv::install::addItemMacro(sv::install::menuItemCommand(TargetDir, file), name)))
            return std::string("Unable to add group item. (") + name + ")" + reason();
    }
    return {};
}

void TSetup1frm::closeEvent(QCloseEvent* event) {
    // The uninstall entry starts setup with "-uninstall" alone: no message.
    const bool quiet = params_.size() == 1 && params_[0] == "-uninstall";
    if (!quiet)
        message(Failed ? "Sonvela setup has not been successful!" : "Sonvela setup has been successful!");
    event->accept();
}

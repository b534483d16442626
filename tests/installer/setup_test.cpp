#include <gtest/gtest.h>

#include <QCheckBox>
#include <QCoreApplication>
#include <QFocusEvent>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/stat.h>

#include "installer/install_steps.h"
#include "installer/setup1.h"
#include "installer/setup_widgets.h"
#include "platform/program_groups.h"
#include "platform/registry.h"
#include "platform/settings.h"
#include "tests/support/scripted_prompts.h"

namespace fs = std::filesystem;
using sv::Registry;
using sv::RegistryRoot;

namespace {

const char kSuccess[] = "Sonvela setup has been successful!";
const char kFailure[] = "Sonvela setup has not been successful!";

std::string readAll(const std::string& path) {
    std::ifstream in(path);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

void writeFile(const std::string& path, const std::string& text, mode_t mode) {
    std::ofstream(path) << text;
    ::chmod(path.c_str(), mode);
}

mode_t modeOf(const std::string& path) {
    struct stat st {};
    ::stat(path.c_str(), &st);
    return st.st_mode & 07777;
}

std::string value(RegistryRoot root, const std::string& key, const std::string& name) {
    Registry reg(root);
    if (!reg.openKey(key, false)) return "<no key>";
    if (!reg.valueExists(name)) return "<no value>";
    return reg.readString(name);
}

// Setup's own folder (the program folder) holds a fake editor and setup;
// everything setup writes goes below one temporary folder.
class SetupTest : public ::testing::Test {
protected:
    void SetUp() override {
        // Every file of the copy table, each with its own contents.
        for (const auto& f : sv::install::installFiles()) writeFile(source_.file(f.name), f.name, 0644);
        writeFile(source_.file("sonvela"), "editor", 0755);
        writeFile(source_.file("setup"), "setup", 0555);
        writeFile(source_.file("svuninst"), "uninstaller", 0755);
        std::string tmpl = (fs::temp_directory_path() / "sonvela-setup-XXXXXX").string();
        root_ = ::mkdtemp(tmpl.data());
        // The menus, icons and the uninstaller's copy go below it too.
        ::setenv("XDG_DATA_HOME", (root_ + "/share").c_str(), 1);
        ::setenv("XDG_CONFIG_HOME", (root_ + "/config").c_str(), 1);
        sv::setRegistryFolder(root_ + "/config/sonvela");
        sv::setApplicationsFolder(root_ + "/share/applications");
        sv::setMimeAppsFile(root_ + "/config/mimeapps.list");
        target_ = root_ + "/opt/deep/Sonvela/";
    }
    void TearDown() override {
        sv::setRegistryFolder("");
        sv::setApplicationsFolder("");
        sv::setMimeAppsFile("");
        fs::remove_all(root_);
        fs::remove_all(source_.path());
    }

    // Step 1 to the end with the target typed in, as a user would.
    void install(TSetup1frm& w, const std::string& target, int viewMode = 0) {
        w.edit1->setText(QString::fromStdString(target));
        w.Button1Click();
        w.viewmoderadiogroup->setItemIndex(viewMode);
        w.Button1Click();
    }

    sv::test::TempExeDir source_;
    std::string root_, target_;
};

TEST_F(SetupTest, TheWindowStartsAtStepOneWithTheRegisteredProgramsFolder) {
    {
        Registry reg(RegistryRoot::LocalMachine);
        reg.openKey("SOFTWARE\\Microsoft\\Windows\\CurrentVersion", true);
        reg.writeString("ProgramFilesDir", "/srv/programs/");
    }
    TSetup1frm w({});
    EXPECT_EQ(w.windowTitle(), "Sonvela Setup");
    EXPECT_EQ(w.edit1->text(), "/srv/programs/Sonvela/");
    EXPECT_EQ(w.SourceDir, source_.path());
    EXPECT_EQ(w.DirectoryListBox1->directory(), "/");
    EXPECT_TRUE(w.Failed);
    EXPECT_TRUE(w.PanelViewMode->isHidden());
    EXPECT_FALSE(w.CheckBox1->isChecked());
    EXPECT_FALSE(w.CheckBox2->isChecked());
    EXPECT_TRUE(w.Button1->isDefault());
    EXPECT_TRUE(w.StatusPanel->text().endsWith("STEP 1 of 2"));
    // Both view-mode pictures were decoded, with no message.
    EXPECT_EQ(w.Image2->pixmap().size(), QSize(120, 80));
    EXPECT_EQ(w.Image3->pixmap().size(), QSize(120, 80));
    EXPECT_EQ(w.Image1->pixmap().size(), QSize(389, 175));
    EXPECT_TRUE(sv::test::scripted().log.empty());
    EXPECT_EQ(w.viewmoderadiogroup->itemIndex(), 0);
}

TEST_F(SetupTest, TheTargetGetsItsFinalSlashFromTheFolderListEnterAndLeavingTheBox) {
    TSetup1frm w({});
    w.DirectoryListBox1->setDirectory("/");
    EXPECT_EQ(w.edit1->text(), "/sonvela/");
    EXPECT_EQ(w.TargetDir, "/sonvela/");
    w.DirectoryListBox1->setDirectory(QString::fromStdString(root_));
    EXPECT_EQ(w.edit1->text().toStdString(), root_ + "/sonvela/");

    w.edit1->setText("/apps/mine");
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QCoreApplication::sendEvent(w.edit1, &enter);
    EXPECT_EQ(w.edit1->text(), "/apps/mine/");
    EXPECT_EQ(w.TargetDir, "/apps/mine/");
    EXPECT_FALSE(w.atStep2());   // Enter never pressed Next

    w.edit1->setText("/apps/other");
    QFocusEvent out(QEvent::FocusOut);
    QCoreApplication::sendEvent(w.edit1, &out);
    EXPECT_EQ(w.edit1->text(), "/apps/other/");

    w.edit1->clear();
    QCoreApplication::sendEvent(w.edit1, &enter);
    EXPECT_EQ(w.edit1->text(), "");

    w.Button1Click();
    EXPECT_TRUE(w.atStep2());
    EXPECT_EQ(w.Button1->text(), "&Finalize");
    EXPECT_FALSE(w.PanelViewMode->isHidden());
    EXPECT_TRUE(w.DirectoryListBox1->isHidden());
    EXPECT_TRUE(w.CheckBox1->isHidden());
    EXPECT_TRUE(w.StatusPanel->text().endsWith("STEP 2 of 2"));
}

TEST_F(SetupTest, FinalizeCopiesRegistersWritesTheSettingAndMakesTheMenu) {
    writeFile(source_.file("readme.txt"), "read me", 0444);
    TSetup1frm w({});
    w.CheckBox1->setChecked(true);
    w.CheckBox2->setChecked(true);
    install(w, target_.substr(0, target_.size() - 1));   // no final slash typed

    EXPECT_EQ(w.edit1->text().toStdString(), target_);
    EXPECT_FALSE(w.Failed);
    EXPECT_EQ(sv::test::scripted().messages(), std::vector<std::string>{kSuccess});
    EXPECT_EQ(w.Label5->text(), "OK!");

    EXPECT_EQ(readAll(target_ + "sonvela"), "editor");
    EXPECT_EQ(modeOf(target_ + "sonvela"), 0755u);
    EXPECT_EQ(modeOf(target_ + "setup"), 0555u);          // kept as it was
    EXPECT_EQ(modeOf(target_ + "readme.txt"), 0644u);     // made writable
    for (const auto& f : sv::install::installFiles()) EXPECT_TRUE(fs::exists(target_ + f.name)) << f.name;
    EXPECT_EQ(readAll(sv::install::uninstallerPath()), "uninstaller");   // kept outside the folder too
    EXPECT_EQ(sv::IniFile(target_ + "dadoruz.ini").ReadInteger("Options", "ViewAccessBar", -1), 1);

    const std::string program = target_ + "sonvela";
    EXPECT_EQ(value(RegistryRoot::ClassesRoot, "wavfile\\shell\\Play audio\\command", ""), program + " -PLAY \"%1\"");
    EXPECT_EQ(value(RegistryRoot::ClassesRoot, "wavfile\\shell\\open\\command", ""), program + " \"%1\"");
    EXPECT_EQ(value(RegistryRoot::ClassesRoot, ".wav", ""), "wavfile");
    EXPECT_EQ(value(RegistryRoot::ClassesRoot, ".wav", "BeforeSonvela"), "");
    EXPECT_EQ(value(RegistryRoot::ClassesRoot, "AudioCD\\shell\\play\\command", ""), program + " -CD \"%1\"");
    const std::string uninstall = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Sonvela";
    EXPECT_EQ(value(RegistryRoot::LocalMachine, uninstall, "DisplayName"), "Sonvela");
    EXPECT_EQ(value(RegistryRoot::LocalMachine, uninstall, "UninstallString"), sv::install::uninstallerPath());
    EXPECT_EQ(value(RegistryRoot::LocalMachine, uninstall, "InstallLocation"), target_);

    EXPECT_EQ(sv::defaultApplication("audio/x-wav"), "sonvela.desktop");
    const std::string entry = readAll(sv::applicationsFolder() + "sonvela.desktop");
    EXPECT_NE(entry.find("Exec=" + program + " %f\n"), std::string::npos) << entry;
    EXPECT_NE(entry.find("Exec=" + program + " -PLAY %f\n"), std::string::npos) << entry;

    // The group has the editor, its help and the readme.
    const std::string group = sv::applicationsFolder() + "sonvela/";
    EXPECT_NE(readAll(group + "sonvela.desktop").find("Exec=" + program + "\n"), std::string::npos);
    EXPECT_TRUE(fs::exists(group + "readme-txt.desktop"));
    EXPECT_TRUE(fs::exists(group + "sonvela-help.desktop"));
}

TEST_F(SetupTest, ASecondInstallationKeepsTheFirstOldAssociations) {
    {
        Registry reg(RegistryRoot::ClassesRoot);
        reg.openKey(".wav", true);
        reg.writeString("", "otherplayer.wav");
        reg.openKey("\\AudioCD\\shell\\play\\command", true);
        reg.writeString("", "cdplayer %1");
    }
    for (int run = 0; run < 2; ++run) {
        TSetup1frm w({});
        w.CheckBox1->setChecked(true);
        w.CheckBox2->setChecked(true);
        install(w, target_, run);   // the second run chooses the tool bars
    }
    EXPECT_EQ(value(RegistryRoot::ClassesRoot, ".wav", "BeforeSonvela"), "otherplayer.wav");
    EXPECT_EQ(value(RegistryRoot::ClassesRoot, "AudioCD\\shell\\play\\command", "Old"), "cdplayer %1");
    EXPECT_EQ(sv::IniFile(target_ + "dadoruz.ini").ReadInteger("Options", "ViewAccessBar", -1), 0);
}

TEST_F(SetupTest, WithNeitherBoxCheckedOnlyTheUninstallEntryIsRegistered) {
    TSetup1frm w({});
    install(w, target_);
    Registry classes(RegistryRoot::ClassesRoot);
    EXPECT_TRUE(classes.subKeyNames().empty());
    EXPECT_NE(value(RegistryRoot::LocalMachine, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Sonvela",
                    "UninstallString"), "<no key>");
    EXPECT_FALSE(fs::exists(sv::mimeAppsFile()));
}

TEST_F(SetupTest, AFileThatCannotBeCopiedIsReportedOnceAndNothingIsInstalled) {
    fs::remove(source_.file("setup"));
    TSetup1frm w({});
    w.CheckBox1->setChecked(true);
    install(w, target_);
    auto msgs = sv::test::scripted().messages();
    ASSERT_EQ(msgs.size(), 1u);   // and no closing message: the window stays open
    EXPECT_EQ(msgs[0].rfind("Error while copying a file... " + source_.file("setup") + ": ", 0), 0u) << msgs[0];
    EXPECT_NE(msgs[0].find("Nothing has been installed"), std::string::npos) << msgs[0];
    EXPECT_TRUE(w.Failed);
    EXPECT_EQ(w.Label5->text(), "Error");
    // The files copied before it, the registry, the desktop's default and
    // the folders made all went again.
    EXPECT_FALSE(fs::exists(root_ + "/opt"));
    EXPECT_FALSE(fs::exists(sv::registryFile()));
    EXPECT_FALSE(fs::exists(sv::mimeAppsFile()));
    EXPECT_FALSE(fs::exists(sv::applicationsFolder()));
}

TEST_F(SetupTest, FinalizeRefusesTheSetupFolderAnEmptyOrRelativeTargetAndStaysOpen) {
    TSetup1frm w({});
    w.Button1Click();
    for (const std::string& t : {source_.path(), std::string(), std::string("relative/place/")}) {
        w.edit1->setText(QString::fromStdString(t));
        w.Button1Click();
    }
    auto msgs = sv::test::scripted().messages();
    ASSERT_EQ(msgs.size(), 3u);
    EXPECT_NE(msgs[0].find("cannot be installed into the folder that Setup runs from"), std::string::npos);
    EXPECT_EQ(msgs[1], "Please type the folder to install Sonvela in.");
    EXPECT_NE(msgs[2].find("full path"), std::string::npos);
    EXPECT_EQ(readAll(source_.file("setup")), "setup");
    EXPECT_FALSE(fs::exists(sv::registryFile()));
    EXPECT_TRUE(w.Failed);
}

TEST_F(SetupTest, ARegistryThatCannotBeWrittenStopsFinalizeBeforeAnyCopy) {
    std::ofstream(root_ + "/blocker") << "x";
    sv::setRegistryFolder(root_ + "/blocker/sonvela");
    TSetup1frm w({});
    install(w, target_);
    auto msgs = sv::test::scripted().messages();
    ASSERT_EQ(msgs.size(), 1u);
    EXPECT_NE(msgs[0].find("Unable to"), std::string::npos) << msgs[0];
    EXPECT_FALSE(fs::exists(target_ + "sonvela"));
    EXPECT_TRUE(w.Failed);
}

TEST_F(SetupTest, TheClosingMessageIsLeftOutOnlyForTheSingleExactUninstallParameter) {
    {
        TSetup1frm w({"-uninstall"});
        w.close();
        EXPECT_TRUE(sv::test::scripted().messages().empty());
    }
    for (const std::vector<std::string>& params :
         {std::vector<std::string>{"-UNINSTALL"}, std::vector<std::string>{"-uninstall", "x"},
          std::vector<std::string>{}}) {
        sv::test::scripted().log.clear();
        TSetup1frm w(params);
        w.Button2Click();
        EXPECT_EQ(sv::test::scripted().messages(), std::vector<std::string>{kFailure});
    }
}

TEST(InstallSteps, CopyReplacesTheTargetOnlyWhenTheSourceCanBeRead) {
    sv::test::TempExeDir dir;
    writeFile(dir.file("old"), "previous", 0644);
    EXPECT_EQ(sv::install::copyFile(dir.file("missing"), dir.file("old"), true), ENOENT);
    EXPECT_EQ(readAll(dir.file("old")), "previous");
    writeFile(dir.file("src"), std::string(200000, 'x'), 0500);
    EXPECT_EQ(sv::install::copyFile(dir.file("src"), dir.file("old"), true), 0);
    EXPECT_EQ(readAll(dir.file("old")), std::string(200000, 'x'));
    EXPECT_EQ(modeOf(dir.file("old")), 0700u);
    fs::remove_all(dir.path());
}

TEST(InstallSteps, MacrosAreEndedByCarriageReturnAndLineFeedAndQuoteAwkwardFolders) {
    EXPECT_EQ(sv::install::createGroupMacro("Sonvela"), "[CreateGroup(Sonvela)]\r\n");
    EXPECT_EQ(sv::install::addItemMacro("/opt/s/sonvela", "Sonvela"), "[AddItem(/opt/s/sonvela,Sonvela)]\r\n");
    EXPECT_EQ(sv::install::addItemMacro("/opt/a,b/sonvela", "Sonvela"), "[AddItem(\"/opt/a,b/sonvela\",Sonvela)]\r\n");
}

} // namespace

// Setup run from the installation folder the build makes, into a home of
// its own (HOME and the XDG folders pointed there), then the uninstaller.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <array>
#include <cstdio>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <optional>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

#include "installer/install_steps.h"
#include "installer/setup1.h"
#include "installer/setup_widgets.h"
#include "installer/svuninst.h"
#include "mainwindow/Help.h"
#include "platform/exedir.h"
#include "platform/files.h"
#include "platform/program_groups.h"
#include "platform/registry.h"
#include "platform/settings.h"
#include "tests/support/scripted_prompts.h"

namespace fs = std::filesystem;
using sv::Registry;
using sv::RegistryRoot;

namespace {

std::string readAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

void writeText(const std::string& path, const std::string& text) {
    fs::create_directories(fs::path(path).parent_path());
    std::ofstream(path, std::ios::binary) << text;
}

// Every folder and file below root: "dir", or the file's mode, size and a
// digest of its bytes (short enough to read when two trees differ).
std::map<std::string, std::string> snapshot(const std::string& root) {
    std::map<std::string, std::string> tree;
    for (const auto& e : fs::recursive_directory_iterator(root)) {
        const std::string rel = fs::relative(e.path(), root).string();
        if (e.is_directory()) {
            tree[rel] = "dir";
        } else {
            struct stat st {};
            ::stat(e.path().c_str(), &st);
            const std::string bytes = readAll(e.path().string());
            tree[rel] = std::to_string(st.st_mode & 07777) + ":" + std::to_string(bytes.size()) + ":" +
                        std::to_string(std::hash<std::string>{}(bytes));
        }
    }
    return tree;
}

// desktop-file-validate's verdict: "" when it has nothing to say.
std::string validate(const std::string& path) {
    std::string out;
    const std::string cmd = "desktop-file-validate '" + path + "' 2>&1";
    if (std::FILE* p = ::popen(cmd.c_str(), "r")) {
        std::array<char, 512> buf;
        while (size_t n = std::fread(buf.data(), 1, buf.size(), p)) out.append(buf.data(), n);
        const int rc = ::pclose(p);
        if (rc != 0 && out.empty()) out = "exit status " + std::to_string(rc);
    }
    return out;
}

class RoundTripTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(std::system("desktop-file-validate --help > /dev/null 2>&1"), 0)
            << "desktop-file-validate is missing: run scripts/setup-deps.sh";
        std::string tmpl = (fs::temp_directory_path() / "sonvela-home-XXXXXX").string();
        home_ = ::mkdtemp(tmpl.data());
        for (const char* name : {"HOME", "XDG_DATA_HOME", "XDG_CONFIG_HOME"}) {
            const char* v = std::getenv(name);
            saved_[name] = v ? std::optional<std::string>(v) : std::nullopt;
        }
        ::setenv("HOME", home_.c_str(), 1);
        ::setenv("XDG_DATA_HOME", (home_ + "/.local/share").c_str(), 1);
        ::setenv("XDG_CONFIG_HOME", (home_ + "/.config").c_str(), 1);
        sv::setRegistryFolder("");
        sv::setApplicationsFolder("");
        sv::setMimeAppsFile("");
        sv::setExeDir(SONVELA_INSTALLATION_DIR);

        // What the user had before: another player for WAVE files and CDs,
        // an old registry entry for ".wav", and sounds of their own.
        writeText(home_ + "/.config/mimeapps.list",
                  "[Added Associations]\naudio/mpeg=other-player.desktop;\n\n"
                  "[Default Applications]\naudio/x-wav=other-player.desktop\n");
        writeText(home_ + "/.local/share/applications/other-player.desktop",
                  "[Desktop Entry]\nType=Application\nName=Other\nExec=other %f\n");
        writeText(home_ + "/Music/song.wav", "RIFF");
        Registry reg(RegistryRoot::ClassesRoot);
        reg.openKey(".wav", true);
        reg.writeString("", "otherplayer.wav");
    }
    void TearDown() override {
        for (const auto& [name, value] : saved_) {
            if (value) ::setenv(name.c_str(), value->c_str(), 1);
            else ::unsetenv(name.c_str());
        }
        sv::setExeDir("");
        fs::remove_all(home_);
    }

    std::string target() const { return home_ + "/.local/opt/Sonvela/"; }

    // Into the offered folder unless another is typed.
    void install(const std::string& folder = {}) {
        sv::test::scripted().log.clear();
        TSetup1frm w({});
        EXPECT_EQ(w.edit1->text().toStdString(), target());   // the user's own programs folder
        if (!folder.empty()) w.edit1->setText(QString::fromStdString(folder));
        w.CheckBox1->setChecked(true);
        w.CheckBox2->setChecked(true);
        w.Button1Click();
        w.Button1Click();
        EXPECT_EQ(sv::test::scripted().messages(), std::vector<std::string>{"Sonvela setup has been successful!"});
        EXPECT_EQ(w.Label5->text(), "OK!");
    }

    std::string uninstall(bool removeSettings) {
        sv::test::scripted().log.clear();
        TUninstallfrm u;
        EXPECT_TRUE(u.installation.found);
        u.CheckBox1->setChecked(removeSettings);
        u.Button1Click();
        EXPECT_TRUE(u.Done);
        auto msgs = sv::test::scripted().messages();
        return msgs.empty() ? std::string() : msgs.back();
    }

    std::string home_;
    std::map<std::string, std::optional<std::string>> saved_;
};

TEST_F(RoundTripTest, InstallingTwiceThenUninstallingLeavesOnlyTheUsersFiles) {
    const auto before = snapshot(home_);
    install();

    // All nine files, byte for byte those of the installation folder.
    for (const auto& f : sv::install::installFiles())
        EXPECT_EQ(readAll(target() + f.name), readAll(std::string(SONVELA_INSTALLATION_DIR) + f.name)) << f.name;
    EXPECT_EQ(readAll(sv::install::uninstallerPath()), readAll(target() + "svuninst"));

    // Every desktop entry and the menu's directory entry pass the validator.
    int entries = 0;
    for (const auto& e : fs::recursive_directory_iterator(home_)) {
        const std::string ext = e.path().extension().string();
        if (ext != ".desktop" && ext != ".directory") continue;
        if (e.path().filename() == "other-player.desktop") continue;
        ++entries;
        EXPECT_EQ(validate(e.path().string()), "") << e.path();
    }
    EXPECT_EQ(entries, 6);   // .wav, CD, three menu items, the directory
    const std::string menu = readAll(home_ + "/.config/menus/applications-merged/sonvela.menu");
    for (const char* id : {"sonvela-sonvela.desktop", "sonvela-sonvela-help.desktop", "sonvela-readme-txt.desktop"})
        EXPECT_NE(menu.find(std::string("<Filename>") + id + "</Filename>"), std::string::npos) << menu;
    EXPECT_NE(menu.find("<Directory>sonvela.directory</Directory>"), std::string::npos);
    EXPECT_TRUE(fs::exists(home_ + "/.local/share/icons/hicolor/48x48/apps/sonvela.png"));
    EXPECT_TRUE(fs::exists(home_ + "/.local/share/icons/hicolor/scalable/apps/sonvela.svg"));
    EXPECT_EQ(sv::defaultApplication("audio/x-wav"), sv::kWavDesktopId);
    EXPECT_EQ(sv::defaultApplication(sv::kCdContentType), sv::kCdDesktopId);

    // A second installation keeps what the first found.
    install();
    EXPECT_EQ(sv::install::findInstallation().folders, std::vector<std::string>{target()});
    {
        Registry reg(RegistryRoot::ClassesRoot);
        ASSERT_TRUE(reg.openKey(".wav", false));
        EXPECT_EQ(reg.readString("BeforeSonvela"), "otherplayer.wav");
    }

    // The user makes files of their own in the installation folder.
    writeText(target() + "my sound.wav", "RIFF mine");
    writeText(target() + "filters/low.svf", "filter");

    const std::string report = uninstall(true);
    EXPECT_NE(report.find("Sonvela has been removed"), std::string::npos) << report;
    EXPECT_NE(report.find("my sound.wav"), std::string::npos) << report;
    EXPECT_NE(report.find("filters"), std::string::npos) << report;

    auto after = snapshot(home_);
    for (const char* mine : {".local/opt/Sonvela/my sound.wav", ".local/opt/Sonvela/filters/low.svf",
                             ".local/opt/Sonvela/filters", ".local/opt/Sonvela", ".local/opt"})
        EXPECT_EQ(after.erase(mine), 1u) << mine;
    EXPECT_EQ(after, before);
}

TEST_F(RoundTripTest, TheSettingsStayUnlessTheUserSaysOtherwiseAndEmptyFoldersGo) {
    const auto before = snapshot(home_);
    install();
    const std::string report = uninstall(false);
    EXPECT_NE(report.find("dadoruz.ini"), std::string::npos) << report;
    EXPECT_EQ(sv::IniFile(target() + "dadoruz.ini").ReadInteger("Options", "ViewAccessBar", -1), 1);

    // A second run of the uninstaller finds nothing installed.
    EXPECT_FALSE(sv::install::findInstallation().found);
    // Only the settings file stays, in the folders setup made for it.
    auto after = snapshot(home_);
    for (const char* kept : {".local/opt/Sonvela/dadoruz.ini", ".local/opt/Sonvela", ".local/opt"})
        EXPECT_EQ(after.erase(kept), 1u) << kept;
    EXPECT_EQ(after, before);
}

TEST_F(RoundTripTest, TheUninstallerRemovesTheFoldersSetupCreatedForTheInstallation) {
    const auto before = snapshot(home_);
    const std::string folder = home_ + "/Programs/Sonvela 2/";
    install(folder);
    EXPECT_TRUE(fs::exists(folder + "sonvela"));
    uninstall(true);
    EXPECT_EQ(snapshot(home_), before);
}

TEST_F(RoundTripTest, TheUninstallerRemovesEveryInstallationAndNamesTheirFolders) {
    const auto before = snapshot(home_);
    const std::string second = home_ + "/Programs/Sonvela 2/";
    install();
    install(second);
    EXPECT_EQ(sv::install::findInstallation().folders, (std::vector<std::string>{target(), second}));
    const std::string report = uninstall(true);
    EXPECT_NE(report.find("\n    " + target()), std::string::npos) << report;
    EXPECT_NE(report.find("\n    " + second), std::string::npos) << report;
    EXPECT_EQ(snapshot(home_), before);
}

// The user's desktop, menus, defaults and registry file stay as they were
// when the installation folder cannot take the files, whatever the reason;
// the message names the file of that folder that could not be written.
TEST_F(RoundTripTest, AnInstallationThatCannotBeWrittenChangesNothing) {
    const std::string locked = home_ + "/Programs/Locked/";
    writeText(locked + "notes.txt", "mine");
    // A folder where the help file must go: renaming a file over it fails,
    // also for the superuser.
    writeText(locked + "Help in the way/sonvela.hlp/page.txt", "mine");
    const auto before = snapshot(home_);
    struct Case {
        std::string folder, file, reason;
        bool refused;   // every file made below the folder is refused, as in a folder of another user
    };
    const std::string fresh = home_ + "/Programs/New/Sonvela/";   // made, and removed again
    const Case cases[] = {
        {locked, locked + "sonvela", std::strerror(EACCES), true},
        {locked + "Help in the way/", locked + "Help in the way/sonvela.hlp", std::strerror(EISDIR), false},
        {fresh, fresh + "sonvela", std::strerror(EACCES), true},
    };
    for (const Case& c : cases) {
        sv::test::scripted().log.clear();
        if (c.refused)
            sv::setCreateFaultHook([&](const std::string& p) { return p.rfind(c.folder, 0) == 0 ? EACCES : 0; });
        {
            TSetup1frm w({});
            w.CheckBox1->setChecked(true);
            w.CheckBox2->setChecked(true);
            w.edit1->setText(QString::fromStdString(c.folder));
            w.Button1Click();
            w.Button1Click();
            sv::setCreateFaultHook(nullptr);
            // One message and no closing one: the window stays open for
            // another folder.
            const auto msgs = sv::test::scripted().messages();
            ASSERT_EQ(msgs.size(), 1u) << c.folder;
            EXPECT_NE(msgs[0].find("Unable to write " + c.file + ": " + c.reason), std::string::npos) << msgs[0];
            EXPECT_TRUE(w.Failed);
        }
        EXPECT_EQ(snapshot(home_), before) << c.folder;
    }
}

// The menu's help item, run as the desktop runs its Exec line: the installed
// editor with the help switch, which shows its own help window alone.
TEST_F(RoundTripTest, TheHelpItemStartsTheEditorOnItsHelpContents) {
    install();
    const std::string entry = readAll(sv::applicationsFolder() + "sonvela/sonvela-help.desktop");
    const size_t at = entry.find("\nExec=");
    ASSERT_NE(at, std::string::npos) << entry;
    std::istringstream exec(entry.substr(at + 6, entry.find('\n', at + 1) - at - 6));
    std::vector<std::string> argv;
    for (std::string w; exec >> w;) argv.push_back(w);
    ASSERT_EQ(argv.size(), 2u) << entry;
    EXPECT_EQ(argv[0], target() + "sonvela");
    EXPECT_EQ(::access(argv[0].c_str(), X_OK), 0);
    ASSERT_TRUE(helpOnlyCommandLine({argv.begin() + 1, argv.end()}));

    sv::setExeDir(target());
    sv::test::scripted().log.clear();
    QPointer<THelpfrm> help = showHelpContents(nullptr, sv::exeDir());
    ASSERT_TRUE(help);
    EXPECT_TRUE(help->isVisible());
    EXPECT_EQ(help->parentWidget(), nullptr);
    EXPECT_EQ(help->currentPage(), sv::kHelpContentsPage);
    EXPECT_EQ(help->windowTitle(), "Sonvela Help");
    EXPECT_EQ(sv::test::scripted().messages(), std::vector<std::string>{});
    help->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(help);
}

} // namespace

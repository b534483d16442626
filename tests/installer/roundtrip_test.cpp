// Setup run from the installation folder the build makes, into a home of
// its own (HOME and the XDG folders pointed there), then the uninstaller.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QTimer>
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
#include <csignal>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "installer/install_steps.h"
#include "installer/setup1.h"
#include "installer/setup_widgets.h"
#include "installer/svuninst.h"
#include "installer/uninstall_steps.h"
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

// Every folder, link and file below root: "dir", "link:" and where it
// points, or the file's mode, size and a digest of its bytes (short enough
// to read when two trees differ).
std::map<std::string, std::string> snapshot(const std::string& root) {
    std::map<std::string, std::string> tree;
    for (const auto& e : fs::recursive_directory_iterator(root)) {
        const std::string rel = e.path().lexically_relative(root).string();
        if (e.is_symlink()) {
            tree[rel] = "link:" + fs::read_symlink(e.path()).string();
        } else if (e.is_directory()) {
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

// The uninstall entry, as a damaged one may read.
void editEntry(const std::function<void(Registry&)>& edit) {
    Registry reg(RegistryRoot::LocalMachine);
    ASSERT_TRUE(reg.openKey(sv::install::kUninstallKey, false));
    edit(reg);
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

    // Step 1 to the end with both boxes checked: the messages shown.
    std::vector<std::string> tryInstall(const std::string& folder) {
        sv::test::scripted().log.clear();
        TSetup1frm w({});
        w.edit1->setText(QString::fromStdString(folder));
        w.CheckBox1->setChecked(true);
        w.CheckBox2->setChecked(true);
        w.Button1Click();
        w.Button1Click();
        return sv::test::scripted().messages();
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

    // Installed again over the settings kept, and removed again.
    const auto kept = snapshot(home_);
    install();
    uninstall(false);
    EXPECT_EQ(snapshot(home_), kept);
}

TEST_F(RoundTripTest, TheUninstallerRemovesTheFoldersSetupCreatedForTheInstallation) {
    const auto before = snapshot(home_);
    const std::string folder = home_ + "/Programs/Sonvela 2/";
    install(folder);
    EXPECT_TRUE(fs::exists(folder + "sonvela"));
    // An entry of an earlier setup, which recorded no folder identities.
    editEntry([](Registry& reg) { reg.deleteValue(sv::install::kInstallFolderIdsValue); });
    uninstall(true);
    EXPECT_EQ(snapshot(home_), before);
}

// The second folder was the user's before: its program files go all the same.
TEST_F(RoundTripTest, TheUninstallerRemovesEveryInstallationAndNamesTheirFolders) {
    const std::string second = home_ + "/Programs/Sonvela 2/";
    writeText(second + "mine.txt", "mine");
    const auto before = snapshot(home_);
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

// A disk that fills while the editor is copied (here the file-size limit
// stops the write), into a new folder and over an earlier installation:
// every change is put back, the desktop's defaults and the registry too.
TEST_F(RoundTripTest, ACopyThatFailsPartwayLeavesTheHomeAsItWas) {
    sv::ignoreFileSizeSignal();
    for (bool earlier : {false, true}) {
        if (earlier) install();
        const auto before = snapshot(home_);
        rlimit old {};
        ::getrlimit(RLIMIT_FSIZE, &old);
        rlimit small = old;
        small.rlim_cur = 1 << 20;   // the editor is larger
        ::setrlimit(RLIMIT_FSIZE, &small);
        const auto msgs = tryInstall(target());
        ::setrlimit(RLIMIT_FSIZE, &old);
        ASSERT_EQ(msgs.size(), 1u) << earlier;
        EXPECT_EQ(msgs[0].rfind("Error while copying a file... " + target() + "sonvela: " + std::strerror(EFBIG), 0), 0u)
            << msgs[0];
        EXPECT_NE(msgs[0].find("Nothing has been installed"), std::string::npos) << msgs[0];
        EXPECT_EQ(snapshot(home_), before) << earlier;
    }
}

// The menu's help item runs the editor: a command line whose program is
// not there makes no item, never a document opener given that line.
TEST_F(RoundTripTest, TheHelpItemIsMadeOnlyForAnEditorInPlace) {
    sv::ProgramManager pm;
    ASSERT_TRUE(pm.execute(sv::install::createGroupMacro("Sonvela")));
    const std::string missing = home_ + "/Programs/Sonvela/";
    EXPECT_FALSE(pm.execute(sv::install::addItemMacro(sv::install::menuItemCommand(missing, "sonvela.hlp"), "Sonvela Help")));
    EXPECT_FALSE(fs::exists(pm.groupFolder() + "sonvela-help.desktop"));
}

namespace {

// An Exec value split as the desktop does it: the string escapes of the
// file, then the quoting of the Exec key, then "%%".
std::vector<std::string> execArguments(std::string value) {
    std::string v;
    for (size_t i = 0; i < value.size(); ++i) {
        if (value[i] != '\\') { v += value[i]; continue; }
        const char n = value[++i];
        v += n == 's' ? ' ' : n == 'n' ? '\n' : n == 't' ? '\t' : n == 'r' ? '\r' : n;
    }
    std::vector<std::string> args;
    std::string cur;
    bool quoted = false, any = false;
    for (size_t i = 0; i < v.size(); ++i) {
        const char c = v[i];
        if (quoted && c == '\\') cur += v[++i];
        else if (c == '"') quoted = !quoted, any = true;
        else if (c == ' ' && !quoted) { if (any) args.push_back(cur); cur.clear(); any = false; }
        else if (c == '%' && i + 1 < v.size() && v[i + 1] == '%') cur += v[i++], any = true;
        else cur += c, any = true;
    }
    if (any) args.push_back(cur);
    return args;
}

} // namespace

// A folder name with a quote, a backslash, a backquote, a dollar and a
// percent sign: every entry still runs what it names. A line break cannot
// be written in an entry: such a folder is refused before anything is done.
TEST_F(RoundTripTest, EveryMenuEntryRunsWhatItNamesWhateverTheFolderName) {
    const std::string folder = home_ + "/My \"best\" apps $HOME 100% a\\b `x`/";
    install(folder);
    int entries = 0;
    for (const auto& e : fs::recursive_directory_iterator(home_ + "/.local/share/applications")) {
        if (e.path().extension() != ".desktop" || e.path().filename() == "other-player.desktop") continue;
        const std::string text = readAll(e.path().string());
        EXPECT_EQ(validate(e.path().string()), "") << e.path();
        for (size_t at = text.find("\nExec="); at != std::string::npos; at = text.find("\nExec=", at + 1)) {
            ++entries;
            const std::vector<std::string> args = execArguments(text.substr(at + 6, text.find('\n', at + 1) - at - 6));
            ASSERT_FALSE(args.empty()) << text;
            // The program, or the document that xdg-open is given (a
            // program whose path holds '%' is run through env).
            const std::string named = args[0] == "xdg-open" || args[0] == "env" ? args.at(1) : args[0];
            EXPECT_EQ(named.rfind(folder, 0), 0u) << text;
            EXPECT_TRUE(fs::exists(named)) << named << "\n" << text;
        }
    }
    EXPECT_EQ(entries, 6);   // the editor's two, the CD player's, the three menu items
    uninstall(true);

    const auto before = snapshot(home_);
    const auto msgs = tryInstall(home_ + "/Two\nlines/");
    ASSERT_EQ(msgs.size(), 1u);
    EXPECT_NE(msgs[0].find("cannot be installed into"), std::string::npos) << msgs[0];
    EXPECT_EQ(snapshot(home_), before);
}

// A folder that cannot be made is reported by the first level that failed,
// with its own reason: a file in the way (also for the superuser), and a
// folder of another user (only checked when not running as the superuser).
TEST_F(RoundTripTest, AFolderThatCannotBeMadeIsReportedByItsFirstFailingLevel) {
    writeText(home_ + "/plain file", "mine");
    fs::create_directories(home_ + "/Locked");
    ::chmod((home_ + "/Locked").c_str(), 0555);
    const auto before = snapshot(home_);
    struct Case {
        std::string level;   // the first that cannot be made
        int error;
    };
    std::vector<Case> cases = {{home_ + "/plain file", ENOTDIR}};
    if (::geteuid() != 0) cases.push_back({home_ + "/Locked/sub", EACCES});
    for (const Case& c : cases) {
        const std::string folder = c.level + "/sub/Sonvela/";
        const auto msgs = tryInstall(folder);
        ASSERT_EQ(msgs.size(), 1u);
        EXPECT_EQ(msgs[0].rfind("Unable to create the folder " + c.level + "/ (for " + folder + "): " +
                                    std::strerror(c.error), 0),
                  0u)
            << msgs[0];
        EXPECT_EQ(snapshot(home_), before);
    }
    ::chmod((home_ + "/Locked").c_str(), 0755);
}

// The editor, started from the installation, is running when the user
// asks for the removal: the uninstaller says so and waits until it is
// closed, and what the editor writes as it closes goes with the rest.
TEST_F(RoundTripTest, TheUninstallerWaitsForTheRunningEditor) {
    const auto before = snapshot(home_);
    install();
    const std::string editor = target() + "sonvela";
    pid_t pid = 0;
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e) env.push_back(*e);
    env.push_back("SONVELA_AUDIO=virtual");
    std::vector<char*> envp;
    for (std::string& e : env) envp.push_back(e.data());
    envp.push_back(nullptr);
    char* argv[] = {const_cast<char*>(editor.c_str()), nullptr};
    ASSERT_EQ(::posix_spawn(&pid, editor.c_str(), nullptr, nullptr, argv, envp.data()), 0);

    TUninstallfrm u;
    std::string waitText;
    QTimer::singleShot(0, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) waitText = box->text().toStdString();
        ::kill(pid, SIGTERM);   // as a log-out closes it: it writes its settings
    });
    u.CheckBox1->setChecked(true);
    u.Button1Click();
    ::kill(pid, SIGKILL);
    ::waitpid(pid, nullptr, 0);
    EXPECT_NE(waitText.find("Sonvela is running"), std::string::npos) << waitText;
    EXPECT_TRUE(u.Done);
    EXPECT_EQ(snapshot(home_), before);
}

// The record's line of an installed file, with another path.
std::string recordLine(const std::string& installed, const std::string& path) {
    std::string line;
    editEntry([&](Registry& reg) {
        for (const std::string& l : sv::install::splitLines(reg.readString(sv::install::kInstalledFilesValue))) {
            sv::install::InstalledFile f;
            if (sv::install::parseInstalledFile(l, f) && f.path == installed) {
                f.path = path;
                line = sv::install::formatInstalledFile(f) + "\n";
            }
        }
    });
    EXPECT_FALSE(line.empty()) << installed;
    return line;
}

// An uninstall entry that names the user's folders and files: a copy of a
// program file in a folder it never names elsewhere, a folder of the user's
// as an installation folder (also as one setup created: the home, a link,
// a path through ".."), a relative folder, and an installation folder
// replaced by a link to the user's. Only what setup installed goes;
// everything else the record names is named in the report and stays.
TEST_F(RoundTripTest, TheUninstallerRemovesOnlyRecordedFilesInTheFoldersSetupCreated) {
    const std::string shipped = SONVELA_INSTALLATION_DIR;
    writeText(home_ + "/music2/sample1.wav", readAll(shipped + "sample1.wav"));   // the user's copies
    writeText(home_ + "/music/readme.txt", readAll(shipped + "readme.txt"));
    writeText(home_ + "/music/dadoruz.ini", "[Options]\n");
    writeText(home_ + "/sample2.wav", readAll(shipped + "sample2.wav"));
    writeText(home_ + "/Music/sample1.wav", "my own sound");
    writeText(home_ + "/relative/sonvela", "my own program");
    fs::create_directory_symlink(home_ + "/music", home_ + "/link");
    const auto before = snapshot(home_);
    const std::string second = home_ + "/Programs/Sonvela 2/";
    install(second);
    fs::remove_all(second);
    fs::create_directory_symlink(home_ + "/music", home_ + "/Programs/Sonvela 2");
    install();
    const std::string music = home_ + "/music/", link = home_ + "/link/", up = target() + "../../../music2/";
    std::string lines = recordLine(target() + "sample1.wav", home_ + "/music2/sample1.wav") +
                        recordLine(target() + "readme.txt", music + "readme.txt") +
                        recordLine(target() + "readme.txt", link + "readme.txt") +
                        recordLine(target() + "sample2.wav", home_ + "/sample2.wav") +
                        recordLine(target() + "sample1.wav", up + "sample1.wav") +
                        recordLine(target() + "sample1.wav", home_ + "/Music/sample1.wav");
    editEntry([&](Registry& reg) {
        const std::string folders = music + "\n" + link + "\n" + home_ + "/\n" + up + "\nrelative/\n";
        reg.writeString("InstallLocations", reg.readString("InstallLocations") + folders);
        reg.writeString("CreatedFolders", reg.readString("CreatedFolders") + folders);
        reg.writeString(sv::install::kInstalledFilesValue, reg.readString(sv::install::kInstalledFilesValue) + lines);
    });
    writeText(target() + "readme.txt", "my notes");   // changed since
    const std::string cwd = fs::current_path();
    fs::current_path(home_);
    {
        TUninstallfrm u;   // the window names the folders it keeps whole
        EXPECT_EQ(u.installation.programFolders, std::vector<std::string>{target()});
        const std::string text = u.Label1->text().toStdString();
        EXPECT_NE(text.find("The program files are in:\n    " + target() + "\n\nYour own sounds"), std::string::npos) << text;
        EXPECT_NE(text.find("Setup did not install Sonvela into these folders, so every file in them is kept:\n    " + second +
                            "\n    " + music +
                            "\n    " + link + "\n    " + home_ + "/"),
                  std::string::npos)
            << text;
    }
    const std::string report = uninstall(true);
    fs::current_path(cwd);
    EXPECT_EQ(report.rfind("Sonvela has been removed from this computer: ", 0), 0u) << report;
    EXPECT_NE(report.find("changed since Setup installed them.\n    " + target() + "readme.txt"), std::string::npos)
        << report;
    EXPECT_NE(report.find("not in a folder that Setup installed Sonvela into, so they may be your own.\n    " + second +
                          "readme.txt\n"),
              std::string::npos)
        << report;
    EXPECT_NE(report.find("\n    " + home_ +
                          "/music2/sample1.wav\n    " + music + "readme.txt\n    " + link + "readme.txt\n    " +
                          home_ + "/sample2.wav\n    " + up + "sample1.wav\n    " + home_ + "/Music/sample1.wav\n"),
              std::string::npos)
        << report;
    EXPECT_NE(report.find("you asked to remove them: no program file was removed from their folder, and a settings "
                          "file cannot be told from one of yours by its name alone.\n    " + second + "dadoruz.ini\n    " + music +
                          "dadoruz.ini"),
              std::string::npos)
        << report;
    EXPECT_FALSE(sv::install::findInstallation().found);
    auto after = snapshot(home_);
    for (const char* mine : {".local/opt/Sonvela/readme.txt", ".local/opt/Sonvela", ".local/opt", "Programs",
                             "Programs/Sonvela 2"})
        EXPECT_EQ(after.erase(mine), 1u) << mine;
    EXPECT_EQ(after, before);
}

// A record whose lines have lost their checksums, and an earlier setup's
// entry without a record: every program file stays, and so do the
// settings, each named with the reason. The entry and the uninstaller stay
// until the files are gone or recorded afresh by setup.
TEST_F(RoundTripTest, AnUnreadableRecordKeepsTheProgramFilesAndSaysWhy) {
    const auto before = snapshot(home_);
    for (bool damaged : {true, false}) {
        install();
        editEntry([&](Registry& reg) {
            if (!damaged) {
                reg.deleteValue(sv::install::kInstalledFilesValue);
                return;
            }
            std::string lines;
            for (const std::string& l : sv::install::splitLines(reg.readString(sv::install::kInstalledFilesValue)))
                lines += l.substr(65) + "\n";   // "<size> <path>"
            reg.writeString(sv::install::kInstalledFilesValue, lines);
        });
        const auto installed = snapshot(home_);
        const std::string report = uninstall(true);
        EXPECT_EQ(report.rfind("Sonvela's menu, its icon and its associations have been removed from this computer, "
                               "but none of its files. Its program files are still there",
                               0),
                  0u)
            << report;
        std::string files;
        for (const auto& f : sv::install::installFiles()) files += "\n    " + target() + f.name;
        const std::string why = damaged ? "the record that Setup kept of them is damaged (lines without a size or checksum)"
                                        : "this installation kept no record of them";
        EXPECT_NE(report.find("These program files were left in place: " + why +
                              ", so they cannot be told from your own files." + files + "\n"),
                  std::string::npos)
            << report;
        EXPECT_NE(report.find("Your settings were kept, though you asked to remove them: no program file was removed "
                              "from their folder, and a settings file cannot be told from one of yours by its name "
                              "alone.\n    " + target() + "dadoruz.ini"),
                  std::string::npos)
            << report;
        EXPECT_NE(report.find("Sonvela stays in the list of installed programs, so that the removal can be finished: "
                              "remove the program files above yourself, or install Sonvela into their folder again "
                              "(Setup then records them afresh), then run its uninstaller again:\n    " +
                              sv::install::uninstallerPath()),
                  std::string::npos)
            << report;
        EXPECT_EQ(report.find("removed from:"), std::string::npos) << report;
        const auto after = snapshot(home_);
        std::vector<std::string> kept = {".local/opt/Sonvela/dadoruz.ini", ".local/share/sonvela/svuninst"};
        for (const auto& f : sv::install::installFiles()) kept.push_back(std::string(".local/opt/Sonvela/") + f.name);
        for (const std::string& name : kept) EXPECT_EQ(after.at(name), installed.at(name)) << name;
        EXPECT_TRUE(sv::install::findInstallation().found);
        // Setup, run again into the folder, records the files afresh.
        install();
        const std::string last = uninstall(true);
        EXPECT_EQ(last.rfind("Sonvela has been removed from this computer: 11 files", 0), 0u) << last;
        EXPECT_EQ(snapshot(home_), before) << damaged;
    }
}

} // namespace

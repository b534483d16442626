#include <gtest/gtest.h>

#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/paths.h"
#include "platform/settings.h"
#include "tests/support/scripted_prompts.h"

using namespace sv;

namespace {
std::string slurp(const std::string& p) {
    std::ifstream in(p, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}
} // namespace

TEST(Settings, MissingFileGivesDefaults) {
    test::TempExeDir dir;
    IniFile ini = Settings();
    EXPECT_EQ(ini.ReadInteger("Options", "UndoLevels", 10), 10);
    EXPECT_EQ(ini.ReadString("Configuration", "abrir1", ""), "");
    EXPECT_FALSE(fileExists(ini.path()));
}

TEST(Settings, WriteCreatesSectionAndReadsBackWithoutCase) {
    test::TempExeDir dir;
    // A user's file named as an earlier version named the temporaries.
    const std::string lookAlike = dir.file("dadoruz.ini.part999999999");
    { std::ofstream(lookAlike) << "x"; }
    IniFile ini = Settings();
    ini.WriteInteger("Options", "UndoLevels", 5);
    EXPECT_EQ(slurp(lookAlike), "x");
    ini.WriteString("Configuration", "abrir1", "/home/a b/x.wav");
    EXPECT_EQ(IniFile(dir.file("dadoruz.ini")).ReadInteger("OPTIONS", "undolevels", 10), 5);
    EXPECT_EQ(ini.ReadString("configuration", "ABRIR1", ""), "/home/a b/x.wav");
    ini.WriteInteger("options", "UNDOLEVELS", 7);
    EXPECT_EQ(ini.ReadInteger("Options", "UndoLevels", 10), 7);
    // The key was replaced, not added a second time.
    std::string text = slurp(ini.path());
    EXPECT_EQ(text.find("UndoLevels=5"), std::string::npos);
    EXPECT_EQ(text.find("UNDOLEVELS=7") == std::string::npos, false);
}

TEST(Settings, InvalidIntegersGiveDefaultAndHexIsRead) {
    test::TempExeDir dir;
    {
        std::ofstream out(dir.file("dadoruz.ini"));
        out << "[Options]\nUndoLevels=abc\nConfirmExit= 0 \n[Colors]\nona=0x00FF00\nfons=12x\nbig=99999999999\n";
    }
    IniFile ini = Settings();
    EXPECT_EQ(ini.ReadInteger("Options", "UndoLevels", 10), 10);
    EXPECT_EQ(ini.ReadInteger("Options", "ConfirmExit", 1), 0);
    EXPECT_EQ(ini.ReadInteger("Colors", "ona", 0), 0x00FF00);
    EXPECT_EQ(ini.ReadInteger("Colors", "fons", 3), 3);
    EXPECT_EQ(ini.ReadInteger("Colors", "big", 4), 4);
}

// A hand-edited yes/no value keeps the meaning the program always gave it:
// the option keys say yes for any number but 0, the view keys only for 1.
TEST(Settings, YesNoKeysKeepTheirOwnReading) {
    test::TempExeDir dir;
    {
        std::ofstream out(dir.file("dadoruz.ini"));
        out << "[Options]\nDisableUndo=2\nConfirmExit=0\nDoScroll=yes\nViewVumeters=2\nViewImage=1\n"
               "[Configuration]\nViewGrid=-1\n";
    }
    IniFile ini = Settings();
    EXPECT_TRUE(ini.ReadYesNo(kDisableUndo));
    EXPECT_FALSE(ini.ReadYesNo(kConfirmExit));
    EXPECT_TRUE(ini.ReadYesNo(kDoScroll));   // not a number: the default
    EXPECT_FALSE(ini.ReadYesNo(kPlayFromCursorPosition));   // missing: the default
    EXPECT_FALSE(ini.ReadYesNo(kViewVumeters));
    EXPECT_TRUE(ini.ReadYesNo(kViewImage));
    EXPECT_FALSE(ini.ReadYesNo(kViewGrid));
    EXPECT_TRUE(ini.ReadYesNo(kViewAccessBar));
}

TEST(Settings, OtherLinesAndSectionsSurviveAWrite) {
    test::TempExeDir dir;
    {
        std::ofstream out(dir.file("dadoruz.ini"));
        out << "; a comment\n[Mine]\nfoo=bar\n\n[Options]\nA=1\n\n[Fade]\nFadeIn=40\n";
    }
    IniFile ini = Settings();
    ini.WriteInteger("Options", "B", 2);
    ini.WriteInteger("Colors", "grid", 5);
    EXPECT_EQ(ini.ReadString("Mine", "foo", ""), "bar");
    EXPECT_EQ(ini.ReadInteger("Options", "A", 0), 1);
    EXPECT_EQ(ini.ReadInteger("Options", "B", 0), 2);
    EXPECT_EQ(ini.ReadInteger("Fade", "FadeIn", 0), 40);
    EXPECT_EQ(ini.ReadInteger("Colors", "grid", 0), 5);
    std::string text = slurp(ini.path());
    EXPECT_NE(text.find("; a comment"), std::string::npos);
    // The new key went into its own section, before [Fade].
    EXPECT_LT(text.find("B=2"), text.find("[Fade]"));
}

namespace {

// In a child process: fills the disk under the program's folder (a small
// tmpfs of the child's own, or where that cannot be mounted, a file-size
// limit just above the settings file, when there is one) and changes two
// settings. Returns what went wrong, "" for nothing.
std::string changeSettingsOnAFullDisk(const std::string& folder, bool withFile) {
    const bool mounted = ::unshare(CLONE_NEWNS) == 0 &&
                         ::mount("none", "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0 &&
                         ::mount("tmpfs", folder.c_str(), "tmpfs", 0, "size=16k") == 0;
    IniFile ini = Settings();
    if (withFile) {
        ini.WriteInteger("Options", "UndoLevels", 5);
        ini.WriteString("Configuration", "abrir1", "/music/a.wav");
    }
    const std::string before = slurp(ini.path());
    if (mounted) {
        const int fd = ::open((folder + "filler").c_str(), O_WRONLY | O_CREAT, 0600);
        const std::string page(4096, 'f');
        while (::write(fd, page.data(), page.size()) > 0) {
        }
        ::close(fd);
    } else {
        const rlimit limit{before.size(), before.size()};
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ini.WriteInteger("Options", "UndoLevels", 70);
    ini.WriteString("Configuration", "abrir2", "/music/b.wav");
    if (slurp(ini.path()) != before) return "the settings file changed: [" + slurp(ini.path()) + "]";
    if (test::scripted().messages().size() != 1) return std::to_string(test::scripted().messages().size()) + " messages";
    // Only a file that was there keeps settings.
    const std::string told = test::scripted().messages()[0];
    const char* meant = withFile ? "The file keeps the settings it had." : "The settings of this run could not be stored";
    if (told.find(meant) == std::string::npos) return "told: " + told;
    for (const auto& e : std::filesystem::directory_iterator(folder))
        if (e.path().filename() != "dadoruz.ini" && e.path().filename() != "filler") return "left " + e.path().string();
    return std::string();
}

} // namespace

TEST(Settings, AFullDiskKeepsTheFileAndIsToldOnce) {
    for (const bool withFile : {true, false}) {
        test::TempExeDir dir;
        int out[2];
        ASSERT_EQ(::pipe(out), 0);
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            const std::string r = changeSettingsOnAFullDisk(dir.path(), withFile) + ".";
            (void)!::write(out[1], r.data(), r.size());
            ::_exit(0);
        }
        ::close(out[1]);
        std::string result;
        char buf[256];
        for (ssize_t n; (n = ::read(out[0], buf, sizeof buf)) > 0;) result.append(buf, size_t(n));
        ::close(out[0]);
        ::waitpid(child, nullptr, 0);
        EXPECT_EQ(result, ".") << (withFile ? "with a settings file" : "without one");
    }
}

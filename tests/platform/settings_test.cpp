#include <gtest/gtest.h>

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
    IniFile ini = Settings();
    ini.WriteInteger("Options", "UndoLevels", 5);
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

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/stat.h>

#include "platform/program_groups.h"

namespace fs = std::filesystem;

namespace {

std::string readAll(const std::string& path) {
    std::ifstream in(path);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

class DesktopEntriesTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string tmpl = (fs::temp_directory_path() / "sonvela-apps-XXXXXX").string();
        dir_ = ::mkdtemp(tmpl.data());
        sv::setApplicationsFolder(dir_ + "/applications");
        sv::setMimeAppsFile(dir_ + "/config/mimeapps.list");
    }
    void TearDown() override {
        sv::setApplicationsFolder("");
        sv::setMimeAppsFile("");
        fs::remove_all(dir_);
    }
    std::string dir_;
};

TEST(DesktopExecArgument, QuotesOnlyWhatNeedsItAndNeverLeavesAFieldCode) {
    EXPECT_EQ(sv::desktopExecArgument("/opt/sonvela/sonvela"), "/opt/sonvela/sonvela");
    EXPECT_EQ(sv::desktopExecArgument("/my apps/sonvela"), "\"/my apps/sonvela\"");
    EXPECT_EQ(sv::desktopExecArgument("/a$b/\"c\"/d\\e`"), "\"/a\\$b/\\\"c\\\"/d\\\\e\\`\"");
    EXPECT_EQ(sv::desktopExecArgument("/100%/x"), "/100%%/x");
    EXPECT_EQ(sv::desktopExecArgument(""), "\"\"");
}

TEST_F(DesktopEntriesTest, AnEntryEscapesItsStringValuesAndListsItsActions) {
    fs::create_directories(sv::applicationsFolder());
    sv::DesktopEntry e;
    e.name = "Sonvela";
    e.exec = sv::desktopExecArgument("/x\\y/sonvela") + " %f";
    e.mimeTypes = "audio/x-wav;";
    e.noDisplay = true;
    e.actions.push_back({"Play", "Play audio", "/opt/sonvela -PLAY %f"});
    const std::string path = sv::applicationsFolder() + "sonvela.desktop";
    ASSERT_TRUE(sv::writeDesktopEntry(path, e));
    const std::string t = readAll(path);
    EXPECT_EQ(t.rfind("[Desktop Entry]\nType=Application\n", 0), 0u) << t;
    // The quoting backslash is itself escaped once more as a string value.
    EXPECT_NE(t.find("Exec=\"/x\\\\\\\\y/sonvela\" %f\n"), std::string::npos) << t;
    EXPECT_NE(t.find("MimeType=audio/x-wav;\n"), std::string::npos);
    EXPECT_NE(t.find("NoDisplay=true\n"), std::string::npos);
    EXPECT_NE(t.find("Actions=Play;\n\n[Desktop Action Play]\nName=Play audio\nExec=/opt/sonvela -PLAY %f\n"),
              std::string::npos) << t;
}

TEST_F(DesktopEntriesTest, TheDefaultApplicationLineIsReplacedOrAddedAndOtherLinesKept) {
    EXPECT_EQ(sv::defaultApplication("audio/x-wav"), "");
    ASSERT_TRUE(sv::setDefaultApplication("audio/x-wav", "sonvela.desktop"));   // folder made too
    EXPECT_EQ(sv::defaultApplication("audio/x-wav"), "sonvela.desktop");

    {
        std::ofstream out(sv::mimeAppsFile());
        out << "[Added Associations]\naudio/x-wav=other.desktop;\n\n[Default Applications]\n"
               "text/plain=editor.desktop\naudio/x-wav=other.desktop\n\n[Removed Associations]\nimage/png=x.desktop\n";
    }
    ASSERT_TRUE(sv::setDefaultApplication("audio/x-wav", "sonvela.desktop"));
    ASSERT_TRUE(sv::setDefaultApplication("audio/mpeg", "sonvela.desktop"));
    EXPECT_EQ(readAll(sv::mimeAppsFile()),
              "[Added Associations]\naudio/x-wav=other.desktop;\n\n[Default Applications]\n"
              "text/plain=editor.desktop\naudio/x-wav=sonvela.desktop\naudio/mpeg=sonvela.desktop\n\n"
              "[Removed Associations]\nimage/png=x.desktop\n");
    EXPECT_EQ(sv::defaultApplication("text/plain"), "editor.desktop");

    // Unsetting takes back only what is ours.
    ASSERT_TRUE(sv::unsetWavDesktopAssociation());
    EXPECT_EQ(sv::defaultApplication("audio/x-wav"), "");
    EXPECT_EQ(sv::defaultApplication("audio/mpeg"), "sonvela.desktop");
    ASSERT_TRUE(sv::setDefaultApplication("audio/x-wav", "other.desktop"));
    ASSERT_TRUE(sv::unsetWavDesktopAssociation());
    EXPECT_EQ(sv::defaultApplication("audio/x-wav"), "other.desktop");
}

TEST_F(DesktopEntriesTest, MacrosMakeAGroupFolderWithOneEntryAnItem) {
    const std::string program = dir_ + "/inst (1)/sonvela";
    fs::create_directories(dir_ + "/inst (1)");
    std::ofstream(program) << "#!/bin/sh\n";
    ::chmod(program.c_str(), 0755);
    std::ofstream(dir_ + "/inst (1)/readme.txt") << "hello";

    sv::ProgramManager pm;
    EXPECT_FALSE(pm.execute("[AddItem(" + program + ",Sonvela)]\r\n"));   // no group yet
    ASSERT_TRUE(pm.execute("[CreateGroup(Sonvela)]\r\n"));
    EXPECT_EQ(pm.groupFolder(), sv::applicationsFolder() + "sonvela/");
    ASSERT_TRUE(pm.execute("[AddItem(\"" + program + "\",Sonvela)]\r\n"
                           "[AddItem(\"" + dir_ + "/inst (1)/readme.txt\",readme.txt)]\r\n"
                           "[AddItem(\"" + program + " -HELP\",Sonvela Help)]\r\n"));

    const std::string item = readAll(pm.groupFolder() + "sonvela.desktop");
    EXPECT_NE(item.find("Name=Sonvela\n"), std::string::npos);
    EXPECT_NE(item.find("Exec=\"" + program + "\"\n"), std::string::npos) << item;
    const std::string doc = readAll(pm.groupFolder() + "readme-txt.desktop");
    EXPECT_NE(doc.find("Exec=xdg-open \"" + dir_ + "/inst (1)/readme.txt\"\n"), std::string::npos) << doc;
    // A program with an argument, in a folder whose name has a blank.
    const std::string help = readAll(pm.groupFolder() + "sonvela-help.desktop");
    EXPECT_NE(help.find("Exec=\"" + program + "\" -HELP\n"), std::string::npos) << help;

    // The submenu names both entries and shows the group's directory entry.
    const std::string menu = readAll(sv::ProgramManager::menuFileFor("Sonvela"));
    EXPECT_NE(menu.find("<Name>Sonvela</Name>"), std::string::npos) << menu;
    EXPECT_NE(menu.find("<Directory>sonvela.directory</Directory>"), std::string::npos) << menu;
    EXPECT_NE(menu.find("<Filename>sonvela-sonvela.desktop</Filename>"), std::string::npos) << menu;
    EXPECT_NE(menu.find("<Filename>sonvela-readme-txt.desktop</Filename>"), std::string::npos) << menu;
    EXPECT_NE(readAll(sv::ProgramManager::directoryFileFor("Sonvela")).find("Type=Directory\n"), std::string::npos);
    EXPECT_NE(item.find("Categories=Utility;\n"), std::string::npos) << item;

    // Deleting the group takes the submenu with it; a second time fails.
    ASSERT_TRUE(pm.execute("[DeleteGroup(Sonvela)]\r\n"));
    EXPECT_FALSE(fs::exists(sv::applicationsFolder() + "sonvela"));
    EXPECT_FALSE(fs::exists(sv::ProgramManager::menuFileFor("Sonvela")));
    EXPECT_FALSE(fs::exists(sv::ProgramManager::directoryFileFor("Sonvela")));
    EXPECT_FALSE(pm.execute("[DeleteGroup(Sonvela)]\r\n"));
    EXPECT_FALSE(pm.execute("[ShowGroup(Sonvela)]\r\n"));
    EXPECT_FALSE(pm.execute("[CreateGroup(Sonvela)"));
    EXPECT_FALSE(pm.execute("CreateGroup(Sonvela)"));
    EXPECT_FALSE(pm.execute(""));
    EXPECT_EQ(sv::ProgramManager::fileNameFor("Sonvela Help"), "sonvela-help");
    EXPECT_EQ(sv::ProgramManager::fileNameFor("***"), "item");
}

} // namespace

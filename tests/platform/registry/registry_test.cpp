#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/registry.h"

namespace fs = std::filesystem;
using sv::Registry;
using sv::RegistryRoot;

namespace {

class RegistryTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string tmpl = (fs::temp_directory_path() / "sonvela-reg-XXXXXX").string();
        dir_ = ::mkdtemp(tmpl.data());
        sv::setRegistryFolder(dir_ + "/config/sonvela");
    }
    void TearDown() override {
        sv::setRegistryFolder("");
        fs::remove_all(dir_);
    }
    std::string fileText() const {
        std::ifstream in(sv::registryFile());
        std::stringstream ss;
        ss << in.rdbuf();
        return ss.str();
    }
    std::string dir_;
};

TEST_F(RegistryTest, KeysAndValuesMatchWithoutRegardToCaseAndKeepTheirSpelling) {
    Registry reg(RegistryRoot::ClassesRoot);
    ASSERT_TRUE(reg.openKey("WavFile\\Shell\\Open", true));
    reg.writeString("", "default");
    reg.writeString("Name", "first");
    reg.writeString("NAME", "second");    // the same value
    reg.closeKey();

    EXPECT_TRUE(reg.keyExists("wavfile\\shell\\open"));
    EXPECT_TRUE(reg.keyExists("WAVFILE"));
    ASSERT_TRUE(reg.openKey("wavfile\\SHELL\\open", false));
    EXPECT_EQ(reg.openKeyPath(), "WavFile\\Shell\\Open");
    EXPECT_EQ(reg.readString(""), "default");
    EXPECT_EQ(reg.readString("name"), "second");
    EXPECT_EQ(reg.valueNames(), (std::vector<std::string>{"", "Name"}));

    // Another root is another tree.
    Registry machine(RegistryRoot::LocalMachine);
    EXPECT_FALSE(machine.keyExists("WavFile"));

    // The file is text a person can read.
    const std::string text = fileText();
    EXPECT_NE(text.find("[HKEY_CLASSES_ROOT\\WavFile\\Shell\\Open]\n@=\"default\"\n\"Name\"=\"second\"\n"),
              std::string::npos) << text;
}

TEST_F(RegistryTest, PathsAreRelativeToTheOpenKeyAndAMissingKeyLeavesItOpen) {
    Registry reg(RegistryRoot::ClassesRoot);
    ASSERT_TRUE(reg.openKey("AudioCD", true));
    ASSERT_TRUE(reg.openKey("shell", true));
    EXPECT_EQ(reg.openKeyPath(), "AudioCD\\shell");
    EXPECT_FALSE(reg.openKey("missing", false));
    EXPECT_EQ(reg.openKeyPath(), "AudioCD\\shell");
    EXPECT_FALSE(reg.keyExists("\\missing"));
    ASSERT_TRUE(reg.openKey("\\AudioCD", false));   // from the root
    EXPECT_EQ(reg.openKeyPath(), "AudioCD");
    EXPECT_EQ(reg.subKeyNames(), std::vector<std::string>{"shell"});
    EXPECT_FALSE(reg.valueExists(""));
    EXPECT_EQ(reg.readString("absent"), "");
}

TEST_F(RegistryTest, DeletingAKeyTakesItsSubkeysButNotItsNeighbours) {
    Registry reg(RegistryRoot::ClassesRoot);
    reg.openKey("wavfile\\shell\\Play audio\\command", true);
    reg.writeString("", "x");
    reg.openKey("\\wavfile\\shell\\open\\command", true);
    reg.writeString("", "y");
    reg.openKey("\\wavfile\\shell2", true);
    reg.closeKey();

    EXPECT_TRUE(reg.openKey("wavfile\\shell", false));
    EXPECT_TRUE(reg.deleteKey("play AUDIO"));
    EXPECT_FALSE(reg.keyExists("Play audio\\command"));
    EXPECT_TRUE(reg.keyExists("open\\command"));
    EXPECT_FALSE(reg.deleteKey("Play audio"));

    EXPECT_TRUE(reg.deleteKey("\\wavfile\\shell"));
    EXPECT_FALSE(reg.hasOpenKey());   // it went with its parent
    EXPECT_FALSE(reg.keyExists("wavfile\\shell"));
    EXPECT_TRUE(reg.keyExists("wavfile\\shell2"));

    reg.openKey("wavfile", false);
    reg.writeString("v", "1");
    EXPECT_TRUE(reg.deleteValue("V"));
    EXPECT_FALSE(reg.valueExists("v"));
    EXPECT_FALSE(reg.deleteValue("v"));
}

TEST_F(RegistryTest, ValuesSurviveQuotesBackslashesAndLineBreaksAndEveryObjectSeesEveryChange) {
    const std::string awkward = "C:\\a \"b\"]\n=\\";
    Registry writer(RegistryRoot::CurrentUser);
    writer.openKey("Software\\[odd] key", true);
    writer.writeString("we\"ird=name", awkward);

    Registry reader(RegistryRoot::CurrentUser);
    ASSERT_TRUE(reader.openKey("software\\[ODD] KEY", false));
    EXPECT_EQ(reader.readString("we\"ird=name"), awkward);
    writer.writeString("we\"ird=name", "changed");
    EXPECT_EQ(reader.readString("WE\"IRD=NAME"), "changed");
}

TEST_F(RegistryTest, LinesItCannotReadAreSkippedAndTheRestKept) {
    fs::create_directories(sv::registryFolder());
    {
        std::ofstream out(sv::registryFile());
        out << "garbage before any key\n@=\"lost\"\n"
               "[HKEY_CLASSES_ROOT\\.wav]\r\n@=\"wavfile\"\r\n\"broken=\"unterminated\n; a comment\n"
               "\"BeforeSonvela\"=\"old\"\n[]\n@=\"no key\"\n[\\]\n\"BeforeSonvela\"=\"no key\"\n";
        // Deeper than any key the program makes: no key at all.
        out << "[HKEY_CLASSES_ROOT";
        for (int i = 0; i < 40; ++i) out << "\\deep";
        out << "]\n\"BeforeSonvela\"=\"too deep\"\n";
    }
    Registry reg(RegistryRoot::ClassesRoot);
    ASSERT_TRUE(reg.openKey(".wav", false));
    EXPECT_EQ(reg.readString(""), "wavfile");
    EXPECT_EQ(reg.readString("BeforeSonvela"), "old");
    EXPECT_FALSE(reg.keyExists("\\deep"));
    reg.writeString("new", "1");
    Registry again(RegistryRoot::ClassesRoot);
    again.openKey(".WAV", false);
    EXPECT_EQ(again.readString("beforesonvela"), "old");
    EXPECT_EQ(again.readString("new"), "1");
}

TEST_F(RegistryTest, AFileThatCannotBeWrittenRaisesAndChangesNothing) {
    const std::string blocker = dir_ + "/not-a-folder";
    std::ofstream(blocker) << "x";
    sv::setRegistryFolder(blocker + "/sonvela");
    Registry reg(RegistryRoot::ClassesRoot);
    EXPECT_THROW(reg.openKey("AudioCD", true), sv::RegistryError);
    EXPECT_FALSE(reg.hasOpenKey());
    EXPECT_THROW(reg.writeString("x", "y"), sv::RegistryError);
    EXPECT_FALSE(reg.keyExists("AudioCD"));
}

TEST_F(RegistryTest, TheFolderFollowsTheConfigurationFolderUnlessSet) {
    const char* was = std::getenv("XDG_CONFIG_HOME");
    const std::string saved = was ? was : "";
    sv::setRegistryFolder("");
    ::setenv("XDG_CONFIG_HOME", "/xdg/config", 1);
    ::unsetenv("SONVELA_REGISTRY_DIR");
    EXPECT_EQ(sv::registryFolder(), "/xdg/config/sonvela/");
    ::setenv("SONVELA_REGISTRY_DIR", "/elsewhere", 1);
    EXPECT_EQ(sv::registryFile(), "/elsewhere/registry.txt");
    ::unsetenv("SONVELA_REGISTRY_DIR");
    sv::setRegistryFolder("/set/by/test");
    EXPECT_EQ(sv::registryFolder(), "/set/by/test/");
    if (was) ::setenv("XDG_CONFIG_HOME", saved.c_str(), 1);
    else ::unsetenv("XDG_CONFIG_HOME");
}

} // namespace

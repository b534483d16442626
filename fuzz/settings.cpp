// The settings file "dadoruz.ini": reads of every kind, and a write that
// must keep the other lines of whatever the file holds.
#include "fuzz/support/fuzz_support.h"
#include "platform/settings.h"

using namespace sv;

void sv::fuzz::writeSeeds(const std::string& folder) {
    IniFile ini(folder + "dadoruz.ini");
    ini.WriteInteger("Configuration", "ViewGrid", 1);
    ini.WriteString("Configuration", "abrir1", "/home/user/a.wav");
    ini.WriteInteger("Options", "UndoLevels", 10);
    ini.WriteInteger("Colors", "BackgroundColor", 0xC0C0C0);
    ini.WriteInteger("Fade", "FadeIn", -3);
    // Places and counts no window can use.
    const std::string far = "[Options]\r\nViewAccessBar=0\r\nPanelEdit_Top=2147483647\r\nPanelMisc_Left=-2147483648\r\n"
                            "UndoLevels=0x7FFFFFFF\r\n[Configuration]\r\nVerticalScale=-2147483648\r\n";
    seedFile(folder, "far.ini", std::vector<uint8_t>(far.begin(), far.end()));
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    IniFile ini(fuzz::inputFile(data, size, "dadoruz.ini"));
    for (const char* section : {"Configuration", "Options", "Colors", "Fade", ""})
        for (const char* key : {"ViewGrid", "abrir1", "UndoLevels", "BackgroundColor", "FadeIn", "PanelEdit_Top", ""}) {
            (void)ini.ReadInteger(section, key, 7);
            const int32_t place = ini.ReadInteger(section, key, 7, 0, 1000);
            if (place < 0 || place > 1000) __builtin_trap();
            (void)ini.ReadString(section, key, "x");
            (void)ini.ValueExists(section, key);
        }
    try {
        ini.WriteInteger("Options", "UndoLevels", 12);
        if (ini.ReadInteger("Options", "UndoLevels", 0) != 12) __builtin_trap();
        ini.WriteString("Configuration", "abrir2", "b.wav");
        if (ini.ReadString("Configuration", "abrir2", "") != "b.wav") __builtin_trap();
    } catch (const std::exception&) {
    }
    int32_t v = 0;
    IniFile::parseInteger(std::string(reinterpret_cast<const char*>(data), size), v);
    return 0;
}

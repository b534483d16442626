// The registry file as setup, the uninstaller and the options dialog read
// and change it: key lines and value lines into a tree of keys, every
// change written back with the other keys kept.
#include "fuzz/support/fuzz_support.h"
#include "platform/registry.h"

using namespace sv;

namespace {

const RegistryRoot kRoots[] = {RegistryRoot::ClassesRoot, RegistryRoot::CurrentUser, RegistryRoot::LocalMachine};

// Reads every value of the open key and walks into its subkeys, as far as
// `budget` keys in all (every call reads the whole file again).
void walk(Registry& reg, int depth, int& budget) {
    const std::vector<std::string> names = reg.valueNames();
    // A value listed is a value there.
    if (!names.empty() && !reg.valueExists(names.back())) __builtin_trap();
    if (!names.empty()) (void)reg.readString(names.front());
    if (depth == 0) return;
    const std::string here = reg.openKeyPath();
    for (const std::string& sub : reg.subKeyNames()) {
        if (--budget < 0) return;
        // A subkey listed is a subkey that opens.
        if (!reg.openKey(sub, false)) __builtin_trap();
        walk(reg, depth - 1, budget);
        reg.openKey("\\" + here, false);
    }
}

} // namespace

void sv::fuzz::writeSeeds(const std::string& folder) {
    // What an installation registers: the ".wav" association with its verbs,
    // the CD play command and the uninstall entry.
    setRegistryFolder(folder);
    Registry classes(RegistryRoot::ClassesRoot);
    classes.openKey("wavfile\\shell\\open\\command", true);
    classes.writeString("", "/home/user/Sonvela/sonvela \"%1\"");
    classes.openKey("\\.wav", true);
    classes.writeString("", "wavfile");
    classes.writeString("BeforeSonvela", "");
    classes.openKey("\\AudioCD\\shell\\play\\command", true);
    classes.writeString("Old", "other \"%1\"");
    classes.writeString("", "/home/user/Sonvela/sonvela -CD \"%1\"");
    Registry machine(RegistryRoot::LocalMachine);
    machine.openKey("SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Sonvela", true);
    machine.writeString("DisplayName", "Sonvela");
    machine.writeString("UninstallString", "\"/home/user/.local/share/sonvela/svuninst\"");
    machine.writeString("CreatedFolders", "/home/user/Sonvela\n/home/user/a \"quoted\\\" name\n");
    setRegistryFolder("");
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    setRegistryFolder(fuzz::scratch());
    fuzz::inputFile(data, size, "registry.txt");
    int budget = 4;
    for (RegistryRoot root : kRoots) {
        Registry reg(root);
        walk(reg, 4, budget);
        (void)reg.keyExists("SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Sonvela");
    }
    try {
        // A change keeps what it changes and what it does not touch.
        Registry reg(RegistryRoot::ClassesRoot);
        reg.openKey(".wav", true);
        const std::string before = reg.readString("BeforeSonvela");
        reg.writeString("", "wavfile");
        Registry again(RegistryRoot::ClassesRoot);
        if (!again.openKey(".WAV", false) || again.readString("") != "wavfile" ||
            again.readString("BeforeSonvela") != before)
            __builtin_trap();
        reg.deleteValue("");
        reg.closeKey();
        reg.deleteKey("AudioCD");
        if (reg.keyExists("AudioCD")) __builtin_trap();
        pruneEmptyKeys(RegistryRoot::ClassesRoot, ".wav");
        (void)removeRegistryFileIfEmpty();
    } catch (const RegistryError&) {
    }
    return 0;
}

#include "installer/uninstall_steps.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include "installer/icon_theme.h"
#include "installer/install_steps.h"
#include "platform/program_groups.h"
#include "platform/registry.h"

namespace sv::install {

namespace {

bool startsWith(const std::string& s, const std::string& prefix) { return s.compare(0, prefix.size(), prefix) == 0; }

// The default value of a key below HKEY_CLASSES_ROOT ("" when absent).
std::string classDefault(const std::string& key) {
    Registry reg(RegistryRoot::ClassesRoot);
    return reg.openKey(key, false) ? reg.readString("") : std::string();
}

// Removes a verb's command when it starts the editor of this installation;
// a command another program wrote since stays.
void removeOurCommand(const std::string& verbKey, const std::string& program) {
    const std::string command = verbKey + "\\command";
    if (!startsWith(classDefault(command), program + " ")) return;
    Registry reg(RegistryRoot::ClassesRoot);
    reg.deleteKey(command);
    pruneEmptyKeys(RegistryRoot::ClassesRoot, verbKey);
}

void restoreWavClass() {
    Registry reg(RegistryRoot::ClassesRoot);
    if (!reg.openKey(".wav", false) || !reg.valueExists("BeforeSonvela")) return;
    const std::string before = reg.readString("BeforeSonvela");
    if (reg.readString("") == "wavfile") {
        if (before.empty()) reg.deleteValue("");
        else reg.writeString("", before);
    }
    reg.deleteValue("BeforeSonvela");
    pruneEmptyKeys(RegistryRoot::ClassesRoot, ".wav");
}

void restoreCdCommand(const std::string& program) {
    const char key[] = "AudioCD\\shell\\play\\command";
    Registry reg(RegistryRoot::ClassesRoot);
    if (!reg.openKey(key, false) || !startsWith(reg.readString(""), program + " ")) return;
    const std::string old = reg.readString("Old");
    if (old.empty()) reg.deleteValue("");
    else reg.writeString("", old);
    reg.deleteValue("Old");
    pruneEmptyKeys(RegistryRoot::ClassesRoot, key);
}

std::vector<std::string> entriesOf(const std::string& folder) {
    std::vector<std::string> names;
    if (DIR* d = ::opendir(folder.c_str())) {
        while (dirent* e = ::readdir(d)) {
            std::string n = e->d_name;
            if (n != "." && n != "..") names.push_back(n);
        }
        ::closedir(d);
    }
    std::sort(names.begin(), names.end());
    return names;
}

void removeFile(const std::string& path, UninstallReport& report) {
    if (::unlink(path.c_str()) == 0) report.removed.push_back(path);
    else if (errno != ENOENT) report.failed.push_back(path + ": " + std::strerror(errno));
}

} // namespace

Installation findInstallation() {
    Installation inst;
    Registry reg(RegistryRoot::LocalMachine);
    if (!reg.openKey(kUninstallKey, false)) return inst;
    inst.found = true;
    inst.folder = reg.readString("InstallLocation");
    if (!inst.folder.empty() && inst.folder.back() != '/') inst.folder += '/';
    inst.createdFolders = splitLines(reg.readString("CreatedFolders"));
    return inst;
}

void removeAssociations(const Installation& inst) {
    const std::string program = inst.folder + kProgramName;
    try {
        removeOurCommand("wavfile\\shell\\Play audio", program);
        removeOurCommand("wavfile\\shell\\open", program);
        restoreWavClass();
        restoreCdCommand(program);
    } catch (const RegistryError&) {
        // A registry that cannot be written keeps its entries; the files
        // and menus still go.
    }
    unsetWavDesktopAssociation();
    unsetCdDesktopAssociation();
    ::unlink((applicationsFolder() + kWavDesktopId).c_str());
    ::unlink((applicationsFolder() + kCdDesktopId).c_str());
}

void removeMenus(const Installation&) {
    ProgramManager pm;
    pm.execute("[DeleteGroup(" + std::string(kGroupName) + ")]\r\n");
    removeIcons();
}

void removeProgramFiles(const Installation& inst, bool removeSettings, UninstallReport& report) {
    if (!inst.folder.empty()) {
        for (const InstallFile& f : installFiles()) removeFile(inst.folder + f.name, report);
        if (removeSettings) removeFile(inst.folder + kSettingsName, report);
    }
    removeFile(uninstallerPath(), report);
    try {
        Registry reg(RegistryRoot::LocalMachine);
        reg.deleteKey(kUninstallKey);
        const std::string key = kUninstallKey;
        pruneEmptyKeys(RegistryRoot::LocalMachine, key.substr(0, key.find_last_of('\\')));
    } catch (const RegistryError& e) {
        report.failed.push_back(e.what());
    }
    removeRegistryFileIfEmpty();
    // Deepest first, so that a folder emptied by its subfolders goes too;
    // a folder that still holds something stays.
    std::vector<std::string> folders = inst.createdFolders;
    std::stable_sort(folders.begin(), folders.end(),
                     [](const std::string& a, const std::string& b) { return a.size() > b.size(); });
    for (const std::string& f : folders) ::rmdir(f.c_str());
    if (!inst.folder.empty())
        for (const std::string& n : entriesOf(inst.folder)) report.kept.push_back(n);
}

std::string reportText(const Installation& inst, const UninstallReport& report) {
    std::string t = "Sonvela has been removed from this computer: " + std::to_string(report.removed.size()) +
                    " files, its menu, its icon and its associations.";
    if (!report.kept.empty()) {
        t += "\n\nYour files in " + inst.folder + " were kept:";
        const size_t shown = std::min<size_t>(report.kept.size(), 10);
        for (size_t i = 0; i < shown; ++i) t += "\n    " + report.kept[i];
        if (report.kept.size() > shown) t += "\n    and " + std::to_string(report.kept.size() - shown) + " more";
    }
    if (!report.failed.empty()) {
        t += "\n\nThese could not be removed:";
        for (const std::string& f : report.failed) t += "\n    " + f;
    }
    return t;
}

} // namespace sv::install

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

// Whether a command starts the editor of one of the installations.
bool startsOurs(const std::string& command, const Installation& inst) {
    for (const std::string& folder : inst.folders)
        if (startsWith(command, folder + kProgramName + " ")) return true;
    return false;
}

// Removes a verb's command when it starts the editor of an installation;
// a command another program wrote since stays.
void removeOurCommand(const std::string& verbKey, const Installation& inst) {
    const std::string command = verbKey + "\\command";
    if (!startsOurs(classDefault(command), inst)) return;
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

void restoreCdCommand(const Installation& inst) {
    const char key[] = "AudioCD\\shell\\play\\command";
    Registry reg(RegistryRoot::ClassesRoot);
    if (!reg.openKey(key, false) || !startsOurs(reg.readString(""), inst)) return;
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

bool removeFile(const std::string& path, UninstallReport& report) {
    if (::unlink(path.c_str()) == 0) {
        report.removed.push_back(path);
        return true;
    }
    if (errno != ENOENT) report.failed.push_back(path + ": " + std::strerror(errno));
    return false;
}

} // namespace

Installation findInstallation() {
    Installation inst;
    Registry reg(RegistryRoot::LocalMachine);
    if (!reg.openKey(kUninstallKey, false)) return inst;
    inst.found = true;
    // An entry of an earlier setup names its one folder in InstallLocation.
    std::vector<std::string> folders = splitLines(reg.readString("InstallLocations"));
    folders.push_back(reg.readString("InstallLocation"));
    for (std::string& f : folders)
        if (!f.empty() && f.back() != '/') f += '/';
    addMissing(inst.folders, folders);
    inst.createdFolders = splitLines(reg.readString("CreatedFolders"));
    return inst;
}

void removeAssociations(const Installation& inst) {
    try {
        removeOurCommand("wavfile\\shell\\Play audio", inst);
        removeOurCommand("wavfile\\shell\\open", inst);
        restoreWavClass();
        restoreCdCommand(inst);
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
    for (const std::string& folder : inst.folders) {
        bool any = false;
        for (const InstallFile& f : installFiles()) any = removeFile(folder + f.name, report) || any;
        if (removeSettings) any = removeFile(folder + kSettingsName, report) || any;
        if (any) report.removedFrom.push_back(folder);
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
    // A folder that still holds something stays.
    removeEmptyFolders(inst.createdFolders);
    for (const std::string& folder : inst.folders) {
        std::vector<std::string> names = entriesOf(folder);
        if (!names.empty()) report.kept.emplace_back(folder, std::move(names));
    }
}

std::string reportText(const UninstallReport& report) {
    std::string t = "Sonvela has been removed from this computer: " + std::to_string(report.removed.size()) +
                    " files, its menu, its icon and its associations.";
    if (!report.removedFrom.empty()) {
        t += "\n\nThe program files were removed from:";
        for (const std::string& folder : report.removedFrom) t += "\n    " + folder;
    }
    for (const auto& [folder, names] : report.kept) {
        t += "\n\nYour files in " + folder + " were kept:";
        const size_t shown = std::min<size_t>(names.size(), 10);
        for (size_t i = 0; i < shown; ++i) t += "\n    " + names[i];
        if (names.size() > shown) t += "\n    and " + std::to_string(names.size() - shown) + " more";
    }
    if (!report.failed.empty()) {
        t += "\n\nThese could not be removed:";
        for (const std::string& f : report.failed) t += "\n    " + f;
    }
    return t;
}

} // namespace sv::install

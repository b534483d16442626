#include "installer/uninstall_steps.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <cstdlib>
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
    folders.erase(std::remove_if(folders.begin(), folders.end(), [](const std::string& f) { return !isPlainAbsolutePath(f); }),
                  folders.end());
    addMissing(inst.folders, folders);
    for (const std::string& f : splitLines(reg.readString("CreatedFolders")))
        if (isPlainAbsolutePath(f) && f.back() == '/') inst.createdFolders.push_back(f);
    inst.hasRecord = reg.valueExists(kInstalledFilesValue);
    for (const std::string& line : splitLines(reg.readString(kInstalledFilesValue))) {
        InstalledFile f;
        if (parseInstalledFile(line, f) && isPlainAbsolutePath(f.path) && f.path.back() != '/' &&
            isProgramFileName(f.path.substr(f.path.find_last_of('/') + 1)))
            inst.files.push_back(f);
    }
    return inst;
}

std::vector<long> runningEditors(const Installation& inst) {
    std::vector<std::string> editors;
    for (const std::string& folder : inst.folders) editors.push_back(folder + kProgramName);
    std::vector<std::pair<dev_t, ino_t>> ids;
    for (const std::string& e : editors) {
        struct stat st;
        if (::stat(e.c_str(), &st) == 0) ids.emplace_back(st.st_dev, st.st_ino);
    }
    std::vector<long> pids;
    DIR* d = ::opendir("/proc");
    if (!d) return pids;
    const long self = long(::getpid());
    while (dirent* e = ::readdir(d)) {
        char* end = nullptr;
        const long pid = std::strtol(e->d_name, &end, 10);
        if (pid <= 0 || *end || pid == self) continue;
        const std::string exe = "/proc/" + std::string(e->d_name) + "/exe";
        // The program's path, also when it was replaced or removed since it
        // started; else the file itself, whatever name it was started by.
        char buf[4096];
        const ssize_t n = ::readlink(exe.c_str(), buf, sizeof buf - 1);
        if (n <= 0) continue;   // another user's process, or one that has ended
        std::string path(buf, size_t(n));
        const std::string deleted = " (deleted)";
        if (path.size() > deleted.size() && path.compare(path.size() - deleted.size(), deleted.size(), deleted) == 0)
            path.resize(path.size() - deleted.size());
        bool ours = std::find(editors.begin(), editors.end(), path) != editors.end();
        struct stat st;
        if (!ours && ::stat(exe.c_str(), &st) == 0)
            ours = std::find(ids.begin(), ids.end(), std::make_pair(st.st_dev, st.st_ino)) != ids.end();
        if (ours) pids.push_back(pid);
    }
    ::closedir(d);
    std::sort(pids.begin(), pids.end());
    return pids;
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
    // The folders setup created go when they are left empty, but only those
    // that a removed file of ours was in, or that setup always uses for the
    // desktop: an entry naming any other folder cannot have it removed.
    std::vector<std::string> ours;
    for (std::string f : installationFolders(programDataFolder())) ours.push_back(f);
    auto removed = [&](const std::string& path) {
        const std::string folder = path.substr(0, path.find_last_of('/') + 1);
        ours.push_back(folder);
        if (std::find(inst.folders.begin(), inst.folders.end(), folder) != inst.folders.end() &&
            std::find(report.removedFrom.begin(), report.removedFrom.end(), folder) == report.removedFrom.end())
            report.removedFrom.push_back(folder);
    };
    if (inst.hasRecord) {
        for (const InstalledFile& f : inst.files) {
            struct stat st;
            if (::lstat(f.path.c_str(), &st) != 0) continue;   // gone already
            if (!S_ISREG(st.st_mode) || uint64_t(st.st_size) != f.size || fileSha256(f.path) != f.sha256) {
                report.changed.push_back(f.path);
                continue;
            }
            if (removeFile(f.path, report)) removed(f.path);
        }
        // The settings file goes only from a folder that held verified
        // program files: its name alone does not make it ours.
        const std::vector<std::string> verified = report.removedFrom;
        for (const std::string& folder : verified) {
            const std::string settings = folder + kSettingsName;
            struct stat st;
            if (removeSettings && ::lstat(settings.c_str(), &st) == 0 && S_ISREG(st.st_mode) && removeFile(settings, report))
                removed(settings);
        }
    } else {
        report.unrecorded = inst.folders;
        // The uninstaller's own copy is recognised as the program running.
        struct stat kept, self;
        const std::string copy = uninstallerPath();
        if (::lstat(copy.c_str(), &kept) == 0 && ::stat("/proc/self/exe", &self) == 0 && kept.st_dev == self.st_dev &&
            kept.st_ino == self.st_ino && removeFile(copy, report))
            removed(copy);
    }
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
    std::vector<std::string> prune;
    for (const std::string& f : inst.createdFolders)
        if (std::any_of(ours.begin(), ours.end(), [&](const std::string& o) { return startsWith(o, f); }))
            prune.push_back(f);
    removeEmptyFolders(prune);
    // A folder left as it was is not listed name by name: its program files
    // are there with the user's.
    for (const std::string& folder : report.removedFrom) {
        std::vector<std::string> names = entriesOf(folder);
        if (!names.empty()) report.kept.emplace_back(folder, std::move(names));
    }
}

std::string reportText(const UninstallReport& report) {
    const size_t n = report.removed.size();
    std::string t = "Sonvela has been removed from this computer: " + std::to_string(n) + (n == 1 ? " file" : " files") +
                    ", its menu, its icon and its associations.";
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
    if (!report.changed.empty()) {
        t += "\n\nThese files were left in place: they have changed since Setup installed them.";
        for (const std::string& f : report.changed) t += "\n    " + f;
    }
    for (const std::string& folder : report.unrecorded)
        t += "\n\nThe program files in " + folder +
             " were left in place: this installation kept no record of them, so they cannot be told from "
             "your own files. Remove them yourself if you no longer need them.";
    if (!report.failed.empty()) {
        t += "\n\nThese could not be removed:";
        for (const std::string& f : report.failed) t += "\n    " + f;
    }
    return t;
}

} // namespace sv::install

#include "installer/uninstall_steps.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include "installer/icon_theme.h"
#include "installer/install_steps.h"
#include "platform/files.h"
#include "platform/paths.h"
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

bool contains(const std::vector<std::string>& list, const std::string& s) {
    return std::find(list.begin(), list.end(), s) != list.end();
}

std::string folderOf(const std::string& path) { return path.substr(0, path.find_last_of('/') + 1); }

// Whether folder is the user's home or a folder above it, reached by
// whatever path: setup, run by the user, never creates one of them.
bool isHomeOrAbove(const std::string& folder) {
    std::vector<std::string> homes;
    if (const char* h = std::getenv("HOME"); h && *h) homes.push_back(h);
    if (const passwd* pw = ::getpwuid(::getuid()); pw && pw->pw_dir) homes.push_back(pw->pw_dir);
    std::string f = canonicalPath(folder);
    if (!f.empty() && f.back() != '/') f += '/';
    for (std::string h : homes) {
        h = canonicalPath(h);
        if (!h.empty() && h.back() != '/') h += '/';
        if (startsWith(h, f)) return true;
    }
    return false;
}

// Whether each level of folder that setup created is still a folder, and
// not a link put in its place since, which may lead to any folder of the
// user's. Levels that were there before setup ran are as the user has them.
bool createdLevelsAreFolders(const std::string& folder, const std::vector<std::string>& created) {
    for (size_t i = 1; i < folder.size(); ++i) {
        if (folder[i] != '/' || !contains(created, folder.substr(0, i + 1))) continue;
        struct stat st;
        if (::lstat(folder.substr(0, i).c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return false;
    }
    return true;
}

// The full path a damaged line of the record names: from its first '/'
// that starts the line or follows a blank ("" when there is none).
std::string pathInDamagedLine(const std::string& line) {
    if (line[0] == '/') return line;
    const size_t at = line.find(" /");
    return at == std::string::npos ? std::string() : line.substr(at + 1);
}

// Removes a recorded file while it is still what setup installed. Its
// folder is held open, opened without following a link put in its place
// (but for the program data folder, which setup does not choose), so the
// file checked is the file removed. Whether it was removed.
bool removeRecorded(const InstalledFile& f, UninstallReport& report) {
    std::string folder = folderOf(f.path);
    const bool ownFolder = folder == programDataFolder();
    folder.pop_back();
    ScopedFd dir(::open(folder.empty() ? "/" : folder.c_str(),
                        O_RDONLY | O_DIRECTORY | O_CLOEXEC | (ownFolder ? 0 : O_NOFOLLOW)));
    if (dir.fd < 0) {
        if (errno == ELOOP || errno == ENOTDIR) report.outside.push_back(f.path);
        else if (errno != ENOENT) report.failed.push_back(f.path + ": " + std::strerror(errno));
        return false;
    }
    const std::string name = f.path.substr(f.path.find_last_of('/') + 1);
    struct stat st, opened;
    if (::fstatat(dir.fd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) return false;   // gone already
    // Not blocking on a pipe put in the file's place.
    ScopedFd file(S_ISREG(st.st_mode) ? ::openat(dir.fd, name.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK)
                                      : -1);
    if (file.fd < 0 || ::fstat(file.fd, &opened) != 0 || opened.st_ino != st.st_ino || opened.st_dev != st.st_dev ||
        uint64_t(st.st_size) != f.size || fileSha256(file.fd) != f.sha256) {
        report.changed.push_back(f.path);
        return false;
    }
    if (::unlinkat(dir.fd, name.c_str(), 0) != 0) {
        report.failed.push_back(f.path + ": " + std::strerror(errno));
        return false;
    }
    report.removed.push_back(f.path);
    return true;
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
        if (isPlainAbsolutePath(f) && f.back() == '/' && !isHomeOrAbove(f)) inst.createdFolders.push_back(f);
    // A folder setup installed into is the one whose identity it recorded:
    // another put in its place since, or one a damaged entry names, is not.
    // An entry of an earlier setup, which recorded no identities, is taken
    // as it reads for the folders setup created.
    const bool hasIds = reg.valueExists(kInstallFolderIdsValue);
    std::vector<std::pair<std::string, uint64_t>> ids;
    for (const std::string& line : splitLines(reg.readString(kInstallFolderIdsValue))) {
        std::pair<std::string, uint64_t> id;
        if (parseFolderId(line, id.second, id.first)) ids.push_back(id);
    }
    for (const std::string& f : inst.folders) {
        struct stat st;
        if (isHomeOrAbove(f) || !createdLevelsAreFolders(f, inst.createdFolders) || ::lstat(f.c_str(), &st) != 0)
            continue;
        if (hasIds ? std::find(ids.begin(), ids.end(), std::make_pair(f, uint64_t(st.st_ino))) != ids.end()
                   : contains(inst.createdFolders, f))
            inst.programFolders.push_back(f);
    }
    inst.hasRecord = reg.valueExists(kInstalledFilesValue);
    for (const std::string& line : splitLines(reg.readString(kInstalledFilesValue))) {
        InstalledFile f;
        if (!parseInstalledFile(line, f)) inst.unreadable.push_back(pathInDamagedLine(line));
        else if (f.path[0] == '/' && f.path.back() != '/') inst.files.push_back(f);
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
    report.hasRecord = inst.hasRecord;
    report.recordDamaged = !inst.unreadable.empty();
    const std::string uninstaller = uninstallerPath();
    // Program files go only from the folders setup created for them, and
    // the uninstaller's copy from the folder it is kept in: a record may
    // name any file, a user's copy of a program file among them.
    auto removable = [&](const std::string& path) {
        if (!isPlainAbsolutePath(path)) return false;
        const std::string folder = folderOf(path);
        return path == uninstaller || (contains(inst.programFolders, folder) && isProgramFileName(path.substr(folder.size())));
    };
    // The folders setup created go when they are left empty, but only those
    // that a removed file of ours was in, or that setup always uses for the
    // desktop: an entry naming any other folder cannot have it removed.
    std::vector<std::string> ours = installationFolders(programDataFolder());
    auto removed = [&](const std::string& path) {
        const std::string folder = folderOf(path);
        ours.push_back(folder);
        if (contains(inst.folders, folder) && !contains(report.removedFrom, folder)) report.removedFrom.push_back(folder);
    };
    std::vector<std::string> seen;   // every file that a line of the report names
    const InstalledFile* recordedUninstaller = nullptr;
    for (const InstalledFile& f : inst.files) {
        if (f.path == uninstaller) {
            recordedUninstaller = &f;
            continue;
        }
        struct stat st;
        if (contains(seen, f.path) || ::lstat(f.path.c_str(), &st) != 0) continue;   // gone already
        seen.push_back(f.path);
        if (!removable(f.path)) report.outside.push_back(f.path);
        else if (removeRecorded(f, report)) removed(f.path);
    }
    // The settings file goes only from a folder that held verified program
    // files: its name alone does not make it ours.
    if (removeSettings) {
        const std::vector<std::string> verified = report.removedFrom;
        for (const std::string& folder : verified) {
            const std::string settings = folder + kSettingsName;
            struct stat st;
            if (::lstat(settings.c_str(), &st) == 0 && S_ISREG(st.st_mode) && removeFile(settings, report))
                removed(settings);
        }
        for (const std::string& folder : inst.folders) {
            const std::string settings = folder + kSettingsName;
            struct stat st;
            if (::lstat(settings.c_str(), &st) == 0 && !contains(verified, folder)) report.settingsKept.push_back(settings);
        }
    }
    // What else is left that setup may have installed: the files named like
    // program files in the folders of the installation that no readable
    // line of the record accounts for, and the files that damaged lines
    // name.
    std::vector<std::string> left = inst.unreadable;
    for (const std::string& folder : inst.folders)
        for (const InstallFile& pf : installFiles()) left.push_back(folder + pf.name);
    for (const std::string& path : left) {
        struct stat st;
        if (path.empty() || path == uninstaller || contains(seen, path) || ::lstat(path.c_str(), &st) != 0) continue;
        seen.push_back(path);
        (removable(path) ? report.unrecorded : report.outside).push_back(path);
    }
    // While program files are left that a later run may remove, the entry
    // that lets the user run it stays, and so does the uninstaller.
    report.entryKept = !report.unrecorded.empty() || !report.failed.empty();
    if (!report.entryKept) {
        if (recordedUninstaller) {
            if (removeRecorded(*recordedUninstaller, report)) removed(uninstaller);
        } else {
            // Without a line of its own, the uninstaller's copy is recognised
            // as the program running.
            struct stat kept, self;
            if (::lstat(uninstaller.c_str(), &kept) == 0 && ::stat("/proc/self/exe", &self) == 0 &&
                kept.st_dev == self.st_dev && kept.st_ino == self.st_ino && removeFile(uninstaller, report))
                removed(uninstaller);
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
    }
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
    const std::string files = std::to_string(n) + (n == 1 ? " file" : " files");
    const std::string partly = n == 0 ? ", but none of its files. Its program files are still there, as said below."
                                      : ", and " + files + ". Some of its program files are still there, as said below.";
    auto list = [](std::string& t, const std::string& heading, const std::vector<std::string>& paths) {
        if (paths.empty()) return;
        t += "\n\n" + heading;
        for (const std::string& p : paths) t += "\n    " + p;
    };
    std::string t = report.entryKept ? "Sonvela's menu, its icon and its associations have been removed from this computer" +
                                           partly
                                     : "Sonvela has been removed from this computer: " + files +
                                           ", its menu, its icon and its associations.";
    list(t, "The program files were removed from:", report.removedFrom);
    for (const auto& [folder, names] : report.kept) {
        t += "\n\nYour files in " + folder + " were kept:";
        const size_t shown = std::min<size_t>(names.size(), 10);
        for (size_t i = 0; i < shown; ++i) t += "\n    " + names[i];
        if (names.size() > shown) t += "\n    and " + std::to_string(names.size() - shown) + " more";
    }
    list(t, "These files were left in place: they have changed since Setup installed them.", report.changed);
    list(t, "These files were left in place: they are not in a folder that Setup installed Sonvela into, so they may "
            "be your own.",
         report.outside);
    list(t,
         std::string("These program files were left in place: ") +
             (!report.hasRecord       ? "this installation kept no record of them"
              : report.recordDamaged ? "the record that Setup kept of them is damaged (lines without a size or checksum)"
                                     : "Setup kept no record of them") +
             ", so they cannot be told from your own files.",
         report.unrecorded);
    list(t, "Your settings were kept, though you asked to remove them: no program file was removed from their folder, "
            "and a settings file cannot be told from one of yours by its name alone.",
         report.settingsKept);
    list(t, "These could not be removed:", report.failed);
    if (report.entryKept)
        t += "\n\nSonvela stays in the list of installed programs, so that the removal can be finished: " +
             std::string(report.unrecorded.empty()
                             ? "once the files above can be removed, run its uninstaller again:"
                             : "remove the program files above yourself, or install Sonvela into their folder again "
                               "(Setup then records them afresh), then run its uninstaller again:") +
             "\n    " + uninstallerPath();
    return t;
}

} // namespace sv::install

#include "installer/install_steps.h"

#include <QByteArray>
#include <QCryptographicHash>
#include <QStringDecoder>
#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/files.h"
#include "platform/help_file.h"
#include "platform/program_groups.h"
#include "platform/registry.h"
#include "installer/icon_theme.h"

namespace sv::install {

const std::vector<InstallFile>& installFiles() {
    static const std::vector<InstallFile> files = {
        {kProgramName, true},
        {kHelpName, true},
        {"sample1.wav", true},
        {kReadmeName, true},
        {kUninstallerName, false},
        {"sample2.wav", true},
        {kSetupName, false},
        {"sv_globe.gif", false},
        {"background.svg", false},
    };
    return files;
}

bool isProgramFileName(const std::string& name) {
    for (const InstallFile& f : installFiles())
        if (name == f.name) return true;
    return false;
}

std::vector<std::string> installationFolders(const std::string& target) {
    std::vector<std::string> folders = {target, programDataFolder(), applicationsFolder(),
                                        applicationsFolder() + ProgramManager::fileNameFor(kGroupName) + "/",
                                        desktopDirectoriesFolder(), mergedMenusFolder(), registryFolder()};
    for (const std::string& dir : iconFolders()) folders.push_back(dir);
    const std::string mime = mimeAppsFile();
    folders.push_back(mime.substr(0, mime.find_last_of('/') + 1));
    return folders;
}

std::vector<std::string> missingFolders(const std::vector<std::string>& folders) {
    std::vector<std::string> missing;
    for (const std::string& folder : folders) {
        for (size_t i = 1; i < folder.size(); ++i) {
            if (folder[i] != '/') continue;
            std::string level = folder.substr(0, i + 1);
            struct stat st;
            if (::stat(level.c_str(), &st) == 0) continue;
            if (std::find(missing.begin(), missing.end(), level) == missing.end()) missing.push_back(level);
        }
    }
    std::stable_sort(missing.begin(), missing.end(),
                     [](const std::string& a, const std::string& b) { return a.size() < b.size(); });
    return missing;
}

int makeFolders(const std::string& folder, std::string* failedLevel) {
    for (size_t i = 1; i <= folder.size(); ++i) {
        if (i < folder.size() && folder[i] != '/') continue;
        if (folder[i - 1] == '/') continue;   // "a//b": the level was made
        const std::string level = folder.substr(0, i);
        int e = 0;
        if (::mkdir(level.c_str(), 0755) != 0) {
            e = errno;
            struct stat st;
            if (e == EEXIST) e = ::stat(level.c_str(), &st) == 0 && S_ISDIR(st.st_mode) ? 0 : ENOTDIR;
        }
        if (e) {
            if (failedLevel) *failedLevel = level + "/";
            return e;
        }
    }
    return 0;
}

void removeEmptyFolders(std::vector<std::string> folders) {
    std::stable_sort(folders.begin(), folders.end(),
                     [](const std::string& a, const std::string& b) { return a.size() > b.size(); });
    for (const std::string& f : folders) ::rmdir(f.c_str());
}

int copyFile(const std::string& source, const std::string& target, bool makeWritable, std::string* failedPath,
             std::string* sha256) {
    std::string unused;
    std::string& failed = failedPath ? *failedPath : unused;
    failed = source;
    ScopedFd in(::open(source.c_str(), O_RDONLY | O_CLOEXEC));
    if (in.fd < 0) return errno;
    struct stat st;
    if (::fstat(in.fd, &st) != 0) return errno;
    if (!S_ISREG(st.st_mode)) return EISDIR;
    failed = target;
    SafeFileWriter out;
    if (int e = out.open(target)) return e;
    QCryptographicHash hash(QCryptographicHash::Sha256);
    try {
        std::vector<char> buf(1 << 16);
        int64_t off = 0;
        while (off < st.st_size) {
            size_t n = static_cast<size_t>(std::min<int64_t>(int64_t(buf.size()), st.st_size - off));
            if (!readFullyAt(in.fd, off, buf.data(), n)) {
                failed = source;
                return errno ? errno : EIO;
            }
            out.write(buf.data(), n);
            if (sha256) hash.addData(QByteArrayView(buf.data(), qsizetype(n)));
            off += int64_t(n);
        }
        // Permissions are set before the rename, so the target never shows
        // up without its execute bits.
        mode_t mode = st.st_mode & 07777;
        if (makeWritable) mode |= S_IWUSR;
        if (::fchmod(::fileno(out.file()), mode) != 0) return errno;
        out.commit();
    } catch (const FileIOError& e) {
        return e.code() ? e.code() : EIO;
    }
    if (sha256) *sha256 = hash.result().toHex().toStdString();
    return 0;
}

std::string fileSha256(int fd) {
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) return {};
    QCryptographicHash hash(QCryptographicHash::Sha256);
    std::vector<char> buf(1 << 16);
    for (int64_t off = 0; off < st.st_size;) {
        const size_t n = static_cast<size_t>(std::min<int64_t>(int64_t(buf.size()), st.st_size - off));
        if (!readFullyAt(fd, off, buf.data(), n)) return {};
        hash.addData(QByteArrayView(buf.data(), qsizetype(n)));
        off += int64_t(n);
    }
    return hash.result().toHex().toStdString();
}

std::vector<std::string> filesWritten(const std::string& target) {
    std::vector<std::string> files;
    for (const InstallFile& f : installFiles()) files.push_back(target + f.name);
    files.push_back(target + kSettingsName);
    files.push_back(uninstallerPath());
    files.push_back(registryFile());
    files.push_back(mimeAppsFile());
    files.push_back(applicationsFolder() + kWavDesktopId);
    files.push_back(applicationsFolder() + kCdDesktopId);
    const std::string group = applicationsFolder() + ProgramManager::fileNameFor(kGroupName) + "/";
    for (const char* item : {"Sonvela", "Sonvela Help", "readme.txt"})
        files.push_back(group + ProgramManager::fileNameFor(item) + ".desktop");
    files.push_back(ProgramManager::menuFileFor(kGroupName));
    files.push_back(ProgramManager::directoryFileFor(kGroupName));
    for (const std::string& icon : iconFiles()) files.push_back(iconThemeFolder() + icon);
    return files;
}

bool fitsDesktopEntries(const std::string& path) {
    const QByteArray bytes = QByteArray::fromStdString(path);
    QStringDecoder utf8(QStringDecoder::Utf8);
    const QString text = utf8.decode(bytes);
    if (utf8.hasError()) return false;
    for (QChar c : text)
        if (c.category() == QChar::Other_Control) return false;
    return true;
}

bool isPlainAbsolutePath(const std::string& path) {
    if (path.empty() || path[0] != '/') return false;
    std::string rest = path.substr(1);
    if (!rest.empty() && rest.back() == '/') rest.pop_back();   // a folder's final slash
    if (rest.empty()) return true;
    for (size_t start = 0;;) {
        const size_t end = std::min(rest.find('/', start), rest.size());
        const std::string level = rest.substr(start, end - start);
        if (level.empty() || level == "." || level == "..") return false;
        if (end == rest.size()) return true;
        start = end + 1;
    }
}

std::string formatInstalledFile(const InstalledFile& f) {
    return f.sha256 + " " + std::to_string(f.size) + " " + f.path;
}

bool parseInstalledFile(const std::string& line, InstalledFile& f) {
    const size_t a = line.find(' ');
    if (a == std::string::npos) return false;
    const size_t b = line.find(' ', a + 1);
    if (b == std::string::npos) return false;
    f.sha256 = line.substr(0, a);
    const std::string size = line.substr(a + 1, b - a - 1);
    f.path = line.substr(b + 1);
    if (f.sha256.size() != 64 || f.sha256.find_first_not_of("0123456789abcdef") != std::string::npos) return false;
    if (size.empty() || size.size() > 19 || size.find_first_not_of("0123456789") != std::string::npos) return false;
    f.size = std::stoull(size);
    return !f.path.empty();
}

void recordInstalledFiles(const std::vector<InstalledFile>& files) {
    Registry reg(RegistryRoot::LocalMachine);
    reg.openKey(kUninstallKey, true);
    std::vector<std::string> lines = splitLines(reg.readString(kInstalledFilesValue));
    for (const InstalledFile& f : files) {
        lines.erase(std::remove_if(lines.begin(), lines.end(),
                                   [&](const std::string& l) {
                                       InstalledFile old;
                                       return parseInstalledFile(l, old) && old.path == f.path;
                                   }),
                    lines.end());
        lines.push_back(formatInstalledFile(f));
    }
    reg.writeString(kInstalledFilesValue, joinLines(lines));
    reg.closeKey();
}

int checkWritable(const std::string& path) {
    // The copy renames its new file over path, which fails on a folder
    // even for the superuser.
    struct stat st;
    if (::lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) return EISDIR;
    SafeFileWriter probe;   // removes its file again, being never committed
    return probe.open(path);
}

void registerWavEditor(const std::string& target) {
    const std::string program = target + kProgramName;
    Registry reg(RegistryRoot::ClassesRoot);
    reg.openKey("wavfile\\shell\\Play audio\\command", true);
    reg.writeString("", program + " -PLAY \"%1\"");
    reg.closeKey();
    // The "open" verb goes below the "wavfile\shell" just made; were it
    // missing, the command would land in whatever key is open, so it is
    // only written below the right key.
    if (reg.openKey("wavfile", false) && reg.openKey("shell", false)) {
        reg.openKey("open", true);
        reg.openKey("command", true);
        reg.writeString("", program + " \"%1\"");
    }
    reg.closeKey();
    reg.openKey(".wav", true);
    const std::string old = reg.readString("");
    reg.writeString("", "wavfile");
    // Only the first installation records what ".wav" was before.
    if (!reg.valueExists("BeforeSonvela")) reg.writeString("BeforeSonvela", old);
    reg.closeKey();
}

void registerCdPlayer(const std::string& target) {
    Registry reg(RegistryRoot::ClassesRoot);
    reg.openKey("AudioCD", true);
    reg.openKey("shell", true);
    reg.openKey("play", true);
    reg.openKey("command", true);
    // The command this replaces, kept from the first installation as the
    // ".wav" association keeps its own.
    if (!reg.valueExists("Old")) reg.writeString("Old", reg.readString(""));
    reg.writeString("", target + kProgramName + " -CD \"%1\"");
    reg.closeKey();
}

std::string uninstallerPath() { return programDataFolder() + kUninstallerName; }

void registerUninstall(const std::string& target, const std::vector<std::string>& createdFolders) {
    Registry reg(RegistryRoot::LocalMachine);
    reg.openKey("SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall", true);
    reg.openKey("Sonvela", true);
    reg.writeString("DisplayName", "Sonvela");
    std::string uninstaller = uninstallerPath();
    if (uninstaller.find_first_of(" \t\"") != std::string::npos) uninstaller = "\"" + uninstaller + "\"";
    reg.writeString("UninstallString", uninstaller);
    // An installation into another folder leaves the earlier one in place,
    // so the uninstaller is told of every folder. Entries written before
    // the list was kept name their one folder in InstallLocation alone.
    std::vector<std::string> locations = splitLines(reg.readString("InstallLocations"));
    addMissing(locations, {reg.readString("InstallLocation"), target});
    reg.writeString("InstallLocation", target);
    reg.writeString("InstallLocations", joinLines(locations));
    // The uninstaller removes these folders when they are empty, and no
    // others: a folder that was there before stays, even empty.
    std::vector<std::string> folders = splitLines(reg.readString("CreatedFolders"));
    addMissing(folders, createdFolders);
    reg.writeString("CreatedFolders", joinLines(folders));
    struct stat st;
    if (::stat(target.c_str(), &st) == 0) {
        std::vector<std::string> ids = splitLines(reg.readString(kInstallFolderIdsValue));
        ids.erase(std::remove_if(ids.begin(), ids.end(),
                                 [&](const std::string& l) {
                                     uint64_t inode;
                                     std::string folder;
                                     return parseFolderId(l, inode, folder) && folder == target;
                                 }),
                  ids.end());
        ids.push_back(formatFolderId(st.st_ino, target));
        reg.writeString(kInstallFolderIdsValue, joinLines(ids));
    }
    reg.closeKey();
}

std::string formatFolderId(uint64_t inode, const std::string& folder) { return std::to_string(inode) + " " + folder; }

bool parseFolderId(const std::string& line, uint64_t& inode, std::string& folder) {
    const size_t a = line.find(' ');
    if (a == 0 || a == std::string::npos || a > 19 || line.find_first_not_of("0123456789") != a) return false;
    inode = std::stoull(line.substr(0, a));
    folder = line.substr(a + 1);
    return !folder.empty();
}

void addMissing(std::vector<std::string>& lines, const std::vector<std::string>& more) {
    for (const std::string& l : more)
        if (!l.empty() && std::find(lines.begin(), lines.end(), l) == lines.end()) lines.push_back(l);
}

std::vector<std::string> splitLines(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        if (end > start) lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

std::string joinLines(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& l : lines) text += l + "\n";
    return text;
}

std::string programFilesDir() {
    Registry reg(RegistryRoot::LocalMachine);
    for (const char* level : {"SOFTWARE", "Microsoft", "Windows", "CurrentVersion"})
        if (!reg.openKey(level, false)) return {};
    return reg.readString("ProgramFilesDir");
}

std::string createGroupMacro(const std::string& group) { return "[CreateGroup(" + group + ")]\r\n"; }

std::string addItemMacro(const std::string& commandLine, const std::string& name) {
    // A folder name with a comma, a bracket or a quote would split the
    // macro: such a command line is quoted, a quote in it doubled.
    std::string cmd = commandLine;
    if (cmd.find_first_of(",()[]\"") != std::string::npos) {
        cmd = "\"";
        for (char c : commandLine) cmd += c == '"' ? std::string("\"\"") : std::string(1, c);
        cmd += "\"";
    }
    return "[AddItem(" + cmd + "," + name + ")]\r\n";
}

std::string menuItemCommand(const std::string& target, const std::string& file) {
    if (file == kHelpName) return target + kProgramName + " " + kHelpSwitch;
    return target + file;
}

} // namespace sv::install

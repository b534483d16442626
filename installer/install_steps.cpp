#include "installer/install_steps.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/files.h"
#include "platform/program_groups.h"
#include "platform/registry.h"

namespace sv::install {

const std::vector<InstallFile>& installFiles() {
    // The editor and setup itself are what an installation needs; the help,
    // the samples, the readme and the pictures come with a release folder
    // and are copied when setup finds them beside itself.
    static const std::vector<InstallFile> files = {
        {kProgramName, true, true},
        {kHelpName, false, true},
        {"sample1.wav", false, true},
        {kReadmeName, false, true},
        {"sample2.wav", false, true},
        {kSetupName, true, false},
        {"sv_globe.gif", false, false},
        {"background.wmf", false, false},
    };
    return files;
}

int makeFolders(const std::string& folder) {
    int failure = 0;
    for (size_t i = 1; i <= folder.size(); ++i) {
        if (i == folder.size() || folder[i] == '/') {
            std::string part = folder.substr(0, i);
            failure = ::mkdir(part.c_str(), 0755) != 0 && errno != EEXIST ? errno : 0;
        }
    }
    return failure;
}

int copyFile(const std::string& source, const std::string& target, bool makeWritable) {
    ScopedFd in(::open(source.c_str(), O_RDONLY | O_CLOEXEC));
    if (in.fd < 0) return errno;
    struct stat st;
    if (::fstat(in.fd, &st) != 0) return errno;
    if (!S_ISREG(st.st_mode)) return EISDIR;
    SafeFileWriter out;
    if (int e = out.open(target)) return e;
    try {
        std::vector<char> buf(1 << 16);
        int64_t off = 0;
        while (off < st.st_size) {
            size_t n = static_cast<size_t>(std::min<int64_t>(int64_t(buf.size()), st.st_size - off));
            if (!readFullyAt(in.fd, off, buf.data(), n)) return errno ? errno : EIO;
            out.write(buf.data(), n);
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
    return 0;
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

void registerUninstall(const std::string& target) {
    Registry reg(RegistryRoot::LocalMachine);
    reg.openKey("SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall", true);
    reg.openKey("Sonvela", true);
    reg.writeString("DisplayName", "Sonvela");
    std::string setup = target + kSetupName;
    if (setup.find_first_of(" \t\"") != std::string::npos) setup = "\"" + setup + "\"";
    reg.writeString("UninstallString", setup + " -uninstall");
    reg.closeKey();
}

std::string programFilesDir() {
    Registry reg(RegistryRoot::LocalMachine);
    for (const char* level : {"SOFTWARE", "Microsoft", "Windows", "CurrentVersion"})
        if (!reg.openKey(level, false)) return {};
    return reg.readString("ProgramFilesDir");
}

std::string createGroupMacro(const std::string& group) { return "[CreateGroup(" + group + ")]\r\n"; }

std::string addItemMacro(const std::string& commandLine, const std::string& name) {
    // A folder name with a comma or a bracket would split the macro.
    std::string cmd = commandLine;
    if (cmd.find_first_of(",()[]") != std::string::npos) cmd = "\"" + cmd + "\"";
    return "[AddItem(" + cmd + "," + name + ")]\r\n";
}

} // namespace sv::install

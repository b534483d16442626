#include "installer/install_undo.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "installer/install_steps.h"

namespace sv::install {

InstallUndo::~InstallUndo() {
    for (const Saved& s : files_)
        if (s.fd >= 0) ::close(s.fd);
}

int InstallUndo::rememberFile(const std::string& path) {
    for (const Saved& s : files_)
        if (s.path == path) return 0;
    Saved s;
    s.path = path;
    struct stat st;
    if (::stat(path.c_str(), &st) == 0) {
        s.fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        if (s.fd < 0) return errno;
        s.mode = st.st_mode & 07777;
        s.dev = st.st_dev;
        s.ino = st.st_ino;
        s.size = st.st_size;
        s.mtime = st.st_mtim;
    } else if (errno != ENOENT && errno != ENOTDIR) {
        return errno;
    }
    files_.push_back(std::move(s));
    return 0;
}

void InstallUndo::rememberFolders(const std::vector<std::string>& folders) {
    folders_.insert(folders_.end(), folders.begin(), folders.end());
}

std::vector<std::string> InstallUndo::undo() {
    std::vector<std::string> failed;
    for (const Saved& s : files_) {
        if (s.fd >= 0) continue;
        if (::unlink(s.path.c_str()) != 0 && errno != ENOENT && errno != ENOTDIR)
            failed.push_back(s.path + ": " + std::strerror(errno));
    }
    for (const Saved& s : files_) {
        if (s.fd < 0) continue;
        struct stat st;
        // The same file, neither replaced nor written since: nothing to do.
        if (::stat(s.path.c_str(), &st) == 0 && st.st_dev == s.dev && st.st_ino == s.ino && st.st_size == s.size &&
            st.st_mtim.tv_sec == s.mtime.tv_sec && st.st_mtim.tv_nsec == s.mtime.tv_nsec && (st.st_mode & 07777) == s.mode)
            continue;
        // The kept descriptor still reads the old file, with its own
        // permissions, also after it was renamed over.
        if (int e = copyFile("/proc/self/fd/" + std::to_string(s.fd), s.path, false))
            failed.push_back(s.path + ": " + std::strerror(e));
    }
    removeEmptyFolders(folders_);
    for (const std::string& f : folders_) {
        struct stat st;
        if (::stat(f.c_str(), &st) == 0) failed.push_back(f + ": " + std::strerror(ENOTEMPTY));
    }
    return failed;
}

} // namespace sv::install

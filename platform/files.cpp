#include "platform/files.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

namespace sv {

static std::function<int(const std::string&)> g_createFault;

void setCreateFaultHook(std::function<int(const std::string&)> hook) { g_createFault = std::move(hook); }

bool readFullyAt(int fd, int64_t off, void* dst, size_t n) {
    uint8_t* p = static_cast<uint8_t*>(dst);
    while (n > 0) {
        const ssize_t r = ::pread(fd, p, n, off);
        if (r < 0 && errno == EINTR) continue;
        if (r < 0) return false;
        if (r == 0) {
            errno = EIO;
            return false;
        }
        p += r;
        n -= size_t(r);
        off += r;
    }
    return true;
}

ScopedFd::~ScopedFd() {
    if (fd >= 0) ::close(fd);
}

std::FILE* createFile(const std::string& path) {
    if (g_createFault) {
        if (int e = g_createFault(path)) { errno = e; return nullptr; }
    }
    return std::fopen(path.c_str(), "wb");
}

void ignoreFileSizeSignal() { std::signal(SIGXFSZ, SIG_IGN); }

namespace {

// The folder part of a path ("." for a bare name) and the name part.
void splitPath(const std::string& path, std::string& folder, std::string& name) {
    const size_t slash = path.find_last_of('/');
    folder = slash == std::string::npos ? "." : (slash == 0 ? "/" : path.substr(0, slash));
    name = slash == std::string::npos ? path : path.substr(slash + 1);
}

// After a rename the new name lives in the folder's entry, which is only on
// the disk once the folder itself is flushed.
int syncFolder(const std::string& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return errno;
    int e = 0;
    if (::fsync(fd) != 0 && errno != EINVAL) e = errno;   // some file systems cannot sync a folder
    ::close(fd);
    return e;
}

bool processGone(long pid) { return pid > 0 && ::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH; }

} // namespace

void removeStalePartFiles(const std::string& target) {
    std::string folder, name;
    splitPath(target, folder, name);
    const std::string prefix = name + ".part";
    DIR* d = ::opendir(folder.c_str());
    if (!d) return;
    while (dirent* e = ::readdir(d)) {
        const std::string entry = e->d_name;
        if (entry.size() <= prefix.size() || entry.compare(0, prefix.size(), prefix) != 0) continue;
        const std::string digits = entry.substr(prefix.size());
        if (digits.size() > 9 || !std::all_of(digits.begin(), digits.end(), [](char c) { return std::isdigit(static_cast<unsigned char>(c)); }))
            continue;
        // Only the leftover of a process that has ended: a running save of
        // another editor keeps its file.
        if (processGone(std::stol(digits))) ::unlink((folder + "/" + entry).c_str());
    }
    ::closedir(d);
}

SafeFileWriter::~SafeFileWriter() {
    if (f_) {
        std::fclose(f_);
        ::unlink(temp_.c_str());
    }
}

int SafeFileWriter::open(const std::string& target) {
    target_ = target;
    // The fault hook sees the target name: that is what the user chose.
    if (g_createFault) {
        if (int e = g_createFault(target)) return e;
    }
    removeStalePartFiles(target);
    temp_ = target + ".part" + std::to_string(::getpid());
    f_ = std::fopen(temp_.c_str(), "wb");
    if (!f_) return errno ? errno : EIO;
    return 0;
}

void SafeFileWriter::write(const void* data, size_t size) {
    if (size == 0) return;
    if (!f_ || std::fwrite(data, 1, size, f_) != size)
        throw FileIOError("I/O error writing " + target_ + ": " + std::strerror(errno), errno);
}

void SafeFileWriter::commit() {
    if (!f_) throw FileIOError("I/O error: file not open", EBADF);
    // Flushed to the disk before the rename: a power cut right after it must
    // find either the old file or the whole new one, never an empty name.
    int rc = std::fflush(f_);
    int e = errno;
    if (rc == 0 && ::fsync(::fileno(f_)) != 0) {
        rc = -1;
        e = errno;
    }
    if (std::fclose(f_) != 0 && rc == 0) {
        rc = -1;
        e = errno;
    }
    f_ = nullptr;
    if (rc != 0) {
        ::unlink(temp_.c_str());
        throw FileIOError("I/O error writing " + target_ + ": " + std::strerror(e), e);
    }
    if (::rename(temp_.c_str(), target_.c_str()) != 0) {
        e = errno;
        ::unlink(temp_.c_str());
        throw FileIOError("I/O error writing " + target_ + ": " + std::strerror(e), e);
    }
    std::string folder, name;
    splitPath(target_, folder, name);
    if ((e = syncFolder(folder)) != 0) throw FileIOError("I/O error writing " + target_ + ": " + std::strerror(e), e);
}

} // namespace sv

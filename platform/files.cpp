#include "platform/files.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <system_error>
#include <thread>
#include <unistd.h>
#include <vector>

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

bool writeFullyAt(int fd, int64_t off, const void* src, size_t n, size_t* written) {
    const uint8_t* p = static_cast<const uint8_t*>(src);
    size_t done = 0;
    bool ok = true;
    while (done < n) {
        const ssize_t r = ::pwrite(fd, p + done, n - done, off + int64_t(done));
        if (r < 0 && errno == EINTR) continue;
        if (r <= 0) {
            if (r == 0) errno = EIO;
            ok = false;
            break;
        }
        done += size_t(r);
    }
    if (written) *written = done;
    return ok;
}

bool readLongAt(int fd, int64_t off, void* dst, size_t n) {
    constexpr size_t kPiece = size_t(16) << 20;
    const size_t pieces = std::min<size_t>(std::clamp(std::thread::hardware_concurrency(), 1u, 8u), n / kPiece);
    if (pieces <= 1) return readFullyAt(fd, off, dst, n);
    std::vector<int> errors(pieces, 0);
    std::vector<std::thread> threads;
    threads.reserve(pieces);
    auto piece = [&](size_t i) {
        const size_t b = n / pieces * i, e = i + 1 == pieces ? n : n / pieces * (i + 1);
        if (!readFullyAt(fd, off + int64_t(b), static_cast<uint8_t*>(dst) + b, e - b)) errors[i] = errno ? errno : EIO;
    };
    try {
        for (size_t i = 1; i < pieces; ++i) threads.emplace_back(piece, i);
    } catch (const std::system_error&) {
        // No more threads: the pieces not handed out are read here.
        for (size_t i = threads.size() + 1; i < pieces; ++i) piece(i);
    }
    piece(0);
    for (auto& t : threads) t.join();
    for (int e : errors) {
        if (e) {
            errno = e;
            return false;
        }
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

bool allDigits(const std::string& s) {
    return !s.empty() && std::all_of(s.begin(), s.end(), [](char c) { return std::isdigit(static_cast<unsigned char>(c)); });
}

bool processGone(long pid) { return pid > 0 && ::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH; }

} // namespace

void removeLeftoversOfEndedProcesses(const std::string& folder,
                                     const std::function<long(const std::string& name)>& pidOf) {
    const std::string prefix = folder.empty() || folder.back() == '/' ? folder : folder + "/";
    DIR* d = ::opendir(prefix.empty() ? "." : prefix.c_str());
    if (!d) return;
    while (dirent* e = ::readdir(d)) {
        // Only the leftover of a process that has ended: the files of
        // another running editor are still in use.
        if (processGone(pidOf(e->d_name))) ::unlink((prefix + e->d_name).c_str());
    }
    ::closedir(d);
}

void removeStalePartFiles(const std::string& target) {
    std::string folder, name;
    splitPath(target, folder, name);
    const std::string prefix = name + ".part";
    removeLeftoversOfEndedProcesses(folder, [&](const std::string& entry) -> long {
        if (entry.size() <= prefix.size() || entry.compare(0, prefix.size(), prefix) != 0) return 0;
        const std::string digits = entry.substr(prefix.size());
        return digits.size() <= 9 && allDigits(digits) ? std::stol(digits) : 0;
    });
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
    written_ = flushStart_ = 0;
    return 0;
}

void SafeFileWriter::write(const void* data, size_t size) {
    // A long file is handed over in pieces, and the disk is told to start
    // writing each piece at once: it then works while the next piece is
    // copied, and the flush of commit() only waits for the last one.
    constexpr size_t kPiece = size_t(8) << 20;
    const uint8_t* p = static_cast<const uint8_t*>(data);
    while (size > 0) {
        const size_t n = std::min(size, kPiece);
        if (!f_ || std::fwrite(p, 1, n, f_) != n)
            throw FileIOError("I/O error writing " + target_ + ": " + std::strerror(errno), errno);
        p += n;
        size -= n;
        written_ += int64_t(n);
#if defined(__linux__)
        if (written_ - flushStart_ >= int64_t(kPiece) && std::fflush(f_) == 0) {
            // Only a hint: a failure here shows again in commit()'s flush.
            ::sync_file_range(::fileno(f_), flushStart_, written_ - flushStart_, SYNC_FILE_RANGE_WRITE);
            flushStart_ = written_;
        }
#endif
    }
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

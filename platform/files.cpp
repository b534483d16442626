#include "platform/files.h"

#include <cerrno>
#include <cstring>
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
    int rc = std::fflush(f_);
    int e = errno;
    rc |= std::fclose(f_);
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
}

} // namespace sv

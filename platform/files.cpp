#include "platform/files.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/random.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <system_error>
#include <thread>
#include <unistd.h>
#include <vector>

namespace sv {

static std::function<int(const std::string&)> g_createFault;

void setCreateFaultHook(std::function<int(const std::string&)> hook) { g_createFault = std::move(hook); }

// The errno the test hook asks for when creating `path`, or 0.
static int faultFor(const std::string& path) { return g_createFault ? g_createFault(path) : 0; }

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
    if (int e = faultFor(path)) {
        errno = e;
        return nullptr;
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

// The file a name stands for once symbolic links are followed: saving
// through a link writes the file it points to and leaves the link alone.
std::string followLinks(const std::string& path, int& err) {
    std::string p = path;
    for (int hops = 0; hops < 40; ++hops) {
        struct stat st;
        if (::lstat(p.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return p;
        std::vector<char> buf(size_t(st.st_size > 0 ? st.st_size : 4096) + 1);
        const ssize_t n = ::readlink(p.c_str(), buf.data(), buf.size());
        if (n <= 0 || size_t(n) >= buf.size()) {
            err = n < 0 ? errno : ENOENT;
            return p;
        }
        std::string to(buf.data(), size_t(n));
        if (to[0] != '/') {
            const size_t slash = p.find_last_of('/');
            if (slash != std::string::npos) to = p.substr(0, slash + 1) + to;
        }
        p = to;
    }
    err = ELOOP;
    return p;
}

int openExclusive(const std::string& path, mode_t mode) {
    return ::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_NOCTTY | O_CLOEXEC, mode);
}

// Each undo step keeps its file open (and locked); many windows with deep
// histories can pass the usual soft limit of 1024 descriptors.
bool raiseOpenFileLimit() {
    rlimit r{};
    if (::getrlimit(RLIMIT_NOFILE, &r) != 0 || r.rlim_cur >= r.rlim_max) return false;
    r.rlim_cur = r.rlim_max == RLIM_INFINITY ? rlim_t(1) << 16 : std::min<rlim_t>(r.rlim_max, rlim_t(1) << 16);
    return ::setrlimit(RLIMIT_NOFILE, &r) == 0;
}

// Opens an existing entry to judge it: a plain file of this user, opened
// without following a link, whose lock nobody holds (a running program,
// here or on another machine, keeps its files locked). The descriptor
// then holds the lock; -1 for anything else.
int openUnusedOwnFile(const std::string& path, struct stat& st) {
    if (::lstat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != ::geteuid()) return -1;
    const int fd = ::open(path.c_str(), O_RDWR | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return -1;
    struct stat now;
    if (::fstat(fd, &now) != 0 || now.st_dev != st.st_dev || now.st_ino != st.st_ino ||
        ::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return -1;
    }
    st = now;
    return fd;
}

// Removes the name only while it still names the file judged.
bool unlinkIfSame(const std::string& path, const struct stat& st) {
    struct stat now;
    if (::lstat(path.c_str(), &now) != 0 || now.st_dev != st.st_dev || now.st_ino != st.st_ino) return false;
    return ::unlink(path.c_str()) == 0;
}

// Creates the file exclusively, never through a link, and locks it.
int createLocked(const std::string& path, mode_t mode) {
    int fd = openExclusive(path, mode);
    if (fd < 0 && errno == EMFILE && raiseOpenFileLimit()) fd = openExclusive(path, mode);
    if (fd < 0) return -1;
    // Where the file system keeps no locks the file still serves; it is then
    // known as in use by its process id alone.
    (void)::flock(fd, LOCK_EX | LOCK_NB);
    return fd;
}

// A save's temporary is "<name>.part<pid>-sonvela-<token>": the marker and
// the random token make a name nobody gives a file of their own, and the
// process id tells whether the save that made it may still be running.
constexpr char kPartMarker[] = "-sonvela-";
constexpr size_t kTokenDigits = 12;
// The mark a save puts on its temporary where the file system keeps
// extended attributes, taken off once the file has its final name.
constexpr char kPartMark[] = "user.sonvela.partial";

// What the temporaries of a target named `name` start with. A long name is
// shortened so that the temporary's name still fits in a folder entry; two
// long names alike up to there share their temporaries' cleanup, which
// still removes only the program's own leftovers.
std::string partPrefix(std::string name) {
    constexpr size_t kLongestName = 255;
    constexpr size_t kTail = 5 + 10 + sizeof kPartMarker - 1 + kTokenDigits;   // ".part", pid, marker, token
    if (name.size() > kLongestName - kTail) {
        name.resize(kLongestName - kTail);
        // No character cut in two.
        while (!name.empty() && (static_cast<unsigned char>(name.back()) & 0x80)) name.pop_back();
    }
    return name + ".part";
}

// The process that made a temporary named `entry`, or 0 for any other name.
long partFileProcess(const std::string& entry, const std::string& prefix) {
    if (entry.compare(0, prefix.size(), prefix) != 0) return 0;
    const size_t marker = entry.find(kPartMarker, prefix.size());
    if (marker == std::string::npos || marker - prefix.size() > 10) return 0;
    const std::string digits = entry.substr(prefix.size(), marker - prefix.size());
    const size_t tokenAt = marker + sizeof kPartMarker - 1;
    const bool tokenOk =
        entry.size() - tokenAt == kTokenDigits && std::all_of(entry.begin() + long(tokenAt), entry.end(), [](char c) {
            return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f');
        });
    return tokenOk && allDigits(digits) && digits[0] != '0' ? std::stol(digits) : 0;
}

std::string randomToken() {
    uint8_t bytes[kTokenDigits / 2];
    size_t got = 0;
    while (got < sizeof bytes) {
        const ssize_t r = ::getrandom(bytes + got, sizeof bytes - got, 0);
        if (r < 0 && errno == EINTR) continue;
        if (r <= 0) break;
        got += size_t(r);
    }
    if (got < sizeof bytes) {
        // No random source: the clock still gives a name unlike any other.
        timespec t{};
        ::clock_gettime(CLOCK_REALTIME, &t);
        uint64_t x = uint64_t(t.tv_sec) * 1000000007u ^ uint64_t(t.tv_nsec);
        for (auto& b : bytes) {
            x = x * 6364136223846793005u + 1442695040888963407u;
            b = uint8_t(x >> 56);
        }
    }
    static const char hex[] = "0123456789abcdef";
    std::string token;
    for (uint8_t b : bytes) {
        token += hex[b >> 4];
        token += hex[b & 15];
    }
    return token;
}

// A file without the mark was not made by a save, unless its file system
// keeps no extended attributes at all.
bool carriesPartMark(int fd) { return ::fgetxattr(fd, kPartMark, nullptr, 0) >= 0 || errno == ENOTSUP; }

} // namespace

int createOwnFile(const std::string& path, mode_t mode, const std::function<bool(int fd, int64_t size)>& recognise) {
    if (int e = faultFor(path)) {
        errno = e;
        return -1;
    }
    const int fd = createLocked(path, mode);
    if (fd >= 0 || errno != EEXIST) return fd;
    // A run that had this process id before us may have left the name behind.
    struct stat st;
    const int old = openUnusedOwnFile(path, st);
    bool removed = false;
    if (old >= 0) {
        removed = recognise(old, st.st_size) && unlinkIfSame(path, st);
        ::close(old);
    }
    if (!removed) {
        errno = EEXIST;
        return -1;
    }
    return createLocked(path, mode);
}

bool isCutShortTake(int fd, int64_t size) {
    uint8_t h[44];
    if (size <= int64_t(sizeof h) || !readFullyAt(fd, 0, h, sizeof h)) return false;
    return std::memcmp(h, "RIFF", 4) == 0 && std::memcmp(h + 8, "WAVE", 4) == 0 &&
           std::memcmp(h + 36, "data", 4) == 0 && h[40] == 0 && h[41] == 0 && h[42] == 0 && h[43] == 0;
}

void removeLeftoversOfEndedProcesses(const std::string& folder,
                                     const std::function<long(const std::string& name)>& pidOf,
                                     const std::function<bool(int fd, int64_t size)>& recognise) {
    const std::string prefix = folder.empty() || folder.back() == '/' ? folder : folder + "/";
    DIR* d = ::opendir(prefix.empty() ? "." : prefix.c_str());
    if (!d) return;
    while (dirent* e = ::readdir(d)) {
        // A process id alive here may be a running editor's; one gone from
        // here may still be running on another machine: the lock tells.
        if (!processGone(pidOf(e->d_name))) continue;
        const std::string path = prefix + e->d_name;
        struct stat st;
        const int fd = openUnusedOwnFile(path, st);
        if (fd < 0) continue;
        if (recognise(fd, st.st_size)) unlinkIfSame(path, st);
        ::close(fd);
    }
    ::closedir(d);
}

void removeStalePartFiles(const std::string& target) {
    std::string folder, name;
    splitPath(target, folder, name);
    const std::string prefix = partPrefix(name);
    removeLeftoversOfEndedProcesses(
        folder, [&](const std::string& entry) { return partFileProcess(entry, prefix); },
        [](int fd, int64_t size) { return carriesPartMark(fd) && !isCutShortTake(fd, size); });
}

SafeFileWriter::~SafeFileWriter() {
    if (f_) {
        if (!published_) ::unlink(temp_.c_str());
        std::fclose(f_);
    }
}

int SafeFileWriter::open(const std::string& target) {
    target_ = target;
    // The fault hook sees the target name first: that is what the user chose.
    if (int e = faultFor(target)) return e;
    int e = 0;
    real_ = followLinks(target, e);
    if (e) return e;
    removeStalePartFiles(real_);
    std::string folder, name;
    splitPath(real_, folder, name);
    temp_ = real_.substr(0, real_.size() - name.size()) + partPrefix(name) + std::to_string(::getpid()) +
            kPartMarker + randomToken();
    if ((e = faultFor(temp_))) return e;
    struct stat st;
    const bool replacing = ::stat(real_.c_str(), &st) == 0 && S_ISREG(st.st_mode);
    // A replaced file's readers stay its readers: the new file is made
    // private and then given the old one's owner, group and mode. Whatever
    // stands under the temporary's name (a planted link) is left alone and
    // the save refused.
    const int fd = createLocked(temp_, replacing ? 0600 : 0666);
    if (fd < 0) return errno ? errno : EIO;
    (void)::fsetxattr(fd, kPartMark, "1", 1, 0);
    if (replacing) {
        if (::fchown(fd, st.st_uid, st.st_gid) != 0) (void)!::fchown(fd, uid_t(-1), st.st_gid);
        (void)::fchmod(fd, st.st_mode & 07777);
    }
    f_ = ::fdopen(fd, "wb");
    if (!f_) {
        e = errno;
        ::unlink(temp_.c_str());
        ::close(fd);
        return e ? e : EIO;
    }
    published_ = false;
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

void SafeFileWriter::fail(int e) {
    if (f_) {
        if (!published_) ::unlink(temp_.c_str());
        std::fclose(f_);
        f_ = nullptr;
    }
    throw FileIOError("I/O error writing " + target_ + ": " + std::strerror(e), e);
}

void SafeFileWriter::publish() {
    if (!f_) throw FileIOError("I/O error: file not open", EBADF);
    if (published_) return;
    // Flushed to the disk before the rename: a power cut right after it must
    // find either the old file or the whole new one, never an empty name.
    // The file stays open (and locked) across the rename.
    if (std::fflush(f_) != 0 || ::fsync(::fileno(f_)) != 0 || ::rename(temp_.c_str(), real_.c_str()) != 0)
        fail(errno ? errno : EIO);
    published_ = true;
    // Under its final name it is the user's file, no temporary any more.
    (void)::fremovexattr(::fileno(f_), kPartMark);
    std::string folder, name;
    splitPath(real_, folder, name);
    if (int e = syncFolder(folder)) throw FileIOError("I/O error writing " + target_ + ": " + std::strerror(e), e);
}

void SafeFileWriter::commit() {
    if (!f_) throw FileIOError("I/O error: file not open", EBADF);
    const bool wasPublished = published_;
    if (wasPublished) {
        if (std::fflush(f_) != 0 || ::fsync(::fileno(f_)) != 0) fail(errno ? errno : EIO);
    } else {
        publish();
    }
    // Every byte is on the disk already; closing can no longer lose any.
    std::fclose(f_);
    f_ = nullptr;
}

} // namespace sv

// File creation with a fault hook for tests (CI runs as root, so a
// read-only folder cannot simulate a failed save) and a safe replace: a file
// is written beside its target and renamed over it only when complete, so a
// failed save never destroys the previous file.
#pragma once
#include <cstdint>
#include <cstdio>
#include <functional>
#include <stdexcept>
#include <string>
#include <sys/types.h>

namespace sv {

// A read or write error on a file that is already open.
class FileIOError : public std::runtime_error {
public:
    FileIOError(const std::string& what, int code) : std::runtime_error(what), code_(code) {}
    int code() const { return code_; }
private:
    int code_;
};

// Reads exactly n bytes at offset off. False on a read error, with errno
// set; a file that ends first sets EIO, so errno never tells a stale story.
bool readFullyAt(int fd, int64_t off, void* dst, size_t n);

// Writes n bytes at offset off. False on a write error, with errno set;
// `written` (when given) receives the bytes that reached the file first.
bool writeFullyAt(int fd, int64_t off, const void* src, size_t n, size_t* written = nullptr);

// The same for a long stretch (a whole sound): read in pieces on several
// threads, so that the copying out of the page cache and the first touch
// of the new memory are spread over the cores. Short reads stay on the
// calling thread. On failure errno is the first failing piece's.
bool readLongAt(int fd, int64_t off, void* dst, size_t n);

// A file descriptor closed on every path out.
struct ScopedFd {
    int fd = -1;
    ScopedFd() = default;
    explicit ScopedFd(int f) : fd(f) {}
    ~ScopedFd();
    ScopedFd(const ScopedFd&) = delete;
    ScopedFd& operator=(const ScopedFd&) = delete;
};

// Tests: return a non-zero errno to make creating that path fail. The hook
// sees each path just before it is created: a save's target, then the name
// of the temporary written beside it.
void setCreateFaultHook(std::function<int(const std::string& path)> hook);

// Creates (truncates) a file for writing; nullptr with errno set on failure.
std::FILE* createFile(const std::string& path);

// Creates a file of the program's own for reading and writing: exclusively
// and never through a link (a name that exists, a link planted under it
// included, is not opened), with `mode` less the umask, and locked for as
// long as the descriptor stays open, so that the cleanup of ended runs, on
// this machine or on another one sharing the folder, leaves it alone. A
// leftover under this very name of a run that has ended (ours, unlocked,
// and known to `recognise` as one of the program's own) is replaced. The
// descriptor, or -1 with errno set.
int createOwnFile(const std::string& path, mode_t mode, const std::function<bool(int fd, int64_t size)>& recognise);

// A file that starts as a WAVE header stating no data while data follows:
// a recording cut short before its header was patched. Never removed.
bool isCutShortTake(int fd, int64_t size);

// A write past the process's file-size limit must fail with EFBIG and
// reach the user as a message; by default the signal kills the process.
// Called once at start-up by each program.
void ignoreFileSizeSignal();

// Removes the files in `folder` that a run which has ended left behind.
// `pidOf` tells, from a file's name, the process that made it (0 for a name
// that is not such a file). A file goes only when that process is gone from
// this machine, the file is a plain file of this user, no running program
// (here or on another machine) holds its lock, and `recognise` (given the
// file open and its size) knows it as one of the program's own.
void removeLeftoversOfEndedProcesses(const std::string& folder,
                                     const std::function<long(const std::string& name)>& pidOf,
                                     const std::function<bool(int fd, int64_t size)>& recognise);

// Removes the temporaries beside the target that saves of runs which have
// ended left behind (a save killed halfway), as above. Only a name no user
// would choose is taken for one ("name.part<pid>-sonvela-" and twelve random
// hexadecimal digits), and where the file system keeps extended attributes
// the file must also carry the mark each save puts on its temporary: a
// user's file of any other name, or named alike without the mark, stays.
// A recording is never removed.
void removeStalePartFiles(const std::string& target);

// Writes a new temporary beside the target (named as above, the target's
// name shortened where the whole would not fit in a folder entry) and, on
// commit(), flushes it to the disk, renames it over the target and flushes
// the folder, so a crash or power cut at any point leaves the old file or
// the new one whole. The temporary is created exclusively, never through a
// link and locked, as createOwnFile does, but an entry already under its
// name is never replaced: open() then fails with EEXIST. A replaced file
// keeps its permission bits (and its owner and group where the user may set
// them), a new one gets 0666 less the umask; a target that is a symbolic
// link is written through: the file it points to is replaced and the link
// stays. Destroying it without commit() removes the temporary; open()
// first removes leftovers of ended runs for the same target.
class SafeFileWriter {
public:
    SafeFileWriter() = default;
    ~SafeFileWriter();
    SafeFileWriter(const SafeFileWriter&) = delete;
    SafeFileWriter& operator=(const SafeFileWriter&) = delete;

    // 0 on success, else the errno of the failure.
    int open(const std::string& target);
    void write(const void* data, size_t size);   // throws FileIOError
    // Puts what has been written in place under the target's name at once
    // (flushed, renamed, folder flushed) and keeps the file open: writing
    // goes on under the final name, and from here on the file stays even
    // if the writer is destroyed without commit() (a recording). Throws
    // FileIOError; the target is then as it was.
    void publish();
    void commit();                               // throws FileIOError
    std::FILE* file() { return f_; }

private:
    [[noreturn]] void fail(int e);

    std::string target_, real_, temp_;
    std::FILE* f_ = nullptr;
    bool published_ = false;
    int64_t written_ = 0;      // bytes handed to the file so far
    int64_t flushStart_ = 0;   // first byte whose writing to disk has not been started
};

} // namespace sv

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

// Tests: return a non-zero errno to make creating that path fail.
void setCreateFaultHook(std::function<int(const std::string& path)> hook);

// Creates (truncates) a file for writing; nullptr with errno set on failure.
std::FILE* createFile(const std::string& path);

// A write past the process's file-size limit must fail with EFBIG and
// reach the user as a message; by default the signal kills the process.
// Called once at start-up by each program.
void ignoreFileSizeSignal();

// Removes the files in `folder` that a process which has ended left
// behind. `pidOf` tells, from a file's name, the process that made it (0
// for a name that is not such a file); files of running processes and of
// other names stay.
void removeLeftoversOfEndedProcesses(const std::string& folder,
                                     const std::function<long(const std::string& name)>& pidOf);

// Removes "name.part<pid>" files beside the target left by processes that
// have ended (a save killed halfway); files of running processes stay.
void removeStalePartFiles(const std::string& target);

// Writes a new file "name.part<pid>" beside the target and, on commit(),
// flushes it to the disk, renames it over the target and flushes the
// folder, so a crash or power cut at any point leaves the old file or the
// new one whole. Destroying it without commit() removes the partial file;
// open() first removes leftovers of ended processes for the same target.
class SafeFileWriter {
public:
    SafeFileWriter() = default;
    ~SafeFileWriter();
    SafeFileWriter(const SafeFileWriter&) = delete;
    SafeFileWriter& operator=(const SafeFileWriter&) = delete;

    // 0 on success, else the errno of the failure.
    int open(const std::string& target);
    void write(const void* data, size_t size);   // throws FileIOError
    void commit();                               // throws FileIOError
    std::FILE* file() { return f_; }

private:
    std::string target_, temp_;
    std::FILE* f_ = nullptr;
    int64_t written_ = 0;      // bytes handed to the file so far
    int64_t flushStart_ = 0;   // first byte whose writing to disk has not been started
};

} // namespace sv

#include "platform/paths.h"

#include <algorithm>
#include <cctype>
#include <climits>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace sv {

static std::string::size_type extPos(const std::string& path) {
    auto slash = path.find_last_of('/');
    auto dot = path.find_last_of('.');
    if (dot == std::string::npos) return std::string::npos;
    if (slash != std::string::npos && dot < slash) return std::string::npos;
    return dot;
}

std::string changeFileExt(const std::string& path, const std::string& ext) {
    auto p = extPos(path);
    return (p == std::string::npos ? path : path.substr(0, p)) + ext;
}

std::string extractFileExt(const std::string& path) {
    auto p = extPos(path);
    return p == std::string::npos ? std::string() : path.substr(p);
}

std::string toLower(const std::string& s) {
    std::string r(s);
    std::transform(r.begin(), r.end(), r.begin(), [](unsigned char c) { return std::tolower(c); });
    return r;
}

bool sameTextNoCase(const std::string& a, const std::string& b) { return toLower(a) == toLower(b); }

std::string lowerFileExt(const std::string& path) { return toLower(extractFileExt(path)); }

std::string extractFileName(const std::string& path) {
    auto slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string extractFilePath(const std::string& path) {
    auto slash = path.find_last_of('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string nameWithoutExt(const std::string& path) { return changeFileExt(path, ""); }

std::string forceExtension(const std::string& path, const std::string& ext) {
    if (sameTextNoCase(extractFileExt(path), ext)) return path;
    return changeFileExt(path, ext);
}

bool fileExists(const std::string& path) {
    struct stat st;
    return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

ReadProblem readProblem(const std::string& path) {
    struct stat st;
    if (::stat(path.c_str(), &st) != 0) return {errno, std::strerror(errno)};
    if (S_ISDIR(st.st_mode)) return {0, "it is a folder, not a file"};
    if (!S_ISREG(st.st_mode)) return {0, "it is not a regular file"};
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return {errno, std::strerror(errno)};
    ::close(fd);
    return {};
}

std::string openErrorMessage(const std::string& path, const ReadProblem& problem) {
    return "Error opening file " + path + ": " + problem.reason + ".";
}

bool dirExists(const std::string& path) {
    struct stat st;
    return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

int64_t fileSizeOf(const std::string& path) {
    struct stat st;
    if (::stat(path.c_str(), &st) != 0) return -1;
    return static_cast<int64_t>(st.st_size);
}

std::string canonicalPath(const std::string& path) {
    char buf[PATH_MAX];
    if (::realpath(path.c_str(), buf)) return buf;
    // The file may not exist yet: resolve its folder and keep the name.
    std::string dir = extractFilePath(path);
    if (dir.empty()) dir = "./";
    if (::realpath(dir.c_str(), buf)) return std::string(buf) + "/" + extractFileName(path);
    return path;
}

bool deleteFile(const std::string& path) { return ::unlink(path.c_str()) == 0; }

} // namespace sv

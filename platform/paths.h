// File-name helpers with the meaning the program relies on throughout:
// an extension is what follows the last '.' after the last '/'.
#pragma once
#include <string>

namespace sv {

std::string changeFileExt(const std::string& path, const std::string& ext);
std::string extractFileExt(const std::string& path);       // with its dot, case kept
std::string lowerFileExt(const std::string& path);         // with its dot, lower case
std::string extractFileName(const std::string& path);      // after the last '/'
std::string extractFilePath(const std::string& path);      // up to and with the last '/'
std::string nameWithoutExt(const std::string& path);       // full path minus the extension
std::string toLower(const std::string& s);
bool sameTextNoCase(const std::string& a, const std::string& b);

// Forces an extension but keeps an existing one that matches without regard
// to case ("a.WAV" stays "a.WAV"), since on Linux a second file would appear.
std::string forceExtension(const std::string& path, const std::string& ext);

bool fileExists(const std::string& path);

// Why a file cannot be opened for reading: nothing (error 0, empty reason)
// when it can. A folder, a pipe, a device or a socket is refused by what it
// is (error 0) without being opened, so a pipe with no writer never makes
// the program wait; otherwise error is the system's errno (ENOENT for a
// missing file) and reason its text ("Permission denied").
struct ReadProblem {
    int error = 0;
    std::string reason;
    explicit operator bool() const { return !reason.empty(); }
};
ReadProblem readProblem(const std::string& path);
// The message that says so: "Error opening file <path>: <reason>."
std::string openErrorMessage(const std::string& path, const ReadProblem& problem);
bool dirExists(const std::string& path);
int64_t fileSizeOf(const std::string& path);               // -1 when missing
std::string canonicalPath(const std::string& path);        // best effort
bool deleteFile(const std::string& path);

} // namespace sv

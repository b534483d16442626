#include "platform/settings.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/exedir.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "platform/prompts.h"

namespace sv {

static std::string trim(const std::string& s) {
    auto b = s.find_first_not_of(" \t\r\n");
    if (b == std::string::npos) return std::string();
    auto e = s.find_last_not_of(" \t\r\n");
    return s.substr(b, e - b + 1);
}

// Returns true and the section name when the line is a section header.
static bool sectionOf(const std::string& line, std::string& name) {
    std::string t = trim(line);
    if (t.size() < 2 || t.front() != '[') return false;
    auto close = t.find(']');
    if (close == std::string::npos) return false;
    name = trim(t.substr(1, close - 1));
    return true;
}

// Returns true with the key and value when the line is a key line.
static bool keyOf(const std::string& line, std::string& key, std::string& value) {
    auto eq = line.find('=');
    if (eq == std::string::npos) return false;
    key = trim(line.substr(0, eq));
    if (key.empty() || key[0] == ';') return false;
    value = trim(line.substr(eq + 1));
    return true;
}

std::vector<std::string> IniFile::readLines(bool* complete) const {
    std::vector<std::string> lines;
    std::ifstream in(path_, std::ios::binary);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    if (complete) *complete = !in.bad();
    return lines;
}

bool IniFile::lookup(const std::string& section, const std::string& key, std::string& value) const {
    bool inSection = false;
    for (const auto& line : readLines()) {
        std::string name, k, v;
        if (sectionOf(line, name)) {
            inSection = sameTextNoCase(name, section);
        } else if (inSection && keyOf(line, k, v) && sameTextNoCase(k, key)) {
            value = v;
            return true;
        }
    }
    return false;
}

bool IniFile::parseInteger(const std::string& text, int32_t& out) {
    std::string t = trim(text);
    if (t.empty()) return false;
    bool neg = false;
    size_t i = 0;
    if (t[0] == '-' || t[0] == '+') { neg = t[0] == '-'; i = 1; }
    int base = 10;
    if (t.size() > i + 1 && t[i] == '0' && (t[i + 1] == 'x' || t[i + 1] == 'X')) { base = 16; i += 2; }
    if (i >= t.size()) return false;
    errno = 0;
    char* end = nullptr;
    long long v = std::strtoll(t.c_str() + i, &end, base);
    if (errno != 0 || *end != '\0' || end == t.c_str() + i) return false;
    if (t[i] == '-' || t[i] == '+' || t[i] == ' ') return false;
    if (neg) v = -v;
    // Hexadecimal text may spell an unsigned 32-bit value (colours).
    if (base == 16 && v > INT32_MAX && v <= static_cast<long long>(UINT32_MAX))
        v = static_cast<int32_t>(static_cast<uint32_t>(v));
    if (v < INT32_MIN || v > INT32_MAX) return false;
    out = static_cast<int32_t>(v);
    return true;
}

int32_t IniFile::ReadInteger(const std::string& section, const std::string& key, int32_t def) const {
    std::string v;
    int32_t out;
    if (lookup(section, key, v) && parseInteger(v, out)) return out;
    return def;
}

int32_t IniFile::ReadInteger(const std::string& section, const std::string& key, int32_t def, int32_t least,
                             int32_t most) const {
    return std::clamp(ReadInteger(section, key, def), least, most);
}

bool IniFile::ReadYesNo(const YesNoKey& k) const {
    const int32_t v = ReadInteger(k.section, k.key, k.byDefault ? 1 : 0);
    return k.onlyOneIsYes ? v == 1 : v != 0;
}

std::string IniFile::ReadString(const std::string& section, const std::string& key, const std::string& def) const {
    std::string v;
    return lookup(section, key, v) ? v : def;
}

bool IniFile::ValueExists(const std::string& section, const std::string& key) const {
    std::string v;
    return lookup(section, key, v);
}

void IniFile::WriteInteger(const std::string& section, const std::string& key, int32_t value) {
    WriteString(section, key, std::to_string(value));
}

// A settings file the user made read-only keeps what it says: the run goes
// on with what it read and its changes are not stored. Decided by the
// owner's write bit, which holds for root as well (root may write any
// file), and by the file's own access for anyone else.
static bool madeReadOnly(const std::string& path) {
    struct stat st;
    if (::stat(path.c_str(), &st) != 0) return false;   // no file yet: the first write makes it
    return (st.st_mode & S_IWUSR) == 0 || ::access(path.c_str(), W_OK) != 0;
}

namespace {

// Settings are written at every change: one failing disk must not bring a
// message at each of them.
bool g_writeFailureTold = false;
bool g_unattended = false;

void tellWriteFailure(const std::string& path, int error) {
    if (g_writeFailureTold) return;
    g_writeFailureTold = true;
    // A failed write leaves the file as it was; where there was none yet,
    // nothing keeps what this run set.
    const std::string text =
        fileExists(path)
            ? "The settings could not be saved in " + path + ": " + std::strerror(error) +
                  ". The file keeps the settings it had."
            : "The settings of this run could not be stored in " + path + ": " + std::strerror(error) + ".";
    if (g_unattended)
        std::fprintf(stderr, "%s: %s\n", applicationTitle().c_str(), text.c_str());
    else
        prompts().messageBox(applicationTitle(), text, Buttons::Ok, Icon::Warning);
}

} // namespace

void setSettingsUnattended() { g_unattended = true; }

void IniFile::WriteString(const std::string& section, const std::string& key, const std::string& value) {
    if (madeReadOnly(path_)) return;
    bool complete = true;
    std::vector<std::string> lines = readLines(&complete);
    // A file that could not be read whole is not written from what was read.
    if (!complete) {
        tellWriteFailure(path_, EIO);
        return;
    }
    const std::string newLine = key + "=" + value;
    bool inSection = false, done = false;
    long lastOfSection = -1;  // index after which a new key goes
    for (size_t i = 0; i < lines.size() && !done; ++i) {
        std::string name, k, v;
        if (sectionOf(lines[i], name)) {
            if (inSection) break;
            inSection = sameTextNoCase(name, section);
            if (inSection) lastOfSection = static_cast<long>(i);
        } else if (inSection) {
            if (keyOf(lines[i], k, v) && sameTextNoCase(k, key)) {
                lines[i] = newLine;
                done = true;
            } else if (!trim(lines[i]).empty()) {
                lastOfSection = static_cast<long>(i);
            }
        }
    }
    if (!done) {
        if (lastOfSection >= 0) {
            lines.insert(lines.begin() + lastOfSection + 1, newLine);
        } else {
            if (!lines.empty() && !trim(lines.back()).empty()) lines.push_back("");
            lines.push_back("[" + section + "]");
            lines.push_back(newLine);
        }
    }
    std::string text;
    for (const auto& l : lines) text += l + "\r\n";
    // Through the program's one safe writer: a full disk or any other
    // failure leaves the previous file whole.
    SafeFileWriter out;
    int error = out.open(path_);
    if (error == 0) {
        try {
            out.write(text.data(), text.size());
            out.commit();
            return;
        } catch (const FileIOError& e) {
            error = e.code() ? e.code() : EIO;
        }
    }
    tellWriteFailure(path_, error);
}

IniFile Settings() { return IniFile(settingsPath()); }

} // namespace sv

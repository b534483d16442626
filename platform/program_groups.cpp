#include "platform/program_groups.h"

#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/files.h"

namespace sv {

namespace {

std::string g_applications;
std::string g_mimeApps;

std::string withSlash(std::string d) {
    if (d.empty() || d.back() != '/') d += '/';
    return d;
}

std::string home() {
    const char* h = std::getenv("HOME");
    return withSlash(h && *h ? h : "/tmp");
}

std::string lower(std::string s) {
    for (char& c : s)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return s;
}

std::string trim(const std::string& s) {
    size_t b = s.find_first_not_of(" \t\r\n");
    if (b == std::string::npos) return {};
    size_t e = s.find_last_not_of(" \t\r\n");
    return s.substr(b, e - b + 1);
}

bool makeFolders(const std::string& folder) {
    for (size_t i = 1; i <= folder.size(); ++i) {
        if (i == folder.size() || folder[i] == '/') {
            std::string part = folder.substr(0, i);
            if (::mkdir(part.c_str(), 0755) != 0 && errno != EEXIST) return false;
        }
    }
    return true;
}

// A string value of a desktop entry: backslashes and line breaks escaped.
std::string entryValue(const std::string& s) {
    std::string out;
    for (char c : s) {
        if (c == '\\') out += "\\\\";
        else if (c == '\n') out += "\\n";
        else if (c == '\r') out += "\\r";
        else if (c == '\t') out += "\\t";
        else out += c;
    }
    return out;
}

bool writeWhole(const std::string& path, const std::string& text) {
    SafeFileWriter w;
    if (int e = w.open(path)) {
        errno = e;
        return false;
    }
    try {
        w.write(text.data(), text.size());
        w.commit();
    } catch (const FileIOError& e) {
        errno = e.code();
        return false;
    }
    return true;
}

std::vector<std::string> readLines(const std::string& path) {
    std::vector<std::string> lines;
    std::ifstream in(path, std::ios::binary);
    std::string l;
    while (std::getline(in, l)) {
        if (!l.empty() && l.back() == '\r') l.pop_back();
        lines.push_back(l);
    }
    return lines;
}

const char kDefaults[] = "[Default Applications]";

// Splits "a,\"b,c\",d" into its arguments; quotes group, and are removed.
std::vector<std::string> splitArguments(const std::string& s) {
    std::vector<std::string> args;
    std::string cur;
    bool quoted = false;
    for (char c : s) {
        if (c == '"') quoted = !quoted;
        else if (c == ',' && !quoted) { args.push_back(trim(cur)); cur.clear(); }
        else cur += c;
    }
    args.push_back(trim(cur));
    return args;
}

} // namespace

std::string applicationsFolder() {
    if (!g_applications.empty()) return g_applications;
    if (const char* env = std::getenv("SONVELA_APPLICATIONS_DIR"); env && *env) return withSlash(env);
    if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg && *xdg == '/') return withSlash(xdg) + "applications/";
    return home() + ".local/share/applications/";
}

void setApplicationsFolder(const std::string& folder) {
    g_applications = folder.empty() ? std::string() : withSlash(folder);
}

std::string mimeAppsFile() {
    if (!g_mimeApps.empty()) return g_mimeApps;
    if (const char* env = std::getenv("SONVELA_MIMEAPPS_FILE"); env && *env) return env;
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg == '/') return withSlash(xdg) + "mimeapps.list";
    return home() + ".config/mimeapps.list";
}

void setMimeAppsFile(const std::string& file) { g_mimeApps = file; }

std::string desktopExecArgument(const std::string& arg) {
    static const std::string reserved = " \t\n\"'\\><~|&;$*?#()`";
    bool needQuotes = arg.empty() || arg.find_first_of(reserved) != std::string::npos;
    std::string out;
    if (needQuotes) out += '"';
    for (char c : arg) {
        if (needQuotes && (c == '"' || c == '`' || c == '$' || c == '\\')) out += '\\';
        out += c;
        if (c == '%') out += '%';
    }
    if (needQuotes) out += '"';
    return out;
}

bool writeDesktopEntry(const std::string& path, const DesktopEntry& e) {
    std::string t = "[Desktop Entry]\nType=Application\nVersion=1.0\n";
    t += "Name=" + entryValue(e.name) + "\n";
    if (!e.comment.empty()) t += "Comment=" + entryValue(e.comment) + "\n";
    t += "Exec=" + entryValue(e.exec) + "\n";
    if (!e.mimeTypes.empty()) t += "MimeType=" + entryValue(e.mimeTypes) + "\n";
    t += std::string("Terminal=") + (e.terminal ? "true" : "false") + "\n";
    if (e.noDisplay) t += "NoDisplay=true\n";
    if (!e.actions.empty()) {
        t += "Actions=";
        for (const auto& a : e.actions) t += a.id + ";";
        t += "\n";
        for (const auto& a : e.actions)
            t += "\n[Desktop Action " + a.id + "]\nName=" + entryValue(a.name) + "\nExec=" + entryValue(a.exec) + "\n";
    }
    return writeWhole(path, t);
}

const char kWavDesktopId[] = "sonvela.desktop";

namespace {

// Rewrites the mimeType line of [Default Applications]: to desktopId, or
// removed when desktopId is empty (only when it names onlyIf, if given).
bool editDefaultApplication(const std::string& mimeType, const std::string& desktopId, const std::string& onlyIf) {
    const std::string file = mimeAppsFile();
    std::vector<std::string> lines = readLines(file);
    const std::string newLine = mimeType + "=" + desktopId;
    bool inSection = false, done = false;
    long insertAfter = -1;
    for (size_t i = 0; i < lines.size() && !done; ++i) {
        std::string l = trim(lines[i]);
        if (!l.empty() && l[0] == '[') {
            if (inSection) break;
            inSection = l == kDefaults;
            if (inSection) insertAfter = static_cast<long>(i);
        } else if (inSection && !l.empty()) {
            size_t eq = l.find('=');
            if (eq != std::string::npos && trim(l.substr(0, eq)) == mimeType) {
                if (!onlyIf.empty() && trim(l.substr(eq + 1)) != onlyIf) return true;
                if (desktopId.empty()) lines.erase(lines.begin() + long(i));
                else lines[i] = newLine;
                done = true;
            } else {
                insertAfter = static_cast<long>(i);
            }
        }
    }
    if (!done && desktopId.empty()) return true;
    if (!done) {
        if (insertAfter >= 0) {
            lines.insert(lines.begin() + insertAfter + 1, newLine);
        } else {
            if (!lines.empty() && !trim(lines.back()).empty()) lines.push_back("");
            lines.push_back(kDefaults);
            lines.push_back(newLine);
        }
    }
    std::string text;
    for (const auto& l : lines) text += l + "\n";
    size_t slash = file.find_last_of('/');
    if (slash != std::string::npos && !makeFolders(file.substr(0, slash + 1))) return false;
    return writeWhole(file, text);
}

} // namespace

bool setDefaultApplication(const std::string& mimeType, const std::string& desktopId) {
    return editDefaultApplication(mimeType, desktopId, {});
}

bool setWavDesktopAssociation(const std::string& programPath) {
    const std::string folder = applicationsFolder();
    if (!makeFolders(folder)) return false;
    const std::string program = desktopExecArgument(programPath);
    DesktopEntry e;
    e.name = "Sonvela";
    e.comment = "Audio editor and player";
    e.exec = program + " %f";
    e.mimeTypes = "audio/x-wav;";
    e.noDisplay = true;   // the menu item is the program group's
    e.actions.push_back({"Play", "Play audio", program + " -PLAY %f"});
    return writeDesktopEntry(folder + kWavDesktopId, e) && setDefaultApplication("audio/x-wav", kWavDesktopId);
}

bool unsetWavDesktopAssociation() { return editDefaultApplication("audio/x-wav", {}, kWavDesktopId); }

std::string defaultApplication(const std::string& mimeType) {
    bool inSection = false;
    for (const auto& raw : readLines(mimeAppsFile())) {
        std::string l = trim(raw);
        if (!l.empty() && l[0] == '[') {
            inSection = l == kDefaults;
        } else if (inSection) {
            size_t eq = l.find('=');
            if (eq != std::string::npos && trim(l.substr(0, eq)) == mimeType) return trim(l.substr(eq + 1));
        }
    }
    return {};
}

ProgramManager::ProgramManager(std::string folder) : folder_(withSlash(std::move(folder))) {}

std::string ProgramManager::fileNameFor(const std::string& name) {
    std::string out;
    for (char c : lower(name)) {
        bool keep = (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
        if (keep) out += c;
        else if (!out.empty() && out.back() != '-') out += '-';
    }
    while (!out.empty() && out.back() == '-') out.pop_back();
    return out.empty() ? std::string("item") : out;
}

bool ProgramManager::createGroup(const std::string& name) {
    if (trim(name).empty()) return false;
    std::string id = fileNameFor(name);
    std::string dir = folder_ + id + "/";
    if (!makeFolders(dir)) return false;
    group_ = dir;
    groupId_ = id;
    return true;
}

bool ProgramManager::addItem(const std::string& commandLine, const std::string& name) {
    if (group_.empty() || trim(commandLine).empty()) return false;
    std::string path = trim(commandLine);
    std::string title = trim(name);
    if (title.empty()) title = path.substr(path.find_last_of('/') + 1);
    struct stat st;
    bool program = ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && ::access(path.c_str(), X_OK) == 0;
    DesktopEntry e;
    e.name = title;
    e.exec = program ? desktopExecArgument(path) : "xdg-open " + desktopExecArgument(path);
    return writeDesktopEntry(group_ + fileNameFor(title) + ".desktop", e);
}

bool ProgramManager::execute(const std::string& macros) {
    size_t i = 0;
    bool any = false;
    while (true) {
        size_t open = macros.find('[', i);
        if (open == std::string::npos) break;
        if (!trim(macros.substr(i, open - i)).empty()) return false;
        // A quoted argument may hold ']' itself.
        size_t close = open + 1;
        bool quoted = false;
        for (; close < macros.size(); ++close) {
            if (macros[close] == '"') quoted = !quoted;
            else if (macros[close] == ']' && !quoted) break;
        }
        if (close >= macros.size()) return false;
        std::string body = trim(macros.substr(open + 1, close - open - 1));
        i = close + 1;
        size_t paren = body.find('(');
        if (paren == std::string::npos || body.back() != ')') return false;
        std::string command = lower(trim(body.substr(0, paren)));
        std::vector<std::string> args = splitArguments(body.substr(paren + 1, body.size() - paren - 2));
        bool ok;
        if (command == "creategroup") ok = createGroup(args[0]);
        else if (command == "additem") ok = addItem(args[0], args.size() > 1 ? args[1] : std::string());
        else ok = false;
        if (!ok) return false;
        any = true;
    }
    return any && trim(macros.substr(i)).empty();
}

} // namespace sv

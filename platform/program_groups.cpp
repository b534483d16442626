#include "platform/program_groups.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <dirent.h>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/files.h"
#include "platform/registry.h"

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

// Splits "a,\"b,c\",d" into its arguments; quotes group, and are removed;
// inside quotes, a doubled quote stands for one.
std::vector<std::string> splitArguments(const std::string& s) {
    std::vector<std::string> args;
    std::string cur;
    bool quoted = false;
    for (size_t i = 0; i < s.size(); ++i) {
        const char c = s[i];
        if (c == '"' && quoted && i + 1 < s.size() && s[i + 1] == '"') { cur += '"'; ++i; }
        else if (c == '"') quoted = !quoted;
        else if (c == ',' && !quoted) { args.push_back(trim(cur)); cur.clear(); }
        else cur += c;
    }
    args.push_back(trim(cur));
    return args;
}

} // namespace

std::string dataHome() {
    if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg && *xdg == '/') return withSlash(xdg);
    return home() + ".local/share/";
}

std::string configHome() {
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg == '/') return withSlash(xdg);
    return home() + ".config/";
}

std::string programDataFolder() { return dataHome() + "sonvela/"; }
std::string desktopDirectoriesFolder() { return dataHome() + "desktop-directories/"; }
std::string mergedMenusFolder() { return configHome() + "menus/applications-merged/"; }
std::string iconThemeFolder() { return dataHome() + "icons/hicolor/"; }

std::string applicationsFolder() {
    if (!g_applications.empty()) return g_applications;
    if (const char* env = std::getenv("SONVELA_APPLICATIONS_DIR"); env && *env) return withSlash(env);
    return dataHome() + "applications/";
}

void setApplicationsFolder(const std::string& folder) {
    g_applications = folder.empty() ? std::string() : withSlash(folder);
}

std::string mimeAppsFile() {
    if (!g_mimeApps.empty()) return g_mimeApps;
    if (const char* env = std::getenv("SONVELA_MIMEAPPS_FILE"); env && *env) return env;
    return configHome() + "mimeapps.list";
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

DesktopExec DesktopExec::program(const std::string& path) {
    DesktopExec e;
    if (path.find('%') != std::string::npos) {
        e.line = "env";
        e.argv.push_back("env");
    }
    return e.arg(path);
}

DesktopExec& DesktopExec::arg(const std::string& literal) {
    line += (line.empty() ? "" : " ") + desktopExecArgument(literal);
    argv.push_back(literal);
    return *this;
}

DesktopExec& DesktopExec::fieldCode(const char* code) {
    line += (line.empty() ? "" : " ") + std::string(code);
    argv.push_back(code);
    return *this;
}

bool parseDesktopExec(const std::string& fileValue, std::vector<std::string>& argv) {
    // The string value's own escapes.
    std::string v;
    for (size_t i = 0; i < fileValue.size(); ++i) {
        char c = fileValue[i];
        if (c == '\\' && i + 1 < fileValue.size()) {
            const char n = fileValue[++i];
            if (n == 's') c = ' ';
            else if (n == 'n') c = '\n';
            else if (n == 't') c = '\t';
            else if (n == 'r') c = '\r';
            else if (n == '\\') c = '\\';
            else return false;
        } else if (c == '\\') {
            return false;
        }
        v += c;
    }
    // The Exec key's quoting.
    static const std::string reserved = "\t\n\"'\\><~|&;$*?#()`";
    argv.clear();
    std::string cur;
    bool inArg = false, quoted = false, closed = false;   // closed: just after a closing quote
    for (size_t i = 0; i < v.size(); ++i) {
        const char c = v[i];
        if (quoted) {
            if (c == '"') {
                quoted = false;
                closed = true;
            } else if (c == '\\') {
                if (i + 1 >= v.size() || std::string("\"`$\\").find(v[i + 1]) == std::string::npos) return false;
                cur += v[++i];
            } else {
                cur += c;
            }
        } else if (c == ' ') {
            if (inArg) argv.push_back(cur);
            cur.clear();
            inArg = closed = false;
        } else if (closed || (c == '"' && inArg)) {
            return false;   // a quoted argument is the whole argument
        } else if (c == '"') {
            quoted = inArg = true;
        } else if (reserved.find(c) != std::string::npos) {
            return false;
        } else {
            cur += c;
            inArg = true;
        }
    }
    if (quoted) return false;
    if (inArg) argv.push_back(cur);
    // "%%" is a percent sign; a field code stays.
    for (std::string& a : argv) {
        std::string out;
        for (size_t i = 0; i < a.size(); ++i) {
            out += a[i];
            if (a[i] == '%' && i + 1 < a.size() && a[i + 1] == '%') ++i;
        }
        a = out;
    }
    return !argv.empty();
}

namespace {

// Whether the Exec lines of the file at path (the entry's, then each
// action's, in order) run what the entry says they run.
bool execLinesRun(const std::string& path, const DesktopEntry& e) {
    std::vector<const std::vector<std::string>*> wanted = {&e.argv};
    for (const auto& a : e.actions) wanted.push_back(&a.argv);
    size_t n = 0;
    for (const std::string& line : readLines(path)) {
        if (line.compare(0, 5, "Exec=") != 0) continue;
        if (n >= wanted.size()) return false;
        std::vector<std::string> argv;
        const std::vector<std::string>& want = *wanted[n++];
        if (want.empty()) continue;
        if (!parseDesktopExec(line.substr(5), argv) || argv != want) return false;
    }
    return n == wanted.size();
}

} // namespace

bool writeDesktopEntry(const std::string& path, const DesktopEntry& e) {
    std::string t = "[Desktop Entry]\nType=Application\nVersion=1.0\n";
    t += "Name=" + entryValue(e.name) + "\n";
    if (!e.comment.empty()) t += "Comment=" + entryValue(e.comment) + "\n";
    t += "Exec=" + entryValue(e.exec) + "\n";
    if (!e.mimeTypes.empty()) t += "MimeType=" + entryValue(e.mimeTypes) + "\n";
    if (!e.icon.empty()) t += "Icon=" + entryValue(e.icon) + "\n";
    if (!e.categories.empty()) t += "Categories=" + entryValue(e.categories) + "\n";
    t += std::string("Terminal=") + (e.terminal ? "true" : "false") + "\n";
    if (e.noDisplay) t += "NoDisplay=true\n";
    if (!e.actions.empty()) {
        t += "Actions=";
        for (const auto& a : e.actions) t += a.id + ";";
        t += "\n";
        for (const auto& a : e.actions)
            t += "\n[Desktop Action " + a.id + "]\nName=" + entryValue(a.name) + "\nExec=" + entryValue(a.exec) + "\n";
    }
    if (!writeWhole(path, t)) return false;
    if (!execLinesRun(path, e)) {
        ::unlink(path.c_str());
        errno = EINVAL;
        return false;
    }
    return true;
}

const char kWavDesktopId[] = "sonvela.desktop";
const char kCdDesktopId[] = "sonvela-cd.desktop";
const char kCdContentType[] = "x-content/audio-cdda";
const char kIconName[] = "sonvela";

namespace {

// Removes a "[Default Applications]" header left with no line below it,
// with the blank line that was put before it when it was added.
void dropEmptyDefaultsSection(std::vector<std::string>& lines) {
    for (size_t i = 0; i < lines.size(); ++i) {
        if (trim(lines[i]) != kDefaults) continue;
        size_t end = i + 1;
        while (end < lines.size() && trim(lines[end]).empty()) ++end;
        if (end < lines.size() && trim(lines[end])[0] != '[') return;
        size_t begin = i;
        if (begin > 0 && trim(lines[begin - 1]).empty()) --begin;
        // Blank lines before the next section stay with it.
        lines.erase(lines.begin() + long(begin), lines.begin() + long(end < lines.size() ? i + 1 : end));
        return;
    }
}

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
    if (done && desktopId.empty()) dropEmptyDefaultsSection(lines);
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
    // A file that held only the line taken back goes, as it came.
    if (lines.empty()) return ::unlink(file.c_str()) == 0 || errno == ENOENT;
    size_t slash = file.find_last_of('/');
    if (slash != std::string::npos && !makeFolders(file.substr(0, slash + 1))) return false;
    return writeWhole(file, text);
}

} // namespace

bool setDefaultApplication(const std::string& mimeType, const std::string& desktopId) {
    return editDefaultApplication(mimeType, desktopId, {});
}

namespace {

// Where the defaults the program took are remembered, one value a MIME type.
const char kSavedDefaultsKey[] = "Software\\Sonvela\\Desktop defaults";

} // namespace

bool takeDesktopDefault(const std::string& mimeType, const std::string& desktopId) {
    const std::string current = defaultApplication(mimeType);
    if (current != desktopId) {
        try {
            Registry reg(RegistryRoot::CurrentUser);
            reg.openKey(kSavedDefaultsKey, true);
            if (!reg.valueExists(mimeType)) reg.writeString(mimeType, current);
        } catch (const RegistryError&) {
            errno = EACCES;
            return false;
        }
    }
    return setDefaultApplication(mimeType, desktopId);
}

bool restoreDesktopDefault(const std::string& mimeType, const std::string& desktopId) {
    std::string saved;
    try {
        Registry reg(RegistryRoot::CurrentUser);
        if (reg.openKey(kSavedDefaultsKey, false)) {
            saved = reg.readString(mimeType);
            reg.deleteValue(mimeType);
            pruneEmptyKeys(RegistryRoot::CurrentUser, kSavedDefaultsKey);
        }
    } catch (const RegistryError&) {
        // Without the remembered default the line simply goes.
    }
    if (defaultApplication(mimeType) != desktopId) return true;
    if (!saved.empty() && saved != desktopId) return setDefaultApplication(mimeType, saved);
    return editDefaultApplication(mimeType, {}, desktopId);
}

bool setWavDesktopAssociation(const std::string& programPath) {
    const std::string folder = applicationsFolder();
    if (!makeFolders(folder)) return false;

    DesktopEntry e;
    e.name = "Sonvela";
    e.comment = "Audio editor and player";
    const DesktopExec open = DesktopExec::program(programPath).fieldCode("%f");
    e.exec = open.line;
    e.argv = open.argv;
    e.mimeTypes = "audio/x-wav;";
    e.icon = kIconName;
    e.noDisplay = true;   // the menu item is the program group's
    const DesktopExec play = DesktopExec::program(programPath).arg("-PLAY").fieldCode("%f");
    e.actions.push_back({"Play", "Play audio", play.line, play.argv});
    return writeDesktopEntry(folder + kWavDesktopId, e) && takeDesktopDefault("audio/x-wav", kWavDesktopId);
}

bool unsetWavDesktopAssociation() { return restoreDesktopDefault("audio/x-wav", kWavDesktopId); }

bool setCdDesktopAssociation(const std::string& programPath) {
    const std::string folder = applicationsFolder();
    if (!makeFolders(folder)) return false;
    DesktopEntry e;
    e.name = "Sonvela CD Player";
    e.comment = "Plays audio CDs";
    const DesktopExec cd = DesktopExec::program(programPath).arg("-CD");
    e.exec = cd.line;
    e.argv = cd.argv;
    e.mimeTypes = std::string(kCdContentType) + ";";
    e.icon = kIconName;
    e.noDisplay = true;
    return writeDesktopEntry(folder + kCdDesktopId, e) && takeDesktopDefault(kCdContentType, kCdDesktopId);
}

bool unsetCdDesktopAssociation() { return restoreDesktopDefault(kCdContentType, kCdDesktopId); }

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

std::string ProgramManager::menuFileFor(const std::string& name) {
    return mergedMenusFolder() + fileNameFor(name) + ".menu";
}

std::string ProgramManager::directoryFileFor(const std::string& name) {
    return desktopDirectoriesFolder() + fileNameFor(name) + ".directory";
}

namespace {

std::string xmlText(const std::string& s) {
    std::string out;
    for (char c : s) {
        if (c == '&') out += "&amp;";
        else if (c == '<') out += "&lt;";
        else if (c == '>') out += "&gt;";
        else out += c;
    }
    return out;
}

// The ".desktop" files of a folder, sorted so that the menu file is the
// same whatever order the folder lists them in.
std::vector<std::string> desktopFilesIn(const std::string& folder) {
    std::vector<std::string> names;
    if (DIR* d = ::opendir(folder.c_str())) {
        while (dirent* e = ::readdir(d)) {
            std::string n = e->d_name;
            if (n.size() > 8 && n.compare(n.size() - 8, 8, ".desktop") == 0) names.push_back(n);
        }
        ::closedir(d);
    }
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace

bool ProgramManager::writeMenu() {
    // The submenu lists the group's own entries by their desktop file
    // names (a file in applications/<group>/ is "<group>-<file>").
    std::string t = "<!DOCTYPE Menu PUBLIC \"-//freedesktop//DTD Menu 1.0//EN\"\n"
                    " \"http://www.freedesktop.org/standards/menu-spec/1.0/menu.dtd\">\n"
                    "<Menu>\n  <Name>Applications</Name>\n  <Menu>\n";
    t += "    <Name>" + xmlText(groupName_) + "</Name>\n";
    t += "    <Directory>" + xmlText(groupId_) + ".directory</Directory>\n    <Include>\n";
    for (const std::string& f : desktopFilesIn(group_))
        t += "      <Filename>" + xmlText(groupId_ + "-" + f) + "</Filename>\n";
    t += "    </Include>\n  </Menu>\n</Menu>\n";
    return makeFolders(mergedMenusFolder()) && writeWhole(menuFileFor(groupName_), t);
}

bool ProgramManager::createGroup(const std::string& name) {
    const std::string title = trim(name);
    if (title.empty()) return false;
    std::string id = fileNameFor(title);
    std::string dir = folder_ + id + "/";
    if (!makeFolders(dir) || !makeFolders(desktopDirectoriesFolder())) return false;
    std::string d = "[Desktop Entry]\nType=Directory\nVersion=1.0\nName=" + entryValue(title) + "\n";
    if (!icon.empty()) d += "Icon=" + entryValue(icon) + "\n";
    if (!writeWhole(directoryFileFor(title), d)) return false;
    group_ = dir;
    groupId_ = id;
    groupName_ = title;
    return writeMenu();
}

bool ProgramManager::addItem(const std::string& commandLine, const std::string& name) {
    const std::string line = trim(commandLine);
    if (group_.empty() || line.empty()) return false;
    auto isFile = [](const std::string& p) {
        struct stat st;
        return ::stat(p.c_str(), &st) == 0 && S_ISREG(st.st_mode);
    };
    // A program may be followed by its arguments; a folder name may hold
    // blanks too, so the longest beginning that names a file is the file.
    std::string path = line;
    std::string arguments;
    if (!isFile(path)) {
        for (size_t blank = path.rfind(' '); blank != std::string::npos && blank > 0;
             blank = path.rfind(' ', blank - 1)) {
            if (!isFile(path.substr(0, blank))) continue;
            arguments = trim(path.substr(blank + 1));
            path = path.substr(0, blank);
            break;
        }
    }
    const bool program = isFile(path) && ::access(path.c_str(), X_OK) == 0;
    if (!program) {   // only a program takes arguments
        path = line;
        arguments.clear();
    }
    // A command line naming no file would make an item that opens nothing
    // (or hands a program's arguments to the document opener).
    if (!isFile(path)) {
        errno = ENOENT;
        return false;
    }
    std::string title = trim(name);
    if (title.empty()) title = path.substr(path.find_last_of('/') + 1);
    DesktopEntry e;
    e.name = title;
    DesktopExec exec = program ? DesktopExec::program(path) : DesktopExec::program("xdg-open").arg(path);
    std::istringstream words(arguments);
    for (std::string w; words >> w;) exec.arg(w);
    e.exec = exec.line;
    e.argv = exec.argv;
    e.icon = icon;
    e.categories = program ? programCategories : documentCategories;
    return writeDesktopEntry(group_ + fileNameFor(title) + ".desktop", e) && writeMenu();
}

bool ProgramManager::deleteGroup(const std::string& name) {
    const std::string title = trim(name);
    if (title.empty()) return false;
    const std::string dir = folder_ + fileNameFor(title) + "/";
    struct stat st;
    const bool existed = ::stat(dir.c_str(), &st) == 0 || ::stat(menuFileFor(title).c_str(), &st) == 0;
    for (const std::string& f : desktopFilesIn(dir)) ::unlink((dir + f).c_str());
    ::rmdir(dir.c_str());
    ::unlink(menuFileFor(title).c_str());
    ::unlink(directoryFileFor(title).c_str());
    if (group_ == dir) group_.clear();
    return existed;
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
        else if (command == "deletegroup") ok = deleteGroup(args[0]);
        else ok = false;
        if (!ok) return false;
        any = true;
    }
    return any && trim(macros.substr(i)).empty();
}

} // namespace sv

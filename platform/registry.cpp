#include "platform/registry.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <unordered_map>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/files.h"

namespace sv {

namespace {

std::string g_folder;

std::string withSlash(std::string d) {
    if (d.empty() || d.back() != '/') d += '/';
    return d;
}

char lowerChar(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

std::string lower(std::string s) {
    for (char& c : s) c = lowerChar(c);
    return s;
}

bool sameNoCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (lowerChar(a[i]) != lowerChar(b[i])) return false;
    return true;
}

std::vector<std::string> splitKey(const std::string& path) {
    std::vector<std::string> parts;
    std::string cur;
    for (char c : path) {
        if (c == '\\') {
            if (!cur.empty()) parts.push_back(cur);
            cur.clear();
        } else {
            cur += c;
        }
    }
    if (!cur.empty()) parts.push_back(cur);
    return parts;
}

std::string joinKey(const std::vector<std::string>& parts, size_t n) {
    std::string s;
    for (size_t i = 0; i < n; ++i) {
        if (i) s += '\\';
        s += parts[i];
    }
    return s;
}

// Folders of the registry file, each level created as needed.
bool makeFolders(const std::string& folder) {
    for (size_t i = 1; i <= folder.size(); ++i) {
        if (i == folder.size() || folder[i] == '/') {
            std::string part = folder.substr(0, i);
            if (::mkdir(part.c_str(), 0755) != 0 && errno != EEXIST) return false;
        }
    }
    return true;
}

std::string quote(const std::string& s) {
    std::string q = "\"";
    for (char c : s) {
        if (c == '\\' || c == '"') { q += '\\'; q += c; }
        else if (c == '\n') q += "\\n";
        else if (c == '\r') q += "\\r";
        else q += c;
    }
    return q + '"';
}

// Reads a quoted string starting at s[i] (the opening quote); i ends after
// the closing quote. False when the text is not a complete quoted string.
bool unquote(const std::string& s, size_t& i, std::string& out) {
    if (i >= s.size() || s[i] != '"') return false;
    out.clear();
    for (++i; i < s.size(); ++i) {
        char c = s[i];
        if (c == '"') { ++i; return true; }
        if (c == '\\' && i + 1 < s.size()) {
            char e = s[++i];
            out += e == 'n' ? '\n' : e == 'r' ? '\r' : e;
        } else {
            out += c;
        }
    }
    return false;
}

const size_t kMaxKeyLevels = 32;

struct Key {
    std::string path;   // full, with the root's name, in its stored case
    std::vector<std::pair<std::string, std::string>> values;
};

// The whole file in memory for one operation.
struct Store {
    std::vector<Key> keys;
    bool readable = true;   // false: the file exists but could not be read

    Key* find(const std::string& full) {
        for (auto& k : keys)
            if (sameNoCase(k.path, full)) return &k;
        return nullptr;
    }

    // Creates every missing level of full (the root's name first; at least
    // one level). With `index` (lower-cased path to position in keys, kept up
    // to date here) a level is looked up there instead of by a search: a
    // file of many keys then reads in time proportional to its size.
    Key& ensure(const std::string& full, std::unordered_map<std::string, size_t>* index = nullptr) {
        std::vector<std::string> parts = splitKey(full);
        Key* k = nullptr;
        std::string p;
        for (size_t n = 0; n < parts.size(); ++n) {
            if (n) p += '\\';
            p += parts[n];
            if (index) {
                const auto [at, added] = index->emplace(lower(p), keys.size());
                k = added ? nullptr : &keys[at->second];
            } else {
                k = find(p);
            }
            if (!k) {
                keys.push_back({p, {}});
                k = &keys.back();
            }
        }
        return *k;
    }

    void load(const std::string& file) {
        std::ifstream in(file, std::ios::binary);
        if (!in) {
            struct stat st;
            readable = ::stat(file.c_str(), &st) != 0;   // absent is an empty registry
            return;
        }
        std::string line;
        Key* cur = nullptr;
        std::unordered_map<std::string, size_t> index;
        while (std::getline(in, line)) {
            if (!line.empty() && line.back() == '\r') line.pop_back();
            if (line.empty() || line[0] == ';') continue;
            if (line[0] == '[' && line.back() == ']') {
                // A key line naming no level ("[]", "[\]"), or more levels
                // than any key the program makes, opens no key: the values
                // below it are skipped until the next key line. (Each level
                // is a key of its own: the bound keeps a short line from
                // making a great many long keys.)
                const std::string path = line.substr(1, line.size() - 2);
                const size_t levels = splitKey(path).size();
                cur = levels == 0 || levels > kMaxKeyLevels ? nullptr : &ensure(path, &index);
                continue;
            }
            if (!cur) continue;
            std::string name, value;
            size_t i = 0;
            if (line[0] == '@') {
                i = 1;
            } else if (!unquote(line, i, name)) {
                continue;
            }
            if (i >= line.size() || line[i] != '=') continue;
            ++i;
            if (!unquote(line, i, value)) continue;
            setValue(*cur, name, value);
        }
    }

    void save(const std::string& folder, const std::string& file) const {
        if (!readable) throw RegistryError("The registry file " + file + " cannot be read; nothing was changed.");
        if (!makeFolders(folder))
            throw RegistryError("Unable to create the folder " + folder + ": " + std::strerror(errno));
        std::string text = "; Sonvela registry: [key], then @=\"default value\" and \"name\"=\"value\" lines.\n";
        for (const auto& k : keys) {
            // A root always exists: written only when it holds a value.
            if (k.values.empty() && k.path.find('\\') == std::string::npos) continue;
            text += "\n[" + k.path + "]\n";
            for (const auto& [n, v] : k.values) text += (n.empty() ? std::string("@") : quote(n)) + "=" + quote(v) + "\n";
        }
        SafeFileWriter w;
        if (int e = w.open(file)) throw RegistryError("Unable to write the registry file " + file + ": " + std::strerror(e));
        try {
            w.write(text.data(), text.size());
            w.commit();
        } catch (const FileIOError& e) {
            throw RegistryError(e.what());
        }
    }

    static void setValue(Key& k, const std::string& name, const std::string& value) {
        for (auto& nv : k.values)
            if (sameNoCase(nv.first, name)) { nv.second = value; return; }
        k.values.emplace_back(name, value);
    }
};

Store loadStore() {
    Store s;
    s.load(registryFile());
    return s;
}

void saveStore(const Store& s) { s.save(registryFolder(), registryFile()); }

} // namespace

std::string registryFolder() {
    if (!g_folder.empty()) return g_folder;
    if (const char* env = std::getenv("SONVELA_REGISTRY_DIR"); env && *env) return withSlash(env);
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg == '/') return withSlash(xdg) + "sonvela/";
    const char* home = std::getenv("HOME");
    return withSlash(home && *home ? home : "/tmp") + ".config/sonvela/";
}

void setRegistryFolder(const std::string& folder) { g_folder = folder.empty() ? std::string() : withSlash(folder); }

std::string registryFile() { return registryFolder() + "registry.txt"; }

void pruneEmptyKeys(RegistryRoot root, const std::string& path) {
    Store s = loadStore();
    std::vector<std::string> parts = splitKey(path);
    const std::string rootName = Registry::rootName(root);
    bool changed = false;
    for (size_t n = parts.size(); n >= 1; --n) {
        const std::string full = lower(rootName + "\\" + joinKey(parts, n));
        const std::string prefix = full + "\\";
        bool empty = true;
        size_t at = s.keys.size();
        for (size_t i = 0; i < s.keys.size(); ++i) {
            std::string p = lower(s.keys[i].path);
            if (p == full) {
                at = i;
                if (!s.keys[i].values.empty()) empty = false;
            } else if (p.compare(0, prefix.size(), prefix) == 0) {
                empty = false;
            }
        }
        if (!empty) break;
        if (at < s.keys.size()) {
            s.keys.erase(s.keys.begin() + long(at));
            changed = true;
        }
    }
    if (changed) saveStore(s);
}

bool removeRegistryFileIfEmpty() {
    Store s = loadStore();
    if (!s.readable) return false;
    for (const auto& k : s.keys)
        if (!k.values.empty() || k.path.find('\\') != std::string::npos) return false;
    return ::unlink(registryFile().c_str()) == 0 || errno == ENOENT;
}

const char* Registry::rootName(RegistryRoot root) {
    switch (root) {
    case RegistryRoot::ClassesRoot: return "HKEY_CLASSES_ROOT";
    case RegistryRoot::CurrentUser: return "HKEY_CURRENT_USER";
    case RegistryRoot::LocalMachine: return "HKEY_LOCAL_MACHINE";
    }
    return "HKEY_CURRENT_USER";
}

Registry::Registry(RegistryRoot root) : root_(root) {}

std::string Registry::resolve(const std::string& path) const {
    std::vector<std::string> parts = splitKey(path);
    std::string below = joinKey(parts, parts.size());
    if (!path.empty() && path[0] == '\\') return below;
    if (current_.empty()) return below;
    return below.empty() ? current_ : current_ + "\\" + below;
}

std::string Registry::fullName(const std::string& below) const {
    return below.empty() ? std::string(rootName(root_)) : std::string(rootName(root_)) + "\\" + below;
}

bool Registry::openKey(const std::string& path, bool create) {
    std::string below = resolve(path);
    Store s = loadStore();
    if (below.empty()) {
        current_.clear();
        return true;
    }
    Key* k = s.find(fullName(below));
    if (!k) {
        if (!create) return false;
        k = &s.ensure(fullName(below));
        saveStore(s);
    }
    // Keep the stored spelling so that the paths shown match the file.
    current_ = k->path.substr(std::strlen(rootName(root_)) + 1);
    return true;
}

void Registry::closeKey() { current_.clear(); }

bool Registry::keyExists(const std::string& path) const {
    std::string below = resolve(path);
    if (below.empty()) return true;
    Store s = loadStore();
    return s.find(fullName(below)) != nullptr;
}

void Registry::createKey(const std::string& path) {
    std::string below = resolve(path);
    Store s = loadStore();
    if (below.empty() || s.find(fullName(below))) return;
    s.ensure(fullName(below));
    saveStore(s);
}

bool Registry::deleteKey(const std::string& path) {
    std::string below = resolve(path);
    if (below.empty()) return false;   // a root is never deleted
    Store s = loadStore();
    const std::string full = lower(fullName(below));
    const std::string prefix = full + "\\";
    size_t before = s.keys.size();
    std::vector<Key> kept;
    for (auto& k : s.keys) {
        std::string p = lower(k.path);
        if (p != full && p.compare(0, prefix.size(), prefix) != 0) kept.push_back(std::move(k));
    }
    if (kept.size() == before) return false;
    s.keys = std::move(kept);
    saveStore(s);
    // The open key may have gone with it.
    const std::string cur = lower(current_);
    if (cur == lower(below) || cur.compare(0, lower(below).size() + 1, lower(below) + "\\") == 0) current_.clear();
    return true;
}

std::vector<std::string> Registry::subKeyNames() const {
    Store s = loadStore();
    const std::string prefix = lower(fullName(current_)) + "\\";
    std::vector<std::string> names;
    for (const auto& k : s.keys) {
        std::string p = lower(k.path);
        if (p.compare(0, prefix.size(), prefix) == 0 && p.find('\\', prefix.size()) == std::string::npos)
            names.push_back(k.path.substr(prefix.size()));
    }
    return names;
}

bool Registry::valueExists(const std::string& name) const {
    Store s = loadStore();
    Key* k = s.find(fullName(current_));
    if (!k) return false;
    for (const auto& nv : k->values)
        if (sameNoCase(nv.first, name)) return true;
    return false;
}

std::string Registry::readString(const std::string& name) const {
    Store s = loadStore();
    Key* k = s.find(fullName(current_));
    if (!k) return {};
    for (const auto& nv : k->values)
        if (sameNoCase(nv.first, name)) return nv.second;
    return {};
}

void Registry::writeString(const std::string& name, const std::string& value) {
    Store s = loadStore();
    Store::setValue(s.ensure(fullName(current_)), name, value);
    saveStore(s);
}

bool Registry::deleteValue(const std::string& name) {
    Store s = loadStore();
    Key* k = s.find(fullName(current_));
    if (!k) return false;
    for (auto it = k->values.begin(); it != k->values.end(); ++it) {
        if (sameNoCase(it->first, name)) {
            k->values.erase(it);
            saveStore(s);
            return true;
        }
    }
    return false;
}

std::vector<std::string> Registry::valueNames() const {
    Store s = loadStore();
    std::vector<std::string> names;
    if (Key* k = s.find(fullName(current_)))
        for (const auto& nv : k->values) names.push_back(nv.first);
    return names;
}

} // namespace sv

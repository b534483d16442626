// A small registry of keys and string values, kept in one text file in the
// user's configuration folder. It stores what the program registers about
// itself (the ".wav" association, the CD play command, the uninstall entry)
// under the root and key names those entries have always had.
//
// Key and value names match without regard to case and keep the case they
// were created with. A key holds string values and subkeys; the value with
// the empty name is the key's default value. Every change is written to the
// file at once (beside it, then renamed), so two Registry objects, or two
// programs, always see each other's changes.
//
// The file reads like this:
//   [HKEY_CLASSES_ROOT\.wav]
//   @="wavfile"
//   "BeforeSonvela"=""
// A key line in brackets, then one value a line: @ for the default value,
// else the quoted name; values are quoted with \\, \" and \n escaped.
// Lines that cannot be read are skipped, and so are the values below a key
// line naming no key or a key of more than 32 levels.
#pragma once
#include <stdexcept>
#include <string>
#include <vector>

namespace sv {

enum class RegistryRoot { ClassesRoot, CurrentUser, LocalMachine };

// A key that cannot be created or a value that cannot be written.
class RegistryError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The folder of the registry file, with a trailing '/': setRegistryFolder's
// folder, else $SONVELA_REGISTRY_DIR, else $XDG_CONFIG_HOME/sonvela/, else
// $HOME/.config/sonvela/.
std::string registryFolder();
void setRegistryFolder(const std::string& folder);   // "" restores the default
std::string registryFile();                           // registryFolder() + "registry.txt"

// Deletes the key at path (below root) when it holds no value and no
// subkey, then each parent in turn while it is left empty: what an
// uninstallation leaves of the levels it created is nothing. Keys that
// still hold something stay. RegistryError when the file cannot be written.
void pruneEmptyKeys(RegistryRoot root, const std::string& path);
// Removes the registry file when no key in it holds a value or a named
// subkey below a root; true when there is no file left.
bool removeRegistryFileIfEmpty();

// One open key at a time below a root, as the callers walk the tree: a path
// is relative to the open key (or the root when none is open) unless it
// starts with '\'; its levels are separated by '\'.
class Registry {
public:
    explicit Registry(RegistryRoot root);

    // Opens path; with create, missing levels are created (RegistryError when
    // the file cannot be written). False when a level is missing and create
    // is false: the open key then stays as it was.
    bool openKey(const std::string& path, bool create);
    void closeKey();                     // back to the root
    bool hasOpenKey() const { return !current_.empty(); }
    // The open key's path below the root ("" at the root).
    const std::string& openKeyPath() const { return current_; }

    bool keyExists(const std::string& path) const;
    void createKey(const std::string& path);       // RegistryError on failure
    // Deletes the key with all its subkeys; false when it did not exist.
    bool deleteKey(const std::string& path);
    std::vector<std::string> subKeyNames() const;  // of the open key

    // Values of the open key ("" names the default value).
    bool valueExists(const std::string& name) const;
    std::string readString(const std::string& name) const;   // "" when absent
    void writeString(const std::string& name, const std::string& value);  // RegistryError
    bool deleteValue(const std::string& name);
    std::vector<std::string> valueNames() const;

    static const char* rootName(RegistryRoot root);

private:
    std::string resolve(const std::string& path) const;   // full path below the root
    std::string fullName(const std::string& below) const;  // with the root's name

    RegistryRoot root_;
    std::string current_;
};

} // namespace sv

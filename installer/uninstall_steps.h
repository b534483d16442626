// What the uninstaller does to the system, without its window: it undoes
// what setup did (the files it copied, the registry entries, the desktop
// entries and defaults, the menu, the icon, the folders it created) and
// keeps what the user made (sounds and other files in the installation
// folder, and the settings file unless asked to remove it).
#pragma once
#include <string>
#include <vector>

namespace sv::install {

// The installation as its uninstall entry describes it.
struct Installation {
    bool found = false;                    // the uninstall entry exists
    std::string folder;                    // with a trailing '/'
    std::vector<std::string> createdFolders;
};
Installation findInstallation();

// What the removal did, for the closing report.
struct UninstallReport {
    std::vector<std::string> removed;      // files removed
    std::vector<std::string> kept;         // the user's files left in place
    std::vector<std::string> failed;       // files that could not be removed, with the reason
};

// Each step of the removal, in the order the uninstaller runs them.
// The ".wav" and CD associations in the registry and on the desktop, given
// back to what they were before (the values "BeforeSonvela" and "Old").
void removeAssociations(const Installation& inst);
// The program group, its directory entry and merged menu, and the icon.
void removeMenus(const Installation& inst);
// The nine files (and the settings file when removeSettings), the copy of
// the uninstaller, then the uninstall entry and the folders setup created
// that are left empty.
void removeProgramFiles(const Installation& inst, bool removeSettings, UninstallReport& report);

// The report as the user reads it.
std::string reportText(const Installation& inst, const UninstallReport& report);

} // namespace sv::install

// What the uninstaller does to the system, without its window: it undoes
// what setup did (the files it copied, the registry entries, the desktop
// entries and defaults, the menu, the icon, the folders it created) and
// keeps what the user made (sounds and other files in the installation
// folder, and the settings file unless asked to remove it).
#pragma once
#include <string>
#include <utility>
#include <vector>

namespace sv::install {

// The installation as its uninstall entry describes it.
// Setup may have run more than once, into more than one folder: the
// uninstaller removes Sonvela from each of them.
struct Installation {
    bool found = false;                    // the uninstall entry exists
    std::vector<std::string> folders;      // each with a trailing '/', the earliest first
    std::vector<std::string> createdFolders;
};
Installation findInstallation();

// What the removal did, for the closing report.
struct UninstallReport {
    std::vector<std::string> removed;      // files removed
    std::vector<std::string> removedFrom;  // installation folders that program files were removed from
    // The user's files left in place: an installation folder and the
    // names it still holds.
    std::vector<std::pair<std::string, std::vector<std::string>>> kept;
    std::vector<std::string> failed;       // files that could not be removed, with the reason
};

// Each step of the removal, in the order the uninstaller runs them.
// The ".wav" and CD associations in the registry and on the desktop, given
// back to what they were before (the values "BeforeSonvela" and "Old").
void removeAssociations(const Installation& inst);
// The program group, its directory entry and merged menu, and the icon.
void removeMenus(const Installation& inst);
// The nine files of every installation folder (and the settings files
// when removeSettings), the copy of the uninstaller, then the uninstall
// entry and the folders setup created that are left empty.
void removeProgramFiles(const Installation& inst, bool removeSettings, UninstallReport& report);

// The report as the user reads it.
std::string reportText(const UninstallReport& report);

} // namespace sv::install

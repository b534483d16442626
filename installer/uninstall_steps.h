// What the uninstaller does to the system, without its window: it undoes
// what setup did (the files it copied, the registry entries, the desktop
// entries and defaults, the menu, the icon, the folders it created) and
// keeps what the user made (sounds and other files in the installation
// folder, and the settings file unless asked to remove it).
#pragma once
#include <string>
#include <utility>
#include <vector>

#include "installer/install_steps.h"

namespace sv::install {

// The installation as its uninstall entry describes it.
// Setup may have run more than once, into more than one folder: the
// uninstaller removes Sonvela from each of them.
// Only what the entry says in a form that cannot point elsewhere is taken
// from it: full paths without "." or ".." levels; the rest is left out.
struct Installation {
    bool found = false;                    // the uninstall entry exists
    std::vector<std::string> folders;      // each with a trailing '/', the earliest first
    std::vector<std::string> createdFolders;
    // The files setup installed, with their sizes and checksums. An entry
    // of a setup that kept no record has none (hasRecord false): then no
    // program file can be told from a file of the user's, and none is
    // removed.
    bool hasRecord = false;
    std::vector<InstalledFile> files;
};
Installation findInstallation();

// The editors of the installation that are running: the processes whose
// program is the editor of one of its folders.
std::vector<long> runningEditors(const Installation& inst);

// What the removal did, for the closing report.
struct UninstallReport {
    std::vector<std::string> removed;      // files removed
    std::vector<std::string> removedFrom;  // installation folders that program files were removed from
    // Recorded files left in place because they are no longer what setup
    // installed (changed or replaced since).
    std::vector<std::string> changed;
    // Folders whose program files were left in place for want of a record.
    std::vector<std::string> unrecorded;
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
// The recorded files that are still as setup installed them (and the
// settings file of each installation folder when removeSettings), the copy
// of the uninstaller, then the uninstall entry and the folders setup
// created that are left empty.
void removeProgramFiles(const Installation& inst, bool removeSettings, UninstallReport& report);

// The report as the user reads it.
std::string reportText(const UninstallReport& report);

} // namespace sv::install

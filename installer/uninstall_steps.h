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
// The entry is a file of the user's that may have been damaged: a folder
// it names may be one of the user's own, a file it records may be the
// user's copy of a program file.
struct Installation {
    bool found = false;                    // the uninstall entry exists
    std::vector<std::string> folders;      // each with a trailing '/', the earliest first
    std::vector<std::string> createdFolders;
    // The installation folders that setup installed into, the very folders
    // whose identity it recorded (for an entry of an earlier setup, which
    // recorded none, those it created): the only ones, with the program
    // data folder, that program files are removed from. Never the home
    // folder or one above it, nor a folder reached through a link put in
    // place of one that setup created.
    std::vector<std::string> programFolders;
    // The files setup installed, with their sizes and checksums. An entry
    // of a setup that kept no record has none (hasRecord false): then no
    // program file can be told from a file of the user's, and none is
    // removed.
    bool hasRecord = false;
    std::vector<InstalledFile> files;
    // Lines of the record that cannot be read (no size or checksum, say):
    // the full path each names, "" when it names none.
    std::vector<std::string> unreadable;
};
Installation findInstallation();

// The editors of the installation that are running: the processes whose
// program is the editor of one of its folders.
std::vector<long> runningEditors(const Installation& inst);

// What the removal did, for the closing report. Every file is named by its
// full path.
struct UninstallReport {
    std::vector<std::string> removed;      // files removed
    std::vector<std::string> removedFrom;  // installation folders that program files were removed from
    // Recorded files left in place because they are no longer what setup
    // installed (changed or replaced since).
    std::vector<std::string> changed;
    // Files left in place because they are not in a folder setup created:
    // those the record names there, and those named like program files in
    // the other folders it names. They may be the user's own.
    std::vector<std::string> outside;
    // Program files left in the folders setup created for want of a
    // readable record of them.
    std::vector<std::string> unrecorded;
    bool hasRecord = true;                 // the reason for unrecorded: no record at all,
    bool recordDamaged = false;            // or one with lines that cannot be read
    // Settings files left in place although their removal was asked for:
    // no verified program file was removed from their folder.
    std::vector<std::string> settingsKept;
    // The user's files left in place: an installation folder and the
    // names it still holds.
    std::vector<std::pair<std::string, std::vector<std::string>>> kept;
    std::vector<std::string> failed;       // files that could not be removed, with the reason
    // The uninstall entry and the uninstaller stay while program files are
    // left that a later run may remove: those that could not be removed,
    // and the unrecorded ones (once the user has removed them, or setup has
    // recorded them afresh).
    bool entryKept = false;
};

// Each step of the removal, in the order the uninstaller runs them.
// The ".wav" and CD associations in the registry and on the desktop, given
// back to what they were before (the values "BeforeSonvela" and "Old").
void removeAssociations(const Installation& inst);
// The program group, its directory entry and merged menu, and the icon.
void removeMenus(const Installation& inst);
// The recorded files in the folders setup created that are still as setup
// installed them (and the settings file of each installation folder they
// were removed from when removeSettings); then, unless program files are
// left that a later run may remove, the copy of the uninstaller and the
// uninstall entry; last the folders setup created that are left empty.
void removeProgramFiles(const Installation& inst, bool removeSettings, UninstallReport& report);

// The report as the user reads it.
std::string reportText(const UninstallReport& report);

} // namespace sv::install

// What the installer does to the system, without its window: the files it
// copies, the registry entries and desktop entries it writes, the program
// group it creates. Folders are given with a trailing '/'.
#pragma once
#include <string>
#include <vector>

namespace sv {

class ProgramManager;

namespace install {

// One file copied from the setup folder into the target folder, in order.
struct InstallFile {
    const char* name;
    bool showPath;     // made writable for the user, and its path shown
};
// The nine files; the installation fails without any of them.
const std::vector<InstallFile>& installFiles();

const char kProgramName[] = "sonvela";       // the editor, beside setup
const char kSetupName[] = "setup";
const char kHelpName[] = "sonvela.hlp";
const char kReadmeName[] = "readme.txt";
// Copied to the target and then to the program data folder, which outlives
// the target: the uninstall entry names that second copy.
const char kUninstallerName[] = "svuninst";
const char kSettingsName[] = "dadoruz.ini";
const char kGroupName[] = "Sonvela";
// The uninstall entry's key below HKEY_LOCAL_MACHINE.
const char kUninstallKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Sonvela";

// The folders the installation writes into, each with a trailing '/'.
std::vector<std::string> installationFolders(const std::string& target);
// Every level of the given folders that does not exist yet, shortest first.
std::vector<std::string> missingFolders(const std::vector<std::string>& folders);

// Creates every missing level of folder: 0, or the errno of the deepest
// level that could not be made.
int makeFolders(const std::string& folder);
// Removes those of the folders that are empty, the deepest first, so that a
// folder emptied by its subfolders goes too.
void removeEmptyFolders(std::vector<std::string> folders);

// Copies source to target, written beside the target and renamed over it,
// with the source's permissions (plus the user's write permission when
// makeWritable). 0, or the errno of the failure; failedPath, when given,
// receives the path that failed (the source or the target).
int copyFile(const std::string& source, const std::string& target, bool makeWritable,
             std::string* failedPath = nullptr);
// Whether copyFile could write path, found by creating the file it writes
// beside it (and removing it again): 0, or the errno that the copy would
// meet.
int checkWritable(const std::string& path);

// Registry entries (RegistryError when a key or value cannot be written).
// target is the installation folder.
void registerWavEditor(const std::string& target);   // ".wav", "wavfile" verbs
void registerCdPlayer(const std::string& target);    // "AudioCD" play verb
// The uninstall entry: its display name, the uninstaller's command, the
// installation folder (InstallLocation, the latest), every installation
// folder so far (InstallLocations) and the folders the installations
// created (CreatedFolders); both lists keep what earlier installations
// recorded and gain target and createdFolders.
void registerUninstall(const std::string& target, const std::vector<std::string>& createdFolders);
std::string uninstallerPath();   // programDataFolder() + svuninst
// The lines of a multi-line value, and back ("\n" after each line).
std::vector<std::string> splitLines(const std::string& text);
std::string joinLines(const std::vector<std::string>& lines);
// Appends each non-empty line of more that lines does not hold yet.
void addMissing(std::vector<std::string>& lines, const std::vector<std::string>& more);
// The value "ProgramFilesDir" of the system's current version key ("" when
// absent).
std::string programFilesDir();

// The macros of the program group, each ended by "\r\n".
std::string createGroupMacro(const std::string& group);
std::string addItemMacro(const std::string& commandLine, const std::string& name);
// The command line of the menu item for an installed file: the file itself,
// except the help file, which the editor shows in its own help window (no
// viewer on the desktop opens it).
std::string menuItemCommand(const std::string& target, const std::string& file);

} // namespace install
} // namespace sv

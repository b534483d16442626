// What the installer does to the system, without its window: the files it
// copies, the registry entries and desktop entries it writes, the program
// group it creates. Folders are given with a trailing '/'.
#pragma once
#include <cstdint>
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
// Whether name is the name of one of them.
bool isProgramFileName(const std::string& name);

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
// Its value recording every file installed, with its size and checksum.
const char kInstalledFilesValue[] = "InstalledFiles";
// Its value recording the identity of each folder that setup installed
// into, one line each: "<inode> <folder>". A folder the entry names by its
// path alone may be any folder of the user's.
const char kInstallFolderIdsValue[] = "InstallFolderIds";

// The folders the installation writes into, each with a trailing '/'.
std::vector<std::string> installationFolders(const std::string& target);
// Every level of the given folders that does not exist yet, shortest first.
std::vector<std::string> missingFolders(const std::vector<std::string>& folders);

// Creates every missing level of folder, the shortest first, and stops at
// the first level that cannot be made: 0, or that level's errno (ENOTDIR
// for a level that is there but is no folder), with the level in
// failedLevel when given.
int makeFolders(const std::string& folder, std::string* failedLevel = nullptr);
// Removes those of the folders that are empty, the deepest first, so that a
// folder emptied by its subfolders goes too.
void removeEmptyFolders(std::vector<std::string> folders);

// Copies source to target, written beside the target and renamed over it,
// with the source's permissions (plus the user's write permission when
// makeWritable). 0, or the errno of the failure; failedPath, when given,
// receives the path that failed (the source or the target); sha256, when
// given, the checksum of the bytes copied (lower-case hexadecimal).
int copyFile(const std::string& source, const std::string& target, bool makeWritable,
             std::string* failedPath = nullptr, std::string* sha256 = nullptr);
// The checksum of the bytes of a regular file open for reading, as
// copyFile gives it; "" when it cannot be read.
std::string fileSha256(int fd);

// Every file the installation into target may write: the program files and
// the settings file, the uninstaller's copy, the registry file, the
// desktop's defaults, its entries, menu and icon. A failed installation
// puts each of them back as it was.
std::vector<std::string> filesWritten(const std::string& target);

// Whether path can be named in a desktop entry's Exec line and in the
// registry's lines as it is: UTF-8 text without control characters (a
// line break would end the line).
bool fitsDesktopEntries(const std::string& path);

// A full path with no "." or ".." level and no empty one: what the
// uninstaller may remove from, or prune.
bool isPlainAbsolutePath(const std::string& path);

// A file that setup installed, as recorded in the uninstall entry: the
// uninstaller removes it only while it is still that file.
struct InstalledFile {
    std::string path;
    uint64_t size = 0;
    std::string sha256;
};
// The value "InstalledFiles": one line a file, "<sha256> <size> <path>".
std::string formatInstalledFile(const InstalledFile& f);
bool parseInstalledFile(const std::string& line, InstalledFile& f);
// Adds the files to the uninstall entry's record; a file recorded before
// under the same path takes its new size and checksum.
void recordInstalledFiles(const std::vector<InstalledFile>& files);
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
// recorded and gain target and createdFolders; target's identity goes to
// InstallFolderIds.
void registerUninstall(const std::string& target, const std::vector<std::string>& createdFolders);
// The lines of InstallFolderIds: "<inode> <folder>".
std::string formatFolderId(uint64_t inode, const std::string& folder);
bool parseFolderId(const std::string& line, uint64_t& inode, std::string& folder);
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
// viewer on the desktop opens it): the editor, with its help switch.
std::string menuItemCommand(const std::string& target, const std::string& file);

} // namespace install
} // namespace sv

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
    bool required;     // the installation fails without it
    bool showPath;     // made writable for the user, and its path shown
};
const std::vector<InstallFile>& installFiles();

const char kProgramName[] = "sonvela";       // the editor, beside setup
const char kSetupName[] = "setup";
const char kHelpName[] = "sonvela.hlp";
const char kReadmeName[] = "readme.txt";

// Creates every missing level of folder: 0, or the errno of the deepest
// level that could not be made.
int makeFolders(const std::string& folder);

// Copies source to target, written beside the target and renamed over it,
// with the source's permissions (plus the user's write permission when
// makeWritable). 0, or the errno of the failure.
int copyFile(const std::string& source, const std::string& target, bool makeWritable);

// Registry entries (RegistryError when a key or value cannot be written).
// target is the installation folder.
void registerWavEditor(const std::string& target);   // ".wav", "wavfile" verbs
void registerCdPlayer(const std::string& target);    // "AudioCD" play verb
void registerUninstall(const std::string& target);   // the uninstall entry
// The value "ProgramFilesDir" of the system's current version key ("" when
// absent).
std::string programFilesDir();

// The macros of the program group, each ended by "\r\n".
std::string createGroupMacro(const std::string& group);
std::string addItemMacro(const std::string& commandLine, const std::string& name);

} // namespace install
} // namespace sv

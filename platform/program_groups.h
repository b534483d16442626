// Desktop menu entries and default applications, the freedesktop way: a
// program group is a submenu (a folder of ".desktop" files under the
// applications folder, a ".directory" entry and a merged ".menu" file), a
// menu item is one ".desktop" file, and the default application of a file
// type is a line of "mimeapps.list".
//
// The installer drives the menu with the program manager's macros,
// "[CreateGroup(name)]" and "[AddItem(command line,name)]", each ended by a
// carriage return and line feed; ProgramManager carries them out.
#pragma once
#include <string>
#include <vector>

namespace sv {

// The user's freedesktop folders, each with a trailing '/':
// $XDG_DATA_HOME/ (else $HOME/.local/share/) and $XDG_CONFIG_HOME/ (else
// $HOME/.config/).
std::string dataHome();
std::string configHome();

// The folder that outlives an installation folder: the uninstaller is kept
// here (dataHome() + "sonvela/").
std::string programDataFolder();
// Where the menu's directory entries, merged menu files and the icon theme
// of the user live.
std::string desktopDirectoriesFolder();   // dataHome() + "desktop-directories/"
std::string mergedMenusFolder();          // configHome() + "menus/applications-merged/"
std::string iconThemeFolder();            // dataHome() + "icons/hicolor/"

// $XDG_DATA_HOME/applications/ (else $HOME/.local/share/applications/), with
// a trailing '/'; setApplicationsFolder or $SONVELA_APPLICATIONS_DIR replace it.
std::string applicationsFolder();
void setApplicationsFolder(const std::string& folder);   // "" restores the default

// $XDG_CONFIG_HOME/mimeapps.list (else $HOME/.config/mimeapps.list);
// setMimeAppsFile or $SONVELA_MIMEAPPS_FILE replace it.
std::string mimeAppsFile();
void setMimeAppsFile(const std::string& file);           // "" restores the default

// One argument of a desktop entry's Exec line: quoted when it needs it, and
// '%' doubled so that a path is never taken for a field code.
std::string desktopExecArgument(const std::string& arg);
// An Exec value as the file holds it, split into its arguments the way the
// desktop does: the string value's escapes first (\\, \s, \n, \t, \r),
// then the quoting of the Exec key (an argument in double quotes, where
// \" \` \$ \\ stand for the character), and "%%" for '%'. A field code
// ("%f") stays as it is. False when the value breaks those rules.
bool parseDesktopExec(const std::string& fileValue, std::vector<std::string>& argv);

// An Exec line made argument by argument, with what it runs (the argv of
// DesktopEntry).
struct DesktopExec {
    std::string line;
    std::vector<std::string> argv;
    // Starts the line with a program. A path holding '%' is run through
    // "env": desktops built on GLib look the first argument up before they
    // turn "%%" into '%', and would not find the program.
    static DesktopExec program(const std::string& path);
    DesktopExec& arg(const std::string& literal);    // quoted and escaped as needed
    DesktopExec& fieldCode(const char* code);        // "%f", as it is
};

struct DesktopAction {
    std::string id;      // [Desktop Action <id>]
    std::string name;
    std::string exec;    // a complete Exec line (see desktopExecArgument)
    std::vector<std::string> argv{};   // what exec must run (see DesktopEntry)
};

struct DesktopEntry {
    std::string name;
    std::string comment;
    std::string exec;        // a complete Exec line (see desktopExecArgument)
    // What exec must run, argument by argument (field codes as "%f"): when
    // given, the written file's Exec lines are read back and must give
    // exactly these, or the entry is not written.
    std::vector<std::string> argv;
    std::string mimeTypes;   // "audio/x-wav;" or empty
    std::string icon;        // an icon theme name ("sonvela") or empty
    std::string categories;  // "AudioVideo;Audio;" or empty
    bool terminal = false;
    bool noDisplay = false;  // kept out of menus (an entry only for file types)
    std::vector<DesktopAction> actions;
};

// The program's icon name in the icon theme.
extern const char kIconName[];   // "sonvela"

// Writes the entry (beside the file, then renamed); false with errno set on
// failure (EINVAL for an Exec line that would not run what argv says). The
// folder must exist.
bool writeDesktopEntry(const std::string& path, const DesktopEntry& entry);

// The "[Default Applications]" line of a MIME type in mimeAppsFile(); every
// other line of the file is kept. False when the file cannot be written.
bool setDefaultApplication(const std::string& mimeType, const std::string& desktopId);
std::string defaultApplication(const std::string& mimeType);   // "" when none

// Makes desktopId the default of mimeType, first remembering the default it
// replaces (only the first time: setting it again keeps the first one).
// False with errno set when a file cannot be written.
bool takeDesktopDefault(const std::string& mimeType, const std::string& desktopId);
// Gives mimeType back: when desktopId is still its default, the remembered
// one comes back (or the line goes, when there was none); a default the user
// chose since is left alone. The remembered default is forgotten.
bool restoreDesktopDefault(const std::string& mimeType, const std::string& desktopId);

// The desktop's side of the ".wav" association: "sonvela.desktop" in the
// applications folder runs the program at programPath (kept out of the
// menus; "Play audio" is its second action) and becomes the default
// application of audio/x-wav. False with errno set when a file cannot be
// written.
bool setWavDesktopAssociation(const std::string& programPath);
// Gives audio/x-wav back to the application it had before; the entry itself
// stays, like the registry's ".wav" key.
bool unsetWavDesktopAssociation();
extern const char kWavDesktopId[];   // "sonvela.desktop"

// The same for audio CDs: "sonvela-cd.desktop" starts the program with
// "-CD" and becomes the handler of x-content/audio-cdda.
bool setCdDesktopAssociation(const std::string& programPath);
bool unsetCdDesktopAssociation();
extern const char kCdDesktopId[];    // "sonvela-cd.desktop"
extern const char kCdContentType[];  // "x-content/audio-cdda"

// The program manager: a group is a submenu of the desktop's applications
// menu (a folder of desktop entries below the applications folder, a
// directory entry and a merged menu file naming them); an item goes into
// the group created last.
class ProgramManager {
public:
    explicit ProgramManager(std::string folder = applicationsFolder());

    // Carries out one or more macros; false at the first that fails (an
    // unknown macro, a malformed one, an item with no group, a file that
    // cannot be written).
    bool execute(const std::string& macros);

    bool createGroup(const std::string& name);
    // The command line is a program (run as it is, with the arguments that
    // follow it) or a document (opened with the desktop's application for
    // it). A command line that names no file is refused: a menu item must
    // open something.
    bool addItem(const std::string& commandLine, const std::string& name);
    // Removes the group's entries, folder, directory entry and menu file.
    bool deleteGroup(const std::string& name);

    // What the entries of the groups show: an icon for the group and its
    // programs, the categories of a program item and of a document item.
    std::string icon;
    std::string programCategories = "Utility;";
    std::string documentCategories = "Utility;Documentation;";

    const std::string& folder() const { return folder_; }
    // Folder of the current group ("" before CreateGroup), with a trailing '/'.
    const std::string& groupFolder() const { return group_; }
    // The group's merged menu file and directory entry.
    static std::string menuFileFor(const std::string& name);
    static std::string directoryFileFor(const std::string& name);

    // "Sonvela Help" -> "sonvela-help": letters, digits and '-' only.
    static std::string fileNameFor(const std::string& name);

private:
    bool writeMenu();

    std::string folder_;
    std::string group_;
    std::string groupId_;
    std::string groupName_;
};

} // namespace sv

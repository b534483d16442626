// A profile file of sections and "key=value" lines. Section and key names
// match without regard to case; every read takes the caller's default for a
// missing file, section or key, or an integer that is not one; every write
// goes to the file at once and keeps every other line as it was. A write
// that fails (a full disk) leaves the file as it was and is told to the
// user once per run.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace sv {

struct YesNoKey;

class IniFile {
public:
    explicit IniFile(std::string path) : path_(std::move(path)) {}
    const std::string& path() const { return path_; }

    int32_t ReadInteger(const std::string& section, const std::string& key, int32_t def) const;
    // As above, brought into least..most: a number that places, sizes or
    // counts something never leaves the range the program can use, whatever
    // the file says.
    int32_t ReadInteger(const std::string& section, const std::string& key, int32_t def, int32_t least,
                        int32_t most) const;
    std::string ReadString(const std::string& section, const std::string& key, const std::string& def) const;
    // A yes/no key, as every window of the program reads it (below).
    bool ReadYesNo(const YesNoKey& key) const;
    void WriteInteger(const std::string& section, const std::string& key, int32_t value);
    void WriteString(const std::string& section, const std::string& key, const std::string& value);
    bool ValueExists(const std::string& section, const std::string& key) const;

    // Parses decimal text, or hexadecimal after 0x/0X; false when the text is
    // not a whole 32-bit integer.
    static bool parseInteger(const std::string& text, int32_t& out);

private:
    bool lookup(const std::string& section, const std::string& key, std::string& value) const;
    // `complete` (when given) is false when reading the file failed partway.
    std::vector<std::string> readLines(bool* complete = nullptr) const;
    std::string path_;
};

// A yes/no key of the settings file. The program writes 0 or 1, but people
// edit the file by hand, and whatever a stored value did before is what
// they rely on: every reader of a key goes through its one entry here, so
// that no two windows (the options dialog and the commands it sets up) can
// take the same value two ways. The option keys mean yes for any number but
// 0; the view keys only for 1 (a stored 2 has always hidden what they show).
// A missing key, or one that is not a number, stands for `byDefault`.
struct YesNoKey {
    const char* section;
    const char* key;
    bool byDefault;
    bool onlyOneIsYes;
};

inline constexpr YesNoKey kDisableUndo{"Options", "DisableUndo", false, false};
inline constexpr YesNoKey kConfirmExit{"Options", "ConfirmExit", true, false};
inline constexpr YesNoKey kPlayFromCursorPosition{"Options", "PlayFromCursorPosition", false, false};
inline constexpr YesNoKey kAutoZoom{"Options", "AutoZoom", true, false};
inline constexpr YesNoKey kViewFullFilePath{"Options", "ViewFullFilePath", true, false};
inline constexpr YesNoKey kDoScroll{"Options", "DoScroll", true, false};
inline constexpr YesNoKey kViewVumeters{"Options", "ViewVumeters", true, true};
inline constexpr YesNoKey kViewAccessBar{"Options", "ViewAccessBar", true, true};
inline constexpr YesNoKey kViewImage{"Options", "ViewImage", true, true};
inline constexpr YesNoKey kViewGrid{"Configuration", "ViewGrid", false, true};
// The seven tool bars of the tool-bar mode.
inline constexpr YesNoKey kViewPanelFile{"Options", "ViewPanelFile", true, true};
inline constexpr YesNoKey kViewPanelEdit{"Options", "ViewPanelEdit", true, true};
inline constexpr YesNoKey kViewPanelTools{"Options", "ViewPanelTools", true, true};
inline constexpr YesNoKey kViewPanelFilter{"Options", "ViewPanelFilter", true, true};
inline constexpr YesNoKey kViewPanelMisc{"Options", "ViewPanelMisc", true, true};
inline constexpr YesNoKey kViewPanelView{"Options", "ViewPanelView", true, true};
inline constexpr YesNoKey kViewPanelHelp{"Options", "ViewPanelHelp", true, true};

// The program's own settings file, "dadoruz.ini" in the program's folder.
IniFile Settings();

// The run ends with nobody to answer (a log-out): from now on a failed
// write is told on the standard error, not in a message box.
void setSettingsUnattended();

} // namespace sv

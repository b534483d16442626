// The program's help file, "sonvela.hlp" beside the program: its pages
// (HTML text, one per menu and per dialog) in one text file:
//   SONVELA HELP 1
//   @page contents.html
//   ...the page...
//   @page file_menu.html
//   ...
// A page's name is letters, digits, '_', '-' and '.', ending in ".html";
// "contents.html" is the first page shown.
#pragma once
#include <map>
#include <string>

namespace sv {

struct HelpFile {
    std::map<std::string, std::string> pages;
};

enum class HelpLoad { Ok, Missing, Damaged };

// Reads the help file. Damaged (with the reason in problem) for a file
// that is not a help file, has a malformed or repeated page name, has no
// contents page or is unreasonably large; the help is then left empty.
HelpLoad loadHelpFile(const std::string& path, HelpFile& help, std::string& problem);
HelpLoad parseHelpText(const std::string& text, HelpFile& help, std::string& problem);

extern const char kHelpContentsPage[];   // "contents.html"

// The editor's parameter that shows only its help window, on the contents
// page: the desktop menu's help item starts the editor so, since no viewer
// on the desktop opens the help file itself.
extern const char kHelpSwitch[];         // "-HELP"

} // namespace sv

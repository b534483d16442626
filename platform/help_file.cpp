#include "platform/help_file.h"

#include <cerrno>
#include <fstream>
#include <sstream>
#include <sys/stat.h>

namespace sv {

const char kHelpContentsPage[] = "contents.html";
const char kHelpSwitch[] = "-HELP";

namespace {

// The help is read whole; a file far beyond any help text is not one.
const long long kMaxHelpBytes = 16LL << 20;
const char kSignature[] = "SONVELA HELP 1";
const char kPageMark[] = "@page ";

bool validPageName(const std::string& n) {
    if (n.size() < 6 || n.size() > 100 || n.compare(n.size() - 5, 5, ".html") != 0) return false;
    for (char c : n) {
        bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
                  c == '-' || c == '.';
        if (!ok) return false;
    }
    return true;
}

} // namespace

HelpLoad parseHelpText(const std::string& text, HelpFile& help, std::string& problem) {
    help.pages.clear();
    HelpFile read;
    size_t pos = 0;
    auto nextLine = [&](std::string& line) {
        if (pos >= text.size()) return false;
        size_t end = text.find('\n', pos);
        if (end == std::string::npos) end = text.size();
        line = text.substr(pos, end - pos);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        pos = end + 1;
        return true;
    };
    std::string line;
    if (!nextLine(line) || line != kSignature) {
        problem = "it is not a Sonvela help file";
        return HelpLoad::Damaged;
    }
    std::string* page = nullptr;
    while (nextLine(line)) {
        if (line.compare(0, 6, kPageMark) == 0) {
            const std::string name = line.substr(6);
            if (!validPageName(name)) {
                problem = "a page has the malformed name \"" + name.substr(0, 100) + "\"";
                return HelpLoad::Damaged;
            }
            if (read.pages.count(name)) {
                problem = "the page " + name + " is there twice";
                return HelpLoad::Damaged;
            }
            page = &read.pages[name];
        } else if (page) {
            *page += line;
            *page += '\n';
        } else if (!line.empty()) {
            problem = "text comes before the first page";
            return HelpLoad::Damaged;
        }
    }
    if (!read.pages.count(kHelpContentsPage)) {
        problem = "it has no contents page";
        return HelpLoad::Damaged;
    }
    help = std::move(read);
    return HelpLoad::Ok;
}

HelpLoad loadHelpFile(const std::string& path, HelpFile& help, std::string& problem) {
    help.pages.clear();
    struct stat st;
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return HelpLoad::Missing;
    if (st.st_size > kMaxHelpBytes) {
        problem = "it is far too large for a help file";
        return HelpLoad::Damaged;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) return HelpLoad::Missing;
    std::stringstream ss;
    ss << in.rdbuf();
    if (in.bad()) {
        problem = "it cannot be read";
        return HelpLoad::Damaged;
    }
    return parseHelpText(ss.str(), help, problem);
}

} // namespace sv

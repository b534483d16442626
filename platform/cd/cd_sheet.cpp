#include "platform/cd/cd_sheet.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>

#include "platform/cd/cd_commands.h"
#include "platform/files.h"
#include "platform/paths.h"

namespace sv {

namespace {

constexpr int64_t kMaxSheetBytes = 1 << 20;
// libcdio reads a sheet in lines of up to 4095 characters and takes the
// rest of a longer one as a line of its own.
constexpr size_t kMaxLineChars = 4000;
constexpr int kMaxTracks = 99;
constexpr int64_t kSectorBytes = 2352;

// Why a sheet is not given to libcdio: the line (0 for the sheet as a
// whole) and what is wrong there. `invalid`: the sheet is at fault, not
// only something this program does not read or a file that is missing.
struct Refusal {
    std::string text;
    bool invalid = true;
};

std::string atLine(int line, const std::string& what) {
    return line > 0 ? "line " + std::to_string(line) + ": " + what : what;
}

[[noreturn]] void refuse(int line, const std::string& what) { throw Refusal{atLine(line, what)}; }
[[noreturn]] void cannotPlay(int line, const std::string& what) { throw Refusal{atLine(line, what), false}; }

std::string quoted(const std::string& s) { return "\"" + s + "\""; }

std::string refusalMessage(const std::string& sheet, const Refusal& r) {
    return "The CD image sheet " + quoted(sheet) + (r.invalid ? " is not valid: " : " cannot be played: ") + r.text +
           ".";
}

std::string twoDigits(int n) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%02d", n);
    return buf;
}

// libcdio tells a sheet by the last three characters of its name, in
// either all lower or all upper case.
bool endsWith(const std::string& s, const char* lower, const char* upper) {
    if (s.size() <= 3) return false;
    const std::string tail = s.substr(s.size() - 3);
    return tail == lower || tail == upper;
}

// The same name with another three-letter ending in the same case, as
// libcdio pairs a ".cue" with its ".bin".
std::string replaceTail(const std::string& s, const char* lower, const char* upper) {
    const bool isUpper = std::isupper(static_cast<unsigned char>(s.back()));
    return s.substr(0, s.size() - 3) + (isUpper ? upper : lower);
}

bool allDigits(const std::string& s) {
    if (s.empty()) return false;
    for (char c : s)
        if (c < '0' || c > '9') return false;
    return true;
}

bool allAlnum(const std::string& s) {
    for (char c : s)
        if (!std::isalnum(static_cast<unsigned char>(c))) return false;
    return true;
}

// "m:s:f" (one or two digits each; seconds below 60, frames below 75) or
// a lone "0", as libcdio reads a time, into sectors; -1 when it is not one.
int32_t sheetTime(const std::string& t) {
    if (t == "0") return 0;
    int field[3] = {0, 0, 0};
    size_t at = 0;
    for (int k = 0; k < 3; ++k) {
        const size_t end = k < 2 ? t.find(':', at) : t.size();
        if (end == std::string::npos) return -1;
        const std::string digits = t.substr(at, end - at);
        if (digits.size() > 2 || !allDigits(digits)) return -1;
        field[k] = std::stoi(digits);
        at = end + 1;
    }
    if (field[1] > 59 || field[2] >= kCdFramesPerSecond) return -1;
    return (field[0] * 60 + field[1]) * kCdFramesPerSecond + field[2];
}

int32_t timeField(const std::string& t, int line, const std::string& word) {
    const int32_t v = sheetTime(t);
    if (v < 0) refuse(line, "the time " + quoted(t) + " after " + word + " is not minutes:seconds:frames");
    return v;
}

constexpr char kByteOrderMark[] = "\xEF\xBB\xBF";

// The sheet's bytes, without a UTF-8 byte-order mark at its start
// (`mark` then says it was there).
std::string sheetText(const std::string& sheet, bool& mark) {
    const ReadProblem problem = readProblem(sheet);
    if (problem) refuse(0, "it cannot be read: " + problem.reason);
    const int64_t size = fileSizeOf(sheet);
    if (size > kMaxSheetBytes) refuse(0, "it is larger than a sheet can be (1 MB)");
    std::string text;
    if (std::FILE* f = std::fopen(sheet.c_str(), "rb")) {
        char buf[65536];
        for (size_t n; (n = std::fread(buf, 1, sizeof buf, f)) > 0 && int64_t(text.size()) <= kMaxSheetBytes;)
            text.append(buf, n);
        std::fclose(f);
    } else {
        refuse(0, "it cannot be read");
    }
    mark = text.compare(0, 3, kByteOrderMark) == 0;
    if (mark) text.erase(0, 3);
    return text;
}

// The sheet's lines, as libcdio will read them: split at line feeds only
// (a carriage return is a separator inside a line to libcdio, so it is to
// us), with no character that would end or bend a line early.
std::vector<std::string> sheetLines(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    for (size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].size() > kMaxLineChars) refuse(int(i + 1), "the line is too long");
        for (char c : lines[i]) {
            const auto u = static_cast<unsigned char>(c);
            if (u < 0x20 && c != '\t' && c != '\r') refuse(int(i + 1), "it holds a control character");
        }
    }
    return lines;
}

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

// The first word of a line and the rest after it.
std::string firstWord(const std::string& line, std::string& rest) {
    size_t i = 0;
    while (i < line.size() && isBlank(line[i])) ++i;
    size_t j = i;
    while (j < line.size() && !isBlank(line[j])) ++j;
    rest = line.substr(j);
    return line.substr(i, j - i);
}

// The words after the first, a quoted one ("a b.bin") taken whole.
std::vector<std::string> fields(const std::string& rest, int line) {
    std::vector<std::string> out;
    size_t i = 0;
    while (true) {
        while (i < rest.size() && isBlank(rest[i])) ++i;
        if (i == rest.size()) break;
        if (rest[i] == '"') {
            const size_t close = rest.find('"', i + 1);
            if (close == std::string::npos) refuse(line, "a quotation mark is not closed");
            if (close + 1 < rest.size() && !isBlank(rest[close + 1]))
                refuse(line, "a quoted name runs on after its closing quotation mark");
            out.push_back(rest.substr(i + 1, close - i - 1));
            i = close + 1;
        } else {
            size_t j = i;
            while (j < rest.size() && !isBlank(rest[j])) {
                if (rest[j] == '"') refuse(line, "a quotation mark stands inside a word");
                ++j;
            }
            out.push_back(rest.substr(i, j - i));
            i = j;
        }
    }
    return out;
}

void expectCount(const std::vector<std::string>& f, size_t least, size_t most, int line, const std::string& word) {
    if (f.size() < least) refuse(line, word + " lacks a value");
    if (f.size() > most) refuse(line, word + " is followed by more than it takes");
}

bool sameFile(const std::string& a, const std::string& b) {
    struct stat sa {}, sb {};
    return ::stat(a.c_str(), &sa) == 0 && ::stat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev &&
           sa.st_ino == sb.st_ino;
}

// No file of that name, as opposed to one that is there but cannot be
// reached or read.
bool notThere(int error) { return error == ENOENT || error == ENOTDIR || error == ENAMETOOLONG; }

// The music file libcdio reads for a sheet: its length in sectors, or -1
// when it is not there (then no time can be checked against it).
int64_t musicSectors(const std::string& path, int line) {
    const ReadProblem problem = readProblem(path);
    if (notThere(problem.error)) return -1;
    if (problem) refuse(line, "its music file " + quoted(path) + " cannot be read: " + problem.reason);
    return fileSizeOf(path) / kSectorBytes;
}

// A path as the system resolves it, from the working folder when relative.
std::string fromWorkingFolder(const std::string& path) {
    if (!path.empty() && path[0] == '/') return path;
    char here[PATH_MAX];
    return ::getcwd(here, sizeof here) ? std::string(here) + "/" + path : path;
}

[[noreturn]] void musicMissing(const std::vector<std::string>& lookedFor) {
    std::string names;
    for (size_t i = 0; i < lookedFor.size(); ++i)
        names += (i ? " and " : "") + quoted(fromWorkingFolder(lookedFor[i]));
    cannotPlay(0, "its music file is not there (looked for " + names + ")");
}

void withinFile(int64_t sectors, int32_t at, int line, const std::string& what, const std::string& music) {
    if (sectors >= 0 && at >= sectors)
        refuse(line, what + " (" + cdTimeText(at) + ") lies beyond the end of " + quoted(extractFileName(music)) +
                         " (" + cdTimeText(int32_t(std::min<int64_t>(sectors, INT32_MAX))) + ")");
}

const std::set<std::string>& cdTextWords() {
    static const std::set<std::string> words = {"TITLE",   "PERFORMER", "SONGWRITER", "COMPOSER",
                                                "ARRANGER", "MESSAGE",  "DISC_ID",    "GENRE",
                                                "TOC_INFO", "TOC_INFO2", "UPC_EAN",   "SIZE_INFO"};
    return words;
}

// A cue sheet; `dataFile` is the music file libcdio reads for it.
void checkCue(const std::string& sheet, const std::string& text, const std::string& dataFile) {
    static const std::set<std::string> modes = {"AUDIO",      "MODE1/2048", "MODE1/2352", "MODE2/2336",
                                                "MODE2/2352", "MODE2/2048", "MODE2/2324"};
    static const std::set<std::string> flags = {"DCP", "4CH", "PRE", "SCMS"};
    const std::vector<std::string> lines = sheetLines(text);
    const int64_t sectors = musicSectors(dataFile, 0);
    bool fileSeen = false;
    std::string named;        // the music file as FILE names it
    int tracks = 0;
    int lastIndex = -1;       // of the current track; -1 before its first INDEX
    int32_t lastTime = -1;    // of the last INDEX in the sheet
    int trackLine = 0;
    auto endTrack = [&](int line) {
        if (tracks > 0 && lastIndex < 1)
            refuse(line ? line : trackLine, "track " + twoDigits(tracks) + " has no INDEX 01");
    };
    for (size_t n = 0; n < lines.size(); ++n) {
        const int line = int(n + 1);
        std::string rest;
        const std::string word = firstWord(lines[n], rest);
        if (word.empty() || word == "REM") continue;
        // Any text will do, none included: libcdio keeps it as it is.
        if (cdTextWords().count(word)) continue;
        const std::vector<std::string> f = fields(rest, line);
        if (word == "CATALOG") {
            if (tracks > 0) refuse(line, "CATALOG comes after the first TRACK");
            expectCount(f, 1, 1, line, word);
            if (f[0].size() != 13 || !allDigits(f[0])) refuse(line, "CATALOG is not 13 digits");
        } else if (word == "FILE") {
            if (fileSeen) refuse(line, "a second FILE line: only an image of one music file can be read");
            if (tracks > 0) refuse(line, "FILE comes after the first TRACK");
            expectCount(f, 2, 2, line, word);
            if (f[1] != "BINARY") refuse(line, "the music file is " + f[1] + ", not BINARY (raw CD sectors)");
            fileSeen = true;
            // A name that is not there (an image renamed after burning, a
            // path or letter case of another system) is read as the file
            // named like the sheet, by libcdio as by the user; another file
            // that is there would not be played as the sheet says.
            named = !f[0].empty() && f[0][0] == '/' ? f[0] : extractFilePath(sheet) + f[0];
            struct stat st {};
            if (::stat(named.c_str(), &st) == 0) {
                if (!sameFile(named, dataFile))
                    refuse(line, "FILE names " + quoted(f[0]) +
                                     ", but the music is read from the file named like the sheet, " +
                                     quoted(extractFileName(dataFile)));
            } else if (!notThere(errno)) {
                refuse(line, "its music file " + quoted(named) + " cannot be read: " + std::strerror(errno));
            }
        } else if (word == "TRACK") {
            expectCount(f, 2, 2, line, word);
            if (!fileSeen) refuse(line, "TRACK comes before any FILE line");
            endTrack(line);
            if (tracks == kMaxTracks) refuse(line, "a disc holds at most 99 tracks");
            const std::string want = twoDigits(tracks + 1);
            if (!allDigits(f[0]) || f[0].size() > 2 || std::stoi(f[0]) != tracks + 1)
                refuse(line, "track " + f[0] + " comes where track " + want + " should");
            if (!modes.count(f[1])) refuse(line, "track " + want + " is of the unknown kind " + quoted(f[1]));
            ++tracks;
            lastIndex = -1;
            trackLine = line;
        } else if (word == "FLAGS") {
            if (tracks == 0) refuse(line, "FLAGS comes before the first TRACK");
            expectCount(f, 1, 4, line, word);
            for (const std::string& x : f)
                if (!flags.count(x)) refuse(line, "FLAGS holds the unknown flag " + quoted(x));
        } else if (word == "ISRC") {
            if (tracks == 0) refuse(line, "ISRC comes before the first TRACK");
            expectCount(f, 1, 1, line, word);
            if (f[0].size() != 12 || !allAlnum(f[0])) refuse(line, "ISRC is not 12 letters and digits");
        } else if (word == "PREGAP") {
            if (tracks == 0) refuse(line, "PREGAP comes before the first TRACK");
            if (lastIndex >= 0) refuse(line, "PREGAP comes after an INDEX of its track");
            expectCount(f, 1, 1, line, word);
            timeField(f[0], line, word);
        } else if (word == "INDEX") {
            if (tracks == 0) refuse(line, "INDEX comes before the first TRACK");
            expectCount(f, 2, 2, line, word);
            if (f[0].size() != 2 || !allDigits(f[0])) refuse(line, "the index number " + quoted(f[0]) + " is not two digits");
            const int index = std::stoi(f[0]);
            if (lastIndex < 0 ? index > 1 : index != lastIndex + 1)
                refuse(line, "INDEX " + f[0] + " comes where INDEX " + twoDigits(lastIndex < 0 ? 1 : lastIndex + 1) +
                                 " should");
            const int32_t at = timeField(f[1], line, word);
            if (at <= lastTime) refuse(line, "INDEX " + f[0] + " of track " + twoDigits(tracks) + " (" + f[1] +
                                                 ") does not come after the time before it");
            withinFile(sectors, at, line, "INDEX " + f[0] + " of track " + twoDigits(tracks), dataFile);
            lastIndex = index;
            lastTime = at;
        } else {
            refuse(line, quoted(word) + " is not a word of a cue sheet this program reads");
        }
    }
    if (!fileSeen) refuse(0, "it has no FILE line");
    if (tracks == 0) refuse(0, "it lists no TRACK");
    endTrack(0);
    if (sectors < 0) {
        if (named == dataFile) musicMissing({dataFile});
        musicMissing({named, dataFile});
    }
}

// A toc sheet. libcdio opens its music file by the name as written
// (relative to the working folder), so it is looked for there too.
void checkToc(const std::string& text) {
    static const std::set<std::string> modes = {"AUDIO",       "MODE1",          "MODE1_RAW", "MODE2",
                                                "MODE2_FORM1", "MODE2_FORM2",    "MODE2_FORM_MIX",
                                                "MODE2_RAW"};
    static const std::set<std::string> subchannels = {"RW", "RW_RAW"};
    const std::vector<std::string> lines = sheetLines(text);
    int tracks = 0;
    bool trackFile = false;
    std::string music;
    int64_t sectors = -1;
    int32_t trackStart = 0, trackLength = -1, lastEnd = 0;
    int trackLine = 0;
    auto endTrack = [&](int line) {
        if (tracks > 0 && !trackFile)
            refuse(line ? line : trackLine, "track " + twoDigits(tracks) + " has no FILE line");
    };
    for (size_t n = 0; n < lines.size(); ++n) {
        const int line = int(n + 1);
        // libcdio ends a line at its first "//", in quotes or not.
        std::string text = lines[n];
        const size_t comment = text.find("//");
        if (comment != std::string::npos) text.resize(comment);
        std::string rest;
        const std::string word = firstWord(text, rest);
        if (word.empty()) continue;
        // Titles and names, for the disc or a track, in blocks of their
        // own that libcdio's reader does not take.
        if (word == "CD_TEXT") cannotPlay(line, "CD_TEXT blocks are not read: the sheet plays once they are taken out");
        const std::vector<std::string> f = fields(rest, line);
        if (word == "CD_DA" || word == "CD_ROM" || word == "CD_ROM_XA") {
            if (tracks > 0) refuse(line, word + " comes after the first TRACK");
            expectCount(f, 0, 0, line, word);
        } else if (word == "CATALOG") {
            if (tracks > 0) refuse(line, "CATALOG comes after the first TRACK");
            expectCount(f, 1, 1, line, word);
            if (f[0].size() != 13 || !allDigits(f[0])) refuse(line, "CATALOG is not 13 digits");
        } else if (word == "TRACK") {
            endTrack(line);
            if (tracks == kMaxTracks) refuse(line, "a disc holds at most 99 tracks");
            expectCount(f, 1, 2, line, word);
            if (!modes.count(f[0])) refuse(line, "track " + twoDigits(tracks + 1) + " is of the unknown kind " + quoted(f[0]));
            if (f.size() == 2 && !subchannels.count(f[1]))
                refuse(line, "track " + twoDigits(tracks + 1) + " has the unknown sub-channel kind " + quoted(f[1]));
            ++tracks;
            trackFile = false;
            trackLine = line;
        } else if (tracks == 0) {
            // Every other word belongs to a track; libcdio would write it
            // in front of its first one.
            refuse(line, quoted(word) + " comes before the first TRACK");
        } else if (word == "COPY" || word == "PRE_EMPHASIS" || word == "TWO_CHANNEL_AUDIO" ||
                   word == "FOUR_CHANNEL_AUDIO") {
            expectCount(f, 0, 0, line, word);
        } else if (word == "NO") {
            expectCount(f, 1, 1, line, word);
            if (f[0] != "COPY" && f[0] != "PRE_EMPHASIS") refuse(line, "NO " + f[0] + " is not a track flag");
        } else if (word == "ISRC") {
            expectCount(f, 1, 1, line, word);
            if (f[0].size() != 12 || !allAlnum(f[0])) refuse(line, "ISRC is not 12 letters and digits");
        } else if (word == "FILE" || word == "AUDIOFILE") {
            if (trackFile) refuse(line, "track " + twoDigits(tracks) + " has a second FILE line");
            expectCount(f, 2, 3, line, word);
            if (f[0].empty()) refuse(line, word + " names no file");
            if (music.empty()) {
                music = f[0];
                sectors = musicSectors(music, line);
            } else if (f[0] != music) {
                refuse(line, "a second music file " + quoted(f[0]) + ": only an image of one music file can be read");
            }
            const std::string what = "track " + twoDigits(tracks);
            trackStart = timeField(f[1], line, word);
            trackLength = f.size() == 3 ? timeField(f[2], line, word) : -1;
            if (trackStart < lastEnd)
                refuse(line, what + " starts (" + f[1] + ") before the track before it ends");
            withinFile(sectors, trackStart, line, "the start of " + what, music);
            lastEnd = trackStart + 1;
            if (trackLength > 0) {
                lastEnd = trackStart + trackLength;
                withinFile(sectors, lastEnd - 1, line, "the end of " + what, music);
            }
            trackFile = true;
        } else if (word == "START") {
            if (!trackFile) refuse(line, "START comes before the FILE line of its track");
            expectCount(f, 0, 1, line, word);
            if (f.size() == 1) {
                const int32_t at = timeField(f[0], line, word);
                if (trackLength >= 0 && at >= trackLength) refuse(line, "START lies beyond the end of its track");
                withinFile(sectors, trackStart + at, line, "START of track " + twoDigits(tracks), music);
            }
        } else if (word == "PREGAP" || word == "INDEX") {
            expectCount(f, 1, 1, line, word);
            timeField(f[0], line, word);
        } else {
            refuse(line, quoted(word) + " is not a word of a toc sheet this program reads");
        }
    }
    if (tracks == 0) refuse(0, "it lists no TRACK");
    endTrack(0);
    if (sectors < 0) musicMissing({music});
}

} // namespace

CdSheetKind cdSheetKind(const std::string& path) {
    if (endsWith(path, "cue", "CUE")) return CdSheetKind::Cue;
    if (endsWith(path, "toc", "TOC")) return CdSheetKind::Toc;
    if (endsWith(path, "bin", "BIN")) return CdSheetKind::Bin;
    return CdSheetKind::None;
}

CdSheetCheck checkCdSheet(const std::string& source) {
    const CdSheetKind kind = cdSheetKind(source);
    CdSheetCheck check;
    if (kind == CdSheetKind::None) return check;
    check.sheet = source;
    if (kind == CdSheetKind::Bin) {
        // libcdio reads the cue sheet of the same name; without one it
        // reads nothing.
        check.sheet = replaceTail(source, "cue", "CUE");
        struct stat st {};
        if (::stat(check.sheet.c_str(), &st) != 0) {
            check.verdict = CdSheetCheck::NoSheet;
            return check;
        }
    }
    try {
        check.text = sheetText(check.sheet, check.byteOrderMark);
        if (kind == CdSheetKind::Toc) {
            checkToc(check.text);
        } else {
            check.music = replaceTail(check.sheet, "bin", "BIN");
            checkCue(check.sheet, check.text, check.music);
        }
    } catch (const Refusal& r) {
        check.verdict = CdSheetCheck::Refused;
        check.message = refusalMessage(check.sheet, r);
    }
    return check;
}

std::unique_ptr<CdSheetCopy> CdSheetCopy::make(const CdSheetCheck& check, std::string& refusal) {
    const char* tmp = std::getenv("TMPDIR");
    const std::string base = tmp && *tmp ? tmp : "/tmp";
    std::unique_ptr<CdSheetCopy> copy(new CdSheetCopy);
    std::string where = base + "/sonvela-sheet-XXXXXX";
    // The folder is this copy's alone from the start: made under a name
    // nobody had, for this user only.
    if (::mkdtemp(where.data())) {
        copy->folder_ = where + "/";
        // libcdio tells a sheet by its ending and a cue sheet's music by
        // the sheet's name.
        const bool cue = !check.music.empty();
        const std::string sheet = copy->folder_ + (cue ? "disc.cue" : "disc.toc");
        const ScopedFd fd(::open(sheet.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
        if (fd.fd >= 0) {
            copy->made_.push_back(sheet);
            if (writeFullyAt(fd.fd, 0, check.text.data(), check.text.size())) {
                const std::string music = copy->folder_ + "disc.bin";
                if (!cue || ::symlink(canonicalPath(check.music).c_str(), music.c_str()) == 0) {
                    if (cue) copy->made_.push_back(music);
                    copy->sheet_ = sheet;
                    return copy;
                }
            }
        }
    }
    const int error = errno;
    refusal = refusalMessage(check.sheet, Refusal{"it begins with a UTF-8 byte-order mark, and no copy without it "
                                                  "could be made in " + quoted(base) + ": " + std::strerror(error),
                                                  false});
    return nullptr;
}

CdSheetCopy::~CdSheetCopy() {
    for (const std::string& f : made_) ::unlink(f.c_str());
    if (!folder_.empty()) ::rmdir(folder_.c_str());
}

} // namespace sv

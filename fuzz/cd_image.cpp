// Disc images as the CD player reads them: each input as a cue sheet and as
// a toc file beside one ".bin" of music, opened as a drive; the player's
// status queries over its table of contents, and the first sector of each
// track read through the digital audio reader.
#include <unistd.h>

#include <cstdlib>
#include <memory>

#include "fuzz/support/fuzz_support.h"
#include "platform/cd/cd_commands.h"
#include "platform/cd/cdio_drive.h"
#include "tests/support/cd_image.h"

using namespace sv;

namespace {

// A disc of three short tracks, in sectors: what the CD tests play.
const std::vector<int32_t> kTracks = {75, 90, 40};

// The same disc as a toc file (the sector layout of the cue sheet; no tool
// of ours writes toc files).
std::string tocSheet(const std::vector<int32_t>& tracks, const std::string& bin) {
    std::string toc = "CD_DA\n";
    int32_t at = 0;
    for (int32_t n : tracks) {
        toc += "TRACK AUDIO\nFILE \"" + bin + "\" " + cdTimeText(at) + " " + cdTimeText(n) + "\n";
        at += n;
    }
    return toc;
}

// The player's commands reach a drive kept from input to input (a drive
// holds its playback buffers from the start, as the program's one drive
// does); each input is a changed disc in it.
class BorrowedDrive : public CdDrive {
public:
    explicit BorrowedDrive(CdDrive& drive) : d_(drive) {}
    void refresh() override { d_.refresh(); }
    int readToc(CdToc& toc) override { return d_.readToc(toc); }
    int status(CdStatus& status) override { return d_.status(status); }
    int play(int32_t from, int32_t to) override { return d_.play(from, to); }
    int pause() override { return d_.pause(); }
    int resume() override { return d_.resume(); }
    int stop() override { return d_.stop(); }
    int setDoor(bool open) override { return d_.setDoor(open); }
    std::string refusal() const override { return d_.refusal(); }

private:
    CdDrive& d_;
};

void ask(const std::string& command) {
    std::string answer;
    const int rc = mciSendString(command, answer);
    if (rc != kCdOk && !answer.empty()) __builtin_trap();
}

void playAsDisc(CdioDrive& drive) {
    drive.refresh();
    setCdDrive(std::make_unique<BorrowedDrive>(drive));
    for (const char* c : {"status cdaudio media present", "status cdaudio number of tracks", "status cdaudio length",
                          "status cdaudio mode", "status cdaudio current track", "status cdaudio position"})
        ask(c);
    CdToc toc;
    if (drive.readToc(toc) == kCdOk) {
        if (toc.tracks.empty()) __builtin_trap();
        const size_t shown = std::min<size_t>(toc.tracks.size(), 4);
        for (size_t i = 0; i < shown; ++i) {
            const std::string n = std::to_string(toc.firstTrack + int(i));
            for (const char* q : {"type", "length", "position"}) ask(std::string("status cdaudio ") + q + " track " + n);
        }
        if (std::unique_ptr<CdSectorReader> reader = drive.openReader()) {
            std::vector<uint8_t> sector(kCdSectorBytes);
            for (size_t i = 0; i < std::min<size_t>(toc.tracks.size(), 2); ++i)
                if (toc.tracks[i].audio && toc.tracks[i].start >= 0 && toc.tracks[i].start < toc.leadout)
                    (void)reader->read(toc.tracks[i].start, 1, sector.data());
        }
    }
    ask("set cdaudio door open");
    ask("set cdaudio door closed");
    setCdDrive(nullptr);
}

} // namespace

// libcdio keeps the image name of a cue sheet it refuses (a few dozen bytes
// each time a user's command opens such a sheet): its leak, not ours, and
// only this target opens sheets that fail. The tests still see every leak.
extern "C" const char* __lsan_default_suppressions() { return "leak:libcdio.so\n"; }

void sv::fuzz::writeSeeds(const std::string& folder) {
    auto text = [&](const char* name, const std::string& sheet) {
        seedFile(folder, name, std::vector<uint8_t>(sheet.begin(), sheet.end()));
    };
    const test::CdImage disc = test::writeCdImage(scratch(), "disc", kTracks);
    seedFile(folder, "disc.cue", fileBytes(disc.cue));
    const test::CdImage one = test::writeCdImage(scratch(), "disc", {kTracks.front()});
    seedFile(folder, "one.cue", fileBytes(one.cue));
    text("disc.toc", tocSheet(kTracks, "disc.bin"));
    // A track number libcdio's cue reader does not expect made it write
    // in front of its track table.
    text("track99.cue", "TRACK 99 AUDIO\n");
    // Every word the sheets may hold, where they may hold it.
    text("words.cue",
         "REM GENRE Test\nCATALOG 0123456789012\nTITLE \"Disc\"\nPERFORMER \"Someone\"\n"
         "FILE \"disc.bin\" BINARY\n  TRACK 01 AUDIO\n    TITLE \"One\"\n    FLAGS DCP PRE\n"
         "    ISRC ABCDE1234567\n    INDEX 01 00:00:00\n  TRACK 02 AUDIO\n    PREGAP 00:00:10\n"
         "    INDEX 00 00:00:70\n    INDEX 01 00:01:15\n    INDEX 02 00:01:30\n  TRACK 03 MODE1/2352\n"
         "    INDEX 01 00:02:15\n");
    text("words.toc",
         "// a toc sheet\nCD_DA\nCATALOG \"0123456789012\"\nTRACK AUDIO\nNO COPY\nPRE_EMPHASIS\n"
         "ISRC \"ABCDE1234567\"\nFILE \"disc.bin\" 0 00:01:00\nTRACK AUDIO\nTWO_CHANNEL_AUDIO\n"
         "AUDIOFILE \"disc.bin\" 00:01:00 00:01:15\nSTART 00:00:10\nTRACK MODE1_RAW\nPREGAP 00:00:05\n"
         "FILE \"disc.bin\" 00:02:15\nINDEX 00:00:20\n");
    // Sheets as users keep them: FILE naming a file that is not there (the
    // image renamed, a path of another system, another letter case), CRLF
    // and tabs, Latin-1 and empty titles, a byte-order mark.
    const std::string tracks = "  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n  TRACK 02 AUDIO\n    INDEX 00 00:00:65\n"
                               "    INDEX 01 00:01:00\n  TRACK 03 AUDIO\n    INDEX 01 00:02:15\n";
    text("renamed.cue", "FILE \"Original Name.bin\" BINARY\n" + tracks);
    text("windows.cue", "REM COMMENT \"ripper\"\r\nFILE \"C:\\Users\\me\\Music\\disc.bin\" BINARY\r\n"
                        "\tTRACK 01 AUDIO\r\n\t\tINDEX 01 00:00:00\r\n\tTRACK 02 AUDIO\r\n\t\tINDEX 01 00:01:00\r\n");
    text("case.cue", "FILE \"DISC.BIN\" BINARY\n" + tracks);
    text("texts.cue", "PERFORMER \"\"\nTITLE \"Caf\xE9\"\nFILE \"disc.bin\" BINARY\n  TRACK 01 AUDIO\n    TITLE \"\"\n"
                      "    SONGWRITER \"\"\n    PERFORMER\n    INDEX 01 00:00:00\n");
    text("mark.cue", "\xEF\xBB\xBFREM GENRE Pop\nFILE \"disc.bin\" BINARY\n" + tracks);
    text("mark.toc", "\xEF\xBB\xBF" + tocSheet(kTracks, "disc.bin"));
    text("cdtext.toc", "CD_DA\nCD_TEXT {\n  LANGUAGE_MAP {\n    0 : EN\n  }\n  LANGUAGE 0 {\n    TITLE \"Disc\"\n"
                       "  }\n}\n" + tocSheet(kTracks, "disc.bin").substr(6));
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The music every sheet names as "disc.bin", once; the sheets beside it.
    // A toc sheet's music file is looked for in the working folder.
    // The copies of sheets with a byte-order mark go there too.
    static const bool music = [] {
        test::writeCdImage(fuzz::scratch(), "disc", kTracks);
        ::setenv("TMPDIR", fuzz::scratch().c_str(), 1);
        return ::chdir(fuzz::scratch().c_str()) == 0;
    }();
    (void)music;
    // Each sheet is there before its drive is made: a drive on a file is an
    // image drive.
    const std::string cueSheet = fuzz::inputFile(data, size, "disc.cue");
    const std::string tocSheet = fuzz::inputFile(data, size, "disc.toc");
    static CdioDrive cue(cueSheet), toc(tocSheet);
    playAsDisc(cue);
    playAsDisc(toc);
    return 0;
}

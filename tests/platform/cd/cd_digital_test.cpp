#include "tests/platform/audio/audio_fixture.h"

#include <sys/stat.h>

#include <cstdlib>

#include "platform/cd/cd_commands.h"
#include "platform/cd/cdio_drive.h"
#include "platform/cd/simulated_drive.h"
#include "tests/support/cd_image.h"
#include "tests/support/scripted_prompts.h"
#include "tests/support/wave_fixtures.h"

namespace sv::test {
namespace {

constexpr int32_t F = kCdFramesPerSecond;

// A disc image in a drive of its own, played through the virtual sound
// device in manual mode into the capture file.
class CdImageTest : public VirtualAudioTest {
protected:
    TempExeDir dir;
    CdImage image;
    CdioDrive* drive = nullptr;
    std::string capture;

    void SetUp() override {
        VirtualAudioTest::SetUp();
        capture = dir.file("heard.wav");
        ::setenv("SONVELA_AUDIO_CAPTURE", capture.c_str(), 1);
        // 2 s, 3 s and 1.5 s of music.
        image = writeCdImage(dir.path(), "disc", {2 * F, 3 * F, F + F / 2});
        use(image.cue);
    }
    void use(const std::string& source) {
        auto d = std::make_unique<CdioDrive>(source);
        drive = d.get();
        setCdDrive(std::move(d));
    }
    // Writes `text` as the file `name` in the test's folder.
    std::string write(const std::string& name, const std::string& text) {
        writeBytes(dir.file(name), std::vector<uint8_t>(text.begin(), text.end()));
        return dir.file(name);
    }
    // The message of the first command on the drive, which must fail with
    // kCdBadSheet, as it fails every other.
    std::string refusal() {
        std::string answer;
        const int rc = mciSendString("status cdaudio media present", answer);
        EXPECT_EQ(rc, kCdBadSheet);
        EXPECT_EQ(mciSendString("play cdaudio", answer), kCdBadSheet);
        return mciGetErrorString(rc);
    }
    void TearDown() override {
        setCdDrive(nullptr);
        ::unsetenv("SONVELA_AUDIO_CAPTURE");
        VirtualAudioTest::TearDown();
    }
    std::string ask(const std::string& command) {
        std::string answer;
        const int rc = mciSendString(command, answer);
        EXPECT_EQ(rc, 0) << command << ": " << mciGetErrorString(rc);
        return answer;
    }
    // Lets the sound card play on for `ms`, in steps a UI thread would
    // see, with the reader always as far ahead as it goes.
    void listen(uint32_t ms) {
        for (uint32_t t = 0; t < ms; t += 50) {
            drive->waitForReadAhead();
            pumpVirtualAudio(50);
            deliverWaveNotices();
        }
        drive->waitForReadAhead();
    }
    std::vector<int16_t> heard() { return heardMusic(capture); }
    // The disc's samples of sectors [from, to).
    std::vector<int16_t> disc(int32_t from, int32_t to) {
        return std::vector<int16_t>(image.samples.begin() + from * 588 * 2, image.samples.begin() + to * 588 * 2);
    }
    // The disc's samples from sector `from` on, as many as `like` holds.
    std::vector<int16_t> discLike(int32_t from, const std::vector<int16_t>& like) {
        const size_t at = size_t(from) * 588 * 2;
        const size_t n = std::min(like.size(), image.samples.size() - at);
        return std::vector<int16_t>(image.samples.begin() + long(at), image.samples.begin() + long(at + n));
    }
    static std::vector<int16_t> head(const std::vector<int16_t>& v, size_t n) {
        return std::vector<int16_t>(v.begin(), v.begin() + long(std::min(n, v.size())));
    }
};

TEST_F(CdImageTest, TheImageIsADiscWithItsTracks) {
    EXPECT_EQ(ask("status cdaudio media present"), "true");
    EXPECT_EQ(ask("status cdaudio number of tracks"), "3");
    EXPECT_EQ(ask("status cdaudio type track 3"), "audio");
    EXPECT_EQ(ask("status cdaudio length"), "00:06:37");
    EXPECT_EQ(ask("status cdaudio length track 2"), "00:03:00");
    EXPECT_EQ(ask("status cdaudio position track 2"), "00:02:00");
    EXPECT_EQ(ask("status cdaudio mode"), "stopped");
}

// Sheets as burning and ripping programs write them, and as users keep
// them, all laying out the fixture's music: each plays its tracks.
TEST_F(CdImageTest, SheetsAsProgramsWriteThemPlayTheirTracks) {
    const std::string music = dir.file("disc.bin");
    for (const char* copy : {"DISC.BIN", "My Album.bin", "marked.bin"}) writeBytes(dir.file(copy), readBytes(music));
    const std::string bom = "\xEF\xBB\xBF";
    const std::string tracks = "  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n  TRACK 02 AUDIO\n    INDEX 01 00:02:00\n"
                               "  TRACK 03 AUDIO\n    INDEX 01 00:05:00\n";
    auto crlf = [](std::string s) {
        for (size_t at = 0; (at = s.find('\n', at)) != std::string::npos; at += 2) s.insert(at, 1, '\r');
        return s;
    };
    const std::pair<const char*, std::string> sheets[] = {
        // A ripper's: remarks, catalog, ISRC, flags, index 00 pregaps, CRLF.
        {"disc.cue", crlf("REM GENRE \"Pop\"\nREM DATE 1999\nREM DISCID 2A0B1C03\nREM COMMENT \"ripper 1.0\"\n"
                          "CATALOG 0123456789012\nPERFORMER \"Someone\"\nTITLE \"Album\"\nFILE \"disc.bin\" BINARY\n"
                          "  TRACK 01 AUDIO\n    TITLE \"One\"\n    PERFORMER \"Someone\"\n    ISRC ABCDE1234567\n"
                          "    INDEX 01 00:00:00\n  TRACK 02 AUDIO\n    TITLE \"Two\"\n    FLAGS DCP\n"
                          "    INDEX 00 00:01:50\n    INDEX 01 00:02:00\n  TRACK 03 AUDIO\n    FLAGS DCP PRE\n"
                          "    INDEX 00 00:04:60\n    INDEX 01 00:05:00\n    INDEX 02 00:06:00\n")},
        // A burner's: tabs, PREGAP, four-channel flag.
        {"disc.cue", "FILE \"disc.bin\" BINARY\n\tTRACK 01 AUDIO\n\t\tINDEX 01 00:00:00\n\tTRACK 02 AUDIO\n"
                     "\t\tPREGAP 00:02:00\n\t\tINDEX 01 00:02:00\n\tTRACK 03 AUDIO\n\t\tFLAGS 4CH\n"
                     "\t\tINDEX 01 00:05:00\n"},
        // Latin-1 titles and names.
        {"disc.cue", "TITLE \"Caf\xE9 de l'\xC9t\xE9\"\nPERFORMER \"Bj\xF6rn\"\nFILE \"disc.bin\" BINARY\n"
                     "  TRACK 01 AUDIO\n    SONGWRITER \"Fran\xE7ois\"\n    INDEX 01 00:00:00\n  TRACK 02 AUDIO\n"
                     "    TITLE \"\xC0 bient\xF4t\"\n    INDEX 01 00:02:00\n  TRACK 03 AUDIO\n    INDEX 01 00:05:00\n"},
        // An upper-case pair, from a system that writes names so.
        {"DISC.CUE", "FILE \"DISC.BIN\" BINARY\n" + tracks},
        // Renamed after burning, from another system, in another case.
        {"My Album.cue", "FILE \"Original Name.bin\" BINARY\n" + tracks},
        {"My Album.cue", "FILE \"C:\\Users\\me\\Music\\My Album.bin\" BINARY\n" + tracks},
        {"My Album.cue", "FILE \"my album.BIN\" BINARY\n" + tracks},
        // Empty titles and names, for the disc and a track.
        {"disc.cue", "PERFORMER \"\"\nTITLE \"\"\nFILE \"disc.bin\" BINARY\n  TRACK 01 AUDIO\n    TITLE \"\"\n"
                     "    PERFORMER \"\"\n    SONGWRITER \"\"\n    INDEX 01 00:00:00\n  TRACK 02 AUDIO\n"
                     "    INDEX 01 00:02:00\n  TRACK 03 AUDIO\n    INDEX 01 00:05:00\n"},
        // Saved with a byte-order mark, a cue sheet and a toc sheet.
        {"marked.cue", bom + "REM COMMENT \"saved by an editor\"\nFILE \"marked.bin\" BINARY\n" + tracks},
        {"marked.toc", bom + "CD_DA\n\n// Track 1\nTRACK AUDIO\nNO COPY\nNO PRE_EMPHASIS\nTWO_CHANNEL_AUDIO\n"
                             "FILE \"" + music + "\" 0 00:02:00\n\n// Track 2\nTRACK AUDIO\nFILE \"" + music +
                             "\" 00:02:00 00:03:00\n\n// Track 3\nTRACK AUDIO\nFILE \"" + music +
                             "\" 00:05:00 00:01:37\n"},
    };
    // The copy libcdio reads of a sheet with a mark goes with the drive.
    const std::string tmp = dir.file("tmp");
    ::mkdir(tmp.c_str(), 0700);
    ::setenv("TMPDIR", tmp.c_str(), 1);
    int n = 0;
    for (const auto& [name, sheet] : sheets) {
        SCOPED_TRACE(sheet);
        // Each sheet heard on its own.
        capture = dir.file("heard" + std::to_string(++n) + ".wav");
        ::setenv("SONVELA_AUDIO_CAPTURE", capture.c_str(), 1);
        use(write(name, sheet));
        EXPECT_EQ(ask("status cdaudio number of tracks"), "3");
        EXPECT_EQ(ask("status cdaudio position track 2"), "00:02:00");
        EXPECT_EQ(ask("status cdaudio position track 3"), "00:05:00");
        EXPECT_EQ(ask("status cdaudio length"), "00:06:37");
        ask("play cdaudio");
        listen(7000);
        EXPECT_EQ(ask("status cdaudio mode"), "stopped");
        EXPECT_TRUE(heard() == image.samples);
        setCdDrive(nullptr);
        EXPECT_EQ(::rmdir(tmp.c_str()), 0) << "the copy of the sheet is left behind";
        ::mkdir(tmp.c_str(), 0700);
    }
    // Where no copy can be made, the message says why one was needed.
    ::rmdir(tmp.c_str());
    write("tmp", "a file, not a folder");
    use(dir.file("marked.cue"));
    EXPECT_EQ(refusal(), "The CD image sheet \"" + dir.file("marked.cue") +
                             "\" cannot be played: it begins with a UTF-8 byte-order mark, and no copy without it "
                             "could be made in \"" + tmp + "\": Not a directory.");
    ::unsetenv("TMPDIR");
}

TEST_F(CdImageTest, PlayingTrackTwoSoundsExactlyItsSamples) {
    ask("play cdaudio from " + ask("status cdaudio position track 2"));
    EXPECT_EQ(ask("status cdaudio mode"), "playing");
    EXPECT_EQ(ask("status cdaudio current track"), "2");
    listen(3100);
    EXPECT_EQ(ask("status cdaudio current track"), "3");
    ask("stop cdaudio");
    EXPECT_EQ(ask("status cdaudio mode"), "stopped");
    EXPECT_EQ(ask("status cdaudio position"), "00:00:00");

    const std::vector<int16_t> track2 = disc(2 * F, 5 * F);
    const std::vector<int16_t> got = heard();
    ASSERT_GE(got.size(), track2.size());
    EXPECT_TRUE(head(got, track2.size()) == track2);
    // What followed before the stop is the start of track 3.
    EXPECT_TRUE(got == discLike(2 * F, got));
}

TEST_F(CdImageTest, PauseAndResumeLoseAndRepeatNothing) {
    ask("play cdaudio from 00:01:00");
    listen(1000);
    ask("pause cdaudio");
    EXPECT_EQ(ask("status cdaudio mode"), "paused");
    const std::string at = ask("status cdaudio position");
    listen(700);
    EXPECT_EQ(ask("status cdaudio position"), at);
    ask("play cdaudio");   // resumes
    EXPECT_EQ(ask("status cdaudio mode"), "playing");
    listen(6000);
    // The play ends with the music and rests there.
    EXPECT_EQ(ask("status cdaudio mode"), "stopped");
    EXPECT_EQ(ask("status cdaudio position"), ask("status cdaudio length"));
    EXPECT_TRUE(heard() == disc(F, image.sectors));
}

TEST_F(CdImageTest, SeekingPlaysFromTheNewPlaceAtOnce) {
    ask("play cdaudio");
    listen(500);
    ask("play cdaudio from 00:04:00");
    EXPECT_EQ(ask("status cdaudio position"), "00:04:00");
    EXPECT_EQ(ask("status cdaudio current track"), "2");
    listen(400);
    ask("stop cdaudio");
    const std::vector<int16_t> got = heard();
    // Half a second or so of the start, then the music from 4 s on.
    size_t firstPart = 0;
    while (firstPart < got.size() && got[firstPart] == image.samples[firstPart]) ++firstPart;
    ASSERT_GT(firstPart, 0u);
    EXPECT_EQ(firstPart % 2, 0u);
    const std::vector<int16_t> rest(got.begin() + long(firstPart), got.end());
    ASSERT_FALSE(rest.empty());
    EXPECT_TRUE(rest == discLike(4 * F, rest));
}

TEST_F(CdImageTest, TheImageTrayOpensAndClosesLikeADrive) {
    ask("play cdaudio");
    ask("set cdaudio door open");
    EXPECT_EQ(ask("status cdaudio media present"), "false");
    EXPECT_EQ(ask("status cdaudio mode"), "open");
    std::string answer;
    EXPECT_EQ(mciSendString("play cdaudio", answer), kCdNoDisc);
    ask("set cdaudio door closed");
    EXPECT_EQ(ask("status cdaudio media present"), "true");
    EXPECT_EQ(ask("status cdaudio mode"), "stopped");
}

TEST_F(CdImageTest, AnImageWithoutItsMusicOrADriveGoneWhilePlayingIsNoHarm) {
    ask("play cdaudio from 00:03:00");
    listen(300);
    // The drive goes away in the middle of the music (the program ends).
    setCdDrive(nullptr);
    deliverWaveNotices();
    EXPECT_TRUE(heard() == discLike(3 * F, heard()));

    // The sheet is there, its music is not: the message names the files
    // looked for, the one FILE names and the one named like the sheet.
    ::remove((dir.path() + "disc.bin").c_str());
    use(image.cue);
    EXPECT_EQ(refusal(), "The CD image sheet \"" + image.cue + "\" cannot be played: its music file is not there "
                         "(looked for \"" + dir.file("disc.bin") + "\").");
    use(write("My Album.cue", "FILE \"C:\\Music\\Old Name.bin\" BINARY\nTRACK 01 AUDIO\nINDEX 01 00:00:00\n"));
    EXPECT_EQ(refusal(), "The CD image sheet \"" + dir.file("My Album.cue") +
                             "\" cannot be played: its music file is not there (looked for \"" +
                             dir.file("C:\\Music\\Old Name.bin") + "\" and \"" + dir.file("My Album.bin") + "\").");
    use(write("disc.toc", "CD_DA\nTRACK AUDIO\nFILE \"" + dir.file("gone.bin") + "\" 0\n"));
    EXPECT_EQ(refusal(), "The CD image sheet \"" + dir.file("disc.toc") +
                             "\" cannot be played: its music file is not there (looked for \"" + dir.file("gone.bin") +
                             "\").");
}

// libcdio's sheet readers write outside their track table for a track
// number they do not expect; such a sheet never reaches them, and the
// player's message names the sheet and its fault.
TEST_F(CdImageTest, ASheetOutOfOrderIsRefusedWithItsFault) {
    struct Case {
        const char* name;
        std::string sheet;
        const char* fault;
        const char* verdict = "is not valid";
    };
    const std::string file = "FILE \"disc.bin\" BINARY\n";
    write("other.bin", std::string(2352 * 10, '\1'));
    std::string hundred = file;
    for (int t = 1; t <= 100; ++t)
        hundred += "TRACK " + std::to_string(t) + " AUDIO\nINDEX 01 " + cdTimeText(t) + "\n";
    const Case cases[] = {
        {"disc.cue", "TRACK 99 AUDIO\n", "line 1: TRACK comes before any FILE line"},
        {"disc.cue", file + "TRACK 99 AUDIO\n", "line 2: track 99 comes where track 01 should"},
        {"disc.cue", file + "TRACK 90 AUDIO\nINDEX 01 00:00:00\n", "line 2: track 90 comes where track 01 should"},
        {"disc.cue", file + "TRACK 01 AUDIO\nINDEX 01 00:00:00\nTRACK 01 AUDIO\nINDEX 01 00:01:00\n",
         "line 4: track 01 comes where track 02 should"},
        {"disc.cue", file + "TRACK 01 AUDIO\nINDEX 01 00:00:00\nTRACK 02 AUDIO\nINDEX 01 00:09:00\n",
         "line 5: INDEX 01 of track 02 (00:09:00) lies beyond the end of \"disc.bin\" (00:06:37)"},
        {"disc.cue", hundred, "line 200: a disc holds at most 99 tracks"},
        {"disc.toc", "CD_DA\nISRC \"ABCDE1234567\"\nTRACK AUDIO\nFILE \"disc.bin\" 0\n",
         "line 2: \"ISRC\" comes before the first TRACK"},
        // The music is read from the file named like the sheet, not from
        // another one that is there.
        {"disc.cue", "FILE \"other.bin\" BINARY\nTRACK 01 AUDIO\nINDEX 01 00:00:00\n",
         "line 1: FILE names \"other.bin\", but the music is read from the file named like the sheet, \"disc.bin\""},
        // Titles in a toc sheet, where it keeps them for the disc.
        {"disc.toc",
         "CD_DA\nCD_TEXT {\n  LANGUAGE_MAP {\n    0 : EN\n  }\n  LANGUAGE 0 {\n    TITLE \"Album\"\n  }\n}\n"
         "TRACK AUDIO\nFILE \"disc.bin\" 0\n",
         "line 2: CD_TEXT blocks are not read: the sheet plays once they are taken out", "cannot be played"},
    };
    for (const Case& c : cases) {
        const std::string sheet = write(c.name, c.sheet);
        use(sheet);
        EXPECT_EQ(refusal(), "The CD image sheet \"" + sheet + "\" " + c.verdict + ": " + c.fault + ".") << c.sheet;
    }
}

TEST(CdNoDrive, EveryCommandSaysThereIsNoDrive) {
    TempExeDir dir;
    setCdDrive(std::make_unique<CdioDrive>(dir.file("no/such/drive")));
    std::string answer;
    for (const char* c : {"status cdaudio media present", "status cdaudio mode", "play cdaudio",
                          "status cdaudio position", "stop cdaudio", "set cdaudio door open"}) {
        EXPECT_EQ(mciSendString(c, answer), kCdNoDrive) << c;
        EXPECT_EQ(answer, "") << c;
    }
    // A file that is no disc image is a drive without a readable disc.
    writeBytes(dir.file("notes.txt"), {'h', 'i', '\n'});
    setCdDrive(std::make_unique<CdioDrive>(dir.file("notes.txt")));
    EXPECT_EQ(mciSendString("status cdaudio media present", answer), 0);
    EXPECT_EQ(answer, "false");
    EXPECT_EQ(mciSendString("play cdaudio", answer), kCdNoDisc);

    // The variable names an image; unset it is the system's drive, never
    // the simulated one.
    setCdDrive(nullptr);
    ::setenv("SONVELA_CD", dir.file("notes.txt").c_str(), 1);
    EXPECT_NE(dynamic_cast<CdioDrive*>(&cdDrive()), nullptr);
    setCdDrive(nullptr);
    ::unsetenv("SONVELA_CD");
    EXPECT_EQ(dynamic_cast<SimulatedCdDrive*>(&cdDrive()), nullptr);
    setCdDrive(nullptr);
}

} // namespace
} // namespace sv::test

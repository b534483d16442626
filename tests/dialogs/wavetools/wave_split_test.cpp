#include <gtest/gtest.h>

#include <filesystem>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include "dialogs/wave_concat.h"
#include "dialogs/wave_split.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "tests/dialogs/wavetools/wave_fixture.h"
#include "tests/support/scripted_prompts.h"

namespace sv::test {
namespace {

struct Layout {
    int bits;
    int channels;
};
const Layout kLayouts[] = {{8, 1}, {8, 2}, {16, 1}, {16, 2}};

std::string layoutName(const Layout& l) {
    return std::to_string(l.bits) + "-bit " + (l.channels == 2 ? "stereo" : "mono");
}

class WaveSplit : public ::testing::Test {
protected:
    TempExeDir dir;
    std::string src() const { return dir.file("song.wav"); }

    // Joins pieces back and checks that the result is the original file.
    void expectJoinsBack(const std::vector<std::string>& pieces, const Bytes& original) {
        const std::string target = dir.file("joined.out");
        ConcatPlan plan = planConcatenation(pieces, target);
        writeConcatenation(plan, target);
        EXPECT_EQ(readAll(target), original);
        std::filesystem::remove(target);
    }

    void expectRefused(const std::function<void()>& job, const std::string& text) {
        const auto before = snapshot(dir.path());
        try {
            job();
            ADD_FAILURE() << "not refused: " << text;
        } catch (const WaveToolError& e) {
            EXPECT_EQ(std::string(e.what()), text);
        }
        EXPECT_EQ(snapshot(dir.path()), before);
    }
};

// --- pieces of one size ---------------------------------------------------

TEST_F(WaveSplit, TenThousandBytesInThousandsMakeElevenPiecesTheLastEmpty) {
    const SampleFormat f = SampleFormat::pcm(8000, 16, 2);
    const Bytes data = loudData(f, 2500);
    writeWave(src(), f, data);
    std::vector<std::pair<int64_t, int64_t>> seen;
    auto pieces = splitBySize(src(), PieceUnit::KBytes, 1, [&](int64_t d, int64_t t) { seen.push_back({d, t}); });
    ASSERT_EQ(pieces.size(), 11u);
    EXPECT_EQ(pieces[0], dir.file("song~1.wav"));
    EXPECT_EQ(pieces[10], dir.file("song~11.wav"));
    const Bytes last = readAll(pieces[10]);
    EXPECT_EQ(last.size(), 44u);
    EXPECT_EQ(u32At(last, 40), 0u);
    EXPECT_EQ(u32At(last, 4), 36u);
    const Bytes first = readAll(pieces[0]);
    EXPECT_EQ(u32At(first, 40), 1000u);
    const Bytes whole = readAll(src());
    EXPECT_EQ(Bytes(first.begin() + 20, first.begin() + 36), Bytes(whole.begin() + 20, whole.begin() + 36));
    ASSERT_EQ(seen.size(), 12u);
    EXPECT_EQ(seen.front(), std::make_pair(int64_t(0), int64_t(11)));
    EXPECT_EQ(seen.back(), std::make_pair(int64_t(11), int64_t(11)));
    expectJoinsBack(pieces, readAll(src()));
}

TEST_F(WaveSplit, RemainderPieceHoldsTheRest) {
    const SampleFormat f = SampleFormat::pcm(8000, 8, 1);
    writeWave(src(), f, loudData(f, 10500));
    auto pieces = splitBySize(src(), PieceUnit::KBytes, 1);
    ASSERT_EQ(pieces.size(), 11u);
    EXPECT_EQ(u32At(readAll(pieces[10]), 40), 500u);
}

TEST_F(WaveSplit, EveryLayoutAndUnitJoinsBackToTheOriginal) {
    for (const Layout& l : kLayouts) {
        SCOPED_TRACE(layoutName(l));
        const SampleFormat f = SampleFormat::pcm(1000, l.bits, l.channels);
        writeWave(src(), f, loudData(f, 3700));
        const Bytes original = readAll(src());
        expectJoinsBack(splitBySize(src(), PieceUnit::Seconds, 1), original);
        expectJoinsBack(splitBySize(src(), PieceUnit::Milliseconds, 1300), original);
        expectJoinsBack(splitBySize(src(), PieceUnit::KBytes, 2), original);
    }
}

TEST_F(WaveSplit, DurationUnitsAgreeOnTheirDefaults) {
    const SampleFormat f = SampleFormat::pcm(44100, 16, 2);
    EXPECT_EQ(pieceBytes(PieceUnit::Minutes, 2, f), 120 * 176400);
    EXPECT_EQ(pieceBytes(PieceUnit::Seconds, 120, f), 120 * 176400);
    EXPECT_EQ(pieceBytes(PieceUnit::Milliseconds, 120000, f), 120 * 176400);
    EXPECT_EQ(pieceBytes(PieceUnit::KBytes, 500, f), 500000);
}

TEST_F(WaveSplit, PieceSizesAreWholeFramesOfAtLeastOneFrame) {
    const SampleFormat mono16 = SampleFormat::pcm(44100, 16, 1);  // 88200 bytes a second
    EXPECT_EQ(pieceBytes(PieceUnit::Milliseconds, 7, mono16), 616);  // 617.4 rounded down to frames
    const SampleFormat stereo16 = SampleFormat::pcm(100, 16, 2);
    EXPECT_EQ(pieceBytes(PieceUnit::Milliseconds, 1, stereo16), 4);
    EXPECT_EQ(pieceBytes(PieceUnit::KBytes, 0, stereo16), 0);
    EXPECT_EQ(pieceBytes(PieceUnit::Minutes, -3, stereo16), 0);
    // A huge value saturates instead of overflowing.
    SampleFormat fast = stereo16;
    fast.nAvgBytesPerSec = 0xFFFFFFFFu;
    EXPECT_GT(pieceBytes(PieceUnit::Minutes, INT32_MAX, fast), 0);

    // Each piece then starts on a frame.
    writeWave(src(), mono16, loudData(mono16, 3000));
    for (const auto& p : splitBySize(src(), PieceUnit::Milliseconds, 7))
        EXPECT_EQ(u32At(readAll(p), 40) % 2, 0u) << p;
}

TEST_F(WaveSplit, ADotInAFolderNameDoesNotCutThePieceNames) {
    std::filesystem::create_directory(dir.file("take.2"));
    const std::string path = dir.file("take.2/my song.final.wav");
    const SampleFormat f = SampleFormat::pcm(8000, 8, 1);
    writeWave(path, f, loudData(f, 1500));
    auto pieces = splitBySize(path, PieceUnit::KBytes, 1);
    ASSERT_EQ(pieces.size(), 2u);
    EXPECT_EQ(pieces[0], dir.file("take.2/my song~1.wav"));
    EXPECT_TRUE(fileExists(pieces[1]));
    EXPECT_EQ(splitBase("/a.b/c"), "/a.b/c");
}

TEST_F(WaveSplit, ChunksAfterTheSamplesAreNotAudio) {
    const SampleFormat f = SampleFormat::pcm(8000, 8, 2);
    const Bytes data = loudData(f, 1000);
    const Bytes list = {'L', 'I', 'S', 'T', 4, 0, 0, 0, 'I', 'N', 'F', 'O'};
    writeWave(src(), f, data, list);
    auto pieces = splitBySize(src(), PieceUnit::KBytes, 1);
    ASSERT_EQ(pieces.size(), 3u);  // 2000 bytes: two full pieces and an empty one
    EXPECT_EQ(readAll(pieces[0]).size() + readAll(pieces[1]).size() + readAll(pieces[2]).size(), 3 * 44 + 2000u);
    expectJoinsBack(pieces, waveBytes(f, data));
}

TEST_F(WaveSplit, RefusalsBySizeLeaveTheFolderUnchanged) {
    const SampleFormat f = SampleFormat::pcm(8000, 16, 1);
    writeWave(src(), f, loudData(f, 400));
    expectRefused([&] { splitBySize(dir.file("none.wav"), PieceUnit::KBytes, 1); }, wavetext::kFileMissing);
    expectRefused([&] { splitBySize(src(), PieceUnit::KBytes, 0); }, wavetext::kBadPieceSize);
    expectRefused([&] { splitBySize(src(), PieceUnit::Seconds, -1); }, wavetext::kBadPieceSize);
    expectRefused([&] { splitBySize(src(), PieceUnit::KBytes, 1); }, wavetext::kShorterThanPiece);

    SampleFormat adpcm = f;
    adpcm.wFormatTag = kFormatAdpcm;
    writeWave(src(), adpcm, Bytes(3000, 1));
    expectRefused([&] { splitBySize(src(), PieceUnit::KBytes, 1); }, wavetext::kNotPcm);

    SampleFormat dead = f;
    dead.nAvgBytesPerSec = 0;
    writeWave(src(), dead, Bytes(3000, 1));
    expectRefused([&] { splitBySize(src(), PieceUnit::Seconds, 1); }, wavetext::kDamagedFormat);
    dead = f;
    dead.nBlockAlign = 0;
    writeWave(src(), dead, Bytes(3000, 1));
    expectRefused([&] { splitBySize(src(), PieceUnit::KBytes, 1); }, wavetext::kDamagedFormat);

    writeAll(src(), Bytes(30, 0));
    expectRefused([&] { splitBySize(src(), PieceUnit::KBytes, 1); }, wavetext::kNotPcm);
}

// Sources are only read, so a read-only file (or one on read-only media,
// which refuses write access to root as well) splits and joins. The kernel
// tells each close of the file and whether it had been open for writing.
TEST_F(WaveSplit, AReadOnlySourceSplitsAndJoins) {
    const SampleFormat f = SampleFormat::pcm(8000, 8, 1);
    writeWave(src(), f, loudData(f, 3000));
    const Bytes original = readAll(src());
    ::chmod(src().c_str(), 0444);
    const int watch = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    ASSERT_GE(watch, 0);
    ASSERT_GE(::inotify_add_watch(watch, src().c_str(), IN_CLOSE_WRITE | IN_CLOSE_NOWRITE), 0);

    const auto pieces = splitBySize(src(), PieceUnit::KBytes, 1);
    EXPECT_EQ(pieces.size(), 4u);
    expectJoinsBack(pieces, original);
    expectJoinsBack({src()}, original);

    uint32_t seen = 0;
    alignas(inotify_event) char events[4096];
    for (ssize_t n; (n = ::read(watch, events, sizeof events)) > 0;)
        for (char* p = events; p < events + n; p += sizeof(inotify_event) + reinterpret_cast<inotify_event*>(p)->len)
            seen |= reinterpret_cast<inotify_event*>(p)->mask;
    ::close(watch);
    EXPECT_TRUE(seen & IN_CLOSE_NOWRITE);
    EXPECT_FALSE(seen & IN_CLOSE_WRITE) << "a source was opened for writing";
}

TEST_F(WaveSplit, AFailedCreateIsAnIoErrorAndKeepsEarlierPieces) {
    const SampleFormat f = SampleFormat::pcm(8000, 8, 1);
    writeWave(src(), f, loudData(f, 3500));
    setCreateFaultHook([](const std::string& p) { return p.find("~3.wav") != std::string::npos ? EACCES : 0; });
    EXPECT_THROW(splitBySize(src(), PieceUnit::KBytes, 1), FileIOError);
    setCreateFaultHook({});
    EXPECT_TRUE(fileExists(dir.file("song~2.wav")));
    EXPECT_FALSE(fileExists(dir.file("song~3.wav")));
    for (const auto& e : std::filesystem::directory_iterator(dir.path()))
        EXPECT_EQ(e.path().string().find(".part"), std::string::npos) << e.path();
}

// --- tracks at silences ---------------------------------------------------

TEST_F(WaveSplit, SilenceThresholdsRoundHalfToEven) {
    EXPECT_EQ(silenceThreshold(10, 8), 13);
    EXPECT_EQ(silenceThreshold(10, 16), 3277);
    EXPECT_EQ(silenceThreshold(50, 8), 64);  // 63.5
    EXPECT_EQ(silenceThreshold(50, 16), 16384);  // 16383.5
    EXPECT_EQ(silenceThreshold(0, 16), 0);
}

TEST_F(WaveSplit, EachTrackEndsWithTheSilenceThatClosedIt) {
    for (const Layout& l : kLayouts) {
        SCOPED_TRACE(layoutName(l));
        const SampleFormat f = SampleFormat::pcm(50, l.bits, l.channels);
        // 1 s limit = 50 frames. Sound, 1.5 s quiet, sound, 0.5 s quiet, sound.
        const Bytes data = loudData(f, 80) + quietData(f, 75) + loudData(f, 40, 2) + quietData(f, 25) + loudData(f, 30);
        writeWave(src(), f, data);
        auto tracks = splitAtSilences(src(), 10, 1);
        ASSERT_EQ(tracks.size(), 2u);
        EXPECT_EQ(tracks[0], dir.file("song~Track1.wav"));
        EXPECT_EQ(u32At(readAll(tracks[0]), 40), uint32_t(130 * f.nBlockAlign));
        EXPECT_EQ(u32At(readAll(tracks[1]), 40), uint32_t(120 * f.nBlockAlign));
        expectJoinsBack(tracks, readAll(src()));
    }
}

TEST_F(WaveSplit, NoSilenceGivesOneTrackWithEverything) {
    const SampleFormat f = SampleFormat::pcm(100, 16, 2);
    writeWave(src(), f, loudData(f, 1000));
    std::vector<int64_t> shown;
    auto tracks = splitAtSilences(src(), 10, 2, [&](int64_t d, int64_t) { shown.push_back(d); });
    ASSERT_EQ(tracks.size(), 1u);
    EXPECT_EQ(readAll(tracks[0]), readAll(src()));
    EXPECT_EQ(shown, std::vector<int64_t>{1});
}

TEST_F(WaveSplit, ALongSilenceMakesTracksOfSilenceAndAnEndingOneLeavesAnEmptyTrack) {
    const SampleFormat f = SampleFormat::pcm(20, 8, 1);  // 1 s = 20 values
    writeWave(src(), f, loudData(f, 30) + quietData(f, 60) + loudData(f, 10) + quietData(f, 20));
    auto tracks = splitAtSilences(src(), 10, 1);
    ASSERT_EQ(tracks.size(), 5u);
    const uint32_t sizes[] = {50, 20, 20, 30, 0};
    for (size_t i = 0; i < 5; ++i) EXPECT_EQ(u32At(readAll(tracks[i]), 40), sizes[i]) << i;
    expectJoinsBack(tracks, readAll(src()));
}

TEST_F(WaveSplit, AStereoTrackEndsAtTheEndOfItsFrame) {
    // The quiet run starts on the right channel of frame 29 and completes on
    // the left channel of frame 49: the track must take that frame's right
    // value too, or every later track would start on the right channel.
    const SampleFormat f = SampleFormat::pcm(10, 16, 2);  // limit 2 s = 40 values
    Bytes data = loudData(f, 30) + quietData(f, 19) + loudData(f, 1) + loudData(f, 25, 3);
    data[29 * 4 + 2] = data[29 * 4 + 3] = 0;  // frame 29, right
    data[49 * 4] = data[49 * 4 + 1] = 0;      // frame 49, left
    writeWave(src(), f, data);
    auto tracks = splitAtSilences(src(), 10, 2);
    ASSERT_EQ(tracks.size(), 2u);
    EXPECT_EQ(u32At(readAll(tracks[0]), 40), uint32_t(50 * 4));
    EXPECT_EQ(u32At(readAll(tracks[1]), 40) % 4, 0u);
    expectJoinsBack(tracks, readAll(src()));
}

TEST_F(WaveSplit, RefusalsAtSilencesLeaveTheFolderUnchanged) {
    const SampleFormat f = SampleFormat::pcm(100, 8, 1);
    expectRefused([&] { splitAtSilences(src(), 10, 2); }, wavetext::kFileMissing);
    SampleFormat alaw = f;
    alaw.wFormatTag = kFormatALaw;
    writeWave(src(), alaw, Bytes(300, 127));
    expectRefused([&] { splitAtSilences(src(), 10, 2); }, wavetext::kNotPcm);
    writeWave(src(), f, quietData(f, 300));
    expectRefused([&] { splitAtSilences(src(), 10, 0); }, wavetext::kSilenceLength);
    SampleFormat dead = f;
    dead.nSamplesPerSec = 0;
    dead.nAvgBytesPerSec = 0;
    writeWave(src(), dead, quietData(f, 300));
    expectRefused([&] { splitAtSilences(src(), 10, 2); }, wavetext::kDamagedFormat);
}

// --- tracks by a list of lengths -----------------------------------------

TEST_F(WaveSplit, ListedLengthsThenTheRemainder) {
    for (const Layout& l : kLayouts) {
        SCOPED_TRACE(layoutName(l));
        const SampleFormat f = SampleFormat::pcm(100, l.bits, l.channels);
        writeWave(src(), f, loudData(f, 730));
        std::vector<int64_t> shown;
        auto tracks = splitByLengths(src(), {{"Intro", 2}, {"Song", 4}},
                                     [&](int64_t d, int64_t t) { shown.push_back(d * 10 + t); });
        ASSERT_EQ(tracks.size(), 3u);
        EXPECT_EQ(tracks[0], dir.file("song - Track 1 - Intro.wav"));
        EXPECT_EQ(tracks[1], dir.file("song - Track 2 - Song.wav"));
        EXPECT_EQ(tracks[2], dir.file("song - Track 3 - .wav"));
        EXPECT_EQ(u32At(readAll(tracks[1]), 40), 400u * f.nBlockAlign);
        EXPECT_EQ(u32At(readAll(tracks[2]), 40), 130u * f.nBlockAlign);
        EXPECT_EQ(shown, (std::vector<int64_t>{3, 13, 23, 33}));
        expectJoinsBack(tracks, readAll(src()));
    }
}

TEST_F(WaveSplit, LengthsThatFillTheFileLeaveNoRemainder) {
    const SampleFormat f = SampleFormat::pcm(100, 16, 2);
    writeWave(src(), f, loudData(f, 500));
    auto tracks = splitByLengths(src(), {{"a", 3}, {"b", 2}});
    ASSERT_EQ(tracks.size(), 2u);
    EXPECT_FALSE(fileExists(dir.file("song - Track 3 - .wav")));
    expectJoinsBack(tracks, readAll(src()));
}

TEST_F(WaveSplit, ListsThatDoNotFitAreRefusedWhole) {
    const SampleFormat f = SampleFormat::pcm(100, 8, 2);
    expectRefused([&] { splitByLengths(src(), {}); }, wavetext::kEmptyTrackList);
    expectRefused([&] { splitByLengths(src(), {{"a", 1}}); }, wavetext::kFileMissing);
    writeWave(src(), f, loudData(f, 500));
    expectRefused([&] { splitByLengths(src(), {{"a", 3}, {"b", 3}}); }, wavetext::kTracksTooLong);
    expectRefused([&] { splitByLengths(src(), {{"a", 3}, {"b", 0}}); }, wavetext::kTrackLength);
    expectRefused([&] { splitByLengths(src(), {{"a", -2}}); }, wavetext::kTrackLength);
    expectRefused([&] { splitByLengths(src(), {{"../escape", 1}}); }, wavetext::kTitleSlash);
    expectRefused([&] { splitByLengths(src(), {{"a", INT32_MAX}, {"b", INT32_MAX}}); }, wavetext::kTracksTooLong);
}

// A stated data size of 0 (a recorder that never finished its header) or
// one past the end is read as the sound window reads it: to the end. Each
// tool then takes every sample.
TEST_F(WaveSplit, DataSizesOfZeroOrPastTheEndRunToTheEnd) {
    const SampleFormat f = SampleFormat::pcm(100, 16, 1);   // 200 bytes a second
    const Bytes data = loudData(f, 300);
    for (uint32_t size : {0u, 100000u}) {
        SCOPED_TRACE(size);
        Bytes file = waveBytes(f, data);
        putU32(file.data() + 40, size);
        writeAll(src(), file);
        EXPECT_EQ(waveLength(src()).dataBytes, 600);

        auto pieces = splitBySize(src(), PieceUnit::Seconds, 1);
        ASSERT_EQ(pieces.size(), 4u);
        expectJoinsBack(pieces, waveBytes(f, data));

        auto tracks = splitAtSilences(src(), 10, 1);
        ASSERT_EQ(tracks.size(), 1u);
        EXPECT_EQ(readAll(tracks[0]), waveBytes(f, data));

        const std::string target = dir.file("joined.out");
        writeConcatenation(planConcatenation({src(), src()}, target), target);
        EXPECT_EQ(readAll(target), waveBytes(f, data + data));
    }
}

TEST_F(WaveSplit, LengthOfASourceInWholeSeconds) {
    const SampleFormat f = SampleFormat::pcm(100, 16, 1);
    writeWave(src(), f, loudData(f, 350));
    const WaveLength l = waveLength(src());
    EXPECT_EQ(l.dataBytes, 700);
    EXPECT_EQ(l.seconds, 3);
}

} // namespace
} // namespace sv::test

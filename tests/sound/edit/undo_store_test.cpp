#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/exedir.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "platform/settings.h"
#include "sound/engine/undo_store.h"
#include "tests/sound/edit/edit_test_util.h"
#include "tests/support/scripted_prompts.h"

using namespace sv;
using sv::test::bytesOf;
using sv::test::makeSound;
using sv::test::slurpFile;
using sv::test::spitFile;

namespace {

struct FaultReset {
    ~FaultReset() { setCreateFaultHook(nullptr); }
};

int32_t i32At(const std::vector<uint8_t>& v, size_t off) { return int32_t(getU32(v.data() + off)); }

} // namespace

TEST(UndoFile, LayoutIsByteExact) {
    test::TempExeDir dir;
    UndoStore store(dir.path(), "a");
    SoundBuffer s = makeSound(16, 2, 50);
    s.setSelection(3, 2);
    ASSERT_TRUE(store.guardar_deshacer("Cut", 2, false, s));
    ASSERT_TRUE(store.guardar_deshacer("Paste", 2, false, s));
    store.completar_guardar_deshacer(7);

    const std::vector<uint8_t> f = slurpFile(store.newestPath());
    ASSERT_EQ(f.size(), 91u + 2 * 4);
    EXPECT_EQ(i32At(f, 0), 3);
    EXPECT_EQ(i32At(f, 4), 2);
    EXPECT_EQ(i32At(f, 8), 7);
    // The previous step's words, NUL-terminated in 60 bytes.
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(f.data() + 12)), "Cut");
    for (int i = 15; i < 72; ++i) EXPECT_EQ(f[i], 0) << i;
    uint8_t fmt[18];
    s.format.toBytes(fmt);
    EXPECT_TRUE(std::equal(fmt, fmt + 18, f.begin() + 72));
    EXPECT_EQ(f[90], 0);
    EXPECT_TRUE(std::equal(f.begin() + 91, f.end(), s.frame(3)));
}

TEST(UndoFile, WholeStepStartsAtZeroWithEveryFrame) {
    test::TempExeDir dir;
    UndoStore store(dir.path());
    SoundBuffer s = makeSound(8, 1, 20);
    s.setSelection(5, 3);
    store.guardar_deshacer("Trim", 3, true, s);
    const std::vector<uint8_t> f = slurpFile(store.newestPath());
    EXPECT_EQ(i32At(f, 0), 0);
    EXPECT_EQ(i32At(f, 4), 20);
    EXPECT_EQ(f[90], 1);
    EXPECT_EQ(f.size(), 91u + 20);
}

TEST(UndoFile, HeaderRoundTripsAndCutsLongWords) {
    UndoFileHeader h;
    h.start = -1;
    h.oldLength = 123456789;
    h.newLength = 42;
    h.previousDescription = std::string(80, 'x');
    h.format = SampleFormat::pcm(44100, 16, 2);
    h.whole = true;
    uint8_t b[UndoFileHeader::kBytes];
    h.toBytes(b);
    EXPECT_EQ(b[12 + 59], 0);
    const UndoFileHeader r = UndoFileHeader::fromBytes(b);
    EXPECT_EQ(r.start, -1);
    EXPECT_EQ(r.oldLength, 123456789);
    EXPECT_EQ(r.newLength, 42);
    EXPECT_EQ(r.previousDescription, std::string(59, 'x'));
    EXPECT_EQ(r.format, h.format);
    EXPECT_TRUE(r.whole);
}

TEST(UndoStoreNames, FolderFollowsTheSound) {
    test::TempExeDir dir;
    EXPECT_EQ(UndoStore::folderFor(true, "/music/a.wav"), exeDir());
    EXPECT_EQ(UndoStore::folderFor(false, "/music/a.wav"), "/music/");
    // A combined sound has a name but no folder.
    EXPECT_EQ(UndoStore::folderFor(false, "a_b.wav"), exeDir());
    EXPECT_EQ(UndoStore::baseNameFor("/music/a.b.wav"), "a.b");
    EXPECT_EQ(UndoStore::baseNameFor(""), "");
}

TEST(UndoStoreNames, TwoStoresOfOneNameNeverShareFiles) {
    test::TempExeDir dir;
    UndoStore a(dir.path(), "a"), b(dir.path(), "a");
    EXPECT_NE(a.pathFor(1), b.pathFor(1));
    EXPECT_EQ(extractFilePath(a.pathFor(1)), dir.path());
    EXPECT_EQ(extractFileName(a.pathFor(1)).substr(0, 2), "~a");
    EXPECT_EQ(lowerFileExt(a.pathFor(1)), ".tmp");
}

TEST(UndoStoreHistory, TwoNewSoundsKeepSeparateHistories) {
    test::TempExeDir dir;
    UndoStore ua(UndoStore::folderFor(true, ""), ""), ub(UndoStore::folderFor(true, ""), "");
    SoundBuffer a = makeSound(8, 1, 100, 1), b = makeSound(8, 1, 100, 2);
    const auto a0 = bytesOf(a), b0 = bytesOf(b);
    a.setSelection(10, 10);
    b.setSelection(20, 30);
    ua.guardar_deshacer("Cut", 10, false, a);
    ub.guardar_deshacer("Cut", 30, false, b);
    std::memset(a.frame(10), 0, 10);
    std::memset(b.frame(20), 0, 30);
    ub.Borrar_Deshacer();
    EXPECT_TRUE(fileExists(ua.newestPath()));
    EXPECT_TRUE(ua.deshacer(a).restored);
    EXPECT_EQ(bytesOf(a), a0);
    EXPECT_FALSE(ub.deshacer(b).restored);
    EXPECT_NE(bytesOf(b), b0);
}

TEST(UndoStoreHistory, ElevenStepsWithTenLevelsDropTheFirst) {
    test::TempExeDir dir;
    UndoStore store(dir.path(), "s");
    store.setLevels(10);
    SoundBuffer s = makeSound(8, 1, 100);
    std::vector<std::vector<uint8_t>> before;
    for (int i = 1; i <= 11; ++i) {
        s.setSelection(i, 5);
        before.push_back(bytesOf(s));
        store.guardar_deshacer("Step" + std::to_string(i), 5, false, s);
        std::memset(s.frame(i), i, 5);
    }
    EXPECT_FALSE(fileExists(store.pathFor(1)));
    for (int i = 2; i <= 11; ++i) EXPECT_TRUE(fileExists(store.pathFor(i))) << i;
    EXPECT_EQ(store.stepCount(), 10u);
    for (int i = 11; i >= 2; --i) {
        ASSERT_TRUE(store.deshacer(s).restored) << i;
        EXPECT_EQ(bytesOf(s), before[i - 1]) << i;
        EXPECT_EQ(s.selectionStart, i);
        EXPECT_EQ(s.selectionLength, 5);
    }
    EXPECT_FALSE(store.habilitomenuundo());
    EXPECT_EQ(store.counter(), 0);
    const auto now = bytesOf(s);
    EXPECT_FALSE(store.deshacer(s).restored);
    EXPECT_EQ(bytesOf(s), now);
}

TEST(UndoStoreHistory, LevelsBelowOneCountAsOne) {
    test::TempExeDir dir;
    UndoStore store(dir.path());
    store.setLevels(0);
    EXPECT_EQ(store.levels(), 1);
    store.setLevels(-5);
    EXPECT_EQ(store.levels(), 1);
    SoundBuffer s = makeSound(8, 1, 10);
    s.setSelection(0, 2);
    store.guardar_deshacer("A", 2, false, s);
    store.guardar_deshacer("B", 2, false, s);
    EXPECT_EQ(store.stepCount(), 1u);

    IniFile ini = Settings();
    EXPECT_EQ(UndoStore::levelsFromSettings(ini), 10);
    ini.WriteInteger("Options", "UndoLevels", 0);
    EXPECT_EQ(UndoStore::levelsFromSettings(ini), 1);
    ini.WriteString("Options", "UndoLevels", "abc");
    EXPECT_EQ(UndoStore::levelsFromSettings(ini), 10);
    EXPECT_FALSE(UndoStore::disabledFromSettings(ini));
    ini.WriteInteger("Options", "DisableUndo", 1);
    EXPECT_TRUE(UndoStore::disabledFromSettings(ini));
}

TEST(UndoStoreCaption, FollowsTheWordsOfTheTopStep) {
    test::TempExeDir dir;
    UndoStore store(dir.path());
    EXPECT_EQ(store.menuCaption(), "&Undo");
    SoundBuffer s = makeSound(16, 1, 40);
    s.setSelection(0, 4);
    store.guardar_deshacer("Cut", 4, false, s);
    EXPECT_EQ(store.menuCaption(), "&Undo Cut");
    store.guardar_deshacer("Paste", 4, false, s);
    EXPECT_EQ(store.menuCaption(), "&Undo Paste");
    store.deshacer(s);
    EXPECT_EQ(store.menuCaption(), "&Undo Cut");
    store.deshacer(s);
    EXPECT_EQ(store.menuCaption(), "&Undo ");
    // The window's words are left by an undo; the next step records them.
    EXPECT_EQ(store.description(), "Paste");
    store.guardar_deshacer("Trim", 4, true, s);
    EXPECT_EQ(UndoFileHeader::fromBytes(slurpFile(store.newestPath()).data()).previousDescription, "Paste");
}

TEST(UndoStoreDisabled, WritesNothingAndCompletesNothing) {
    test::TempExeDir dir;
    UndoStore store(dir.path());
    SoundBuffer s = makeSound(8, 2, 30);
    s.setSelection(2, 3);
    store.guardar_deshacer("Cut", 3, false, s);
    store.completar_guardar_deshacer(0);
    const std::string first = store.newestPath();
    store.setDisabled(true);
    EXPECT_FALSE(store.guardar_deshacer("Paste", 3, false, s));
    store.completar_guardar_deshacer(9);   // must not patch the older step
    EXPECT_EQ(store.stepCount(), 1u);
    EXPECT_EQ(store.menuCaption(), "&Undo Cut");
    EXPECT_EQ(i32At(slurpFile(first), 8), 0);
}

TEST(UndoStoreFailure, FailedWriteLeavesTheHistory) {
    test::TempExeDir dir;
    FaultReset reset;
    UndoStore store(dir.path(), "x");
    SoundBuffer s = makeSound(8, 1, 30);
    s.setSelection(0, 3);
    store.guardar_deshacer("Cut", 3, false, s);
    setCreateFaultHook([](const std::string& p) { return p.find("/~x") != std::string::npos ? ENOSPC : 0; });
    EXPECT_THROW(store.guardar_deshacer("Paste", 3, false, s), FileIOError);
    EXPECT_EQ(store.counter(), 1);
    EXPECT_EQ(store.stepCount(), 1u);
    EXPECT_EQ(store.menuCaption(), "&Undo Cut");
    EXPECT_EQ(store.description(), "Cut");
    EXPECT_FALSE(fileExists(store.pathFor(2)));
}

TEST(UndoStoreFailure, StepThatDoesNotFitIsTreatedAsMissing) {
    test::TempExeDir dir;
    UndoStore store(dir.path());
    SoundBuffer s = makeSound(16, 2, 50);
    s.setSelection(10, 10);
    store.guardar_deshacer("Echo", 10, false, s);
    store.guardar_deshacer("Cut", 10, false, s);
    store.completar_guardar_deshacer(5000);   // more frames than the sound has
    const auto now = bytesOf(s);
    const std::string older = store.pathFor(1);
    const UndoOutcome o = store.deshacer(s);
    EXPECT_FALSE(o.restored);
    EXPECT_EQ(bytesOf(s), now);
    EXPECT_FALSE(store.habilitomenuundo());
    EXPECT_FALSE(fileExists(older));
}

TEST(UndoStoreFailure, TruncatedOrMissingStepIsTreatedAsMissing) {
    test::TempExeDir dir;
    UndoStore store(dir.path());
    SoundBuffer s = makeSound(8, 1, 50);
    s.setSelection(0, 20);
    store.guardar_deshacer("A", 20, false, s);
    auto f = slurpFile(store.newestPath());
    f.resize(f.size() - 1);
    spitFile(store.newestPath(), f);
    const auto now = bytesOf(s);
    EXPECT_FALSE(store.deshacer(s).restored);
    EXPECT_EQ(bytesOf(s), now);

    store.guardar_deshacer("B", 20, false, s);
    deleteFile(store.newestPath());
    EXPECT_FALSE(store.deshacer(s).restored);
    EXPECT_EQ(store.counter(), 0);
    EXPECT_EQ(store.menuCaption(), "&Undo");
}

TEST(UndoStoreRestore, WholeStepRestoresTheFormat) {
    test::TempExeDir dir;
    UndoStore store(dir.path());
    SoundBuffer s = makeSound(16, 2, 64);
    const SampleFormat f0 = s.format;
    const auto b0 = bytesOf(s);
    store.guardar_deshacer("Resample", 0, true, s);
    s.format = SampleFormat::pcm(8000, 8, 1);
    s.bytes.resize(17);
    const UndoOutcome o = store.deshacer(s);
    EXPECT_TRUE(o.restored);
    EXPECT_TRUE(o.whole);
    EXPECT_EQ(s.format, f0);
    EXPECT_EQ(bytesOf(s), b0);
    EXPECT_EQ(s.selectionStart, 0);
    EXPECT_EQ(s.selectionLength, 64);
}

TEST(UndoStoreFailure, WholeStepWithAFormatNoSoundHasIsTreatedAsMissing) {
    test::TempExeDir dir;
    SoundBuffer s = makeSound(16, 1, 40);
    const auto now = bytesOf(s);
    // Bits per sample, channels, rate: each alone makes a layout no sound has
    // (the block align still divides the stored bytes).
    for (const auto& patch : std::vector<std::pair<size_t, uint16_t>>{{72 + 14, 0xFF10}, {72 + 2, 3}, {72 + 4, 0}}) {
        UndoStore store(dir.path());
        store.guardar_deshacer("Resample", 0, true, s);
        auto f = slurpFile(store.newestPath());
        f[patch.first] = uint8_t(patch.second);
        f[patch.first + 1] = uint8_t(patch.second >> 8);
        if (patch.first == 72 + 4) f[patch.first + 2] = f[patch.first + 3] = 0;
        spitFile(store.newestPath(), f);
        EXPECT_FALSE(store.deshacer(s).restored) << patch.first;
        EXPECT_EQ(s.format, SampleFormat::pcm(22050, 16, 1));
        EXPECT_EQ(bytesOf(s), now);
    }
}

TEST(UndoStoreRestore, UndoOfACutReinsertsAndSelects) {
    test::TempExeDir dir;
    UndoStore store(dir.path());
    SoundBuffer s = makeSound(8, 2, 40);
    const auto b0 = bytesOf(s);
    s.setSelection(5, 7);
    store.guardar_deshacer("Cut", 7, false, s);
    std::memmove(s.frame(5), s.frame(12), 28 * 2);
    s.bytes.resize(33 * 2);
    store.completar_guardar_deshacer(0);
    const UndoOutcome o = store.deshacer(s);
    EXPECT_TRUE(o.restored && o.lengthChanged);
    EXPECT_EQ(bytesOf(s), b0);
    EXPECT_EQ(s.selectionStart, 5);
    EXPECT_EQ(s.selectionLength, 7);
}

TEST(UndoStoreLifecycle, ClearingAndDestroyingDeleteOnlyOwnFiles) {
    test::TempExeDir dir;
    SoundBuffer s = makeSound(8, 1, 10);
    s.setSelection(0, 1);
    UndoStore keep(dir.path(), "a");
    keep.guardar_deshacer("A", 1, false, s);
    std::string gone1, gone2;
    {
        UndoStore other(dir.path(), "a");
        other.guardar_deshacer("A", 1, false, s);
        gone1 = other.newestPath();
        other.Borrar_Deshacer();
        EXPECT_FALSE(fileExists(gone1));
        other.guardar_deshacer("A", 1, false, s);
        gone2 = other.newestPath();
    }
    EXPECT_FALSE(fileExists(gone2));
    EXPECT_TRUE(fileExists(keep.newestPath()));
    const std::string old = keep.newestPath();
    keep.relocate(dir.path(), "b");
    EXPECT_FALSE(fileExists(old));
    EXPECT_FALSE(keep.habilitomenuundo());
}

// Only what is recognisably an undo file of a run that has ended goes: a
// user's file named like one stays, and so do the steps of a run that still
// holds them (on another machine sharing the folder its process id means
// nothing here; its lock does).
TEST(UndoStoreLifecycle, StepsLeftByEndedRunsAreClearedWhereASoundGoes) {
    test::TempExeDir dir;
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    std::string steps[3];
    const pid_t run = ::fork();
    ASSERT_GE(run, 0);
    if (run == 0) {
        // A run killed with three steps of "song.wav" and one of a new sound.
        UndoStore song(dir.path(), "song"), fresh(dir.path(), "");
        SoundBuffer s = makeSound(16, 2, 50);
        s.setSelection(3, 20);
        for (int i = 0; i < 3; ++i) song.guardar_deshacer("Cut", 20, false, s);
        fresh.guardar_deshacer("Trim", 0, true, s);
        ::_exit(0);
    }
    ::waitpid(run, nullptr, 0);
    const std::string ended = std::to_string(run);
    std::vector<std::string> songSteps;
    std::string freshStep;
    for (const auto& e : std::filesystem::directory_iterator(dir.path())) {
        const std::string n = e.path().filename();
        if (n.rfind("~song-" + ended + "-", 0) == 0) songSteps.push_back(e.path());
        if (n.rfind("~-" + ended + "-", 0) == 0) freshStep = e.path();
    }
    std::sort(songSteps.begin(), songSteps.end());
    ASSERT_EQ(songSteps.size(), 3u);
    ASSERT_FALSE(freshStep.empty());
    std::copy(songSteps.begin(), songSteps.end(), steps);
    // One step was cut short by the kill: still an undo file.
    ASSERT_EQ(::truncate(steps[1].c_str(), UndoFileHeader::kBytes + 7), 0);

    // The same kind of run on another machine, still working on its step.
    const pid_t other = ::fork();
    ASSERT_GE(other, 0);
    if (other == 0) {
        const int fd = ::open(steps[2].c_str(), O_RDWR);
        if (fd < 0 || ::flock(fd, LOCK_EX) != 0) ::_exit(1);
        (void)!::write(ready[1], "x", 1);
        for (;;) ::pause();
    }
    char c = 0;
    ASSERT_EQ(::read(ready[0], &c, 1), 1);

    // A user's notes whose name reads as process, serial and step numbers,
    // and files of other names.
    const std::vector<std::string> kept = {"~notes-" + ended + "-12-25.tmp", "song-" + ended + "-3-7.tmp",
                                           "~song-" + ended + "-3-7.tmp.bak", "~song-x" + ended + "-3-7.tmp",
                                           "~song-" + std::to_string(::getpid()) + "-3-7.tmp"};
    for (const auto& n : kept) spitFile(dir.file(n), {1});
    spitFile(dir.file("~big-" + ended + "-1-1.tmp"), std::vector<uint8_t>(200, 'x'));

    ASSERT_EQ(::mkdir(dir.file("new").c_str(), 0755), 0);
    UndoStore store(dir.file("new/"), "");
    store.relocate(dir.path(), "song");   // a sound opened or saved there
    ::kill(other, SIGKILL);
    ::waitpid(other, nullptr, 0);
    ::close(ready[0]);
    ::close(ready[1]);

    EXPECT_FALSE(fileExists(steps[0]));
    EXPECT_FALSE(fileExists(steps[1]));
    EXPECT_FALSE(fileExists(freshStep));
    EXPECT_TRUE(fileExists(steps[2])) << "held by a running program";
    for (const auto& n : kept) EXPECT_EQ(slurpFile(dir.file(n)), std::vector<uint8_t>{1}) << n;
    EXPECT_TRUE(fileExists(dir.file("~big-" + ended + "-1-1.tmp"))) << "no undo header";
}

TEST(UndoStoreFailure, FailedCompletionDropsTheUntrustworthyStep) {
    test::TempExeDir dir;
    UndoStore store(dir.path());
    SoundBuffer s = makeSound(8, 1, 30);
    s.setSelection(0, 3);
    store.guardar_deshacer("Echo", 3, false, s);
    store.guardar_deshacer("Cut", 3, false, s);
    store.completar_guardar_deshacer(3);   // unchanged length: no write at all
    deleteFile(store.newestPath());
    EXPECT_THROW(store.completar_guardar_deshacer(0), FileIOError);
    EXPECT_EQ(store.stepCount(), 1u);
    EXPECT_EQ(store.counter(), 1);
    EXPECT_TRUE(fileExists(store.newestPath()));
    EXPECT_EQ(store.menuCaption(), "&Undo Echo");
    EXPECT_EQ(store.description(), "Echo");
}

TEST(UndoStoreFailure, NewLengthBeyondThirtyTwoBitsDropsTheStep) {
    test::TempExeDir dir;
    UndoStore store(dir.path());
    SoundBuffer s = makeSound(8, 1, 30);
    s.setSelection(0, 3);
    store.guardar_deshacer("Echo", 3, false, s);
    store.guardar_deshacer("Paste", 3, false, s);
    // Stored as 32 bits this would read back as 5 frames.
    EXPECT_THROW(store.completar_guardar_deshacer((int64_t(1) << 32) + 5), FileIOError);
    EXPECT_EQ(store.stepCount(), 1u);
    EXPECT_EQ(store.menuCaption(), "&Undo Echo");
}

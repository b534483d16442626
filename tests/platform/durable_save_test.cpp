// Saves written beside their file: a save killed halfway leaves the old file
// whole, and its leftover is cleared by the next save of the same file; a
// user's file named like it is not.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <signal.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/files.h"
#include "platform/paths.h"
#include "sound/engine/sample_format.h"
#include "sound/engine/wave_file.h"
#include "tests/support/scripted_prompts.h"
#include "tests/support/wave_fixtures.h"

using namespace sv;
using namespace sv::test;

namespace {

void save(const std::string& path, const std::vector<uint8_t>& bytes) {
    SafeFileWriter w;
    ASSERT_EQ(w.open(path), 0);
    w.write(bytes.data(), bytes.size());
    w.commit();
}

// The temporaries of a file's saves in `folder`.
std::vector<std::string> partFiles(const std::string& folder, const std::string& name) {
    std::vector<std::string> found;
    for (const auto& e : std::filesystem::directory_iterator(folder))
        if (e.path().filename().string().rfind(name + ".part", 0) == 0) found.push_back(e.path().string());
    return found;
}

} // namespace

TEST(DurableSave, AKilledSaveLeavesTheOldFileAndTheNextSaveClearsOnlyItsLeftover) {
    TempExeDir dir;
    const std::string target = dir.file("song.wav"), take = dir.file("take.wav");
    const std::vector<uint8_t> old(5000, 1), fresh(7000, 2);
    save(target, old);
    std::vector<uint8_t> cutShort(44 + 100, 7);
    WaveFileHeader::build(cutShort.data(), SampleFormat::pcm(11025, 8, 1), 0);

    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // Halfway through two saves: part of each new file is on the disk,
        // one of them a recording whose header was not patched yet.
        SafeFileWriter w, t;
        if (w.open(target) != 0 || t.open(take) != 0) ::_exit(1);
        w.write(fresh.data(), 3000);
        t.write(cutShort.data(), cutShort.size());
        std::fflush(w.file());
        std::fflush(t.file());
        const char c = 1;
        (void)!::write(ready[1], &c, 1);
        for (;;) ::pause();
    }
    char c = 0;
    ASSERT_EQ(::read(ready[0], &c, 1), 1);
    ::kill(child, SIGKILL);
    int status = 0;
    ::waitpid(child, &status, 0);
    ::close(ready[0]);
    ::close(ready[1]);

    const auto leftovers = partFiles(dir.path(), "song.wav"), takeLeftovers = partFiles(dir.path(), "take.wav");
    ASSERT_EQ(leftovers.size(), 1u);
    ASSERT_EQ(takeLeftovers.size(), 1u);
    EXPECT_EQ(readBytes(target), old);
    EXPECT_EQ(fileSizeOf(leftovers[0]), 3000);

    // Files of the user's named like the temporaries stay: one named as an
    // earlier version named them, one named exactly as now but without the
    // mark a save puts on its temporary (where the file system keeps such
    // marks), a piece of a split file.
    const std::string pid = std::to_string(child);
    const std::string lookAlike = target + ".part" + pid, piece = target + ".part0" + pid;
    const std::string unmarked = leftovers[0].substr(0, leftovers[0].size() - 12) + "0123456789ab";
    for (const auto& f : {lookAlike, piece, unmarked}) writeBytes(f, {9});
    const bool keepsMarks = ::setxattr(unmarked.c_str(), "user.test", "1", 1, 0) == 0;
    // A save still running (in this process) keeps its temporary.
    SafeFileWriter running;
    ASSERT_EQ(running.open(target), 0);
    save(target, fresh);
    EXPECT_EQ(readBytes(target), fresh);
    EXPECT_EQ(fileSizeOf(leftovers[0]), -1);
    EXPECT_EQ(fileSizeOf(lookAlike), 1);
    EXPECT_EQ(fileSizeOf(piece), 1);
    EXPECT_EQ(fileSizeOf(unmarked), keepsMarks ? 1 : -1);
    EXPECT_EQ(partFiles(dir.path(), "song.wav").size(), keepsMarks ? 4u : 3u);
    // Another file's leftover stays, and a recording cut short before its
    // header was patched (the data size field says 0) even at its own save.
    EXPECT_EQ(readBytes(takeLeftovers[0]), cutShort);
    save(take, old);
    EXPECT_EQ(readBytes(takeLeftovers[0]), cutShort);
}

// Replacing a file keeps who may read it; a link planted under the name of
// the file written beside the target is never followed; saving to a link
// writes the file it points to and leaves the link.
TEST(DurableSave, AReplacedFileKeepsItsAccessAndLinksAreNeitherFollowedNorReplaced) {
    TempExeDir dir;
    struct stat st;
    const std::string privateFile = dir.file("private.wav");
    save(privateFile, {1});
    ASSERT_EQ(::chmod(privateFile.c_str(), 0600), 0);
    const bool canChown = ::chown(privateFile.c_str(), uid_t(-1), 12345) == 0;
    save(privateFile, {2});
    ASSERT_EQ(::stat(privateFile.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0600u);
    if (canChown) EXPECT_EQ(st.st_gid, 12345u);
    const mode_t mask = ::umask(027);
    save(dir.file("new.wav"), {3});
    ::umask(mask);
    ASSERT_EQ(::stat(dir.file("new.wav").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);

    // The link is planted the moment before the temporary is made.
    const std::string victim = dir.file("victim.txt"), target = dir.file("song.wav");
    writeBytes(victim, {7});
    std::string planted;
    setCreateFaultHook([&](const std::string& p) {
        if (p == target) return 0;
        planted = p;
        return ::symlink(victim.c_str(), p.c_str()) == 0 ? 0 : errno;
    });
    {
        SafeFileWriter w;
        EXPECT_EQ(w.open(target), EEXIST);
    }
    setCreateFaultHook(nullptr);
    EXPECT_EQ(readBytes(victim), std::vector<uint8_t>{7});
    EXPECT_EQ(::lstat(planted.c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    EXPECT_FALSE(fileExists(target));

    const std::string real = dir.file("real.wav"), alias = dir.file("alias.wav");
    save(real, {1});
    ASSERT_EQ(::symlink("real.wav", alias.c_str()), 0);
    save(alias, {4, 5});
    ASSERT_EQ(::lstat(alias.c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    EXPECT_EQ(readBytes(real), (std::vector<uint8_t>{4, 5}));
}

TEST(DurableSave, AnUncommittedSaveRemovesItsPartAndKeepsTheTarget) {
    TempExeDir dir;
    const std::string target = dir.file("a.svs");
    save(target, {1, 2, 3});
    {
        SafeFileWriter w;
        ASSERT_EQ(w.open(target), 0);
        w.write("xyz", 3);
    }
    EXPECT_EQ(readBytes(target), (std::vector<uint8_t>{1, 2, 3}));
    EXPECT_TRUE(partFiles(dir.path(), "a.svs").empty());
    // A name as long as a folder entry takes still saves: its temporary's
    // name is shortened to fit.
    const std::string longest = dir.file(std::string(251, 'n') + ".wav");
    save(longest, {4});
    EXPECT_EQ(readBytes(longest), std::vector<uint8_t>{4});
}

// Long files go through in pieces (the read on several threads, the save
// handing each piece to the disk as it goes): the bytes must come out as a
// single plain read or write gives them, piece edges included.
TEST(LongFiles, PiecewiseReadAndSaveKeepEveryByte) {
    TempExeDir dir;
    const std::string target = dir.file("long.wav");
    std::vector<uint8_t> bytes(size_t(37) << 20 | 12345);
    uint32_t x = 7;
    for (auto& b : bytes) {
        x = x * 1664525u + 1013904223u;
        b = uint8_t(x >> 24);
    }
    {
        // A short head, then the rest in uneven writes around the piece size.
        SafeFileWriter w;
        ASSERT_EQ(w.open(target), 0);
        size_t at = 0;
        for (size_t n : {size_t(44), size_t(9) << 20, size_t(1), size_t(8) << 20}) {
            w.write(bytes.data() + at, n);
            at += n;
        }
        w.write(bytes.data() + at, bytes.size() - at);
        w.commit();
    }
    ASSERT_EQ(readBytes(target), bytes);

    ScopedFd f(::open(target.c_str(), O_RDONLY));
    ASSERT_GE(f.fd, 0);
    std::vector<uint8_t> back(bytes.size() - 1001);
    ASSERT_TRUE(readLongAt(f.fd, 1001, back.data(), back.size()));
    EXPECT_TRUE(std::equal(back.begin(), back.end(), bytes.begin() + 1001));

    // Asking for more than the file holds fails (in the last piece) with EIO.
    std::vector<uint8_t> tooMuch(bytes.size());
    errno = 0;
    EXPECT_FALSE(readLongAt(f.fd, 1, tooMuch.data(), tooMuch.size()));
    EXPECT_EQ(errno, EIO);
}

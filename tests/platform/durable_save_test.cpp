// Saves written beside their file: a save killed halfway leaves the old file
// whole, and its leftover is cleared by the next save of the same file.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <string>
#include <vector>

#include "platform/files.h"
#include "platform/paths.h"
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

} // namespace

TEST(DurableSave, AKilledSaveLeavesTheOldFileAndTheNextSaveClearsItsLeftover) {
    TempExeDir dir;
    const std::string target = dir.file("song.wav");
    const std::vector<uint8_t> old(5000, 1), fresh(7000, 2);
    save(target, old);

    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // Halfway through a save: part of the new file is on the disk.
        SafeFileWriter w;
        if (w.open(target) != 0) ::_exit(1);
        w.write(fresh.data(), 3000);
        std::fflush(w.file());
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

    const std::string leftover = target + ".part" + std::to_string(child);
    EXPECT_EQ(readBytes(target), old);
    EXPECT_EQ(fileSizeOf(leftover), 3000);

    // A leftover of a process that is still running is not ours to remove.
    const std::string running = target + ".part1";
    writeBytes(running, {9});
    save(target, fresh);
    EXPECT_EQ(readBytes(target), fresh);
    EXPECT_EQ(fileSizeOf(leftover), -1);
    EXPECT_EQ(fileSizeOf(running), 1);
    // Another file's leftovers stay too.
    writeBytes(dir.file("other.wav.part999999999"), {9});
    save(target, old);
    EXPECT_EQ(fileSizeOf(dir.file("other.wav.part999999999")), 1);
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
    EXPECT_EQ(fileSizeOf(target + ".part" + std::to_string(::getpid())), -1);
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

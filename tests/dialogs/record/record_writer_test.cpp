// The take's file and the level computation, without the dialog.
#include <gtest/gtest.h>

#include <cerrno>
#include <algorithm>
#include <cstring>
#include <csignal>
#include <filesystem>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include "dialogs/record_writer.h"
#include "platform/paths.h"
#include "sound/engine/sample_format.h"
#include "sound/engine/undo_store.h"
#include "sound/engine/wave_file.h"
#include "tests/support/scripted_prompts.h"
#include "tests/support/wave_fixtures.h"

namespace sv::test {
namespace {

std::vector<uint8_t> ramp(size_t n) {
    std::vector<uint8_t> v(n);
    for (size_t i = 0; i < n; ++i) v[i] = uint8_t(i * 7);
    return v;
}

TEST(RecordWriter, TheHeaderStatesTheDataAsTheTakeGrows) {
    TempExeDir dir;
    const std::string path = dir.file("take.wav");
    const SampleFormat f = SampleFormat::pcm(22050, 16, 2);
    RecordWriter w;
    ASSERT_EQ(w.create(path, f), 0);
    EXPECT_EQ(probeWave(path).declaredSize, 0) << "under its own name from the start";
    const auto a = ramp(4000), b = ramp(1000);
    EXPECT_EQ(w.append(a.data(), 4000), 4000u);
    EXPECT_EQ(probeWave(path).declaredSize, 4000);
    EXPECT_EQ(w.append(b.data(), 1000), 1000u);
    w.finish();
    ASSERT_TRUE(fileExists(path));

    const auto bytes = readBytes(path);
    ASSERT_EQ(bytes.size(), 44u + 5000u);
    uint8_t expected[kWaveHeaderBytes];
    WaveFileHeader::build(expected, f, 5000);
    EXPECT_EQ(std::memcmp(bytes.data(), expected, kWaveHeaderBytes), 0);
    EXPECT_EQ(getU32(bytes.data() + 4), 36u + 5000u);
    EXPECT_TRUE(std::equal(a.begin(), a.end(), bytes.begin() + 44));
    EXPECT_TRUE(std::equal(b.begin(), b.end(), bytes.begin() + 44 + 4000));

    const WaveProbe p = probeWave(path);
    EXPECT_EQ(p.status, WaveProbe::Status::Ok);
    EXPECT_EQ(p.format, f);
    EXPECT_EQ(p.declaredSize, 5000);
}

TEST(RecordWriter, AnEmptyTakeIsAHeaderWithNoData) {
    TempExeDir dir;
    RecordWriter w;
    ASSERT_EQ(w.create(dir.file("empty.wav"), SampleFormat::pcm(11025, 8, 1)), 0);
    w.finish();
    const auto bytes = readBytes(dir.file("empty.wav"));
    ASSERT_EQ(bytes.size(), 44u);
    EXPECT_EQ(getU32(bytes.data() + 40), 0u);
    EXPECT_EQ(getU32(bytes.data() + 4), 36u);
}

TEST(RecordWriter, StopsTakingAtTheLimitOnAFrameBoundary) {
    TempExeDir dir;
    RecordWriter w(1003);  // 250 stereo 16-bit frames and 3 bytes
    ASSERT_EQ(w.create(dir.file("full.wav"), SampleFormat::pcm(8000, 16, 2)), 0);
    const auto a = ramp(800);
    EXPECT_EQ(w.append(a.data(), 800), 800u);
    EXPECT_FALSE(w.full());
    EXPECT_EQ(w.append(a.data(), 800), 200u);
    EXPECT_TRUE(w.full());
    EXPECT_EQ(w.append(a.data(), 800), 0u);
    w.finish();
    const auto bytes = readBytes(dir.file("full.wav"));
    EXPECT_EQ(bytes.size(), 44u + 1000u);
    EXPECT_EQ(getU32(bytes.data() + 40), 1000u);
}

// A full disk or the file-size limit ends a take halfway through a write:
// the header then states exactly the whole frames in the file, and the file
// ends with them.
TEST(RecordWriter, AWriteErrorLeavesAHeaderThatStatesTheBytesInTheFile) {
    TempExeDir dir;
    const std::string path = dir.file("cut.wav");
    const auto buffer = ramp(8820);   // 2205 stereo 16-bit frames
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{30002, 30002};   // the fourth buffer stops inside a frame
        ::setrlimit(RLIMIT_FSIZE, &limit);
        RecordWriter w;
        if (w.create(path, SampleFormat::pcm(44100, 16, 2)) != 0) ::_exit(1);
        try {
            for (int i = 0; i < 10; ++i) w.append(buffer.data(), 8820);
            ::_exit(2);
        } catch (const FileIOError&) {
        }
        try {
            w.finish();
        } catch (const FileIOError&) {
            ::_exit(3);
        }
        ::_exit(0);
    }
    int status = -1;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;

    const auto bytes = readBytes(path);
    const uint32_t whole = (30002 - 44) / 4 * 4;
    ASSERT_EQ(bytes.size(), 44u + whole);
    EXPECT_EQ(getU32(bytes.data() + 40), whole);
    EXPECT_EQ(getU32(bytes.data() + 4), 36u + whole);
    for (uint32_t i = 0; i < whole; ++i) ASSERT_EQ(bytes[44 + i], buffer[i % 8820]) << i;
}

TEST(RecordWriter, TheLimitKeepsTheRiffSizeWithin32Bits) {
    EXPECT_EQ(kMaxWaveDataBytes + 36, 0xFFFFFFFFull);
}

TEST(RecordWriter, AFileThatCannotBeCreatedLeavesNothing) {
    TempExeDir dir;
    setCreateFaultHook([](const std::string&) { return EACCES; });
    RecordWriter w;
    EXPECT_EQ(w.create(dir.file("no.wav"), SampleFormat::pcm(8000, 8, 1)), EACCES);
    setCreateFaultHook(nullptr);
    EXPECT_FALSE(w.isOpen());
    EXPECT_FALSE(fileExists(dir.file("no.wav")));
}

TEST(RecordWriter, ATakeThatCannotStartKeepsTheEarlierFileAndADroppedOneKeepsItsFrames) {
    TempExeDir dir;
    const std::string path = dir.file("keep.wav");
    writeBytes(path, {1, 2, 3});
    {
        RecordWriter w;
        setCreateFaultHook([](const std::string&) { return ENOSPC; });
        EXPECT_EQ(w.create(path, SampleFormat::pcm(8000, 8, 1)), ENOSPC);
        setCreateFaultHook(nullptr);
    }
    EXPECT_EQ(readBytes(path), (std::vector<uint8_t>{1, 2, 3}));
    // A user's file named as an earlier version named its temporaries.
    const std::string lookAlike = path + ".part999999999";
    writeBytes(lookAlike, {'x'});
    {
        RecordWriter w;
        ASSERT_EQ(w.create(path, SampleFormat::pcm(8000, 8, 1)), 0);
        const auto a = ramp(100);
        w.append(a.data(), 100);
    }
    EXPECT_EQ(probeWave(path).declaredSize, 100);
    EXPECT_EQ(fileSizeOf(path), 144);
    EXPECT_EQ(readBytes(lookAlike), std::vector<uint8_t>{'x'});
    ::unlink(lookAlike.c_str());
    for (const auto& e : std::filesystem::directory_iterator(dir.path()))
        EXPECT_EQ(e.path().filename().string().find(".part"), std::string::npos) << e.path();
}

// A take killed halfway is a WAVE file under its own name that opens with
// every frame written, and nothing the program does later removes it.
TEST(RecordWriter, AKilledTakeIsAWholeWaveFileThatStays) {
    TempExeDir dir;
    const std::string path = dir.file("newsound1.wav");
    const auto buffer = ramp(2205);
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        RecordWriter w;
        if (w.create(path, SampleFormat::pcm(11025, 8, 1)) != 0) ::_exit(1);
        for (int i = 0; i < 15; ++i) w.append(buffer.data(), 2205);   // 3 s
        (void)!::write(ready[1], "x", 1);
        for (;;) ::pause();
    }
    char c = 0;
    ASSERT_EQ(::read(ready[0], &c, 1), 1);
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    ::close(ready[0]);
    ::close(ready[1]);

    const WaveProbe p = probeWave(path);
    ASSERT_EQ(p.status, WaveProbe::Status::Ok);
    EXPECT_EQ(p.declaredSize, 15 * 2205);
    EXPECT_EQ(fileSizeOf(path), 44 + 15 * 2205);
    const auto bytes = readBytes(path);
    for (size_t i = 0; i < 15 * 2205u; ++i) ASSERT_EQ(bytes[44 + i], buffer[i % 2205]) << i;

    // The cleanup of ended runs, at start-up and before every save.
    removeStalePartFiles(path);
    UndoStore::removeStaleFiles(dir.path());
    EXPECT_EQ(readBytes(path), bytes);
}

// ---- levels ----

std::vector<uint8_t> pcm16(const std::vector<int16_t>& s) {
    std::vector<uint8_t> b(s.size() * 2);
    std::memcpy(b.data(), s.data(), b.size());
    return b;
}

TEST(InputLevels, EightBitFullScaleReadsOneHundred) {
    const std::vector<uint8_t> stereo = {255, 127, 0, 127, 127, 127};
    InputLevels l = inputLevels(stereo.data(), uint32_t(stereo.size()), 1, 2);
    EXPECT_EQ(l.left, 100);
    EXPECT_EQ(l.right, 0);
    const std::vector<uint8_t> half = {127 + 64, 127 - 32, 127, 127};
    l = inputLevels(half.data(), 4, 1, 2);
    EXPECT_EQ(l.left, 64 * 100 / 127);
    EXPECT_EQ(l.right, 32 * 100 / 127);
}

TEST(InputLevels, SixteenBitScalesBy32768AndTruncates) {
    const auto b = pcm16({-32768, 16384, 100, -16383});
    InputLevels l = inputLevels(b.data(), uint32_t(b.size()), 2, 2);
    EXPECT_EQ(l.left, 100);
    EXPECT_EQ(l.right, 50);
    const auto c = pcm16({0, 0, 327, -328});
    l = inputLevels(c.data(), uint32_t(c.size()), 2, 2);
    EXPECT_EQ(l.left, 0);
    EXPECT_EQ(l.right, 1);  // 328 * 100 / 32768 = 1.0009...
}

TEST(InputLevels, MonoShowsThePeakOfAllSamplesOnBothMeters) {
    const auto b = pcm16({10, 20, -30000, 40, 5});
    const InputLevels l = inputLevels(b.data(), uint32_t(b.size()), 2, 1);
    EXPECT_EQ(l.left, 30000 * 100 / 32768);
    EXPECT_EQ(l.right, l.left);
    const std::vector<uint8_t> e = {127, 127, 200};
    const InputLevels m = inputLevels(e.data(), 3, 1, 1);
    EXPECT_EQ(m.left, 73 * 100 / 127);
    EXPECT_EQ(m.right, m.left);
}

TEST(InputLevels, ReadsWholeFramesOnlyAcrossLongBuffers) {
    // A long stereo buffer with the loud sample in the last whole frame of
    // the right channel, then half a frame of garbage.
    std::vector<int16_t> s(2 * 3000, 0);
    s[2 * 2999 + 1] = -32767;
    auto b = pcm16(s);
    b.push_back(0xFF);
    b.push_back(0x7F);
    const InputLevels l = inputLevels(b.data(), uint32_t(b.size()), 2, 2);
    EXPECT_EQ(l.left, 0);
    EXPECT_EQ(l.right, 99);
    EXPECT_EQ(inputLevels(b.data(), 0, 2, 2).left, 0);
    EXPECT_EQ(inputLevels(nullptr, 10, 2, 2).left, 0);
}

} // namespace
} // namespace sv::test

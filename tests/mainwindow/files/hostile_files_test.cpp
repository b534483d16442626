// Files whose header numbers do not fit their contents, opened the way a
// user opens them (File > Open, Yes to the conversion, Convert), and a save
// that runs into the process's file-size limit or a planted link.
#include <gtest/gtest.h>

#include <sys/resource.h>
#include <unistd.h>

#include <filesystem>

#include "conversion/RIFFWAVEFileConverter.h"
#include "mainwindow/SonvelaMain_convert.h"
#include "platform/files.h"
#include "tests/mainwindow/files/file_fixture.h"

using namespace sv;
using namespace sv::test;

namespace {

void put16(std::vector<uint8_t>& b, size_t at, uint16_t v) {
    b[at] = uint8_t(v);
    b[at + 1] = uint8_t(v >> 8);
}
void put32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
    put16(b, at, uint16_t(v));
    put16(b, at + 2, uint16_t(v >> 16));
}

// A format record: the 18-byte head, then the extra bytes given.
std::vector<uint8_t> record(uint16_t tag, uint32_t rate, uint32_t avg, uint16_t align, uint16_t bits,
                            uint16_t extraSize, const std::vector<uint8_t>& extra) {
    std::vector<uint8_t> r(18);
    put16(r, 0, tag);
    put16(r, 2, 1);
    put32(r, 4, rate);
    put32(r, 8, avg);
    put16(r, 12, align);
    put16(r, 14, bits);
    put16(r, 16, extraSize);
    r.insert(r.end(), extra.begin(), extra.end());
    return r;
}

std::vector<uint8_t> riffWave(const std::vector<uint8_t>& fmt, const std::vector<uint8_t>& data) {
    std::vector<uint8_t> b = {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E'};
    for (const auto& c : {chunk("fmt ", fmt), chunk("fact", {0, 0, 0, 0}), chunk("data", data)})
        b.insert(b.end(), c.begin(), c.end());
    put32(b, 4, uint32_t(b.size() - 8));
    return b;
}

std::vector<uint8_t> noise(size_t n) {
    std::vector<uint8_t> v(n);
    uint32_t x = 12345;
    for (auto& c : v) c = uint8_t((x = x * 1103515245u + 12345u) >> 24);
    return v;
}

// IMA ADPCM blocks of 256 bytes: noise after a valid block head.
std::vector<uint8_t> imaBlocks(int n) {
    auto v = noise(size_t(256 * n));
    for (int i = 0; i < n; ++i) {
        v[size_t(256 * i + 2)] %= 89;   // step index
        v[size_t(256 * i + 3)] = 0;
    }
    return v;
}

long peakKilobytes() {
    rusage u{};
    ::getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss;
}

class HostileFilesTest : public FileCommandsTest {
protected:
    void SetUp() override {
        start();
        installConversionCommands(main.get());
        // The converter runs to its end as soon as it is shown.
        setConverterDriver([](TRIFFWaveFileconverterfrm& d) {
            d.btnStartClick();
            return d.ModalResult();
        });
    }
    void TearDown() override {
        setConverterDriver(nullptr);
        FileCommandsTest::TearDown();
    }
    // File > Open, answered Yes to "Convert File".
    void openConverting(const std::string& path) {
        scripted().answer(mrYes);
        main->ObrirFitxer(false, path);
        flushDeletes();
    }
};

} // namespace

TEST_F(HostileFilesTest, ExtraSizeBeyondTheFormatChunkIsRefusedBeforeAnyCodecReadsIt) {
    // IMA ADPCM and GSM records whose extra size says 0xFF00 bytes follow,
    // in a "fmt " chunk that holds two.
    const auto ima = record(0x11, 8000, 4055, 256, 4, 0xFF00, {0xF9, 0x01});
    const auto gsm = record(0x31, 8000, 1625, 65, 0, 0xFF00, {0x40, 0x01});
    writeBytes(dir.file("ima.wav"), riffWave(ima, imaBlocks(4)));
    writeBytes(dir.file("gsm.wav"), riffWave(gsm, noise(65 * 8)));
    for (const char* name : {"ima.wav", "gsm.wav"}) {
        SCOPED_TRACE(name);
        scripted().log.clear();
        openConverting(dir.file(name));
        EXPECT_TRUE(scripted().sawMessage("Invalid file format."));
        EXPECT_FALSE(scripted().sawMessage("Complete"));
        EXPECT_FALSE(fileExists(pcmCopyName(dir.file(name))));
    }
    EXPECT_EQ(openWindows(), 0);

    // The same records with their true extra size convert.
    auto good = ima;
    put16(good, 16, 2);
    writeBytes(dir.file("fine.wav"), riffWave(good, imaBlocks(4)));
    scripted().log.clear();
    openConverting(dir.file("fine.wav"));
    EXPECT_TRUE(scripted().sawMessage("Complete"));
    ASSERT_EQ(openWindows(), 1);
    EXPECT_EQ(main->soundWindows()[0]->FrameCount(), 4 * 505);
}

TEST_F(HostileFilesTest, ASmallFileWithAHugeByteRateConvertsWithoutTakingGigabytes) {
    // Under 1 KB of GSM whose header claims half a gigabyte per second: the
    // converter's block is sized by the data, not by the claim.
    const auto gsm = record(0x31, 8000, 0x1FFFFFF0, 65, 0, 2, {0x40, 0x01});
    writeBytes(dir.file("tiny.wav"), riffWave(gsm, noise(65 * 13)));
    ASSERT_LT(std::filesystem::file_size(dir.file("tiny.wav")), 1000u);
    const long before = peakKilobytes();
    openConverting(dir.file("tiny.wav"));
    EXPECT_TRUE(scripted().sawMessage("Complete"));
    ASSERT_EQ(openWindows(), 1);
    EXPECT_EQ(main->soundWindows()[0]->FrameCount(), 13 * 320);
    EXPECT_LT(peakKilobytes() - before, 256 * 1024);
}

TEST_F(HostileFilesTest, ChannelAndBitCountsWhoseProductOverflowsAreOfferedForConversion) {
    auto bytes = canonicalWave(8000, 16, 1, testSignal(16, 1, 100));
    put16(bytes, 22, 0xFFFF);   // channels
    put16(bytes, 34, 0xFFFF);   // bits per sample
    writeBytes(dir.file("huge.wav"), bytes);
    scripted().answer(mrNo);
    main->ObrirFitxer(false, dir.file("huge.wav"));
    EXPECT_EQ(scripted().log.back().caption, "Convert File");
    EXPECT_EQ(openWindows(), 0);
}

// A save that cannot be made names the real cause and keeps the old file:
// past the file-size limit, or with a link planted under its temporary's name.
TEST_F(HostileFilesTest, AFailedSaveNamesTheCauseAndKeepsTheOldFile) {
    const std::string a = wav("a.wav", 100000, 16, 2);
    const auto old = readBytes(a);
    TSoundfrm* w = open(a);
    ASSERT_TRUE(w);
    w->Sound.bytes.data()[0] ^= 0x55;
    w->Modified = true;

    rlimit saved{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    rlimit small = saved;
    small.rlim_cur = 64 * 1024;   // the new file stops at 64 KB of 400 KB
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    scripted().answer(mrYes);
    main->Save2Click();
    ::setrlimit(RLIMIT_FSIZE, &saved);

    bool told = false;
    for (const auto& m : scripted().messages()) told = told || m.find("File too large") != std::string::npos;
    EXPECT_TRUE(told);
    EXPECT_EQ(readBytes(a), old);
    EXPECT_TRUE(w->Modified);
    for (const auto& e : std::filesystem::directory_iterator(dir.path()))
        EXPECT_EQ(e.path().string().find(".part"), std::string::npos) << e.path();

    const std::string victim = dir.file("victim.txt");
    writeBytes(victim, {7});
    setCreateFaultHook([&](const std::string& p) {
        return p.rfind(a + ".part", 0) == 0 && ::symlink(victim.c_str(), p.c_str()) != 0 ? errno : 0;
    });
    scripted().answer(mrYes);
    main->Save2Click();
    setCreateFaultHook(nullptr);
    EXPECT_TRUE(scripted().sawMessage("Cannot save " + a + ": File exists"));
    EXPECT_EQ(readBytes(victim), std::vector<uint8_t>{7});
    EXPECT_EQ(readBytes(a), old);
    EXPECT_TRUE(w->Modified);

    // Otherwise the same save goes through, and leaves a user's file named
    // as an earlier version named its temporaries.
    writeBytes(a + ".part999999999", {'x'});
    scripted().answer(mrYes);
    main->Save2Click();
    EXPECT_FALSE(w->Modified);
    EXPECT_EQ(readBytes(a)[44], old[44] ^ 0x55);
    EXPECT_EQ(readBytes(a + ".part999999999"), std::vector<uint8_t>{'x'});
}

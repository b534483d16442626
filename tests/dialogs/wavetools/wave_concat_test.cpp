#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include "dialogs/wave_concat.h"
#include "platform/files.h"
#include "tests/dialogs/wavetools/wave_fixture.h"
#include "tests/support/scripted_prompts.h"

namespace sv::test {
namespace {

class WaveConcat : public ::testing::Test {
protected:
    TempExeDir dir;

    void expectRefused(const std::vector<std::string>& sources, const std::string& target, const std::string& text) {
        const auto before = snapshot(dir.path());
        try {
            writeConcatenation(planConcatenation(sources, target), target);
            ADD_FAILURE() << "not refused: " << text;
        } catch (const WaveToolError& e) {
            EXPECT_EQ(std::string(e.what()), text);
        }
        EXPECT_EQ(snapshot(dir.path()), before);
    }
};

TEST_F(WaveConcat, TwoFilesMakeOneWithTheSummedSize) {
    const SampleFormat f = SampleFormat::pcm(44100, 16, 2);
    const Bytes a = loudData(f, 250), b = loudData(f, 500, 7);
    writeWave(dir.file("a.wav"), f, a);
    writeWave(dir.file("b.wav"), f, b);
    const std::string target = dir.file("concatenated.wav");
    ConcatPlan plan = planConcatenation({dir.file("a.wav"), dir.file("b.wav")}, target);
    EXPECT_TRUE(plan.pcm());
    EXPECT_EQ(plan.totalBytes, 3000);
    std::vector<int64_t> shown;
    writeConcatenation(plan, target, [&](int64_t d, int64_t n) { shown.push_back(d * 10 + n); });
    const Bytes out = readAll(target);
    ASSERT_EQ(out.size(), 3044u);
    EXPECT_EQ(u32At(out, 40), 3000u);
    EXPECT_EQ(u32At(out, 4), 3036u);
    EXPECT_EQ(out, waveBytes(f, a + b));
    EXPECT_EQ(shown, (std::vector<int64_t>{2, 12, 22}));
}

TEST_F(WaveConcat, AnExistingTargetIsReplacedWhole) {
    const SampleFormat f = SampleFormat::pcm(8000, 8, 1);
    writeWave(dir.file("a.wav"), f, loudData(f, 10));
    writeAll(dir.file("t.wav"), Bytes(5000, 9));
    writeConcatenation(planConcatenation({dir.file("a.wav")}, dir.file("t.wav")), dir.file("t.wav"));
    EXPECT_EQ(readAll(dir.file("t.wav")), readAll(dir.file("a.wav")));
}

TEST_F(WaveConcat, TrailingChunksOfASourceAreLeftOut) {
    const SampleFormat f = SampleFormat::pcm(8000, 8, 1);
    const Bytes a = loudData(f, 100);
    writeWave(dir.file("a.wav"), f, a, Bytes{'L', 'I', 'S', 'T', 2, 0, 0, 0, 'x', 'y'});
    writeWave(dir.file("b.wav"), f, a);
    writeConcatenation(planConcatenation({dir.file("a.wav"), dir.file("b.wav")}, dir.file("t.wav")),
                       dir.file("t.wav"));
    EXPECT_EQ(readAll(dir.file("t.wav")), waveBytes(f, a + a));
}

TEST_F(WaveConcat, ADifferentRateStopsBeforeAnythingIsWrittenAndNamesBothFiles) {
    writeWave(dir.file("first.wav"), SampleFormat::pcm(44100, 16, 2), Bytes(400, 1));
    writeWave(dir.file("second.wav"), SampleFormat::pcm(22050, 16, 2), Bytes(400, 1));
    expectRefused({dir.file("first.wav"), dir.file("second.wav")}, dir.file("t.wav"),
                  "Format of filesecond.wav is different than the format of the first file (first.wav). Process can "
                  "not continue. Please use Sonvela to resample all files to the same format.");
}

TEST_F(WaveConcat, ATargetThatIsASourceIsRefused) {
    const SampleFormat f = SampleFormat::pcm(8000, 8, 1);
    writeWave(dir.file("a.wav"), f, loudData(f, 10));
    writeWave(dir.file("b.wav"), f, loudData(f, 10));
    expectRefused({dir.file("a.wav"), dir.file("b.wav")}, dir.path() + "./b.wav", wavetext::kTargetIsSource);
    ::symlink(dir.file("a.wav").c_str(), dir.file("link.wav").c_str());
    expectRefused({dir.file("link.wav")}, dir.file("a.wav"), wavetext::kTargetIsSource);
}

TEST_F(WaveConcat, MissingOrShortSourcesAreRefused) {
    const SampleFormat f = SampleFormat::pcm(8000, 8, 1);
    writeWave(dir.file("a.wav"), f, loudData(f, 10));
    expectRefused({dir.file("a.wav"), dir.file("gone.wav")}, dir.file("t.wav"), wavetext::kOpenError);
    writeAll(dir.file("short.wav"), Bytes(20, 0));
    expectRefused({dir.file("a.wav"), dir.file("short.wav")}, dir.file("t.wav"), wavetext::kNotPcm);
}

TEST_F(WaveConcat, ATotalBeyondTheWaveLimitIsRefused) {
    // Sparse files that claim almost 4 GB each cost no disk space.
    const SampleFormat f = SampleFormat::pcm(44100, 16, 2);
    for (const char* n : {"big1.wav", "big2.wav"}) {
        Bytes h(kWaveHeaderBytes);
        WaveFileHeader::build(h.data(), f, 0xF0000000u);
        writeAll(dir.file(n), h);
        ASSERT_EQ(::truncate(dir.file(n).c_str(), off_t(kWaveHeaderBytes) + 0xF0000000LL), 0);
    }
    EXPECT_EQ(planConcatenation({dir.file("big1.wav")}, dir.file("t.wav")).totalBytes, 0xF0000000LL);
    expectRefused({dir.file("big1.wav"), dir.file("big2.wav")}, dir.file("t.wav"), wavetext::kConcatTooLarge);
}

TEST_F(WaveConcat, NonPcmSourcesAreReportedByThePlan) {
    SampleFormat f = SampleFormat::pcm(8000, 8, 1);
    f.wFormatTag = kFormatMuLaw;
    writeWave(dir.file("a.wav"), f, Bytes(10, 1));
    writeWave(dir.file("b.wav"), f, Bytes(10, 1));
    EXPECT_FALSE(planConcatenation({dir.file("a.wav"), dir.file("b.wav")}, dir.file("t.wav")).pcm());
}

TEST_F(WaveConcat, ATargetThatCannotBeCreatedIsAnOpenError) {
    const SampleFormat f = SampleFormat::pcm(8000, 8, 1);
    writeWave(dir.file("a.wav"), f, loudData(f, 10));
    setCreateFaultHook([](const std::string&) { return EACCES; });
    expectRefused({dir.file("a.wav")}, dir.file("t.wav"), wavetext::kOpenError);
    setCreateFaultHook({});
}

TEST_F(WaveConcat, ASourceThatShrinksMidwayLeavesNoTarget) {
    const SampleFormat f = SampleFormat::pcm(8000, 8, 1);
    writeWave(dir.file("a.wav"), f, loudData(f, 1000));
    ConcatPlan plan = planConcatenation({dir.file("a.wav")}, dir.file("t.wav"));
    ASSERT_EQ(::truncate(dir.file("a.wav").c_str(), 500), 0);
    EXPECT_THROW(writeConcatenation(plan, dir.file("t.wav")), FileIOError);
    EXPECT_EQ(snapshot(dir.path()).size(), 1u);
}

} // namespace
} // namespace sv::test

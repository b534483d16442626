#include "audio_fixture.h"

#include "platform/audio/wave_out.h"
#include "tests/support/scripted_prompts.h"
#include "tests/support/wave_fixtures.h"

#include <cstdlib>

namespace sv::test {
namespace {

class CaptureTest : public VirtualAudioTest {
protected:
    TempExeDir dir;
    std::string path;
    void SetUp() override {
        VirtualAudioTest::SetUp();
        path = dir.file("heard.wav");
        ::setenv("SONVELA_AUDIO_CAPTURE", path.c_str(), 1);
    }
    void TearDown() override {
        ::unsetenv("SONVELA_AUDIO_CAPTURE");
        VirtualAudioTest::TearDown();
    }
    // Plays `data` to its end through a fresh handle, pausing in between
    // when asked, and closes the handle.
    void play(const WaveFormat& f, std::vector<uint8_t> data, uint32_t pausedMs = 0) {
        WaveOutHandle h = 0;
        int done = 0;
        ASSERT_EQ(waveOutOpen(&h, kWaveMapper, f, [&](WaveOutHandle, WaveHeader*) { ++done; }), kWaveOk);
        WaveHeader hdr = headerOver(data);
        ASSERT_EQ(waveOutPrepareHeader(h, &hdr), kWaveOk);
        ASSERT_EQ(waveOutWrite(h, &hdr), kWaveOk);
        const uint32_t ms = uint32_t(uint64_t(data.size() / f.nBlockAlign) * 1000 / f.nSamplesPerSec) + 1;
        if (pausedMs) {
            pumpVirtualAudio(ms / 2);
            waveOutPause(h);
            pumpVirtualAudio(pausedMs);
            waveOutRestart(h);
        }
        pumpVirtualAudio(ms);
        deliverWaveNotices();
        EXPECT_EQ(done, 1);
        waveOutClose(h);
    }
};

// The frames of `wave` (a canonical file) after its header.
std::vector<uint8_t> dataOf(const std::vector<uint8_t>& wave) {
    return wave.size() < 44 ? std::vector<uint8_t>{} : std::vector<uint8_t>(wave.begin() + 44, wave.end());
}

TEST_F(CaptureTest, TheFileHoldsExactlyWhatWasPlayedInItsFormat) {
    const std::vector<uint8_t> sig = testSignal(16, 2, 4410);
    play(WaveFormat::pcm(44100, 16, 2), sig);
    const std::vector<uint8_t> file = readBytes(path);
    ASSERT_GE(file.size(), 44u + sig.size());
    // Whatever the device played after the block ran out is silence.
    const std::vector<uint8_t> data = dataOf(file);
    EXPECT_EQ(std::vector<uint8_t>(data.begin(), data.begin() + long(sig.size())), sig);
    for (size_t i = sig.size(); i < data.size(); ++i) ASSERT_EQ(data[i], 0) << i;
    EXPECT_EQ(file, canonicalWave(44100, 16, 2, data));

    // 8-bit mono: silence is 127, as every sample operation has it.
    const std::vector<uint8_t> sig8 = testSignal(8, 1, 800);
    play(WaveFormat::pcm(8000, 8, 1), sig8);
    const std::vector<uint8_t> data8 = dataOf(readBytes(path));
    ASSERT_GE(data8.size(), sig8.size());
    EXPECT_EQ(std::vector<uint8_t>(data8.begin(), data8.begin() + long(sig8.size())), sig8);
    for (size_t i = sig8.size(); i < data8.size(); ++i) ASSERT_EQ(data8[i], 127) << i;
    EXPECT_EQ(readBytes(path), canonicalWave(8000, 8, 1, data8));
}

TEST_F(CaptureTest, PlaysOfOneFormatFollowEachOtherAndAPauseIsHeardAsSilence) {
    const WaveFormat f = WaveFormat::pcm(8000, 16, 1);
    const std::vector<uint8_t> a = testSignal(16, 1, 800);
    play(f, a);
    const size_t first = dataOf(readBytes(path)).size();
    play(f, a, 250);
    const std::vector<uint8_t> data = dataOf(readBytes(path));
    // 250 ms of silence = 2000 frames of 2 bytes inside the second play.
    ASSERT_GE(data.size(), first + a.size() + 4000);
    size_t nonSilent = 0;
    for (size_t i = 0; i + 1 < data.size(); i += 2)
        if (data[i] || data[i + 1]) ++nonSilent;
    size_t expected = 0;
    for (size_t i = 0; i + 1 < a.size(); i += 2)
        if (a[i] || a[i + 1]) ++expected;
    EXPECT_EQ(nonSilent, 2 * expected);
}

TEST_F(CaptureTest, NoVariableNoFileAndAnUnwritablePathPlaysOn) {
    ::setenv("SONVELA_AUDIO_CAPTURE", (dir.path() + "missing/folder/x.wav").c_str(), 1);
    play(WaveFormat::pcm(8000, 8, 1), testSignal(8, 1, 80));
    ::unsetenv("SONVELA_AUDIO_CAPTURE");
    play(WaveFormat::pcm(8000, 8, 1), testSignal(8, 1, 80));
    EXPECT_TRUE(readBytes(path).empty());
}

} // namespace
} // namespace sv::test

// Notices through the Qt event loop, and the virtual device on its own
// real-time thread (waits are bounded; nothing here measures time).
#include "audio_fixture.h"

#include "platform/audio/wave_in.h"
#include "platform/audio/wave_out.h"
#include "platform/qt/wave_notify.h"

#include <QCoreApplication>

#include <chrono>
#include <thread>

namespace sv::test {
namespace {

using WaveNotifyTest = VirtualAudioTest;

TEST_F(WaveNotifyTest, TheEventLoopDeliversFinishedBlocks) {
    installWaveNotifier();
    installWaveNotifier();  // a second call changes nothing
    std::vector<WaveHeader*> played;
    WaveOutHandle h = 0;
    ASSERT_EQ(waveOutOpen(&h, kWaveMapper, WaveFormat::pcm(8000, 8, 1),
                          [&](WaveOutHandle, WaveHeader* x) { played.push_back(x); }),
              kWaveOk);
    std::vector<uint8_t> a(800, 127), b(800, 127);
    WaveHeader ha = headerOver(a), hb = headerOver(b);
    for (WaveHeader* x : {&ha, &hb}) {
        waveOutPrepareHeader(h, x);
        waveOutWrite(h, x);
    }
    pumpVirtualAudio(200);
    EXPECT_TRUE(played.empty());
    QCoreApplication::processEvents();
    EXPECT_EQ(played, (std::vector<WaveHeader*>{&ha, &hb}));
    EXPECT_EQ(pendingWaveNotices(), 0u);
    waveOutClose(h);
    removeWaveNotifier();
}

TEST_F(WaveNotifyTest, WithoutTheNotifierNoticesWaitForAnExplicitDelivery) {
    removeWaveNotifier();
    int played = 0;
    WaveOutHandle h = 0;
    ASSERT_EQ(waveOutOpen(&h, kWaveMapper, WaveFormat::pcm(8000, 8, 1), [&](WaveOutHandle, WaveHeader*) { ++played; }),
              kWaveOk);
    std::vector<uint8_t> a(80, 127);
    WaveHeader ha = headerOver(a);
    waveOutPrepareHeader(h, &ha);
    waveOutWrite(h, &ha);
    pumpVirtualAudio(10);
    QCoreApplication::processEvents();
    EXPECT_EQ(played, 0);
    // Installing it picks up what is already waiting.
    installWaveNotifier();
    QCoreApplication::processEvents();
    EXPECT_EQ(played, 1);
    waveOutClose(h);
    removeWaveNotifier();
}

// Polls the event loop until `done` or a generous deadline.
template <class Done>
bool waitFor(Done done) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!done() && std::chrono::steady_clock::now() < deadline) {
        QCoreApplication::processEvents();
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return done();
}

TEST_F(WaveNotifyTest, TheRealTimeDevicePlaysAndRecordsOnItsOwn) {
    setVirtualAudioManual(false);
    installWaveNotifier();
    std::vector<WaveHeader*> played, recorded;
    WaveOutHandle out = 0;
    WaveInHandle in = 0;
    ASSERT_EQ(waveOutOpen(&out, kWaveMapper, WaveFormat::pcm(22050, 16, 2),
                          [&](WaveOutHandle, WaveHeader* x) { played.push_back(x); }),
              kWaveOk);
    ASSERT_EQ(waveInOpen(&in, kWaveMapper, WaveFormat::pcm(11025, 8, 1),
                         [&](WaveInHandle, WaveHeader* x) { recorded.push_back(x); }),
              kWaveOk);
    std::vector<uint8_t> a(22050 * 4 / 50), b(22050 * 4 / 50), c(2205), d(2205);
    WaveHeader ha = headerOver(a), hb = headerOver(b), hc = headerOver(c), hd = headerOver(d);
    for (WaveHeader* x : {&ha, &hb}) {
        waveOutPrepareHeader(out, x);
        waveOutWrite(out, x);
    }
    for (WaveHeader* x : {&hc, &hd}) {
        waveInPrepareHeader(in, x);
        waveInAddBuffer(in, x);
    }
    waveInStart(in);
    EXPECT_TRUE(waitFor([&] { return played.size() == 2 && recorded.size() == 2; }));
    EXPECT_EQ(played, (std::vector<WaveHeader*>{&ha, &hb}));
    EXPECT_EQ(recorded, (std::vector<WaveHeader*>{&hc, &hd}));
    EXPECT_EQ(hd.dwBytesRecorded, 2205u);
    waveInReset(in);
    waveInClose(in);
    waveOutClose(out);
    setVirtualAudioManual(true);
    removeWaveNotifier();
}

} // namespace
} // namespace sv::test

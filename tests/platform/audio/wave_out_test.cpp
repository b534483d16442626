#include "audio_fixture.h"

#include "platform/audio/wave_in.h"
#include "platform/audio/wave_out.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <set>
#include <string>

namespace sv::test {
namespace {

// 8000 Hz mono 8-bit: one byte a frame, 1600 bytes = 200 ms.
const WaveFormat kMono8 = WaveFormat::pcm(8000, 8, 1);

struct Played {
    std::vector<WaveHeader*> order;
    WaveOutCallback callback() {
        return [this](WaveOutHandle, WaveHeader* h) { order.push_back(h); };
    }
};

WaveOutHandle openOut(Played& p, const WaveFormat& f = kMono8) {
    WaveOutHandle h = 0;
    EXPECT_EQ(waveOutOpen(&h, kWaveMapper, f, p.callback()), kWaveOk);
    EXPECT_NE(h, 0u);
    return h;
}

void queue(WaveOutHandle h, WaveHeader& hdr) {
    hdr.dwFlags = 0;
    ASSERT_EQ(waveOutPrepareHeader(h, &hdr), kWaveOk);
    ASSERT_EQ(waveOutWrite(h, &hdr), kWaveOk);
}

using WaveOutTest = VirtualAudioTest;

TEST_F(WaveOutTest, OpenRefusesWhatIsNotPlainPcm) {
    WaveOutHandle h = 123;
    WaveFormat f = kMono8;
    f.wFormatTag = 2;
    EXPECT_EQ(waveOutOpen(&h, kWaveMapper, f, nullptr), kWaveBadFormat);
    EXPECT_EQ(h, 0u);
    f = kMono8;
    f.nChannels = 3;
    EXPECT_EQ(waveOutOpen(&h, kWaveMapper, f, nullptr), kWaveBadFormat);
    f = WaveFormat::pcm(8000, 24, 1);
    EXPECT_EQ(waveOutOpen(&h, kWaveMapper, f, nullptr), kWaveBadFormat);
    f = kMono8;
    f.nBlockAlign = 2;
    EXPECT_EQ(waveOutOpen(&h, kWaveMapper, f, nullptr), kWaveBadFormat);
    f = WaveFormat::pcm(0, 8, 1);
    EXPECT_EQ(waveOutOpen(&h, kWaveMapper, f, nullptr), kWaveBadFormat);
    EXPECT_EQ(waveOutOpen(&h, 1, kMono8, nullptr), kWaveBadDeviceId);
    EXPECT_EQ(waveOutOpen(&h, -2, kMono8, nullptr), kWaveBadDeviceId);
    EXPECT_EQ(waveOutOpen(nullptr, kWaveMapper, kMono8, nullptr), kWaveInvalidParam);
}

TEST_F(WaveOutTest, AnyRateOpensIncludingOddOnes) {
    for (uint32_t rate : {1u, 7350u, 11025u, 44100u, 99999u}) {
        WaveOutHandle h = 0;
        EXPECT_EQ(waveOutOpen(&h, 0, WaveFormat::pcm(rate, 16, 2), nullptr), kWaveOk) << rate;
        EXPECT_EQ(waveOutClose(h), kWaveOk);
    }
}

TEST_F(WaveOutTest, ListsTheDefaultAndOneVirtualDevice) {
    EXPECT_EQ(waveOutGetNumDevs(), 1);
    WaveDeviceCaps caps;
    ASSERT_EQ(waveOutGetDevCaps(kWaveMapper, &caps), kWaveOk);
    EXPECT_EQ(caps.name, "Default output");
    ASSERT_EQ(waveOutGetDevCaps(0, &caps), kWaveOk);
    EXPECT_EQ(caps.name, "Virtual output");
    EXPECT_EQ(caps.channels, 2);
    // The bits the device dialog shows: 11025/22050/44100 Hz, 8/16-bit, mono/stereo.
    for (uint32_t bit : {0x1u, 0x2u, 0x4u, 0x10u, 0x100u}) EXPECT_TRUE(caps.formats & bit) << bit;
    EXPECT_EQ(waveOutGetDevCaps(1, &caps), kWaveBadDeviceId);
    EXPECT_EQ(waveOutGetDevCaps(0, nullptr), kWaveInvalidParam);
}

TEST_F(WaveOutTest, EachBlockIsAnnouncedOnceWhenItHasBeenPlayed) {
    Played p;
    WaveOutHandle h = openOut(p);
    std::vector<uint8_t> a(1600, 127), b(800, 127);
    WaveHeader ha = headerOver(a), hb = headerOver(b);
    queue(h, ha);
    queue(h, hb);
    EXPECT_TRUE(ha.dwFlags & kWaveHeaderInQueue);

    pumpVirtualAudio(199);
    EXPECT_EQ(deliverWaveNotices(), 0u);
    pumpVirtualAudio(1);
    // The audio side only posts: nothing reaches the owner before delivery.
    EXPECT_TRUE(p.order.empty());
    EXPECT_EQ(deliverWaveNotices(), 1u);
    ASSERT_EQ(p.order.size(), 1u);
    EXPECT_EQ(p.order[0], &ha);
    EXPECT_TRUE(ha.dwFlags & kWaveHeaderDone);
    EXPECT_FALSE(ha.dwFlags & kWaveHeaderInQueue);
    EXPECT_TRUE(ha.dwFlags & kWaveHeaderPrepared);

    pumpVirtualAudio(99);
    EXPECT_EQ(deliverWaveNotices(), 0u);
    pumpVirtualAudio(1);
    EXPECT_EQ(deliverWaveNotices(), 1u);
    ASSERT_EQ(p.order.size(), 2u);
    EXPECT_EQ(p.order[1], &hb);

    pumpVirtualAudio(1000);
    EXPECT_EQ(deliverWaveNotices(), 0u);
    EXPECT_EQ(waveOutClose(h), kWaveOk);
}

TEST_F(WaveOutTest, BlocksFinishedInOnePumpArriveInOrder) {
    Played p;
    WaveOutHandle h = openOut(p);
    std::vector<std::vector<uint8_t>> data(5, std::vector<uint8_t>(80, 127));
    std::vector<WaveHeader> hdr;
    for (auto& d : data) hdr.push_back(headerOver(d));
    for (auto& x : hdr) queue(h, x);
    pumpVirtualAudio(50);
    EXPECT_EQ(deliverWaveNotices(), 5u);
    ASSERT_EQ(p.order.size(), 5u);
    for (size_t i = 0; i < 5; ++i) EXPECT_EQ(p.order[i], &hdr[i]);
    waveOutClose(h);
}

TEST_F(WaveOutTest, RequeuingFromTheCallbackPlaysTheWholeRange) {
    // The playback pattern: two headers, each refilled when it comes back.
    std::vector<uint8_t> sound(1600 * 5 + 400, 127);
    WaveHeader hdr[2];
    size_t next = 0;
    int finished = 0;
    WaveOutHandle h = 0;
    auto queueNext = [&](WaveHeader& x) {
        if (next >= sound.size()) return;
        x.lpData = sound.data() + next;
        x.dwBufferLength = static_cast<uint32_t>(std::min<size_t>(1600, sound.size() - next));
        next += x.dwBufferLength;
        x.dwFlags = 0;
        ASSERT_EQ(waveOutPrepareHeader(h, &x), kWaveOk);
        ASSERT_EQ(waveOutWrite(h, &x), kWaveOk);
    };
    ASSERT_EQ(waveOutOpen(&h, kWaveMapper, kMono8, [&](WaveOutHandle, WaveHeader* x) {
                  ++finished;
                  EXPECT_EQ(waveOutUnprepareHeader(h, x), kWaveOk);
                  queueNext(*x);
              }),
              kWaveOk);
    queueNext(hdr[0]);
    queueNext(hdr[1]);
    for (int i = 0; i < 20; ++i) {
        pumpVirtualAudio(100);
        deliverWaveNotices();
    }
    EXPECT_EQ(finished, 6);
    EXPECT_EQ(next, sound.size());
    waveOutClose(h);
}

TEST_F(WaveOutTest, ResetHandsBackAtOnceAndSilencesNoticesOnTheirWay) {
    Played p;
    WaveOutHandle h = openOut(p);
    std::vector<uint8_t> a(1600, 127), b(1600, 127);
    WaveHeader ha = headerOver(a), hb = headerOver(b);
    queue(h, ha);
    queue(h, hb);
    pumpVirtualAudio(200);  // a's notice is posted, not delivered
    EXPECT_EQ(pendingWaveNotices(), 1u);

    EXPECT_EQ(waveOutReset(h), kWaveOk);
    for (WaveHeader* x : {&ha, &hb}) {
        EXPECT_TRUE(x->dwFlags & kWaveHeaderDone);
        EXPECT_FALSE(x->dwFlags & kWaveHeaderInQueue);
        EXPECT_EQ(waveOutUnprepareHeader(h, x), kWaveOk);
    }
    EXPECT_EQ(pendingWaveNotices(), 0u);
    pumpVirtualAudio(1000);
    EXPECT_EQ(deliverWaveNotices(), 0u);
    EXPECT_TRUE(p.order.empty());

    // The handle plays on after a reset.
    queue(h, ha);
    pumpVirtualAudio(200);
    EXPECT_EQ(deliverWaveNotices(), 1u);
    EXPECT_EQ(p.order, std::vector<WaveHeader*>{&ha});
    waveOutClose(h);
}

TEST_F(WaveOutTest, AStaleNoticeIsDroppedEvenWhenItsHeaderIsQueuedAgain) {
    Played p;
    WaveOutHandle h = openOut(p);
    std::vector<uint8_t> a(1600, 127);
    WaveHeader ha = headerOver(a);
    queue(h, ha);
    pumpVirtualAudio(200);
    waveOutReset(h);
    waveOutUnprepareHeader(h, &ha);
    queue(h, ha);  // the same header, in flight again
    EXPECT_EQ(deliverWaveNotices(), 0u);
    EXPECT_TRUE(p.order.empty());
    pumpVirtualAudio(200);
    EXPECT_EQ(deliverWaveNotices(), 1u);
    EXPECT_EQ(p.order.size(), 1u);
    waveOutClose(h);
}

TEST_F(WaveOutTest, CloseHandsBackAndLaterCallsAreHarmless) {
    Played p;
    WaveOutHandle h = openOut(p);
    std::vector<uint8_t> a(1600, 127), b(1600, 127);
    WaveHeader ha = headerOver(a), hb = headerOver(b);
    queue(h, ha);
    queue(h, hb);
    pumpVirtualAudio(300);
    EXPECT_EQ(waveOutClose(h), kWaveOk);
    EXPECT_TRUE(ha.dwFlags & kWaveHeaderDone);
    EXPECT_TRUE(hb.dwFlags & kWaveHeaderDone);
    EXPECT_FALSE(hb.dwFlags & kWaveHeaderInQueue);
    pumpVirtualAudio(1000);
    EXPECT_EQ(deliverWaveNotices(), 0u);
    EXPECT_TRUE(p.order.empty());

    EXPECT_EQ(waveOutPrepareHeader(h, &ha), kWaveInvalidHandle);
    EXPECT_EQ(waveOutWrite(h, &ha), kWaveInvalidHandle);
    EXPECT_EQ(waveOutUnprepareHeader(h, &ha), kWaveInvalidHandle);
    EXPECT_EQ(waveOutPause(h), kWaveInvalidHandle);
    EXPECT_EQ(waveOutRestart(h), kWaveInvalidHandle);
    EXPECT_EQ(waveOutReset(h), kWaveInvalidHandle);
    EXPECT_EQ(waveOutClose(h), kWaveInvalidHandle);
    EXPECT_EQ(waveOutReset(0), kWaveInvalidHandle);
}

TEST_F(WaveOutTest, HeadersAreCheckedBeforeQueuing) {
    Played p;
    WaveOutHandle h = openOut(p);
    std::vector<uint8_t> a(160, 127);
    WaveHeader ha = headerOver(a);
    EXPECT_EQ(waveOutWrite(h, &ha), kWaveUnprepared);
    EXPECT_EQ(waveOutPrepareHeader(h, nullptr), kWaveInvalidParam);
    WaveHeader empty;
    empty.dwBufferLength = 10;
    EXPECT_EQ(waveOutPrepareHeader(h, &empty), kWaveInvalidParam);

    queue(h, ha);
    EXPECT_EQ(waveOutWrite(h, &ha), kWaveStillPlaying);
    EXPECT_EQ(waveOutUnprepareHeader(h, &ha), kWaveStillPlaying);
    // A copy of a queued header (the main window keeps one) is not queued.
    WaveHeader copy = ha;
    EXPECT_EQ(waveOutUnprepareHeader(h, &copy), kWaveOk);
    pumpVirtualAudio(20);
    deliverWaveNotices();
    EXPECT_EQ(waveOutUnprepareHeader(h, &ha), kWaveOk);
    EXPECT_FALSE(ha.dwFlags & kWaveHeaderPrepared);
    waveOutClose(h);
}

TEST_F(WaveOutTest, PauseHoldsThePositionAndRestartGoesOn) {
    std::vector<float> heard;
    setVirtualOutputTap([&](WaveOutHandle, const float* f, size_t n, int ch) {
        for (size_t i = 0; i < n * static_cast<size_t>(ch); ++i) heard.push_back(f[i]);
    });
    Played p;
    WaveOutHandle h = openOut(p);
    std::vector<uint8_t> a(1600);
    for (size_t i = 0; i < a.size(); ++i) a[i] = static_cast<uint8_t>(i % 100 + 20);  // never 127, which is silence
    WaveHeader ha = headerOver(a);
    queue(h, ha);
    pumpVirtualAudio(100);
    EXPECT_EQ(waveOutPause(h), kWaveOk);
    pumpVirtualAudio(5000);
    EXPECT_EQ(deliverWaveNotices(), 0u);
    EXPECT_EQ(waveOutRestart(h), kWaveOk);
    pumpVirtualAudio(99);
    EXPECT_EQ(deliverWaveNotices(), 0u);
    pumpVirtualAudio(1);
    EXPECT_EQ(deliverWaveNotices(), 1u);

    // 800 frames, 40000 frames of silence, the other 800 frames.
    ASSERT_EQ(heard.size(), 800u + 40000u + 800u);
    std::vector<float> sound;
    for (float v : heard)
        if (v != 0.0f) sound.push_back(v);
    ASSERT_EQ(sound.size(), a.size());
    for (size_t i = 0; i < a.size(); ++i) ASSERT_FLOAT_EQ(sound[i], (a[i] - 127) / 127.0f) << i;
    for (size_t i = 800; i < 40800; ++i) ASSERT_EQ(heard[i], 0.0f);
    waveOutClose(h);
}

TEST_F(WaveOutTest, StereoSixteenBitReachesTheCardUnchanged) {
    std::vector<float> heard;
    setVirtualOutputTap([&](WaveOutHandle, const float* f, size_t n, int ch) {
        EXPECT_EQ(ch, 2);
        heard.insert(heard.end(), f, f + n * 2);
    });
    Played p;
    WaveOutHandle h = openOut(p, WaveFormat::pcm(1000, 16, 2));
    const int16_t samples[] = {32767, -32767, 1000, -1000, 0, 5};
    std::vector<uint8_t> bytes(sizeof samples);
    std::memcpy(bytes.data(), samples, sizeof samples);
    WaveHeader hdr = headerOver(bytes);
    queue(h, hdr);
    pumpVirtualAudio(3);
    ASSERT_EQ(heard.size(), 6u);
    for (int i = 0; i < 6; ++i) EXPECT_FLOAT_EQ(heard[i], samples[i] / 32767.0f);
    EXPECT_EQ(deliverWaveNotices(), 1u);
    waveOutClose(h);
}

TEST_F(WaveOutTest, ACallbackThatClosesStopsTheRestOfTheBatch) {
    std::vector<uint8_t> a(80, 127), b(80, 127);
    WaveHeader ha = headerOver(a), hb = headerOver(b);
    int calls = 0;
    WaveOutHandle h = 0;
    ASSERT_EQ(waveOutOpen(&h, kWaveMapper, kMono8, [&](WaveOutHandle self, WaveHeader*) {
                  ++calls;
                  waveOutClose(self);
              }),
              kWaveOk);
    queue(h, ha);
    queue(h, hb);
    pumpVirtualAudio(20);
    EXPECT_EQ(pendingWaveNotices(), 2u);
    deliverWaveNotices();
    EXPECT_EQ(calls, 1);
    EXPECT_TRUE(hb.dwFlags & kWaveHeaderDone);
}

TEST_F(WaveOutTest, TwoHandlesKeepTheirOwnNotices) {
    Played p1, p2;
    WaveOutHandle h1 = openOut(p1), h2 = openOut(p2);
    EXPECT_NE(h1, h2);
    std::vector<uint8_t> a(800, 127), b(800, 127);
    WaveHeader ha = headerOver(a), hb = headerOver(b);
    queue(h1, ha);
    queue(h2, hb);
    pumpVirtualAudio(50);
    waveOutClose(h1);  // stopping one playback leaves the other alone
    pumpVirtualAudio(50);
    deliverWaveNotices();
    EXPECT_TRUE(p1.order.empty());
    EXPECT_EQ(p2.order, std::vector<WaveHeader*>{&hb});
    waveOutClose(h2);
}

TEST_F(WaveOutTest, AHandleIsNeverReused) {
    Played p;
    WaveOutHandle h1 = openOut(p);
    waveOutClose(h1);
    WaveOutHandle h2 = openOut(p);
    EXPECT_NE(h1, h2);
    EXPECT_EQ(waveOutPause(h1), kWaveInvalidHandle);
    waveOutClose(h2);
}

TEST(WaveErrorText, EveryResultHasItsOwnShortText) {
    std::set<std::string> seen;
    for (int r = kWaveOk; r <= kWaveUnprepared; ++r) {
        const std::string t = waveOutGetErrorText(r);
        EXPECT_FALSE(t.empty());
        EXPECT_LE(t.size(), 128u);
        EXPECT_TRUE(seen.insert(t).second) << t;
        EXPECT_FALSE(waveInGetErrorText(r).empty());
    }
    EXPECT_NE(waveOutGetErrorText(77).find("77"), std::string::npos);
    EXPECT_NE(waveInGetErrorText(kWaveStillPlaying), waveOutGetErrorText(kWaveStillPlaying));
}

TEST(AudioBackendChoice, TheEnvironmentForcesTheVirtualDevice) {
    setAudioBackend(AudioBackend::Auto);
    ::setenv("SONVELA_AUDIO", "Virtual", 1);
    EXPECT_EQ(audioBackendInUse(true), AudioBackend::Virtual);
    EXPECT_EQ(audioBackendInUse(false), AudioBackend::Virtual);
    ::unsetenv("SONVELA_AUDIO");
    setAudioBackend(AudioBackend::Virtual);
    EXPECT_EQ(audioBackendInUse(true), AudioBackend::Virtual);
    setAudioBackend(AudioBackend::Auto);
}

TEST(AudioBackendChoice, WithoutAChoiceThereIsAlwaysAnOutput) {
    // PortAudio when it finds a card, else the virtual device: never none.
    ::unsetenv("SONVELA_AUDIO");
    setAudioBackend(AudioBackend::Auto);
    EXPECT_GE(waveOutGetNumDevs(), 1);
    EXPECT_GE(waveInGetNumDevs(), 1);
    WaveDeviceCaps caps;
    EXPECT_EQ(waveOutGetDevCaps(kWaveMapper, &caps), kWaveOk);
}

TEST(AudioBackendChoice, AForcedPortAudioFailsCleanlyOnAMissingDevice) {
    setAudioBackend(AudioBackend::PortAudio);
    WaveOutHandle h = 5;
    const WaveResult r = waveOutOpen(&h, 9999, kMono8, nullptr);
    EXPECT_TRUE(r == kWaveBadDeviceId || r == kWaveNoDriver) << r;
    EXPECT_EQ(h, 0u);
    WaveDeviceCaps caps;
    EXPECT_NE(waveOutGetDevCaps(9999, &caps), kWaveOk);
    setAudioBackend(AudioBackend::Auto);
}

} // namespace
} // namespace sv::test

#include "audio_fixture.h"

#include "platform/audio/wave_in.h"

#include <cmath>
#include <cstring>

namespace sv::test {
namespace {

// 8000 Hz mono 16-bit; 400-byte buffers hold 200 frames = 25 ms.
const WaveFormat kMono16 = WaveFormat::pcm(8000, 16, 1);

int16_t sineAt(uint64_t frame, double amplitude = 0.5, double hz = 440.0, double rate = 8000.0) {
    const double v = amplitude * std::sin(2.0 * M_PI * hz / rate * static_cast<double>(frame));
    return static_cast<int16_t>(std::nearbyint(static_cast<float>(v) * 32767.0f));
}

struct Recorded {
    std::vector<WaveHeader*> order;
    std::vector<uint32_t> bytes;
    WaveInCallback callback() {
        return [this](WaveInHandle, WaveHeader* h) {
            order.push_back(h);
            bytes.push_back(h->dwBytesRecorded);
        };
    }
};

struct Buffer {
    std::vector<uint8_t> data;
    WaveHeader header;
    explicit Buffer(size_t n = 400) : data(n, 0xEE) { header = headerOver(data); }
    std::vector<int16_t> samples(uint32_t bytes) const {
        std::vector<int16_t> s(bytes / 2);
        std::memcpy(s.data(), data.data(), s.size() * 2);
        return s;
    }
};

void add(WaveInHandle h, Buffer& b) {
    b.header.dwFlags = 0;
    ASSERT_EQ(waveInPrepareHeader(h, &b.header), kWaveOk);
    ASSERT_EQ(waveInAddBuffer(h, &b.header), kWaveOk);
}

WaveInHandle openIn(Recorded& r, const WaveFormat& f = kMono16) {
    WaveInHandle h = 0;
    EXPECT_EQ(waveInOpen(&h, kWaveMapper, f, r.callback()), kWaveOk);
    EXPECT_NE(h, 0u);
    return h;
}

using WaveInTest = VirtualAudioTest;

TEST_F(WaveInTest, ListsTheDefaultAndOneVirtualInput) {
    EXPECT_EQ(waveInGetNumDevs(), 1);
    WaveDeviceCaps caps;
    ASSERT_EQ(waveInGetDevCaps(kWaveMapper, &caps), kWaveOk);
    EXPECT_EQ(caps.name, "Default input");
    ASSERT_EQ(waveInGetDevCaps(0, &caps), kWaveOk);
    EXPECT_EQ(caps.name, "Virtual input");
    EXPECT_EQ(waveInGetDevCaps(1, &caps), kWaveBadDeviceId);
    WaveInHandle h = 9;
    EXPECT_EQ(waveInOpen(&h, 0, WaveFormat::pcm(8000, 12, 1), nullptr), kWaveBadFormat);
    EXPECT_EQ(h, 0u);
    EXPECT_EQ(waveInOpen(&h, 3, kMono16, nullptr), kWaveBadDeviceId);
}

TEST_F(WaveInTest, FilledBuffersArriveInOrderHoldingTheSignal) {
    Recorded r;
    WaveInHandle h = openIn(r);
    Buffer a, b;
    add(h, a);
    add(h, b);
    pumpVirtualAudio(100);
    EXPECT_EQ(deliverWaveNotices(), 0u) << "nothing is captured before the start";
    ASSERT_EQ(waveInStart(h), kWaveOk);

    pumpVirtualAudio(24);
    EXPECT_EQ(deliverWaveNotices(), 0u);
    pumpVirtualAudio(1);
    EXPECT_TRUE(r.order.empty()) << "handed over only by delivery";
    EXPECT_EQ(deliverWaveNotices(), 1u);
    pumpVirtualAudio(25);
    EXPECT_EQ(deliverWaveNotices(), 1u);
    ASSERT_EQ(r.order.size(), 2u);
    EXPECT_EQ(r.order[0], &a.header);
    EXPECT_EQ(r.order[1], &b.header);
    EXPECT_EQ(r.bytes, (std::vector<uint32_t>{400, 400}));
    EXPECT_TRUE(a.header.dwFlags & kWaveHeaderDone);
    EXPECT_FALSE(a.header.dwFlags & kWaveHeaderInQueue);

    const auto sa = a.samples(400), sb = b.samples(400);
    for (uint64_t i = 0; i < 200; ++i) {
        ASSERT_EQ(sa[i], sineAt(i)) << i;
        ASSERT_EQ(sb[i], sineAt(200 + i)) << i;
    }
    EXPECT_EQ(waveInReset(h), kWaveOk);
    EXPECT_EQ(waveInClose(h), kWaveOk);
}

TEST_F(WaveInTest, ABusyOwnerLosesNoInput) {
    // Only one buffer, not queued again for a whole second: the ring keeps
    // what came meanwhile and the buffers added later receive it in order.
    std::vector<int16_t> all;
    WaveInHandle h = 0;
    bool requeue = false;
    ASSERT_EQ(waveInOpen(&h, kWaveMapper, kMono16, [&](WaveInHandle self, WaveHeader* x) {
                  const int16_t* s = reinterpret_cast<const int16_t*>(x->lpData);
                  all.insert(all.end(), s, s + x->dwBytesRecorded / 2);
                  if (requeue) {
                      EXPECT_EQ(waveInAddBuffer(self, x), kWaveOk);
                  }
              }),
              kWaveOk);
    Buffer a, b;
    add(h, a);
    ASSERT_EQ(waveInStart(h), kWaveOk);
    pumpVirtualAudio(1000);
    deliverWaveNotices();
    EXPECT_EQ(all.size(), 200u);

    requeue = true;
    add(h, a);
    add(h, b);
    // The backlog is handed over without waiting for the device.
    for (int i = 0; i < 100 && all.size() < 8000; ++i) deliverWaveNotices();
    ASSERT_EQ(all.size(), 8000u);
    for (uint64_t i = 0; i < all.size(); ++i) ASSERT_EQ(all[i], sineAt(i)) << i;
    requeue = false;
    waveInReset(h);
    waveInClose(h);
}

TEST_F(WaveInTest, TheRingHoldsAFewSecondsAndNoMore) {
    std::vector<int16_t> all;
    WaveInHandle h = 0;
    ASSERT_EQ(waveInOpen(&h, kWaveMapper, kMono16, [&](WaveInHandle self, WaveHeader* x) {
                  const int16_t* s = reinterpret_cast<const int16_t*>(x->lpData);
                  all.insert(all.end(), s, s + x->dwBytesRecorded / 2);
                  if (x->dwBytesRecorded == x->dwBufferLength) waveInAddBuffer(self, x);
              }),
              kWaveOk);
    ASSERT_EQ(waveInStart(h), kWaveOk);
    pumpVirtualAudio(6000);
    Buffer a(16000);
    add(h, a);
    for (int i = 0; i < 100 && pendingWaveNotices() > 0; ++i) deliverWaveNotices();
    // Four seconds kept, the oldest first; the newest were dropped.
    ASSERT_EQ(all.size(), 32000u);
    for (uint64_t i = 0; i < all.size(); ++i) ASSERT_EQ(all[i], sineAt(i)) << i;
    // After the gap recording goes on.
    pumpVirtualAudio(1000);
    deliverWaveNotices();
    EXPECT_EQ(all.size(), 40000u);
    EXPECT_EQ(all[32000], sineAt(48000));
    waveInReset(h);
    waveInClose(h);
}

TEST_F(WaveInTest, ResetHandsEverythingBackBeforeItReturns) {
    Recorded r;
    WaveInHandle h = openIn(r);
    Buffer a, b, c;
    add(h, a);
    add(h, b);
    add(h, c);
    ASSERT_EQ(waveInStart(h), kWaveOk);
    pumpVirtualAudio(30);  // a full (its notice on its way), 40 frames in b
    EXPECT_TRUE(r.order.empty());

    EXPECT_EQ(waveInReset(h), kWaveOk);
    ASSERT_EQ(r.order.size(), 3u);
    EXPECT_EQ(r.order[0], &a.header);
    EXPECT_EQ(r.order[1], &b.header);
    EXPECT_EQ(r.order[2], &c.header);
    EXPECT_EQ(r.bytes, (std::vector<uint32_t>{400, 80, 0}));
    for (Buffer* x : {&a, &b, &c}) {
        EXPECT_TRUE(x->header.dwFlags & kWaveHeaderDone);
        EXPECT_FALSE(x->header.dwFlags & kWaveHeaderInQueue);
        EXPECT_EQ(waveInUnprepareHeader(h, &x->header), kWaveOk);
    }
    const auto sb = b.samples(80);
    for (uint64_t i = 0; i < 40; ++i) EXPECT_EQ(sb[i], sineAt(200 + i));

    EXPECT_EQ(pendingWaveNotices(), 0u);
    pumpVirtualAudio(1000);
    EXPECT_EQ(deliverWaveNotices(), 0u);
    EXPECT_EQ(r.order.size(), 3u);
    EXPECT_EQ(waveInClose(h), kWaveOk);
}

TEST_F(WaveInTest, RecordingStartsAfreshAfterAReset) {
    Recorded r;
    WaveInHandle h = openIn(r);
    Buffer a;
    add(h, a);
    waveInStart(h);
    pumpVirtualAudio(10);
    waveInReset(h);
    add(h, a);
    pumpVirtualAudio(100);
    EXPECT_EQ(deliverWaveNotices(), 0u) << "stopped until started again";
    waveInStart(h);
    pumpVirtualAudio(25);
    EXPECT_EQ(deliverWaveNotices(), 1u);
    EXPECT_EQ(r.bytes, (std::vector<uint32_t>{160, 400}));
    waveInReset(h);
    waveInClose(h);
}

TEST_F(WaveInTest, ATakeKeepsEveryFrameUpToTheStop) {
    // The recording pattern: two buffers of 2205 frames, each added again
    // when it comes back full, until Stop resets the device.
    const WaveFormat f = WaveFormat::pcm(11025, 8, 1);
    std::vector<uint8_t> take;
    bool stopping = false;
    WaveInHandle h = 0;
    ASSERT_EQ(waveInOpen(&h, kWaveMapper, f, [&](WaveInHandle self, WaveHeader* x) {
                  take.insert(take.end(), x->lpData, x->lpData + x->dwBytesRecorded);
                  if (!stopping && x->dwBytesRecorded == x->dwBufferLength) waveInAddBuffer(self, x);
              }),
              kWaveOk);
    Buffer a(2205), b(2205);
    add(h, a);
    add(h, b);
    waveInStart(h);
    for (int i = 0; i < 12; ++i) {
        pumpVirtualAudio(100);
        deliverWaveNotices();
    }
    pumpVirtualAudio(34);
    stopping = true;
    waveInReset(h);
    EXPECT_EQ(waveInUnprepareHeader(h, &a.header), kWaveOk);
    EXPECT_EQ(waveInUnprepareHeader(h, &b.header), kWaveOk);
    waveInClose(h);
    ASSERT_EQ(take.size(), 1234u * 11025u / 1000u);
    for (size_t i = 0; i < take.size(); ++i) {
        const double v = 0.5 * std::sin(2.0 * M_PI * 440.0 / 11025.0 * static_cast<double>(i));
        ASSERT_EQ(take[i], 127 + static_cast<int>(std::nearbyint(static_cast<float>(v) * 127.0f))) << i;
    }
}

TEST_F(WaveInTest, NothingArrivesAfterClose) {
    Recorded r;
    WaveInHandle h = openIn(r);
    Buffer a, b;
    add(h, a);
    add(h, b);
    waveInStart(h);
    pumpVirtualAudio(30);
    EXPECT_EQ(waveInClose(h), kWaveOk);
    EXPECT_EQ(pendingWaveNotices(), 0u);
    pumpVirtualAudio(1000);
    EXPECT_EQ(deliverWaveNotices(), 0u);
    EXPECT_TRUE(r.order.empty());
    EXPECT_EQ(a.header.dwBytesRecorded, 400u);
    EXPECT_EQ(b.header.dwBytesRecorded, 80u);
    EXPECT_TRUE(b.header.dwFlags & kWaveHeaderDone);

    EXPECT_EQ(waveInAddBuffer(h, &a.header), kWaveInvalidHandle);
    EXPECT_EQ(waveInStart(h), kWaveInvalidHandle);
    EXPECT_EQ(waveInReset(h), kWaveInvalidHandle);
    EXPECT_EQ(waveInUnprepareHeader(h, &a.header), kWaveInvalidHandle);
    EXPECT_EQ(waveInClose(h), kWaveInvalidHandle);
}

TEST_F(WaveInTest, BuffersAreCheckedBeforeQueuing) {
    Recorded r;
    WaveInHandle h = openIn(r);
    Buffer a;
    EXPECT_EQ(waveInAddBuffer(h, &a.header), kWaveUnprepared);
    add(h, a);
    EXPECT_EQ(waveInAddBuffer(h, &a.header), kWaveStillPlaying);
    EXPECT_EQ(waveInUnprepareHeader(h, &a.header), kWaveStillPlaying);
    Buffer empty(0);
    empty.header.dwFlags = 0;
    waveInPrepareHeader(h, &empty.header);
    EXPECT_EQ(waveInAddBuffer(h, &empty.header), kWaveInvalidParam);
    waveInReset(h);
    waveInClose(h);
}

TEST_F(WaveInTest, FullScaleEightBitStereoSpansTheWholeRange) {
    setVirtualInputSignal(1000.0, 1.0);
    Recorded r;
    WaveInHandle h = openIn(r, WaveFormat::pcm(8000, 8, 2));
    Buffer a(1600);
    add(h, a);
    waveInStart(h);
    pumpVirtualAudio(100);
    ASSERT_EQ(deliverWaveNotices(), 1u);
    int lo = 255, hi = 0;
    for (size_t i = 0; i < a.data.size(); i += 2) {
        ASSERT_EQ(a.data[i], a.data[i + 1]) << "both channels carry the signal";
        lo = std::min<int>(lo, a.data[i]);
        hi = std::max<int>(hi, a.data[i]);
    }
    EXPECT_EQ(lo, 0);
    EXPECT_EQ(hi, 254);
    EXPECT_EQ(a.data[0], 127) << "silence of 8-bit samples";
    waveInReset(h);
    waveInClose(h);
}

} // namespace
} // namespace sv::test

// The virtual device: plays into nothing and records a test signal, at the
// pace of a real card (its own thread) or of pumpVirtualAudio() in manual
// mode. It stands in for a card where PortAudio finds none, and in tests.
#include "platform/audio/audio_backend.h"
#include "platform/audio/audio_capture.h"
#include "platform/audio/wave_internal.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace sv {
namespace audio {
namespace {

using Clock = std::chrono::steady_clock;

struct VirtualStream {
    uint32_t handle = 0;
    std::shared_ptr<OutputCore> out;  // exactly one of out / in
    std::shared_ptr<InputCore> in;
    uint32_t rate = 0;
    int channels = 1;
    uint64_t framesDone = 0;   // frames consumed or produced since the open
    uint64_t msPumped = 0;     // manual mode
    bool capturing = false;    // this stream feeds the capture file
    Clock::time_point start;   // real-time mode: when frame 0 was due
};

struct VirtualDevice {
    std::mutex m;  // guards everything below; held while streams advance
    std::condition_variable cv;
    std::vector<VirtualStream*> streams;
    bool manual = false;
    bool threadRunning = false;
    bool stopThread = false;
    std::thread thread;
    VirtualOutputTap tap;
    CaptureFile capture;
    VirtualStream* captureOwner = nullptr;
    double hz = 440.0;
    double amplitude = 0.5;
    std::vector<float> scratch;
};

// Never destroyed: its thread may still run while the program exits.
VirtualDevice& device() {
    static VirtualDevice* d = new VirtualDevice;
    return *d;
}

constexpr size_t kChunkFrames = 1024;

// Moves a stream on to `target` frames since its open. Caller holds d.m.
void advance(VirtualDevice& d, VirtualStream& s, uint64_t target) {
    const size_t ch = static_cast<size_t>(s.channels);
    if (d.scratch.size() < kChunkFrames * ch) d.scratch.resize(kChunkFrames * 2);
    const double w = 2.0 * M_PI * d.hz / static_cast<double>(s.rate);
    while (s.framesDone < target) {
        const size_t n = static_cast<size_t>(std::min<uint64_t>(kChunkFrames, target - s.framesDone));
        if (s.out) {
            if (d.tap || s.capturing) {
                s.out->render(d.scratch.data(), n);
                if (d.tap) d.tap(s.handle, d.scratch.data(), n, s.channels);
                if (s.capturing) d.capture.append(d.scratch.data(), n);
            } else {
                s.out->render(nullptr, n);
            }
        } else {
            // From the frame index, so the signal does not depend on how the
            // time was cut into pumps.
            for (size_t i = 0; i < n; ++i) {
                const double idx = static_cast<double>(s.framesDone + i);
                const float v = static_cast<float>(d.amplitude * std::sin(w * idx));
                for (size_t c = 0; c < ch; ++c) d.scratch[i * ch + c] = v;
            }
            s.in->capture(d.scratch.data(), n);
        }
        s.framesDone += n;
    }
}

uint64_t framesAt(const VirtualStream& s, Clock::time_point now) {
    if (now <= s.start) return 0;
    const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(now - s.start).count();
    return static_cast<uint64_t>(static_cast<long double>(ns) * s.rate / 1e9L);
}

void threadMain() {
    VirtualDevice& d = device();
    std::unique_lock<std::mutex> lk(d.m);
    while (!d.stopThread) {
        const auto now = Clock::now();
        for (VirtualStream* s : d.streams) {
            // A stall (a debugger, a suspended machine) is caught up at most
            // a second at a time, so one pass never runs long.
            const uint64_t target = std::min<uint64_t>(framesAt(*s, now), s->framesDone + s->rate);
            advance(d, *s, target);
        }
        if (d.streams.empty()) d.cv.wait(lk);
        else d.cv.wait_for(lk, std::chrono::milliseconds(5));
    }
}

// Caller holds d.m.
void startThreadLocked(VirtualDevice& d) {
    if (d.threadRunning || d.manual) return;
    d.stopThread = false;
    d.threadRunning = true;
    d.thread = std::thread(threadMain);
}

void attach(VirtualStream* s) {
    VirtualDevice& d = device();
    std::lock_guard<std::mutex> lk(d.m);
    if (std::find(d.streams.begin(), d.streams.end(), s) != d.streams.end()) return;
    s->start = Clock::now();
    if (s->out && !d.captureOwner) {
        const std::string path = capturePath();
        if (!path.empty() && d.capture.begin(path, s->out->format())) {
            d.captureOwner = s;
            s->capturing = true;
        }
    }
    d.streams.push_back(s);
    startThreadLocked(d);
    d.cv.notify_all();
}

void detach(VirtualStream* s) {
    VirtualDevice& d = device();
    std::lock_guard<std::mutex> lk(d.m);
    d.streams.erase(std::remove(d.streams.begin(), d.streams.end(), s), d.streams.end());
    if (d.captureOwner == s) {
        d.capture.flush();
        d.captureOwner = nullptr;
        s->capturing = false;
    }
}

class VirtualLink : public DeviceLink {
public:
    explicit VirtualLink(VirtualStream s) : s_(std::move(s)) {}
    ~VirtualLink() override { stop(); }
    WaveResult start() override {
        attach(&s_);
        return kWaveOk;
    }
    void stop() override { detach(&s_); }

private:
    VirtualStream s_;
};

} // namespace

WaveResult virtualDeviceCaps(bool output, int device, WaveDeviceCaps* caps) {
    if (device != kWaveMapper && device != 0) return kWaveBadDeviceId;
    *caps = WaveDeviceCaps{};
    if (device == kWaveMapper) caps->name = output ? "Default output" : "Default input";
    else caps->name = output ? "Virtual output" : "Virtual input";
    caps->channels = 2;
    caps->formats = kWaveFormatAll;
    return kWaveOk;
}

std::unique_ptr<DeviceLink> virtualOpenOutput(uint32_t handle, std::shared_ptr<OutputCore> core) {
    // The virtual card takes the stream's own rate and channels: nothing to
    // convert, and a block lasts exactly its frames.
    core->setDevice(core->format().nSamplesPerSec, core->format().nChannels, 0);
    VirtualStream s;
    s.handle = handle;
    s.rate = core->format().nSamplesPerSec;
    s.channels = core->format().nChannels;
    s.out = std::move(core);
    return std::make_unique<VirtualLink>(std::move(s));
}

std::unique_ptr<DeviceLink> virtualOpenInput(std::shared_ptr<InputCore> core) {
    core->setDevice(core->format().nSamplesPerSec, core->format().nChannels);
    VirtualStream s;
    s.rate = core->format().nSamplesPerSec;
    s.channels = core->format().nChannels;
    s.in = std::move(core);
    return std::make_unique<VirtualLink>(std::move(s));
}

} // namespace audio

void setVirtualAudioManual(bool manual) {
    audio::VirtualDevice& d = audio::device();
    std::thread finished;
    {
        std::lock_guard<std::mutex> lk(d.m);
        if (d.manual == manual) return;
        d.manual = manual;
        if (manual) {
            if (d.threadRunning) {
                d.stopThread = true;
                d.threadRunning = false;
                finished = std::move(d.thread);
                d.cv.notify_all();
            }
            for (audio::VirtualStream* s : d.streams) s->msPumped = s->framesDone * 1000 / s->rate;
        } else {
            // Real time resumes from where the pumps left each stream.
            const auto now = audio::Clock::now();
            for (audio::VirtualStream* s : d.streams) {
                const auto back = std::chrono::nanoseconds(
                    static_cast<int64_t>(static_cast<long double>(s->framesDone) * 1e9L / s->rate));
                s->start = now - std::chrono::duration_cast<audio::Clock::duration>(back);
            }
            if (!d.streams.empty()) audio::startThreadLocked(d);
        }
    }
    if (finished.joinable()) finished.join();
}

bool virtualAudioManual() {
    audio::VirtualDevice& d = audio::device();
    std::lock_guard<std::mutex> lk(d.m);
    return d.manual;
}

void pumpVirtualAudio(uint32_t ms) {
    audio::VirtualDevice& d = audio::device();
    std::lock_guard<std::mutex> lk(d.m);
    if (!d.manual) return;
    for (audio::VirtualStream* s : d.streams) {
        s->msPumped += ms;
        audio::advance(d, *s, s->msPumped * s->rate / 1000);
    }
}

void setVirtualInputSignal(double hz, double amplitude) {
    audio::VirtualDevice& d = audio::device();
    std::lock_guard<std::mutex> lk(d.m);
    d.hz = hz;
    d.amplitude = std::clamp(amplitude, 0.0, 1.0);
}

void setVirtualOutputTap(VirtualOutputTap tap) {
    audio::VirtualDevice& d = audio::device();
    std::lock_guard<std::mutex> lk(d.m);
    d.tap = std::move(tap);
}

} // namespace sv

// PortAudio back end. Streams run in float at a rate the card accepts; the
// cores convert from and to the format the window asked for, so no PCM
// rate is ever refused.
#include "platform/audio/audio_backend.h"
#include "platform/audio/wave_internal.h"

#include <portaudio.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <mutex>
#include <string>
#include <unistd.h>

namespace sv {
namespace audio {
namespace {

// ALSA and JACK print pages of probing chatter to stderr while PortAudio
// enumerates or opens devices; none of it is actionable for the user.
class QuietStderr {
public:
    QuietStderr() {
        std::fflush(stderr);
        saved_ = ::dup(2);
        const int nul = ::open("/dev/null", O_WRONLY);
        if (saved_ >= 0 && nul >= 0) ::dup2(nul, 2);
        if (nul >= 0) ::close(nul);
    }
    ~QuietStderr() {
        std::fflush(stderr);
        if (saved_ >= 0) {
            ::dup2(saved_, 2);
            ::close(saved_);
        }
    }
    QuietStderr(const QuietStderr&) = delete;
    QuietStderr& operator=(const QuietStderr&) = delete;

private:
    int saved_ = -1;
};

bool portAudioReady() {
    static std::once_flag once;
    static bool ok = false;
    std::call_once(once, [] {
        QuietStderr quiet;
        ok = Pa_Initialize() == paNoError;
    });
    return ok;
}

bool hasChannels(const PaDeviceInfo* d, bool output) {
    return d && (output ? d->maxOutputChannels : d->maxInputChannels) > 0;
}

// The devices of one direction on the default host API (ALSA on Linux),
// so the same card is not listed once per host API.
std::vector<PaDeviceIndex> devicesOf(bool output) {
    std::vector<PaDeviceIndex> list;
    if (!portAudioReady()) return list;
    const PaHostApiIndex api = Pa_GetDefaultHostApi();
    const PaHostApiInfo* info = api >= 0 ? Pa_GetHostApiInfo(api) : nullptr;
    if (!info) return list;
    for (int i = 0; i < info->deviceCount; ++i) {
        const PaDeviceIndex idx = Pa_HostApiDeviceIndexToDeviceIndex(api, i);
        if (idx >= 0 && hasChannels(Pa_GetDeviceInfo(idx), output)) list.push_back(idx);
    }
    return list;
}

PaDeviceIndex resolve(bool output, int device) {
    if (!portAudioReady()) return paNoDevice;
    if (device == kWaveMapper) {
        const PaHostApiIndex api = Pa_GetDefaultHostApi();
        const PaHostApiInfo* info = api >= 0 ? Pa_GetHostApiInfo(api) : nullptr;
        PaDeviceIndex idx = info ? (output ? info->defaultOutputDevice : info->defaultInputDevice) : paNoDevice;
        if (idx == paNoDevice) idx = output ? Pa_GetDefaultOutputDevice() : Pa_GetDefaultInputDevice();
        return hasChannels(idx >= 0 ? Pa_GetDeviceInfo(idx) : nullptr, output) ? idx : paNoDevice;
    }
    const std::vector<PaDeviceIndex> list = devicesOf(output);
    if (device < 0 || device >= static_cast<int>(list.size())) return paNoDevice;
    return list[static_cast<size_t>(device)];
}

WaveResult fromPaError(PaError e) {
    switch (e) {
    case paNoError: return kWaveOk;
    case paInsufficientMemory: return kWaveNoMemory;
    case paInvalidDevice:
    case paDeviceUnavailable: return kWaveAllocated;
    case paInvalidChannelCount:
    case paInvalidSampleRate:
    case paSampleFormatNotSupported:
    case paIncompatibleHostApiSpecificStreamInfo: return kWaveBadFormat;
    case paNotInitialized:
    case paHostApiNotFound:
    case paInvalidHostApi: return kWaveNoDriver;
    default: return kWaveError;
    }
}

int outputCallback(const void*, void* out, unsigned long frames, const PaStreamCallbackTimeInfo*,
                   PaStreamCallbackFlags, void* user) {
    static_cast<OutputCore*>(user)->render(static_cast<float*>(out), frames);
    return paContinue;
}

int inputCallback(const void* in, void*, unsigned long frames, const PaStreamCallbackTimeInfo*,
                  PaStreamCallbackFlags, void* user) {
    if (in) static_cast<InputCore*>(user)->capture(static_cast<const float*>(in), frames);
    return paContinue;
}

class PaLink : public DeviceLink {
public:
    PaLink(PaStream* s, std::shared_ptr<void> core) : stream_(s), core_(std::move(core)) {}
    ~PaLink() override { stop(); }
    WaveResult start() override {
        if (!stream_) return kWaveInvalidHandle;
        if (running_) return kWaveOk;
        const PaError e = Pa_StartStream(stream_);
        running_ = e == paNoError;
        return fromPaError(e);
    }
    void stop() override {
        if (!stream_) return;
        // Abort rather than drain: the caller has already taken its buffers
        // back, and it returns only once the callback has finished.
        if (running_) Pa_AbortStream(stream_);
        Pa_CloseStream(stream_);
        stream_ = nullptr;
        running_ = false;
    }

private:
    PaStream* stream_;
    std::shared_ptr<void> core_;  // outlives every callback of the stream
    bool running_ = false;
};

// Opens a float stream on `idx` at the stream's own rate when the card
// takes it, else at the card's default rate.
PaStream* openStream(bool output, PaDeviceIndex idx, const WaveFormat& f, void* core, double& rate,
                     int& channels, double& latency, WaveResult& result) {
    const PaDeviceInfo* di = Pa_GetDeviceInfo(idx);
    const int maxCh = output ? di->maxOutputChannels : di->maxInputChannels;
    channels = std::max(1, std::min<int>(maxCh, f.nChannels));
    PaStreamParameters p{};
    p.device = idx;
    p.channelCount = channels;
    p.sampleFormat = paFloat32;
    p.suggestedLatency = output ? di->defaultHighOutputLatency : di->defaultHighInputLatency;
    const PaStreamParameters* inP = output ? nullptr : &p;
    const PaStreamParameters* outP = output ? &p : nullptr;

    QuietStderr quiet;
    rate = f.nSamplesPerSec;
    if (Pa_IsFormatSupported(inP, outP, rate) != paFormatIsSupported) rate = std::round(di->defaultSampleRate);
    PaStream* s = nullptr;
    const PaError e = Pa_OpenStream(&s, inP, outP, rate, paFramesPerBufferUnspecified, paNoFlag,
                                    output ? outputCallback : inputCallback, core);
    if (e != paNoError) {
        result = fromPaError(e);
        return nullptr;
    }
    const PaStreamInfo* info = Pa_GetStreamInfo(s);
    if (info) {
        rate = info->sampleRate;
        latency = output ? info->outputLatency : info->inputLatency;
    }
    result = kWaveOk;
    return s;
}

} // namespace

bool portAudioHasDevice(bool output) { return resolve(output, kWaveMapper) != paNoDevice; }

int portAudioDeviceCount(bool output) { return static_cast<int>(devicesOf(output).size()); }

WaveResult portAudioDeviceCaps(bool output, int device, WaveDeviceCaps* caps) {
    const PaDeviceIndex idx = resolve(output, device);
    if (idx == paNoDevice) return portAudioReady() ? kWaveBadDeviceId : kWaveNoDriver;
    const PaDeviceInfo* di = Pa_GetDeviceInfo(idx);
    *caps = WaveDeviceCaps{};
    caps->name = device == kWaveMapper ? (output ? "Default output" : "Default input") : std::string(di->name);
    caps->driverVersion = static_cast<uint32_t>(Pa_GetVersion());
    caps->channels = static_cast<uint16_t>(std::min(2, output ? di->maxOutputChannels : di->maxInputChannels));
    caps->formats = kWaveFormatAll;
    return kWaveOk;
}

std::unique_ptr<DeviceLink> portAudioOpenOutput(int device, std::shared_ptr<OutputCore> core, WaveResult& result) {
    const PaDeviceIndex idx = resolve(true, device);
    if (idx == paNoDevice) {
        result = portAudioReady() ? kWaveBadDeviceId : kWaveNoDriver;
        return nullptr;
    }
    double rate = 0, latency = 0;
    int channels = 1;
    PaStream* s = openStream(true, idx, core->format(), core.get(), rate, channels, latency, result);
    if (!s) return nullptr;
    const uint32_t devRate = static_cast<uint32_t>(std::lround(rate));
    core->setDevice(devRate, channels, static_cast<uint64_t>(std::max(0.0, latency) * devRate));
    return std::make_unique<PaLink>(s, std::move(core));
}

std::unique_ptr<DeviceLink> portAudioOpenInput(int device, std::shared_ptr<InputCore> core, WaveResult& result) {
    const PaDeviceIndex idx = resolve(false, device);
    if (idx == paNoDevice) {
        result = portAudioReady() ? kWaveBadDeviceId : kWaveNoDriver;
        return nullptr;
    }
    double rate = 0, latency = 0;
    int channels = 1;
    PaStream* s = openStream(false, idx, core->format(), core.get(), rate, channels, latency, result);
    if (!s) return nullptr;
    core->setDevice(static_cast<uint32_t>(std::lround(rate)), channels);
    return std::make_unique<PaLink>(s, std::move(core));
}

// ---------------------------------------------------------------- choice

namespace {
std::atomic<int> g_backend{static_cast<int>(AudioBackend::Auto)};

AudioBackend fromEnvironment() {
    const char* v = std::getenv("SONVELA_AUDIO");
    if (!v) return AudioBackend::Auto;
    std::string s(v);
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (s == "virtual") return AudioBackend::Virtual;
    if (s == "portaudio") return AudioBackend::PortAudio;
    return AudioBackend::Auto;
}
} // namespace

bool useVirtualDevice(bool output) { return audioBackendInUse(output) == AudioBackend::Virtual; }

} // namespace audio

void setAudioBackend(AudioBackend backend) { audio::g_backend = static_cast<int>(backend); }

AudioBackend audioBackendInUse(bool output) {
    AudioBackend b = static_cast<AudioBackend>(audio::g_backend.load());
    if (b == AudioBackend::Auto) b = audio::fromEnvironment();
    if (b != AudioBackend::Auto) return b;
    return audio::portAudioHasDevice(output) ? AudioBackend::PortAudio : AudioBackend::Virtual;
}

} // namespace sv

#include "platform/audio/wave_out.h"

#include "platform/audio/wave_internal.h"

#include <algorithm>
#include <map>

namespace sv {
namespace audio {
namespace {

struct OutHandle {
    std::shared_ptr<OutputCore> core;
    std::unique_ptr<DeviceLink> link;
    WaveOutCallback callback;
    // Headers written and not yet handed back. Held on the UI side so that
    // a copy of a header (its owner may keep one) is never taken for it.
    std::vector<WaveHeader*> inFlight;
};

// UI thread only. Never destroyed, like the device threads it feeds.
std::map<uint32_t, std::unique_ptr<OutHandle>>& outHandles() {
    static auto* m = new std::map<uint32_t, std::unique_ptr<OutHandle>>;
    return *m;
}

OutHandle* findOut(WaveOutHandle h) {
    auto& m = outHandles();
    auto it = m.find(h);
    return it == m.end() ? nullptr : it->second.get();
}

bool isInFlight(const OutHandle& o, const WaveHeader* h) {
    return std::find(o.inFlight.begin(), o.inFlight.end(), h) != o.inFlight.end();
}

void markDone(WaveHeader* h) { h->dwFlags = (h->dwFlags | kWaveHeaderDone) & ~kWaveHeaderInQueue; }

// Takes everything back from the device side without a callback.
void handBackAll(OutHandle& o, WaveOutHandle h) {
    o.core->reset();
    takeWaveNotices(false, h);
    for (WaveHeader* hdr : o.inFlight) markDone(hdr);
    o.inFlight.clear();
}

bool badHeader(const WaveHeader* h) { return !h || (!h->lpData && h->dwBufferLength > 0); }

} // namespace

bool dispatchOutNotice(const WaveNotice& n) {
    OutHandle* o = findOut(n.handle);
    if (!o || n.generation != o->core->generation()) return false;
    auto it = std::find(o->inFlight.begin(), o->inFlight.end(), n.header);
    if (it == o->inFlight.end()) return false;
    o->inFlight.erase(it);
    markDone(n.header);
    // A copy: the callback may close the handle and free `o`.
    WaveOutCallback cb = o->callback;
    if (cb) cb(n.handle, n.header);
    return true;
}

WaveResult checkPcmFormat(const WaveFormat& f) {
    if (f.wFormatTag != 1) return kWaveBadFormat;
    if (f.nChannels != 1 && f.nChannels != 2) return kWaveBadFormat;
    if (f.wBitsPerSample != 8 && f.wBitsPerSample != 16) return kWaveBadFormat;
    if (f.nSamplesPerSec < 1 || f.nSamplesPerSec > 768000) return kWaveBadFormat;
    if (f.nBlockAlign != f.nChannels * (f.wBitsPerSample / 8)) return kWaveBadFormat;
    return kWaveOk;
}

} // namespace audio

using namespace audio;

int waveOutGetNumDevs() { return useVirtualDevice(true) ? 1 : portAudioDeviceCount(true); }

WaveResult waveOutGetDevCaps(int device, WaveDeviceCaps* caps) {
    if (!caps) return kWaveInvalidParam;
    return useVirtualDevice(true) ? virtualDeviceCaps(true, device, caps) : portAudioDeviceCaps(true, device, caps);
}

WaveResult waveOutOpen(WaveOutHandle* handle, int device, const WaveFormat& format, WaveOutCallback callback) {
    if (!handle) return kWaveInvalidParam;
    *handle = 0;
    if (device < kWaveMapper) return kWaveBadDeviceId;
    WaveResult r = checkPcmFormat(format);
    if (r != kWaveOk) return r;
    const uint32_t id = newHandleId();
    auto core = std::make_shared<OutputCore>(id, format);
    std::unique_ptr<DeviceLink> link;
    if (useVirtualDevice(true)) {
        if (device != kWaveMapper && device != 0) return kWaveBadDeviceId;
        link = virtualOpenOutput(id, core);
    } else {
        link = portAudioOpenOutput(device, core, r);
        if (!link) return r;
    }
    r = link->start();
    if (r != kWaveOk) return r;
    auto o = std::make_unique<OutHandle>();
    o->core = std::move(core);
    o->link = std::move(link);
    o->callback = std::move(callback);
    outHandles()[id] = std::move(o);
    *handle = id;
    return kWaveOk;
}

WaveResult waveOutPrepareHeader(WaveOutHandle handle, WaveHeader* header) {
    OutHandle* o = findOut(handle);
    if (!o) return kWaveInvalidHandle;
    if (badHeader(header)) return kWaveInvalidParam;
    if (isInFlight(*o, header)) return kWaveStillPlaying;
    header->dwFlags |= kWaveHeaderPrepared;
    return kWaveOk;
}

WaveResult waveOutUnprepareHeader(WaveOutHandle handle, WaveHeader* header) {
    OutHandle* o = findOut(handle);
    if (!o) return kWaveInvalidHandle;
    if (!header) return kWaveInvalidParam;
    if (isInFlight(*o, header)) return kWaveStillPlaying;
    header->dwFlags &= ~kWaveHeaderPrepared;
    return kWaveOk;
}

WaveResult waveOutWrite(WaveOutHandle handle, WaveHeader* header) {
    OutHandle* o = findOut(handle);
    if (!o) return kWaveInvalidHandle;
    if (badHeader(header)) return kWaveInvalidParam;
    if (!(header->dwFlags & kWaveHeaderPrepared)) return kWaveUnprepared;
    if (isInFlight(*o, header)) return kWaveStillPlaying;
    header->dwFlags = (header->dwFlags & ~kWaveHeaderDone) | kWaveHeaderInQueue;
    o->inFlight.push_back(header);
    o->core->queue(header);
    return kWaveOk;
}

WaveResult waveOutPause(WaveOutHandle handle) {
    OutHandle* o = findOut(handle);
    if (!o) return kWaveInvalidHandle;
    o->core->setPaused(true);
    return kWaveOk;
}

WaveResult waveOutRestart(WaveOutHandle handle) {
    OutHandle* o = findOut(handle);
    if (!o) return kWaveInvalidHandle;
    o->core->setPaused(false);
    return kWaveOk;
}

WaveResult waveOutReset(WaveOutHandle handle) {
    OutHandle* o = findOut(handle);
    if (!o) return kWaveInvalidHandle;
    handBackAll(*o, handle);
    return kWaveOk;
}

WaveResult waveOutClose(WaveOutHandle handle) {
    OutHandle* o = findOut(handle);
    if (!o) return kWaveInvalidHandle;
    // The device first: once it has stopped, no thread touches the queue.
    o->link->stop();
    handBackAll(*o, handle);
    outHandles().erase(handle);
    return kWaveOk;
}

} // namespace sv

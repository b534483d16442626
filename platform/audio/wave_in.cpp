#include "platform/audio/wave_in.h"

#include "platform/audio/wave_internal.h"

#include <algorithm>
#include <map>

namespace sv {
namespace audio {
namespace {

struct InHandle {
    std::shared_ptr<InputCore> core;
    std::unique_ptr<DeviceLink> link;
    WaveInCallback callback;
    std::vector<WaveHeader*> inFlight;  // added and not yet handed back
};

// UI thread only. Never destroyed, like the device threads it feeds.
std::map<uint32_t, std::unique_ptr<InHandle>>& inHandles() {
    static auto* m = new std::map<uint32_t, std::unique_ptr<InHandle>>;
    return *m;
}

InHandle* findIn(WaveInHandle h) {
    auto& m = inHandles();
    auto it = m.find(h);
    return it == m.end() ? nullptr : it->second.get();
}

bool isInFlight(const InHandle& o, const WaveHeader* h) {
    return std::find(o.inFlight.begin(), o.inFlight.end(), h) != o.inFlight.end();
}

bool removeInFlight(InHandle& o, WaveHeader* h) {
    auto it = std::find(o.inFlight.begin(), o.inFlight.end(), h);
    if (it == o.inFlight.end()) return false;
    o.inFlight.erase(it);
    return true;
}

void markDone(WaveHeader* h, uint32_t bytes) {
    h->dwBytesRecorded = bytes;
    h->dwFlags = (h->dwFlags | kWaveHeaderDone) & ~kWaveHeaderInQueue;
}

// Hands one buffer to its owner; the handle may be gone when it returns.
void handBack(WaveInHandle handle, WaveHeader* h, uint32_t bytes) {
    InHandle* o = findIn(handle);
    if (o) removeInFlight(*o, h);
    markDone(h, bytes);
    if (!o) return;
    WaveInCallback cb = o->callback;  // the callback may close the handle
    if (cb) cb(handle, h);
}

bool badHeader(const WaveHeader* h) { return !h || (!h->lpData && h->dwBufferLength > 0); }

} // namespace

bool dispatchInNotice(const WaveNotice& n) {
    InHandle* o = findIn(n.handle);
    if (!o || n.generation != o->core->generation() || !isInFlight(*o, n.header)) return false;
    handBack(n.handle, n.header, n.bytes);
    return true;
}

} // namespace audio

using namespace audio;

int waveInGetNumDevs() { return useVirtualDevice(false) ? 1 : portAudioDeviceCount(false); }

WaveResult waveInGetDevCaps(int device, WaveDeviceCaps* caps) {
    if (!caps) return kWaveInvalidParam;
    return useVirtualDevice(false) ? virtualDeviceCaps(false, device, caps) : portAudioDeviceCaps(false, device, caps);
}

WaveResult waveInOpen(WaveInHandle* handle, int device, const WaveFormat& format, WaveInCallback callback) {
    if (!handle) return kWaveInvalidParam;
    *handle = 0;
    if (device < kWaveMapper) return kWaveBadDeviceId;
    WaveResult r = checkPcmFormat(format);
    if (r != kWaveOk) return r;
    const uint32_t id = newHandleId();
    auto core = std::make_shared<InputCore>(id, format);
    std::unique_ptr<DeviceLink> link;
    if (useVirtualDevice(false)) {
        if (device != kWaveMapper && device != 0) return kWaveBadDeviceId;
        link = virtualOpenInput(core);
    } else {
        link = portAudioOpenInput(device, core, r);
        if (!link) return r;
    }
    auto o = std::make_unique<InHandle>();
    o->core = std::move(core);
    o->link = std::move(link);
    o->callback = std::move(callback);
    inHandles()[id] = std::move(o);
    *handle = id;
    return kWaveOk;
}

WaveResult waveInPrepareHeader(WaveInHandle handle, WaveHeader* header) {
    InHandle* o = findIn(handle);
    if (!o) return kWaveInvalidHandle;
    if (badHeader(header)) return kWaveInvalidParam;
    if (isInFlight(*o, header)) return kWaveStillPlaying;
    header->dwFlags |= kWaveHeaderPrepared;
    return kWaveOk;
}

WaveResult waveInUnprepareHeader(WaveInHandle handle, WaveHeader* header) {
    InHandle* o = findIn(handle);
    if (!o) return kWaveInvalidHandle;
    if (!header) return kWaveInvalidParam;
    if (isInFlight(*o, header)) return kWaveStillPlaying;
    header->dwFlags &= ~kWaveHeaderPrepared;
    return kWaveOk;
}

WaveResult waveInAddBuffer(WaveInHandle handle, WaveHeader* header) {
    InHandle* o = findIn(handle);
    if (!o) return kWaveInvalidHandle;
    // An empty buffer could never be filled: it would come straight back.
    if (badHeader(header) || header->dwBufferLength == 0) return kWaveInvalidParam;
    if (!(header->dwFlags & kWaveHeaderPrepared)) return kWaveUnprepared;
    if (isInFlight(*o, header)) return kWaveStillPlaying;
    header->dwBytesRecorded = 0;
    header->dwFlags = (header->dwFlags & ~kWaveHeaderDone) | kWaveHeaderInQueue;
    o->inFlight.push_back(header);
    o->core->add(header);
    return kWaveOk;
}

WaveResult waveInStart(WaveInHandle handle) {
    InHandle* o = findIn(handle);
    if (!o) return kWaveInvalidHandle;
    o->core->startCapture();
    const WaveResult r = o->link->start();
    if (r != kWaveOk) o->core->stopCapture();
    return r;
}

WaveResult waveInReset(WaveInHandle handle) {
    InHandle* o = findIn(handle);
    if (!o) return kWaveInvalidHandle;
    // From here the audio thread posts nothing; only this thread can, by
    // adding buffers from the callbacks below.
    o->core->stopCapture();
    // Buffers filled before the reset come first, in order.
    for (;;) {
        const std::vector<WaveNotice> pending = takeWaveNotices(true, handle);
        if (pending.empty()) break;
        for (const WaveNotice& n : pending) dispatchInNotice(n);
    }
    o = findIn(handle);
    if (!o) return kWaveOk;
    const std::vector<InputCore::Returned> back = o->core->takeAll();
    for (const InputCore::Returned& r : back) handBack(handle, r.header, r.bytes);
    return kWaveOk;
}

WaveResult waveInClose(WaveInHandle handle) {
    InHandle* o = findIn(handle);
    if (!o) return kWaveInvalidHandle;
    // The device first: once it has stopped, no thread touches the buffers.
    o->link->stop();
    o->core->stopCapture();
    // Filled buffers whose notices were still on their way, then the rest.
    const uint32_t generation = o->core->generation();
    for (const WaveNotice& n : takeWaveNotices(true, handle))
        if (n.generation == generation) markDone(n.header, n.bytes);
    for (const InputCore::Returned& r : o->core->takeAll()) markDone(r.header, r.bytes);
    for (WaveHeader* h : o->inFlight) h->dwFlags = (h->dwFlags | kWaveHeaderDone) & ~kWaveHeaderInQueue;
    inHandles().erase(handle);
    return kWaveOk;
}

} // namespace sv

// Wiring between the wave calls, the notice queue and the back ends.
// Internal to platform/audio.
#pragma once
#include "platform/audio/stream_core.h"
#include "platform/audio/wave_types.h"

#include <memory>
#include <vector>

namespace sv::audio {

// Notice queue (wave_notices.cpp).
bool popWaveNotice(WaveNotice& n);
// Removes and returns the notices of one handle, in posting order.
std::vector<WaveNotice> takeWaveNotices(bool input, uint32_t handle);
uint32_t newHandleId();

// Hand a notice to its owner; false when it was stale (wave_out.cpp,
// wave_in.cpp).
bool dispatchOutNotice(const WaveNotice& n);
bool dispatchInNotice(const WaveNotice& n);

// An open stream on a back end. After stop() returns the back end no longer
// calls into the core; stop() may be called more than once.
class DeviceLink {
public:
    virtual ~DeviceLink() = default;
    virtual WaveResult start() = 0;
    virtual void stop() = 0;
};

// Which back end serves a direction, as chosen by setAudioBackend(), the
// SONVELA_AUDIO variable, or whether PortAudio finds a device.
bool useVirtualDevice(bool output);

// PortAudio (portaudio_backend.cpp). Device numbers count only the devices
// of that direction; -1 is the default one.
bool portAudioHasDevice(bool output);
int portAudioDeviceCount(bool output);
WaveResult portAudioDeviceCaps(bool output, int device, WaveDeviceCaps* caps);
std::unique_ptr<DeviceLink> portAudioOpenOutput(int device, std::shared_ptr<OutputCore> core, WaveResult& result);
std::unique_ptr<DeviceLink> portAudioOpenInput(int device, std::shared_ptr<InputCore> core, WaveResult& result);

// The virtual device (virtual_device.cpp): one output and one input, device
// number 0 (and -1).
WaveResult virtualDeviceCaps(bool output, int device, WaveDeviceCaps* caps);
std::unique_ptr<DeviceLink> virtualOpenOutput(uint32_t handle, std::shared_ptr<OutputCore> core);
std::unique_ptr<DeviceLink> virtualOpenInput(std::shared_ptr<InputCore> core);

// Shared checks of the open calls.
WaveResult checkPcmFormat(const WaveFormat& f);

} // namespace sv::audio

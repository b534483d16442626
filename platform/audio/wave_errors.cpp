#include "platform/audio/wave_types.h"

namespace sv {
namespace {

const char* commonText(int result) {
    switch (result) {
    case kWaveOk: return "The operation completed successfully.";
    case kWaveError: return "The sound device reported an unspecified error.";
    case kWaveBadDeviceId: return "The sound device number is out of range.";
    case kWaveAllocated: return "The sound device is already in use.";
    case kWaveInvalidHandle: return "The sound device is not open.";
    case kWaveNoDriver: return "No sound device is installed.";
    case kWaveNoMemory: return "There is not enough memory for the sound device.";
    case kWaveInvalidParam: return "An invalid buffer was passed to the sound device.";
    case kWaveBadFormat: return "The sound device cannot use this sound format.";
    case kWaveUnprepared: return "The buffer was not prepared for the sound device.";
    default: return nullptr;
    }
}

std::string unknownText(int result) { return "Unknown sound device error " + std::to_string(result) + "."; }

} // namespace

std::string waveOutGetErrorText(int result) {
    if (result == kWaveStillPlaying) return "The buffer is still queued for playing.";
    const char* t = commonText(result);
    return t ? t : unknownText(result);
}

std::string waveInGetErrorText(int result) {
    if (result == kWaveStillPlaying) return "The buffer is still queued for recording.";
    const char* t = commonText(result);
    return t ? t : unknownText(result);
}

} // namespace sv

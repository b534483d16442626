// Types shared by the wave-out and wave-in calls: the PCM format a device is
// opened with, the buffer header a window queues, result codes, device
// capabilities and handles.
//
// Threading: every call of the wave layer is made on the UI thread. The
// audio thread (a PortAudio callback or the virtual device's clock) only
// copies samples to or from queued buffers and posts completion notices;
// the notices reach the owner's callback on the UI thread, in order, through
// deliverWaveNotices() (wave_notices.h).
#pragma once
#include <cstdint>
#include <functional>
#include <string>

namespace sv {

// A PCM format as a device is opened with it. Field for field the same as
// the sound's SampleFormat, so waveFormatOf() takes either.
struct WaveFormat {
    int16_t wFormatTag = 1;   // 1 = PCM, the only tag a device accepts
    uint16_t nChannels = 1;
    uint32_t nSamplesPerSec = 22050;
    uint32_t nAvgBytesPerSec = 22050;
    uint16_t nBlockAlign = 1;
    uint16_t wBitsPerSample = 8;

    static WaveFormat pcm(uint32_t rate, int bits, int channels) {
        WaveFormat f;
        f.nChannels = static_cast<uint16_t>(channels);
        f.nSamplesPerSec = rate;
        f.wBitsPerSample = static_cast<uint16_t>(bits);
        f.nBlockAlign = static_cast<uint16_t>(channels * (bits / 8));
        f.nAvgBytesPerSec = rate * f.nBlockAlign;
        return f;
    }
};

// Copies the device-relevant fields of any record that names them like
// WaveFormat (the sound's SampleFormat does).
template <class Format>
WaveFormat waveFormatOf(const Format& s) {
    WaveFormat f;
    f.wFormatTag = static_cast<int16_t>(s.wFormatTag);
    f.nChannels = s.nChannels;
    f.nSamplesPerSec = s.nSamplesPerSec;
    f.nAvgBytesPerSec = s.nAvgBytesPerSec;
    f.nBlockAlign = s.nBlockAlign;
    f.wBitsPerSample = s.wBitsPerSample;
    return f;
}

// Header flags. The owner sets dwFlags to 0 before preparing; the layer
// sets the rest.
constexpr uint32_t kWaveHeaderDone = 0x1;      // handed back by the device
constexpr uint32_t kWaveHeaderPrepared = 0x2;
constexpr uint32_t kWaveHeaderInQueue = 0x4;   // queued, not yet handed back

// One buffer queued on a device. The owner keeps the header and its data
// alive, unchanged, from write/add until the buffer is handed back (its
// notice, or a reset or close of the handle). The audio thread never
// touches the header itself, only the bytes at lpData.
struct WaveHeader {
    uint8_t* lpData = nullptr;
    uint32_t dwBufferLength = 0;
    uint32_t dwBytesRecorded = 0;  // wave-in: bytes filled when handed back
    uint32_t dwFlags = 0;
};

enum WaveResult : int {
    kWaveOk = 0,
    kWaveError = 1,             // unspecified failure of the back end
    kWaveBadDeviceId = 2,
    kWaveAllocated = 3,         // device busy
    kWaveInvalidHandle = 4,
    kWaveNoDriver = 5,
    kWaveNoMemory = 6,
    kWaveInvalidParam = 7,
    kWaveBadFormat = 8,
    kWaveStillPlaying = 9,      // the header is still queued
    kWaveUnprepared = 10,       // the header was not prepared
};

// Text of a result code, at most 128 characters, for the message box that
// reports it. An unknown code has a text of its own.
std::string waveOutGetErrorText(int result);
std::string waveInGetErrorText(int result);

// Format bits of WaveDeviceCaps::formats (rate, mono/stereo, 8/16-bit).
// Every bit is set: a rate or layout the card lacks is converted.
constexpr uint32_t kWaveFormat1M08 = 0x1;    // 11025 Hz mono 8-bit
constexpr uint32_t kWaveFormat1S08 = 0x2;
constexpr uint32_t kWaveFormat1M16 = 0x4;
constexpr uint32_t kWaveFormat1S16 = 0x8;
constexpr uint32_t kWaveFormat2M08 = 0x10;   // 22050 Hz
constexpr uint32_t kWaveFormat2S08 = 0x20;
constexpr uint32_t kWaveFormat2M16 = 0x40;
constexpr uint32_t kWaveFormat2S16 = 0x80;
constexpr uint32_t kWaveFormat4M08 = 0x100;  // 44100 Hz
constexpr uint32_t kWaveFormat4S08 = 0x200;
constexpr uint32_t kWaveFormat4M16 = 0x400;
constexpr uint32_t kWaveFormat4S16 = 0x800;
constexpr uint32_t kWaveFormatAll = 0xFFF;

struct WaveDeviceCaps {
    uint16_t manufacturerId = 0;
    uint16_t productId = 0;
    uint32_t driverVersion = 0;
    std::string name;
    uint32_t formats = kWaveFormatAll;
    uint16_t channels = 2;
};

// Handles are never reused, so a stale one simply finds nothing.
// 0 is never a valid handle.
using WaveOutHandle = uint32_t;
using WaveInHandle = uint32_t;

// Called on the UI thread with the header the device handed back.
using WaveOutCallback = std::function<void(WaveOutHandle, WaveHeader*)>;
using WaveInCallback = std::function<void(WaveInHandle, WaveHeader*)>;

// Device number -1: the default device of that direction.
constexpr int kWaveMapper = -1;

} // namespace sv

// Which back end the wave devices use, and the controls of the virtual
// device.
//
// The default (Auto) is PortAudio when it finds a device of the direction
// asked for, else the virtual device, so a machine without a sound card
// (a CI runner) still plays and records. The environment variable
// SONVELA_AUDIO=virtual forces the virtual device, SONVELA_AUDIO=portaudio
// forces PortAudio. setAudioBackend() overrides both; it affects the devices
// opened after it.
//
// The virtual device consumes queued blocks, and produces input, in real
// time on its own thread; in manual mode it does nothing until
// pumpVirtualAudio() moves its clock, on the calling thread, so tests are
// deterministic.
#pragma once
#include "platform/audio/wave_types.h"

#include <cstddef>
#include <cstdint>
#include <functional>

namespace sv {

enum class AudioBackend { Auto, PortAudio, Virtual };

void setAudioBackend(AudioBackend backend);
// The back end that serves the given direction now: PortAudio or Virtual.
AudioBackend audioBackendInUse(bool output);

// Manual mode: the virtual device stands still between pumps. Switching it
// on stops the real-time thread before it returns.
void setVirtualAudioManual(bool manual);
bool virtualAudioManual();
// Moves every open virtual stream on by `ms` milliseconds of audio: outputs
// consume that much from their queues (and post the notices of the blocks
// finished), inputs capture that much of the test signal. Frames are
// counted from the open, so pumps of any size add up exactly.
void pumpVirtualAudio(uint32_t ms);

// The virtual input's test signal: a sine of `hz` at `amplitude` (0..1 of
// full scale), the same on both channels. Default 440 Hz at 0.5.
void setVirtualInputSignal(double hz, double amplitude);

// Tests: receives what each virtual output renders, as float frames at the
// stream's own rate and channel count (silence while paused or starved).
// Called on the audio thread (the pumping thread in manual mode).
using VirtualOutputTap = std::function<void(WaveOutHandle, const float* frames, size_t count, int channels)>;
void setVirtualOutputTap(VirtualOutputTap tap);

} // namespace sv

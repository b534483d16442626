// IMA/DVI ADPCM WAVE files (format tag 17) written from a sound: blocks of
// 512 bytes, each opening with every channel's first sample and step index,
// then 4-bit codes, so that any IMA ADPCM decoder reads them back.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "sound/engine/sound_buffer.h"

namespace sv {

constexpr int kDviBlockAlign = 512;

// Frames one block holds for this many channels (1 or 2).
int dviSamplesPerBlock(int channels);

// Codes one block of interleaved 16-bit frames (at most
// dviSamplesPerBlock(channels) of them; the rest is coded as silence) into
// exactly kDviBlockAlign bytes. `index` is each channel's step index,
// carried from block to block.
std::vector<uint8_t> CodificaBlock(const int16_t* frames, int count, int channels, int index[2]);

// Writes the sound (8 or 16 bits, mono or stereo) as an IMA ADPCM WAVE
// file, beside the target and renamed over it when complete. Returns 0 or
// the errno of a failure to create the file; throws FileIOError on a write
// error.
int writeDviAdpcmWave(const std::string& path, const SoundBuffer& sound);

} // namespace sv

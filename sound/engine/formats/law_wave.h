// A-law (tag 6) and mu-law (tag 7) WAVE files: one coded byte per sample.
// They are written with the canonical 44-byte header; other writers' files
// put a "fact" chunk before the data, so reading walks the chunks and falls
// back on the layout such files have (samples from byte 58) only when there
// is no chunk structure to walk.
#pragma once
#include <cstdint>
#include <string>

#include "sound/engine/formats/format_read.h"

namespace sv {

// Where the samples of a fixed-layout file start: RIFF head, 16 format
// bytes, the extra-size word, a 12-byte "fact" chunk and the data head.
constexpr int64_t kLawWaveDataOffset = 58;

// The probe of a G.711 WAVE file; the sound becomes 16-bit PCM.
FormatProbe probeLawWave(const std::string& path, bool muLaw);

// Writes the sound coded as mu-law or A-law, beside the target and renamed
// over it when complete. Returns 0, or the errno of a failure to create the
// file (EFBIG when the sound is too long for a WAVE header); throws
// FileIOError for an error while writing.
int writeLawWave(const std::string& path, const SoundBuffer& sound, bool muLaw);

} // namespace sv

// Samples exported as delimited text: a header line "channel1", "channel2"
// and one line per frame, the channels' values separated by one character
// and each line ended by one character (no carriage return is added). 8-bit
// samples are written as their stored value 0..255, 16-bit as signed values.
#pragma once
#include <string>

#include "sound/engine/sound_buffer.h"

namespace sv {

// Writes beside the target and renames it over the target when complete.
// Returns 0, or the errno of a failure to create the file; throws
// FileIOError for an error while writing.
int writeDelimitedText(const std::string& path, const SoundBuffer& sound, char separator, char lineEnd);

} // namespace sv

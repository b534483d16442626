// Sun/NeXT audio files (".snd", ".au"), read only. A big-endian header:
// magic ".snd", data offset, data size, encoding (1 mu-law, 2 8-bit signed,
// 3 16-bit signed), rate, channels; the samples follow at the data offset.
#pragma once
#include <cstdint>
#include <string>

#include "sound/engine/formats/format_read.h"

namespace sv {

constexpr int64_t kSndHeaderBytes = 28;
// The smallest data offset a file can state (a header without its
// annotation field).
constexpr int64_t kSndMinDataOffset = 24;

// Unsupported for encodings other than 1, 2 and 3 (probe.encoding tells
// which); Damaged for a header that cannot be a Sun/NeXT one.
FormatProbe probeSnd(const std::string& path);

} // namespace sv

// Headerless sample files (".raw"): the bytes of a sound exactly as held in
// memory, with no format stored; the reader is told the format.
#pragma once
#include <string>

#include "sound/engine/formats/format_read.h"

namespace sv {

// The probe of a raw file read in the given PCM layout: the whole file, cut
// to whole frames.
FormatProbe probeRaw(const std::string& path, const SampleFormat& format);

} // namespace sv

// Shared between the format side and the stream side of the codec manager.
#pragma once
#include <cstdint>

#include "platform/codec/codec.h"
#include "platform/little_endian.h"

namespace sv::codec::detail {

// What one stream does with a pair of formats.
enum class StreamKind { None, PcmConvert, Decode, Encode };
StreamKind classifyPair(const uint8_t* source, const uint8_t* dest);

// Frames per codec block: the record's own count for ADPCM and GSM, 1 for
// PCM and G.711, 0 for MPEG layer 3 (no fixed block).
uint32_t samplesPerBlock(const uint8_t* record);

// The libavcodec names of a tag's decoder and encoder ("" when none).
const char* decoderName(uint16_t tag);
const char* encoderName(uint16_t tag);

// Codec log output is silenced once; decoding errors are ours to report.
void quietFfmpegLog();

} // namespace sv::codec::detail

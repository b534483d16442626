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

// How a linear record stores its samples: unsigned 8-bit, signed 16, 24 or
// 32-bit integers, or 32 or 64-bit floats, under the PCM, float or
// extensible tag. None for any other record, and for one whose block align,
// byte rate or extensible fields do not agree with its bits and channels.
// Only U8 and S16 under the PCM tag are ever produced; the others are read.
enum class PcmSample { None, U8, S16, S24, S32, F32, F64 };
PcmSample pcmSampleOf(const uint8_t* record);

// Codec log output is silenced once; decoding errors are ours to report.
void quietFfmpegLog();

} // namespace sv::codec::detail

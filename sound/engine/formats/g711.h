// G.711 A-law and mu-law, in the common table-driven form: 16-bit linear
// samples to one coded byte and back. The coded bytes are what A-law (tag 6)
// and mu-law (tag 7) WAVE files and mu-law Sun/NeXT files hold.
#pragma once
#include <cstddef>
#include <cstdint>

#include "sound/engine/sample_format.h"

namespace sv {

uint8_t muLawCompress(int16_t x);
uint8_t aLawCompress(int16_t x);
int16_t muLawExpand(uint8_t code);
int16_t aLawExpand(uint8_t code);

// Expands n coded bytes to n 16-bit samples, stored little-endian as a
// sound's bytes are (out holds 2 * n bytes).
void expandG711(const uint8_t* in, size_t n, uint8_t* out, bool muLaw);

// Codes `samples` samples of a sound in the given layout (8 or 16 bits),
// one byte each. 8-bit samples are widened as (s - 127) * 256, and 255 as
// 32767, so that both ends of the 8-bit range reach the codes of the ends.
void compressG711(const uint8_t* in, int bits, size_t samples, uint8_t* out, bool muLaw);

// An 8-bit sample as the coded-format writers widen it: (s - 127) * 256,
// and 255 as 32767 (256 * 128 does not fit), so that the 8-bit range meets
// the 16-bit one at both ends.
inline int16_t widenForCoding(uint8_t s) { return s == 255 ? int16_t(32767) : int16_t((int(s) - 127) * 256); }

} // namespace sv

// The variable-length LZW code of GIF image data: decoding into an indexed
// bitmap and encoding from one.
#pragma once
#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <vector>

#include "components/dib.h"

namespace sv {

// Errors of the picture classes, with their fixed English texts.
class EInvalidGraphicOperation : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Decodes a frame's image data (the minimum code size byte followed by the
// data sub-blocks, as stored in the file) into `out`, an indexed bitmap of
// 1, 4 or 8 bits already sized and zero-filled. frameBits is the frame's
// colour depth (1..8): codes at or below 2^frameBits - 1 are pixels.
// Returns true when the data were found damaged and, with `tolerate`, kept:
// decoding then stops and the pixels not reached stay 0. Without
// `tolerate` damage raises EInvalidGraphicOperation.
bool lzwDecode(const uint8_t* data, size_t size, Dib& out, bool interlaced, int frameBits, bool tolerate);

// Encodes an indexed bitmap of 1, 4 or 8 bits, rows from the top, into image
// data as above, ending with the empty sub-block.
std::vector<uint8_t> lzwEncode(const Dib& bitmap);

} // namespace sv

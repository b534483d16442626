// Conversion of a bitmap to one of fewer colours: the GIF encoder reduces
// true-colour pictures to 256 colours with it.
#pragma once
#include <stdexcept>

#include "components/dib.h"

namespace sv {

enum class ReductionMethod { ColorHistogram = 0, MedianCut = 1, Levels784 = 2, Levels666 = 3, ChannelInterleave = 4, Grayscale = 5 };

// Process-wide; nothing in the program changes it.
extern ReductionMethod DefaultReductionMethod;

// "Bitmap image is not valid" and the like.
class EInvalidGraphic : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The bitmap as a bitmap of `targetBits` (1, 4, 8 or 24; any other target
// goes through RaiseNotImplemented). A bitmap already in that format is
// returned as it is unless the method is Grayscale. An 8-bit result from
// true colour is made with `method`; 1- and 4-bit results take the nearest
// colour of the fixed black-and-white or 16-colour palette.
// usedColors (may be null) receives the used-colour count of the header:
// the boxes made by MedianCut, 224 for Levels784, 216 for Levels666, else 0.
Dib BitmapToDIB(const Dib& bitmap, int targetBits, ReductionMethod method, int* usedColors = nullptr);

// 1 bit for up to 2 colours, 4 for up to 16, 24 above 256, else 8, with the
// default method.
Dib BitmapToColorCount(const Dib& bitmap, int colors);

// The reduction of 24-bit rows to an 8-bit bitmap with its palette.
Dib reduceTo8Bits(const Dib& src24, ReductionMethod method, int* usedColors = nullptr);

// Index of the nearest level for every byte value (ties: the lower level).
const uint8_t* nearestLevel(int levels);   // 4, 6, 7 or 8
const uint8_t* levelValues(int levels);

} // namespace sv

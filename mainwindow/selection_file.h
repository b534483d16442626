// Selection files (".svs"): a selection stored apart from its sound so it
// can be put back later. The layout is fixed because such files are kept by
// users across versions: exactly three little-endian signed 32-bit integers,
// no header.
//   offset 0: selection start in frames
//   offset 4: selection length in frames
//   offset 8: zoom in frames per pixel column (written, never read back)
#pragma once
#include <cstdint>
#include <string>

namespace sv {

struct SelectionRecord {
    int32_t start = 0;
    int32_t length = 0;
    int32_t zoom = 0;
};

constexpr int kSelectionFileSize = 12;

// Writes the 12 bytes beside the target and renames them over it, so a
// failed write keeps any previous file. Throws FileIOError when the file
// cannot be created or written.
void writeSelectionFile(const std::string& path, const SelectionRecord& r);

// Reads start and length (zoom stays 0: it is not read back). Throws
// FileIOError when the file is missing or holds fewer than 8 bytes.
SelectionRecord readSelectionFile(const std::string& path);

// Fits a stored selection into a sound of soundLength frames: the start
// goes no further than the end, the selection ends no later than the
// sound, and neither is negative. Works in 64 bits so a huge stored length
// cannot wrap.
void clampStoredSelection(int64_t soundLength, int64_t& start, int64_t& length);

} // namespace sv

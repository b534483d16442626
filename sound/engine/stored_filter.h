// Stored filters: the advanced filter's settings kept as small ".svf" files
// in the folder "filters" beside the program. A file's name without its
// extension is the filter's name.
//
// A file holds exactly one record of 28 bytes, seven little-endian signed
// 32-bit integers in the order of StoredFilterRecord, with no header,
// version or check field. Files already written rely on this layout: never
// change it.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace sv {

struct StoredFilterRecord {
    int32_t low = 0;           // low cut, Hz
    int32_t high = 0;          // high cut, Hz
    int32_t action = 0;        // 0 Delete, 1 Boost, 2 Decrease, 3 Band Pass Filter
    int32_t sizeIndex = 0;     // 0 = 4096, 1 = 2048, 2 = 1024, 3 = 512
    int32_t overlapIndex = 0;  // 0 = 50 %, 1 = 40 % ... 5 = 0 %
    int32_t ratio = 0;         // ratio x 10, 0..100
    int32_t windowIndex = 0;   // 0 Rectangular ... 4 Blackman
};

constexpr size_t kStoredFilterRecordSize = 28;
// The number of choices each index field selects from.
constexpr int32_t kStoredFilterActions = 4;
constexpr int32_t kStoredFilterSizes = 4;
constexpr int32_t kStoredFilterOverlaps = 6;
constexpr int32_t kStoredFilterWindows = 5;

void encodeStoredFilter(const StoredFilterRecord& r, uint8_t out[kStoredFilterRecordSize]);
StoredFilterRecord decodeStoredFilter(const uint8_t in[kStoredFilterRecordSize]);
// Whether every index field selects an existing choice (the band and the
// ratio are brought into range by the controls that take them).
bool storedFilterIndexesValid(const StoredFilterRecord& r);

// exeDir() + "filters/".
std::string storedFiltersFolder();
// Creates the folder when it is missing; false when it cannot be made.
bool ensureStoredFiltersFolder();

// Names (without extension) of the ".svf" files in `folder`, the extension
// matched without regard to case, sorted without regard to case so that the
// list reads the same on every file system.
std::vector<std::string> listStoredFilters(const std::string& folder);

// The file of filter `name` in `folder`: folder + name + ".svf", or an
// existing file whose extension differs only in case.
std::string storedFilterPath(const std::string& folder, const std::string& name);

// Writes the record to `path` (beside it first, then renamed over it, so a
// failed write keeps the previous filter). Returns 0, or the errno of a
// failure to create the file; a failed write throws FileIOError.
int writeStoredFilter(const std::string& path, const StoredFilterRecord& r);

// Reads the record of `path`. Returns 0, or the errno of a failure to open
// the file. A file shorter than one record, or one whose index fields select
// no existing choice, throws FileIOError and gives nothing.
int readStoredFilter(const std::string& path, StoredFilterRecord& r);

} // namespace sv

// Cutting a PCM WAVE file on disk into several WAVE files without loading it
// into a sound window: pieces of one size or duration, tracks closed by a
// silence, or named tracks from a list of lengths. No widgets here: the
// dialogs call these functions, show the progress they report and turn the
// errors into message boxes.
//
// Every check that can refuse the job runs before the first piece is
// written, so a refusal leaves the folder as it was. Pieces are written
// beside their name and renamed when complete; an existing file of that name
// is replaced. Pieces already written stay when a later one fails.
#pragma once
#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "sound/engine/sample_format.h"

namespace sv {

// A refusal of a WAVE tool; what() is the text to show the user as it is.
// A read or write error on a file that is already open is a FileIOError
// instead (platform/files.h), reported with the standard error box.
class WaveToolError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

namespace wavetext {
extern const char* const kFileMissing;      // "The file does not exist."
extern const char* const kOpenError;        // "Error opening file"
extern const char* const kNotPcm;           // splitting a non-PCM file
extern const char* const kShorterThanPiece; // two lines, CR between
extern const char* const kBadPieceSize;     // a piece size of 0 or less
extern const char* const kDamagedFormat;    // byte rate or frame size 0
extern const char* const kSilenceLength;    // "Silence Length must be >= 1\""
extern const char* const kEmptyTrackList;
extern const char* const kTrackLength;      // a listed length of 0 or less
extern const char* const kTracksTooLong;
extern const char* const kTitleSlash;       // a title that names a folder
extern const char* const kSuccess;
} // namespace wavetext

// The samples of a WAVE file: where they start and how many bytes they are,
// found by the sound window's own probe (probeWave): the data chunk's stated
// size, so chunks after the samples are never taken as audio, or everything
// to the end of the file when that size is 0 or runs past the end.
struct WaveSource {
    std::string path;
    SampleFormat format;
    int64_t fileSize = 0;
    int64_t dataOffset = 44;
    int64_t dataBytes = 0;
};

// Opens a source for a WAVE tool. Throws WaveToolError: kFileMissing when
// there is no such file, kOpenError when it cannot be opened for reading
// (sources are never opened for writing, so a read-only file serves), and
// `tooShortText` when the file is shorter than a WAVE header.
WaveSource readWaveSource(const std::string& path, const char* tooShortText = wavetext::kNotPcm);

// The name every piece starts with: the source path cut before the first '.'
// of its file name (a dot in a folder name is not a cut).
std::string splitBase(const std::string& path);

// Reports the pieces written so far and the count in all (0 when unknown).
using SplitProgress = std::function<void(int64_t done, int64_t total)>;

// Pieces of one size. `value` is kilobytes (x 1000), minutes, seconds or
// milliseconds; the size is rounded down to whole frames, at least one.
// A value of 0 or less gives 0, which the split refuses.
enum class PieceUnit { KBytes = 0, Minutes = 1, Seconds = 2, Milliseconds = 3 };
int64_t pieceBytes(PieceUnit unit, int64_t value, const SampleFormat& f);

// Writes base + "~" + n + ".wav" for n = 1 .. data div size + 1 (the last
// piece holds the remainder, empty when the size divides the data).
// Returns the names written.
std::vector<std::string> splitBySize(const std::string& path, PieceUnit unit, int64_t value,
                                     const SplitProgress& progress = {});

// Tracks closed by a silence: a run of `silenceSeconds` x rate x channels
// sample values (channels not told apart) whose distance from silence stays
// under `thresholdPercent` of full scale. Each track ends with the silence
// that closed it, carried to the end of its frame; the scan starts again
// after it until the end of the file. Writes base + "~Track" + n + ".wav".
std::vector<std::string> splitAtSilences(const std::string& path, int thresholdPercent, int silenceSeconds,
                                         const SplitProgress& progress = {});
// The threshold in sample units: 10 % is 13 for 8-bit and 3277 for 16-bit.
int silenceThreshold(int thresholdPercent, int bitsPerSample);

// Named tracks of whole seconds, then the remainder (if any) with an empty
// title: base + " - Track " + n + " - " + title + ".wav".
struct TrackLength {
    std::string title;
    int64_t seconds = 0;
};
std::vector<std::string> splitByLengths(const std::string& path, const std::vector<TrackLength>& tracks,
                                        const SplitProgress& progress = {});

// The whole seconds and the data bytes of a source, for the track list.
struct WaveLength {
    int64_t dataBytes = 0;
    int64_t seconds = 0;
};
WaveLength waveLength(const std::string& path);

// Copies `bytes` bytes of the source's data from `offset` (relative to the
// start of its samples) to the end of `out`, in blocks, so a piece of any
// size needs no more memory than one block. Throws FileIOError.
class SafeFileWriter;
void copyWaveData(const WaveSource& src, int64_t offset, int64_t bytes, SafeFileWriter& out);

} // namespace sv

// Joining several WAVE files of one format into one new WAVE file on disk,
// in list order, without loading them into sound windows. No widgets here:
// the dialog asks its questions, calls these functions and shows the errors.
//
// Every check runs before the target is created, so a refusal leaves the
// folder as it was; the target is written beside its name and renamed over
// it only when complete.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "dialogs/wave_split.h"

namespace sv {

namespace wavetext {
extern const char* const kConcatCaption;    // "Concatenate Files"
extern const char* const kCheckingFormats;  // "Checking format types..."
extern const char* const kTargetExists;
extern const char* const kConcatNotPcm;     // the skip-and-continue question
extern const char* const kTargetIsSource;
extern const char* const kConcatTooLarge;
extern const char* const kOnlyWavAccepted;  // followed by CR and the file name
// "Format of file" + name + " is different than the format of the first
// file (" + first + "). ..."
std::string formatDiffers(const std::string& file, const std::string& first);
} // namespace wavetext

struct ConcatPlan {
    SampleFormat format;                // the first file's, written to the target
    std::vector<WaveSource> sources;
    int64_t totalBytes = 0;
    bool pcm() const { return format.wFormatTag == kFormatPcm; }
};

// Refuses (WaveToolError kTargetIsSource) a target that is one of the
// sources, compared as canonical paths.
void checkConcatTarget(const std::vector<std::string>& sources, const std::string& target);

// The format pass: the target check, then every source opened in order
// ("Error opening file" when one cannot be), its format tag, channels, rate
// and bits compared with the first's, and the data sizes summed against the
// WAVE size limit. All sources share the first one's tag afterwards; the
// caller asks what to do when that tag is not PCM (see ConcatPlan::pcm).
ConcatPlan planConcatenation(const std::vector<std::string>& sources, const std::string& target);

// Reports the sources joined so far and their count.
using ConcatProgress = std::function<void(int64_t done, int64_t total)>;

// The data pass: the target's header with the summed size and the first
// file's format, then each source's data. Throws WaveToolError kOpenError
// when the target cannot be created, FileIOError on a read or write error.
void writeConcatenation(const ConcatPlan& plan, const std::string& target, const ConcatProgress& progress = {});

} // namespace sv

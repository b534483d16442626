#include "dialogs/wave_concat.h"

#include "platform/files.h"
#include "platform/paths.h"
#include "sound/engine/wave_file.h"

namespace sv {

namespace wavetext {
const char* const kConcatCaption = "Concatenate Files";
const char* const kCheckingFormats = "Checking format types...";
const char* const kTargetExists = "The target file already exists. Do you wish to continue?";
const char* const kConcatNotPcm =
    "This function works only with PCM wav files (.wav). This file won't be concatenated. Do you want to continue "
    "with next file?";
const char* const kTargetIsSource =
    "The target file is one of the files to concatenate. Please choose another target file name.";
const char* const kConcatTooLarge =
    "The concatenated file would be larger than a WAV file can hold (4 GB). Process can not continue.";
const char* const kOnlyWavAccepted = "I am sorry, but only .wav files are accepted:";

std::string formatDiffers(const std::string& file, const std::string& first) {
    return "Format of file" + file + " is different than" + " the format of the first file (" + first +
           "). Process can not continue. Please use Sonvela to resample all files to the same format.";
}
} // namespace wavetext

void checkConcatTarget(const std::vector<std::string>& sources, const std::string& target) {
    const std::string t = canonicalPath(target);
    for (const std::string& s : sources)
        if (canonicalPath(s) == t) throw WaveToolError(wavetext::kTargetIsSource);
}

ConcatPlan planConcatenation(const std::vector<std::string>& sources, const std::string& target) {
    checkConcatTarget(sources, target);
    ConcatPlan plan;
    for (const std::string& path : sources) {
        if (!fileExists(path)) throw WaveToolError(wavetext::kOpenError);
        WaveSource s = readWaveSource(path);
        if (plan.sources.empty()) {
            plan.format = s.format;
        } else {
            const SampleFormat& r = plan.format;
            const SampleFormat& f = s.format;
            if (f.wFormatTag != r.wFormatTag || f.nChannels != r.nChannels || f.nSamplesPerSec != r.nSamplesPerSec ||
                f.wBitsPerSample != r.wBitsPerSample)
                throw WaveToolError(
                    wavetext::formatDiffers(extractFileName(path), extractFileName(plan.sources.front().path)));
        }
        plan.totalBytes += s.dataBytes;
        plan.sources.push_back(std::move(s));
    }
    if (plan.totalBytes > WaveFileHeader::kMaxDataBytes) throw WaveToolError(wavetext::kConcatTooLarge);
    return plan;
}

void writeConcatenation(const ConcatPlan& plan, const std::string& target, const ConcatProgress& progress) {
    const int64_t n = int64_t(plan.sources.size());
    if (progress) progress(0, n);
    SafeFileWriter out;
    if (out.open(target) != 0) throw WaveToolError(wavetext::kOpenError);
    uint8_t h[kWaveHeaderBytes];
    WaveFileHeader::build(h, plan.format, static_cast<uint32_t>(plan.totalBytes));
    out.write(h, sizeof h);
    for (int64_t i = 0; i < n; ++i) {
        const WaveSource& s = plan.sources[size_t(i)];
        copyWaveData(s, 0, s.dataBytes, out);
        if (progress) progress(i + 1, n);
    }
    out.commit();
}

} // namespace sv

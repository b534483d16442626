#include "dialogs/wave_split.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

#include "platform/files.h"
#include "platform/numbers.h"
#include "platform/paths.h"
#include "sound/engine/wave_file.h"

namespace sv {

namespace wavetext {
const char* const kFileMissing = "The file does not exist.";
const char* const kOpenError = "Error opening file";
const char* const kNotPcm = "This function works only with PCM wav files.";
const char* const kShorterThanPiece =
    "The selected file is shorter than the Max file size\nNo division has been made.";
const char* const kBadPieceSize = "The Max file size must be greater than 0.\nNo division has been made.";
const char* const kDamagedFormat =
    "The format of the selected file is damaged (0 bytes per second or per frame).\nNo division has been made.";
const char* const kSilenceLength = "Silence Length must be >= 1\"";
const char* const kEmptyTrackList = "Please add a track to the list.";
const char* const kTrackLength = "Please select Track Length";
const char* const kTracksTooLong =
    "The sum of all track lengths exceed maximum file length. Please select a smaller length.";
const char* const kTitleSlash = "A track title can not contain the character \"/\".";
const char* const kSuccess = "The operation has been performed successfully";
} // namespace wavetext

namespace {

// Pieces are copied through one block of this size.
constexpr int64_t kCopyBlock = int64_t(1) << 20;

struct SourceFd {
    int fd = -1;
    explicit SourceFd(const std::string& path) : fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC)) {
        if (fd < 0) throw FileIOError("I/O error opening " + path + ": " + std::strerror(errno), errno);
    }
    ~SourceFd() { ::close(fd); }
    SourceFd(const SourceFd&) = delete;
    SourceFd& operator=(const SourceFd&) = delete;

    // Reads exactly n bytes at off; a short file is an I/O error.
    void readAt(int64_t off, uint8_t* p, int64_t n, const std::string& path) const {
        while (n > 0) {
            ssize_t r = ::pread(fd, p, static_cast<size_t>(n), off);
            if (r < 0 && errno == EINTR) continue;
            if (r <= 0) throw FileIOError("I/O error reading " + path, r < 0 ? errno : EIO);
            p += r;
            n -= r;
            off += r;
        }
    }
};

void checkUsableFormat(const WaveSource& s) {
    if (s.format.nAvgBytesPerSec == 0 || s.format.nBlockAlign == 0) throw WaveToolError(wavetext::kDamagedFormat);
}

void checkPcm(const WaveSource& s) {
    if (s.format.wFormatTag != kFormatPcm) throw WaveToolError(wavetext::kNotPcm);
}

// Rounds a piece size down to whole frames so that no piece starts inside a
// sample; a positive size keeps at least one frame.
int64_t wholeFrames(int64_t bytes, int blockAlign) {
    if (bytes <= 0 || blockAlign <= 0) return bytes;
    bytes -= bytes % blockAlign;
    return bytes < blockAlign ? blockAlign : bytes;
}

void writePiece(const WaveSource& src, int64_t offset, int64_t bytes, const std::string& name) {
    SafeFileWriter out;
    if (int e = out.open(name)) throw FileIOError("I/O error creating " + name + ": " + std::strerror(e), e);
    uint8_t h[kWaveHeaderBytes];
    WaveFileHeader::build(h, src.format, static_cast<uint32_t>(bytes));
    out.write(h, sizeof h);
    copyWaveData(src, offset, bytes, out);
    out.commit();
}

// Scans from `start` for a run of `limit` quiet sample values. Returns the
// bytes taken up to the value that completed the run (or to the end of the
// data) and whether the run was completed.
struct Scan {
    int64_t bytes = 0;
    bool silence = false;
};

template <typename T>
Scan scanForSilence(const SourceFd& fd, const WaveSource& src, int64_t start, int64_t limit, int threshold,
                    std::vector<uint8_t>& buf) {
    constexpr int64_t size = sizeof(T);
    int64_t pos = start;
    int64_t run = 0;
    while (pos < src.dataBytes) {
        const int64_t n = std::min<int64_t>(kCopyBlock, src.dataBytes - pos);
        fd.readAt(src.dataOffset + pos, buf.data(), n, src.path);
        const int64_t count = n / size;
        const uint8_t* p = buf.data();
        for (int64_t i = 0; i < count; ++i) {
            int v;
            if constexpr (size == 1) {
                v = int(p[i]) - kSilence8;
            } else {
                v = int16_t(uint16_t(p[2 * i] | (p[2 * i + 1] << 8)));
            }
            const bool quiet = (v < 0 ? -v : v) < threshold;
            run = quiet ? run + 1 : 0;
            if (run == limit) return {pos - start + (i + 1) * size, true};
        }
        pos += n;  // a trailing part of a value ends the data with it
    }
    return {src.dataBytes - start, false};
}

} // namespace

WaveSource readWaveSource(const std::string& path, const char* tooShortText) {
    if (!fileExists(path)) throw WaveToolError(wavetext::kFileMissing);
    // Sources are only read: a file on read-only media splits and joins.
    const WaveProbe pr = probeWave(path, false);
    if (pr.status == WaveProbe::Status::OpenFailed) throw WaveToolError(wavetext::kOpenError);
    if (pr.status == WaveProbe::Status::TooShort) throw WaveToolError(tooShortText);
    WaveSource s;
    s.path = path;
    s.format = pr.format;
    s.fileSize = pr.fileSize;
    s.dataOffset = pr.dataOffset;
    // The same rule as the sound window's reader, so a file that opens there
    // is split and joined whole.
    s.dataBytes = std::max<int64_t>(0, pr.dataBytes(true));
    return s;
}

std::string splitBase(const std::string& path) {
    const std::string folder = extractFilePath(path);
    const std::string name = extractFileName(path);
    return folder + name.substr(0, name.find('.'));
}

void copyWaveData(const WaveSource& src, int64_t offset, int64_t bytes, SafeFileWriter& out) {
    if (bytes <= 0) return;
    SourceFd fd(src.path);
    std::vector<uint8_t> buf(static_cast<size_t>(std::min(bytes, kCopyBlock)));
    while (bytes > 0) {
        const int64_t n = std::min<int64_t>(bytes, static_cast<int64_t>(buf.size()));
        fd.readAt(src.dataOffset + offset, buf.data(), n, src.path);
        out.write(buf.data(), static_cast<size_t>(n));
        offset += n;
        bytes -= n;
    }
}

int64_t pieceBytes(PieceUnit unit, int64_t value, const SampleFormat& f) {
    if (value <= 0) return 0;
    const __int128 avg = f.nAvgBytesPerSec;
    __int128 b = 0;
    switch (unit) {
    case PieceUnit::KBytes: b = __int128(value) * 1000; break;
    case PieceUnit::Minutes: b = __int128(value) * 60 * avg; break;
    case PieceUnit::Seconds: b = __int128(value) * avg; break;
    case PieceUnit::Milliseconds: b = __int128(value) * avg / 1000; break;
    }
    if (b > INT64_MAX) b = INT64_MAX;
    if (b < 1) b = 1;  // a positive size below one frame still makes frames
    return wholeFrames(static_cast<int64_t>(b), f.nBlockAlign);
}

std::vector<std::string> splitBySize(const std::string& path, PieceUnit unit, int64_t value,
                                     const SplitProgress& progress) {
    const WaveSource src = readWaveSource(path);
    checkUsableFormat(src);
    const int64_t piece = pieceBytes(unit, value, src.format);
    if (piece <= 0) throw WaveToolError(wavetext::kBadPieceSize);
    if (src.dataBytes < piece) throw WaveToolError(wavetext::kShorterThanPiece);
    checkPcm(src);

    const std::string base = splitBase(path);
    const int64_t total = src.dataBytes / piece + 1;
    if (progress) progress(0, total);
    std::vector<std::string> written;
    for (int64_t n = 1; n <= total; ++n) {
        const int64_t offset = (n - 1) * piece;
        const int64_t bytes = std::min(piece, src.dataBytes - offset);
        const std::string name = base + "~" + std::to_string(n) + ".wav";
        writePiece(src, offset, bytes, name);
        written.push_back(name);
        if (progress) progress(n, total);
    }
    return written;
}

int silenceThreshold(int thresholdPercent, int bitsPerSample) {
    const double full = bitsPerSample == 8 ? 127.0 : 32767.0;
    return static_cast<int>(roundHalfEven(thresholdPercent * full / 100.0));
}

std::vector<std::string> splitAtSilences(const std::string& path, int thresholdPercent, int silenceSeconds,
                                         const SplitProgress& progress) {
    const WaveSource src = readWaveSource(path);
    checkPcm(src);
    checkUsableFormat(src);
    if (silenceSeconds < 1) throw WaveToolError(wavetext::kSilenceLength);
    const int64_t limit = int64_t(silenceSeconds) * src.format.nSamplesPerSec * src.format.nChannels;
    if (limit <= 0) throw WaveToolError(wavetext::kDamagedFormat);
    const bool eightBit = src.format.wBitsPerSample == 8;
    const int threshold = silenceThreshold(thresholdPercent, eightBit ? 8 : 16);
    const int64_t align = src.format.nBlockAlign;

    const std::string base = splitBase(path);
    std::vector<std::string> written;
    SourceFd fd(path);
    std::vector<uint8_t> buf(static_cast<size_t>(kCopyBlock));
    int64_t start = 0;
    for (;;) {
        Scan s = eightBit ? scanForSilence<uint8_t>(fd, src, start, limit, threshold, buf)
                          : scanForSilence<int16_t>(fd, src, start, limit, threshold, buf);
        int64_t end = start + s.bytes;
        // A run can complete inside a frame; the track keeps the rest of
        // that frame so the next one starts on its first channel.
        if (s.silence && end % align) end = std::min(src.dataBytes, end + (align - end % align));
        const std::string name = base + "~Track" + std::to_string(written.size() + 1) + ".wav";
        if (progress) progress(int64_t(written.size()) + 1, 0);
        writePiece(src, start, end - start, name);
        written.push_back(name);
        start = end;
        if (!s.silence) break;
    }
    return written;
}

std::vector<std::string> splitByLengths(const std::string& path, const std::vector<TrackLength>& tracks,
                                        const SplitProgress& progress) {
    if (tracks.empty()) throw WaveToolError(wavetext::kEmptyTrackList);
    const WaveSource src = readWaveSource(path);
    checkPcm(src);
    checkUsableFormat(src);

    // Every length is checked against the file before the first track is
    // written, so a list made for another file is refused whole.
    std::vector<int64_t> lengths;
    int64_t sum = 0;
    for (const TrackLength& t : tracks) {
        if (t.seconds <= 0) throw WaveToolError(wavetext::kTrackLength);
        if (t.title.find('/') != std::string::npos) throw WaveToolError(wavetext::kTitleSlash);
        const int64_t len = wholeFrames(t.seconds * int64_t(src.format.nAvgBytesPerSec), src.format.nBlockAlign);
        if (len > src.dataBytes - sum) throw WaveToolError(wavetext::kTracksTooLong);
        lengths.push_back(len);
        sum += len;
    }
    const int64_t remaining = src.dataBytes - sum;
    const int64_t total = int64_t(tracks.size()) + (remaining > 0 ? 1 : 0);

    const std::string base = splitBase(path);
    std::vector<std::string> written;
    int64_t offset = 0;
    for (int64_t n = 1; n <= total; ++n) {
        const bool listed = n <= int64_t(tracks.size());
        const int64_t len = listed ? lengths[size_t(n - 1)] : remaining;
        const std::string title = listed ? tracks[size_t(n - 1)].title : std::string();
        const std::string name = base + " - Track " + std::to_string(n) + " - " + title + ".wav";
        if (progress) progress(int64_t(written.size()), total);
        writePiece(src, offset, len, name);
        written.push_back(name);
        offset += len;
    }
    if (progress) progress(int64_t(written.size()), total);
    return written;
}

WaveLength waveLength(const std::string& path) {
    const WaveSource src = readWaveSource(path, wavetext::kOpenError);
    WaveLength l;
    l.dataBytes = src.dataBytes;
    l.seconds = src.format.nAvgBytesPerSec ? src.dataBytes / src.format.nAvgBytesPerSec : 0;
    return l;
}

} // namespace sv

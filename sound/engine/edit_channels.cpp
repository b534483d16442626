// Dividing a stereo sound into two mono WAVE files and combining two mono
// WAVE files into a stereo sound (declared in edit_ops.h).
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

#include "platform/files.h"
#include "platform/paths.h"
#include "sound/engine/edit_ops.h"
#include "sound/engine/wave_file.h"

namespace sv {

const char* const kDivideSameNameMessage = "The left and right channels must be written to different files.";

namespace {

// Frames handled per block, so that a long sound needs no second copy.
constexpr int64_t kBlockFrames = 1 << 16;

template <int Bytes>
void splitFrames(const uint8_t* src, int64_t frames, uint8_t* left, uint8_t* right) {
    for (int64_t i = 0; i < frames; ++i) {
        std::memcpy(left, src, Bytes);
        std::memcpy(right, src + Bytes, Bytes);
        src += 2 * Bytes;
        left += Bytes;
        right += Bytes;
    }
}

template <int Bytes>
void joinFrames(const uint8_t* left, const uint8_t* right, int64_t frames, uint8_t* dst) {
    for (int64_t i = 0; i < frames; ++i) {
        std::memcpy(dst, left, Bytes);
        std::memcpy(dst + Bytes, right, Bytes);
        left += Bytes;
        right += Bytes;
        dst += 2 * Bytes;
    }
}

bool isMonoPcm(const SampleFormat& f) { return f.nChannels == 1 && f.isSupportedPcm(); }

} // namespace

ChannelFileNames proposeChannelFileNames(const std::string& fileName) {
    // The extension is dropped first and ".wav" appended whole, so a dotted
    // name keeps its full stem ("x.y.wav" gives "x.yLeft.wav").
    const std::string base = nameWithoutExt(fileName);
    return {base + "Left.wav", base + "Right.wav"};
}

std::string DivideResult::message() const {
    switch (status) {
    case SameName: return kDivideSameNameMessage;
    case LeftFailed:
    case RightFailed: return "Error " + std::to_string(error) + " accessing the file, try another name.";
    default: return std::string();
    }
}

DivideResult divideChannels(const SoundBuffer& sound, const std::string& leftName, const std::string& rightName) {
    DivideResult res;
    const SampleFormat& f = sound.format;
    if (f.nChannels != 2 || !f.hasFrameLayout()) {
        res.status = DivideResult::NotStereo;
        return res;
    }
    // Both halves into one file would leave only the right channel.
    if (leftName == rightName || canonicalPath(leftName) == canonicalPath(rightName)) {
        res.status = DivideResult::SameName;
        return res;
    }
    const FrameSpan sel = sound.selection();
    const int64_t s = sel.start, l = sel.length;
    const int64_t half = f.nBlockAlign / 2;
    if (half * l > WaveFileHeader::kMaxDataBytes) {
        res.status = DivideResult::LeftFailed;
        res.error = EFBIG;
        return res;
    }
    SafeFileWriter left, right;
    if (int e = left.open(leftName)) {
        res.status = DivideResult::LeftFailed;
        res.error = e;
        return res;
    }
    if (int e = right.open(rightName)) {
        res.status = DivideResult::RightFailed;
        res.error = e;
        return res;   // the left writer removes its partial file
    }

    SampleFormat mono = f;
    mono.nChannels = 1;
    mono.nBlockAlign = static_cast<uint16_t>(half);
    mono.nAvgBytesPerSec = static_cast<uint32_t>(half) * f.nSamplesPerSec;
    uint8_t head[kWaveHeaderBytes];
    WaveFileHeader::build(head, mono, static_cast<uint32_t>(half * l));
    left.write(head, sizeof head);
    right.write(head, sizeof head);

    ByteBlock lb(static_cast<size_t>(std::min(l, kBlockFrames) * half));
    ByteBlock rb(lb.size());
    for (int64_t at = 0; at < l;) {
        const int64_t n = std::min(kBlockFrames, l - at);
        if (half == 1)
            splitFrames<1>(sound.frame(s + at), n, lb.data(), rb.data());
        else
            splitFrames<2>(sound.frame(s + at), n, lb.data(), rb.data());
        left.write(lb.data(), static_cast<size_t>(n * half));
        right.write(rb.data(), static_cast<size_t>(n * half));
        at += n;
    }
    left.commit();
    right.commit();
    return res;
}

std::string CombineResult::message(const std::string& leftName, const std::string& rightName) const {
    switch (status) {
    case LeftOpenFailed:
    case RightOpenFailed: return "Error opening file";
    case LeftNotMono: return leftName + "is not a mono file... operation canceled";
    case RightNotMono: return rightName + "is not a mono file... operation canceled";
    case FormatsDiffer: return "The files doesn't have the same format... operation canceled";
    case NotPcm: return "Only PCM 8 or 16 bit files can be combined... operation canceled";
    default: return std::string();
    }
}

CombineResult combineChannels(const std::string& leftName, const std::string& rightName, SoundBuffer& out) {
    CombineResult res;
    const WaveProbe lp = probeWave(leftName);
    if (lp.status == WaveProbe::Status::OpenFailed) {
        res.status = CombineResult::LeftOpenFailed;
        return res;
    }
    const WaveProbe rp = probeWave(rightName);
    if (rp.status == WaveProbe::Status::OpenFailed) {
        res.status = CombineResult::RightOpenFailed;
        return res;
    }
    const bool complete = lp.status == WaveProbe::Status::Ok && rp.status == WaveProbe::Status::Ok;
    const SampleFormat& lf = lp.format;
    const SampleFormat& rf = rp.format;
    if (complete && lf.nChannels > 1) {
        res.status = CombineResult::LeftNotMono;
        return res;
    }
    if (complete && rf.nChannels > 1) {
        res.status = CombineResult::RightNotMono;
        return res;
    }
    if (complete && (lf.nSamplesPerSec != rf.nSamplesPerSec || lf.nAvgBytesPerSec != rf.nAvgBytesPerSec ||
                     lf.nBlockAlign != rf.nBlockAlign || lf.wBitsPerSample != rf.wBitsPerSample)) {
        res.status = CombineResult::FormatsDiffer;
        return res;
    }
    if (!complete || !isMonoPcm(lf) || rf.wFormatTag != kFormatPcm) {
        res.status = CombineResult::NotPcm;
        return res;
    }

    const int64_t bps = lf.wBitsPerSample / 8;
    const int64_t leftSamples = lp.dataBytes(true) / bps;
    const int64_t rightSamples = rp.dataBytes(true) / bps;
    const int64_t frames = std::max(leftSamples, rightSamples);

    ScopedFd lfd, rfd;
    lfd.fd = ::open(leftName.c_str(), O_RDONLY | O_CLOEXEC);
    if (lfd.fd < 0) {
        res.status = CombineResult::LeftOpenFailed;
        return res;
    }
    rfd.fd = ::open(rightName.c_str(), O_RDONLY | O_CLOEXEC);
    if (rfd.fd < 0) {
        res.status = CombineResult::RightOpenFailed;
        return res;
    }

    ByteBlock block(static_cast<size_t>(frames * 2 * bps));
    ByteBlock lb(static_cast<size_t>(std::min(frames, kBlockFrames) * bps));
    ByteBlock rb(lb.size());
    // The channel that ran out is silent: 127 for 8-bit, 0 for 16-bit.
    const int pad = bps == 1 ? 127 : 0;
    for (int64_t at = 0; at < frames;) {
        const int64_t n = std::min(kBlockFrames, frames - at);
        const int64_t ln = std::clamp<int64_t>(leftSamples - at, 0, n);
        const int64_t rn = std::clamp<int64_t>(rightSamples - at, 0, n);
        if (!readFullyAt(lfd.fd, lp.dataOffset + at * bps, lb.data(), size_t(ln * bps)))
            throw FileIOError("I/O error reading " + leftName, errno);
        if (!readFullyAt(rfd.fd, rp.dataOffset + at * bps, rb.data(), size_t(rn * bps)))
            throw FileIOError("I/O error reading " + rightName, errno);
        if (ln < n) std::memset(lb.data() + ln * bps, pad, static_cast<size_t>((n - ln) * bps));
        if (rn < n) std::memset(rb.data() + rn * bps, pad, static_cast<size_t>((n - rn) * bps));
        uint8_t* dst = block.data() + at * 2 * bps;
        if (bps == 1)
            joinFrames<1>(lb.data(), rb.data(), n, dst);
        else
            joinFrames<2>(lb.data(), rb.data(), n, dst);
        at += n;
    }

    SampleFormat stereo = lf;
    stereo.nChannels = 2;
    stereo.nAvgBytesPerSec = lf.nAvgBytesPerSec * 2;
    stereo.nBlockAlign = static_cast<uint16_t>(lf.nBlockAlign * 2);
    stereo.cbSize = 0;
    out.format = stereo;
    out.bytes = std::move(block);
    out.selectionStart = 0;
    out.selectionLength = 0;
    res.fileName = nameWithoutExt(extractFileName(leftName)) + "_" + nameWithoutExt(extractFileName(rightName)) + ".wav";
    res.dataBytes = frames * 2 * bps;
    return res;
}

} // namespace sv

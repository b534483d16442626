#include "sound/engine/formats/law_wave.h"

#include <cerrno>
#include <fcntl.h>
#include <vector>

#include "platform/files.h"
#include "sound/engine/formats/g711.h"
#include "sound/engine/wave_file.h"

namespace sv {

FormatProbe probeLawWave(const std::string& path, bool muLaw) {
    FormatProbe p;
    const WaveProbe w = probeWave(path);
    p.fileSize = w.fileSize;
    if (w.status == WaveProbe::Status::OpenFailed) {
        p.openErrno = w.openErrno;
        return p;
    }
    p.status = FormatProbe::Status::Ok;
    p.coding = muLaw ? SampleCoding::MuLaw : SampleCoding::ALaw;
    p.encoding = uint16_t(w.format.wFormatTag);
    if (w.status == WaveProbe::Status::TooShort) return damaged(p, "Format seems corrupted.");
    if (w.chunked) {
        p.dataOffset = w.dataOffset;
        p.dataBytes = w.dataBytes(true);
        p.sizeDamaged = w.sizeDamaged();
    } else {
        if (w.fileSize < kLawWaveDataOffset) return damaged(p, "Format seems corrupted.");
        p.dataOffset = kLawWaveDataOffset;
        p.dataBytes = w.fileSize - kLawWaveDataOffset;
        // The fixed layout states the data size just before the samples.
        ScopedFd f(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
        uint8_t size[4];
        if (f.fd < 0 || !readFullyAt(f.fd, kLawWaveDataOffset - 4, size, 4))
            return damaged(p, "Format seems corrupted.");
        p.sizeDamaged = getU32(size) > p.dataBytes;
    }
    p.format = SampleFormat::pcm(w.format.nSamplesPerSec, 16, w.format.nChannels);
    if (!checkChannelsAndRate(p)) return p;
    p.dataBytes -= p.dataBytes % p.format.nChannels;
    return p;
}

int writeLawWave(const std::string& path, const SoundBuffer& sound, bool muLaw) {
    const SampleFormat& f = sound.format;
    const int64_t samples = sound.frameCount() * f.nChannels;
    if (samples > WaveFileHeader::kMaxDataBytes) return EFBIG;
    SampleFormat coded;
    coded.wFormatTag = muLaw ? kFormatMuLaw : kFormatALaw;
    coded.nChannels = f.nChannels;
    coded.nSamplesPerSec = f.nSamplesPerSec;
    coded.nAvgBytesPerSec = uint32_t(f.nChannels) * f.nSamplesPerSec;
    coded.nBlockAlign = f.nChannels;
    coded.wBitsPerSample = 8;
    coded.cbSize = 0;

    SafeFileWriter w;
    if (int e = w.open(path)) return e;
    uint8_t h[kWaveHeaderBytes];
    WaveFileHeader::build(h, coded, uint32_t(samples));
    w.write(h, sizeof h);
    constexpr int64_t kBlock = int64_t(1) << 18;
    std::vector<uint8_t> out(size_t(samples < kBlock ? samples : kBlock));
    const int bytesPerSample = f.wBitsPerSample / 8;
    for (int64_t done = 0; done < samples;) {
        const int64_t n = samples - done < kBlock ? samples - done : kBlock;
        compressG711(sound.bytes.data() + done * bytesPerSample, f.wBitsPerSample, size_t(n), out.data(), muLaw);
        w.write(out.data(), size_t(n));
        done += n;
    }
    w.commit();
    return 0;
}

} // namespace sv

// A disc image of synthesised audio for the CD tests and benchmarks: a
// ".bin" of raw 2352-byte sectors and the ".cue" sheet that lays out its
// tracks. Header only, so a benchmark can build one too.
#pragma once
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace sv::test {

struct CdImage {
    std::string cue;
    std::vector<int32_t> trackStarts;   // first sector of each track
    int32_t sectors = 0;                // whole disc
    // The disc's frames as left/right pairs, frame f at 2f, 2f + 1.
    std::vector<int16_t> samples;
};

// Stereo frame f of the disc. Never silent on both channels at once, so a
// capture's stretches of silence (start-up, pause) are easy to tell from
// the music, and different at every frame for a long way.
inline int16_t cdImageSample(int64_t frame, int channel) {
    const int v = 1000 + int((frame * (channel ? 13 : 7)) % 20000);
    return int16_t(channel ? -v : v);
}

// Writes name.bin and name.cue in `folder` (with its trailing '/'); the
// tracks are given in sectors (75 a second).
inline CdImage writeCdImage(const std::string& folder, const std::string& name,
                            const std::vector<int32_t>& trackSectors) {
    CdImage img;
    img.cue = folder + name + ".cue";
    std::string sheet = "FILE \"" + name + ".bin\" BINARY\n";
    for (size_t t = 0; t < trackSectors.size(); ++t) {
        const int32_t at = img.sectors;
        img.trackStarts.push_back(at);
        char line[128];
        std::snprintf(line, sizeof line, "  TRACK %02d AUDIO\n    INDEX 01 %02d:%02d:%02d\n", int(t + 1),
                      int(at / 75 / 60), int(at / 75 % 60), int(at % 75));
        sheet += line;
        img.sectors += trackSectors[t];
    }
    const int64_t frames = int64_t(img.sectors) * 588;
    img.samples.resize(size_t(frames) * 2);
    std::vector<uint8_t> bin(size_t(frames) * 4);
    for (int64_t f = 0; f < frames; ++f)
        for (int c = 0; c < 2; ++c) {
            const int16_t v = cdImageSample(f, c);
            img.samples[size_t(2 * f + c)] = v;
            bin[size_t(4 * f + 2 * c)] = uint8_t(uint16_t(v));
            bin[size_t(4 * f + 2 * c + 1)] = uint8_t(uint16_t(v) >> 8);
        }
    if (std::FILE* f = std::fopen((folder + name + ".bin").c_str(), "wb")) {
        std::fwrite(bin.data(), 1, bin.size(), f);
        std::fclose(f);
    }
    if (std::FILE* f = std::fopen(img.cue.c_str(), "wb")) {
        std::fwrite(sheet.data(), 1, sheet.size(), f);
        std::fclose(f);
    }
    return img;
}

// The 16-bit stereo frames of a captured WAVE file (44-byte header) as
// left/right pairs, without the silent ones (start-up, pauses, the end):
// the image's music never has one.
inline std::vector<int16_t> heardMusic(const std::string& capture) {
    std::vector<int16_t> out;
    std::FILE* f = std::fopen(capture.c_str(), "rb");
    if (!f) return out;
    std::vector<uint8_t> bytes;
    uint8_t buf[65536];
    for (size_t n; (n = std::fread(buf, 1, sizeof buf, f)) > 0;) bytes.insert(bytes.end(), buf, buf + n);
    std::fclose(f);
    for (size_t i = 44; i + 3 < bytes.size(); i += 4) {
        const int16_t l = int16_t(bytes[i] | (bytes[i + 1] << 8));
        const int16_t r = int16_t(bytes[i + 2] | (bytes[i + 3] << 8));
        if (l || r) {
            out.push_back(l);
            out.push_back(r);
        }
    }
    return out;
}

} // namespace sv::test

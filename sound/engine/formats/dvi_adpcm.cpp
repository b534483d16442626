#include "sound/engine/formats/dvi_adpcm.h"

#include <algorithm>
#include <cstring>

#include "platform/files.h"
#include "sound/engine/formats/g711.h"

namespace sv {

namespace {

const int kStepTable[89] = {
    7,     8,     9,     10,    11,    12,    13,    14,    16,    17,    19,    21,    23,    25,    28,
    31,    34,    37,    41,    45,    50,    55,    60,    66,    73,    80,    88,    97,    107,   118,
    130,   143,   157,   173,   190,   209,   230,   253,   279,   307,   337,   371,   408,   449,   494,
    544,   598,   658,   724,   796,   876,   963,   1060,  1166,  1282,  1411,  1552,  1707,  1878,  2066,
    2272,  2499,  2749,  3024,  3327,  3660,  4026,  4428,  4871,  5358,  5894,  6484,  7132,  7845,  8630,
    9493,  10442, 11487, 12635, 13899, 15289, 16818, 18500, 20350, 22385, 24623, 27086, 29794, 32767};
const int kIndexTable[8] = {-1, -1, -1, -1, 2, 4, 6, 8};

// Codes one sample against the decoder's own prediction, and moves the
// prediction and the index as the decoder will.
uint8_t codeSample(int sample, int& predicted, int& index) {
    int step = kStepTable[index];
    int diff = sample - predicted;
    uint8_t code = 0;
    if (diff < 0) {
        code = 8;
        diff = -diff;
    }
    int delta = step >> 3;
    if (diff >= step) { code |= 4; diff -= step; delta += step; }
    step >>= 1;
    if (diff >= step) { code |= 2; diff -= step; delta += step; }
    step >>= 1;
    if (diff >= step) { code |= 1; delta += step; }
    predicted = std::clamp(predicted + ((code & 8) ? -delta : delta), -32768, 32767);
    index = std::clamp(index + kIndexTable[code & 7], 0, 88);
    return code;
}

void put16(std::vector<uint8_t>& v, uint32_t x) {
    v.push_back(uint8_t(x));
    v.push_back(uint8_t(x >> 8));
}
void put32(std::vector<uint8_t>& v, uint32_t x) {
    put16(v, x & 0xFFFF);
    put16(v, x >> 16);
}

} // namespace

int dviSamplesPerBlock(int channels) { return (kDviBlockAlign - 4 * channels) * 8 / (4 * channels) + 1; }

std::vector<uint8_t> CodificaBlock(const int16_t* frames, int count, int channels, int index[2]) {
    const int spb = dviSamplesPerBlock(channels);
    auto at = [&](int i, int c) { return i < count ? int(frames[i * channels + c]) : 0; };
    std::vector<uint8_t> out;
    out.reserve(kDviBlockAlign);
    int predicted[2] = {0, 0};
    for (int c = 0; c < channels; ++c) {
        predicted[c] = at(0, c);
        put16(out, uint16_t(int16_t(predicted[c])));
        out.push_back(uint8_t(index[c]));
        out.push_back(0);
    }
    // Each channel's codes in groups of eight (four bytes), the channels
    // taking turns; the first code of a byte in its low nibble.
    for (int i = 1; i < spb; i += 8)
        for (int c = 0; c < channels; ++c)
            for (int k = 0; k < 8; k += 2) {
                const uint8_t lo = codeSample(at(i + k, c), predicted[c], index[c]);
                const uint8_t hi = codeSample(at(i + k + 1, c), predicted[c], index[c]);
                out.push_back(uint8_t(lo | (hi << 4)));
            }
    out.resize(kDviBlockAlign, 0);
    return out;
}

int writeDviAdpcmWave(const std::string& path, const SoundBuffer& sound) {
    const int ch = sound.format.nChannels;
    const int64_t frames = sound.frameCount();
    const uint32_t rate = sound.format.nSamplesPerSec;
    const int spb = dviSamplesPerBlock(ch);
    const int64_t blocks = (frames + spb - 1) / spb;
    const uint32_t dataBytes = uint32_t(blocks * kDviBlockAlign);
    std::vector<uint8_t> h = {'R', 'I', 'F', 'F'};
    put32(h, 4 + 28 + 8 + dataBytes);
    for (char x : std::string("WAVEfmt ")) h.push_back(uint8_t(x));
    put32(h, 20);
    put16(h, 17);
    put16(h, uint32_t(ch));
    put32(h, rate);
    put32(h, uint32_t(uint64_t(rate) * kDviBlockAlign / uint64_t(spb)));
    put16(h, kDviBlockAlign);
    put16(h, 4);
    put16(h, 2);
    put16(h, uint32_t(spb));
    for (char x : std::string("data")) h.push_back(uint8_t(x));
    put32(h, dataBytes);

    SafeFileWriter w;
    if (int e = w.open(path)) return e;
    w.write(h.data(), h.size());
    int index[2] = {0, 0};
    std::vector<int16_t> wide(size_t(spb) * ch);
    const bool eight = sound.format.wBitsPerSample == 8;
    for (int64_t b = 0; b < blocks; ++b) {
        const int64_t first = b * spb;
        const int count = int(std::min<int64_t>(spb, frames - first));
        const uint8_t* p = sound.frame(first);
        for (int i = 0; i < count * ch; ++i)
            wide[size_t(i)] = eight ? widenForCoding(p[i])
                                    : int16_t(uint16_t(p[2 * i] | (p[2 * i + 1] << 8)));
        const std::vector<uint8_t> block = CodificaBlock(wide.data(), count, ch, index);
        w.write(block.data(), block.size());
    }
    w.commit();
    return 0;
}

} // namespace sv

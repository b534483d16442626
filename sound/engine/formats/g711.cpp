#include "sound/engine/formats/g711.h"

#include <array>
#include <cstring>

namespace sv {

namespace {

constexpr int kMuBias = 132;
constexpr int kMuClip = 32635;

// Segment (exponent) of a biased mu-law magnitude, indexed by bits 7..14.
constexpr std::array<uint8_t, 256> makeMuExponents() {
    std::array<uint8_t, 256> t{};
    for (int i = 0; i < 256; ++i) {
        int e = 0;
        for (int v = i >> 1; v; v >>= 1) ++e;
        t[size_t(i)] = uint8_t(e);
    }
    return t;
}
constexpr std::array<uint8_t, 256> kMuExponents = makeMuExponents();

constexpr int16_t muExpandOne(uint8_t code) {
    constexpr int base[8] = {0, 132, 396, 924, 1980, 4092, 8316, 16764};
    const int e = ((code >> 4) & 7) ^ 7;
    const int magnitude = ((~code & 15) << (e + 3)) + base[e];
    return int16_t((code & 0x80) ? magnitude : -magnitude);
}

constexpr int16_t aExpandOne(uint8_t code) {
    const int a = code ^ 0x55;
    int t = (a & 15) << 4;
    const int s = (a >> 4) & 7;
    if (s == 0) t += 8;
    else if (s == 1) t += 0x108;
    else t = (t + 0x108) << (s - 1);
    return int16_t((a & 0x80) ? t : -t);
}

template <int16_t (*Expand)(uint8_t)>
constexpr std::array<int16_t, 256> makeExpandTable() {
    std::array<int16_t, 256> t{};
    for (int i = 0; i < 256; ++i) t[size_t(i)] = Expand(uint8_t(i));
    return t;
}
constexpr std::array<int16_t, 256> kMuTable = makeExpandTable<muExpandOne>();
constexpr std::array<int16_t, 256> kATable = makeExpandTable<aExpandOne>();

template <bool MuLaw>
void compressLoop(const uint8_t* in, int bits, size_t samples, uint8_t* out) {
    if (bits == 8) {
        for (size_t i = 0; i < samples; ++i)
            out[i] = MuLaw ? muLawCompress(widenForCoding(in[i])) : aLawCompress(widenForCoding(in[i]));
        return;
    }
    for (size_t i = 0; i < samples; ++i) {
        int16_t v;
        std::memcpy(&v, in + 2 * i, 2);
        out[i] = MuLaw ? muLawCompress(v) : aLawCompress(v);
    }
}

} // namespace

uint8_t muLawCompress(int16_t x) {
    int v = x;
    const int sign = v < 0 ? 0x80 : 0;
    if (v < 0) v = -v;
    if (v > kMuClip) v = kMuClip;
    v += kMuBias;
    const int exponent = kMuExponents[size_t((v >> 7) & 255)];
    const int mantissa = (v >> (exponent + 3)) & 15;
    return uint8_t(~(sign | (exponent << 4) | mantissa));
}

uint8_t aLawCompress(int16_t x) {
    static constexpr int kSegmentEnd[8] = {0xFF, 0x1FF, 0x3FF, 0x7FF, 0xFFF, 0x1FFF, 0x3FFF, 0x7FFF};
    int v = x;
    int mask = 0xD5;
    if (v < 0) {
        mask = 0x55;
        // -1..-7 would go below 0 and code as -248: they are the smallest
        // negative step, like -8.
        v = -v - 8;
        if (v < 0) v = 0;
    }
    // A segment's end value is its own last value, not the next segment's
    // first: coded one segment up it would come back nearly doubled.
    int segment = 0;
    while (segment < 8 && v > kSegmentEnd[segment]) ++segment;
    if (segment == 8) return uint8_t(0x7F ^ mask);
    const int quant = (segment < 2 ? v >> 4 : v >> (segment + 3)) & 15;
    return uint8_t(((segment << 4) | quant) ^ mask);
}

int16_t muLawExpand(uint8_t code) { return kMuTable[code]; }
int16_t aLawExpand(uint8_t code) { return kATable[code]; }

void expandG711(const uint8_t* in, size_t n, uint8_t* out, bool muLaw) {
    const int16_t* table = muLaw ? kMuTable.data() : kATable.data();
    for (size_t i = 0; i < n; ++i) std::memcpy(out + 2 * i, &table[in[i]], 2);
}

void compressG711(const uint8_t* in, int bits, size_t samples, uint8_t* out, bool muLaw) {
    if (muLaw) compressLoop<true>(in, bits, samples, out);
    else compressLoop<false>(in, bits, samples, out);
}

} // namespace sv

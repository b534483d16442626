#include "sound/engine/effects/histogram.h"

#include <algorithm>
#include <vector>

namespace sv {

std::array<int32_t, 256> HistogramTable{};

HistogramStats histogram(const SoundBuffer& s) {
    HistogramTable.fill(0);
    HistogramStats st;
    if (!s.format.isSupportedPcm()) return st;
    const FrameSpan sel = s.selection();
    const int64_t n = sel.length * s.format.nChannels;
    if (n == 0) return st;
    const uint8_t* p = s.frame(sel.start);
    const bool eight = s.format.wBitsPerSample == 8;

    // One count per stored value; the sums come from the counts, so the
    // walk over the samples is a single increment each.
    std::vector<int64_t> counts(eight ? 256 : 65536, 0);
    if (eight) {
        for (int64_t i = 0; i < n; ++i) ++counts[p[i]];
    } else {
        for (int64_t i = 0; i < n; ++i) ++counts[uint16_t(p[2 * i] | (p[2 * i + 1] << 8))];
    }

    // Sums exact in integers: |v| <= 2^15 and n < 2^40 keep sum v^2 in 2^70,
    // beyond int64, so 128 bits.
    __int128 sum = 0, sumSq = 0;
    std::array<int64_t, 256> table{};
    for (size_t bits = 0; bits < counts.size(); ++bits) {
        const int64_t c = counts[bits];
        if (!c) continue;
        const int64_t v = eight ? int64_t(bits) : int64_t(int16_t(uint16_t(bits)));
        sum += __int128(v) * c;
        sumSq += __int128(v * v) * c;
        const size_t k = eight ? bits : size_t((std::max<int64_t>(v, -32767) + 32767) >> 8);
        table[k] += c;
    }
    for (size_t k = 0; k < 256; ++k) HistogramTable[k] = int32_t(std::min<int64_t>(table[k], INT32_MAX));
    st.count = n;
    st.mean = double(sum) / double(n);
    const __int128 spread = __int128(n) * sumSq - sum * sum;   // n^2 x variance, >= 0
    st.variance = double(spread) / (double(n) * double(n));
    return st;
}

} // namespace sv

#include "sound/display_ruler.h"

#include <cmath>
#include <cstdint>

#include "platform/numbers.h"

namespace sv {

namespace {
std::string signedText(int64_t v) { return (v > 0 ? "+" : "") + std::to_string(v); }
} // namespace

std::string rulerLabel(int scale, int i, int bitsPerSample) {
    switch (scale) {
    case kScaleSampleValue: {
        const double p = std::ldexp(1.0, bitsPerSample);
        return signedText(roundHalfEven(p / 2) - roundHalfEven(p * i / 8));
    }
    case kScaleDecibels:
        if (i == 4) return "-inf";
        return std::to_string(roundHalfEven(20 * std::log10(std::fabs(1 - i / 4.0)))) + " dB";
    default:
        return signedText(100 - 25 * i) + "%";
    }
}

int rulerStep(bool stereo, int height) {
    if (stereo) return int(roundHalfEven(height / 4.0) / 4);
    return height / 2 / 4;
}

int rulerBandOffset(bool stereo, int band, int height) {
    return stereo && band == 1 ? int(2 * roundHalfEven(height / 4.0)) : 0;
}

int rulerLabelTop(bool stereo, int band, int i, int height, int overviewHeight) {
    return rulerBandOffset(stereo, band, height) + i * rulerStep(stereo, height) - overviewHeight;
}

std::vector<int> gridRows(bool stereo, int height) {
    std::vector<int> rows;
    const int step = rulerStep(stereo, height);
    for (int band = 0; band < (stereo ? 2 : 1); ++band) {
        const int offset = rulerBandOffset(stereo, band, height);
        for (int k = 1; k <= 7; ++k)
            if (k != 4) rows.push_back(offset + k * step);
    }
    return rows;
}

} // namespace sv

#include "sound/engine/fft/fft_work_area.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "platform/numbers.h"
#include "sound/engine/fft/fft_lanes.h"

namespace sv {

namespace {

// The windows' own 2*pi and 4*pi.
constexpr double kTwoPi = 6.283185308;
constexpr double kFourPi = 12.566370616;

} // namespace

bool isFftSize(int64_t n) { return n >= 1 && n <= kMaxFftPoints && (n & (n - 1)) == 0; }

void FftWorkArea::fft(int32_t isign, int32_t n) {
    if (!isFftSize(n)) throw FftBlockError();
    double* xr = FftData.re.data();
    double* xi = FftData.im.data();

    bitReversePoints(xr, xi, n);

    const bool inverse = isign == 1;
    const FftTwiddles& tw = fftTwiddles();
    const double* twr = inverse ? tw.reInverse.data() : tw.reForward.data();
    const double* twi = inverse ? tw.imInverse.data() : tw.imForward.data();
    // Butterflies of one stage are independent of each other, so walking
    // them group by group gives the same values as walking them by twiddle
    // while keeping each group's points together in cache.
    for (int half = 1; half < n; half *= 2) {
        const int span = half * 2;
        const double* wr = twr + half - 1;
        const double* wi = twi + half - 1;
        for (int g = 0; g < n; g += span) {
            double* ar = xr + g;
            double* ai = xi + g;
            double* br = ar + half;
            double* bi = ai + half;
            for (int l = 0; l < half; ++l) {
                const double tr = wr[l] * br[l] - wi[l] * bi[l];
                const double ti = wr[l] * bi[l] + wi[l] * br[l];
                br[l] = ar[l] - tr;
                bi[l] = ai[l] - ti;
                ar[l] = ar[l] + tr;
                ai[l] = ai[l] + ti;
            }
        }
    }

    if (inverse) {
        const double dn = n;
        for (int i = 0; i < n; ++i) {
            xr[i] /= dn;
            xi[i] /= dn;
        }
    }
}

double FftWorkArea::windowValue(int32_t type, int32_t j, int32_t n) {
    const double dn = n;
    switch (type) {
    case kWindowBartlett:
        return 2.0 * j <= dn ? (2.0 * j) / dn : 2.0 - (2.0 * j) / dn;
    case kWindowHanning:
        return 0.5 - 0.5 * std::cos(kTwoPi * j / dn);
    case kWindowHamming:
        return 0.54 - 0.46 * std::cos(kTwoPi * j / dn);
    case kWindowBlackman:
        return 0.42 - 0.5 * std::cos(kTwoPi * j / dn) + 0.08 * std::cos(kFourPi * j / dn);
    default:
        return 1.0;
    }
}

void FftWorkArea::enfinestrar(int32_t type, int32_t n) {
    if (type < kWindowBartlett || type > kWindowBlackman) return;
    if (!isFftSize(n)) throw FftBlockError();
    if (type != windowType_ || n != windowN_) {
        for (int32_t j = 0; j < n; ++j) window_[j] = windowValue(type, j, n);
        windowType_ = type;
        windowN_ = n;
    }
    double* xr = FftData.re.data();
    for (int32_t j = 0; j < n; ++j) xr[j] *= window_[j];
}

void FftWorkArea::setBand(int32_t low, int32_t high, int32_t action) {
    LowCut = low;
    HighCut = high;
    FilterAction = action;
}

void FftWorkArea::filtrar(TransformMode mode, int32_t f2, int32_t f1, int32_t rate) {
    SampleRate = rate;
    if (mode == TransformMode::cancelat) return;
    if (mode == TransformMode::avanzado) {
        bandLoop();
        return;
    }
    OverlapSamples = 1024;
    FftSize = 2048;
    const int32_t half = rate / 2;
    switch (mode) {
    case TransformMode::paso_bajo: setBand(1, f2, kActionBandPass); break;
    case TransformMode::paso_alto: setBand(f1, half, kActionBandPass); break;
    case TransformMode::paso_banda: setBand(100, 5000, kActionBandPass); break;
    case TransformMode::telefono: setBand(300, 3400, kActionBandPass); break;
    case TransformMode::r_bass: setBand(1, 300, kActionBoost); Ratio = 1.5; break;
    case TransformMode::s_bass: setBand(1, 300, kActionDecrease); Ratio = 1.5; break;
    case TransformMode::r_treble: setBand(300, 3400, kActionBoost); Ratio = 1.5; break;
    case TransformMode::s_treble: setBand(300, 3400, kActionDecrease); Ratio = 1.5; break;
    case TransformMode::r_hight: setBand(4000, half, kActionBoost); Ratio = 1.5; break;
    case TransformMode::s_hight: setBand(4000, half, kActionDecrease); Ratio = 1.5; break;
    case TransformMode::Bionic: setBand(1, half, kActionSpectralAverage); break;
    case TransformMode::karaoke: setBand(300, 3400, kActionDecrease); Ratio = 8.0; break;
    case TransformMode::expansor_dinamica: setBand(1, 20, kActionBoost); Ratio = f2 / 100.0; break;
    case TransformMode::ecualizar: setBand(1, half, kActionEqualizer); break;
    case TransformMode::PasaBandaPersonalitzat: setBand(f1, f2, kActionBandPass); break;
    // The reverb's optional low pass: the ordinary low pass at 5000 Hz, so
    // that it never depends on what an earlier operation left here.
    case TransformMode::paso_bajo_reverb: setBand(1, 5000, kActionBandPass); break;
    case TransformMode::stsa:
        OverlapSamples = 512;
        FftSize = 1024;
        stsa();
        return;
    case TransformMode::MoureFrequencies:
        MoureFrequencies(f1);
        return;
    default:
        break;
    }
    bandLoop();
}

void FftWorkArea::bandLoop() {
    const int32_t n = FftSize;
    if (!isFftSize(n)) throw FftBlockError();
    double* xr = FftData.re.data();
    double* xi = FftData.im.data();
    // Point k (from 1) is index k - 1: point i is xr[i - 1] and its mirror
    // n - i + 2 is xr[n - i + 1].
    for (int32_t i = 2; i <= n / 2; ++i) {
        // Divided by n - 1, not n: the band edges of stored filters and
        // presets were chosen against this scale.
        const double f = double(int64_t(i - 1) * SampleRate) / double(n - 1);
        const int a = i - 1;
        const int b = n - i + 1;
        if (LowCut <= f && f <= HighCut) {
            switch (FilterAction) {
            case kActionDelete:
                Ratio = 1000000.0;
                xr[a] /= Ratio; xi[a] /= Ratio;
                xr[b] /= Ratio; xi[b] /= Ratio;
                break;
            case kActionBoost:
                xr[a] *= Ratio; xi[a] *= Ratio;
                xr[b] *= Ratio; xi[b] *= Ratio;
                break;
            case kActionDecrease:
                if (Ratio > 0) {
                    xr[a] /= Ratio; xi[a] /= Ratio;
                    xr[b] /= Ratio; xi[b] /= Ratio;
                }
                break;
            case kActionEqualizer: {
                int band;
                if (f < 40) band = 0;
                else if (f < 80) band = 1;
                else if (f < 160) band = 2;
                else if (f < 320) band = 3;
                else if (f < 640) band = 4;
                else if (f < 1280) band = 5;
                else if (f < 2560) band = 6;
                else if (f < 5120) band = 7;
                else if (f < 10240) band = 8;
                else band = 9;
                const int32_t g = EqualizerGains[band];
                if (g != 0) {
                    Ratio = std::pow(10.0, g / 20.0);
                    xr[a] *= Ratio; xi[a] *= Ratio;
                    xr[b] *= Ratio; xi[b] *= Ratio;
                }
                break;
            }
            case kActionSpectralAverage: {
                // In place and ascending, so the lower neighbour already
                // holds its new value. The mirror of point 2 is the last
                // point, whose upper neighbour wraps round to point 1.
                const int bUp = (b + 1) % n;
                xr[a] = (xr[a - 1] + xr[a] + xr[a + 1]) / 3;
                xr[b] = (xr[b - 1] + xr[b] + xr[bUp]) / 3;
                xi[a] = (xi[a - 1] + xi[a] + xi[a + 1]) / 3;
                xi[b] = (xi[b - 1] + xi[b] + xi[bUp]) / 3;
                break;
            }
            default:
                break;
            }
        } else if (FilterAction == kActionBandPass) {
            xr[a] = 0; xi[a] = 0;
            xr[b] = 0; xi[b] = 0;
        }
    }
}

void FftWorkArea::stsa() {
    const int32_t n = std::min<int32_t>(std::max<int32_t>(FftSize, 0), kMaxFftPoints);
    double* xr = FftData.re.data();
    double* xi = FftData.im.data();
    for (int32_t k = 0; k < n; ++k) {
        const double c = std::fabs(xr[k] * xi[k]) / StsaNoisePower;
        if (c < StsaLowerSnr) {
            xr[k] = 0;
            xi[k] = 0;
        } else if (c < StsaUpperSnr) {
            const double g = c / StsaUpperSnr;
            xr[k] *= g;
            xi[k] *= g;
        }
    }
}

void FftWorkArea::MoureFrequencies(int32_t shift) {
    shift = std::clamp<int32_t>(shift, -100, 100);
    const int32_t n = FftSize;
    if (!isFftSize(n) || n < 2) throw FftBlockError();
    const double h = 1.0 - std::abs(shift) / 100.0;
    const int64_t m = roundHalfEven(n / 2 * h);
    double* xr = FftData.re.data();
    double* xi = FftData.im.data();
    // P(k) is point k counted from 1. Here the mirror of point i is
    // n - i + 1, one below the band loop's.
    auto P = [](int64_t k) { return k - 1; };

    if (shift < 0) {
        for (int64_t i = 2; i <= m; ++i) {
            const int64_t u = roundHalfEven(i / h);
            xr[P(i)] = xr[P(u)] / h;
            xi[P(i)] = xi[P(u)] / h;
            xr[P(n - i + 1)] = xr[P(n - u + 1)] / h;
            xi[P(n - i + 1)] = xi[P(n - u + 1)] / h;
        }
        for (int64_t i = m + 1; i <= n / 2; ++i) {
            xr[P(i)] = 0; xi[P(i)] = 0;
            xr[P(n - i + 1)] = 0; xi[P(n - i + 1)] = 0;
        }
        return;
    }

    double* sr = scratch_.re.data();
    double* si = scratch_.im.data();
    std::fill(sr, sr + n, 0.0);
    std::fill(si, si + n, 0.0);
    int64_t p = 1;
    for (int64_t i = 2; i <= m; ++i) {
        const int64_t u = roundHalfEven(i / h);
        sr[P(u)] = xr[P(i)];
        si[P(u)] = xi[P(i)];
        sr[P(n - u + 1)] = xr[P(n - i + 1)];
        si[P(n - u + 1)] = xi[P(n - i + 1)];
        const double span = double(u - p);
        for (int64_t r = 1; r <= u - p - 1; ++r) {
            const double wl = double(u - p - r);
            const double wu = double(r);
            sr[P(p + r)] = (wl * sr[P(p)] + wu * sr[P(u)]) / span;
            si[P(p + r)] = (wl * si[P(p)] + wu * si[P(u)]) / span;
            const int64_t q = n + 1 - (p + r);
            sr[P(q)] = (wl * sr[P(n + 1 - p)] + wu * sr[P(n + 1 - u)]) / span;
            si[P(q)] = (wl * si[P(n + 1 - p)] + wu * si[P(n + 1 - u)]) / span;
        }
        p = u;
    }
    std::copy(sr, sr + n, xr);
    std::copy(si, si + n, xi);
}

} // namespace sv

#include "sound/engine/fft/fft_lanes.h"

#include <cmath>
#include <utility>

namespace sv {

namespace {

// The transform's own value of pi; its twiddle factors, and so every
// filtered sound, depend on these digits.
constexpr double kFftPi = 3.141592654;

void buildTwiddles(double sigma, double* wrOut, double* wiOut) {
    for (int half = 1; half < kMaxFftPoints; half *= 2) {
        const double theta = kFftPi / half;
        const double c = std::cos(theta);
        const double s = sigma * std::sin(theta);
        double wr = 1.0, wi = 0.0;
        for (int l = 0; l < half; ++l) {
            wrOut[half - 1 + l] = wr;
            wiOut[half - 1 + l] = wi;
            const double nr = wr * c - wi * s;
            const double ni = wr * s + wi * c;
            wr = nr;
            wi = ni;
        }
    }
}

// Four doubles; every operation on them is the scalar IEEE operation in
// each lane (this file is built without contraction into fused
// multiply-adds). Without wide registers the compiler splits each operation
// in two.
typedef double Lane4 __attribute__((vector_size(32)));

// The butterflies of every stage, as FftWorkArea::fft walks them.
__attribute__((always_inline)) inline void butterflies(Lane4* xr, Lane4* xi, int n, const double* twr, const double* twi) {
    for (int half = 1; half < n; half *= 2) {
        const int span = half * 2;
        const double* wr = twr + half - 1;
        const double* wi = twi + half - 1;
        for (int g = 0; g < n; g += span) {
            Lane4* ar = xr + g;
            Lane4* ai = xi + g;
            Lane4* br = ar + half;
            Lane4* bi = ai + half;
            for (int l = 0; l < half; ++l) {
                const Lane4 cr = Lane4{wr[l], wr[l], wr[l], wr[l]};
                const Lane4 ci = Lane4{wi[l], wi[l], wi[l], wi[l]};
                const Lane4 tr = cr * br[l] - ci * bi[l];
                const Lane4 ti = cr * bi[l] + ci * br[l];
                br[l] = ar[l] - tr;
                bi[l] = ai[l] - ti;
                ar[l] = ar[l] + tr;
                ai[l] = ai[l] + ti;
            }
        }
    }
}

void butterfliesPlain(Lane4* xr, Lane4* xi, int n, const double* twr, const double* twi) {
    butterflies(xr, xi, n, twr, twi);
}

#if defined(__x86_64__) && defined(__GNUC__)
// The same source with 256-bit registers on processors that have them;
// "avx2" brings no fused multiply-add.
__attribute__((target("avx2"))) void butterfliesWide(Lane4* xr, Lane4* xi, int n, const double* twr,
                                                     const double* twi) {
    butterflies(xr, xi, n, twr, twi);
}
bool haveWide() {
    static const bool wide = __builtin_cpu_supports("avx2");
    return wide;
}
#else
void butterfliesWide(Lane4* xr, Lane4* xi, int n, const double* twr, const double* twi) {
    butterflies(xr, xi, n, twr, twi);
}
bool haveWide() { return false; }
#endif

} // namespace

const FftTwiddles& fftTwiddles() {
    static const FftTwiddles t = [] {
        FftTwiddles w;
        buildTwiddles(-1.0, w.reForward.data(), w.imForward.data());
        buildTwiddles(1.0, w.reInverse.data(), w.imInverse.data());
        return w;
    }();
    return t;
}

struct FftLanes::Lanes {
    Lane4 re[kMaxFftPoints];
    Lane4 im[kMaxFftPoints];
};

FftLanes::FftLanes() : lanes_(std::make_unique<Lanes>()) {}
FftLanes::~FftLanes() = default;

void FftLanes::transform(FftPoints* const* blocks, int count, int32_t isign, int32_t n) {
    if (!isFftSize(n)) throw FftBlockError();
    if (count < 1 || count > kFftLanes) return;
    Lane4* xr = lanes_->re;
    Lane4* xi = lanes_->im;
    // Lanes without a block of their own repeat the first block.
    const FftPoints* in[kFftLanes];
    for (int l = 0; l < kFftLanes; ++l) in[l] = blocks[l < count ? l : 0];

    for (int i = 0; i < n; ++i) {
        xr[i] = Lane4{in[0]->re[i], in[1]->re[i], in[2]->re[i], in[3]->re[i]};
        xi[i] = Lane4{in[0]->im[i], in[1]->im[i], in[2]->im[i], in[3]->im[i]};
    }
    // The bit-reversal permutation, swapping whole lanes at once.
    bitReversePoints(xr, xi, n);

    const bool inverse = isign == 1;
    const FftTwiddles& tw = fftTwiddles();
    const double* twr = inverse ? tw.reInverse.data() : tw.reForward.data();
    const double* twi = inverse ? tw.imInverse.data() : tw.imForward.data();
    if (haveWide()) butterfliesWide(xr, xi, n, twr, twi);
    else butterfliesPlain(xr, xi, n, twr, twi);

    // The inverse divides by n, a power of two: multiplying by 1 / n gives
    // the same correctly rounded quotient, and a multiply is cheaper.
    const double scale = inverse ? 1.0 / double(n) : 1.0;
    for (int l = 0; l < count; ++l) {
        double* re = blocks[l]->re.data();
        double* im = blocks[l]->im.data();
        if (inverse) {
            for (int i = 0; i < n; ++i) {
                re[i] = xr[i][l] * scale;
                im[i] = xi[i][l] * scale;
            }
        } else {
            for (int i = 0; i < n; ++i) {
                re[i] = xr[i][l];
                im[i] = xi[i][l];
            }
        }
    }
}

} // namespace sv

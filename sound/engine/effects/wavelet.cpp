#include "sound/engine/effects/wavelet.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <vector>

#include "sound/engine/fft/transformar.h"

namespace sv {

namespace {

constexpr double C0 = 0.4829629131445341;
constexpr double C1 = 0.8365163037378079;
constexpr double C2 = 0.2241438680420134;
constexpr double C3 = -0.1294095225512604;

constexpr int kBlock = 1024;
constexpr int kOverlap = 512;

struct Job {
    const uint8_t* selection;
    uint8_t* out;
    BlockPlan plan;
    int32_t mode;
    double t;
};

template <typename S, int C>
void denoiseBlocks(const Job& job, const OperationContext& ctx) {
    constexpr int64_t kSize = sizeof(S);
    constexpr int64_t kFrame = kSize * C;
    constexpr int64_t n = kBlock, o = kOverlap;
    const int64_t blocks = job.plan.blocks;
    std::array<double, kBlock> a;
    for (int c = 0; c < C; ++c) {
        for (int64_t k = 1; k <= blocks; ++k) {
            const int64_t first = (k - 1) * job.plan.hop;
            const int64_t len = k < blocks ? n : job.plan.lastLength;
            const uint8_t* in = job.selection + first * kFrame + c * kSize;
            for (int64_t m = 0; m < len; ++m) a[size_t(m)] = readSample(in + m * kFrame, S{});
            std::fill(a.begin() + len, a.end(), 0.0);
            wt1(a.data(), kBlock, 1);
            thresholdCoefficients(a.data(), kBlock, job.mode, job.t);
            wt1(a.data(), kBlock, -1);

            // The overlap join of the spectral engine: the earlier block's
            // tail weighted (o - j + 1) / o, the later block's head j / o.
            uint8_t* out = job.out + first * kFrame + c * kSize;
            for (int64_t m = 1; m <= len; ++m) {
                const double x = a[size_t(m - 1)];
                uint8_t* q = out + (m - 1) * kFrame;
                double v;
                if (m <= o && k >= 2)
                    v = std::nearbyint(double(m) * x / double(o)) + readSample(q, S{});
                else if (m > n - o && k < blocks)
                    v = std::nearbyint(double(n - m + 1) * x / double(o));
                else
                    v = std::nearbyint(x);
                storeFilteredValue<S, C>(q, v);
            }
            ctx.report(c * blocks + k, C * blocks);
        }
    }
}

} // namespace

void daub4(double* a, int nn, int dir) {
    if (nn < 4) return;
    std::array<double, kBlock> wk;
    double* w = nn <= kBlock ? wk.data() : nullptr;
    std::vector<double> big;
    if (!w) {
        big.resize(size_t(nn));
        w = big.data();
    }
    const int nh = nn / 2;
    if (dir > 0) {
        int i = 0;
        for (int j = 0; j < nn - 3; j += 2, ++i) {
            w[i] = C0 * a[j] + C1 * a[j + 1] + C2 * a[j + 2] + C3 * a[j + 3];
            w[i + nh] = C3 * a[j] - C2 * a[j + 1] + C1 * a[j + 2] - C0 * a[j + 3];
        }
        w[i] = C0 * a[nn - 2] + C1 * a[nn - 1] + C2 * a[0] + C3 * a[1];
        w[i + nh] = C3 * a[nn - 2] - C2 * a[nn - 1] + C1 * a[0] - C0 * a[1];
    } else {
        w[0] = C2 * a[nh - 1] + C1 * a[nn - 1] + C0 * a[0] + C3 * a[nh];
        w[1] = C3 * a[nh - 1] - C0 * a[nn - 1] + C1 * a[0] - C2 * a[nh];
        int j = 2;
        for (int i = 0; i < nh - 1; ++i) {
            w[j++] = C2 * a[i] + C1 * a[i + nh] + C0 * a[i + 1] + C3 * a[i + nh + 1];
            w[j++] = C3 * a[i] - C0 * a[i + nh] + C1 * a[i + 1] - C2 * a[i + nh + 1];
        }
    }
    std::memcpy(a, w, sizeof(double) * size_t(nn));
}

void wt1(double* a, int n, int dir) {
    if (n < 4) return;
    if (dir > 0) {
        for (int nn = n; nn >= 4; nn >>= 1) daub4(a, nn, dir);
    } else {
        for (int nn = 4; nn <= n; nn <<= 1) daub4(a, nn, dir);
    }
}

void thresholdCoefficients(double* a, int n, int32_t mode, double t) {
    if (mode == kWaveletSoft) {
        for (int i = 0; i < n; ++i)
            if (std::fabs(a[i]) < t) a[i] = 0;
    } else if (mode == kWaveletHard) {
        // Shrinks towards 0: a negative coefficient moves up by t.
        for (int i = 0; i < n; ++i) {
            if (std::fabs(a[i]) < t) a[i] = 0;
            else a[i] = a[i] < 0 ? a[i] + t : a[i] - t;
        }
    }
}

bool wavelet(SoundBuffer& s, int32_t mode, double threshold, const OperationContext& ctx) {
    if (!s.format.isSupportedPcm()) return false;
    const FrameSpan sel = s.selection();
    const int64_t length = sel.length == s.frameCount() ? sel.length - 1 : sel.length;
    if (length <= 0) return false;
    if (length != sel.length) s.selectionLength = length;

    Job job;
    job.plan = planBlocks(length, kBlock, kOverlap);
    job.mode = mode;
    job.t = threshold * (s.format.wBitsPerSample == 8 ? 127.0 : 32767.0) / 100.0;
    job.selection = s.frame(sel.start);
    const size_t bytes = size_t(length) * s.format.nBlockAlign;
    ByteBlock out(bytes);
    job.out = out.data();
    dispatchLayout(s.format, [&](auto sample, auto channels) {
        denoiseBlocks<decltype(sample), decltype(channels)::value>(job, ctx);
    });
    std::memcpy(s.frame(sel.start), out.data(), bytes);
    return true;
}

} // namespace sv

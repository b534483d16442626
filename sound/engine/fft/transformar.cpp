#include "sound/engine/fft/transformar.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <stdexcept>

#include "platform/numbers.h"

namespace sv {

namespace {

// Every preset frames its blocks as 2048 points, half overlapped, without a
// window; only the advanced filter chooses its own.
constexpr int32_t kPresetPoints = 2048;
constexpr int32_t kPresetOverlap = 1024;
constexpr double kPi = 3.14159265358979323846;

// The engine runs on the four layouts whatever the format tag: a sound
// decoded from A-law or mu-law holds plain 16-bit samples.
bool layoutSupported(const SampleFormat& f) { return f.hasFrameLayout(); }

// The frames the engine processes: a whole-sound selection loses its last
// frame.
int64_t processedLength(const SoundBuffer& sound) {
    const int64_t length = sound.selection().length;
    return length == sound.frameCount() ? length - 1 : length;
}

int32_t rateOf(const SoundBuffer& sound) {
    return static_cast<int32_t>(std::min<uint32_t>(sound.format.nSamplesPerSec, INT32_MAX));
}

// Stores v (already rounded) at p with the clamp of the layout, and reads a
// stored value back relative to silence.
template <typename S, int C>
inline void storeValue(uint8_t* p, double v) {
    if constexpr (sizeof(S) == 1) {
        // Stereo stops at 254 so that both channels stay symmetric around
        // the silence at 127; mono may reach 255.
        const double b = C == 1 ? std::clamp(v + 127.0, 0.0, 255.0) : std::clamp(v, -127.0, 127.0) + 127.0;
        *p = static_cast<uint8_t>(b);
    } else {
        writeSample(p, static_cast<int>(std::clamp(v, -32767.0, 32767.0)), int16_t{});
    }
}

struct BlockJob {
    const uint8_t* selection;  // first frame of the selection
    uint8_t* out;              // output buffer, same layout
    BlockPlan plan;
    int32_t n, o, window;
    TransformMode mode;
    int32_t f1, f2, rate;
};

template <typename S, int C>
void runBlocks(const BlockJob& job, FftWorkArea& area, const OperationContext& ctx) {
    constexpr int64_t kSize = sizeof(S);
    constexpr int64_t kFrame = kSize * C;
    const int64_t n = job.n;
    const int64_t o = job.o;
    const int64_t blocks = job.plan.blocks;
    const bool expander = job.mode == TransformMode::expansor_dinamica;
    double* xr = area.FftData.re.data();
    double* xi = area.FftData.im.data();

    for (int c = 0; c < C; ++c) {
        for (int64_t k = 1; k <= blocks; ++k) {
            const int64_t first = (k - 1) * job.plan.hop;
            const int64_t len = k < blocks ? n : job.plan.lastLength;
            const uint8_t* in = job.selection + first * kFrame + c * kSize;
            for (int64_t m = 0; m < len; ++m) xr[m] = readSample(in + m * kFrame, S{});
            std::fill(xr + len, xr + n, 0.0);
            std::fill(xi, xi + n, 0.0);

            if (expander) {
                // The homomorphic path: the spectrum of the logarithm, the
                // sign kept as a phase of pi.
                for (int64_t m = 0; m < n; ++m) {
                    xi[m] = xr[m] < 0 ? kPi : 0.0;
                    if (xr[m] == 0) xr[m] = 1e-10;
                    xr[m] = std::log(std::fabs(xr[m]));
                }
            }

            area.enfinestrar(job.window, job.n);
            area.fft(0, job.n);
            area.filtrar(job.mode, job.f2, job.f1, job.rate);
            area.fft(1, job.n);

            // The overlap join: the earlier block's tail is weighted
            // (o - j + 1) / o and the later block's head j / o over the o
            // shared samples, so the weights add up to (o + 1) / o there.
            uint8_t* out = job.out + first * kFrame + c * kSize;
            for (int64_t m = 1; m <= len; ++m) {
                double x = xr[m - 1];
                if (expander) x = std::exp(x) * std::cos(xi[m - 1]);
                if (!std::isfinite(x)) throw FftBlockError();
                uint8_t* q = out + (m - 1) * kFrame;
                double v;
                if (m <= o && k >= 2) {
                    v = std::nearbyint(double(m) * x / double(o)) + readSample(q, S{});
                } else if (m > n - o && k < blocks) {
                    v = std::nearbyint(double(n - m + 1) * x / double(o));
                } else {
                    v = std::nearbyint(x);
                }
                storeValue<S, C>(q, v);
            }
            ctx.report(c * blocks + k, C * blocks);
        }
    }
}

// Records a preset's own step, then runs the engine's.
bool presetWithOwnStep(SoundBuffer& sound, const char* words, TransformMode mode, int32_t f1, int32_t f2,
                       FftWorkArea& area, const OperationContext& ctx) {
    if (!layoutSupported(sound.format) || processedLength(sound) <= 0) return false;
    if (!ctx.undo(words, sound.selection().length, false)) return false;
    try {
        transformar(sound, mode, f1, f2, area, ctx);
    } catch (const FftBlockError&) {
        throw FftBlockError(true);
    }
    return true;
}

} // namespace

BlockPlan planBlocks(int64_t length, int32_t n, int32_t overlap) {
    BlockPlan p;
    if (length <= 0 || n <= 0 || overlap < 0 || overlap >= n) return p;
    p.hop = n - overlap;
    p.blocks = std::max<int64_t>(1, length / p.hop);
    p.lastLength = length - p.hop * (p.blocks - 1);
    // With little overlap the remainder can be longer than a block; more
    // blocks keep every output sample inside the transformed data.
    while (p.lastLength > n) {
        ++p.blocks;
        p.lastLength -= p.hop;
    }
    return p;
}

bool transformar(SoundBuffer& sound, const std::string& mode, int32_t f1, int32_t f2,
                 FftWorkArea& area, const OperationContext& ctx) {
    const auto parsed = parseTransformMode(mode);
    if (!parsed) throw std::invalid_argument("Unknown spectral mode \"" + mode + "\".");
    return transformar(sound, *parsed, f1, f2, area, ctx);
}

bool transformar(SoundBuffer& sound, TransformMode mode, int32_t f1, int32_t f2,
                 FftWorkArea& area, const OperationContext& ctx) {
    if (mode == TransformMode::cancelat) return false;
    if (!layoutSupported(sound.format)) return false;
    const int64_t length = processedLength(sound);
    if (length <= 0) return false;
    const int32_t rate = rateOf(sound);

    int32_t n = kPresetPoints, o = kPresetOverlap, window = kWindowRectangular;
    if (mode == TransformMode::avanzado) {
        if (area.showDialog && area.showDialog(rate) == 1) return false;
        n = area.FftSize;
        o = area.OverlapSamples;
        window = area.WindowType;
        // Overlaps above half a block would let a block's tail run past the
        // next block's head; the dialog offers at most 50 %.
        if (!isFftSize(n) || o < 0 || o > n / 2) throw FftBlockError();
    }

    bool stepTaken = false;
    if (mode != TransformMode::paso_bajo_reverb) {
        if (!ctx.undo(transformUndoLabel(mode), sound.selection().length, false)) return false;
        stepTaken = true;
    }
    const FrameSpan sel = sound.selection();
    if (length != sel.length) sound.selectionLength = length;

    BlockJob job;
    job.plan = planBlocks(length, n, o);
    job.n = n;
    job.o = o;
    job.window = window;
    job.mode = mode;
    job.f1 = f1;
    job.f2 = f2;
    job.rate = rate;
    job.selection = sound.frame(sel.start);
    const size_t bytes = static_cast<size_t>(length) * sound.format.nBlockAlign;
    ByteBlock out(bytes);
    job.out = out.data();

    try {
        dispatchLayout(sound.format, [&](auto sample, auto channels) {
            runBlocks<decltype(sample), decltype(channels)::value>(job, area, ctx);
        });
    } catch (const FftBlockError&) {
        throw FftBlockError(stepTaken);
    }
    std::memcpy(sound.frame(sel.start), out.data(), bytes);
    return true;
}

void omplir_x(const SoundBuffer& sound, FftWorkArea& area, int64_t block, int64_t blocks) {
    double* xr = area.FftData.re.data();
    double* xi = area.FftData.im.data();
    std::fill(xr, xr + kSpectrumPoints, 0.0);
    std::fill(xi, xi + kSpectrumPoints, 0.0);
    if (!layoutSupported(sound.format)) return;
    const FrameSpan sel = sound.selection();
    const int64_t first = sel.start + (block - 1) * kSpectrumPoints;
    int64_t count = block == blocks ? sel.length - kSpectrumPoints * (blocks - 1) : kSpectrumPoints;
    count = std::clamp<int64_t>(count, 0, kSpectrumPoints);
    count = std::clamp<int64_t>(count, 0, std::max<int64_t>(0, sound.frameCount() - first));
    if (first < 0 || count <= 0) return;
    dispatchLayout(sound.format, [&](auto sample, auto channels) {
        using S = decltype(sample);
        constexpr int C = decltype(channels)::value;
        constexpr int64_t kSize = sizeof(S);
        const uint8_t* p = sound.frame(first);
        for (int64_t m = 0; m < count; ++m, p += kSize * C) {
            if constexpr (C == 1)
                xr[m] = readSample(p, S{});
            else
                xr[m] = double(readSample(p, S{}) + readSample(p + kSize, S{})) / 2;
        }
    });
}

bool mostrar_transf_fft(const SoundBuffer& sound, FftWorkArea& area) {
    if (!layoutSupported(sound.format)) return false;
    const int64_t length = sound.selection().length;
    if (length <= 0) return false;
    const int64_t blocks = (length + kSpectrumPoints - 1) / kSpectrumPoints;
    const double divisor = double(blocks);
    const double* xr = area.FftData.re.data();
    const double* xi = area.FftData.im.data();
    for (int64_t b = 1; b <= blocks; ++b) {
        omplir_x(sound, area, b, blocks);
        area.fft(0, kSpectrumPoints);
        for (int j = 0; j < kSpectrumPoints; ++j) {
            const double value = (j == 0 || j == kSpectrumPoints - 1)
                                     ? std::fabs(xr[j]) / divisor
                                     : std::sqrt(xr[j] * xr[j] + xi[j] * xi[j]) / divisor;
            if (b == 1)
                area.AverageSpectrum[j] = value;
            else
                area.AverageSpectrum[j] += value;
        }
    }
    return true;
}

bool linea_telefonica(SoundBuffer& sound, FftWorkArea& area, const OperationContext& ctx) {
    return presetWithOwnStep(sound, "Phone line", TransformMode::telefono, 300, 3400, area, ctx);
}

bool Bionic(SoundBuffer& sound, FftWorkArea& area, const OperationContext& ctx) {
    return presetWithOwnStep(sound, "Spectral Average", TransformMode::Bionic, 1, 1, area, ctx);
}

bool karaoke(SoundBuffer& sound, FftWorkArea& area, const OperationContext& ctx) {
    return presetWithOwnStep(sound, "Karaoke", TransformMode::karaoke, 300, 3400, area, ctx);
}

bool Ecualizar(SoundBuffer& sound, const std::array<int32_t, kEqualizerBands>& gains,
               FftWorkArea& area, const OperationContext& ctx) {
    area.EqualizerGains = gains;
    return transformar(sound, TransformMode::ecualizar, 1, 1, area, ctx);
}

std::pair<int32_t, int32_t> voiceCleanerBand(int type) {
    switch (type) {
    case 0: return {300, 3400};
    case 1: return {200, 4000};
    case 2: return {100, 5000};
    default: return {50, 6000};
    }
}

bool voiceCleanerStsa(SoundBuffer& sound, FftWorkArea& area, const OperationContext& ctx) {
    area.StsaUpperSnr = 1000;
    area.StsaLowerSnr = 1000;
    area.StsaNoisePower = 100;
    return transformar(sound, TransformMode::stsa, 0, 0, area, ctx);
}

} // namespace sv

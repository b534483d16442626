#include "sound/engine/fft/transformar.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <stdexcept>

#include "platform/numbers.h"
#include "sound/engine/fft/block_runner.h"

namespace sv {

namespace {

// Every preset frames its blocks as 2048 points, half overlapped, without a
// window; only the advanced filter chooses its own.
constexpr int32_t kPresetPoints = 2048;
constexpr int32_t kPresetOverlap = 1024;

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
        runBlockJob(job, sound.format, area, ctx);
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

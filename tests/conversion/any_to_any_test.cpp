// Whole files converted between every pair of a set of formats covering
// each driver, then back to PCM and compared with the tone they started as.
#include <gtest/gtest.h>

#include "tests/conversion/conversion_support.h"

using namespace sv;
using namespace sv::codec;
using namespace sv::test;

namespace {

std::vector<TkaWaveFormat> formatsUnderTest() {
    std::vector<TkaWaveFormat> v = {
        pcmHolder(2, 22050, 16),
        pcmHolder(1, 11025, 8),
        codecHolder(kTagALaw, 1, 8000),
        codecHolder(kTagMuLaw, 2, 22050),
        codecHolder(kTagImaAdpcm, 2, 22050),
        codecHolder(kTagMsAdpcm, 1, 11025),
        codecHolder(kTagGsm610, 1, 8000),
    };
    if (encoderAvailable(kTagMpegLayer3)) v.push_back(codecHolder(kTagMpegLayer3, 2, 44100));
    return v;
}

// The file's audio as 16-bit PCM of its own rate and channels.
std::vector<int16_t> decodeToPcm(const std::vector<uint8_t>& file, TkaWaveFormat& format) {
    wavData(file, &format);
    auto pcm = pcmHolder(format.Channels(), format.SamplesPerSec(), 16);
    return samplesOf(wavData(convertFile(file, pcm)));
}

// Best signal-to-noise ratio of the first channel against a tone, over lags up to `maxLag`.
double toneSnr(const std::vector<int16_t>& got, int channels, uint32_t rate, double freq, size_t maxLag) {
    const size_t frames = got.size() / static_cast<size_t>(channels);
    const size_t window = std::min<size_t>(frames > maxLag ? frames - maxLag : 0, rate / 4);
    auto ref = flatTone(1, rate, static_cast<int64_t>(window + maxLag), freq);
    double best = -100;
    for (size_t lag = 0; lag <= maxLag; ++lag) {
        double sig = 0, noise = 0;
        for (size_t i = 0; i < window; ++i) {
            const double r = ref[i];
            const double d = got[(i + lag) * static_cast<size_t>(channels)] - r;
            sig += r * r;
            noise += d * d;
        }
        if (noise > 0) best = std::max(best, 10 * std::log10(sig / noise));
    }
    return best;
}

} // namespace

TEST(AnyToAny, EveryPairConvertsAndKeepsTheTone) {
    const auto formats = formatsUnderTest();
    const double freq = 250.0;
    const double seconds = 1.5;
    // Source files, made from PCM through the chain itself.
    std::vector<std::vector<uint8_t>> sources;
    for (const auto& f : formats) {
        auto pcm = pcmHolder(f.Channels(), f.SamplesPerSec(), 16);
        const auto frames = static_cast<int64_t>(seconds * f.SamplesPerSec());
        sources.push_back(convertFile(wavFile(pcm, bytesOf(flatTone(f.Channels(), f.SamplesPerSec(), frames, freq))), f));
    }
    for (size_t i = 0; i < formats.size(); ++i) {
        for (size_t j = 0; j < formats.size(); ++j) {
            if (i == j) continue;
            SCOPED_TRACE(formats[i].FormatText() + " -> " + formats[j].FormatText());
            std::vector<uint8_t> out;
            ASSERT_NO_THROW(out = convertFile(sources[i], formats[j]));
            TkaWaveFormat got;
            auto pcm = decodeToPcm(out, got);
            EXPECT_TRUE(got.IsEqual(formats[j]) || std::memcmp(got.FormatRecord(), formats[j].FormatRecord(), 18) == 0);
            const double outSeconds = static_cast<double>(pcm.size()) / got.Channels() / got.SamplesPerSec();
            // Codec blocks, delays and resampling filters add a little; nothing is lost.
            EXPECT_GT(outSeconds, seconds - 0.02);
            EXPECT_LT(outSeconds, seconds + 0.25);
            EXPECT_GT(toneSnr(pcm, got.Channels(), got.SamplesPerSec(), freq, 4000), 6.0);
        }
    }
}

TEST(AnyToAny, PcmThroughEveryCodecAndBackKeepsLength) {
    for (const auto& f : formatsUnderTest()) {
        if (f.FormatTag() == kTagPcm) continue;
        SCOPED_TRACE(f.FormatText());
        auto pcm = pcmHolder(f.Channels(), f.SamplesPerSec(), 16);
        const int64_t frames = f.SamplesPerSec() * 5 + 123;     // several blocks of two seconds
        auto ref = flatTone(f.Channels(), f.SamplesPerSec(), frames, 300.0);
        int blocks = 0;
        auto coded = convertFile(wavFile(pcm, bytesOf(ref)), f, &blocks);
        EXPECT_GE(blocks, 2);
        auto back = samplesOf(wavData(convertFile(coded, pcm)));
        const int64_t backFrames = static_cast<int64_t>(back.size()) / f.Channels();
        EXPECT_GE(backFrames, frames);
        EXPECT_LT(backFrames, frames + 4 * 1152);
    }
}

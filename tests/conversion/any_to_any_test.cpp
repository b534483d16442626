// Whole files converted between every pair of a set of formats covering
// each driver, then back to PCM and compared with the tone they started as.
#include <gtest/gtest.h>

#include "platform/files.h"
#include "tests/conversion/conversion_support.h"
#include "tests/support/scripted_prompts.h"

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

TEST(AnyToAny, FileOnDiskConvertsThroughFileStreams) {
    TempExeDir dir;
    const std::string srcPath = dir.file("tone.wav"), dstPath = dir.file("tone_gsm.wav");
    auto pcm = pcmHolder(1, 8000, 16);
    {
        auto f = FileByteStream::Create(srcPath);
        ASSERT_TRUE(f);
        auto bytes = wavFile(pcm, bytesOf(flatTone(1, 8000, 8000 * 3, 400.0)));
        f->WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
    }
    const auto gsm = codecHolder(kTagGsm610, 1, 8000);
    {
        auto src = FileByteStream::OpenRead(srcPath);
        auto dst = FileByteStream::Create(dstPath);
        ASSERT_TRUE(src && dst);
        TkaRIFFAudioReader reader(src.get());
        TkaRIFFAudioWriter writer(dst.get());
        writer.SetFormat(gsm);
        TkaAudioConvertor conv;
        conv.SetFormatIn(reader.GetFormat());
        conv.SetFormatOut(gsm);
        conv.OnAudioConverted = [&](TkaAudioConvertor*, const void* d, int32_t n, bool&) { writer.WriteAudio(d, n); };
        conv.Open();
        TkaSubStream* data = reader.DataStream();
        conv.ConvertStream(*data);
        EXPECT_EQ(data->Position(), data->Size());   // the last byte was read too
        writer.Close();
    }
    auto in = FileByteStream::OpenRead(dstPath);
    ASSERT_TRUE(in);
    TkaRIFFAudioReader check(in.get());
    EXPECT_EQ(check.GetFormat().FormatTag(), kTagGsm610);
    // 24000 samples in blocks of 320 samples of 65 bytes.
    EXPECT_EQ(check.DataSize(), (24000 + 319) / 320 * 65);
    EXPECT_EQ(FileByteStream::OpenRead(dir.file("missing.wav")), nullptr);
    setCreateFaultHook([](const std::string&) { return 13; });
    EXPECT_EQ(FileByteStream::Create(dir.file("denied.wav")), nullptr);
    setCreateFaultHook(nullptr);
}

TEST(AnyToAny, DriverListDescribesEveryDriver) {
    const auto& list = Codecs();
    ASSERT_EQ(list.size(), 6u);
    EXPECT_TRUE(list[0]->Converter);
    EXPECT_EQ(list[0]->ShortName, "PCM Converter");
    for (const auto& c : list) {
        EXPECT_TRUE(c->Codec || c->Converter);
        EXPECT_GE(c->MaxFormatSize, 18u);
        EXPECT_EQ(c->ExtraSize, c->MaxFormatSize - 18);
        if (c->ShortName != "MPEG Layer-3" || encoderAvailable(kTagMpegLayer3)) {
            EXPECT_FALSE(c->Formats.empty()) << c->ShortName;
        }
        for (const auto& f : c->Formats) EXPECT_EQ(f.second.size(), c->MaxFormatSize);
    }
}

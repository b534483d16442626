// A minute of CD-quality stereo through the conversion chain: resampling,
// ADPCM encoding and decoding, and a three-stage codec-to-codec chain.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstring>

#include "conversion/kaACM.h"

using namespace sv;

namespace {

TkaWaveFormat format(const std::vector<uint8_t>& head18plus) {
    TkaWaveFormat f;
    std::memset(f.FormatRecord(), 0, TkaWaveFormat::kBufferSize);
    f.AssignRecord(head18plus.data());
    return f;
}

std::vector<uint8_t> pcmRecord(uint16_t ch, uint32_t rate, uint16_t bits) {
    std::vector<uint8_t> r(18, 0);
    codec::FormatFields f{codec::kTagPcm, ch, rate, rate * ch * bits / 8u, static_cast<uint16_t>(ch * bits / 8), bits, 0};
    codec::writeFields(r.data(), f);
    return r;
}

std::vector<uint8_t> suggested(uint16_t tag, uint16_t ch, uint32_t rate) {
    auto pcm = pcmRecord(ch, rate, 16);
    std::vector<uint8_t> r(512, 0);
    r[0] = static_cast<uint8_t>(tag);
    codec::formatSuggest(pcm.data(), r.data(), 512, codec::kSuggestTag);
    return r;
}

std::vector<uint8_t> minuteOfStereo() {
    const int64_t frames = 44100 * 60;
    std::vector<uint8_t> b(static_cast<size_t>(frames * 4));
    for (int64_t i = 0; i < frames; ++i) {
        const auto v = static_cast<int16_t>(8000 * std::sin(i * 0.0313) + 3000 * std::sin(i * 0.271));
        for (int c = 0; c < 2; ++c) {
            b[static_cast<size_t>(i * 4 + c * 2)] = static_cast<uint8_t>(v & 0xff);
            b[static_cast<size_t>(i * 4 + c * 2 + 1)] = static_cast<uint8_t>((v >> 8) & 0xff);
        }
    }
    return b;
}

int64_t convert(const TkaWaveFormat& in, const TkaWaveFormat& out, const std::vector<uint8_t>& data) {
    TkaAudioConvertor c;
    c.SetFormatIn(in);
    c.SetFormatOut(out);
    int64_t total = 0;
    c.OnAudioConverted = [&](TkaAudioConvertor*, const void*, int32_t n, bool&) { total += n; };
    c.Open();
    MemoryByteStream s(data);
    c.ConvertStream(s);
    return total;
}

void BM_Resample44To22(benchmark::State& state) {
    const auto data = minuteOfStereo();
    const auto in = format(pcmRecord(2, 44100, 16)), out = format(pcmRecord(1, 22050, 8));
    for (auto _ : state) benchmark::DoNotOptimize(convert(in, out, data));
}
BENCHMARK(BM_Resample44To22)->Unit(benchmark::kMillisecond);

void BM_EncodeImaAdpcm(benchmark::State& state) {
    const auto data = minuteOfStereo();
    const auto in = format(pcmRecord(2, 44100, 16)), out = format(suggested(codec::kTagImaAdpcm, 2, 44100));
    for (auto _ : state) benchmark::DoNotOptimize(convert(in, out, data));
}
BENCHMARK(BM_EncodeImaAdpcm)->Unit(benchmark::kMillisecond);

void BM_ImaToGsmThroughPcm(benchmark::State& state) {
    const auto pcm = format(pcmRecord(2, 44100, 16)), ima = format(suggested(codec::kTagImaAdpcm, 2, 44100));
    MemoryByteStream encoded;
    {
        TkaAudioConvertor c;
        c.SetFormatIn(pcm);
        c.SetFormatOut(ima);
        c.OnAudioConverted = [&](TkaAudioConvertor*, const void* d, int32_t n, bool&) { encoded.Write(d, n); };
        c.Open();
        MemoryByteStream s(minuteOfStereo());
        c.ConvertStream(s);
    }
    const auto gsm = format(suggested(codec::kTagGsm610, 1, 8000));
    for (auto _ : state) benchmark::DoNotOptimize(convert(ima, gsm, encoded.data()));
}
BENCHMARK(BM_ImaToGsmThroughPcm)->Unit(benchmark::kMillisecond);

} // namespace

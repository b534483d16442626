// RIFF WAVE files of any format through the whole conversion chain, as the
// converter dialog runs it: the chunk reader, the converter to 16-bit PCM of
// the source's rate and channels, and the writer of the converted file.
#include "conversion/kaACM.h"
#include "conversion/kaAudioStreams.h"
#include "fuzz/support/fuzz_support.h"
#include "platform/codec/codec.h"

using namespace sv;

namespace {

TkaWaveFormat pcmFormat(uint16_t channels, uint32_t rate, uint16_t bits) {
    TkaWaveFormat f;
    f.SetFormatTag(1);
    f.SetChannels(channels);
    f.SetSamplesPerSec(rate);
    f.SetBlockAlign(uint16_t(channels * bits / 8));
    f.SetAvgBytesPerSec(rate * channels * bits / 8);
    f.SetBitsPerSample(bits);
    f.SetExtraSize(0);
    return f;
}

// Converts a RIFF WAVE file image into `out`; the converted file image.
std::vector<uint8_t> convert(std::vector<uint8_t> file, const TkaWaveFormat& out) {
    MemoryByteStream src(std::move(file)), dst;
    TkaRIFFAudioReader reader(&src);
    TkaRIFFAudioWriter writer(&dst);
    writer.SetFormat(out);
    TkaAudioConvertor conv;
    conv.SetFormatIn(reader.GetFormat());
    conv.SetFormatOut(out);
    conv.OnAudioConverted = [&](TkaAudioConvertor*, const void* d, int32_t n, bool&) { writer.WriteAudio(d, n); };
    conv.Open();
    std::unique_ptr<TkaSubStream> data(reader.DataStream());
    conv.ConvertStream(*data);
    conv.Close();
    writer.Close();
    return dst.data();
}

} // namespace

// A PCM file of a short tone as the library writes it, and that file
// converted into every format a driver offers for it.
void sv::fuzz::writeSeeds(const std::string& folder) {
    int n = 0;
    for (const SoundBuffer& s : seedSounds()) {
        const TkaWaveFormat f = pcmFormat(s.format.nChannels, s.format.nSamplesPerSec, s.format.wBitsPerSample);
        MemoryByteStream pcm;
        {
            TkaRIFFAudioWriter w(&pcm);
            w.SetFormat(f);
            w.WriteAudio(s.bytes.data(), int64_t(s.bytes.size()));
        }
        seedFile(folder, "pcm" + std::to_string(n++) + ".wav", pcm.data());
        if (s.format.wBitsPerSample != 16) continue;
        codec::formatEnum(0, 0, codec::kEnumOutput, [&](const codec::EnumeratedFormat& e) {
            const codec::FormatFields ff = codec::readFields(e.record.data());
            if (ff.formatTag == codec::kTagPcm || ff.channels != s.format.nChannels ||
                ff.samplesPerSec != s.format.nSamplesPerSec)
                return true;
            TkaWaveFormat out;
            out.AssignRecord(e.record.data());
            try {
                seedFile(folder, "tag" + std::to_string(ff.formatTag) + "_" + std::to_string(n++) + ".wav",
                         convert(pcm.data(), out));
            } catch (const std::exception&) {
            }
            return true;
        });
    }
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    try {
        MemoryByteStream probe(std::vector<uint8_t>(data, data + size));
        TkaRIFFAudioReader reader(&probe);
        const TkaWaveFormat& in = reader.GetFormat();
        (void)in.FormatText();
        convert(std::vector<uint8_t>(data, data + size), pcmFormat(in.Channels(), in.SamplesPerSec(), 16));
    } catch (const std::exception&) {
    }
    return 0;
}

#include "sound/engine/formats/text_file.h"

#include <charconv>
#include <vector>

#include "platform/files.h"

namespace sv {

namespace {

// Formats whole frames into a block and writes it when it is nearly full; a
// line of two 16-bit values takes at most 14 bytes.
class TextBlock {
public:
    explicit TextBlock(SafeFileWriter& w) : w_(w), buf_(kSize) {}
    char* reserve(size_t n) {
        if (used_ + n > buf_.size()) flush();
        return buf_.data() + used_;
    }
    void advance(char* end) { used_ = size_t(end - buf_.data()); }
    void flush() {
        w_.write(buf_.data(), used_);
        used_ = 0;
    }

private:
    static constexpr size_t kSize = size_t(1) << 20;
    SafeFileWriter& w_;
    std::vector<char> buf_;
    size_t used_ = 0;
};

template <typename T, int N>
void writeFrames(TextBlock& out, const SoundBuffer& s, char separator, char lineEnd) {
    constexpr size_t kLineMax = N * 8;
    const uint8_t* p = s.bytes.data();
    const int64_t frames = s.frameCount();
    for (int64_t i = 0; i < frames; ++i, p += N * sizeof(T)) {
        char* c = out.reserve(kLineMax);
        char* const end = c + kLineMax;
        for (int ch = 0; ch < N; ++ch) {
            int v;
            if constexpr (sizeof(T) == 1) v = p[ch];
            else v = readSample(p + 2 * ch, int16_t{});
            c = std::to_chars(c, end, v).ptr;
            *c++ = ch + 1 < N ? separator : lineEnd;
        }
        out.advance(c);
    }
}

} // namespace

int writeDelimitedText(const std::string& path, const SoundBuffer& sound, char separator, char lineEnd) {
    SafeFileWriter w;
    if (int e = w.open(path)) return e;
    std::string header;
    const int channels = sound.format.nChannels;
    for (int k = 1; k <= channels; ++k) {
        header += "channel" + std::to_string(k);
        header += k < channels ? separator : lineEnd;
    }
    w.write(header.data(), header.size());
    TextBlock out(w);
    if (sound.format.hasFrameLayout()) {
        dispatchLayout(sound.format, [&](auto sample, auto chans) {
            writeFrames<decltype(sample), decltype(chans)::value>(out, sound, separator, lineEnd);
        });
    }
    out.flush();
    w.commit();
    return 0;
}

} // namespace sv

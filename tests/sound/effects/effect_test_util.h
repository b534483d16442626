// Building small sounds from sample values and reading them back, and a
// context that records the undo steps and progress reports it is given.
#pragma once
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "sound/engine/operation.h"
#include "sound/engine/sound_buffer.h"

namespace sv::test {

// Values relative to silence (8-bit: stored byte - 127), interleaved.
inline SoundBuffer makeSound(int bits, int channels, const std::vector<int>& values, uint32_t rate = 11025) {
    SoundBuffer s;
    s.format = SampleFormat::pcm(rate, bits, channels);
    const int width = bits / 8;
    s.bytes.resize(values.size() * width);
    for (size_t i = 0; i < values.size(); ++i) {
        if (bits == 8) writeSample(s.bytes.data() + i, values[i], uint8_t{});
        else writeSample(s.bytes.data() + 2 * i, values[i], int16_t{});
    }
    s.setSelection(0, s.frameCount());
    return s;
}

inline SoundBuffer makeSound8(int channels, const std::vector<int>& storedBytes, uint32_t rate = 11025) {
    std::vector<int> rel;
    for (int b : storedBytes) rel.push_back(b - 127);
    return makeSound(8, channels, rel, rate);
}

inline std::vector<int> values(const SoundBuffer& s) {
    std::vector<int> out;
    const int width = s.format.wBitsPerSample / 8;
    for (size_t i = 0; i < s.bytes.size() / width; ++i) {
        if (width == 1) out.push_back(readSample(s.bytes.data() + i, uint8_t{}));
        else out.push_back(readSample(s.bytes.data() + 2 * i, int16_t{}));
    }
    return out;
}

inline std::vector<int> storedBytes(const SoundBuffer& s) {
    return std::vector<int>(s.bytes.data(), s.bytes.data() + s.bytes.size());
}

struct UndoCall {
    std::string words;
    int64_t length = 0;
    bool whole = false;
    std::vector<uint8_t> bytesThen;   // the whole buffer when the step was asked for
};

// A context that records what the operation asked of the window.
struct Recorder {
    std::vector<UndoCall> undos;
    std::vector<std::pair<int64_t, int64_t>> progress;
    bool undoFails = false;
    const SoundBuffer* sound = nullptr;

    OperationContext context() {
        OperationContext c;
        c.progress = [this](int64_t j, int64_t n) { progress.emplace_back(j, n); };
        c.saveUndo = [this](const std::string& words, int64_t length, bool whole) {
            UndoCall u{words, length, whole, {}};
            if (sound) u.bytesThen.assign(sound->bytes.data(), sound->bytes.data() + sound->bytes.size());
            undos.push_back(u);
            return !undoFails;
        };
        return c;
    }
    std::vector<int64_t> steps() const {
        std::vector<int64_t> out;
        for (auto& p : progress) out.push_back(p.first);
        return out;
    }
};

} // namespace sv::test

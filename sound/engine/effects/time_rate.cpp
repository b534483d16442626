// Resample and the speed change.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <stdexcept>
#include <vector>

#include "sound/engine/edit_progress.h"
#include "sound/engine/effects/effect_loop.h"
#include "sound/engine/effects/parallel_runs.h"
#include "sound/engine/effects/time_effects.h"
#include "sound/engine/effects/time_internal.h"

namespace sv {

using timefx::bytesFor;
using timefx::copyBytes;

namespace {

// The frame inserted between source frames p and c: their mean, or with
// quarter steps the a-th of the three frames from p towards c.
template <typename T, int C>
void insertedFrame(uint8_t* out, const uint8_t* p, const uint8_t* c, int64_t a, bool quarter) {
    constexpr int w = sizeof(T);
    for (int ch = 0; ch < C; ++ch) {
        const int pv = readSample(p + ch * w, T{});
        const int cv = readSample(c + ch * w, T{});
        int64_t r;
        if (quarter) {
            // Inside the int32 range a conversion cuts toward zero exactly
            // as truncClamp does.
            const double v = (4.0 - double(a)) / 4.0 * pv + double(a) / 4.0 * cv;
            r = v > -2147483648.0 && v < 2147483647.0 ? int64_t(v) : truncClamp(v);
        } else if constexpr (sizeof(T) == 1 && C == 1) {
            // Stored values, rounded: round((p' + c') / 2 + 127).
            r = roundHalfEven((pv + cv) / 2.0 + kSilence8) - kSilence8;
        } else {
            r = (pv + cv) / 2;   // toward zero
        }
        if constexpr (sizeof(T) == 1) writeSample(out + ch * w, clamp8(r + kSilence8) - kSilence8, T{});
        else writeSample(out + ch * w, clamp16(r), T{});
    }
}

// Event positions floor(e x total / events) for e = 1 .. events, walked
// without a division each: the last one is exactly `total`, so the count of
// inserted or dropped frames is exactly `events` (an accumulated real step
// can miss or add one). at() gives any one of them directly.
class EventSteps {
public:
    EventSteps(int64_t total, int64_t events)
        : events_(events), whole_(total / events), part_(total % events) {}
    // Continues after event e (pos_e; 0 for e = 0).
    void seek(int64_t e) {
        const __int128 p = __int128(e) * part_;
        pos_ = e * whole_ + int64_t(p / events_);
        rem_ = int64_t(p % events_);
    }
    int64_t at(int64_t e) const { return e * whole_ + int64_t(__int128(e) * part_ / events_); }
    int64_t next() {
        pos_ += whole_;
        rem_ += part_;
        if (rem_ >= events_) { rem_ -= events_; ++pos_; }
        return pos_;
    }
private:
    int64_t events_, whole_, part_;
    int64_t pos_ = 0, rem_ = 0;
};

constexpr int64_t kGrainEvents = 1 << 13;

// A few frames between two events are moved frame by frame (a fixed-size
// copy the compiler inlines); longer runs in one block copy.
template <typename T, int C>
inline void copyFrames(uint8_t* dst, const uint8_t* src, int64_t frames) {
    constexpr size_t kFrame = sizeof(T) * C;
    if (frames > 8) {
        std::memcpy(dst, src, size_t(frames) * kFrame);
        return;
    }
    for (int64_t i = 0; i < frames; ++i) std::memcpy(dst + i * kFrame, src + i * kFrame, kFrame);
}

template <typename T, int C>
void stretchFrames(const SoundBuffer& sound, uint8_t* dst0, int64_t s, int64_t l, int64_t n, bool quarter,
                   const OperationContext& ctx) {
    const int64_t b = sound.format.nBlockAlign;
    const int64_t f = sound.frameCount();
    const uint8_t* src = sound.bytes.data();
    ProgressWalk walk(ctx, std::max(n, l));
    if (n > l) {
        // Growing: n output positions, n - l of them new frames. Before
        // event e (from 1) the output holds pos(e - 1) frames, pos(e - 1) -
        // (e - 1) of them from the source.
        const int64_t events = n - l;
        const EventSteps where(n, events);
        std::vector<uint8_t> silence(static_cast<size_t>(b));
        timefx::fillSilence(silence.data(), silence.size(), sound.format);
        // The quarter step of event e counts the events since the last one
        // that followed copied frames: the first event with the same count
        // of source frames behind it, found by bisection.
        auto consumed = [&](int64_t e) { return where.at(e) - e; };
        auto stepOf = [&](int64_t e) {
            const int64_t si = consumed(e);
            if (si == 0) return e;
            int64_t lo = 1, hi = e;
            while (lo < hi) {
                const int64_t mid = lo + (hi - lo) / 2;
                if (consumed(mid) < si) lo = mid + 1;
                else hi = mid;
            }
            return e - lo + 1;
        };
        fx::parallelRuns(events, kGrainEvents, [&](int64_t e0, int64_t e1) {
            EventSteps steps(n, events);
            steps.seek(e0);
            int64_t prev = where.at(e0);
            int64_t si = prev - e0;
            int64_t a = e0 > 0 ? stepOf(e0) : 0;
            uint8_t* dst = dst0 + prev * b;
            for (int64_t e = e0 + 1; e <= e1; ++e) {
                const int64_t pos = steps.next();
                const int64_t run = pos - prev - 1;
                if (run > 0) {
                    copyFrames<T, C>(dst, src + (s + si) * b, run);
                    dst += run * b;
                    si += run;
                    a = 0;
                }
                ++a;
                // The neighbours of the new frame. At the start of the sound
                // there is no frame before, at its end none after: the one
                // neighbour there is stands for both (silence in an empty sound).
                const int64_t pi = s + si - 1, ci = s + si;
                const uint8_t* pp = pi >= 0 ? src + pi * b : (ci < f ? src + ci * b : silence.data());
                const uint8_t* cp = ci < f ? src + ci * b : pp;
                insertedFrame<T, C>(dst, pp, cp, a, quarter);
                dst += b;
                prev = pos;
            }
        }, &walk, [&](int64_t e) { return where.at(e); });
    } else {
        // Shrinking: l source positions, l - n of them dropped. Before event
        // e the output holds pos(e - 1) - (e - 1) frames.
        const int64_t events = l - n;
        const EventSteps where(l, events);
        fx::parallelRuns(events, kGrainEvents, [&](int64_t e0, int64_t e1) {
            EventSteps steps(l, events);
            steps.seek(e0);
            int64_t prev = where.at(e0);
            uint8_t* dst = dst0 + (prev - e0) * b;
            for (int64_t e = e0 + 1; e <= e1; ++e) {
                const int64_t pos = steps.next();
                const int64_t run = pos - prev - 1;
                copyFrames<T, C>(dst, src + (s + prev) * b, run);
                dst += run * b;
                prev = pos;
            }
        }, &walk, [&](int64_t e) { return where.at(e); });
    }
}

// Bits, then channels, of every frame, into a new buffer.
ByteBlock convertLayout(const SoundBuffer& sound, int bits, int channels, const OperationContext& ctx) {
    const int64_t f = sound.frameCount();
    const int oldC = sound.format.nChannels;
    const bool old16 = sound.format.wBitsPerSample == 16;
    ByteBlock out(bytesFor(f, int64_t(channels) * (bits / 8)));
    const uint8_t* src = sound.bytes.data();
    uint8_t* dst = out.data();
    // Sample values as stored in the new bit depth.
    auto to16 = [](int stored8) { return stored8 == 255 ? 32767 : (stored8 - kSilence8) * 256; };
    auto to8 = [](int v16) { return std::max(0, v16 / 256 + kSilence8); };
    ProgressWalk walk(ctx, f);
    fx::parallelRuns(f, int64_t(1) << 15, [&](int64_t from, int64_t to) {
        for (int64_t i = from; i < to; ++i) {
            int v[2];
            for (int ch = 0; ch < oldC; ++ch) {
                if (old16) {
                    const int x = readSample(src + (i * oldC + ch) * 2, int16_t{});
                    v[ch] = bits == 16 ? x : to8(x);
                } else {
                    const int x = src[i * oldC + ch];
                    v[ch] = bits == 16 ? to16(x) : x;
                }
            }
            if (oldC == 2 && channels == 1) {
                // 8-bit stored values shifted, 16-bit halved toward zero.
                v[0] = bits == 8 ? (v[0] + v[1]) >> 1 : std::min(32767, (v[0] + v[1]) / 2);
            } else if (oldC == 1 && channels == 2) {
                v[1] = v[0];
            }
            for (int ch = 0; ch < channels; ++ch) {
                if (bits == 8) dst[i * channels + ch] = uint8_t(v[ch]);
                else writeSample(dst + (i * channels + ch) * 2, v[ch], int16_t{});
            }
        }
    }, &walk);
    return out;
}

bool stretch(SoundBuffer& sound, int64_t n, bool quarter, const OperationContext& ctx) {
    const int64_t s = sound.selectionStart, l = sound.selectionLength;
    const int64_t f = sound.frameCount();
    const int64_t b = sound.format.nBlockAlign;
    ByteBlock out(bytesFor(f - l + n, b));
    copyBytes(out.data(), sound.bytes.data(), size_t(s * b));
    dispatchLayout(sound.format, [&](auto t, auto ch) {
        stretchFrames<decltype(t), decltype(ch)::value>(sound, out.data() + s * b, s, l, n, quarter, ctx);
    });
    copyBytes(out.data() + (s + n) * b, sound.frame(s + l), size_t((f - s - l) * b));
    sound.bytes = std::move(out);
    sound.setSelection(s, n);
    return true;
}

} // namespace

int64_t rateChangeLength(int64_t frames, double ratio) {
    return truncClamp(ratio * double(frames), 0, std::numeric_limits<int64_t>::max() / 8);
}

bool changeSpeed(SoundBuffer& sound, int64_t newLength, bool quarterSteps, bool saveUndo,
                 const OperationContext& ctx) {
    if (newLength < 0) throw std::invalid_argument("The new number of samples must not be negative.");
    if (!sound.format.isSupportedPcm()) return false;
    sound.setSelection(sound.selectionStart, sound.selectionLength);
    const int64_t l = sound.selectionLength;
    if (newLength == l) return false;   // no frame to insert or drop
    bytesFor(sound.frameCount() - l + newLength, sound.format.nBlockAlign);
    if (saveUndo && !ctx.undo("Speed Up/Down", l)) return false;
    stretch(sound, newLength, quarterSteps, ctx);
    if (saveUndo) ctx.complete(newLength);
    return true;
}

bool resampleSound(SoundBuffer& sound, const SampleFormat& target, const OperationContext& ctx) {
    const bool layoutOk = (target.wBitsPerSample == 8 || target.wBitsPerSample == 16) &&
                          (target.nChannels == 1 || target.nChannels == 2) && target.nSamplesPerSec > 0;
    if (!layoutOk) throw std::invalid_argument("The new format must be 8 or 16 bits, mono or stereo, at a positive rate.");
    if (!sound.format.isSupportedPcm()) return false;
    const int64_t f = sound.frameCount();
    const uint32_t oldRate = sound.format.nSamplesPerSec;
    const double ratio = double(target.nSamplesPerSec) / double(oldRate);
    const int64_t n = target.nSamplesPerSec != oldRate ? rateChangeLength(f, ratio) : f;
    bytesFor(std::max(f, n), int64_t(target.nChannels) * (target.wBitsPerSample / 8));
    if (!ctx.undo("Resample", f, true)) return false;

    const int bits = target.wBitsPerSample, channels = target.nChannels;
    if (bits != sound.format.wBitsPerSample || channels != sound.format.nChannels) {
        sound.bytes = convertLayout(sound, bits, channels, ctx);
        sound.format = SampleFormat::pcm(oldRate, bits, channels);
    }
    if (target.nSamplesPerSec != oldRate) {
        sound.setSelection(0, f);
        if (n != f) stretch(sound, n, ratio == 4.0, ctx);
    }
    sound.format = SampleFormat::pcm(target.nSamplesPerSec, bits, channels);
    sound.setSelection(sound.selectionStart, sound.selectionLength);
    return true;
}

} // namespace sv

// Resample and the speed change.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <limits>
#include <stdexcept>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "sound/engine/edit_progress.h"
#include "sound/engine/effects/effect_loop.h"
#include "sound/engine/effects/grow_in_place.h"
#include "sound/engine/effects/parallel_runs.h"
#include "sound/engine/effects/time_effects.h"
#include "sound/engine/effects/time_internal.h"

namespace sv {

using timefx::bytesFor;

namespace {

constexpr int64_t kExactQuarterSteps = int64_t(1) << 20;

// The frame inserted between source frames p and c: their mean, or with
// quarter steps the a-th of the three frames from p towards c.
template <typename T, int C>
void insertedFrame(uint8_t* out, const uint8_t* p, const uint8_t* c, int64_t a, bool quarter) {
    constexpr int w = sizeof(T);
    for (int ch = 0; ch < C; ++ch) {
        const int pv = readSample(p + ch * w, T{});
        const int cv = readSample(c + ch * w, T{});
        int64_t r;
        if (quarter && a <= kExactQuarterSteps) {
            // (4 - a) / 4 x p + a / 4 x c is exact in double for such a
            // (quarters of numbers below 2^37), so cutting it toward zero
            // is the integer quotient.
            r = ((4 - a) * int64_t(pv) + a * int64_t(cv)) / 4;
        } else if (quarter) {
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
// copy the compiler inlines); longer runs in one block move. Either way the
// frames may move down over themselves (dst below src).
template <typename T, int C>
inline void copyFrames(uint8_t* dst, const uint8_t* src, int64_t frames) {
    constexpr size_t kFrame = sizeof(T) * C;
    if (frames > 8) {
        std::memmove(dst, src, size_t(frames) * kFrame);
        return;
    }
    for (int64_t i = 0; i < frames; ++i) std::memcpy(dst + i * kFrame, src + i * kFrame, kFrame);
}

#if defined(__SSE2__)
// Four times the rate in quarter steps, `units` source frames of 16-bit
// samples from src: each frame p followed by (3p + c) / 4, (2p + 2c) / 4 and
// (p + 3c) / 4 with c the frame after it, cut toward zero (what the
// quarter step gives, see insertedFrame). Reads units + 1 frames. Returns
// the units done; the rest (fewer than a vector's worth) are the caller's.
inline __m128i quarterOf(__m128i p, __m128i c, int pw, int cw) {
    // pw x p + cw x c in 32 bits (pw, cw from 1 to 3), then / 4 toward zero.
    auto times = [](__m128i x, int w) {
        return w == 1 ? x : w == 2 ? _mm_add_epi32(x, x) : _mm_add_epi32(_mm_add_epi32(x, x), x);
    };
    const __m128i t = _mm_add_epi32(times(p, pw), times(c, cw));
    return _mm_srai_epi32(_mm_add_epi32(t, _mm_and_si128(_mm_srai_epi32(t, 31), _mm_set1_epi32(3))), 2);
}

inline __m128i widenLo(__m128i x) { return _mm_srai_epi32(_mm_unpacklo_epi16(x, x), 16); }
inline __m128i widenHi(__m128i x) { return _mm_srai_epi32(_mm_unpackhi_epi16(x, x), 16); }

// The three quarter steps of eight samples, narrowed back (they lie between
// p and c, so nothing saturates).
inline void quarterSteps(__m128i p, __m128i c, __m128i* q1, __m128i* q2, __m128i* q3) {
    const __m128i pl = widenLo(p), ph = widenHi(p), cl = widenLo(c), chi = widenHi(c);
    *q1 = _mm_packs_epi32(quarterOf(pl, cl, 3, 1), quarterOf(ph, chi, 3, 1));
    *q2 = _mm_packs_epi32(quarterOf(pl, cl, 2, 2), quarterOf(ph, chi, 2, 2));
    *q3 = _mm_packs_epi32(quarterOf(pl, cl, 1, 3), quarterOf(ph, chi, 1, 3));
}

template <int C>
int64_t quarterUnits16(uint8_t* dst, const uint8_t* src, int64_t units) {
    constexpr int64_t kPerVector = 8 / C;   // frames in 16 bytes
    int64_t j = 0;
    for (; j + kPerVector <= units; j += kPerVector) {
        const __m128i p = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + j * 2 * C));
        const __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + (j + 1) * 2 * C));
        __m128i q1, q2, q3;
        quarterSteps(p, c, &q1, &q2, &q3);
        // Frame by frame: p q1 q2 q3 of each frame in turn.
        __m128i o0, o1, o2, o3;
        if constexpr (C == 2) {
            const __m128i a = _mm_unpacklo_epi32(p, q1), b = _mm_unpacklo_epi32(q2, q3);
            const __m128i d = _mm_unpackhi_epi32(p, q1), e = _mm_unpackhi_epi32(q2, q3);
            o0 = _mm_unpacklo_epi64(a, b);
            o1 = _mm_unpackhi_epi64(a, b);
            o2 = _mm_unpacklo_epi64(d, e);
            o3 = _mm_unpackhi_epi64(d, e);
        } else {
            const __m128i a = _mm_unpacklo_epi16(p, q1), b = _mm_unpacklo_epi16(q2, q3);
            const __m128i d = _mm_unpackhi_epi16(p, q1), e = _mm_unpackhi_epi16(q2, q3);
            o0 = _mm_unpacklo_epi32(a, b);
            o1 = _mm_unpackhi_epi32(a, b);
            o2 = _mm_unpacklo_epi32(d, e);
            o3 = _mm_unpackhi_epi32(d, e);
        }
        __m128i* out = reinterpret_cast<__m128i*>(dst + j * 8 * C);
        _mm_storeu_si128(out, o0);
        _mm_storeu_si128(out + 1, o1);
        _mm_storeu_si128(out + 2, o2);
        _mm_storeu_si128(out + 3, o3);
    }
    return j;
}
#endif

// Growing in place: the buffer grows to the new length, the frames after
// the selection move to its end, and the selection's output, at or past
// the frames it is made of, is written from the top down (no second
// buffer, nor its page faults and the release of the old one). One by one
// from the top down, each unit reads its frames before it writes, and the
// frames below stay as they were.
template <typename T, int C>
void growSelection(SoundBuffer& sound, int64_t s, int64_t l, int64_t n, bool quarter, const OperationContext& ctx) {
    constexpr int64_t b = int64_t(sizeof(T)) * C;
    using Frame = std::array<uint8_t, b>;
    const int64_t f = sound.frameCount();
    Frame first{};   // the first new frames write over it
    if (l > 0) std::memcpy(first.data(), sound.frame(s), b);
    sound.bytes.resize(bytesFor(f - l + n, b));
    uint8_t* const sel = sound.frame(s);
    if (f > s + l) std::memmove(sel + n * b, sel + l * b, size_t((f - s - l) * b));
    const uint8_t* before = s > 0 ? sel - b : nullptr;
    const uint8_t* after = f > s + l ? sel + n * b : nullptr;
    auto copy = [](const uint8_t* frame) {
        Frame c;
        std::memcpy(c.data(), frame, b);
        return c;
    };
    ProgressWalk walk(ctx, n);
    if (l > 0 && (n - l) % l == 0) {
        // A whole multiple, n = (G + 1) x l (a rate four times the old one
        // is G = 3): the events fall in a fixed pattern, G - 1 new frames
        // before the first source frame, then each source frame followed
        // by the G new frames towards the next one, the last by one. Unit j
        // (source frame j and its new frames) starts at G - 1 + j (G + 1).
        const int64_t g = (n - l) / l;
        auto unitAt = [&](int64_t j) { return g - 1 + j * (g + 1); };
        // The last goes towards the frame after the stretch; at the end of
        // the sound it stands for both neighbours.
        auto next = [&](int64_t j) { return j + 1 < l ? sel + (j + 1) * b : after ? after : sel + j * b; };
        auto unit = [&](int64_t j, const Frame& p, const Frame& c) {
            uint8_t* out = sel + unitAt(j) * b;
            std::memcpy(out, p.data(), b);
            const int64_t inserted = j + 1 < l ? g : 1;
            for (int64_t a = 1; a <= inserted; ++a) insertedFrame<T, C>(out + a * b, p.data(), c.data(), a, quarter);
        };
        auto units = [&](int64_t j0, int64_t j1) {
            int64_t j = j0;
#if defined(__SSE2__)
            if constexpr (sizeof(T) == 2) {
                // Units with all g new frames, eight samples at a time.
                const int64_t whole = std::min(j1, l - 1);
                if (quarter && g == 3 && j < whole) j += quarterUnits16<C>(sel + unitAt(j) * b, sel + j * b, whole - j);
            }
#endif
            for (; j < j1; ++j) unit(j, copy(sel + j * b), copy(next(j)));
        };
        auto oneByOne = [&](int64_t top) {
            for (int64_t j = top - 1; j >= 0; --j) unit(j, copy(sel + j * b), copy(next(j)));
        };
        // Units up to j read frames up to j + 1.
        fx::growInPlaceByRanges(l, std::max<int64_t>(1, kGrainEvents / g), [](int64_t j) { return j + 2; }, unitAt,
                                units, oneByOne, walk, [&](int64_t done) { return std::min(n, unitAt(done)); });
        // At the start of the sound the first frame stands for both.
        for (int64_t a = 1; a < g; ++a)
            insertedFrame<T, C>(sel + (a - 1) * b, before ? before : first.data(), first.data(), a, quarter);
    } else {
        // n output positions, n - l of them new frames. Before event e
        // (from 1) the output holds pos(e - 1) frames, pos(e - 1) - (e - 1)
        // of them from the source.
        const int64_t events = n - l;
        const EventSteps where(n, events);
        Frame silence{};
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
        // The neighbours of the new frame after si source frames. At the
        // start of the sound there is no frame before, at its end none
        // after: the one neighbour there is stands for both (silence in an
        // empty sound).
        auto neighbours = [&](int64_t si, const uint8_t** pp, const uint8_t** cp) {
            *cp = si < l ? sel + si * b : after;
            *pp = si > 0 ? sel + (si - 1) * b : before;
            if (!*pp) *pp = *cp ? *cp : silence.data();
            if (!*cp) *cp = *pp;
        };
        // Events e0 + 1 .. e1.
        auto eventsOf = [&](int64_t e0, int64_t e1) {
            EventSteps steps(n, events);
            steps.seek(e0);
            int64_t prev = where.at(e0);
            int64_t si = prev - e0;
            int64_t a = e0 > 0 ? stepOf(e0) : 0;
            uint8_t* dst = sel + prev * b;
            for (int64_t e = e0 + 1; e <= e1; ++e) {
                const int64_t pos = steps.next();
                const int64_t run = pos - prev - 1;
                if (run > 0) {
                    copyFrames<T, C>(dst, sel + si * b, run);
                    dst += run * b;
                    si += run;
                    a = 0;
                }
                ++a;
                const uint8_t *pp, *cp;
                neighbours(si, &pp, &cp);
                insertedFrame<T, C>(dst, pp, cp, a, quarter);
                dst += b;
                prev = pos;
            }
        };
        // Events top .. 1: the new frame, then the run before it moved up.
        auto oneByOne = [&](int64_t top) {
            for (int64_t e = top, pos = where.at(top); e >= 1; --e) {
                const int64_t prev = where.at(e - 1), si = pos - e, run = pos - prev - 1;
                const uint8_t *pp, *cp;
                neighbours(si, &pp, &cp);
                const Frame p = copy(pp), c = copy(cp);
                insertedFrame<T, C>(sel + (pos - 1) * b, p.data(), c.data(), run > 0 ? 1 : stepOf(e), quarter);
                if (run > 0) std::memmove(sel + prev * b, sel + (si - run) * b, size_t(run * b));
                pos = prev;
            }
        };
        // Event e + 1 (unit e) writes from pos(e) on and reads frames up to consumed(e + 1).
        fx::growInPlaceByRanges(events, kGrainEvents, [&](int64_t e) { return consumed(e + 1) + 1; },
                                [&](int64_t e) { return where.at(e); }, eventsOf, oneByOne, walk,
                                [&](int64_t done) { return where.at(done); });
    }
    walk.advanceTo(n);
}

// Shrinking in place: l source positions, l - n of them dropped, the kept
// frames moved down, then the frames after the selection, then the buffer
// cut to the new length. Event e + 1 moves the frames between the e-th
// dropped one and the next from pos(e) down to pos(e) - e: going up, each
// finds its frames unchanged; events [lo, hi) whose writes all end below
// pos(lo), where their reads begin, go over the threads together.
template <typename T, int C>
void shrinkSelection(SoundBuffer& sound, int64_t s, int64_t l, int64_t n, const OperationContext& ctx) {
    const int64_t b = sound.format.nBlockAlign;
    const int64_t f = sound.frameCount();
    uint8_t* const sel = sound.frame(s);
    ProgressWalk walk(ctx, l);
    const int64_t events = l - n;
    const EventSteps where(l, events);
    auto eventsOf = [&](int64_t e0, int64_t e1) {
        EventSteps steps(l, events);
        steps.seek(e0);
        int64_t prev = where.at(e0);
        uint8_t* dst = sel + (prev - e0) * b;
        for (int64_t e = e0 + 1; e <= e1; ++e) {
            const int64_t pos = steps.next();
            const int64_t run = pos - prev - 1;
            copyFrames<T, C>(dst, sel + prev * b, run);
            dst += run * b;
            prev = pos;
        }
    };
    const int64_t grain = kGrainEvents;
    for (int64_t lo = 0; lo < events;) {
        // The last event whose writes end at or below pos(lo).
        int64_t low = lo, hi = events;
        while (low < hi) {
            const int64_t mid = low + (hi - low + 1) / 2;
            if (where.at(mid) - mid <= where.at(lo)) low = mid;
            else hi = mid - 1;
        }
        if (low - lo < 4 * grain) {
            // Too few to share: a stretch of them in turn.
            const int64_t to = std::min(events, lo + 4 * grain);
            eventsOf(lo, to);
            walk.advanceTo(where.at(to));
            lo = to;
            continue;
        }
        const int64_t from = lo;
        fx::parallelRuns(low - from, grain, [&](int64_t e0, int64_t e1) { eventsOf(from + e0, from + e1); }, &walk,
                         [&](int64_t done) { return where.at(from + done); });
        lo = low;
    }
    walk.advanceTo(l);
    if (f > s + l) std::memmove(sel + n * b, sel + l * b, size_t((f - s - l) * b));
    sound.bytes.resize(bytesFor(f - l + n, b));
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
    if (n > l) {
        dispatchLayout(sound.format, [&](auto t, auto ch) {
            growSelection<decltype(t), decltype(ch)::value>(sound, s, l, n, quarter, ctx);
        });
    } else {
        dispatchLayout(sound.format, [&](auto t, auto ch) {
            shrinkSelection<decltype(t), decltype(ch)::value>(sound, s, l, n, ctx);
        });
    }
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

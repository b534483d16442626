#include "sound/engine/navigation.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <iomanip>
#include <locale>
#include <sstream>

#include "platform/numbers.h"

namespace sv {

namespace {

// Raw stored values, relative to nothing: the centre is compared as stored.
inline int rawSample(const uint8_t* p, uint8_t) { return p[0]; }
inline int rawSample(const uint8_t* p, int16_t) { return int16_t(uint16_t(p[0] | (p[1] << 8))); }

// a and its neighbour nb lie across the centre c.
inline bool across(int a, int nb, int c) { return (a < c && c <= nb) || (a > c && c >= nb); }

// a lies on the other side of the centre from v; nothing does when v is
// the centre itself.
inline bool oppositeSide(int a, int v, int c) { return v > c ? a < c : (v < c ? a > c : false); }

template <typename T, int N>
struct Scanner {
    const uint8_t* data;
    int64_t frames;
    int centre;

    int at(int64_t f, int ch) const {
        return rawSample(data + (f * N + ch) * int64_t(sizeof(T)), T{});
    }

    // First frame s from `from` to `to` (step +1 or -1) where a channel's
    // sample and its neighbour s - step, on the side of the old edge, lie
    // across the centre; with sideRef, that sample must also lie opposite
    // the channel's reference. -1 when none qualifies.
    int64_t search(int64_t from, int64_t to, int step, const int* sideRef) const {
        for (int64_t s = from; step > 0 ? s <= to : s >= to; s += step) {
            const int64_t nb = s - step;   // towards the old edge
            if (nb < 0 || nb >= frames) continue;
            for (int ch = 0; ch < N; ++ch) {
                const int a = at(s, ch);
                if (!across(a, at(nb, ch), centre)) continue;
                if (sideRef && !oppositeSide(a, sideRef[ch], centre)) continue;
                return s;
            }
        }
        return -1;
    }
};

template <typename T, int N>
ZeroCrossingResult zeroCrossings(const SoundBuffer& sound, char startMode, char endMode) {
    Scanner<T, N> sc{sound.bytes.data(), sound.frameCount(), sizeof(T) == 1 ? kSilence8 : 0};
    const int64_t F = sc.frames;
    ZeroCrossingResult r;
    r.start = sound.selectionStart;
    r.length = sound.selectionLength;
    if (F <= 0) return r;

    // Start. 'l' walks back from start - 1 to 0 (neighbour s + 1), 'r'
    // forward from start + 1 to the selection's end (neighbour s - 1).
    if (startMode == 'l' || startMode == 'r') {
        int ref[2];
        const int* sideRef = nullptr;
        bool searchable = true;
        if (endMode == 'n') {
            // The start must come to lie opposite the sample just after the
            // selection; with no such frame nothing qualifies.
            const int64_t e = r.start + r.length;
            if (e >= F) searchable = false;
            else {
                for (int ch = 0; ch < N; ++ch) ref[ch] = sc.at(e, ch);
                sideRef = ref;
            }
        }
        if (searchable) {
            const int64_t s = startMode == 'l'
                                  ? sc.search(std::min(r.start - 1, F - 1), 0, -1, sideRef)
                                  : sc.search(r.start + 1, std::min(r.start + r.length, F - 1), +1, sideRef);
            if (s >= 0) {
                r.length += r.start - s;
                r.start = s;
                r.startMoved = true;
            }
        }
    }

    // End, judged against each channel's sample at the (new) start.
    if ((endMode == 'l' || endMode == 'r') && r.start < F) {
        int ref[2];
        for (int ch = 0; ch < N; ++ch) ref[ch] = sc.at(r.start, ch);
        const int64_t e = r.start + r.length;
        const int64_t s = endMode == 'l' ? sc.search(std::min(e - 1, F - 1), r.start, -1, ref)
                                         : sc.search(e + 1, F - 1, +1, ref);
        if (s >= 0) {
            r.length = s - r.start;
            r.endMoved = true;
        }
    }
    return r;
}

std::string formatLevel(double db) {
    std::ostringstream os;
    os.imbue(std::locale::classic());
    os << std::setprecision(3) << db;
    return os.str();
}

} // namespace

ZeroCrossingResult findZeroCrossings(const SoundBuffer& sound, char startMode, char endMode) {
    if (sound.format.nBlockAlign == 0 || sound.bytes.empty()) {
        ZeroCrossingResult r;
        r.start = sound.selectionStart;
        r.length = sound.selectionLength;
        return r;
    }
    return dispatchLayout(sound.format, [&](auto sample, auto channels) {
        return zeroCrossings<decltype(sample), decltype(channels)::value>(sound, startMode, endMode);
    });
}

std::string sampleLevelText(int value, int bits) {
    const int centre = bits == 8 ? kSilence8 : 0;
    if (value == centre) return "-inf";
    const double full = std::ldexp(1.0, bits) / 2.0;
    return formatLevel(20.0 * std::log10(std::abs(double(value) - centre) / full));
}

std::string sampleReport(const SoundBuffer& sound, int64_t frame, const std::string& time) {
    const int bits = sound.format.wBitsPerSample;
    const uint8_t* p = sound.frame(frame);
    auto value = [&](int ch) {
        return bits == 8 ? int(p[ch]) : int(int16_t(uint16_t(p[2 * ch] | (p[2 * ch + 1] << 8))));
    };
    std::string out = "- Sample Number : " + std::to_string(frame) + "\n";
    if (sound.format.nChannels == 2) {
        const int l = value(0), r = value(1);
        out += "- Left Channel Value : " + std::to_string(l) + "\n";
        out += "- Decibels (L): " + sampleLevelText(l, bits) + " dB\n";
        out += "- Right Channel Value : " + std::to_string(r) + "\n";
        out += "- Decibels (R): " + sampleLevelText(r, bits) + " dB\n";
    } else {
        const int v = value(0);
        out += "- Value : " + std::to_string(v) + "\n";
        out += "- Decibels : " + sampleLevelText(v, bits) + " dB\n";
    }
    out += "- Time : " + time;
    return out;
}

std::string timeLabel(int64_t frames, int64_t rate) {
    const int64_t ms = roundHalfEven(double(frames) / double(rate) * 1000.0, INT64_MIN / 2, INT64_MAX / 2);
    return std::to_string(ms / 60000) + "':" + std::to_string((ms % 60000) / 1000) + "'':" +
           std::to_string(ms % 1000) + "ms";
}

TypedSelection startTyped(int64_t soundLength, int64_t start, int64_t length) {
    TypedSelection t;
    if (start < 0) start = 0;
    if (length < 0) length = 0;
    if (soundLength < start) {
        start = soundLength;
        length = 0;
        t.lengthZeroed = true;
    }
    if (soundLength < start + length) length = soundLength - start;
    t.start = start;
    t.length = length;
    return t;
}

int64_t lengthTyped(int64_t soundLength, int64_t typedStart, int64_t windowStart, int64_t length) {
    if (typedStart < 0) typedStart = 0;
    if (length < 0) length = 0;
    if (soundLength < typedStart + length) length = soundLength - windowStart;
    // The window's start may lie further on than the typed one.
    if (windowStart + length > soundLength) length = soundLength - windowStart;
    return length < 0 ? 0 : length;
}

WheelZoom wheelZoomIn(int64_t zoom, int64_t scroll, int64_t width) {
    if (zoom < 1) zoom = 1;
    if (width < 1) width = 1;
    const int64_t q = width * zoom;
    // rnd(q / 4), halves to even.
    int64_t shift = q / 4;
    const int64_t rem = q % 4;
    if (rem > 2 || (rem == 2 && (shift & 1))) ++shift;
    return {std::max<int64_t>(zoom / 2, 1), scroll + shift};
}

WheelZoom wheelZoomOut(int64_t zoom, int64_t scroll, int64_t width) {
    if (zoom < 1) zoom = 1;
    if (width < 1) width = 1;
    const int64_t z = zoom * 2;
    if (z > 1) scroll = std::max<int64_t>(0, scroll - width * z / 4);
    return {z, scroll};
}

} // namespace sv

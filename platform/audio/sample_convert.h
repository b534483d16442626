// Sample conversions between the PCM layouts a window queues and the float
// frames the back ends exchange with the card, and the linear resampler that
// bridges a rate the card lacks. Internal to the wave layer.
//
// 8-bit samples are unsigned with silence at 127 (as every sample operation
// of the program treats them) and 16-bit samples use +-32767 as full scale,
// so that 0..254 and -32767..32767 survive a round trip through float
// unchanged.
#pragma once
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace sv::audio {

inline float clampUnit(float x) {
    if (!(x == x)) return 0.0f;
    return x < -1.0f ? -1.0f : (x > 1.0f ? 1.0f : x);
}

inline float sampleToFloat(uint8_t v) { return clampUnit((static_cast<int>(v) - 127) * (1.0f / 127.0f)); }
inline float sampleToFloat(int16_t v) { return clampUnit(v * (1.0f / 32767.0f)); }

template <class T> T floatToSample(float x);
template <> inline uint8_t floatToSample<uint8_t>(float x) {
    return static_cast<uint8_t>(127 + static_cast<int>(std::nearbyint(clampUnit(x) * 127.0f)));
}
template <> inline int16_t floatToSample<int16_t>(float x) {
    return static_cast<int16_t>(std::nearbyint(clampUnit(x) * 32767.0f));
}

// Unaligned little-endian access: queued buffers may start at any byte.
template <class T> inline T loadSample(const uint8_t* p) {
    T v;
    std::memcpy(&v, p, sizeof v);
    return v;
}
template <class T> inline void storeSample(uint8_t* p, T v) { std::memcpy(p, &v, sizeof v); }

// One frame, as at most two float channels.
struct Frame {
    float l = 0.0f, r = 0.0f;
};

// Reads frame `p` of layout <T, C> as a frame of `outChannels` (1 or 2):
// mono is duplicated, stereo folded to mono by averaging.
template <class T, int C>
inline Frame decodeFrame(const uint8_t* p) {
    Frame f;
    f.l = sampleToFloat(loadSample<T>(p));
    f.r = C == 2 ? sampleToFloat(loadSample<T>(p + sizeof(T))) : f.l;
    return f;
}

template <class T, int C>
inline void encodeFrame(uint8_t* p, const Frame& f) {
    if (C == 1) {
        storeSample<T>(p, floatToSample<T>(0.5f * (f.l + f.r)));
    } else {
        storeSample<T>(p, floatToSample<T>(f.l));
        storeSample<T>(p + sizeof(T), floatToSample<T>(f.r));
    }
}

inline void putFloatFrame(float* out, int channels, const Frame& f) {
    if (channels == 1) {
        out[0] = 0.5f * (f.l + f.r);
    } else {
        out[0] = f.l;
        out[1] = f.r;
    }
}

inline Frame getFloatFrame(const float* in, int channels) {
    Frame f;
    f.l = in[0];
    f.r = channels >= 2 ? in[1] : in[0];
    return f;
}

// Streaming linear interpolation between two rates. `step` is input frames
// per output frame. The state survives between calls, so a stream cut into
// blocks of any size resamples as one; it lags the input by one frame.
struct LinearResampler {
    double step = 1.0;
    double t = 1.0;  // position of the next output between prev (0) and cur (1)
    Frame prev, cur;

    void reset() {
        t = 1.0;
        prev = cur = Frame{};
    }

    // Produces one output frame, pulling input frames through `pull(Frame&)`
    // as needed. False when the input ran dry; the state is then unchanged
    // apart from the frames pulled, so the next call continues seamlessly.
    template <class Pull>
    bool next(Pull&& pull, Frame& out) {
        while (t >= 1.0) {
            Frame f;
            if (!pull(f)) return false;
            prev = cur;
            cur = f;
            t -= 1.0;
        }
        const float a = static_cast<float>(t);
        out.l = prev.l + (cur.l - prev.l) * a;
        out.r = prev.r + (cur.r - prev.r) * a;
        t += step;
        return true;
    }
};

// Calls fn(T{}, std::integral_constant-like channel count) for the layout,
// so each loop is written once and compiled for the four layouts.
template <int C> struct ChannelCount { static constexpr int value = C; };

template <class Fn>
inline void dispatchPcm(int bits, int channels, Fn&& fn) {
    if (bits == 16) {
        if (channels == 2) fn(int16_t{}, ChannelCount<2>{});
        else fn(int16_t{}, ChannelCount<1>{});
    } else {
        if (channels == 2) fn(uint8_t{}, ChannelCount<2>{});
        else fn(uint8_t{}, ChannelCount<1>{});
    }
}

} // namespace sv::audio

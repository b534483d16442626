// The reverb's vector code against a plain walk over the source frames, and
// every instruction set's code against the others, on loud noise (so that
// the clamps act), all four layouts, odd lengths and selections.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

#include "sound/engine/effects/delay_effects.h"
#include "sound/engine/effects/reverb_lanes.h"
#include "tests/sound/effects/effect_test_util.h"

using namespace sv;
using namespace sv::test;

namespace {

// Frame by frame: the dry sample scaled, then each source frame's taps in
// turn, each adding round(x x gain) at its distance and clamped at once. A
// part (early, late) stops for a frame at its first tap that would land past
// the stretch the undo step holds (with onlySelection, also past the
// selection as measured by the part's running spacing).
std::vector<int> walkReverb(const SoundBuffer& in, const ReverbParams& prm) {
    const int c = in.format.nChannels;
    const bool eight = in.format.wBitsPerSample == 8;
    const int64_t rate = in.format.nSamplesPerSec, s0 = in.selectionStart, l = in.selectionLength;
    const int64_t r = int64_t(prm.reverbTime) * rate / 1000, k = int64_t(prm.reverbDelay) * rate / 1000;
    const int64_t p = int64_t(prm.initialDelay) * rate / 1000, d = prm.density, j = r - k - p;
    const double dry = prm.originalLevel / 100.0, t = prm.reverbLevel / 200.0;
    std::vector<int> v = values(in);   // relative to silence
    const int64_t frames = prm.onlySelection ? in.frameCount() : std::max(in.frameCount(), s0 + l + r);
    v.resize(size_t(frames * c), 0);
    const std::vector<int> old(v.begin() + s0 * c, v.begin() + (s0 + l) * c);
    const int64_t limit = prm.onlySelection ? l : l + r;
    auto at = [&](int64_t frame, int ch) -> int& { return v[size_t((s0 + frame) * c + ch)]; };
    for (int64_t f = 0; f < l; ++f)
        for (int ch = 0; ch < c; ++ch) {
            const double x = std::nearbyint(old[size_t(f * c + ch)] * dry);
            at(f, ch) = eight ? int(std::clamp(x + 127, 0.0, 255.0)) - 127 : int(std::clamp(x, -32768.0, 32767.0));
        }
    auto spacing = [&](int64_t s, int64_t len) { return int64_t(std::nearbyint(double(d) - double(s) * double(d) / (2.0 * double(len)))); };
    for (int64_t f = 0; f < l; ++f) {
        // false when the tap would land past the stretch: the part stops.
        auto tap = [&](int64_t q, int64_t sv, double g) {
            if (p + f + q >= limit || (prm.onlySelection && p + f + sv > l)) return false;
            for (int ch = 0; ch < c; ++ch) {
                const double x = double(old[size_t(f * c + ch)]) * g;
                int& o = at(p + f + q, ch);
                if (eight) o = int(std::clamp(o + 127 + std::nearbyint(x), 0.0, 255.0)) - 127;
                else o = int(std::clamp(o + std::nearbyint(x), -32767.0, 32767.0));
            }
            return true;
        };
        double g = t;
        int64_t gap = d, q = 0, s = 0;
        bool stopped = false, open = true;
        if (k > 0) {
            do {
                open = open && tap(q, s, g);
                q += gap;
                g = t - t * double(s) / double(k);
                gap = spacing(s, k);
                if (gap < 1) { stopped = true; break; }
                s += gap;
            } while (s < k);
        }
        if (stopped) continue;
        open = true;
        q = k;
        s = 0;
        while (s < j) {
            open = open && tap(q, s + k, g);
            q += gap;
            g = (std::exp(t - t * double(s) / double(j)) - 1.0) / std::exp(1.0);
            gap = spacing(s, j);
            if (gap < 1) break;
            s += gap;
        }
    }
    return v;
}

SoundBuffer noise(int bits, int channels, int64_t frames, uint32_t seed, uint32_t rate = 8000) {
    std::mt19937 rng(seed);
    const int amp = bits == 8 ? 127 : 32767;
    std::vector<int> v(size_t(frames * channels));
    for (int& x : v) x = int(rng() % uint32_t(2 * amp + 1)) - amp;
    return makeSound(bits, channels, v, rate);
}

struct LanesGuard {
    ~LanesGuard() { fx::setReverbLanes(fx::ReverbLanes::Widest); }
};

std::vector<fx::ReverbLanes> everyLanes() {
    std::vector<fx::ReverbLanes> out;
    for (fx::ReverbLanes l : {fx::ReverbLanes::Avx512, fx::ReverbLanes::Avx2, fx::ReverbLanes::Plain})
        if (fx::reverbLanesAvailable(l)) out.push_back(l);
    return out;
}

} // namespace

TEST(ReverbLanes, EveryLaneGivesTheFrameWalkOnEveryLayout) {
    LanesGuard guard;
    struct Case { int64_t start, length; ReverbParams prm; };
    std::vector<Case> cases;
    ReverbParams a;   // the defaults at 8 kHz: P = 80, K = 80, R = 4000 frames
    cases.push_back({0, 6007, a});
    ReverbParams b;
    b.density = 37;
    b.reverbDelay = 30;
    b.initialDelay = 3;
    b.reverbTime = 250;
    b.originalLevel = 70;
    b.reverbLevel = 180;   // gains above 1: clamps after many taps
    b.onlySelection = true;
    cases.push_back({1001, 4333, b});
    ReverbParams c = b;
    c.onlySelection = false;
    c.originalLevel = 150;
    cases.push_back({5000, 1999, c});   // the tail grows the sound
    ReverbParams e;
    e.density = 3;   // spacing shrinks to nothing: a part stops early
    e.reverbDelay = 2;
    e.initialDelay = 0;
    e.reverbTime = 20;
    e.reverbLevel = -90;
    cases.push_back({17, 333, e});
    e.density = 0;   // no spacing at all: one tap, no late part
    cases.push_back({0, 333, e});
    ReverbParams h = b;
    h.reverbLevel = 6000;   // late gains past 2^36: no rounding in lanes
    h.originalLevel = 100;
    cases.push_back({3, 901, h});
    for (int bits : {8, 16})
        for (int ch : {1, 2})
            for (const Case& cs : cases) {
                SoundBuffer in = noise(bits, ch, 7001, uint32_t(bits * 10 + ch));
                in.setSelection(cs.start, cs.length);
                const std::vector<int> want = walkReverb(in, cs.prm);
                for (fx::ReverbLanes lanes : everyLanes()) {
                    fx::setReverbLanes(lanes);
                    SoundBuffer s = in;
                    Recorder rec;
                    ASSERT_TRUE(reverb(s, cs.prm, rec.context()));
                    ASSERT_EQ(values(s), want) << bits << "-bit, " << ch << " channels, lanes " << int(lanes)
                                               << ", selection " << cs.start << "+" << cs.length;
                }
            }
}

TEST(ReverbLanes, LongSoundsAgreeAcrossLanesAndThreads) {
    // Long enough for the output to be cut into ranges over the threads,
    // with taps reaching across range ends.
    LanesGuard guard;
    ReverbParams prm;
    prm.reverbLevel = 120;
    for (int bits : {8, 16}) {
        SoundBuffer in = noise(bits, 2, 400003, uint32_t(bits));
        in.setSelection(7, 399000);
        std::vector<std::vector<int>> results;
        for (fx::ReverbLanes lanes : everyLanes()) {
            fx::setReverbLanes(lanes);
            SoundBuffer s = in;
            Recorder rec;
            ASSERT_TRUE(reverb(s, prm, rec.context()));
            results.push_back(storedBytes(s));
        }
        for (size_t i = 1; i < results.size(); ++i) EXPECT_EQ(results[i], results[0]) << bits << "-bit";
        if (bits == 16) {
            const std::vector<int> want = walkReverb(in, prm);
            SoundBuffer s = in;
            Recorder rec;
            fx::setReverbLanes(fx::ReverbLanes::Widest);
            ASSERT_TRUE(reverb(s, prm, rec.context()));
            EXPECT_EQ(values(s), want);
        }
    }
}

TEST(ReverbLanes, TailsLongerThanTheWindowsReadACopy) {
    // Taps more than 2^20 samples away: the selection is copied once rather
    // than held in a window by every thread.
    LanesGuard guard;
    ReverbParams prm;
    prm.density = 40000;
    prm.reverbTime = 13000;   // 573300 frames at 44.1 kHz, twice that in samples
    prm.reverbLevel = 150;
    for (int bits : {8, 16}) {
        SoundBuffer in = noise(bits, 2, 20011, uint32_t(bits + 5), 44100);
        in.setSelection(11, 20000);
        const std::vector<int> want = walkReverb(in, prm);
        for (fx::ReverbLanes lanes : everyLanes()) {
            fx::setReverbLanes(lanes);
            SoundBuffer s = in;
            Recorder rec;
            ASSERT_TRUE(reverb(s, prm, rec.context()));
            EXPECT_EQ(values(s), want) << bits << "-bit, lanes " << int(lanes);
        }
    }
}

#include "sound/engine/effects/filters.h"

#include <algorithm>
#include <cstdlib>

#include "platform/numbers.h"
#include "sound/engine/effects/effect_loop.h"

namespace sv {

namespace {

// One channel of the selection: sample k is at p + k * stride. Values are
// relative to silence; "stored" values are the bytes of 8-bit sounds and
// the signed values of 16-bit ones.
template <typename S>
struct Channel {
    uint8_t* p;
    int64_t stride;
    int64_t length;

    int at(int64_t k) const { return readSample(p + k * stride, S{}); }
    void put(int64_t k, int v) const { writeSample(p + k * stride, v, S{}); }
    int stored(int64_t k) const {
        if constexpr (sizeof(S) == 1) return p[k * stride];
        else return at(k);
    }
    void putStored(int64_t k, int v) const {
        if constexpr (sizeof(S) == 1) p[k * stride] = uint8_t(v);
        else put(k, v);
    }
};

// Runs Filter<S> over each channel in turn. The filters keep their running
// state in members, so one channel is walked in runs that end where the
// progress rule reports (steps counted over channels x L samples).
template <template <typename> class Filter, typename S, typename... Args>
void filterChannels(const fx::Span& sp, const OperationContext& ctx, const Args&... args) {
    const int64_t L = sp.frames;
    const int64_t total = L * sp.channels;
    for (int c = 0; c < sp.channels; ++c) {
        const Channel<S> ch{sp.data + c * int64_t(sizeof(S)), int64_t(sp.channels) * int64_t(sizeof(S)), L};
        Filter<S> f(ch, args...);
        fx::forEachProgressRun(c * L, (c + 1) * L, total, ctx, [&](int64_t b, int64_t e) { f.run(b, e); });
    }
}

template <template <typename> class Filter, typename... Args>
bool runFilter(SoundBuffer& s, const OperationContext& ctx, const char* words, const Args&... args) {
    fx::Span sp;
    if (!fx::beginEffect(s, ctx, words, sp)) return false;
    dispatchLayout(s.format, [&](auto sample, auto) {
        filterChannels<Filter, decltype(sample)>(sp, ctx, args...);
    });
    return true;
}

// The unfiltered neighbours travel with the walk: `prev` and `cur` hold
// x[k-1] and x[k] before sample k is overwritten.
template <typename S>
struct Median {
    Channel<S> ch;
    int prev, cur;
    explicit Median(const Channel<S>& c) : ch(c), prev(c.at(0)), cur(prev) {}
    void run(int64_t b, int64_t e) {
        const int64_t last = ch.length - 1;
        for (int64_t k = b; k < e; ++k) {
            const int next = k < last ? ch.at(k + 1) : cur;
            ch.put(k, MedianOf3(prev, cur, next));
            prev = cur;
            cur = next;
        }
    }
};

template <typename S>
struct ImprovedMedian {
    // A spike must stand out by more than this to be taken away.
    static constexpr int kThreshold = sizeof(S) == 1 ? 10 : 2580;
    Channel<S> ch;
    int prev, cur;
    explicit ImprovedMedian(const Channel<S>& c) : ch(c), prev(c.at(0)), cur(prev) {}
    void run(int64_t b, int64_t e) {
        const int64_t last = ch.length - 1;
        for (int64_t k = b; k < e; ++k) {
            const int next = k < last ? ch.at(k + 1) : cur;
            const int m = MedianOf3(prev, cur, next);
            if (k == last || std::abs(cur - m) > kThreshold) ch.put(k, m);
            prev = cur;
            cur = next;
        }
    }
};

template <typename S>
struct Average {
    // Stored value of silence: the 8-bit mean runs on bytes.
    static constexpr int kSilence = sizeof(S) == 1 ? kSilence8 : 0;
    Channel<S> ch;
    int y = kSilence;   // the previous output
    int cur;
    explicit Average(const Channel<S>& c) : ch(c), cur(c.stored(0)) {}
    void run(int64_t b, int64_t e) {
        const int64_t last = ch.length - 1;
        for (int64_t k = b; k < e; ++k) {
            const int next = k < last ? ch.stored(k + 1) : kSilence;
            y = (y + cur + next) / 3;
            ch.putStored(k, y);
            cur = next;
        }
    }
};

template <typename S>
struct Edge {
    static constexpr int kLo = sizeof(S) == 1 ? -kSilence8 : -32767;
    static constexpr int kHi = sizeof(S) == 1 ? 255 - kSilence8 : 32767;
    Channel<S> ch;
    int xm2 = 0, xm1 = 0;
    explicit Edge(const Channel<S>& c) : ch(c) {}
    void run(int64_t b, int64_t e) {
        e = std::min(e, ch.length - 1);   // the last sample is left
        for (int64_t k = b; k < e; ++k) {
            const int x = ch.at(k);
            ch.put(k, std::clamp(3 * xm1 - xm2 - x, kLo, kHi));
            xm2 = xm1;
            xm1 = x;
        }
    }
};

template <typename S>
struct Difference {
    Channel<S> ch;
    int prev = 0;
    explicit Difference(const Channel<S>& c) : ch(c) {}
    void run(int64_t b, int64_t e) {
        for (int64_t k = b; k < e; ++k) {
            const int x = ch.at(k);
            ch.put(k, x - prev);   // wraps to the sample width
            prev = x;
        }
    }
};

// The three passes of the top hat fused into one walk: u[k] needs t[k-1..
// k+1], t[k+1] needs x[k..k+2], and the last pass at k reads x[k+1], which
// is still unfiltered; so no copy of the channel is kept.
template <typename S>
struct TopHat {
    Channel<S> ch;
    int tPrev, tCur;   // t[k-1], t[k]
    int out;           // previous output sample
    explicit TopHat(const Channel<S>& c) : ch(c) {
        const int x0 = c.at(0);
        const int x1 = c.length > 1 ? c.at(1) : x0;
        tCur = SmallestMagnitudeOf3(x0, x0, x1);
        tPrev = tCur;
        out = x0;
    }
    void run(int64_t b, int64_t e) {
        const int64_t last = ch.length - 1;
        for (int64_t k = b; k < e; ++k) {
            const int x = ch.at(k);
            const int x1 = k < last ? ch.at(k + 1) : x;
            const int x2 = k + 2 <= last ? ch.at(k + 2) : x1;
            const int tNext = k < last ? SmallestMagnitudeOf3(x, x1, x2) : tCur;
            const int u = LargestMagnitudeOf3(tPrev, tCur, tNext);
            int y = x;
            if (k < last && x != u) {
                y = MedianOf3(x1, x, k == 0 ? x : out);
                ch.put(k, y);
            }
            out = y;
            tPrev = tCur;
            tCur = tNext;
        }
    }
};

template <typename S>
struct Customized {
    static constexpr int kLo = sizeof(S) == 1 ? -127 : -32768;
    static constexpr int kHi = sizeof(S) == 1 ? 127 : 32767;
    Channel<S> ch;
    std::array<double, 7> w;
    bool feedback;
    double win[7];   // samples k-3 .. k+3
    Customized(const Channel<S>& c, const std::array<double, 7>& weights, const bool& fb)
        : ch(c), w(weights), feedback(fb) {
        for (int j = 0; j < 7; ++j) win[j] = c.at(j);
    }
    void run(int64_t b, int64_t e) {
        const int64_t first = std::max<int64_t>(b, 3);
        const int64_t end = std::min<int64_t>(e, ch.length - 4);   // k <= L - 5
        for (int64_t k = first; k < end; ++k) {
            double y = 0;
            for (int j = 0; j < 7; ++j) y += w[j] * win[j];
            if (feedback) win[3] = y;
            ch.put(k, int(roundHalfEven(y, kLo, kHi)));
            for (int j = 0; j < 6; ++j) win[j] = win[j + 1];
            if (k + 4 < ch.length) win[6] = ch.at(k + 4);
        }
    }
};

} // namespace

bool medianFilter(SoundBuffer& s, const OperationContext& ctx) {
    return runFilter<Median>(s, ctx, undo_words::medianFilter);
}

bool improvedMedianFilter(SoundBuffer& s, const OperationContext& ctx) {
    return runFilter<ImprovedMedian>(s, ctx, undo_words::improvedMedianFilter);
}

bool averageFilter(SoundBuffer& s, const OperationContext& ctx) {
    return runFilter<Average>(s, ctx, undo_words::averageFilter);
}

bool edgeEnhancement(SoundBuffer& s, const OperationContext& ctx) {
    return runFilter<Edge>(s, ctx, undo_words::edgeEnhancement);
}

bool differenceFilter(SoundBuffer& s, const OperationContext& ctx) {
    return runFilter<Difference>(s, ctx, undo_words::differenceFilter);
}

bool topHatFilter(SoundBuffer& s, const OperationContext& ctx) {
    // The three passes report as thirds of the walk.
    OperationContext thirds = ctx;
    int reported = 0;
    if (ctx.progress) {
        thirds.progress = [&](int64_t j, int64_t n) {
            const int third = int(j * 3 / n);
            while (reported < third) ctx.progress(++reported, 3);
        };
    }
    return runFilter<TopHat>(s, thirds, undo_words::topHatFilter);
}

bool customizedFilter(SoundBuffer& s, const std::array<double, 7>& weights, bool feedback,
                      const OperationContext& ctx) {
    if (!fx::usable(s) || s.selection().length <= 7) return false;
    return runFilter<Customized>(s, ctx, undo_words::customizedFilter, weights, feedback);
}

bool quantize(SoundBuffer& s, int32_t step, const OperationContext& ctx) {
    if (step == 0) return false;
    fx::Span sp;
    if (!fx::beginEffect(s, ctx, undo_words::quantifier, sp)) return false;
    // |step * (x / step)| <= |x|, so every result stays in range.
    const int64_t q = step;
    dispatchLayout(s.format, [&](auto sample, auto) {
        fx::mapSamples<decltype(sample)>(sp, ctx, [q](int x) { return int(q * (x / q)); });
    });
    return true;
}

} // namespace sv

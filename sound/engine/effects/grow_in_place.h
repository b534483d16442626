// A stretch that grows inside its own buffer, written from the top down.
// A new buffer for the grown sound would cost the first touch of every one
// of its pages, and the release of the old one, several times the copying
// itself; growing the buffer keeps the pages the sound already has.
#pragma once
#include <cstdint>
#include <functional>

#include "sound/engine/edit_progress.h"
#include "sound/engine/effects/parallel_runs.h"

namespace sv::fx {

// Units j = 0 .. units - 1: unit(j) reads below readEnd(j) and writes at
// writeBegin(j) and after, both never decreasing with j, and never below
// what lower units read (writeBegin(j) >= readEnd(j - 1)). A unit may write
// over its own source: it reads what it needs first (or moves it with
// memmove). The units go from the top down, so every unit still finds its
// source unchanged; a run of units whose writes all lie past everything the
// units below and among them read goes over the threads.
// The walk is advanced to position(count of units done) as they finish.
template <typename ReadEnd, typename WriteBegin, typename Run, typename Bottom>
void growInPlaceByRanges(int64_t units, int64_t grain, ReadEnd readEnd, WriteBegin writeBegin, Run run,
                         Bottom bottom, ProgressWalk& walk, const std::function<int64_t(int64_t)>& position);

template <typename ReadEnd, typename WriteBegin, typename Unit>
void growInPlace(int64_t units, int64_t grain, ReadEnd readEnd, WriteBegin writeBegin, Unit unit,
                 ProgressWalk& walk, const std::function<int64_t(int64_t)>& position) {
    growInPlaceByRanges(
        units, grain, readEnd, writeBegin, [&](int64_t b, int64_t e) {
            for (int64_t j = b; j < e; ++j) unit(j);
        },
        [&](int64_t top) {
            for (int64_t j = top - 1; j >= 0; --j) {
                unit(j);
                if ((top - j) % grain == 0) walk.advanceTo(position(units - j));
            }
        },
        walk, position);
}

// The same for units that go faster several at a time: run(b, e) does
// units b .. e - 1 of a run whose writes lie past everything they read, and
// bottom(top) does units top - 1 .. 0 one by one from the top down.
template <typename ReadEnd, typename WriteBegin, typename Run, typename Bottom>
void growInPlaceByRanges(int64_t units, int64_t grain, ReadEnd readEnd, WriteBegin writeBegin, Run run,
                         Bottom bottom, ProgressWalk& walk, const std::function<int64_t(int64_t)>& position) {
    int64_t top = units;
    while (top > 0) {
        // The lowest unit whose writes start past what units below top read.
        const int64_t reach = readEnd(top - 1);
        int64_t lo = 0, hi = top;
        while (lo < hi) {
            const int64_t mid = lo + (hi - lo) / 2;
            if (writeBegin(mid) >= reach) hi = mid;
            else lo = mid + 1;
        }
        if (top - lo < 4 * grain) break;
        const int64_t low = lo, before = units - top;
        if (top - low < 16 * grain) {
            // Too short a run to be worth starting threads for.
            run(low, top);
            walk.advanceTo(position(units - low));
        } else {
            parallelRuns(top - low, grain, [&](int64_t b, int64_t e) { run(low + b, low + e); }, &walk,
                         [&](int64_t done) { return position(before + done); });
        }
        top = low;
    }
    bottom(top);
    walk.advanceTo(position(units));
}

} // namespace sv::fx

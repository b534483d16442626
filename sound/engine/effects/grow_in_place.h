// A stretch that grows inside its own buffer, written from the top down.
// A new buffer for the grown sound would cost the first touch of every one
// of its pages, and the release of the old one, several times the copying
// itself; growing the buffer keeps the pages the sound already has.
#pragma once
#include <algorithm>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <vector>

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
// units b .. e - 1, whose writes lie past everything they read, and
// bottom(top) does units top - 1 .. 0 one by one from the top down.
// The units are cut, from the top, into runs whose writes begin past all
// their own reads. A run may start once every unit reading where it writes
// (all of them above it) is done: the threads take the runs from the top
// down and each waits for those above it only as far as it must, so that a
// thread the system holds back delays only the runs that need its frames.
template <typename ReadEnd, typename WriteBegin, typename Run, typename Bottom>
void growInPlaceByRanges(int64_t units, int64_t grain, ReadEnd readEnd, WriteBegin writeBegin, Run run,
                         Bottom bottom, ProgressWalk& walk, const std::function<int64_t(int64_t)>& position) {
    struct Piece {
        int64_t lo, hi;
        int64_t needDoneFrom;   // every unit from here up must be done first
    };
    std::vector<Piece> pieces;   // from the top down
    const int64_t most = std::max<int64_t>(grain, units / (int64_t(effectThreads()) * 16));
    int64_t top = units;
    while (top > 0) {
        // The lowest unit whose writes start past what units up to top read.
        const int64_t reach = readEnd(top - 1);
        int64_t lo = std::max<int64_t>(0, top - most), hi = top;
        while (lo < hi) {
            const int64_t mid = lo + (hi - lo) / 2;
            if (writeBegin(mid) >= reach) hi = mid;
            else lo = mid + 1;
        }
        if (top - lo < grain) break;
        // The lowest unit reading at or past where this piece writes.
        const int64_t from = writeBegin(lo);
        int64_t a = top, b = units;
        while (a < b) {
            const int64_t mid = a + (b - a) / 2;
            if (readEnd(mid) > from) b = mid;
            else a = mid + 1;
        }
        pieces.push_back({lo, top, a});
        top = lo;
    }
    if (!pieces.empty()) {
        std::mutex mutex;
        std::condition_variable cv;
        std::vector<char> done(pieces.size(), 0);
        size_t finished = 0;        // pieces 0 .. finished - 1 are all done
        int64_t doneFrom = units;   // so every unit from here up is
        bool failed = false;        // a piece threw: nobody waits for it
        const int64_t count = int64_t(pieces.size());
        parallelRuns(count, 1, [&](int64_t i0, int64_t i1) {
            for (int64_t i = i0; i < i1; ++i) {
                const Piece& p = pieces[size_t(i)];
                {
                    std::unique_lock<std::mutex> lk(mutex);
                    cv.wait(lk, [&] { return failed || doneFrom <= p.needDoneFrom; });
                    if (failed) return;
                }
                try {
                    run(p.lo, p.hi);
                } catch (...) {
                    std::lock_guard<std::mutex> lk(mutex);
                    failed = true;
                    cv.notify_all();
                    throw;
                }
                std::lock_guard<std::mutex> lk(mutex);
                done[size_t(i)] = 1;
                while (finished < pieces.size() && done[finished]) doneFrom = pieces[finished++].lo;
                cv.notify_all();
            }
        }, &walk, [&](int64_t piecesDone) { return position(piecesDone ? units - pieces[size_t(piecesDone - 1)].lo : 0); });
    }
    bottom(top);
    walk.advanceTo(position(units));
}

} // namespace sv::fx

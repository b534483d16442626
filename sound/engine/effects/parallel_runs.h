// Independent pieces of a long loop spread over worker threads while the
// calling thread waits and reports progress. The pieces must write disjoint
// bytes and read nothing another piece writes; the result is then that of
// one piece after the other. Progress goes through a ProgressWalk, so every
// step is reported once and in order, as the loop walked alone reports it.
#pragma once
#include <cstdint>
#include <functional>

#include "sound/engine/edit_progress.h"

namespace sv::fx {

// Threads the effects may use (the processor's cores).
int effectThreads();

// Runs fn(begin, end) over consecutive ranges covering [0, items), each at
// least `grain` items long. As ranges finish, the walk (may be null) is
// advanced to position(count of items done), and to position(items) at the
// end; position must not decrease (unset: the count itself).
// Below a few ranges' worth everything runs on the calling thread. The
// first exception a range throws is rethrown after every thread stopped.
void parallelRuns(int64_t items, int64_t grain, const std::function<void(int64_t, int64_t)>& fn,
                  ProgressWalk* walk = nullptr,
                  const std::function<int64_t(int64_t)>& position = nullptr);

} // namespace sv::fx

#include "sound/engine/effects/parallel_runs.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <thread>
#include <vector>

namespace sv::fx {

int effectThreads() {
    static const int n = int(std::clamp<unsigned>(std::thread::hardware_concurrency(), 1, 64));
    return n;
}

void parallelRuns(int64_t items, int64_t grain, const std::function<void(int64_t, int64_t)>& fn,
                  ProgressWalk* walk, const std::function<int64_t(int64_t)>& position) {
    if (items <= 0) return;
    grain = std::max<int64_t>(1, grain);
    auto at = [&](int64_t done) { return position ? position(done) : done; };
    const int threads = int(std::min<int64_t>(effectThreads(), items / grain));
    if (threads <= 1) {
        // Alone: in ranges of the grain, so that the bar still moves.
        for (int64_t b = 0; b < items; b += grain) {
            const int64_t e = std::min(items, b + grain);
            fn(b, e);
            if (walk) walk->advanceTo(at(e));
        }
        return;
    }
    // Ranges handed out in order; a few per thread so that a slow thread
    // does not hold up the end.
    const int64_t ranges = std::min<int64_t>(items / grain, int64_t(threads) * 16);
    std::atomic<int64_t> next{0};
    std::atomic<bool> stop{false};
    std::mutex mutex;
    std::condition_variable cv;
    int64_t done = 0;
    int finished = 0;
    std::vector<std::exception_ptr> errors(static_cast<size_t>(threads));
    auto worker = [&](int t) {
        try {
            for (int64_t r; !stop && (r = next++) < ranges;) {
                const int64_t b = items * r / ranges, e = items * (r + 1) / ranges;
                fn(b, e);
                std::lock_guard<std::mutex> lk(mutex);
                done += e - b;
                cv.notify_one();
            }
        } catch (...) {
            errors[size_t(t)] = std::current_exception();
            stop = true;
        }
        std::lock_guard<std::mutex> lk(mutex);
        ++finished;
        cv.notify_one();
    };
    std::vector<std::thread> pool;
    pool.reserve(size_t(threads));
    try {
        for (int t = 0; t < threads; ++t) pool.emplace_back(worker, t);
        std::unique_lock<std::mutex> lk(mutex);
        int64_t reported = 0;
        while (finished < threads) {
            cv.wait_for(lk, std::chrono::milliseconds(20));
            if (walk && done > reported && done < items && !stop) {
                // The count of items done stands for the position: the
                // bar shows how much is done, whatever the order.
                reported = done;
                lk.unlock();
                walk->advanceTo(at(reported));
                lk.lock();
            }
        }
    } catch (...) {
        stop = true;
        for (auto& t : pool) t.join();
        throw;
    }
    for (auto& t : pool) t.join();
    for (auto& e : errors)
        if (e) std::rethrow_exception(e);
    if (walk) walk->advanceTo(at(items));
}

} // namespace sv::fx

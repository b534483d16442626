#include "sound/engine/fft/block_runner.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <exception>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "sound/engine/fft/fft_lanes.h"
#include "sound/engine/sound_buffer.h"

namespace sv {

namespace {

constexpr double kPi = 3.14159265358979323846;
// Fewer blocks than this per thread are not worth a thread's start.
constexpr int64_t kMinBlocksPerThread = 8;
// Block counts from which the bar also moves every 128th part.
constexpr int64_t kSteadyBlocksFrom = 1024;

std::atomic<int> gThreads{0};

int threadBudget() {
    const int set = gThreads.load();
    if (set > 0) return set;
    const unsigned hw = std::thread::hardware_concurrency();
    return int(std::clamp<unsigned>(hw, 1, 64));
}

// nearbyint for the values a join meets: adding and taking away 1.5 x 2^52
// rounds to the nearest integer, halves to even, as the default rounding
// mode does, for |x| < 2^51 (only the sign of a zero result can differ,
// which no stored sample shows); larger values go through nearbyint.
inline double roundEven(double x) {
    constexpr double kMagic = 6755399441055744.0;
    if (std::fabs(x) < 2251799813685248.0) return (x + kMagic) - kMagic;
    return std::nearbyint(x);
}

// The state a run of blocks leaves in the work area: what filtrar sets and
// the points of the last block.
void copyRunState(FftWorkArea& to, const FftWorkArea& from) {
    to.Ratio = from.Ratio;
    to.SampleRate = from.SampleRate;
    to.LowCut = from.LowCut;
    to.HighCut = from.HighCut;
    to.FilterAction = from.FilterAction;
    to.OverlapSamples = from.OverlapSamples;
    to.FftSize = from.FftSize;
    to.FftData = from.FftData;
}

template <typename S, int C>
class Runner {
public:
    Runner(const BlockJob& job, FftWorkArea& area, const OperationContext& ctx)
        : job_(job), area_(area), ctx_(ctx) {}

    void run() {
        const int64_t blocks = job_.plan.blocks;
        const int64_t runs = std::max<int64_t>(1, std::min<int64_t>(threadBudget(), blocks / kMinBlocksPerThread));
        runs_.resize(size_t(runs));
        for (int64_t r = 0; r < runs; ++r) {
            runs_[r].first = 1 + blocks * r / runs;
            runs_[r].last = blocks * (r + 1) / runs;
            if (r > 0)
                for (auto& h : runs_[r].head) h.assign(size_t(job_.o), 0.0);
        }
        total_ = C * blocks;

        if (runs == 1) {
            // One run: on this thread, reporting as it goes.
            work(runs_[0], true);
        } else {
            std::vector<std::thread> threads;
            threads.reserve(size_t(runs));
            try {
                for (auto& r : runs_) threads.emplace_back([this, &r] { guardedWork(r); });
                waitReporting();
            } catch (...) {
                stop_ = true;
                for (auto& t : threads) t.join();
                throw;
            }
            for (auto& t : threads) t.join();
            for (auto& r : runs_)
                if (r.error) std::rethrow_exception(r.error);
            reportUpTo(total_);
        }
        for (size_t r = 1; r < runs_.size(); ++r) joinHeads(runs_[r]);
        copyRunState(area_, *runs_.back().lastArea);
    }

private:
    struct Run {
        int64_t first = 0, last = 0;        // blocks, from 1
        std::vector<double> head[C];        // the first block's head, joined later
        std::unique_ptr<FftWorkArea> lanes[kFftLanes];
        const FftWorkArea* lastArea = nullptr;
        std::exception_ptr error;
    };

    void guardedWork(Run& r) {
        try {
            work(r, false);
        } catch (...) {
            r.error = std::current_exception();
            stop_ = true;
        }
        std::lock_guard<std::mutex> lk(mutex_);
        ++finished_;
        cv_.notify_one();
    }

    // Block k of channel c in the sequence of a run: block-major, so that
    // both channels of a block share the vector lanes.
    void work(Run& r, bool reportHere) {
        for (auto& lane : r.lanes) lane = std::make_unique<FftWorkArea>(area_);
        FftLanes lanes;
        const int64_t units = (r.last - r.first + 1) * C;
        for (int64_t u = 0; u < units && !stop_; u += kFftLanes) {
            const int count = int(std::min<int64_t>(kFftLanes, units - u));
            int64_t k[kFftLanes];
            int c[kFftLanes];
            FftPoints* points[kFftLanes];
            for (int l = 0; l < count; ++l) {
                k[l] = r.first + (u + l) / C;
                c[l] = int((u + l) % C);
                FftWorkArea& a = *r.lanes[l];
                fill(a.FftData, k[l], c[l]);
                a.enfinestrar(job_.window, job_.n);
                points[l] = &a.FftData;
            }
            lanes.transform(points, count, 0, job_.n);
            for (int l = 0; l < count; ++l) r.lanes[l]->filtrar(job_.mode, job_.f2, job_.f1, job_.rate);
            lanes.transform(points, count, 1, job_.n);
            for (int l = 0; l < count; ++l) join(r, *points[l], k[l], c[l]);
            r.lastArea = r.lanes[count - 1].get();
            progressed(count, reportHere);
        }
    }

    // Every step is reported once and in order, as a channel-by-channel
    // walk reports its steps; the count of blocks done is the position.
    void progressed(int units, bool reportHere) {
        if (reportHere) {
            reportUpTo(done_ += units);
            return;
        }
        std::lock_guard<std::mutex> lk(mutex_);
        done_ += units;
        cv_.notify_one();
    }

    // A step is a whole block, so the bar's steady reports start at far
    // fewer steps than for a loop over samples.
    void reportUpTo(int64_t done) {
        if (ctx_.progress)
            for (int64_t j = reported_ + 1; j <= done; ++j)
                if (progressDue(j, total_, kSteadyBlocksFrom)) ctx_.progress(j, total_);
        reported_ = done;
    }

    void waitReporting() {
        std::unique_lock<std::mutex> lk(mutex_);
        while (finished_ < int64_t(runs_.size())) {
            cv_.wait_for(lk, std::chrono::milliseconds(50));
            const int64_t done = std::min(done_, total_);
            if (done > reported_ && !stop_) {
                lk.unlock();
                reportUpTo(done);
                lk.lock();
            }
        }
    }

    void fill(FftPoints& d, int64_t k, int c) {
        constexpr int64_t kSize = sizeof(S);
        constexpr int64_t kFrame = kSize * C;
        const int64_t n = job_.n;
        double* xr = d.re.data();
        double* xi = d.im.data();
        const int64_t len = k < job_.plan.blocks ? n : job_.plan.lastLength;
        const uint8_t* in = job_.selection + (k - 1) * job_.plan.hop * kFrame + c * kSize;
        for (int64_t m = 0; m < len; ++m) xr[m] = readSample(in + m * kFrame, S{});
        std::fill(xr + len, xr + n, 0.0);
        std::fill(xi, xi + n, 0.0);
        if (job_.mode == TransformMode::expansor_dinamica) {
            // The homomorphic path: the spectrum of the logarithm, the
            // sign kept as a phase of pi.
            for (int64_t m = 0; m < n; ++m) {
                xi[m] = xr[m] < 0 ? kPi : 0.0;
                if (xr[m] == 0) xr[m] = 1e-10;
                xr[m] = std::log(std::fabs(xr[m]));
            }
        }
    }

    // The overlap join: the earlier block's tail is weighted (o - j + 1) / o
    // and the later block's head j / o over the o shared samples, so the
    // weights add up to (o + 1) / o there. A run's first block keeps its
    // head for joinHeads, since the block before it belongs to another run.
    void join(Run& r, const FftPoints& d, int64_t k, int c) {
        constexpr int64_t kSize = sizeof(S);
        constexpr int64_t kFrame = kSize * C;
        const int64_t n = job_.n;
        const int64_t o = job_.o;
        const int64_t blocks = job_.plan.blocks;
        const bool expander = job_.mode == TransformMode::expansor_dinamica;
        const int64_t len = k < blocks ? n : job_.plan.lastLength;
        const bool deferHead = k == r.first && k >= 2;
        const double* xr = d.re.data();
        const double* xi = d.im.data();
        uint8_t* out = job_.out + (k - 1) * job_.plan.hop * kFrame + c * kSize;
        for (int64_t m = 1; m <= len; ++m) {
            double x = xr[m - 1];
            if (expander) x = std::exp(x) * std::cos(xi[m - 1]);
            if (!std::isfinite(x)) throw FftBlockError();
            uint8_t* q = out + (m - 1) * kFrame;
            double v;
            if (m <= o && k >= 2) {
                if (deferHead) {
                    r.head[c][size_t(m - 1)] = x;
                    continue;
                }
                v = roundEven(double(m) * x / double(o)) + readSample(q, S{});
            } else if (m > n - o && k < blocks) {
                v = roundEven(double(n - m + 1) * x / double(o));
            } else {
                v = roundEven(x);
            }
            storeFilteredValue<S, C>(q, v);
        }
    }

    void joinHeads(const Run& r) {
        constexpr int64_t kSize = sizeof(S);
        constexpr int64_t kFrame = kSize * C;
        const int64_t k = r.first;
        const int64_t o = job_.o;
        const int64_t len = k < job_.plan.blocks ? job_.n : job_.plan.lastLength;
        for (int c = 0; c < C; ++c) {
            uint8_t* out = job_.out + (k - 1) * job_.plan.hop * kFrame + c * kSize;
            for (int64_t m = 1; m <= std::min(o, len); ++m) {
                uint8_t* q = out + (m - 1) * kFrame;
                const double x = r.head[c][size_t(m - 1)];
                storeFilteredValue<S, C>(q, roundEven(double(m) * x / double(o)) + readSample(q, S{}));
            }
        }
    }

    const BlockJob& job_;
    FftWorkArea& area_;
    const OperationContext& ctx_;
    std::vector<Run> runs_;
    int64_t total_ = 0;
    int64_t reported_ = 0;
    // Shared with the workers: under mutex_, except stop_.
    std::mutex mutex_;
    std::condition_variable cv_;
    int64_t done_ = 0;
    int64_t finished_ = 0;
    std::atomic<bool> stop_{false};
};

} // namespace

void setSpectralThreads(int threads) { gThreads = std::max(0, threads); }

void runBlockJob(const BlockJob& job, const SampleFormat& format, FftWorkArea& area, const OperationContext& ctx) {
    if (job.plan.blocks <= 0) return;
    dispatchLayout(format, [&](auto sample, auto channels) {
        Runner<decltype(sample), decltype(channels)::value>(job, area, ctx).run();
    });
}

} // namespace sv

// Ratios measured in one run: each iteration times the job and, right after
// it, the reference it is measured against (one memcpy pass over the same
// bytes, or sox doing the same job on the same file), so that a machine
// busy with other work slows both alike. The counters are the median ratio
// over the iterations and the median seconds of each side.
#pragma once
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <string>
#include <vector>

namespace bench {

inline double median(std::vector<double> v) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    const size_t m = v.size() / 2;
    return v.size() % 2 ? v[m] : (v[m - 1] + v[m]) / 2;
}

template <typename Fn>
double secondsOf(Fn&& fn) {
    const auto t0 = std::chrono::steady_clock::now();
    fn();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

// prepare() runs untimed before each side (a fresh copy of the sound).
template <typename Prepare, typename Job, typename Reference>
void ratioLoop(benchmark::State& state, Prepare&& prepare, Job&& job, Reference&& reference) {
    std::vector<double> ours, ref, ratio;
    for (auto _ : state) {
        prepare();
        const double a = secondsOf(job);
        prepare();
        const double b = secondsOf(reference);
        ours.push_back(a);
        ref.push_back(b);
        ratio.push_back(b > 0 ? a / b : 0);
        state.SetIterationTime(a);
    }
    state.counters["ratio"] = median(ratio);
    state.counters["ours_s"] = median(ours);
    state.counters["reference_s"] = median(ref);
}

inline bool haveSox() { return std::system("command -v sox >/dev/null 2>&1") == 0; }

inline void runSox(benchmark::State& state, const std::string& args) {
    const std::string cmd = "sox " + args + " >/dev/null 2>&1";
    if (std::system(cmd.c_str()) != 0) state.SkipWithError("sox failed");
}

} // namespace bench

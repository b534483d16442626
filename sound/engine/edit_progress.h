// Progress for edits that move memory in bulk: the window expects step j of
// n exactly when j divides n, so the work is cut at those divisors instead
// of testing every frame. At most a few thousand calls for any sound.
#pragma once
#include <algorithm>
#include <iterator>
#include <cstdint>
#include <limits>
#include <vector>

#include "sound/engine/operation.h"

namespace sv {

// The steps of a loop over `total` at which the progress rule reports: the
// divisors of total and, for a long loop, every 128th part of it, ascending.
inline std::vector<int64_t> progressSteps(int64_t total) {
    std::vector<int64_t> small, large;
    for (int64_t d = 1; d * d <= total; ++d) {
        if (total % d) continue;
        small.push_back(d);
        if (d != total / d) large.push_back(total / d);
    }
    small.insert(small.end(), large.rbegin(), large.rend());
    if (total >= kSteadyProgressFrom) {
        const int64_t part = total / kSteadyProgressParts;
        std::vector<int64_t> steady;
        for (int64_t j = part; j <= total; j += part) steady.push_back(j);
        std::vector<int64_t> all;
        std::merge(small.begin(), small.end(), steady.begin(), steady.end(), std::back_inserter(all));
        all.erase(std::unique(all.begin(), all.end()), all.end());
        return all;
    }
    return small;
}

class ProgressWalk {
public:
    ProgressWalk(const OperationContext& ctx, int64_t n) : ctx_(ctx), n_(n) {
        if (ctx.progress && n > 0) stops_ = progressSteps(n);
    }

    // The next step to be reported; past the end when there is none.
    int64_t nextStop() const {
        return next_ < stops_.size() ? stops_[next_] : std::numeric_limits<int64_t>::max();
    }
    // Reports every step up to and including j not reported yet.
    void advanceTo(int64_t j) {
        while (next_ < stops_.size() && stops_[next_] <= j) ctx_.progress(stops_[next_++], n_);
    }

private:
    const OperationContext& ctx_;
    int64_t n_;
    std::vector<int64_t> stops_;
    size_t next_ = 0;
};

} // namespace sv

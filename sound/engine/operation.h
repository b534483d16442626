// What a sample-changing operation needs from the window that runs it,
// passed in so that the engine runs and is tested without a window:
// progress reports and the undo step taken before the samples change.
#pragma once
#include <cstdint>
#include <functional>
#include <string>

#include "platform/numbers.h"

namespace sv {

struct OperationContext {
    // Step j of n; called when j divides n (see progressDue), so the last
    // step always is.
    std::function<void(int64_t j, int64_t n)> progress;
    // Writes an undo step named with the operation's menu words before the
    // samples change: the selection (or, with whole, the whole sound) as it
    // is now. Returns false when the step could not be written.
    std::function<bool(const std::string& words, int64_t length, bool whole)> saveUndo;
    // For operations that change the length: completes the step with the new
    // length once the samples have changed.
    std::function<void(int64_t newLength)> completeUndo;

    void report(int64_t j, int64_t n) const {
        if (progress && progressDue(j, n)) progress(j, n);
    }
    bool undo(const std::string& words, int64_t length, bool whole = false) const {
        return saveUndo ? saveUndo(words, length, whole) : true;
    }
    void complete(int64_t newLength) const {
        if (completeUndo) completeUndo(newLength);
    }
};

} // namespace sv

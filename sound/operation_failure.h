// How a sound window runs one engine call: under the busy state, with every
// error the engine, the files or the memory can raise caught and kept, so
// that its message box comes up only once the busy state is over (a box
// under the hourglass looks hung) and no exception reaches the event loop.
#pragma once
#include <exception>
#include <new>
#include <string>

#include "platform/activity.h"
#include "platform/prompts.h"

namespace sv {

struct OperationFailure {
    bool failed = false;
    std::string text;
};

inline const char* const kNotEnoughMemory = "Not enough memory for this operation.";

template <typename Fn>
OperationFailure attemptOperation(Fn&& fn) {
    OperationFailure f;
    try {
        BusyGuard busy;
        fn();
    } catch (const std::bad_alloc&) {
        f = {true, kNotEnoughMemory};
    } catch (const std::exception& e) {
        f = {true, e.what()};
    }
    return f;
}

// The standard error box with the failure's text.
inline void reportFailure(const OperationFailure& f) {
    prompts().messageBox(applicationTitle(), f.text, Buttons::Ok, Icon::Error);
}

} // namespace sv

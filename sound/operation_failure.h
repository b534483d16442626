// How a sound window runs one engine call: under the busy state, with every
// error the engine, the files or the memory can raise caught and kept, so
// that its message box comes up only once the busy state is over (a box
// under the hourglass looks hung) and no exception reaches the event loop.
#pragma once
#include <exception>
#include <functional>
#include <new>
#include <string>

#include "platform/activity.h"
#include "platform/prompts.h"

class TSoundfrm;

namespace sv {

struct OperationContext;

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

// What a sound window says when a save could not create its file (`err`,
// the writer's errno): the sound too long for the file (EFBIG); the
// system's reason where something already stood under the name of the
// temporary the save writes first (EEXIST: that is no fault of the name
// the user chose); otherwise the name or its folder refused, and the user
// is asked to try another name.
void reportSaveRefused(const std::string& path, int err);

// Runs a save whose writer returns the errno of a file it could not create
// (0 when it wrote the file), and reports a failure once the busy state is
// over. True when the whole file was written.
template <typename Fn>
bool runSave(const std::string& path, Fn&& write) {
    int err = 0;
    const OperationFailure f = attemptOperation([&] { err = write(); });
    if (f.failed) {
        reportFailure(f);
        return false;
    }
    if (err) {
        reportSaveRefused(path, err);
        return false;
    }
    return true;
}

// What a sound window says when it could not open a file: what is wrong
// with it (a folder, a pipe, no permission), or the plain "Error opening
// file" when the file seems readable again by the time it is asked.
std::string openFailureText(const std::string& path);

// What of a window's display an effect can change.
enum class EffectShow {
    Selection,          // in place on the selection: only its frames get a new summary
    SelectionRedrawn,   // as Selection, and drawn again even when nothing changed
                        // (the effect's dialog drew over the sound)
    Sound,              // the length or any frame: the whole summary is rebuilt
};

// Runs one effect over a window's sound and turns its outcome into the
// window's state. An effect that fails after its undo step was written, or
// after the length changed, may have changed samples already: the window
// then shows the sound as it is and counts it as modified, so that nothing
// changes unseen and the step can take it back. True when the effect
// changed the sound and did not fail.
bool runEffect(TSoundfrm* w, EffectShow show, const std::function<bool(const OperationContext&)>& op);

} // namespace sv

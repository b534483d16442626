// The program's activity state: idle, playing or busy. Enabling rules read
// it; the Qt side shows it as the screen cursor (the play cursor while
// playing, the hourglass while busy). Code reads the state, never the cursor.
#pragma once
#include <functional>

namespace sv {

enum class Activity { Idle, Playing, Busy };

Activity activity();
void setActivity(Activity a);
// Called on every change (the Qt layer sets the cursor from it).
void setActivityListener(std::function<void(Activity)> listener);

// Sets busy for a scope and restores the previous state, also when an
// exception leaves the operation.
class BusyGuard {
public:
    BusyGuard() : previous_(activity()) { setActivity(Activity::Busy); }
    ~BusyGuard() { setActivity(previous_ == Activity::Busy ? Activity::Idle : previous_); }
    BusyGuard(const BusyGuard&) = delete;
    BusyGuard& operator=(const BusyGuard&) = delete;
private:
    Activity previous_;
};

} // namespace sv

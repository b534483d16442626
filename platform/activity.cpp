#include "platform/activity.h"

namespace sv {

static Activity g_activity = Activity::Idle;
static std::function<void(Activity)> g_listener;

Activity activity() { return g_activity; }

void setActivity(Activity a) {
    g_activity = a;
    if (g_listener) g_listener(a);
}

void setActivityListener(std::function<void(Activity)> listener) { g_listener = std::move(listener); }

} // namespace sv

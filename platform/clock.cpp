#include "platform/clock.h"

#include <atomic>
#include <chrono>

namespace sv {

static std::atomic<bool> g_manual{false};
static std::atomic<uint32_t> g_manualNow{0};

uint32_t tickCount() {
    if (g_manual) return g_manualNow;
    static const auto start = std::chrono::steady_clock::now();
    auto d = std::chrono::steady_clock::now() - start;
    return static_cast<uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(d).count());
}

void setManualClock(bool manual) {
    if (manual && !g_manual) g_manualNow = tickCount();
    g_manual = manual;
}

void advanceClock(uint32_t ms) { g_manualNow += ms; }

} // namespace sv

#include "platform/random.h"

#include <chrono>

namespace sv {

uint32_t RandSeed = 0;

static inline uint32_t nextSeed() {
    RandSeed = RandSeed * 134775813u + 1u;
    return RandSeed;
}

void Randomize() {
    RandSeed = static_cast<uint32_t>(
        std::chrono::steady_clock::now().time_since_epoch().count());
}

double Random() { return nextSeed() * (1.0 / 4294967296.0); }

int32_t Random(int32_t n) {
    if (n <= 0) return 0;
    uint64_t r = static_cast<uint64_t>(nextSeed()) * static_cast<uint32_t>(n);
    return static_cast<int32_t>(r >> 32);
}

} // namespace sv

// Stored filters (".svf") as the advanced filter dialog loads them.
#include "fuzz/support/fuzz_support.h"
#include "sound/engine/stored_filter.h"

using namespace sv;

void sv::fuzz::writeSeeds(const std::string& folder) {
    writeStoredFilter(folder + "a.svf", {300, 3000, 0, 0, 0, 50, 0});
    writeStoredFilter(folder + "b.svf", {0, 22050, 3, 3, 5, 100, 4});
    writeStoredFilter(folder + "c.svf", {-5, 1 << 30, 1, 2, 3, 0, 2});
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string path = fuzz::inputFile(data, size, "input.svf");
    try {
        StoredFilterRecord r;
        if (readStoredFilter(path, r) == 0 && !storedFilterIndexesValid(r)) __builtin_trap();   // refused, never handed out
    } catch (const std::exception&) {
    }
    return 0;
}

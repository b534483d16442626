// Selection files (".svs") as File > Load Selection reads them, with the
// stored selection fitted to sounds of a few lengths.
#include "fuzz/support/fuzz_support.h"
#include "mainwindow/selection_file.h"

using namespace sv;

void sv::fuzz::writeSeeds(const std::string& folder) {
    writeSelectionFile(folder + "a.svs", {0, 100, 1});
    writeSelectionFile(folder + "b.svs", {5000, 220500, 64});
    writeSelectionFile(folder + "c.svs", {-1, -1, 0});
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string path = fuzz::inputFile(data, size, "input.svs");
    try {
        const SelectionRecord r = readSelectionFile(path);
        for (int64_t length : {int64_t(0), int64_t(1), int64_t(44100), int64_t(INT32_MAX) + 10}) {
            int64_t start = r.start, len = r.length;
            clampStoredSelection(length, start, len);
            if (start < 0 || len < 0 || start + len > length) __builtin_trap();
        }
    } catch (const std::exception&) {
    }
    return 0;
}

// Reading a whole five-minute track of a disc image into the CD player's
// read-ahead blocks, through the same paranoia reader a real drive uses.
// The figure that matters is how many times faster than real time the
// track is read (counter "x_real_time"; goal: at least 20), so that the
// reader keeps playback gap-free on one core with room to spare.
#include <benchmark/benchmark.h>

#include <sys/stat.h>

#include "platform/cd/cd_read_ahead.h"
#include "platform/cd/cdio_drive.h"
#include "tests/support/cd_image.h"

namespace {

constexpr int32_t kTrackSectors = 5 * 60 * 75;

const sv::test::CdImage& benchImage() {
    static const sv::test::CdImage image = [] {
        const std::string folder = "/tmp/sonvela-bench-cd/";
        ::mkdir(folder.c_str(), 0700);
        return sv::test::writeCdImage(folder, "disc", {75, kTrackSectors, 75});
    }();
    return image;
}

void BM_ReadTrackIntoPlayerBlocks(benchmark::State& state) {
    const sv::test::CdImage& image = benchImage();
    sv::CdioDrive drive(image.cue);
    sv::CdReadAhead ahead;
    const int32_t from = image.trackStarts[1];
    int64_t sectors = 0;
    for (auto _ : state) {
        ahead.start([&] { return drive.openReader(); }, from, from + kTrackSectors);
        while (sv::CdAudioBlock* b = ahead.waitTake()) {
            benchmark::DoNotOptimize(b->bytes.data());
            sectors += b->sectors;
            ahead.release();
        }
        if (ahead.failed()) state.SkipWithError("the image could not be read");
    }
    state.counters["x_real_time"] =
        benchmark::Counter(double(sectors) / sv::kCdFramesPerSecond, benchmark::Counter::kIsRate);
    state.SetBytesProcessed(sectors * sv::kCdSectorBytes);
}
BENCHMARK(BM_ReadTrackIntoPlayerBlocks)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

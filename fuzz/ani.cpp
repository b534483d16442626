// Animated cursor files as the icon and cursor components read them: the
// RIFF chunks, every icon frame through Qt's icon reader, and the strip of
// all frames with colour reduction. The program writes no animated cursors
// (saving one is not offered), so the seeds come from the tests' builder.
#include "components/AniFile.h"
#include "fuzz/support/fuzz_support.h"
#include "tests/components/ani_builder.h"

void sv::fuzz::writeSeeds(const std::string& folder) {
    using namespace anitest;
    AniSpec plain = threeColours();
    seedFile(folder, "plain.ani", aniFile(plain));
    AniSpec timed = threeColours();
    timed.rates = {5, 10, 20, 40};
    timed.seq = {0, 1, 2, 1};
    timed.steps = 4;
    timed.title = "Seed";
    timed.author = "Sonvela";
    seedFile(folder, "timed.ani", aniFile(timed));
    AniSpec cursors;
    cursors.iconType = 2;
    cursors.icons = {iconFile(10, 20, 30, 2, 1, 2), iconFile(200, 100, 50, 2, 3, 0)};
    seedFile(folder, "cursors.ani", aniFile(cursors));
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    sv::fuzz::guiApplication();
    try {
        TAnimatedCursorImage image;
        image.ReadAni(data, size);
        for (int i = 0; i < image.Count(); ++i) (void)image.Frames(i);
        sv::Dib strip;
        image.MakeStrip(strip, sv::rgbColor(255, 255, 255), false, true);
    } catch (const std::exception&) {
    }
    return 0;
}

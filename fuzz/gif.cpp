// GIF pictures as the main window's picture panel loads and animates them:
// every frame decoded and composed onto the screen by its disposal.
#include "components/RxGIF.h"
#include "components/gif_compose.h"
#include "fuzz/support/fuzz_support.h"

void sv::fuzz::writeSeeds(const std::string& folder) {
    int n = 0;
    for (int bits : {1, 4, 8}) {
        TGIFImage image;
        for (int f = 0; f < 2; ++f) {
            sv::Dib d = sv::Dib::make(12 + f, 9, bits);
            for (size_t i = 0; i < d.palette.size(); ++i) d.palette[i] = sv::TColor(i * 0x010305u);
            for (size_t i = 0; i < d.pixels.size(); ++i) d.pixels[i] = uint8_t(i * 7 + f);
            image.AddFrame(d);
        }
        seedFile(folder, "seed" + std::to_string(n++) + ".gif", image.WriteGIF(false));
    }
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    try {
        TGIFImage image;
        image.ReadGIF(data, size, true);
        sv::FrameComposer composer;
        sv::TColor transparent = 0;
        for (int i = 0; i < image.Count(); ++i) {
            (void)image.Frames(i).Bitmap();
            (void)composer.compose(image, i, transparent, 0xFFFFFF);
        }
    } catch (const std::exception&) {
    }
    return 0;
}

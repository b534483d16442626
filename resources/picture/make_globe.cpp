// Draws the main window's default picture, a turning globe, and writes it
// with the program's own GIF encoder. Run once by hand from the source
// folder; the output is embedded through resources/picture.qrc:
//   g++ -std=c++17 -I. resources/picture/make_globe.cpp components/RxGIF.cpp \
//       components/gif_lzw.cpp components/RxGraph.cpp platform/files.cpp -o /tmp/mkglobe
//   /tmp/mkglobe resources/picture/sv_globe.gif
#include <cmath>
#include <cstdio>

#include "components/RxGIF.h"

using namespace sv;

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s output.gif\n", argv[0]);
        return 2;
    }
    const int W = 48, H = 46, kFrames = 12;
    const double cx = 23.5, cy = 22.5, R = 20.5, pi = 3.14159265358979;
    // 0 is the transparent key; then the outline, four sea and four land
    // shades from dark to light, and a highlight.
    const TColor palette[16] = {rgbColor(255, 0, 255),   rgbColor(20, 30, 60),    rgbColor(10, 40, 110),
                                rgbColor(20, 70, 160),   rgbColor(40, 110, 200),  rgbColor(90, 160, 230),
                                rgbColor(20, 80, 30),    rgbColor(40, 120, 40),   rgbColor(80, 160, 60),
                                rgbColor(140, 200, 100), rgbColor(240, 250, 255), rgbColor(0, 0, 0),
                                rgbColor(0, 0, 0),       rgbColor(0, 0, 0),       rgbColor(0, 0, 0),
                                rgbColor(0, 0, 0)};
    TGIFImage img;
    for (int f = 0; f < kFrames; ++f) {
        Dib d = Dib::make(W, H, 4);
        d.palette.assign(palette, palette + 16);
        const double turn = 2 * pi * f / kFrames;
        for (int y = 0; y < H; ++y)
            for (int x = 0; x < W; ++x) {
                const double dx = (x - cx) / R, dy = (y - cy) / R, r2 = dx * dx + dy * dy;
                if (r2 > 1.0) continue;
                if (r2 > 0.9) {
                    d.setIndex(x, y, 1);
                    continue;
                }
                const double lat = std::asin(dy), dz = std::sqrt(1 - r2);
                const double lon = std::atan2(dx, dz) + turn;
                const double land = std::sin(3 * lon) * std::cos(2 * lat) + 0.6 * std::sin(5 * lon + 1) * std::sin(3 * lat);
                // Light from the upper left.
                const double light = std::max(0.0, 0.55 * dz - 0.35 * dx - 0.4 * dy + 0.2);
                const int shade = std::min(3, int(light * 4));
                unsigned v = land > 0.35 ? 6 + unsigned(shade) : 2 + unsigned(shade);
                if (light > 1.05) v = 10;
                d.setIndex(x, y, v);
            }
        const int i = img.AddFrame(d);
        img.Frames(i).AnimateInterval = 120;
        img.Frames(i).DisposalMethod = 2;
        img.Frames(i).TransparentColor = palette[0];
    }
    img.Looping = true;
    img.RepeatCount = 0;
    img.SaveToFile(argv[1]);
    return 0;
}

// Draws the installer's two view-mode pictures and writes them as JPEG files.
// Run once by hand; the output is embedded in installer/view_pictures.cpp:
//   g++ make_view_pictures.cpp -ljpeg -o /tmp/mkpic && /tmp/mkpic
//   xxd -i access_bar.jpg; xxd -i toolbars.jpg
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include <jpeglib.h>

namespace {

const int W = 120, H = 80;

struct Picture {
    std::vector<unsigned char> rgb = std::vector<unsigned char>(W * H * 3, 0);
    void fill(int x0, int y0, int x1, int y1, unsigned r, unsigned g, unsigned b) {
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x) {
                unsigned char* p = &rgb[(y * W + x) * 3];
                p[0] = static_cast<unsigned char>(r);
                p[1] = static_cast<unsigned char>(g);
                p[2] = static_cast<unsigned char>(b);
            }
    }
    // A small waveform across the sound area.
    void wave(int x0, int y0, int x1, int y1) {
        fill(x0, y0, x1, y1, 0, 0, 0);
        int mid = (y0 + y1) / 2, amp = (y1 - y0) / 2 - 2;
        for (int x = x0; x < x1; ++x) {
            double t = (x - x0) / 6.0;
            int h = static_cast<int>(amp * std::fabs(std::sin(t) * std::sin(t / 7.0)));
            fill(x, mid - h, x + 1, mid + h + 1, 0, 220, 0);
        }
    }
    void buttons(int x0, int y, int count, bool vertical) {
        for (int i = 0; i < count; ++i) {
            int x = vertical ? x0 : x0 + i * 9;
            int yy = vertical ? y + i * 9 : y;
            fill(x, yy, x + 7, yy + 7, 40 + 25 * (i % 5), 80, 200 - 20 * (i % 4));
        }
    }
};

void frame(Picture& p) {
    p.fill(0, 0, W, H, 192, 192, 192);      // window face
    p.fill(0, 0, W, 8, 0, 0, 128);          // title bar
    p.fill(2, 10, 30, 14, 160, 160, 160);   // menu bar words
}

bool save(const Picture& p, const char* name) {
    std::FILE* f = std::fopen(name, "wb");
    if (!f) return false;
    jpeg_compress_struct c;
    jpeg_error_mgr e;
    c.err = jpeg_std_error(&e);
    jpeg_create_compress(&c);
    jpeg_stdio_dest(&c, f);
    c.image_width = W;
    c.image_height = H;
    c.input_components = 3;
    c.in_color_space = JCS_RGB;
    jpeg_set_defaults(&c);
    jpeg_set_quality(&c, 60, TRUE);
    jpeg_start_compress(&c, TRUE);
    while (c.next_scanline < c.image_height) {
        JSAMPROW row = const_cast<unsigned char*>(&p.rgb[c.next_scanline * W * 3]);
        jpeg_write_scanlines(&c, &row, 1);
    }
    jpeg_finish_compress(&c);
    jpeg_destroy_compress(&c);
    std::fclose(f);
    return true;
}

} // namespace

int main() {
    Picture access;                 // one bar at the left chooses the tool bar shown
    frame(access);
    access.fill(2, 16, 14, H - 2, 170, 170, 200);
    access.buttons(4, 18, 6, true);
    access.buttons(17, 17, 8, false);
    access.wave(17, 27, W - 3, H - 3);

    Picture bars;                   // several tool bars shown at once
    frame(bars);
    bars.buttons(3, 17, 12, false);
    bars.buttons(3, 26, 7, false);
    bars.buttons(70, 26, 5, false);
    bars.buttons(3, 35, 10, false);
    bars.wave(3, 45, W - 3, H - 3);

    return save(access, "access_bar.jpg") && save(bars, "toolbars.jpg") ? 0 : 1;
}

// Draws the installer's pictures: the two view-mode pictures as JPEG files
// and the picture across the top of its window as a bitmap. Run by the
// build, whose resource file carries them into setup:
//   make_view_pictures <output folder>
#include <QColor>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
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

// The top of the installer window, 389 x 175: the program's name over a
// waveform.
bool saveTopPicture(const std::string& name) {
    QImage pm(389, 175, QImage::Format_RGB32);
    QPainter p(&pm);
    QLinearGradient g(0, 0, 0, 175);
    g.setColorAt(0, QColor(0, 0, 96));
    g.setColorAt(1, QColor(0, 0, 16));
    p.fillRect(pm.rect(), g);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath wave;
    for (int x = 0; x <= 389; ++x) {
        double t = x / 12.0;
        double y = 120 + 30 * std::sin(t) * std::sin(x / 97.0);
        if (x == 0) wave.moveTo(x, y);
        else wave.lineTo(x, y);
    }
    p.setPen(QPen(QColor(0, 220, 0), 2));
    p.drawPath(wave);
    p.setPen(Qt::white);
    QFont f("DejaVu Sans");
    f.setPixelSize(36);
    f.setBold(true);
    p.setFont(f);
    p.drawText(QRect(0, 20, 389, 50), Qt::AlignCenter, "Sonvela");
    f.setPixelSize(16);
    f.setBold(false);
    p.setFont(f);
    p.drawText(QRect(0, 68, 389, 24), Qt::AlignCenter, "Setup");
    p.end();
    return pm.save(QString::fromStdString(name), "BMP");
}

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s output-folder\n", argv[0]);
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const std::string out = std::string(argv[1]) + "/";
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

    return save(access, (out + "access_bar.jpg").c_str()) && save(bars, (out + "toolbars.jpg").c_str()) &&
                   saveTopPicture(out + "top.bmp")
               ? 0
               : 1;
}

#include "components/VCLUtils.h"

namespace sv {

QImage dibToImage(const Dib& bmp, TColor transparent) {
    QImage img(bmp.width, bmp.height, QImage::Format_ARGB32);
    for (int y = 0; y < bmp.height; ++y) {
        auto* line = reinterpret_cast<QRgb*>(img.scanLine(y));
        for (int x = 0; x < bmp.width; ++x) {
            const TColor c = bmp.color(x, y);
            line[x] = (transparent != clNone && c == transparent) ? qRgba(0, 0, 0, 0)
                                                                   : qRgb(redOf(c), greenOf(c), blueOf(c));
        }
    }
    return img;
}

void DrawBitmapRectTransparent(QPainter& p, QRect dest, QRect src, const Dib& bmp, TColor transparent) {
    if (bmp.empty()) return;
    if (dest.width() < 1) dest.setWidth(bmp.width);
    if (dest.height() < 1) dest.setHeight(bmp.height);
    if (src.width() < 1 || src.height() < 1) src = QRect(0, 0, bmp.width, bmp.height);
    const bool monochrome = bmp.bits == 1 && bmp.palette.size() == 2 && bmp.palette[0] == 0 &&
                            bmp.palette[1] == rgbColor(255, 255, 255);
    TColor key = transparent;
    if (key == clDefault) key = bmp.color(0, bmp.height - 1);
    if (monochrome && key != clNone) key = rgbColor(255, 255, 255);
    p.drawImage(dest, dibToImage(bmp, key), src);
}

} // namespace sv

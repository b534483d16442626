// Drawing of the component bitmaps on a Qt painter.
#pragma once
#include <QColor>
#include <QImage>
#include <QPainter>
#include <QRect>

#include "components/dib.h"

namespace sv {

// The bitmap as a Qt image; pixels of `transparent` (unless clNone) get no
// opacity, so what lies under them shows through.
QImage dibToImage(const Dib& bmp, TColor transparent = clNone);

// Draws the source rectangle of the bitmap stretched into `dest`, leaving
// the transparent colour out. clNone draws every pixel; clDefault takes the
// colour of the bottom-left pixel; a two-colour black-and-white bitmap always
// leaves out white. An empty destination takes the bitmap's size, an empty
// source the whole bitmap.
void DrawBitmapRectTransparent(QPainter& p, QRect dest, QRect src, const Dib& bmp, TColor transparent);

inline TColor toTColor(const QColor& c) { return rgbColor(uint8_t(c.red()), uint8_t(c.green()), uint8_t(c.blue())); }

} // namespace sv

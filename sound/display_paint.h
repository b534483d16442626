// Pixels and colours shared by the parts of a sound window's drawing.
#pragma once
#include <QImage>
#include <cstdint>

// The ruler panel's width while "View Grid" is checked.
constexpr int kRulerPanelWidth = 32;

// Colours are stored as 0x00BBGGRR.
inline QRgb bgrToRgb(uint32_t c) { return qRgb(int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF)); }

struct DisplayColours {
    QRgb background, wave, stereo, centre, grid, gridBack, gridFont;
};
// The main window's colours (its defaults when there is no main window).
DisplayColours displayColours();

// A vertical run of pixels [top, bottom] in column x, and a whole row;
// anything outside the image is left alone.
void paintColumn(QImage& img, int x, int top, int bottom, QRgb colour);
void paintRow(QImage& img, int y, QRgb colour);

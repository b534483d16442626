// Printing a sound window: its image on one page, at the size it has on
// screen (scaled by the ratio of printer to screen resolution) and shrunk
// to the printable area when it would not fit.
#pragma once
#include <QSizeF>

class QPrinter;
class TSoundfrm;

namespace sv {

// The printed size, in printer pixels, of an image of `image` screen pixels.
QSizeF printedSize(QSizeF image, double screenDpiX, double screenDpiY, double printerDpiX, double printerDpiY,
                   QSizeF page);

// Prints the window's image on the printer; false when the printer could
// not be started (the user has been told).
bool printSoundWindow(TSoundfrm& w, QPrinter& printer);

} // namespace sv

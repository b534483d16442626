// Drawing of the component bitmaps on a Qt painter.
#pragma once
#include <QColor>
#include <QImage>
#include <QPainter>
#include <QRect>

#include <exception>
#include <functional>

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

// How every bitmap is drawn: the plain draw, or the locked one once
// EnableLockedBitmapDraw has run.
using BitmapDrawProc = void (*)(QPainter& p, const QRect& dest, const QRect& src, const Dib& bmp, TColor key);
void PlainBitmapDraw(QPainter& p, const QRect& dest, const QRect& src, const Dib& bmp, TColor key);
extern BitmapDrawProc BitmapDraw;

// The same with the source given by position and size.
void DrawBitmapTransparent(QPainter& p, int dstX, int dstY, int dstW, int dstH, const Dib& bmp, int srcX, int srcY,
                           int srcW, int srcH, TColor transparent);

// A true-colour bitmap of the image (alpha dropped).
Dib imageToDib(const QImage& image);

// The silent abort: an operation the user has been told about ends here,
// and whoever catches it shows nothing more.
class EAbort : public std::exception {
public:
    const char* what() const noexcept override { return "Operation aborted"; }
};

// The application's handling of an exception that reached the edge of an
// event handler: a silent abort shows nothing; otherwise the exception hook
// is called when set, else the message is shown. From another thread the
// report is handed to the window thread, which shows it.
extern std::function<void(const std::exception&)> ApplicationOnException;
void HandleException(std::exception_ptr error);

// Default cursor, the information box "Function not yet implemented", then
// a silent abort.
[[noreturn]] void RaiseNotImplemented();

// Brings the window to the front; null when it is disabled. With `restore`
// also null when it is hidden; else a minimised window is restored (a
// maximised one stays so) and the window takes the focus.
QWidget* ActivateWindow(QWidget* window, bool restore);

inline TColor toTColor(const QColor& c) { return rgbColor(uint8_t(c.red()), uint8_t(c.green()), uint8_t(c.blue())); }

} // namespace sv

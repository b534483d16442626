#include "components/VCLUtils.h"

#include <QCoreApplication>
#include <QThread>
#include <QTimer>
#include <QWidget>

#include "platform/activity.h"
#include "platform/prompts.h"

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
    BitmapDraw(p, dest, src, bmp, key);
}

void PlainBitmapDraw(QPainter& p, const QRect& dest, const QRect& src, const Dib& bmp, TColor key) {
    p.drawImage(dest, dibToImage(bmp, key), src);
}

BitmapDrawProc BitmapDraw = PlainBitmapDraw;

void DrawBitmapTransparent(QPainter& p, int dstX, int dstY, int dstW, int dstH, const Dib& bmp, int srcX, int srcY,
                           int srcW, int srcH, TColor transparent) {
    if (srcW < 1 || srcH < 1) srcX = srcY = srcW = srcH = 0;
    DrawBitmapRectTransparent(p, QRect(dstX, dstY, dstW, dstH), QRect(srcX, srcY, srcW, srcH), bmp, transparent);
}

Dib imageToDib(const QImage& image) {
    const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    Dib d = Dib::make(rgb.width(), rgb.height(), 24);
    for (int y = 0; y < d.height; ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
        for (int x = 0; x < d.width; ++x)
            d.setColor(x, y, rgbColor(uint8_t(qRed(line[x])), uint8_t(qGreen(line[x])), uint8_t(qBlue(line[x]))));
    }
    return d;
}

std::function<void(const std::exception&)> ApplicationOnException;

void HandleException(std::exception_ptr error) {
    if (!error) return;
    QCoreApplication* app = QCoreApplication::instance();
    if (app && QThread::currentThread() != app->thread()) {
        QTimer::singleShot(0, app, [error] { HandleException(error); });
        return;
    }
    try {
        std::rethrow_exception(error);
    } catch (const EAbort&) {
    } catch (const std::exception& e) {
        if (ApplicationOnException) ApplicationOnException(e);
        else prompts().messageBox(applicationTitle(), e.what(), Buttons::Ok, Icon::Error);
    } catch (...) {
        prompts().messageBox(applicationTitle(), "Unknown error", Buttons::Ok, Icon::Error);
    }
}

void RaiseNotImplemented() {
    setActivity(Activity::Idle);
    prompts().messageBox(applicationTitle(), "Function not yet implemented", Buttons::Ok, Icon::Information);
    throw EAbort();
}

QWidget* ActivateWindow(QWidget* window, bool restore) {
    if (!window || !window->isEnabled()) return nullptr;
    QWidget* top = window->window();
    top->raise();
    top->activateWindow();
    if (restore) {
        if (!window->isVisible()) return nullptr;
        if (!(top->windowState() & Qt::WindowMaximized)) top->showNormal();
        window->setFocus(Qt::OtherFocusReason);
    }
    return window;
}

} // namespace sv

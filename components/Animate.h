// A picture control painted through the parent's surface: the base of the
// animated GIF control. Its lock guards the frame index, the composition
// cache and the display settings.
#pragma once
#include <QWidget>

#include <atomic>
#include <mutex>

#include "components/VCLUtils.h"

class QPainter;

class TRxImageControl : public QWidget {
    Q_OBJECT
public:
    explicit TRxImageControl(QWidget* parent = nullptr);

    void Lock() const { lock_.lock(); }
    void Unlock() const { lock_.unlock(); }
    // An image paint is under way.
    bool Drawing = false;

    // Adjusts the size, then repaints: at once while a paint is under way,
    // else when the event loop comes to it.
    void RefreshPicture();
    // Repaints at once on the window thread. From another thread the picture
    // is made ready there and the window thread shows it: no widget is
    // touched off that thread.
    void RepaintFromAnyThread();
    void setVisible(bool visible) override;

protected:
    // Paints the picture; the background is already filled.
    virtual void DrawImage(QPainter& p) = 0;
    // Transparent and empty pictures let the parent show through instead
    // of filling the control with its colour.
    virtual bool showsParent() const = 0;
    virtual void adjustAutoSize() {}
    // Prepares on the calling thread what the next paint shows.
    virtual void prepareFromThread() {}
    // Explicitly hidden; readable from any thread.
    bool hiddenForTicks() const { return hidden_; }
    void PaintBackgroundAndImage(QPainter& p);
    void paintEvent(QPaintEvent* e) override;
    bool destroying_ = false;

private:
    mutable std::recursive_mutex lock_;
    std::atomic<bool> hidden_{false};
};

namespace sv {
// Makes every bitmap draw lock the bitmap's canvas around the draw, so a
// picture can be drawn from a timer thread while the window thread paints.
// Runs once per process; returns the draw it replaced (null when it had
// already run).
BitmapDrawProc EnableLockedBitmapDraw();
// The bitmap's own draw inside its canvas lock (none for an empty bitmap).
void LockedBitmapDraw(QPainter& p, const QRect& dest, const QRect& src, const Dib& bmp, TColor key);
bool lockedBitmapDrawEnabled();
} // namespace sv

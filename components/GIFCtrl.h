// The animated GIF control: it owns a GIF picture and a timer, composes
// each step of the animation and advances one frame per tick.
#pragma once
#include <atomic>
#include <cstdint>
#include <functional>

#include "components/Animate.h"
#include "components/RxGIF.h"
#include "components/RxTimer.h"
#include "components/gif_compose.h"

class TRxGIFAnimator : public TRxImageControl {
    Q_OBJECT
public:
    explicit TRxGIFAnimator(QWidget* parent = nullptr);
    ~TRxGIFAnimator() override;

    // The picture, owned by the control. Loading into it directly fires
    // ImageChanged; setImage takes a copy of another picture.
    TGIFImage& Image() { return image_; }
    void setImage(const TGIFImage& value);

    bool Animate() const { return animate_; }
    void SetAnimate(bool value);
    int FrameIndex() const;
    void setFrameIndex(int value);
    bool AutoSize() const { return autoSize_; }
    void setAutoSize(bool value);
    bool Center() const { return center_; }
    void setCenter(bool value);
    bool Stretch() const { return stretch_; }
    void setStretch(bool value);
    bool Transparent() const { return transparent_; }
    void setTransparent(bool value);
    // After the last frame the animation starts again; off, it stops when
    // it wraps to frame 0.
    bool Loop = true;
    // Frames are advanced and made ready on the timer thread; only the frame
    // change, the stop and the showing run on the window thread. Switching it
    // on makes every bitmap draw lock the bitmap's canvas.
    bool AsyncDrawing() const { return asyncDrawing_; }
    void setAsyncDrawing(bool value);
    // True while a timer step paints.
    std::atomic<bool> RepaintingFromTimer{false};

    std::function<void()> OnChange, OnFrameChanged, OnStart, OnStop;

    // The current frame's delay in milliseconds, 50..10000; 0 for a
    // picture of fewer than two frames or an index out of range.
    uint32_t FrameDelay(int index);
    void AdvanceFrame();
    void StopAnimation();
    void ImageChanged();

    TRxTimer* Timer;
    const sv::FrameComposer& composer() const { return composer_; }
    // The rectangle the frame is drawn into.
    QRect targetRect() const;

protected:
    void DrawImage(QPainter& p) override;
    bool showsParent() const override;
    void adjustAutoSize() override;
    void prepareFromThread() override;

private:
    void NotifyChange() { if (OnChange) OnChange(); }
    void NotifyFrameChanged() { if (OnFrameChanged) OnFrameChanged(); }
    void NotifyStart() { if (OnStart) OnStart(); }
    void NotifyStop() { if (OnStop) OnStop(); }
    void displaySettingChanged(bool& field, bool value);

    TGIFImage image_;
    sv::FrameComposer composer_;
    bool animate_ = false;
    bool autoSize_ = true;
    bool center_ = false;
    bool stretch_ = false;
    bool transparent_ = true;
    std::atomic<bool> asyncDrawing_{false};
    // The window colour of the last paint, for frames made off the window thread.
    std::atomic<sv::TColor> windowColor_{0xFFFFFF};
    int frameIndex_ = 0;
};

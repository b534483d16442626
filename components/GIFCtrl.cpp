#include "components/GIFCtrl.h"

#include <QPainter>
#include <QThread>
#include <algorithm>

#include "components/VCLUtils.h"

namespace {

// A lock held for a scope, released on every path out.
struct ControlLock {
    const TRxImageControl& c;
    explicit ControlLock(const TRxImageControl& control) : c(control) { c.Lock(); }
    ~ControlLock() { c.Unlock(); }
};

} // namespace

TRxGIFAnimator::TRxGIFAnimator(QWidget* parent) : TRxImageControl(parent), Timer(new TRxTimer(this)) {
    image_.OnChange = [this] { ImageChanged(); };
    windowColor_ = sv::toTColor(palette().color(QPalette::Window));
}

TRxGIFAnimator::~TRxGIFAnimator() {
    destroying_ = true;
    OnChange = OnFrameChanged = OnStart = OnStop = nullptr;
    SetAnimate(false);
    // The timer's thread ends before the picture it steps through goes.
    delete Timer;
    Timer = nullptr;
    image_.OnChange = nullptr;
}

void TRxGIFAnimator::setAsyncDrawing(bool value) {
    if (value == asyncDrawing_) return;
    ControlLock lock(*this);
    if (value) sv::EnableLockedBitmapDraw();
    Timer->SyncEvent = !value;
    asyncDrawing_ = value;
}

void TRxGIFAnimator::prepareFromThread() {
    if (image_.Empty() || image_.ScreenWidth < 1 || image_.ScreenHeight < 1) return;
    sv::TColor transparentColor = sv::clNone;
    composer_.compose(image_, frameIndex_, transparentColor, windowColor_);
}

void TRxGIFAnimator::setImage(const TGIFImage& value) {
    ControlLock lock(*this);
    image_.Assign(value);
}

bool TRxGIFAnimator::showsParent() const { return image_.Empty() || image_.Transparent(); }

uint32_t TRxGIFAnimator::FrameDelay(int) {
    if (frameIndex_ < 0 || frameIndex_ >= image_.Count() || image_.Count() < 2) return 0;
    return std::clamp<uint32_t>(image_.Frames(frameIndex_).AnimateInterval, 50, 10000);
}

void TRxGIFAnimator::ImageChanged() {
    {
        ControlLock lock(*this);
        composer_.clear();
        frameIndex_ = image_.FrameIndex;
        if (frameIndex_ >= 0 && image_.Count() > 0) Timer->setInterval(FrameDelay(frameIndex_));
    }
    RefreshPicture();
    NotifyChange();
}

void TRxGIFAnimator::SetAnimate(bool value) {
    if (value == animate_) return;
    if (value) {
        Timer->setOnTimer([this] { AdvanceFrame(); });
        Timer->setEnabled(true);
        animate_ = Timer->Enabled();
        NotifyStart();
    } else {
        Timer->setEnabled(false);
        Timer->setOnTimer(nullptr);
        animate_ = false;
        NotifyStop();
        RefreshPicture();
    }
}

void TRxGIFAnimator::StopAnimation() { SetAnimate(false); }

void TRxGIFAnimator::AdvanceFrame() {
    if (hiddenForTicks() || !parentWidget()) return;
    const bool async = asyncDrawing_;
    bool stop = false;
    {
        ControlLock lock(*this);
        if (image_.Count() < 2) return;
        frameIndex_ = frameIndex_ < image_.Count() - 1 ? frameIndex_ + 1 : 0;
        RepaintingFromTimer = true;
        auto finish = [this] {
            RepaintingFromTimer = false;
            if (frameIndex_ >= 0 && frameIndex_ < image_.Count()) Timer->setInterval(FrameDelay(frameIndex_));
        };
        try {
            if (!async) NotifyFrameChanged();
            RepaintFromAnyThread();
        } catch (...) {
            finish();
            throw;
        }
        finish();
        stop = !Loop && frameIndex_ == 0;
        if (stop && !async) StopAnimation();
    }
    // Off the window thread the frame change and the stop are handed over
    // once the lock is free: the window thread may be waiting for it, and
    // must never wait while this thread waits for the window thread.
    if (async) {
        if (OnFrameChanged) Timer->RunOnMainThread([this] { NotifyFrameChanged(); });
        if (stop) Timer->RunOnMainThread([this] { StopAnimation(); });
    }
}

int TRxGIFAnimator::FrameIndex() const {
    ControlLock lock(*this);
    return frameIndex_;
}

void TRxGIFAnimator::setFrameIndex(int value) {
    {
        // The timer thread advances the index under the lock.
        ControlLock lock(*this);
        if (value == frameIndex_ || value < 0 || value >= image_.Count()) return;
        frameIndex_ = value;
        Timer->setInterval(FrameDelay(frameIndex_));
    }
    NotifyFrameChanged();
    RefreshPicture();
}

void TRxGIFAnimator::displaySettingChanged(bool& field, bool value) {
    if (field == value) return;
    {
        ControlLock lock(*this);
        field = value;
    }
    RefreshPicture();
    if (animate_) repaint();
}

void TRxGIFAnimator::setCenter(bool value) { displaySettingChanged(center_, value); }
void TRxGIFAnimator::setStretch(bool value) { displaySettingChanged(stretch_, value); }
void TRxGIFAnimator::setTransparent(bool value) { displaySettingChanged(transparent_, value); }

void TRxGIFAnimator::setAutoSize(bool value) {
    autoSize_ = value;
    adjustAutoSize();
}

void TRxGIFAnimator::adjustAutoSize() {
    if (!autoSize_ || image_.Empty()) return;
    setGeometry(x(), y(), image_.ScreenWidth, image_.ScreenHeight);
}

QRect TRxGIFAnimator::targetRect() const {
    const int w = image_.ScreenWidth, h = image_.ScreenHeight;
    if (stretch_) return rect();
    // Integer division truncates toward zero, as the centring asks.
    if (center_) return QRect((width() - w) / 2, (height() - h) / 2, w, h);
    return QRect(0, 0, w, h);
}

void TRxGIFAnimator::DrawImage(QPainter& p) {
    if (image_.Empty() || image_.ScreenWidth < 1 || image_.ScreenHeight < 1) return;
    sv::TColor transparentColor = sv::clNone;
    windowColor_ = sv::toTColor(palette().color(QPalette::Window));
    const sv::Dib& bmp = composer_.compose(image_, frameIndex_, transparentColor, windowColor_);
    const sv::TColor key = (transparentColor != sv::clNone && transparent_) ? transparentColor : sv::clNone;
    sv::DrawBitmapRectTransparent(p, targetRect(), QRect(), bmp, key);
}

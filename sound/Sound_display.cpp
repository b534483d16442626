// Drawing the waveform of a sound window.
#include <QPainter>

#include <algorithm>

#include "mainwindow/SonvelaMain.h"
#include "platform/activity.h"
#include "sound/Sound.h"
#include "sound/WaveCanvas.h"

using namespace sv;

namespace {
QColor bgr(uint32_t c) { return QColor(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF); }

// Minimum and maximum of one channel over `count` frames, relative to
// silence. One pass per column keeps redraws of long sounds cheap: only the
// visible frames are read.
template <typename S, int N>
void columnRange(const uint8_t* p, int64_t count, int ch, int& lo, int& hi) {
    constexpr int step = N * int(sizeof(S));
    p += ch * int(sizeof(S));
    int mn = INT32_MAX, mx = INT32_MIN;
    for (int64_t i = 0; i < count; ++i, p += step) {
        int v = readSample(p, S{});
        mn = std::min(mn, v);
        mx = std::max(mx, v);
    }
    lo = mn;
    hi = mx;
}
} // namespace

WaveCanvas::WaveCanvas(TSoundfrm* owner) : QWidget(owner), owner_(owner) {
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void WaveCanvas::paintEvent(QPaintEvent*) {
    QPainter p(this);
    if (owner_->WaveBitmap.isNull()) {
        p.fillRect(rect(), palette().window());
        return;
    }
    p.drawImage(0, 0, owner_->WaveBitmap);
    const int64_t zoom = std::max<int64_t>(1, owner_->Zoom);
    const int64_t first = owner_->ScrollBar1->value();
    const int64_t x0 = (owner_->SelectionStart - first) / zoom;
    const int64_t x1 = (owner_->SelectionStart + owner_->SelectionLength - first) / zoom;
    if (owner_->SelectionLength > 0 && x1 >= 0 && x0 < width()) {
        // The selection inverts what lies under it.
        p.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
        int a = int(std::max<int64_t>(0, x0)), b = int(std::min<int64_t>(width(), std::max(x1, x0 + 1)));
        p.fillRect(a, 0, b - a, height(), QColor(128, 128, 128));
        p.setCompositionMode(QPainter::CompositionMode_SourceOver);
    }
    if (x0 >= 0 && x0 < width()) {
        p.setPen(Qt::black);
        p.drawLine(int(x0), 0, int(x0), height());
    }
}

void TSoundfrm::mostrar_sonido(int64_t zoom) {
    if (NoRedraw) return;
    if (activity() == Activity::Busy) {
        // An operation that left the bar up ends here.
        ProgressBar1->hide();
    }
    if (zoom < 1) zoom = 1;
    Zoom = zoom;
    const int w = waveWidth();
    const int h = std::max(1, WaveView->height());
    const int64_t frames = FrameCount();
    const int64_t visible = int64_t(w) * Zoom;
    const int64_t maxFirst = std::max<int64_t>(0, frames - visible);
    inScrollSync_ = true;
    // The scroll bar counts frames; very long sounds at zoom 1 exceed int.
    ScrollBar1->setRange(0, int(std::min<int64_t>(maxFirst, INT32_MAX)));
    ScrollBar1->setPageStep(int(std::min<int64_t>(visible, INT32_MAX)));
    ScrollBar1->setSingleStep(int(std::max<int64_t>(1, Zoom * 10)));
    inScrollSync_ = false;
    const int64_t first = ScrollBar1->value();

    uint32_t back = 0xC0C0C0, wave = 0x800000, centre = 0x0000FF, stereo = 0x00FF00;
    if (SVMainfrm) {
        back = SVMainfrm->BackgroundColor;
        wave = SVMainfrm->WaveformColor;
        centre = SVMainfrm->CentralLineColor;
        stereo = SVMainfrm->StereoColor;
    }
    if (WaveBitmap.size() != QSize(w, h)) WaveBitmap = QImage(w, h, QImage::Format_RGB32);
    WaveBitmap.fill(bgr(back));
    QPainter p(&WaveBitmap);
    const int channels = std::max<int>(1, SampleFormat.nChannels);
    const int laneH = h / channels;
    const double range = SampleFormat.is16() ? 32768.0 : 128.0;
    p.setPen(bgr(centre));
    for (int c = 0; c < channels; ++c) p.drawLine(0, c * laneH + laneH / 2, w, c * laneH + laneH / 2);
    if (frames > 0 && SampleFormat.nBlockAlign > 0) {
        for (int c = 0; c < channels; ++c) {
            p.setPen(bgr(c == 0 ? wave : stereo));
            const int mid = c * laneH + laneH / 2;
            for (int x = 0; x < w; ++x) {
                const int64_t f0 = first + int64_t(x) * Zoom;
                if (f0 >= frames) break;
                const int64_t n = std::min<int64_t>(Zoom, frames - f0);
                int lo = 0, hi = 0;
                dispatchLayout(SampleFormat, [&](auto s, auto ch) {
                    using S = decltype(s);
                    columnRange<S, decltype(ch)::value>(Sound.frame(f0), n, c, lo, hi);
                });
                const int y0 = mid - int(hi / range * (laneH / 2));
                const int y1 = mid - int(lo / range * (laneH / 2));
                p.drawLine(x, y0, x, y1);
            }
        }
    }
    p.end();
    Bevel1->setVisible(channels == 2);
    StatusPanels[5]->setText(Modified ? "Modified" : "Saved");
    WaveView->update();
    copyToMain();
}

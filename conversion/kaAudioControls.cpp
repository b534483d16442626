#include "conversion/kaAudioControls.h"

#include <QPaintEvent>
#include <QPainter>
#include <algorithm>

#include "platform/numbers.h"

namespace sv {

// ---- level source ------------------------------------------------------------

TkaAudioControlSource::TkaAudioControlSource() : observer_(*this), subject_(*this, convertor_.FormatOut()) {
    TkaWaveFormat& out = convertor_.FormatOut();
    out.SetBitsPerSample(16);
    out.SetChannels(2);
    out.SetSamplesPerSec(11025);
    out.SetAvgBytesPerSec(44100);
    observer_.OnAudioData = [this](IkaAudioSubject* s, const void* d, int32_t n) { ReceiveAudio(s, d, n); };
    subject_.OnObserverError = [this](IkaAudioSubject* s, IkaAudioObserver* o, const std::exception& e, bool& raise) {
        ObserverError(s, o, e, raise);
    };
}

TkaAudioControlSource::~TkaAudioControlSource() { NotifyDestroying(); }

void TkaAudioControlSource::ReceiveAudio(IkaAudioSubject* subject, const void* audioData, int32_t audioDataSize) {
    convertor_.SetActive(false);
    convertor_.SetFormatIn(subject->AudioFormat());
    TkaWaveFormat& out = convertor_.FormatOut();
    out.Reset();
    out.SetBitsPerSample(16);
    out.SetChannels(2);
    out.SetSamplesPerSec(48000);
    out.SetAvgBytesPerSec(192000);
    out.SetBlockAlign(4);
    convertor_.SetActive(true);
    convertor_.ConvertBuffer(audioData, audioDataSize);
    splitChannels(convertor_.LastOutput(), convertor_.LastOutputSize());
    Republish();
}

void TkaAudioControlSource::splitChannels(const uint8_t* data, int32_t size) {
    const int32_t frames = data ? size / 4 : 0;
    if (frames > Capacity()) {
        left_.assign(static_cast<size_t>(frames), 0);
        right_.assign(static_cast<size_t>(frames), 0);
    }
    frames_ = frames;
    int32_t lp = 0, rp = 0;
    int16_t* l = left_.data();
    int16_t* r = right_.data();
    for (int32_t i = 0; i < frames; ++i) {
        const uint8_t* f = data + 4 * static_cast<size_t>(i);
        const auto a = static_cast<int16_t>(f[0] | (f[1] << 8));
        const auto b = static_cast<int16_t>(f[2] | (f[3] << 8));
        l[i] = a;
        r[i] = b;
        lp = std::max(lp, std::abs(int32_t(a)));
        rp = std::max(rp, std::abs(int32_t(b)));
    }
    leftPeak_ = static_cast<int16_t>(std::min(lp, 32767));
    rightPeak_ = static_cast<int16_t>(std::min(rp, 32767));
}

void TkaAudioControlSource::Republish() {
    subject_.Notify(&subject_, convertor_.LastOutput(), convertor_.LastOutputSize());
    if (OnDataChanged) OnDataChanged(this);
}

void TkaAudioControlSource::ObserverError(IkaAudioSubject* sender, IkaAudioObserver* observer,
                                          const std::exception& e, bool& raise) {
    if (OnObserverError) OnObserverError(sender, observer, e, raise);
}

// ---- audio control -------------------------------------------------------------

TkaAudioControl::TkaAudioControl(QWidget* parent) : QWidget(parent), observer_(*this) {
    observer_.OnAudioData = [this](IkaAudioSubject*, const void*, int32_t) { DataChanged(); };
    resize(40, 80);
    color_ = palette().color(QPalette::Base);
}

TkaAudioControl::~TkaAudioControl() { NotifyDestroying(); }

TkaAudioControlSource* TkaAudioControl::AudioControlSource() const {
    return dynamic_cast<TkaAudioControlSource*>(observer_.Subject());
}

void TkaAudioControl::SetAudioControlSource(TkaAudioControlSource* source) { observer_.SetSubject(source); }

void TkaAudioControl::SetTransparent(bool v) {
    transparent_ = v;
    update();
}

QColor TkaAudioControl::Color() const {
    if (parentColor_ && parentWidget()) return parentWidget()->palette().color(QPalette::Window);
    return color_;
}

void TkaAudioControl::SetColor(const QColor& c) {
    color_ = c;
    parentColor_ = false;
    update();
}

void TkaAudioControl::SetParentColor(bool v) {
    parentColor_ = v;
    update();
}

const int16_t* TkaAudioControl::LeftData() const {
    TkaAudioControlSource* s = AudioControlSource();
    return s ? s->LeftData() : nullptr;
}

const int16_t* TkaAudioControl::RightData() const {
    TkaAudioControlSource* s = AudioControlSource();
    return s ? s->RightData() : nullptr;
}

int32_t TkaAudioControl::FrameCount() const {
    TkaAudioControlSource* s = AudioControlSource();
    return s ? s->FrameCount() : 0;
}

void TkaAudioControl::DataChanged() { update(); }

void TkaAudioControl::PaintBackground(QPainter& p) { p.fillRect(rect(), Color()); }

void TkaAudioControl::Paint(QPainter& p) {
    bool handled = false;
    if (OnPaintBackground) OnPaintBackground(this, handled);
    if (!handled && !transparent_) PaintBackground(p);
}

void TkaAudioControl::paintEvent(QPaintEvent*) {
    QPainter p(this);
    Paint(p);
}

// ---- oscilloscope ----------------------------------------------------------------

TkaCustomOscilloscope::TkaCustomOscilloscope(QWidget* parent) : TkaAudioControl(parent) {
    penLeft_ = QPen(Qt::black, 1, Qt::SolidLine);
    penRight_ = penLeft_;
}

void TkaCustomOscilloscope::SetPenLeft(const QPen& p) {
    penLeft_ = p;
    update();
}

void TkaCustomOscilloscope::SetPenRight(const QPen& p) {
    penRight_ = p;
    update();
}

void TkaCustomOscilloscope::SetNumberOfPoints(int32_t n) {
    if (n < 10) throw EOscilloscopeError("Invalid number of points.");
    numberOfPoints_ = n;
    update();
}

void TkaCustomOscilloscope::SetOrientation(TOscilloscopeOrientation o) {
    orientation_ = o;
    update();
}

void TkaCustomOscilloscope::SetLayout(TOscilloscopeLayout l) {
    layout_ = l;
    update();
}

void TkaCustomOscilloscope::Paint(QPainter& p) {
    TkaAudioControl::Paint(p);
    if (FrameCount() == 0) return;
    const int w = width(), h = height();
    const QRect all(0, 0, w, h);
    switch (layout_) {
    case olLeftRight:
        DrawCurve(p, LeftData(), QRect(0, 0, w / 2, h), penLeft_);
        DrawCurve(p, RightData(), QRect(w / 2, 0, w - w / 2, h), penRight_);
        break;
    case olTopBottom:
        DrawCurve(p, LeftData(), QRect(0, 0, w, h / 2), penLeft_);
        DrawCurve(p, RightData(), QRect(0, h / 2, w, h - h / 2), penRight_);
        break;
    case olLeftChannel: DrawCurve(p, LeftData(), all, penLeft_); break;
    case olRightChannel: DrawCurve(p, RightData(), all, penRight_); break;
    case olOverlay:
        DrawCurve(p, LeftData(), all, penLeft_);
        DrawCurve(p, RightData(), all, penRight_);
        break;
    }
}

std::vector<QPoint> TkaCustomOscilloscope::CurvePoints(const int16_t* values, int32_t frames, const QRect& rect,
                                                       int32_t points, TOscilloscopeOrientation orientation) {
    std::vector<QPoint> out;
    if (!values || frames <= 0 || points < 2) return out;
    out.reserve(static_cast<size_t>(points));
    const int f = rect.width() / 2, g = rect.height() / 2;
    const bool horizontal = orientation == ooHorizontal;
    const int centre = horizontal ? rect.top() + g : rect.left() + f;
    const int half = horizontal ? g : f;
    const double span = horizontal ? rect.width() : rect.height();
    const int start = horizontal ? rect.left() : rect.top();
    for (int32_t k = 0; k < points; ++k) {
        // Whole-number arithmetic for the frame: trunc(k x frames / points)
        // without the drift of a running floating-point sum.
        const auto index = static_cast<size_t>(int64_t(k) * frames / points);
        const int offset = static_cast<int>(roundHalfEven(double(half) * values[index] / 32768.0));
        const int along = k == 0 ? start : static_cast<int>(roundHalfEven(start + k * span / (points - 1)));
        out.push_back(horizontal ? QPoint(along, centre + offset) : QPoint(centre + offset, along));
    }
    return out;
}

void TkaCustomOscilloscope::DrawCurve(QPainter& p, const int16_t* values, const QRect& rect, const QPen& pen) {
    p.setPen(pen);
    const std::vector<QPoint> pts = CurvePoints(values, FrameCount(), rect, numberOfPoints_, orientation_);
    if (pts.size() >= 2) p.drawPolyline(pts.data(), static_cast<int>(pts.size()));
}

} // namespace sv

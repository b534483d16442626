// Display components over the conversion library's publish and subscribe
// contract: a level source that turns any publisher's blocks into 16-bit
// stereo PCM, keeps per-channel samples and peaks and publishes them again,
// and an oscilloscope that draws a level source's last block.
#pragma once
#include <QColor>
#include <QPen>
#include <QRect>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <vector>

#include "conversion/kaACM.h"
#include "conversion/kaCommon.h"

class QPainter;

namespace sv {

class TkaAudioControlSource;

// Sender and a flag the handler sets when it has done the work itself.
using THandledEvent = std::function<void(QObject* sender, bool& handled)>;
using TSourceNotifyEvent = std::function<void(TkaAudioControlSource* sender)>;

// Subscribes to a publisher and republishes every block as 16-bit stereo
// PCM at 48000 Hz. Its converter is reopened for every block, so no codec
// state passes from one block to the next.
class TkaAudioControlSource : public AudioComponent {
public:
    TkaAudioControlSource();
    ~TkaAudioControlSource() override;

    IkaAudioSubject* QueryAudioSubject() override { return &subject_; }
    IkaAudioObserver* QueryAudioObserver() override { return &observer_; }

    AudioComponent* AudioSource() const { return observer_.Subject(); }
    void SetAudioSource(AudioComponent* c) { observer_.SetSubject(c); }

    // The last block split into channels; only the first FrameCount()
    // entries belong to it (the arrays keep the largest size seen).
    const int16_t* LeftData() const { return left_.data(); }
    const int16_t* RightData() const { return right_.data(); }
    int32_t FrameCount() const { return frames_; }
    int32_t Capacity() const { return static_cast<int32_t>(left_.size()); }
    // Largest magnitudes of the last block; a sample of -32768 counts as
    // 32767 so that the peak fits the signed 16-bit range.
    int16_t LeftPeak() const { return leftPeak_; }
    int16_t RightPeak() const { return rightPeak_; }

    TkaAudioConvertor& Convertor() { return convertor_; }

    TSourceNotifyEvent OnDataChanged;
    TObserverErrorEvent OnObserverError;

protected:
    // Converts the block; a block the converter cannot take raises its
    // error to the publisher that notified this source.
    virtual void ReceiveAudio(IkaAudioSubject* subject, const void* audioData, int32_t audioDataSize);
    virtual void Republish();
    virtual void ObserverError(IkaAudioSubject* sender, IkaAudioObserver* observer, const std::exception& e,
                               bool& raise);

private:
    void splitChannels(const uint8_t* data, int32_t size);

    // The converter comes first: the subject publishes its output format.
    TkaAudioConvertor convertor_;
    TkaAudioObserver observer_;
    TkaAudioSubject subject_;
    std::vector<int16_t> left_, right_;
    int32_t frames_ = 0;
    int16_t leftPeak_ = 0, rightPeak_ = 0;
};

// A widget that subscribes to a level source and repaints after each block.
class TkaAudioControl : public QWidget, public AudioComponent {
    Q_OBJECT
public:
    explicit TkaAudioControl(QWidget* parent = nullptr);
    ~TkaAudioControl() override;

    IkaAudioObserver* QueryAudioObserver() override { return &observer_; }

    TkaAudioControlSource* AudioControlSource() const;
    void SetAudioControlSource(TkaAudioControlSource* source);

    bool Transparent() const { return transparent_; }
    void SetTransparent(bool v);
    // The parent's window colour while ParentColor() holds.
    QColor Color() const;
    void SetColor(const QColor& c);
    bool ParentColor() const { return parentColor_; }
    void SetParentColor(bool v);

    THandledEvent OnPaintBackground;

    // What the drawing reads from the source: none and 0 without one.
    const int16_t* LeftData() const;
    const int16_t* RightData() const;
    int32_t FrameCount() const;

    // Draws the whole control as a paint event would.
    virtual void Paint(QPainter& p);

protected:
    virtual void DataChanged();
    virtual void PaintBackground(QPainter& p);
    void paintEvent(QPaintEvent* e) override;

private:
    TkaAudioObserver observer_;
    bool transparent_ = false;
    bool parentColor_ = true;
    QColor color_;
};

enum TOscilloscopeOrientation { ooHorizontal, ooVertical };
enum TOscilloscopeLayout { olLeftRight, olTopBottom, olLeftChannel, olRightChannel, olOverlay };

class TkaCustomOscilloscope : public TkaAudioControl {
    Q_OBJECT
public:
    explicit TkaCustomOscilloscope(QWidget* parent = nullptr);

    const QPen& PenLeft() const { return penLeft_; }
    const QPen& PenRight() const { return penRight_; }
    void SetPenLeft(const QPen& p);
    void SetPenRight(const QPen& p);
    int32_t NumberOfPoints() const { return numberOfPoints_; }
    // Below 10 raises EOscilloscopeError "Invalid number of points.".
    void SetNumberOfPoints(int32_t n);
    TOscilloscopeOrientation Orientation() const { return orientation_; }
    void SetOrientation(TOscilloscopeOrientation o);
    TOscilloscopeLayout Layout() const { return layout_; }
    void SetLayout(TOscilloscopeLayout l);

    void Paint(QPainter& p) override;

    // The vertices of one channel's curve in rect: `points` vertices taken
    // at frames trunc(k x frames / points), spread evenly across the rect
    // (down it when vertical), each offset from the centre line by the
    // sample's share of half the rect. Positive samples lie below (right of)
    // the centre line.
    static std::vector<QPoint> CurvePoints(const int16_t* values, int32_t frames, const QRect& rect, int32_t points,
                                           TOscilloscopeOrientation orientation);

protected:
    virtual void DrawCurve(QPainter& p, const int16_t* values, const QRect& rect, const QPen& pen);

private:
    QPen penLeft_, penRight_;
    int32_t numberOfPoints_ = 200;
    TOscilloscopeOrientation orientation_ = ooHorizontal;
    TOscilloscopeLayout layout_ = olTopBottom;
};

class TkaOscilloscope : public TkaCustomOscilloscope {
    Q_OBJECT
public:
    using TkaCustomOscilloscope::TkaCustomOscilloscope;
};

} // namespace sv

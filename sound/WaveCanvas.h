// The drawing area of a sound window: shows the waveform image and the
// selection over it.
#pragma once
#include <QWidget>

class TSoundfrm;

class WaveCanvas : public QWidget {
public:
    explicit WaveCanvas(TSoundfrm* owner);

protected:
    void paintEvent(QPaintEvent* e) override;

private:
    TSoundfrm* owner_;
};

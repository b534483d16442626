// The forms' track bar: a slider with a selection range drawn inside its
// channel, as the forms use it to show a filled stretch (from the minimum
// to the thumb, or between 0 and the thumb on a bar that runs through 0).
#pragma once
#include <QSlider>

namespace sv {

class TrackBar : public QSlider {
    Q_OBJECT
public:
    explicit TrackBar(Qt::Orientation orientation, QWidget* parent = nullptr);

    // Until a selection is set, it runs from the minimum to the position.
    void setSelection(int start, int end);
    int selStart() const;
    int selEnd() const;
    // The x (horizontal bar) or y (vertical bar) of the thumb's middle at
    // value v: where a selection edge at v is drawn.
    int pixelAt(int value) const;
    // The channel the selection is drawn in.
    QRect channel() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    bool explicit_ = false;
    int start_ = 0, end_ = 0;
};

} // namespace sv

// The "Histogram" window: the 256 counters of the last histogram
// (sv::HistogramTable) as bars, with the mean and variance of the samples.
// It lives for the whole run.
#pragma once
#include <QDialog>
#include <cstdint>

class QLabel;
class QPushButton;

// Paints the counters: one navy column per counter, scaled to the largest.
class THistogramPaintBox : public QWidget {
    Q_OBJECT
public:
    using QWidget::QWidget;
    // The scale's maximum: the largest counter, at least 1.
    static int32_t scaleMaximum();

protected:
    void paintEvent(QPaintEvent* e) override;
};

class THistogramfrm : public QDialog {
    Q_OBJECT
public:
    explicit THistogramfrm(QWidget* parent = nullptr);

    // Shows the counters of the last histogram with their mean and
    // variance; the axis follows the bit depth.
    void mostrar_form(int32_t bits, double average, double variance);
    // Everything mostrar_form does before it shows the window (tests).
    void prepare(int32_t bits, double average, double variance);

    QLabel* Label1;   // the scale's maximum
    QLabel* Label2;   // the axis' low end
    QLabel* Label3;   // the axis' high end
    QLabel* Label4;   // "Average = ..."
    QLabel* Label5;   // "Variance = ..."
    THistogramPaintBox* PaintBox1;
    QPushButton* Button1;   // "&OK"

    int32_t Bits = 8;
};

extern THistogramfrm* Histogramfrm;

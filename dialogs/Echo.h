// The "Echo" dialog (long-lived, global Echofrm): the delay in ms and, in
// "Multiple" mode, the number of repetitions, with a picture of the echoes.
#pragma once
#include <QDialog>
#include <QFrame>
#include <QWidget>
#include <cstdint>

class QFrame;
class QLabel;
class QPushButton;
class QSlider;

namespace sv {
class RadioGroup;

// The echoes as lines over a base line: line i (1..n) at 10 x i pixels from
// the left, 70 div i pixels tall.
// The base line is a frame of the form's own (Bevel2) that the picture keeps
// under its lines whatever size the layout gives it.
class EchoPicture : public QWidget {
public:
    explicit EchoPicture(QWidget* parent = nullptr);
    void setLines(int n) { lines_ = n; update(); }
    int lines() const { return lines_; }
    void setBaseLine(QFrame* line);
    // The y the lines stand on: one line of text above the bottom, for the
    // time axis's "t".
    int base() const;
protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
private:
    void placeBaseLine();
    int lines_ = 2;
    QFrame* baseLine_ = nullptr;
};
} // namespace sv

class TEchofrm : public QDialog {
    Q_OBJECT
public:
    explicit TEchofrm(QWidget* parent = nullptr);

    // Returns the delay in ms; count and cancelled (1 for Cancel, also for
    // Escape or the frame's close button) through the arguments.
    int32_t mostrar_form(uint8_t& cancelled, int32_t& count);
    // The reset mostrar_form does before showing.
    void prepare();
    // The values after the dialog closed with the given modal result.
    int32_t conclude(int modalResult, uint8_t& cancelled, int32_t& count);

    QLabel* Label1;            // "&Delay in ms:"
    QSlider* TrackBar1;
    QLabel* Label2;            // the delay
    sv::RadioGroup* RadioGroup1;
    QLabel* Label5;            // "&Number of repetitions:"
    QSlider* TrackBar2;
    QLabel* Label6;            // the count
    sv::EchoPicture* Bevel1;
    QFrame* Bevel2;            // the picture's base line
    QPushButton* Button1;
    QPushButton* Button2;

    int32_t Delay = 50;
    int32_t Count = 1;
    uint8_t Cancelled = 1;
    bool Multiple = false;

    void RadioGroup1Click();
    void TrackBar1Change();
    void TrackBar2Change();
    void Button1Click();
    void Button2Click();
    void pintar_eco();
};

extern TEchofrm* Echofrm;

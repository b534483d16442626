// The "Dynamic expander" dialog: an amplification factor 0.00 .. 2.00 as a
// bar position 0..200 (100 = 1.00). Below 1.00 it is a compressor, and the
// caption says so.
#pragma once
#include <QDialog>
#include <cstdint>

class QLabel;
class QPushButton;
class QScrollBar;

class TDynamicExpanderfrm : public QDialog {
    Q_OBJECT
public:
    explicit TDynamicExpanderfrm(QWidget* parent = nullptr);

    // Returns the cancel flag (1 = cancelled, also by the window's frame or
    // Escape) and the bar position through ratio.
    uint8_t mostrar_form(int32_t& ratio);

    // The modal run in two halves for tests.
    void prepare();
    uint8_t conclude(int32_t& ratio) const;

    QLabel* Label1;        // "&Amplification factor:"
    QScrollBar* ScrollBar1;
    QLabel* Label2;        // "0"
    QLabel* Label3;        // "1"
    QLabel* Label4;        // "2"
    QLabel* Label5;        // the factor
    QPushButton* Button1;
    QPushButton* Button2;

    uint8_t Cancelled = 1;

    void ScrollBar1Change();
    void Button1Click();
    void Button2Click();
};

extern TDynamicExpanderfrm* DynamicExpanderfrm;

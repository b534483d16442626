// The "Equalize" dialog: ten band gains from +30 dB (bar at the top) to
// -30 dB. It lives for the whole run, so a call that does not show it
// returns the gains of the last use.
#pragma once
#include <QDialog>
#include <array>
#include <cstdint>

class QCheckBox;
class QLabel;
class QPushButton;
class QScrollBar;

class TEqualizefrm : public QDialog {
    Q_OBJECT
public:
    static constexpr int kBands = 10;

    explicit TEqualizefrm(QWidget* parent = nullptr);

    // With show = 1 the bars are reset and the dialog asked; any other
    // value only reads the bars as they stand. Returns the cancel flag (1 =
    // cancelled, also by Escape or the frame) and the gains (dB, lowest
    // band first).
    uint8_t mostrar_form(int32_t show, std::array<int32_t, kBands>& gains);

    // The modal run in two halves for tests.
    void prepare();
    std::array<int32_t, kBands> gains() const;

    // Bars 0..60 at 30; the value labels show 30 - position.
    QScrollBar* ScrollBars[kBands];   // ScrollBar1 .. ScrollBar10
    QLabel* ValueLabels[kBands];      // Label1 .. Label8, Label19, Label20
    QCheckBox* CheckBox1;             // "&Restore to 0"
    QPushButton* Button1;
    QPushButton* Button2;

    uint8_t Cancelled = 1;

    void restaurar_valores();
    void ScrollBarChange(int band);
    void CheckBox1Click() { restaurar_valores(); }
    void Button1Click();
    void Button2Click();
};

extern TEqualizefrm* Equalizefrm;

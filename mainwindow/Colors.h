// "Color Configuration and Settings": the eight colours of the sound
// windows with the ready-made colour sets, the visual settings, the undo,
// exit, playback and scrolling options, and the registration of the
// program as the desktop's ".wav" editor and audio CD player.
#pragma once
#include <QDialog>
#include <QFrame>
#include <array>
#include <cstdint>
#include <string>

class QCheckBox;
class QComboBox;
class QPushButton;
class QSpinBox;
class QTabWidget;
namespace sv { class RadioGroup; }

// A panel showing one colour (0x00BBGGRR); a click asks for another.
class TColorPanel : public QFrame {
    Q_OBJECT
public:
    explicit TColorPanel(QWidget* parent);
    uint32_t color() const { return color_; }
    void setColor(uint32_t bgr);
signals:
    void clicked();
protected:
    void mouseReleaseEvent(QMouseEvent* e) override;
private:
    uint32_t color_ = 0;
};

// One row of the colour sets, in the order of the panels it fills.
struct ColorSet {
    const char* name;
    uint32_t waveform, stereo, background, centreLine, playCursor, grid, gridBack, gridFont;
};
// The twelve sets; the combo's item i (i >= 1) is set i - 1.
const std::array<ColorSet, 12>& colorSets();

class TColorsfrm : public QDialog {
    Q_OBJECT
public:
    explicit TColorsfrm(QWidget* owner);

    QTabWidget* PageControl1 = nullptr;
    TColorPanel* Panel1 = nullptr;   // waveform
    TColorPanel* Panel2 = nullptr;   // background
    TColorPanel* Panel3 = nullptr;   // centre line
    TColorPanel* Panel4 = nullptr;   // stereo
    TColorPanel* Panel5 = nullptr;   // play cursor
    TColorPanel* Panel6 = nullptr;   // grid
    TColorPanel* Panel7 = nullptr;   // grid panel back
    TColorPanel* Panel8 = nullptr;   // grid panel font
    QComboBox* cb = nullptr;         // colour sets
    sv::RadioGroup* rg1 = nullptr;   // vertical scale
    QCheckBox* cb3 = nullptr;        // view vumeters
    QCheckBox* cb5 = nullptr;        // auto zoom
    QSpinBox* PreferredZoom = nullptr;
    QCheckBox* cb6 = nullptr;        // full file path
    QSpinBox* UndoLevels = nullptr;
    QCheckBox* cb1 = nullptr;        // disable undo
    QCheckBox* cb4 = nullptr;        // play from cursor
    QCheckBox* cb2 = nullptr;        // confirm exit
    QCheckBox* cb7 = nullptr;        // window scroll
    QPushButton* SpeedButton1 = nullptr;   // CD player association
    QPushButton* SpeedButton2 = nullptr;   // ".wav" association
    QPushButton* Button1 = nullptr;        // OK
    QPushButton* Button2 = nullptr;        // Cancel

    // 1 when the dialog was left without OK (Cancel, Escape or the close
    // box), 0 after OK.
    uint8_t Cancelled = 0;

    // Shows the dialog with the four main colours; after OK they come back
    // changed, otherwise they stay as they were.
    void mostrarform(uint32_t& p1, uint32_t& p2, uint32_t& p4, uint32_t& p3);
    // The opening steps before the modal show: the panels, the settings, the
    // association captions.
    void loadForm(uint32_t p1, uint32_t p2, uint32_t p4, uint32_t p3);
    void FormActivate();

    // Whether the program is registered as the CD player / the ".wav"
    // editor; each also sets its button's caption.
    uint8_t IssetCD();
    uint8_t IssetAE();

    void cbChange(int index);
    void cb5Click();
    void panelClick(TColorPanel* panel);
    void Button1Click();
    void Button2Click();
    void SpeedButton1Click();
    void SpeedButton2Click();

    // The program as the association commands start it.
    static std::string programPath();

public slots:
    void reject() override;

protected:
    void showEvent(QShowEvent* e) override;

private:
    bool activated_ = false;
};

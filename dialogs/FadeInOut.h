// The "Fade In" / "Fade Out" dialog: the level the fade starts from (fade
// in) or ends at (fade out), in percent, and the progression type. The last
// values chosen with OK are kept in the settings file, section "Fade".
#pragma once
#include <QDialog>
#include <QWidget>
#include <QLineF>
#include <cstdint>

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSlider;
class QFrame;

namespace sv {
class RadioGroup;
class EditKeys;

// The picture of the fade's envelope: two red lines, 4 pixels in from the
// edges, from the full-level corners to the far edge, ending above and
// below the middle line at the percent of the full level.
class FadeEnvelope : public QWidget {
public:
    explicit FadeEnvelope(QWidget* parent = nullptr);
    void setEnvelope(int percent, bool fadeOut);
    // The two lines as they are drawn (upper, lower).
    QLineF upperLine() const;
    QLineF lowerLine() const;
protected:
    void paintEvent(QPaintEvent* event) override;
private:
    double opening() const;
    int percent_ = 100;
    bool fadeOut_ = false;
};
} // namespace sv

class TFadeInOutfrm : public QDialog {
    Q_OBJECT
public:
    explicit TFadeInOutfrm(QWidget* parent = nullptr);

    // direction 1 = fade out, anything else = fade in. Returns the percent
    // and, through progression, the progression type index; 100 when
    // cancelled (also by the window's frame or Escape).
    int32_t mostrar_dialogo(int32_t direction, int32_t& progression);

    // The modal run in two halves for tests: prepare() reads the settings
    // and resets; conclude() saves them after OK and gives the results.
    void prepare(int32_t direction);
    int32_t conclude(int modalResult, int32_t& progression);

    QLabel* Label1;          // "Initial Percent:" / "Final Percent"
    QLabel* headingLabel;    // the caption followed by three blanks
    QSlider* TrackBar1;
    QLabel* Label2;          // "100%"
    QLabel* Label3;          // "50%"
    QLabel* Label4;          // "0%"
    QGroupBox* GroupBox1;    // "&Manual Selection"
    QLineEdit* Edit1;
    sv::RadioGroup* RadioGroup1;
    sv::FadeEnvelope* Bevel1;
    QFrame* Bevel2;          // the middle line of the picture
    QPushButton* Button1;
    QPushButton* Button2;

    int32_t Percent = 100;
    int32_t Progression = 0;
    int32_t Direction = 0;

    void FormActivate();
    void TrackBar1Change();
    void Edit1Exit();
    void Edit1KeyPress();   // Return
    void Button1Click();
    void Button2Click();

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    bool takeTypedValue();
    void drawEnvelope();
    bool accepted_ = false;   // closed by OK or by Return in Edit1
};

extern TFadeInOutfrm* FadeInOutfrm;

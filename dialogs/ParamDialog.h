// What the parameter dialogs share: the modal results as the program counts
// them, the OK/Cancel pair, track bars and their scales, the radio group of
// the forms, quiet control updates, and the edit box that takes a typed
// integer on Return (swallowing the key) or when it loses the focus.
#pragma once
#include <QGroupBox>
#include <QObject>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <vector>

#include "dialogs/track_bar.h"
#include "platform/prompts.h"

class QDialog;
class QHBoxLayout;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QAbstractSlider;
class QSlider;
class QLabel;
class QAbstractButton;

namespace sv {

// Qt's exec() gives 0 (Rejected) for Escape and the window frame's close
// button; the program's forms give 1 for OK and 2 for Cancel and treat a
// frame close as Cancel. This is the one place where the two meet.
int modalResultFrom(int qtResult);
// exec() with the result translated.
int showModal(QDialog& dialog);

// Buttons of the parameter dialogs: never the default button, so that
// Return in an edit box does only what the box's own handler does.
void makePlainButton(QAbstractButton* button);

// "&OK" and "&Cancel", both plain buttons.
void makeOkCancel(QWidget* parent, QPushButton*& ok, QPushButton*& cancel);
// A row holding the two buttons at its right end.
QHBoxLayout* makeButtonRow(QPushButton* ok, QPushButton* cancel);

// A horizontal track bar (a TrackBar, its selection from the minimum to the
// position) with its ticks below, every tickInterval positions.
TrackBar* makeTrackBar(QWidget* parent, int minimum, int maximum, int tickInterval, int position);
// The marks under a bar: low at the left, middle centred (it may be null),
// high at the right end.
QHBoxLayout* makeScaleRow(QLabel* low, QLabel* middle, QLabel* high);

// Sets a slider's position (and optionally its range) without running its
// change handler: the handlers stand for the user moving the slider.
void setSliderQuietly(QAbstractSlider* slider, int position);
void setSliderQuietly(QAbstractSlider* slider, int minimum, int maximum, int position);

// The slider value text: the position, followed by "%" when the slider's
// maximum is 100.
QString sliderValueText(const QSlider* slider);

// Parses a typed integer. Text that is not one is reported with the
// standard error box and gives false; the caller keeps its value.
bool typedInteger(const QLineEdit* edit, int& value);
// The same for 64-bit numbers (frame counts of long sounds).
bool typedInteger(const QLineEdit* edit, int64_t& value);

// The noise gate of the Noise Gate form and of the Special Effects list.
// A moved threshold bar (0..100) gives a threshold on the 0..127 scale of
// the samples' distance from silence.
int gateThreshold(const QSlider* threshold);
// The gate's opening values: threshold at 10 of 100, release/attack time at
// 2 of 50 ms. Both positions are taken unscaled as the values (threshold
// 10, time 2), and no change handler runs.
struct GateControls {
    QSlider* threshold;
    QLabel* thresholdText;
    QSlider* time;
    QLabel* timeMaximum;
    QLabel* timeText;
    QLabel* timeCaption;
};
void setGateDefaults(const GateControls& c);

// A group of radio buttons with an index, as the forms use them.
class RadioGroup : public QGroupBox {
    Q_OBJECT
public:
    RadioGroup(const QString& caption, const QStringList& items, QWidget* parent = nullptr);
    int ItemIndex() const;
    // Checks item i (-1: none) without emitting clicked.
    void setItemIndex(int i);
    QRadioButton* button(int i) const { return buttons_.at(size_t(i)); }
    int count() const { return int(buttons_.size()); }
signals:
    // The user chose an item.
    void clicked(int index);

private:
    std::vector<QRadioButton*> buttons_;
};

// Calls onEnter for Return or Enter in the box (the key goes no further, so
// it never presses a button) and onExit when the box loses the focus. A
// message box shown by a handler takes the focus away: the handlers are not
// run again while one of them is running.
class EditKeys : public QObject {
public:
    EditKeys(QLineEdit* edit, std::function<void()> onEnter, std::function<void()> onExit);
protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
private:
    QLineEdit* edit_;
    std::function<void()> onEnter_, onExit_;
    bool busy_ = false;
};

} // namespace sv

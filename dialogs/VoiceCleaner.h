// "Voice Cleaner": which cleaning steps to run and how hard to cut the
// frequencies outside the voice. Made by the sound window for one run;
// after OK it stays up without its buttons as the list of steps, a marker
// showing the step being worked on.
#pragma once
#include <QDialog>

class QCheckBox;
class QLabel;
class QPushButton;

namespace sv { class RadioGroup; }

class TVoiceCleanerfrm : public QDialog {
    Q_OBJECT
public:
    explicit TVoiceCleanerfrm(QWidget* parent = nullptr);

    QCheckBox* cb0;   // "Noise Gate"
    QCheckBox* cb1;   // "Filter Non-Voice Frequencies"
    QCheckBox* cb2;   // "STSA"
    QCheckBox* cb3;   // "Dynamic Amplification"
    QCheckBox* cb4;   // "Normalize"
    sv::RadioGroup* rg1;   // "Type"
    QPushButton* Button1;  // "OK"
    QPushButton* Button2;  // "Cancel"
    // Step markers beside cb0 .. cb4, hidden until their step runs.
    QLabel* Label0;
    QLabel* Label1;
    QLabel* Label2;
    QLabel* Label3;
    QLabel* Label4;

    // A ticked box's caption is black, an unticked one grey; the filter
    // box greys the type choice with it.
    void cbClick(QCheckBox* box);

    // After OK: the dialog stays up without its buttons as the list of the
    // steps, painted on the screen before this returns, since the steps
    // then hold the program until they are done.
    void showAsStepList();
    // A step's marker: a crossed box while it runs, a filled square once it
    // is done; the list is painted again at once.
    void stepStarted(QLabel* mark);
    void stepFinished(QLabel* mark);
    static const QString kWorkingMark;
    static const QString kDoneMark;
};

// "Divide File in Tracks by Length": cuts a PCM WAVE file into named tracks
// from a list of lengths in seconds; what is left after the list becomes
// one more track. Created on demand by the main window, shown modally and
// freed.
#pragma once
#include <QDialog>
#include <cstdint>
#include <vector>

#include "dialogs/wave_split.h"
#include "platform/prompts.h"

class QLabel;
class QLineEdit;
class QPushButton;
class QStatusBar;
class QToolButton;
class QTreeWidget;
class TDiv_Length_Add_frm;

class TDiv_Length_frm : public QDialog {
    Q_OBJECT
public:
    explicit TDiv_Length_frm(QWidget* parent = nullptr);

    QLabel* Label1;
    QLineEdit* Edit1;
    QToolButton* SpeedButton1;
    sv::FileDialogRequest OpenDialog1;
    QLabel* Label3;
    QTreeWidget* list;   // caption = title, column 1 = seconds as text
    QToolButton* SpeedButton3;
    QToolButton* SpeedButton4;
    QStatusBar* StatusBar1;
    QPushButton* button1;
    QToolButton* SpeedButton2;
    // Whole seconds of the chosen source.
    int32_t MaxSeconds = 0;

    void SpeedButton1Click();
    void SpeedButton3Click();
    void SpeedButton4Click();
    void button1Click();
    void SpeedButton2Click();

    // The tracks as listed.
    std::vector<sv::TrackLength> tracks() const;

protected:
    // Shows the Add form modally; false when it was closed without OK.
    virtual bool showAddForm(TDiv_Length_Add_frm& form);
};

namespace sv {
// The main window's "Divide File in Tracks by Len&gth" and its tool button.
void runDivLength(QWidget* parent);
}

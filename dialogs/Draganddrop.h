// "Drag and Drop Options": what to do with a selection dropped on a sound
// window. Made by the target window for one drop.
#pragma once
#include <QDialog>

class QPushButton;
namespace sv { class RadioGroup; }

class TDraganddropfrm : public QDialog {
    Q_OBJECT
public:
    // The choices, in the order of the radio group.
    enum Choice { Paste = 0, Mix = 1, MixSpecial = 2, Move = 3, MoveAndMix = 4 };

    explicit TDraganddropfrm(QWidget* parent = nullptr);

    // Shows the dialog modally with the first item chosen; the chosen item,
    // or -1 for anything but OK.
    int mostrar_dialogo();

    sv::RadioGroup* RadioGroup1;   // "I want to ..."
    QPushButton* Button1;          // "&OK"
    QPushButton* Button2;          // "&Cancel"
};

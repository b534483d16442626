// "Txt Selection": the column and line delimiters of a personalised text
// export. Made by the writer for one export and freed after it.
#pragma once
#include <QDialog>
#include <cstdint>

class QLineEdit;
class QPushButton;
namespace sv { class RadioGroup; }

class TTxtfrm : public QDialog {
    Q_OBJECT
public:
    explicit TTxtfrm(QWidget* parent = nullptr);

    // The items of both groups, in order.
    enum Item { Semicolon = 0, Comma, Tab, NewLine, Enter, Space, Other };

    sv::RadioGroup* rd1 = nullptr;   // "C&olumn Delimiter:"
    sv::RadioGroup* rd2 = nullptr;   // "&Line Delimiter:"
    QLineEdit* Edit1 = nullptr;      // the column character while "Other" is chosen
    QLineEdit* Edit2 = nullptr;      // the line character while "Other" is chosen
    QPushButton* Button1 = nullptr;  // "&OK"
    QPushButton* Button2 = nullptr;  // "&Cancel"

    // What the caller reads: one byte each, and 1 = cancelled.
    char ColumnDelimiter = ';';
    char LineDelimiter = '\n';
    uint8_t CancelFlag = 1;

    // Shows the dialog modally; returns the cancel flag. The flag is set
    // before showing and cleared only by OK, so a frame close cancels.
    int mostrar();

    void rd1Click(int index);
    void rd2Click(int index);
    // Takes a typed "Other" character and closes; a box left empty keeps
    // the delimiter "Other" set.
    void Button1Click();
    void Button2Click();

private:
    void choose(int index, char& delimiter, QLineEdit* box);
};

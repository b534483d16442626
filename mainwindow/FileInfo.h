// "File information": the format and size of a sound, as its window shows
// them in its status bar, and the file's name.
#pragma once
#include <QDialog>

class QLabel;
class QPushButton;

class TFileInfofrm : public QDialog {
    Q_OBJECT
public:
    explicit TFileInfofrm(QWidget* owner);

    // Value panels, set by the sound window before it shows the form.
    QLabel* Panel1 = nullptr;   // bits per sample
    QLabel* Panel2 = nullptr;   // samples per second
    QLabel* Panel3 = nullptr;   // number of samples
    QLabel* Panel4 = nullptr;   // file size
    QLabel* Panel5 = nullptr;   // number of channels
    QLabel* Panel6 = nullptr;   // file name; its hint is the full path
    QPushButton* Button1 = nullptr;

    void Button1Click();
};

// "Add": one track of the track list, a title and a length in seconds.
#pragma once
#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;

class TDiv_Length_Add_frm : public QDialog {
    Q_OBJECT
public:
    explicit TDiv_Length_Add_frm(QWidget* parent = nullptr);

    QLabel* Label1;
    QLineEdit* TrackNameEdit;
    QLabel* Label2;
    QSpinBox* SpinEdit1;
    QPushButton* Button1;

    void Button1Click();
};

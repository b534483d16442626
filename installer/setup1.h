// The installer's window. It is an empty shell for now: the program starts,
// says that installing is not available yet, and ends.
#pragma once
#include <QWidget>

class TSetup1frm : public QWidget {
    Q_OBJECT
public:
    explicit TSetup1frm(QWidget* parent = nullptr);
};

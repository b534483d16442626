// The start-up window: shows for two seconds, then closes by itself.
#pragma once
#include <QDialog>
#include <QLabel>
#include <QTimer>

class TSplashfrm : public QDialog {
    Q_OBJECT
public:
    explicit TSplashfrm(QWidget* parent = nullptr);
    QLabel* Image1 = nullptr;
    QTimer* Timer1 = nullptr;

protected:
    // The timer starts when the window is shown, not on activation: a window
    // manager that never activates it cannot hang start-up.
    void showEvent(QShowEvent* e) override;
};

extern TSplashfrm* Splashfrm;

#include "mainwindow/Splash.h"

#include <QGuiApplication>
#include <QLinearGradient>
#include <QPainter>
#include <QScreen>

TSplashfrm* Splashfrm = nullptr;

static QPixmap splashPicture() {
    QPixmap pm(390, 250);
    QPainter p(&pm);
    QLinearGradient g(0, 0, 0, 250);
    g.setColorAt(0, QColor(20, 40, 90));
    g.setColorAt(1, QColor(10, 10, 30));
    p.fillRect(pm.rect(), g);
    p.setPen(QPen(QColor(90, 200, 255), 2));
    QPointF prev(0, 150);
    for (int x = 1; x < 390; ++x) {
        double y = 150 + 40 * std::sin(x / 14.0) * std::sin(x / 97.0);
        p.drawLine(prev, QPointF(x, y));
        prev = QPointF(x, y);
    }
    p.setPen(Qt::white);
    QFont f = p.font();
    f.setPointSize(28);
    f.setBold(true);
    p.setFont(f);
    p.drawText(QRect(0, 30, 390, 60), Qt::AlignCenter, "Sonvela");
    return pm;
}

TSplashfrm::TSplashfrm(QWidget* parent) : QDialog(parent, Qt::Tool | Qt::FramelessWindowHint) {
    setWindowTitle("Sonvela");
    setFixedSize(390, 310);
    Image1 = new QLabel(this);
    Image1->setGeometry(0, 0, 390, 250);
    Image1->setPixmap(splashPicture());
    auto* text = new QLabel("Audio editor and player", this);
    text->setGeometry(0, 250, 390, 60);
    text->setAlignment(Qt::AlignCenter);
    Timer1 = new QTimer(this);
    Timer1->setInterval(2000);
    Timer1->setSingleShot(true);
    connect(Timer1, &QTimer::timeout, this, &QDialog::accept);
    if (QScreen* s = QGuiApplication::primaryScreen()) move(s->geometry().center() - rect().center());
}

void TSplashfrm::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    Timer1->start();
}

#include "installer/setup1.h"

#include <QLabel>
#include <QVBoxLayout>

TSetup1frm::TSetup1frm(QWidget* parent) : QWidget(parent) {
    setWindowTitle("Sonvela Setup");
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel("Installing Sonvela is not available in this build.", this));
}

#include <QApplication>

#include "installer/setup1.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    TSetup1frm w;
    w.show();
    return app.exec();
}

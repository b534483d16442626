#include "resources/icon/program_icon.h"

#include <QString>

static void initIconResource() { Q_INIT_RESOURCE(sonvela_icons); }

namespace sv {

void initProgramIconResources() { initIconResource(); }

QIcon programIcon() {
    initIconResource();
    QIcon icon;
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256})
        icon.addFile(QString(":/icons/hicolor/%1x%1/apps/sonvela.png").arg(size), QSize(size, size));
    return icon;
}

} // namespace sv

// The program's own icon, built from the icon-theme pictures in the
// resources so that every size is drawn for its size.
#pragma once
#include <QIcon>

namespace sv {

QIcon programIcon();
// Makes the resources ":/icons/hicolor/..." available (static builds).
void initProgramIconResources();

} // namespace sv

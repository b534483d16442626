// The program's prompts as Qt dialogs, and the screen cursor that shows the
// activity state.
#pragma once
#include <QString>

#include "platform/prompts.h"

namespace sv {

// Installs the Qt dialogs as the program's prompts.
void installQtPrompts();
// Makes the screen cursor follow the activity state (hourglass while busy,
// the play cursor while playing).
void bindActivityCursor();

// Converts "desc|pattern|desc|pattern" into a Qt name filter list.
QString qtFilterFrom(const std::string& filter, int index, QString* selected);

inline QString qs(const std::string& s) { return QString::fromStdString(s); }
inline std::string ss(const QString& s) { return s.toStdString(); }

} // namespace sv

#pragma once
// Pictures for the main window's tool buttons, drawn at run time so the
// program needs no image files beside it.

#include <QIcon>
#include <string>

namespace sv {

// The picture for the tool button with this object name (e.g.
// "SpeedButton8" for New). A null icon means the button has no picture of
// its own, and the caller shows its caption's initials instead.
QIcon toolIcon(const std::string& buttonName);

} // namespace sv

#pragma once
// Pictures for the main window's tool buttons, drawn at run time so the
// program needs no image files beside it.

#include <QIcon>
#include <string>

namespace sv {

// The picture for the tool button with this object name (e.g.
// "SpeedButton8" for New): the desktop icon theme's picture for the
// command where a freedesktop icon name means it, a drawn one elsewhere. A
// null icon means the button has no picture of its own, and the caller
// shows its caption's initials instead. side 0 gives the tool bars' 22 x 16
// picture, another side a square picture that large.
QIcon toolIcon(const std::string& buttonName, int side = 0);

} // namespace sv

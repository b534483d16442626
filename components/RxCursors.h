// The screen's table of custom cursors, and the two cursors the component
// library puts into it at start-up: a pointing hand and a dragging hand.
#pragma once
#include <QCursor>

#include <string>

namespace sv {

constexpr int crHand = 14000;       // "RX_HANDCUR"
constexpr int crDragHand = 14001;   // "RX_DRAGCUR"

// A cursor of the program's resources by name; the arrow for an unknown name.
QCursor loadCursorResource(const std::string& name);
// The table: an empty slot gives the arrow.
void setScreenCursor(int slot, const QCursor& cursor);
QCursor screenCursor(int slot);
bool hasScreenCursor(int slot);
// Loads "RX_HANDCUR" and "RX_DRAGCUR" into their slots; once per process.
void loadStartupCursors();

} // namespace sv

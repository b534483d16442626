// The main window's animated picture in its panel Panel3, the picture's
// context menu, and the icon in the desktop's notification area.
#pragma once
#include <string>

class TSVMainfrm;
class TRxGIFAnimator;
class TRxTrayIcon;
class QMenu;

// Puts gif_animat into Panel3 with the picture stored with the program,
// then the one named by [Configuration] WORM when that file exists; makes
// PopupMenu2 with "&Change Image"; lets playback animate the picture; shows
// the tray icon RxTrayIcon1 with its menu PopupMenu1. Safe to call twice.
void installPictureCommands(TSVMainfrm* main);

// The parts, found by their names (null before installing).
TRxGIFAnimator* gifAnimator(const TSVMainfrm* main);   // gif_animat
QMenu* pictureMenu(const TSVMainfrm* main);            // PopupMenu2
TRxTrayIcon* trayIcon(const TSVMainfrm* main);         // RxTrayIcon1
QMenu* trayMenu(const TSVMainfrm* main);               // PopupMenu1

// Loads a GIF file into gif_animat. A file that cannot be read or is not a
// GIF picture is reported and the current picture stays; true when loaded.
bool loadPictureFile(TSVMainfrm* main, const std::string& name);

// "&Change Image": a ".gif" file chosen by the user becomes the picture and
// [Configuration] WORM.
void ChangeImage1Click(TSVMainfrm* main);
// Tray menu: "&Open Sonvela" brings the window back; "Open Sonvela as &CD
// Player" also shows or hides the CD panel.
void UseSonvela1Click(TSVMainfrm* main);
void UseSonvelaCDPlayer1Click(TSVMainfrm* main);

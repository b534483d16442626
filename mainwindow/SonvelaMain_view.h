// The main window's layout: the seven tool bars in the control bar at the
// top (or one of them at a time beside the access bar at the left), the
// level meters at the right, the picture panel, and the "&View" and
// "&Miscellaneous" menus' drop-down state.
//
// Persistence: the mode is [Options] ViewAccessBar, each bar's visibility
// [Options] ViewPanelFile … ViewPanelHelp, and its place [Options]
// PanelFile_Left/_Top … (main window's PanelPositions, written on close).
// The stored places are always the tool-bar layout: the access bar moves a
// shown bar to its own place without touching them.
#pragma once
#include <QPoint>

class TSVMainfrm;
class QToolBar;
class QWidget;

// Creates the control bar with the seven tool bars and their buttons, the
// access bar and the meter panel (VumeterPanel, Gauge1, Gauge2). Run by the
// main window while it builds its panels, before the commands install, so
// that every installer finds its bar by name (toolBarPanel).
void buildViewPanels(TSVMainfrm* main);

// Gives the view items and buttons their commands, hooks the two menus'
// drop-downs and lays the window out from the settings file (start-up
// steps of the view). Safe to call more than once.
void installViewCommands(TSVMainfrm* main);

// The farthest place (left, top) a tool bar may take in the control bar:
// its grip stays on the screen the window is on, its row in the upper half
// of it. Stored places are brought into 0..this when they are read.
QPoint farthestToolBarPlace(const QWidget* window);

// One of "PanelFile", "PanelEdit", "PanelTools", "PanelFilter",
// "PanelMisc", "PanelView", "PanelHelp"; null before buildViewPanels.
QToolBar* toolBarPanel(TSVMainfrm* main, const char* name);

// Mode switches.
void ViewAccessBar1Click(TSVMainfrm* main);
void ViewToolBars1Click(TSVMainfrm* main);
void CloseAccessBarClick(TSVMainfrm* main);
// A page button of the access bar: 0 File, 1 Edit, 2 Tools, 3 Filter,
// 4 Miscellaneous, 5 Help.
void accessBarPageClick(TSVMainfrm* main, int page);
// The seven tool-bar items, in menu order (0 File … 6 Help): toggles the
// item's check and applies it.
void toolBarItemClick(TSVMainfrm* main, int bar);

// Drop-downs.
void View1Click(TSVMainfrm* main);
void Misce1Click(TSVMainfrm* main);

// These toggle their item's check, as a tool button does; the menu items
// themselves arrive already toggled by Qt and only apply the new check.
void ViewVumeters1Click(TSVMainfrm* main);
void ViewGrid1Click(TSVMainfrm* main);
void Grid_SBClick(TSVMainfrm* main);
void HideShowImage1Click(TSVMainfrm* main);

void ViewVolume1Click(TSVMainfrm* main);

// Geometry of the access bar (never narrower than 80 pixels) and of the
// meter panel.
void Panel_MSOResize(TSVMainfrm* main);
void VumeterPanelResize(TSVMainfrm* main);

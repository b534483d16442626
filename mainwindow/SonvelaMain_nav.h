// The main window's view and selection commands: the zoom, start and length
// boxes with their spin buttons, zoom in/out/into, zero crossings, go to,
// select all/none, the sample report, the hint line and the layout on
// resize.
#pragma once

class TSVMainfrm;

// Registers the handlers, turns "&Zero Crossing" and "&Go to ..." into
// their submenus, adds the spin buttons beside the boxes and the view tool
// buttons, hooks the boxes' keys and focus, the hint line and the resize
// rule. Safe to call more than once.
void installNavigationCommands(TSVMainfrm* main);

// Commands are wired into the main window group by group: each group's
// installer registers the handlers of its menu items (TSVMainfrm::setHandler)
// and any enabling rules of its own.
#pragma once

class TSVMainfrm;

void installCommands(TSVMainfrm* main);

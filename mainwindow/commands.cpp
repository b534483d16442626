#include "mainwindow/commands.h"

#include "mainwindow/SonvelaMain.h"

void installCommands(TSVMainfrm* main) {
    (void)main;
}

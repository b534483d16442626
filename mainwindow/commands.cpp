#include "mainwindow/commands.h"

#include "mainwindow/SonvelaMain.h"
#include "mainwindow/SonvelaMain_edit.h"
#include "mainwindow/SonvelaMain_nav.h"
#include "mainwindow/SonvelaMain_transport.h"
#include "mainwindow/SonvelaMain_effects.h"
#include "mainwindow/SonvelaMain_filters.h"
#include "mainwindow/SonvelaMain_record.h"
#include "mainwindow/SonvelaMain_tools.h"

void installCommands(TSVMainfrm* main) {
    installFileCommands(main);
    installEditCommands(main);
    installNavigationCommands(main);
    installTransportCommands(main);
    installFileToolCommands(main);
    installRecordCommands(main);
    installSpectralCommands(main);
    installAmplitudeCommands(main);
}

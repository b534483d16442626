#include "mainwindow/commands.h"

#include "mainwindow/SonvelaMain.h"
#include "mainwindow/SonvelaMain_edit.h"
#include "mainwindow/SonvelaMain_nav.h"
#include "mainwindow/SonvelaMain_transport.h"
#include "mainwindow/SonvelaMain_effects.h"
#include "mainwindow/SonvelaMain_filters.h"
#include "mainwindow/SonvelaMain_formats.h"
#include "mainwindow/SonvelaMain_record.h"
#include "mainwindow/SonvelaMain_tools.h"
#include "mainwindow/SonvelaMain_cd.h"
#include "mainwindow/SonvelaMain_advfilter.h"
#include "mainwindow/SonvelaMain_convert.h"
#include "mainwindow/SonvelaMain_time.h"
#include "mainwindow/SonvelaMain_picture.h"
#include "mainwindow/SonvelaMain_view.h"
#include "mainwindow/SonvelaMain_info.h"

void installCommands(TSVMainfrm* main) {
    installFileCommands(main);
    installFormatCommands(main);
    installEditCommands(main);
    installNavigationCommands(main);
    installTransportCommands(main);
    installFileToolCommands(main);
    installRecordCommands(main);
    installSpectralCommands(main);
    installAmplitudeCommands(main);
    installCdCommands(main);
    installAdvancedFilterCommands(main);
    installConversionCommands(main);
    installTimeCommands(main);
    installPictureCommands(main);
    installViewCommands(main);
    installInfoCommands(main);
}

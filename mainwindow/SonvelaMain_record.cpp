#include "mainwindow/SonvelaMain_record.h"

#include "dialogs/RecordNewSound.h"
#include "mainwindow/SonvelaMain.h"

void installRecordCommands(TSVMainfrm* main) {
    main->setHandler("SpeedButton15Click", [main] {
        sv::runRecordNewSound(main, [main](const std::string& name) { main->ObrirFitxer(false, name); });
    });
}

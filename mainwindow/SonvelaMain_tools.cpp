#include "mainwindow/SonvelaMain_tools.h"

#include "dialogs/Div_length.h"
#include "dialogs/concatenate.h"
#include "dialogs/div_tracks.h"
#include "dialogs/div_wavs.h"
#include "mainwindow/SonvelaMain.h"

void installFileToolCommands(TSVMainfrm* main) {
    main->setHandler("DivideWaveForm1", [main] { sv::runDivWavs(main); });
    main->setHandler("DivideTracks1", [main] { sv::runDivTracks(main); });
    main->setHandler("DivideByLength_SB", [main] { sv::runDivLength(main); });
    main->setHandler("Imprimir1CliImprimir1", [main] {
        sv::runConcatenate(main, [main](const std::string& name) { main->ObrirFitxer(false, name); });
    });
}

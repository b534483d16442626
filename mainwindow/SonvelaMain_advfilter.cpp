#include "mainwindow/SonvelaMain_advfilter.h"

#include "mainwindow/SonvelaMain.h"
#include "sound/Sound.h"

void installAdvancedFilterCommands(TSVMainfrm* main) {
    // The two numbers are not read in this mode: the dialog gives the band.
    main->setHandler("Filtroavanzado1", [main] {
        main->soundCommand(false, false, [](TSoundfrm* w) { w->transformar("avanzado", 100, 5000); });
    });
}

void mostrar_transf_fft(TSVMainfrm* main) {
    if (!main) return;
    if (TSoundfrm* w = main->activeSound()) w->mostrar_transf_fft();
}

#include "mainwindow/SonvelaMain_filters.h"

#include "dialogs/DynamicExpander.h"
#include "mainwindow/SonvelaMain.h"
#include "sound/Sound.h"

void installSpectralCommands(TSVMainfrm* main) {
    main->setHandler("TelefonicLine1",
                     [main] { main->soundCommand(true, true, [](TSoundfrm* w) { w->linea_telefonica(); }); });
    main->setHandler("Karaoke1", [main] { main->soundCommand(true, true, [](TSoundfrm* w) { w->karaoke(); }); });
    main->setHandler("SpectralAverage1",
                     [main] { main->soundCommand(true, true, [](TSoundfrm* w) { w->Bionic(); }); });
    main->setHandler("Expansordedinamica1", [main] {
        main->soundCommand(false, true, [](TSoundfrm* w) {
            int32_t ratio = 100;
            if (DynamicExpanderfrm && DynamicExpanderfrm->mostrar_form(ratio) == 0)
                w->transformar("expansor_dinamica", 1, ratio);
        });
    });
}

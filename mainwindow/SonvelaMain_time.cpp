#include "mainwindow/SonvelaMain_time.h"

#include "mainwindow/SonvelaMain.h"
#include "sound/Sound.h"

void installTimeCommands(TSVMainfrm* main) {
    // Guards: needSelection for a selection in Edit3, pauseCd for the CD
    // poll timer held off while the command runs.
    auto plain = [main](const char* item, bool needSelection, bool pauseCd, void (TSoundfrm::*op)()) {
        main->setHandler(item, [main, needSelection, pauseCd, op] {
            main->soundCommand(needSelection, pauseCd, [op](TSoundfrm* w) { (w->*op)(); });
        });
    };
    plain("Resamplear1", false, false, &TSoundfrm::Resamplear);
    plain("Eco1", false, false, &TSoundfrm::Eco);
    plain("Reverberar1", false, false, &TSoundfrm::Reverberacion);
    plain("Flanger1", false, false, &TSoundfrm::Flanger);
    plain("Chorus1", false, false, &TSoundfrm::Chorus);
    plain("RoboticVoice1", true, true, &TSoundfrm::robot);
    plain("N19", true, true, &TSoundfrm::super_separacion);
    plain("GreatChopper1", true, true, &TSoundfrm::super_separacion2);
    plain("Gapper1", true, true, &TSoundfrm::Gapper);
    plain("Groove1", true, true, &TSoundfrm::Groove);
    for (const char* item : {"Cambiarvelocidad1", "SpeedButton2Click"})
        main->setHandler(item, [main] {
            main->soundCommand(false, false, [](TSoundfrm* w) { w->cambio_velocidad(false, 0); });
        });
}

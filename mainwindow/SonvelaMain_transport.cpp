// The main window's transport: play, pause, stop, and stopping everything.
#include "mainwindow/SonvelaMain.h"
#include "platform/activity.h"
#include "sound/Sound.h"

using namespace sv;

void TSVMainfrm::SpeedButton16Click() {}

void TSVMainfrm::SpeedButton17Click() {}

void TSVMainfrm::SpeedButton14Click() {}

void TSVMainfrm::parar_todo() {
    setActivity(Activity::Idle);
    habilitar_botones();
    Gauge1->setValue(0);
    Gauge2->setValue(0);
}

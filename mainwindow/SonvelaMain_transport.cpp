// The main window's transport: play, pause, stop, loop mode, and stopping
// everything that plays.
#include "mainwindow/SonvelaMain_transport.h"

#include "platform/activity.h"
#include "platform/audio/wave_out.h"
#include "sound/Sound.h"

using namespace sv;

TSVMainfrm::TransportState& TSVMainfrm::transport() {
    if (!transport_) transport_ = std::make_shared<TransportState>();
    return *transport_;
}

void TSVMainfrm::SpeedButton16Click() {
    if (TSoundfrm* w = activeSound()) w->reproducir_sonido();
}

void TSVMainfrm::SpeedButton17Click() {
    if (TSoundfrm* w = activeSound()) w->parar_sonido();
}

void TSVMainfrm::SpeedButton14Click() {
    if (TSoundfrm* w = activeSound()) w->pausar_sonido();
}

// Called also when nothing plays: every wave-out call on a closed handle
// does nothing.
void TSVMainfrm::parar_todo() {
    TransportState& t = transport();
    setActivity(Activity::Idle);
    if (t.animate) t.animate(false);
    habilitar_botones();
    const WaveOutHandle h = t.WaveOutHandle;
    waveOutReset(h);
    waveOutUnprepareHeader(h, &t.WaveHeaders[0]);
    waveOutUnprepareHeader(h, &t.WaveHeaders[1]);
    waveOutClose(h);
    t.WaveOutHandle = 0;
    if (TSoundfrm* w = t.player) {
        w->Playing = false;
        w->Paused = false;
        // Closing that window later need not stop another window's play.
        w->DeviceOpen = false;
    }
    t.player = nullptr;
    Gauge1->setValue(0);
    Gauge2->setValue(0);
}

// The item is checkable, so a click from the menu has already flipped its
// check when this runs, and a click from a tool button has not: the state
// is kept here and the check set from it.
void TSVMainfrm::Loop1Click() {
    TransportState& t = transport();
    t.loop = !t.loop;
    Loop1->setChecked(t.loop);
    showInBar(Image1, t.loop);
}

void installTransportCommands(TSVMainfrm* main) {
    main->setHandler("SpeedButton16", [main] { main->SpeedButton16Click(); });
    main->setHandler("SpeedButton17", [main] { main->SpeedButton17Click(); });
    main->setHandler("SpeedButton14", [main] { main->SpeedButton14Click(); });
    main->setHandler("Loop1", [main] { main->Loop1Click(); });
}

// The main window's side of playback: the device handle and header copies
// through which parar_todo stops any window's play, the transport buttons
// and loop mode.
#pragma once
#include <QPointer>

#include <functional>

#include "mainwindow/SonvelaMain.h"
#include "platform/audio/wave_types.h"
#include "sound/Sound.h"

struct TSVMainfrm::TransportState {
    // The handle of the play in progress (0 when none) and copies of its
    // two headers. The copies are never queued themselves: unpreparing them
    // only clears their own flags, so parar_todo may do it at any time.
    sv::WaveOutHandle WaveOutHandle = 0;
    sv::WaveHeader WaveHeaders[2];
    // The window whose play that is. parar_todo marks it stopped, so that a
    // play stopped from another window does not go on moving its lines or
    // later "resume" on a closed device.
    QPointer<TSoundfrm> player;
    // Loop mode as last set by Loop1Click (the menu item's check follows it).
    bool loop = false;
    // The main window's picture animates while a sound plays: on at a start
    // or resume, off at a pause or a stop. The picture component plugs in
    // here.
    std::function<void(bool)> animate;
};

// Registers the Play, Pause, Stop and "&Loop" commands.
void installTransportCommands(TSVMainfrm* main);

#pragma once

class TSVMainfrm;

// The time, rate and delay effects of the Tools menu and its Effects
// submenu, and the "Speed up/down" tool button's command ("SpeedButton2Click"),
// each on the active sound window under its guards.
void installTimeCommands(TSVMainfrm* main);

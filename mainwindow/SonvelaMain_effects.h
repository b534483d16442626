#pragma once

class TSVMainfrm;

// The amplitude effects in the Tools, Edit and Filter menus and the
// "Effects" tool button's command ("Efectos1"), each on the active sound
// window under its guards.
void installAmplitudeCommands(TSVMainfrm* main);

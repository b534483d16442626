#pragma once

class TSVMainfrm;

// The colours and options dialog, the information windows, help, the about
// box and the web links: their commands and the Help menu's items.
void installInfoCommands(TSVMainfrm* main);

// "&Colors and settings": the dialog, then applyColorsAndOptions.
void Colors1Click(TSVMainfrm* main);

// After the colours and options dialog, whether or not it was cancelled:
// stores the four main colours, reloads the cached settings, recolours the
// meters and redraws every sound window with its options read again.
void applyColorsAndOptions(TSVMainfrm* main);

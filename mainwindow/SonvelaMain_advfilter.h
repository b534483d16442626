#pragma once

class TSVMainfrm;

// The "Advanced &filter" command: the engine's "avanzado" mode, which asks
// the advanced filter dialog for its settings.
void installAdvancedFilterCommands(TSVMainfrm* main);

// The advanced filter dialog's way to the sound it filters: fills the
// average spectrum from the active sound window's selection. Nothing
// happens without a main window or a sound window.
void mostrar_transf_fft(TSVMainfrm* main);

#pragma once

class TSVMainfrm;

// Filter commands: the time-domain filters, noise generators, histogram and
// wavelet denoising, the fixed filters and effects that run the spectral
// engine, and the dialogs that feed it (filter bank, equalizer, STSA, pitch
// change, customised filter, voice cleaner). Adds the "Add &noise" submenu
// and the filter tool bar; safe to call more than once.
void installSpectralCommands(TSVMainfrm* main);

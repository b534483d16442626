#pragma once

class TSVMainfrm;

// Spectral commands: the fixed filters and effects that run the block engine.
void installSpectralCommands(TSVMainfrm* main);

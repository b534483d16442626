#pragma once

class TSVMainfrm;

// The format conversion commands: "WAV File Format Converter" with its tool
// button, "Convert MP3 to WAV", and the conversion a sound window offers for
// a WAVE format it cannot read.
void installConversionCommands(TSVMainfrm* main);

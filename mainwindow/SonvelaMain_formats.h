#pragma once

class TSVMainfrm;

// The other sound file formats: the ".au", ".snd" and ".raw" readers, the
// A-law/mu-law WAVE reader that ".wav" files of tags 6 and 7 reach, and the
// Save As rows 2 to 8 (mu-law, A-law, delimited and personalised text).
void installFormatCommands(TSVMainfrm* main);

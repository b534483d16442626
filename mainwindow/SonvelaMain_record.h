#pragma once

class TSVMainfrm;

// "&Record a New Sound" and the Record button: the recording dialog, which
// opens a finished take in a sound window when asked to.
void installRecordCommands(TSVMainfrm* main);

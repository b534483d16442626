// The CD player: the panel Panel2 with its transport buttons, time labels,
// play modes and one button per track, the poll timer Timer1, and the
// "CD pla&yer" command. Every action is a command string of
// platform/cd/cd_commands.h.
#pragma once
#include <cstdint>
#include <string>

class TSVMainfrm;

// Builds the panel inside Panel2 and places it at the bottom of the main
// window, connects Timer1, gives "CDplayer1" and the "CD" tool button their
// command, and sets the hooks of "-CD" and of the exit question. Safe to
// call more than once.
void installCdCommands(TSVMainfrm* main);

namespace sv {
// Whole seconds of a "mm:ss:ff" answer: its characters 1, 2, 4 and 5 as
// digits (a missing or non-digit character counts 0; frames are ignored).
int32_t CdTimeToSeconds(const std::string& text);
// "h:m:s" without zero padding.
std::string cdSecondsText(int32_t seconds);
// A position in seconds as the decimal packed value minutes | seconds << 8.
std::string cdPackedSeconds(int32_t seconds);
} // namespace sv

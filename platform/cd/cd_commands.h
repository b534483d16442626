// The CD player's command strings, interpreted for one device, "cdaudio":
//
//   status cdaudio media present          "true" / "false"
//   status cdaudio mode                   "playing" "paused" "stopped" "open" "not ready"
//   status cdaudio number of tracks       "12"
//   status cdaudio type track N           "audio" / "other"
//   status cdaudio length [track N]       "mm:ss:ff"
//   status cdaudio position [track N]     "mm:ss:ff" (the head, or the track's start)
//   status cdaudio current track          "3"
//   play cdaudio [from P]                 P: "mm:ss:ff", or a packed number
//                                         minutes | seconds << 8 | frames << 16
//   pause cdaudio, stop cdaudio
//   set cdaudio door open|closed
//
// Times are minutes, seconds and frames (75 a second), two digits each,
// from the start of the disc. The disc's length is the length of its audio:
// a data session after the music is not counted, so a play ends where the
// music ends. "play" without "from" resumes a pause, and otherwise starts
// at the first track. Words are matched without regard to case.
#pragma once
#include <memory>
#include <string>

#include "platform/cd/cd_drive.h"

namespace sv {

// Runs one command; answer is cleared first and holds the return text.
// Returns 0 or one of the CdError codes.
int mciSendString(const std::string& command, std::string& answer);
// The message for a result code, for the player's message box.
std::string mciGetErrorString(int error);

// The drive the commands act on. Chosen at first use from SONVELA_CD:
// unset, empty or "device", the system's default drive; a device path
// ("/dev/sr1") for that drive; the path of a disc image libcdio reads (a
// ".cue" with its ".bin", ".toc", ".nrg") for a drive holding that disc;
// "simulated" for the simulated drive, which plays nothing (tests). With no
// drive at all every command fails with kCdNoDrive; an image whose sheet
// is refused, or whose music is not there, fails every command with
// kCdBadSheet, whose text names the sheet and the cause.
CdDrive& cdDrive();
// Tests and start-up: put a drive in place (null: choose again).
void setCdDrive(std::unique_ptr<CdDrive> drive);

// "mm:ss:ff" for a frame count.
std::string cdTimeText(int32_t frames);
// Reads "mm[:ss[:ff]]" or a packed number into frames; false when it is
// neither or a field is out of range.
bool parseCdTime(const std::string& text, int32_t& frames);

} // namespace sv

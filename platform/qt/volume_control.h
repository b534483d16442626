// Starts the desktop's volume control (the mixer where the input level and
// the recording source are set). Desktops differ, so the usual mixers are
// tried in turn; the first that starts wins.
#pragma once
#include <functional>
#include <string>
#include <vector>

namespace sv {

// A mixer program with its arguments.
struct VolumeControlCommand {
    std::string program;
    std::vector<std::string> arguments;
};

// The candidates, in the order they are tried.
const std::vector<VolumeControlCommand>& volumeControlCommands();

// Starts a program detached from this one; true when it started. Tests
// replace it so that nothing is launched; null restores the real one.
using ProgramStarter = std::function<bool(const VolumeControlCommand&)>;
void setProgramStarter(ProgramStarter starter);

// True when one of the candidates started.
bool startVolumeControl();

// The command as the user sees it: starts the volume control or says
// "Volume control not found.".
void openVolumeControl();

} // namespace sv

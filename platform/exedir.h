// The program's folder: where the settings file, the clipboard file, the
// undo files of unsaved sounds and the stored filters live. Tests point it
// at a temporary folder (setExeDir or the SONVELA_EXEDIR variable).
#pragma once
#include <string>

namespace sv {

std::string exeDir();                 // with a trailing '/'
void setExeDir(const std::string& dir);
std::string settingsPath();           // exeDir() + "dadoruz.ini"

} // namespace sv

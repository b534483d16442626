// The program's icon in the user's icon theme: one PNG for each size of the
// freedesktop "hicolor" theme and the scalable drawing, all carried in the
// program's resources (":/icons/...").
#pragma once
#include <string>
#include <vector>

namespace sv::install {

// The icon's files below iconThemeFolder(), e.g. "48x48/apps/sonvela.png"
// and "scalable/apps/sonvela.svg".
const std::vector<std::string>& iconFiles();
// Their folders, below iconThemeFolder(), with a trailing '/'.
std::vector<std::string> iconFolders();
// Writes every icon file; false with errno set at the first that fails.
bool installIcons();
// Removes the icon files (the folders are the uninstaller's to prune).
void removeIcons();

} // namespace sv::install

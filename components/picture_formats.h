// What picture classes the program knows by file extension and by clipboard
// format, registered at start-up by the units that implement them.
#pragma once
#include <string>
#include <vector>

namespace sv {

struct PictureFileFormat {
    std::string extension;     // without the dot, lower case
    std::string description;
    std::string className;
};

void RegisterFileFormat(const std::string& extension, const std::string& description, const std::string& className);
void RegisterClipboardFormat(const std::string& format, const std::string& className);
// Drops every file and clipboard registration of the class.
void UnregisterGraphicClass(const std::string& className);

const std::vector<PictureFileFormat>& pictureFileFormats();
// The class registered for an extension (without the dot, any case) or for
// a clipboard format; empty when none.
std::string classForExtension(const std::string& extension);
std::string classForClipboardFormat(const std::string& format);

} // namespace sv

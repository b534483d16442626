#include "components/picture_formats.h"

#include <algorithm>
#include <cctype>
#include <utility>

namespace sv {
namespace {

std::vector<PictureFileFormat>& files() {
    static std::vector<PictureFileFormat> list;
    return list;
}
std::vector<std::pair<std::string, std::string>>& clipboard() {
    static std::vector<std::pair<std::string, std::string>> list;
    return list;
}
std::string lower(std::string s) {
    for (char& c : s) c = char(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

} // namespace

void RegisterFileFormat(const std::string& extension, const std::string& description, const std::string& className) {
    const std::string ext = lower(extension);
    auto& list = files();
    list.erase(std::remove_if(list.begin(), list.end(), [&](const PictureFileFormat& f) { return f.extension == ext; }),
               list.end());
    list.push_back({ext, description, className});
}

void RegisterClipboardFormat(const std::string& format, const std::string& className) {
    auto& list = clipboard();
    list.erase(std::remove_if(list.begin(), list.end(), [&](const auto& f) { return f.first == format; }), list.end());
    list.emplace_back(format, className);
}

void UnregisterGraphicClass(const std::string& className) {
    auto& f = files();
    f.erase(std::remove_if(f.begin(), f.end(), [&](const PictureFileFormat& e) { return e.className == className; }), f.end());
    auto& c = clipboard();
    c.erase(std::remove_if(c.begin(), c.end(), [&](const auto& e) { return e.second == className; }), c.end());
}

const std::vector<PictureFileFormat>& pictureFileFormats() { return files(); }

std::string classForExtension(const std::string& extension) {
    const std::string ext = lower(extension);
    for (const PictureFileFormat& f : files())
        if (f.extension == ext) return f.className;
    return {};
}

std::string classForClipboardFormat(const std::string& format) {
    for (const auto& f : clipboard())
        if (f.first == format) return f.second;
    return {};
}

} // namespace sv

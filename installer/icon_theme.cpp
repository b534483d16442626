#include "installer/icon_theme.h"

#include <QFile>
#include <cerrno>
#include <unistd.h>

#include "installer/install_steps.h"
#include "platform/files.h"
#include "platform/program_groups.h"
#include "resources/icon/program_icon.h"


namespace sv::install {

namespace {

std::string resourceOf(const std::string& file) {
    // ":/icons/hicolor/48x48/apps/sonvela.png"
    return ":/icons/hicolor/" + file;
}

} // namespace

const std::vector<std::string>& iconFiles() {
    static const std::vector<std::string> files = [] {
        std::vector<std::string> f;
        for (int size : {16, 22, 24, 32, 48, 64, 128, 256})
            f.push_back(std::to_string(size) + "x" + std::to_string(size) + "/apps/" + kIconName + ".png");
        f.push_back(std::string("scalable/apps/") + kIconName + ".svg");
        return f;
    }();
    return files;
}

std::vector<std::string> iconFolders() {
    std::vector<std::string> folders;
    for (const std::string& f : iconFiles()) folders.push_back(iconThemeFolder() + f.substr(0, f.find_last_of('/') + 1));
    return folders;
}

bool installIcons() {
    initProgramIconResources();
    for (const std::string& f : iconFiles()) {
        QFile in(QString::fromStdString(resourceOf(f)));
        if (!in.open(QIODevice::ReadOnly)) {
            errno = ENOENT;
            return false;
        }
        const QByteArray bytes = in.readAll();
        const std::string path = iconThemeFolder() + f;
        if (int e = makeFolders(path.substr(0, path.find_last_of('/') + 1))) {
            errno = e;
            return false;
        }
        SafeFileWriter w;
        if (int e = w.open(path)) {
            errno = e;
            return false;
        }
        try {
            w.write(bytes.constData(), size_t(bytes.size()));
            w.commit();
        } catch (const FileIOError& e) {
            errno = e.code() ? e.code() : EIO;
            return false;
        }
    }
    return true;
}

void removeIcons() {
    for (const std::string& f : iconFiles()) ::unlink((iconThemeFolder() + f).c_str());
}

} // namespace sv::install

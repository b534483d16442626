// The installer window's pictures come from setup's resources (made by the
// build from resources/installer/make_view_pictures.cpp).
#include "installer/view_pictures.h"

#include <QByteArray>
#include <QFile>
#include <QString>
#include <map>
#include <string>

static void initInstallerResource() { Q_INIT_RESOURCE(installer_pictures); }

namespace sv {

namespace {

// Kept for the whole run: the views point into it.
ByteView resourceBytes(const char* name) {
    initInstallerResource();
    static std::map<std::string, QByteArray> loaded;
    QByteArray& bytes = loaded[name];
    if (bytes.isEmpty()) {
        QFile f(QString(":/installer/") + name);
        if (f.open(QIODevice::ReadOnly)) bytes = f.readAll();
    }
    return {reinterpret_cast<const unsigned char*>(bytes.constData()), size_t(bytes.size())};
}

} // namespace

ByteView accessBarPictureJpeg() { return resourceBytes("access_bar.jpg"); }
ByteView toolBarsPictureJpeg() { return resourceBytes("toolbars.jpg"); }
ByteView topPictureBmp() { return resourceBytes("top.bmp"); }

} // namespace sv

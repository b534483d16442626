#include "components/icon_clipboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QMimeData>
#include <QPixmap>

#include "components/IcoList.h"
#include "components/picture_formats.h"

namespace sv {

const QString& iconClipboardFormat() {
    static const QString name = "application/x-sonvela-icon";
    return name;
}

void registerIconClipboardFormat() {
    static bool done = false;
    if (done) return;
    done = true;
    RegisterClipboardFormat(iconClipboardFormat().toStdString(), "TIcon");
}

void copyIconToClipboard(const QIcon& icon) {
    if (icon.isNull()) return;
    const std::vector<uint8_t> bytes = iconToFileBytes(icon);
    auto* data = new QMimeData;
    const QByteArray file(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size()));
    data->setData(iconClipboardFormat(), file);
    data->setData("image/x-icon", file);
    data->setImageData(largestIconImage(icon));
    QGuiApplication::clipboard()->setMimeData(data);
}

bool clipboardHasIcon() {
    const QMimeData* d = QGuiApplication::clipboard()->mimeData();
    return d && (d->hasFormat(iconClipboardFormat()) || d->hasFormat("image/x-icon") || d->hasImage());
}

QIcon pasteIconFromClipboard() {
    const QMimeData* d = QGuiApplication::clipboard()->mimeData();
    if (!d) return QIcon();
    for (const QString& f : {iconClipboardFormat(), QString("image/x-icon")}) {
        if (!d->hasFormat(f)) continue;
        const QByteArray b = d->data(f);
        QIcon icon = iconFromFileBytes(reinterpret_cast<const uint8_t*>(b.constData()), size_t(b.size()));
        if (!icon.isNull()) return icon;
    }
    if (d->hasImage()) {
        const QImage img = qvariant_cast<QImage>(d->imageData());
        if (!img.isNull()) return QIcon(QPixmap::fromImage(img));
    }
    return QIcon();
}

} // namespace sv

#include "components/gif_clipboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QMimeData>

#include "components/VCLUtils.h"
#include "components/picture_formats.h"

namespace sv {

const char* const GIFClipboardFormat = "GIF Image";

void registerGIFFormats() {
    struct Registration {
        Registration() {
            RegisterFileFormat("gif", "CompuServe GIF Image", "TGIFImage");
            RegisterClipboardFormat(GIFClipboardFormat, "TGIFImage");
        }
        ~Registration() { UnregisterGraphicClass("TGIFImage"); }
    };
    static Registration once;
}

void SaveGIFToClipboard(TGIFImage& image) {
    if (image.Empty()) return;
    auto* data = new QMimeData;
    data->setImageData(dibToImage(image.Frames(0).Bitmap(), image.Frames(0).TransparentColor));
    bool encoded = true;
    for (int i = 0; i < image.Count(); ++i) encoded = encoded && !image.Frames(i).Item->ImageData.empty();
    if (encoded) {
        const std::vector<uint8_t> gif = image.WriteGIF(true);
        data->setData(GIFClipboardFormat, QByteArray(reinterpret_cast<const char*>(gif.data()), qsizetype(gif.size())));
    }
    QGuiApplication::clipboard()->setMimeData(data);
}

bool LoadGIFFromClipboard(TGIFImage& image) {
    const QMimeData* d = QGuiApplication::clipboard()->mimeData();
    if (!d) return false;
    if (d->hasFormat(GIFClipboardFormat)) {
        const QByteArray b = d->data(GIFClipboardFormat);
        const auto* p = reinterpret_cast<const uint8_t*>(b.constData());
        const size_t n = size_t(b.size());
        if (n < 4) throw EInvalidGraphicOperation("Stream read error");
        const uint32_t length = uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
        if (length > n - 4) throw EInvalidGraphicOperation("Stream read error");
        // Read aside: damaged data leaves the picture as it was.
        TGIFImage read;
        read.ReadGIF(p + 4, length, false);
        if (read.Count() > 0) {
            read.FrameIndex = 0;
            // The bitmap saved with the data spares decoding frame 0; one that
            // another program put there instead is not the frame's.
            if (d->hasImage()) {
                const QImage img = qvariant_cast<QImage>(d->imageData());
                if (!img.isNull() && img.width() == read.Frames(0).Width() && img.height() == read.Frames(0).Height() &&
                    !img.hasAlphaChannel())
                    read.Frames(0).setBitmap(imageToDib(img));
            }
        }
        image.Assign(read);
        return true;
    }
    if (d->hasImage()) {
        const QImage img = qvariant_cast<QImage>(d->imageData());
        if (img.isNull()) return false;
        image.Assign(img);
        return true;
    }
    return false;
}

} // namespace sv

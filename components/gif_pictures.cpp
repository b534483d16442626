// The GIF picture's exchanges with Qt pictures and animated cursors, kept
// apart so that the codec itself needs nothing of Qt.
#include <QImage>
#include <QPainter>
#include <algorithm>

#include "components/AniFile.h"
#include "components/RxGIF.h"
#include "components/VCLUtils.h"

namespace {

const sv::TColor kMagenta = sv::rgbColor(255, 0, 255);

} // namespace

int TGIFImage::AddFrame(const QImage& picture) {
    if (!picture.hasAlphaChannel()) return AddFrame(sv::imageToDib(picture));
    // Transparent pixels become 0xFF00FF, the frame's transparent colour.
    QImage onMagenta(picture.size(), QImage::Format_RGB32);
    onMagenta.fill(QColor(255, 0, 255));
    {
        QPainter p(&onMagenta);
        p.drawImage(0, 0, picture);
    }
    const int index = AddFrame(sv::imageToDib(onMagenta));
    Frames(index).TransparentColor = kMagenta;
    return index;
}

void TGIFImage::Assign(const QImage& picture) {
    reset();
    if (picture.isNull()) {
        changed();
        return;
    }
    AddFrame(picture);
}

void TGIFImage::Assign(const TAnimatedCursorImage& cursor) {
    reset();
    BackgroundColor = sv::clWindow;
    for (int i = 0; i < cursor.Count(); ++i) {
        const TIconFrame& step = cursor.Frames(i);
        const int index = AddFrame(step.Image);
        Frames(index).AnimateInterval = uint16_t(std::min<uint64_t>(uint64_t(step.JiffRate) * 100 / 6, 0xFFFF));
    }
    changed();
}

void TGIFImage::AssignTo(QImage& picture) {
    sv::Dib bmp;
    sv::TColor transparent = sv::clNone;
    if (Empty()) return;
    AssignTo(bmp, &transparent);
    picture = sv::dibToImage(bmp, transparent);
}

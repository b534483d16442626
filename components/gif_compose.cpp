#include "components/gif_compose.h"

#include <algorithm>

namespace sv {

void fillRect(Dib& target, int x, int y, int w, int h, TColor c) {
    const int x0 = std::max(0, x), y0 = std::max(0, y);
    const int x1 = std::min(target.width, x + w), y1 = std::min(target.height, y + h);
    for (int row = y0; row < y1; ++row)
        for (int col = x0; col < x1; ++col) target.setColor(col, row, c);
}

void drawFrameOnto(Dib& target, TGIFFrame& frame) {
    const Dib& bmp = frame.Bitmap();
    const TColor key = frame.TransparentColor;
    const int x0 = std::max(0, -frame.OriginX), y0 = std::max(0, -frame.OriginY);
    const int x1 = std::min(bmp.width, target.width - frame.OriginX);
    const int y1 = std::min(bmp.height, target.height - frame.OriginY);
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x) {
            const TColor c = bmp.color(x, y);
            if (key != clNone && c == key) continue;
            target.setColor(frame.OriginX + x, frame.OriginY + y, c);
        }
}

void FrameComposer::clear() {
    cache_ = Dib();
    CacheIndex = -1;
    CacheTransparentColor = clNone;
}

const Dib& FrameComposer::compose(TGIFImage& image, int index, TColor& transparentColor, TColor windowColor) {
    index = std::min(index, image.Count() - 1);
    // Painting the step already composed again shows it as it is.
    if (hasCache() && index == CacheIndex) {
        transparentColor = CacheTransparentColor;
        return cache_;
    }
    const bool reuse = hasCache() && CacheIndex >= 0 && index == CacheIndex + 1 &&
                       image.Frames(CacheIndex).DisposalMethod != 3;
    if (reuse) {
        transparentColor = CacheTransparentColor;
        TGIFFrame& prev = image.Frames(CacheIndex);
        if (prev.DisposalMethod == 2) fillRect(cache_, prev.OriginX, prev.OriginY, prev.Width(), prev.Height(), brush_);
        drawFrameOnto(cache_, image.Frames(index));
    } else {
        ++full_;
        clear();
        Dib d = Dib::make(image.ScreenWidth, image.ScreenHeight, 24);
        const int own = image.FrameIndex;
        if (own >= 0 && own < image.Count() && image.Frames(own).TransparentColor != clNone) {
            transparentColor = image.Frames(own).TransparentColor;
            brush_ = transparentColor;
        } else if (image.BackgroundColor != clNone && image.Transparent()) {
            brush_ = image.BackgroundColor;
        } else {
            brush_ = windowColor;
        }
        fillRect(d, 0, 0, d.width, d.height, brush_);

        // Back to the last frame that covers the whole screen opaquely (or
        // clears itself before `index`): nothing before it shows.
        int first = std::max(0, index);
        while (first > 0) {
            TGIFFrame& f = image.Frames(first);
            if (f.Width() == image.ScreenWidth && f.Height() == image.ScreenHeight &&
                (f.TransparentColor == clNone || (f.DisposalMethod == 2 && first < index)))
                break;
            --first;
        }
        for (int i = first; i < index; ++i) {
            TGIFFrame& f = image.Frames(i);
            if (f.DisposalMethod <= 1) drawFrameOnto(d, f);
            else if (f.DisposalMethod == 2 && i > first) fillRect(d, f.OriginX, f.OriginY, f.Width(), f.Height(), brush_);
        }
        drawFrameOnto(d, image.Frames(index));
        cache_ = std::move(d);
    }
    CacheIndex = index;
    CacheTransparentColor = transparentColor;
    return cache_;
}

} // namespace sv

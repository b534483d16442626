// Composition of an animation step: the frames of a GIF picture drawn onto
// one screen-sized bitmap following their disposal methods. Consecutive
// steps reuse the previous composition, so a step draws only the previous
// frame's disposal and the new frame.
#pragma once
#include "components/RxGIF.h"

namespace sv {

class FrameComposer {
public:
    // The 24-bit composition of frame `index` (limited to the last frame).
    // transparentColor receives the colour composed as transparent (clNone
    // for none). windowColor stands for the system window colour.
    const Dib& compose(TGIFImage& image, int index, TColor& transparentColor, TColor windowColor);
    // Forgets the composition (the picture changed).
    void clear();

    int CacheIndex = -1;
    TColor CacheTransparentColor = clNone;
    bool hasCache() const { return !cache_.empty(); }
    // Full compositions since construction; a step that reuses the cache
    // does not count.
    int fullCompositions() const { return full_; }

private:
    Dib cache_;
    TColor brush_ = 0;
    int full_ = 0;
};

// Draws a frame's bitmap onto a 24-bit bitmap at its origin, leaving out
// the pixels of its transparent colour.
void drawFrameOnto(Dib& target, TGIFFrame& frame);
// Fills a rectangle of a 24-bit bitmap, clipped to it.
void fillRect(Dib& target, int x, int y, int w, int h, TColor c);

} // namespace sv

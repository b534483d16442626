// The installer window's two view-mode pictures: JPEG images kept in setup's
// resources and decoded with libjpeg when the window is created.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

namespace sv {

struct ByteView {
    const unsigned char* data;
    size_t size;
};

ByteView accessBarPictureJpeg();   // one tool bar at a time, chosen at the left
ByteView toolBarsPictureJpeg();    // every tool bar shown at once
ByteView topPictureBmp();          // the bitmap across the top of the window

struct RgbPicture {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgb;      // width * height * 3 bytes, rows top down
};

// Decodes a JPEG image to RGB. Returns 0, or libjpeg's message code of the
// error that stopped it (the "JPEG error #%d" the window reports); the
// picture is then left empty.
int decodeJpeg(ByteView jpeg, RgbPicture& out);

} // namespace sv

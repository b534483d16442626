#include <gtest/gtest.h>

#include <cstdio>
#include <vector>

#include <jpeglib.h>
#include <jerror.h>

#include "installer/view_pictures.h"

namespace {

TEST(ViewPictures, BothPicturesDecodeToRgb) {
    for (sv::ByteView jpeg : {sv::accessBarPictureJpeg(), sv::toolBarsPictureJpeg()}) {
        sv::RgbPicture pic;
        ASSERT_EQ(sv::decodeJpeg(jpeg, pic), 0);
        EXPECT_EQ(pic.width, 120);
        EXPECT_EQ(pic.height, 80);
        ASSERT_EQ(pic.rgb.size(), 120u * 80u * 3u);
        // The title bar is dark blue.
        EXPECT_LT(pic.rgb[(2 * 120 + 60) * 3 + 0], 60);
        EXPECT_GT(pic.rgb[(2 * 120 + 60) * 3 + 2], 90);
    }
}

TEST(ViewPictures, DataThatIsNotAJpegGivesLibjpegsErrorCodeAndNoPicture) {
    const unsigned char garbage[] = {'G', 'I', 'F', '8', '9', 'a', 0, 0};
    sv::RgbPicture pic;
    pic.width = 5;
    EXPECT_EQ(sv::decodeJpeg({garbage, sizeof garbage}, pic), JERR_NO_SOI);
    EXPECT_EQ(pic.width, 0);
    EXPECT_TRUE(pic.rgb.empty());

    // A header cut short fails too, and the decoder can be used again.
    sv::ByteView whole = sv::accessBarPictureJpeg();
    EXPECT_NE(sv::decodeJpeg({whole.data, 30}, pic), 0);
    EXPECT_EQ(sv::decodeJpeg(whole, pic), 0);
}

} // namespace

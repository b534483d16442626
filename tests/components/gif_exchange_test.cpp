#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QImage>
#include <QMimeData>

#include "components/AniFile.h"
#include "components/RxGIF.h"
#include "components/gif_clipboard.h"
#include "components/picture_formats.h"
#include "tests/components/ani_builder.h"

using namespace sv;

namespace {

// Two 8-bit frames of different pictures, the second with a delay.
void twoFrames(TGIFImage& img) {
    for (int k = 0; k < 2; ++k) {
        Dib d = Dib::make(6, 4, 8);
        for (int i = 0; i < 256; ++i) d.palette[size_t(i)] = rgbColor(uint8_t(i), uint8_t(k * 100), uint8_t(255 - i));
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 6; ++x) d.setIndex(x, y, unsigned((x + y * 6 + k * 3) % 7));
        const int i = img.AddFrame(d);
        img.Frames(i).AnimateInterval = uint16_t(k * 200);
    }
    img.EncodeFrames(true);
}

void expectSameFrames(TGIFImage& a, TGIFImage& b) {
    ASSERT_EQ(a.Count(), b.Count());
    for (int i = 0; i < a.Count(); ++i) {
        const Dib& x = a.Frames(i).Bitmap();
        const Dib& y = b.Frames(i).Bitmap();
        ASSERT_EQ(x.width, y.width);
        ASSERT_EQ(x.height, y.height);
        EXPECT_EQ(a.Frames(i).AnimateInterval, b.Frames(i).AnimateInterval);
        for (int r = 0; r < x.height; ++r)
            for (int c = 0; c < x.width; ++c) ASSERT_EQ(x.color(c, r), y.color(c, r)) << i << ": " << c << "," << r;
    }
}

} // namespace

TEST(GifClipboard, SaveThenLoadGivesTheSameFrames) {
    registerGIFFormats();
    EXPECT_EQ(classForExtension("GIF"), "TGIFImage");
    EXPECT_EQ(classForClipboardFormat("GIF Image"), "TGIFImage");
    bool described = false;
    for (const PictureFileFormat& f : pictureFileFormats()) described |= f.description == "CompuServe GIF Image";
    EXPECT_TRUE(described);

    TGIFImage img;
    twoFrames(img);
    SaveGIFToClipboard(img);
    const QMimeData* d = QApplication::clipboard()->mimeData();
    ASSERT_TRUE(d && d->hasFormat("GIF Image"));
    ASSERT_TRUE(d->hasImage());
    const QByteArray gif = d->data("GIF Image");
    // A 32-bit length, then the GIF itself.
    ASSERT_GT(gif.size(), 10);
    EXPECT_EQ(uint32_t(uint8_t(gif[0])) | uint32_t(uint8_t(gif[1])) << 8, uint32_t(gif.size() - 4));
    EXPECT_EQ(gif.mid(4, 3), QByteArray("GIF"));

    TGIFImage back;
    ASSERT_TRUE(LoadGIFFromClipboard(back));
    EXPECT_EQ(back.FrameIndex, 0);
    expectSameFrames(img, back);

    // Damaged data is refused and the picture stays.
    auto* bad = new QMimeData;
    bad->setData("GIF Image", QByteArray("\xFF\xFF\x00\x00GIF89a", 10));
    QApplication::clipboard()->setMimeData(bad);
    EXPECT_THROW(LoadGIFFromClipboard(back), EInvalidGraphicOperation);
    EXPECT_EQ(back.Count(), 2);

    // A plain bitmap becomes the one frame.
    QImage plain(3, 2, QImage::Format_RGB32);
    plain.fill(QColor(10, 20, 30));
    QApplication::clipboard()->setImage(plain);
    ASSERT_TRUE(LoadGIFFromClipboard(back));
    ASSERT_EQ(back.Count(), 1);
    EXPECT_EQ(back.Frames(0).Bitmap().color(2, 1), rgbColor(10, 20, 30));
    QApplication::clipboard()->clear();
}

TEST(GifPictures, FormDataEqualityCommentAndSize) {
    TGIFImage img;
    twoFrames(img);
    img.Frames(1).Comment().push_back("second");
    const std::vector<uint8_t> data = img.WriteData();
    TGIFImage back;
    back.ReadData(data.data(), data.size());
    expectSameFrames(img, back);
    EXPECT_EQ(back.Frames(1).Comment(), std::vector<std::string>{"second"});
    EXPECT_TRUE(back.Frames(0).Comment().empty());   // made on asking
    EXPECT_THROW(back.ReadData(data.data(), data.size() - 1), EInvalidGraphicOperation);

    EXPECT_FALSE(back.Equals(img));
    TGIFImage copy;
    copy.Assign(img);
    EXPECT_TRUE(copy.Equals(img));
    try {
        img.SetWidth(10);
        FAIL();
    } catch (const EInvalidGraphicOperation& e) {
        EXPECT_STREQ(e.what(), "Cannot change the Size of a GIF image");
    }
    EXPECT_THROW(img.SetHeight(10), EInvalidGraphicOperation);
}

TEST(GifPictures, AssignmentFromAndToOtherPictures) {
    TGIFImage img;
    twoFrames(img);
    // One frame of another image, with that image's colours.
    TGIFImage one;
    one.Assign(img.Frames(1));
    ASSERT_EQ(one.Count(), 1);
    EXPECT_EQ(one.FrameIndex, 0);
    EXPECT_EQ(one.Frames(0).AnimateInterval, 200);
    EXPECT_EQ(one.Frames(0).Item, img.Frames(1).Item);   // the encoded data is shared
    EXPECT_EQ(one.Version, 1);
    // A frame of the image itself.
    img.Assign(img.Frames(1));
    EXPECT_EQ(img.Count(), 1);

    // A picture with transparent pixels: drawn on 0xFF00FF, its transparent colour.
    QImage pic(4, 4, QImage::Format_ARGB32);
    pic.fill(Qt::transparent);
    pic.setPixel(1, 1, qRgb(0, 200, 0));
    TGIFImage fromPic;
    fromPic.Assign(pic);
    ASSERT_EQ(fromPic.Count(), 1);
    EXPECT_EQ(fromPic.Frames(0).TransparentColor, rgbColor(255, 0, 255));
    EXPECT_EQ(fromPic.Frames(0).Bitmap().color(0, 0), rgbColor(255, 0, 255));
    EXPECT_EQ(fromPic.Frames(0).Bitmap().color(1, 1), rgbColor(0, 200, 0));
    // ...and back to a picture with the transparency.
    QImage out;
    fromPic.AssignTo(out);
    EXPECT_EQ(qAlpha(out.pixel(0, 0)), 0);
    EXPECT_EQ(out.pixel(1, 1), qRgb(0, 200, 0));
    Dib bmp;
    TColor key = 0;
    fromPic.AssignTo(bmp, &key);
    EXPECT_EQ(key, rgbColor(255, 0, 255));
    TGIFImage empty;
    QImage untouched(1, 1, QImage::Format_RGB32);
    empty.AssignTo(untouched);
    EXPECT_EQ(untouched.width(), 1);

    // A bitmap: reset and one frame.
    fromPic.Assign(Dib::make(5, 3, 24));
    EXPECT_EQ(fromPic.Count(), 1);
    EXPECT_EQ(fromPic.ScreenWidth, 5);
    EXPECT_EQ(fromPic.Frames(0).TransparentColor, clNone);

    // An animated cursor: each step a frame at its rate.
    anitest::AniSpec s = anitest::threeColours();
    s.rates = {6, 12, 60};
    TAnimatedCursorImage ani;
    ani.LoadFromStream(anitest::aniFile(s));
    TGIFImage fromAni;
    fromAni.Assign(ani);
    ASSERT_EQ(fromAni.Count(), 3);
    EXPECT_EQ(fromAni.BackgroundColor, clWindow);
    EXPECT_EQ(fromAni.Frames(0).AnimateInterval, 100);
    EXPECT_EQ(fromAni.Frames(2).AnimateInterval, 1000);
    EXPECT_EQ(fromAni.Frames(1).Bitmap().color(2, 2), rgbColor(0, 255, 0));
    // The frames encode and read back.
    const std::vector<uint8_t> gif = fromAni.WriteGIF(false);
    TGIFImage reread;
    reread.LoadFromStream(gif);
    EXPECT_EQ(reread.Count(), 3);
    EXPECT_EQ(reread.Frames(2).Bitmap().color(1, 1), rgbColor(0, 0, 255));
}

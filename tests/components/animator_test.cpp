#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QWidget>

#include "components/GIFCtrl.h"
#include "components/gif_compose.h"

using namespace sv;

namespace {

const TColor kKey = rgbColor(255, 0, 255);

// A 4-bit frame of one colour index with a red pixel at (x, y).
Dib solid(int w, int h, unsigned index, int x = -1, int y = -1) {
    Dib d = Dib::make(w, h, 4);
    d.palette = {kKey, rgbColor(255, 0, 0), rgbColor(0, 255, 0), rgbColor(0, 0, 255)};
    d.palette.resize(16, 0);
    for (int r = 0; r < h; ++r)
        for (int c = 0; c < w; ++c) d.setIndex(c, r, index);
    if (x >= 0) d.setIndex(x, y, 1);
    return d;
}

// A picture of `frames` full-size frames, read back from its GIF data as a
// loaded picture would be.
void makeAnimation(TGIFImage& img, int frames, uint16_t delayMs, TColor transparent = clNone) {
    TGIFImage out;
    for (int i = 0; i < frames; ++i) {
        const int f = out.AddFrame(solid(8, 6, 2 + unsigned(i % 2), i, 0));
        out.Frames(f).AnimateInterval = delayMs;
        out.Frames(f).TransparentColor = transparent;
    }
    img.LoadFromStream(out.WriteGIF(false));
}

} // namespace

TEST(FrameComposition, StepsReuseTheCacheUnlessAFrameRestoresThePrevious) {
    TGIFImage img;
    makeAnimation(img, 3, 100);
    img.Frames(1).DisposalMethod = 3;
    FrameComposer c;
    TColor t = clNone;
    c.compose(img, 0, t, 0);
    c.compose(img, 1, t, 0);
    EXPECT_EQ(c.fullCompositions(), 1);
    const Dib& d = c.compose(img, 2, t, 0);
    EXPECT_EQ(c.fullCompositions(), 2);
    EXPECT_EQ(d.color(2, 0), rgbColor(255, 0, 0));
    EXPECT_EQ(d.color(1, 0), rgbColor(0, 255, 0));   // frame 1 is not under frame 2
    // Painting the same step again composes nothing.
    c.compose(img, 2, t, 0);
    EXPECT_EQ(c.fullCompositions(), 2);
    EXPECT_EQ(t, clNone);
}

TEST(FrameComposition, TransparentFirstFrameAndRestoredBackground) {
    TGIFImage img;
    TGIFImage out;
    out.AddFrame(solid(8, 6, 0, 0, 0));   // transparent but for one pixel
    out.AddFrame(solid(2, 2, 2));
    out.Frames(0).TransparentColor = kKey;
    out.Frames(0).DisposalMethod = 2;
    img.LoadFromStream(out.WriteGIF(false));
    img.Frames(1).OriginX = 3;
    FrameComposer c;
    TColor t = clNone;
    const Dib& first = c.compose(img, 0, t, rgbColor(1, 2, 3));
    EXPECT_EQ(t, kKey);
    EXPECT_EQ(first.color(5, 5), kKey);   // the background is the transparent colour
    EXPECT_EQ(first.color(0, 0), rgbColor(255, 0, 0));
    const Dib& second = c.compose(img, 1, t, rgbColor(1, 2, 3));
    EXPECT_EQ(second.color(0, 0), kKey);   // frame 0 was cleared away
    EXPECT_EQ(second.color(3, 0), rgbColor(0, 255, 0));
}

class AnimatorTest : public ::testing::Test {
protected:
    QWidget parent;
    TRxGIFAnimator* gif = new TRxGIFAnimator(&parent);
    void SetUp() override {
        parent.resize(100, 100);
        gif->setAutoSize(false);
        gif->setGeometry(0, 0, 40, 40);
    }
};

TEST_F(AnimatorTest, FrameDelaysAreClampedAndOneFrameNeverTicks) {
    makeAnimation(gif->Image(), 2, 10);   // one hundredth of a second
    EXPECT_EQ(gif->FrameDelay(0), 50u);
    EXPECT_EQ(gif->Timer->Interval(), 50u);
    makeAnimation(gif->Image(), 2, 20000);
    EXPECT_EQ(gif->FrameDelay(0), 10000u);

    makeAnimation(gif->Image(), 1, 500);
    EXPECT_EQ(gif->FrameDelay(0), 0u);
    int started = 0;
    gif->OnStart = [&] { ++started; };
    gif->SetAnimate(true);
    EXPECT_TRUE(gif->Animate());
    EXPECT_EQ(started, 1);
    EXPECT_FALSE(gif->Timer->isTicking());
    gif->AdvanceFrame();
    EXPECT_EQ(gif->FrameIndex(), 0);
}

TEST_F(AnimatorTest, StepsWrapAndStopWithoutLoop) {
    makeAnimation(gif->Image(), 3, 200);
    gif->Image().Frames(1).AnimateInterval = 700;
    std::vector<std::string> events;
    gif->OnFrameChanged = [&] { events.push_back("frame " + std::to_string(gif->FrameIndex())); };
    gif->OnStop = [&] { events.push_back("stop"); };
    gif->SetAnimate(true);
    EXPECT_TRUE(gif->Timer->isTicking());
    gif->AdvanceFrame();
    EXPECT_EQ(gif->Timer->Interval(), 700u);
    gif->Loop = false;
    gif->AdvanceFrame();
    gif->AdvanceFrame();
    EXPECT_EQ(events, (std::vector<std::string>{"frame 1", "frame 2", "frame 0", "stop"}));
    EXPECT_FALSE(gif->Animate());
    EXPECT_FALSE(gif->Timer->isTicking());

    // Ticks while hidden change nothing; neither do indexes out of range.
    gif->hide();
    gif->AdvanceFrame();
    EXPECT_EQ(gif->FrameIndex(), 0);
    events.clear();
    gif->setFrameIndex(0);
    gif->setFrameIndex(-1);
    gif->setFrameIndex(3);
    EXPECT_TRUE(events.empty());
    gif->setFrameIndex(2);
    EXPECT_EQ(events, std::vector<std::string>{"frame 2"});
}

TEST_F(AnimatorTest, TransparentColourShowsTheParent) {
    parent.setAutoFillBackground(true);
    QPalette pal = parent.palette();
    pal.setColor(QPalette::Window, QColor(10, 200, 30));
    parent.setPalette(pal);
    TGIFImage img;
    TGIFImage out;
    out.AddFrame(solid(8, 6, 0, 0, 0));
    out.Frames(0).TransparentColor = kKey;
    img.LoadFromStream(out.WriteGIF(false));
    gif->setImage(img);
    parent.show();
    QImage shot = parent.grab().toImage();
    EXPECT_EQ(shot.pixelColor(0, 0), QColor(255, 0, 0));
    EXPECT_EQ(shot.pixelColor(5, 5), QColor(10, 200, 30));
    gif->setTransparent(false);
    shot = parent.grab().toImage();
    EXPECT_EQ(shot.pixelColor(5, 5), QColor(255, 0, 255));
    // Centred: the 8 x 6 picture in the 40 x 40 control.
    gif->setCenter(true);
    EXPECT_EQ(gif->targetRect(), QRect(16, 17, 8, 6));
}

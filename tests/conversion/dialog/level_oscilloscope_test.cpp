// The level source republishes any publisher's blocks as 16-bit stereo
// with peaks; the oscilloscope samples and draws them.
#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>

#include "conversion/kaAudioControls.h"
#include "tests/conversion/conversion_support.h"

using namespace sv;
using namespace sv::test;

namespace {

// A publisher of 16-bit stereo PCM at the level source's own rate, so that
// the samples arrive unchanged.
struct StereoPublisher {
    TkaAudioConvertor conv;
    StereoPublisher() {
        conv.SetFormatIn(pcmHolder(2, 48000, 16));
        conv.SetFormatOut(pcmHolder(2, 48000, 16));
        conv.Open();
    }
    void send(const std::vector<int16_t>& interleaved) {
        auto bytes = bytesOf(interleaved);
        conv.ConvertBuffer(bytes.data(), static_cast<int32_t>(bytes.size()));
    }
};

} // namespace

TEST(LevelSource, SplitsChannelsAndTakesPeaks) {
    StereoPublisher pub;
    TkaAudioControlSource src;
    src.SetAudioSource(&pub.conv);
    int changed = 0;
    src.OnDataChanged = [&](TkaAudioControlSource*) { ++changed; };
    // A subscriber of the source gets the republished 16-bit stereo block.
    TkaAudioConvertor follower;
    follower.SetAudioSource(&src);
    int32_t followerBytes = 0;
    follower.SetFormatOut(pcmHolder(2, 48000, 16));
    follower.OnAudioConverted = [&](TkaAudioConvertor*, const void*, int32_t n, bool&) { followerBytes += n; };

    pub.send({1000, 5, -20000, -7, 300, 9});
    ASSERT_EQ(src.FrameCount(), 3);
    EXPECT_EQ(src.LeftPeak(), 20000);
    EXPECT_EQ(src.RightPeak(), 9);
    EXPECT_EQ(src.LeftData()[1], -20000);
    EXPECT_EQ(src.RightData()[2], 9);
    EXPECT_EQ(changed, 1);
    EXPECT_EQ(followerBytes, 12);
    EXPECT_EQ(src.Convertor().FormatOut().SamplesPerSec(), 48000u);

    // The fullest negative sample counts as the largest peak that fits.
    pub.send({-32768, 0});
    EXPECT_EQ(src.FrameCount(), 1);
    EXPECT_EQ(src.LeftPeak(), 32767);
    EXPECT_EQ(src.RightPeak(), 0);
    EXPECT_EQ(src.Capacity(), 3);   // the arrays keep the largest block's room
}

TEST(LevelSource, ConvertsOtherFormatsAndEmptyBlocksGiveNothing) {
    TkaAudioConvertor pub;
    pub.SetFormatIn(pcmHolder(1, 8000, 8));
    pub.SetFormatOut(pcmHolder(1, 8000, 8));
    pub.Open();
    TkaAudioControlSource src;
    src.SetAudioSource(&pub);
    std::vector<uint8_t> block(800, 127 + 64);
    pub.ConvertBuffer(block.data(), 800);
    // 0.1 s of mono 8000 Hz becomes about 0.1 s of stereo at 48000 Hz (less
    // the resampler's delay).
    EXPECT_NEAR(src.FrameCount(), 4800, 200);
    EXPECT_GT(src.LeftPeak(), 10000);
    EXPECT_EQ(src.LeftPeak(), src.RightPeak());

    src.QueryAudioObserver()->AudioDataReceived(pub.QueryAudioSubject(), nullptr, 0);
    EXPECT_EQ(src.FrameCount(), 0);
    EXPECT_EQ(src.LeftPeak(), 0);
    EXPECT_EQ(src.RightPeak(), 0);
}

TEST(LevelSource, MonoBlocksReadAtTheirFullLevelOnBothBars) {
    TkaAudioConvertor pub;
    pub.SetFormatIn(pcmHolder(1, 48000, 16));
    pub.SetFormatOut(pcmHolder(1, 48000, 16));
    pub.Open();
    TkaAudioControlSource src;
    src.SetAudioSource(&pub);
    auto bytes = bytesOf(std::vector<int16_t>{100, -20000, 3000, 5});
    pub.ConvertBuffer(bytes.data(), static_cast<int32_t>(bytes.size()));
    EXPECT_EQ(src.LeftPeak(), 20000);
    EXPECT_EQ(src.RightPeak(), 20000);
}

TEST(Oscilloscope, NumberOfPointsBelowTenIsRefused) {
    TkaOscilloscope osc;
    EXPECT_EQ(osc.NumberOfPoints(), 200);
    try {
        osc.SetNumberOfPoints(9);
        FAIL() << "accepted 9 points";
    } catch (const EOscilloscopeError& e) {
        EXPECT_STREQ(e.what(), "Invalid number of points.");
    }
    EXPECT_EQ(osc.NumberOfPoints(), 200);
    osc.SetNumberOfPoints(10);
    EXPECT_EQ(osc.NumberOfPoints(), 10);
}

TEST(Oscilloscope, CurveSamplesEvenlySpacedFrames) {
    std::vector<int16_t> v(1000);
    for (int i = 0; i < 1000; ++i) v[size_t(i)] = static_cast<int16_t>(i * 30);
    // Half height 32768: the offset from the centre line is the sample itself.
    auto pts = TkaCustomOscilloscope::CurvePoints(v.data(), 1000, QRect(5, 0, 900, 65536), 10, ooHorizontal);
    ASSERT_EQ(pts.size(), 10u);
    for (int k = 0; k < 10; ++k) {
        EXPECT_EQ(pts[size_t(k)].x(), 5 + k * 100) << k;
        EXPECT_EQ(pts[size_t(k)].y(), 32768 + k * 100 * 30) << k;
    }
    auto vert = TkaCustomOscilloscope::CurvePoints(v.data(), 1000, QRect(0, 7, 65536, 900), 10, ooVertical);
    ASSERT_EQ(vert.size(), 10u);
    EXPECT_EQ(vert[3], QPoint(32768 + 300 * 30, 7 + 300));
    // More points than frames repeat frames instead of reading past the end.
    auto dense = TkaCustomOscilloscope::CurvePoints(v.data(), 3, QRect(0, 0, 100, 100), 10, ooHorizontal);
    EXPECT_EQ(dense.back().y(), 50 + int(std::nearbyint(50.0 * 60 / 32768)));
}

TEST(Oscilloscope, DrawsOnlyItsBackgroundWithoutFrames) {
    StereoPublisher pub;
    TkaAudioControlSource src;
    src.SetAudioSource(&pub.conv);
    TkaOscilloscope osc;
    osc.resize(60, 40);
    osc.SetColor(Qt::white);
    osc.SetPenLeft(QPen(Qt::green));
    osc.SetPenRight(QPen(Qt::red));
    osc.SetAudioControlSource(&src);
    auto render = [&] {
        QImage img(60, 40, QImage::Format_RGB32);
        img.fill(Qt::black);
        QPainter p(&img);
        osc.Paint(p);
        return img;
    };
    auto count = [](const QImage& img, QColor c) {
        int n = 0;
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x) n += img.pixelColor(x, y) == c;
        return n;
    };
    QImage empty = render();
    EXPECT_EQ(count(empty, Qt::white), 60 * 40);

    std::vector<int16_t> block(2 * 400, 0);
    pub.send(block);
    QImage drawn = render();
    EXPECT_GT(count(drawn, Qt::green), 0);
    EXPECT_GT(count(drawn, Qt::red), 0);

    // A handler that paints the background itself keeps the default fill away.
    osc.OnPaintBackground = [](QObject*, bool& handled) { handled = true; };
    EXPECT_EQ(count(render(), Qt::white), 0);
}

// The selection arithmetic without windows: zero crossings at the sound's
// edges, the sample report, the typed boxes and the wheel.
#include <gtest/gtest.h>

#include <vector>

#include "sound/engine/navigation.h"

using namespace sv;

namespace {

SoundBuffer mono16(const std::vector<int16_t>& v, int64_t start, int64_t length) {
    SoundBuffer s;
    s.format = SampleFormat::pcm(22050, 16, 1);
    s.bytes.resize(v.size() * 2);
    for (size_t i = 0; i < v.size(); ++i) {
        s.bytes.data()[2 * i] = uint8_t(uint16_t(v[i]));
        s.bytes.data()[2 * i + 1] = uint8_t(uint16_t(v[i]) >> 8);
    }
    s.setSelection(start, length);
    return s;
}

SoundBuffer mono8(const std::vector<uint8_t>& v, int64_t start, int64_t length) {
    SoundBuffer s;
    s.format = SampleFormat::pcm(22050, 8, 1);
    s.bytes.assign(v.data(), v.size());
    s.setSelection(start, length);
    return s;
}

// Interleaved left/right 16-bit frames.
SoundBuffer stereo16(const std::vector<int16_t>& lr, int64_t start, int64_t length) {
    SoundBuffer s = mono16(lr, 0, 0);
    s.format = SampleFormat::pcm(22050, 16, 2);
    s.setSelection(start, length);
    return s;
}

} // namespace

TEST(Columns, FrameUnderAColumnAndBack) {
    EXPECT_EQ(frameAtColumn(10, 4, 100), 140);
    EXPECT_EQ(columnOfFrame(140, 4, 100), 10);
    EXPECT_EQ(columnOfFrame(143, 4, 100), 10);
    EXPECT_EQ(columnOfFrame(50, 4, 100), 0);   // left of the view
    EXPECT_EQ(columnOfFrame(7, 0, 0), 7);      // a zero zoom counts as 1
}

TEST(ZeroCrossings, InwardMovesBothEdgesToTheirCrossings) {
    //                 0   1   2   3    4    5   6   7   8    9
    auto s = mono16({5, 5, 5, -5, -5, -5, 5, 5, -5, -5}, 1, 8);
    // Start 'r': from 2 up; frame 3 (-5) against frame 2 (5) crosses.
    // End 'l' from 8 down, against the new start's sample (-5): frame 7 (5)
    // against frame 8 (-5) crosses and lies opposite.
    const ZeroCrossingResult r = findZeroCrossings(s, 'r', 'l');
    EXPECT_TRUE(r.startMoved);
    EXPECT_EQ(r.start, 3);
    EXPECT_TRUE(r.endMoved);
    EXPECT_EQ(r.start + r.length, 7);
}

TEST(ZeroCrossings, OutwardAndNothingToFind) {
    auto s = mono16({5, -5, 5, 5, 5, 5, 5, -5, 5}, 4, 1);
    const ZeroCrossingResult r = findZeroCrossings(s, 'l', 'r');
    // Start 'l' from 3 down: frame 1 (-5) against frame 2 (5).
    EXPECT_EQ(r.start, 1);
    // End 'r' from 6 up, opposite to -5: frame 8 (5) against frame 7 (-5).
    EXPECT_EQ(r.start + r.length, 8);
    // A flat sound has no crossing: the selection stays.
    auto flat = mono16(std::vector<int16_t>(20, 100), 5, 5);
    const ZeroCrossingResult f = findZeroCrossings(flat, 'l', 'r');
    EXPECT_FALSE(f.startMoved);
    EXPECT_FALSE(f.endMoved);
    EXPECT_EQ(f.start, 5);
    EXPECT_EQ(f.length, 5);
}

TEST(ZeroCrossings, EdgesOfTheSound) {
    // A cursor at frame count: the left search starts at the last frame,
    // whose neighbour does not exist, and finds frame 3 against frame 4.
    auto s = mono16({5, 5, 5, 5, -5}, 5, 0);
    ZeroCrossingResult r = findZeroCrossings(s, 'l', 'l');
    EXPECT_TRUE(r.startMoved);
    EXPECT_EQ(r.start, 3);
    // Searching right of a selection that reaches the end finds nothing.
    auto t = mono16({5, -5, 5, -5}, 0, 4);
    r = findZeroCrossings(t, 'n', 'r');
    EXPECT_FALSE(r.endMoved);
    EXPECT_EQ(r.length, 4);
    // Start 'r' up to the end of a selection that reaches the end: the
    // frame at the end is never read.
    r = findZeroCrossings(mono16({5, 5, 5, 5}, 0, 4), 'r', 'n');
    EXPECT_FALSE(r.startMoved);
    // With the end left alone the start side is judged by the frame after
    // the selection, which does not exist here: nothing moves.
    r = findZeroCrossings(mono16({5, -5, 5, -5}, 2, 2), 'l', 'n');
    EXPECT_FALSE(r.startMoved);
    EXPECT_EQ(r.start, 2);
    // A cursor at 0 has nothing left of it.
    r = findZeroCrossings(mono16({5, -5, 5}, 0, 0), 'l', 'n');
    EXPECT_FALSE(r.startMoved);
    // An empty sound.
    SoundBuffer empty;
    empty.format = SampleFormat::pcm(22050, 16, 1);
    r = findZeroCrossings(empty, 'l', 'r');
    EXPECT_EQ(r.start, 0);
    EXPECT_EQ(r.length, 0);
}

TEST(ZeroCrossings, StartSideFollowsTheFrameAfterTheSelection) {
    // End 'n': the new start must lie opposite the sample after the
    // selection (frame 6 = 5, so the start must be below the centre).
    auto s = mono16({-5, 5, -5, 5, 5, 5, 5, 5}, 4, 2);
    ZeroCrossingResult r = findZeroCrossings(s, 'l', 'n');
    EXPECT_EQ(r.start, 2);   // frame 3 (5) crosses too, but lies on the same side
    EXPECT_EQ(r.start + r.length, 6);
    // A sample at the centre after the selection: nothing qualifies.
    auto c = mono16({-5, 5, -5, 5, 5, 5, 0, 5}, 4, 2);
    r = findZeroCrossings(c, 'l', 'n');
    EXPECT_FALSE(r.startMoved);
}

TEST(ZeroCrossings, EightBitStartAtTheCentreLeavesTheEnd) {
    auto s = mono8({127, 200, 50, 200, 50, 200}, 0, 3);
    const ZeroCrossingResult r = findZeroCrossings(s, 'n', 'r');
    EXPECT_FALSE(r.endMoved);
    EXPECT_EQ(r.length, 3);
    // Away from the centre the 8-bit search compares with 127: frame 4
    // (50) against frame 3 (200) lies opposite the start's 200.
    auto t = mono8({200, 200, 200, 200, 50, 200}, 0, 2);
    const ZeroCrossingResult u = findZeroCrossings(t, 'n', 'r');
    EXPECT_TRUE(u.endMoved);
    EXPECT_EQ(u.length, 4);
}

TEST(ZeroCrossings, StereoTakesEitherChannel) {
    // Left stays positive; the right crosses between frames 2 and 3.
    auto s = stereo16({9, 5, 9, 5, 9, 5, 9, -5, 9, -5}, 0, 1);
    ZeroCrossingResult r = findZeroCrossings(s, 'n', 'r');
    EXPECT_TRUE(r.endMoved);
    EXPECT_EQ(r.length, 3);
    // Each channel is judged against its own sample at the start: the
    // right channel starts at -5 here, so its rise from -5 to 5 counts.
    auto t = stereo16({9, -5, 9, -5, 9, 5, 9, 5}, 0, 1);
    r = findZeroCrossings(t, 'n', 'r');
    EXPECT_EQ(r.length, 2);
}

TEST(SampleReport, LevelsAndLines) {
    EXPECT_EQ(sampleLevelText(127, 8), "-inf");
    EXPECT_EQ(sampleLevelText(0, 16), "-inf");
    EXPECT_EQ(sampleLevelText(16384, 16), "-6.02");
    EXPECT_EQ(sampleLevelText(255, 8), "0");
    EXPECT_EQ(sampleLevelText(-32768, 16), "0");
    EXPECT_EQ(sampleLevelText(1, 16), "-90.3");

    auto m = mono8({127, 255}, 0, 0);
    EXPECT_EQ(sampleReport(m, 1, "0':0'':0ms"),
              "- Sample Number : 1\n- Value : 255\n- Decibels : 0 dB\n- Time : 0':0'':0ms");
    auto s = stereo16({16384, 0}, 0, 0);
    EXPECT_EQ(sampleReport(s, 0, "t"),
              "- Sample Number : 0\n- Left Channel Value : 16384\n- Decibels (L): -6.02 dB\n"
              "- Right Channel Value : 0\n- Decibels (R): -inf dB\n- Time : t");
}

TEST(TypedBoxes, TimeLabels) {
    EXPECT_EQ(timeLabel(1995525, 22050), "1':30'':500ms");   // 90.5 s
    EXPECT_EQ(timeLabel(0, 44100), "0':0'':0ms");
    // At 16 frames a second one frame is 62.5 ms, three 187.5 ms: halves
    // go to the even neighbour.
    EXPECT_EQ(timeLabel(1, 16), "0':0'':62ms");
    EXPECT_EQ(timeLabel(3, 16), "0':0'':188ms");
}

TEST(TypedBoxes, StartAndLengthStayInsideTheSound) {
    TypedSelection t = startTyped(1200, 1000, 500);
    EXPECT_EQ(t.start, 1000);
    EXPECT_EQ(t.length, 200);
    t = startTyped(1200, 5000, 10);
    EXPECT_EQ(t.start, 1200);
    EXPECT_EQ(t.length, 0);
    EXPECT_TRUE(t.lengthZeroed);
    t = startTyped(1200, -7, -3);
    EXPECT_EQ(t.start, 0);
    EXPECT_EQ(t.length, 0);

    EXPECT_EQ(lengthTyped(1200, 1000, 1000, 500), 200);
    EXPECT_EQ(lengthTyped(1200, 0, 1000, 100), 100);
    // The typed start needs no cut, the window's start does.
    EXPECT_EQ(lengthTyped(1200, 0, 1150, 100), 50);
    EXPECT_EQ(lengthTyped(1200, 0, 0, -4), 0);
}

TEST(Wheel, ZoomInAroundTheCentreAndOut) {
    // W x Z / 4 = 600 x 5 / 4 = 750.
    WheelZoom z = wheelZoomIn(5, 1000, 600);
    EXPECT_EQ(z.zoom, 2);
    EXPECT_EQ(z.scroll, 1750);
    // 2 x 3 / 4 = 1.5 rounds to 2; 2 x 5 / 4 = 2.5 rounds to 2.
    EXPECT_EQ(wheelZoomIn(3, 0, 2).scroll, 2);
    EXPECT_EQ(wheelZoomIn(5, 0, 2).scroll, 2);
    EXPECT_EQ(wheelZoomIn(1, 0, 600).zoom, 1);
    z = wheelZoomOut(4, 5000, 600);
    EXPECT_EQ(z.zoom, 8);
    EXPECT_EQ(z.scroll, 5000 - 600 * 8 / 4);
    EXPECT_EQ(wheelZoomOut(4, 100, 600).scroll, 0);
    // No 16-bit wrap to a zero zoom.
    EXPECT_EQ(wheelZoomOut(32768, 0, 600).zoom, 65536);
}

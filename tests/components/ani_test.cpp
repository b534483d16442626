#include <gtest/gtest.h>

#include <sys/resource.h>

#include <QBuffer>
#include <QIcon>
#include <QImageWriter>

#include "components/AniFile.h"
#include "components/IcoList.h"
#include "components/RxGraph.h"
#include "components/VCLUtils.h"
#include "tests/components/ani_builder.h"
#include "tests/support/scripted_prompts.h"

using namespace anitest;

namespace {

QRgb pixel(const TIconFrame& f) { return f.Image.pixel(1, 1) & 0xFFFFFF; }

TAnimatedCursorImage read(const Bytes& b) {
    TAnimatedCursorImage ani;
    ani.LoadFromStream(b);
    return ani;
}

// An icon file of one-colour PNG pictures, one for each side.
Bytes pngIcon(std::initializer_list<int> sides) {
    std::vector<QByteArray> pictures;
    for (int side : sides) {
        QImage img(side, side, QImage::Format_ARGB32);
        img.fill(qRgb(0, 0, 255));
        QBuffer buf;
        buf.open(QIODevice::WriteOnly);
        QImageWriter(&buf, "png").write(img);
        pictures.push_back(buf.data());
    }
    Bytes f;
    put16(f, 0);
    put16(f, 1);
    put16(f, uint32_t(sides.size()));
    uint32_t offset = uint32_t(6 + 16 * sides.size());
    auto side = sides.begin();
    for (const QByteArray& png : pictures) {
        f.push_back(uint8_t(*side));   // 256 is written 0
        f.push_back(uint8_t(*side++));
        put16(f, 0);
        put16(f, 1);
        put16(f, 32);
        put32(f, uint32_t(png.size()));
        put32(f, offset);
        offset += uint32_t(png.size());
    }
    for (const QByteArray& png : pictures) f.insert(f.end(), png.begin(), png.end());
    return f;
}

long peakKilobytes() {
    rusage u{};
    ::getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss;
}

} // namespace

TEST(AnimatedCursor, StepsRatesSequenceAndInfo) {
    AniSpec s = threeColours();
    s.title = "Spinner";
    s.author = "Sonvela";
    TAnimatedCursorImage ani = read(aniFile(s));
    ASSERT_EQ(ani.Count(), 3);
    EXPECT_EQ(ani.Title, "Spinner");
    EXPECT_EQ(ani.Author, "Sonvela");
    EXPECT_EQ(ani.Header.StepCount, 3u);
    EXPECT_EQ(ani.SourceColors, 16);
    EXPECT_EQ(pixel(ani.Frames(0)), 0xFF0000u);
    EXPECT_EQ(pixel(ani.Frames(2)), 0x0000FFu);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(ani.Frames(i).JiffRate, 10u);   // the default rate without "rate"
        EXPECT_EQ(ani.Frames(i).IconIndex, i);
        EXPECT_TRUE(ani.Frames(i).IsIcon);
        EXPECT_EQ(ani.Frames(i).HotSpotX, 2);   // an icon's hot spot is its centre
    }

    // Rates per step; a sequence that shows one icon several times.
    s.rates = {5, 6, 7};
    s.seq = {2, 2, 0};
    ani = read(aniFile(s));
    // Icon 1 is shown by no step: it gets one of its own, at the default rate.
    ASSERT_EQ(ani.Count(), 4);
    EXPECT_EQ(ani.Frames(0).JiffRate, 5u);
    EXPECT_EQ(ani.Frames(1).JiffRate, 6u);
    EXPECT_EQ(ani.Frames(2).JiffRate, 7u);
    EXPECT_EQ(pixel(ani.Frames(0)), 0x0000FFu);
    EXPECT_EQ(pixel(ani.Frames(1)), 0x0000FFu);
    EXPECT_EQ(pixel(ani.Frames(2)), 0xFF0000u);
    EXPECT_EQ(ani.Frames(3).IconIndex, -1);
    EXPECT_EQ(ani.Frames(3).JiffRate, 10u);
    EXPECT_EQ(pixel(ani.Frames(3)), 0x00FF00u);
    EXPECT_EQ(ani.Header.StepCount, 4u);

    // More steps than icons: every step of the sequence is kept, with its rate.
    s.icons.pop_back();
    s.steps = 4;
    s.rates = {1, 2, 3, 4};
    s.seq = {0, 1, 1, 0};
    ani = read(aniFile(s));
    ASSERT_EQ(ani.Count(), 4);
    EXPECT_EQ(ani.Header.StepCount, 4u);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(ani.Frames(i).IconIndex, int(s.seq[size_t(i)]));
        EXPECT_EQ(ani.Frames(i).JiffRate, s.rates[size_t(i)]);
        EXPECT_EQ(pixel(ani.Frames(i)), s.seq[size_t(i)] ? 0x00FF00u : 0xFF0000u);
    }
}

TEST(AnimatedCursor, CursorFramesAndExtraIcons) {
    AniSpec s;
    s.iconType = 2;
    s.icons = {iconFile(10, 20, 30, 2, 1, 3), iconFile(40, 50, 60, 2, 3, 1)};
    s.frames = 1;   // fewer steps than icons: the extra icon gets a step
    s.steps = 1;
    TAnimatedCursorImage ani = read(aniFile(s));
    ASSERT_EQ(ani.Count(), 2);
    EXPECT_FALSE(ani.Frames(0).IsIcon);
    EXPECT_EQ(ani.Frames(0).HotSpotX, 1);
    EXPECT_EQ(ani.Frames(0).HotSpotY, 3);
    EXPECT_EQ(ani.Frames(1).IconIndex, -1);
    EXPECT_EQ(pixel(ani.Frames(1)), qRgb(40, 50, 60) & 0xFFFFFFu);
}

TEST(AnimatedCursor, DamagedFilesAreRefused) {
    const Bytes good = aniFile(threeColours());
    auto refused = [](const Bytes& b) {
        TAnimatedCursorImage ani;
        try {
            ani.LoadFromStream(b);
        } catch (const EReadError& e) {
            EXPECT_STREQ(e.what(), "Stream read error");
            EXPECT_EQ(ani.Count(), 0);
            return true;
        }
        return false;
    };
    EXPECT_FALSE(refused(good));
    // Cut short anywhere: refused, never read past the end (the sanitizers
    // would catch a stray read of the copied bytes).
    for (size_t n = 0; n < good.size(); n += 7) EXPECT_TRUE(refused(Bytes(good.begin(), good.begin() + long(n)))) << n;

    Bytes bad = good;
    bad[16] = 0xFF;   // the "anih" size runs far past the end
    bad[17] = 0xFF;
    EXPECT_TRUE(refused(bad));
    bad = good;
    bad[8] = 'a';   // "ACON" is compared exactly
    EXPECT_TRUE(refused(bad));

    AniSpec s = threeColours();
    s.flags = 0;   // frames that are not icon resources
    EXPECT_TRUE(refused(aniFile(s)));
    s = threeColours();
    s.steps = 0;
    s.frames = 3;
    Bytes zeroSteps = aniFile(s);
    zeroSteps[12 + 8 + 8] = 0;   // step count 0 (the builder's 0 means "as many as icons")
    EXPECT_TRUE(refused(zeroSteps));
    s = threeColours();
    s.frames = 0x7FFFFFFF;   // a frame count no file of this size can hold
    EXPECT_TRUE(refused(aniFile(s)));
    s.frames = 3;
    s.steps = 0x7FFFFFFF;   // and a step count
    EXPECT_TRUE(refused(aniFile(s)));
    s.icons.clear();
    s.frames = 2;
    s.steps = 2;
    EXPECT_TRUE(refused(aniFile(s)));   // no icon at all
}

TEST(AnimatedCursor, StripAndAssignments) {
    TAnimatedCursorImage ani = read(aniFile(threeColours()));
    sv::Dib strip;
    ani.MakeStrip(strip, sv::rgbColor(255, 255, 255), false, false);
    ASSERT_EQ(strip.width, 12);
    ASSERT_EQ(strip.height, 4);
    EXPECT_EQ(strip.color(1, 1), sv::rgbColor(255, 0, 0));
    EXPECT_EQ(strip.color(5, 2), sv::rgbColor(0, 255, 0));
    EXPECT_EQ(strip.color(11, 3), sv::rgbColor(0, 0, 255));
    ani.MakeStrip(strip, 0, true, true);
    EXPECT_EQ(strip.width, 4);
    EXPECT_EQ(strip.height, 12);
    EXPECT_EQ(strip.bits, 4);   // reduced to 16 colours
    EXPECT_EQ(strip.color(2, 9), sv::rgbColor(0, 0, 255));

    sv::Dib bmp;
    ani.AssignTo(bmp);
    EXPECT_EQ(bmp.width, 12);
    QIcon icon;
    ani.AssignTo(icon);
    EXPECT_FALSE(icon.isNull());
    TIconList list;
    int changes = 0;
    list.OnChange = [&] { ++changes; };
    list.Add(QIcon());
    changes = 0;
    ani.AssignTo(list);
    EXPECT_EQ(list.Count(), 3);
    EXPECT_EQ(changes, 1);   // one update

    TAnimatedCursorImage copy;
    copy.Assign(ani);
    EXPECT_EQ(copy.Count(), 3);
    EXPECT_EQ(copy.SourceColors, 16);
    copy.Assign(nullptr);
    EXPECT_EQ(copy.Count(), 0);
    TAnimatedCursorImage empty;
    sv::Dib untouched = sv::Dib::make(2, 2, 24);
    empty.AssignTo(untouched);
    EXPECT_EQ(untouched.width, 2);
}

TEST(AnimatedCursor, SavingIsNotOffered) {
    TAnimatedCursorImage ani = read(aniFile(threeColours()));
    std::vector<uint8_t> out;
    EXPECT_THROW(ani.SaveToStream(out), sv::EAbort);
    EXPECT_TRUE(out.empty());
    EXPECT_TRUE(sv::test::scripted().sawMessage("Function not yet implemented"));
}


// A header may declare a step for every four bytes and the "fram" list hold
// an icon for every few dozen: reading such a file costs its size, not
// icons times steps. This one (130 000 icons, 5 million steps) reads in
// about a second; a reader that looks at every step for every icon needs
// far longer than the test may run.
TEST(AnimatedCursor, ManyIconsAndStepsReadInTimeProportionalToTheFile) {
    AniSpec s;
    const size_t icons = 130000;
    s.icons.assign(icons, iconFile(0, 0, 255));
    s.icons[7] = iconFile(255, 0, 0);
    s.frames = uint32_t(icons);
    const size_t bytes = aniFile(s).size();
    s.steps = uint32_t(bytes / 4);   // the most the file's size allows
    s.seq = {0, 7, 7};               // the first three steps: icon 0, then icon 7 twice
    TAnimatedCursorImage ani = read(aniFile(s));
    // Steps 1 and 2 show icon 7 by the sequence, every other step up to the
    // last icon the icon of its own number, the steps beyond none. Icons 1
    // and 2 are shown by no step: each gets one of its own.
    ASSERT_EQ(ani.Count(), int(icons) + 2);
    EXPECT_EQ(ani.Header.StepCount, uint32_t(icons) + 2);
    for (int i : {1, 2, 7}) {
        EXPECT_EQ(ani.Frames(i).IconIndex, 7);
        EXPECT_EQ(pixel(ani.Frames(i)), 0xFF0000u);
    }
    EXPECT_EQ(ani.Frames(3).IconIndex, 3);
    EXPECT_EQ(pixel(ani.Frames(3)), 0x0000FFu);
    EXPECT_EQ(ani.Frames(int(icons) - 1).IconIndex, int(icons) - 1);
    EXPECT_EQ(ani.Frames(int(icons)).IconIndex, -1);
    EXPECT_EQ(ani.Frames(int(icons) + 1).IconIndex, -1);
}

// What a file's pictures cost is bounded whatever its size. This 1.1 MB
// file of 1,234 icons of 256 x 256 PNG pictures once took 8 bytes for every
// pixel of its first 1,092 icons, over half a gigabyte; it now keeps the
// first 128 icons, one copy of each, and its strip has one picture of
// 256 x 256 per step. Cursors as they are really made read whole.
TEST(AnimatedCursor, PicturesCostABoundedAmountOfMemory) {
    AniSpec hostile;
    hostile.icons.assign(1234, pngIcon({256}));
    const Bytes bytes = aniFile(hostile);
    const long before = peakKilobytes();
    TAnimatedCursorImage ani = read(bytes);
    EXPECT_LT(peakKilobytes() - before, 64 * 1024);
    ASSERT_EQ(ani.Count(), 128);
    EXPECT_EQ(ani.Frames(127).Image.size(), QSize(256, 256));
    sv::Dib strip;
    ani.MakeStrip(strip, sv::rgbColor(255, 255, 255), false, true);
    EXPECT_EQ(strip.width, 128 * 256);
    EXPECT_EQ(strip.color(127 * 256 + 9, 9), sv::rgbColor(0, 0, 255));

    // One icon shown by every step: the steps past what a strip of them can
    // hold go.
    AniSpec repeated;
    repeated.icons = {pngIcon({256})};
    repeated.steps = 1000;
    repeated.seq.assign(1000, 0);
    EXPECT_EQ(read(aniFile(repeated)).Count(), 128);

    AniSpec large;   // 100 steps of 256, 48 and 32 pixels square
    large.icons.assign(100, pngIcon({256, 48, 32}));
    EXPECT_EQ(read(aniFile(large)).Count(), 100);
    AniSpec many;    // 2,000 steps of 48 and 32
    many.icons.assign(2000, pngIcon({48, 32}));
    EXPECT_EQ(read(aniFile(many)).Count(), 2000);
}

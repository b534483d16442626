#include <gtest/gtest.h>

#include <cerrno>

#include "platform/files.h"
#include "platform/paths.h"
#include "sound/engine/edit_ops.h"
#include "sound/engine/wave_file.h"
#include "tests/sound/edit/edit_test_util.h"
#include "tests/support/scripted_prompts.h"

using namespace sv;
using sv::test::bytesOf;
using sv::test::makeSound;
using sv::test::slurpFile;

namespace {

void writeMono(const std::string& path, int bits, const std::vector<uint8_t>& data, uint32_t rate = 22050) {
    ASSERT_EQ(writeWaveFile(path, SampleFormat::pcm(rate, bits, 1), data.data(), int64_t(data.size())), 0);
}

} // namespace

TEST(DivideChannels, ProposesLeftAndRightBesideTheSound) {
    const ChannelFileNames a = proposeChannelFileNames("/d/a.wav");
    EXPECT_EQ(a.left, "/d/aLeft.wav");
    EXPECT_EQ(a.right, "/d/aRight.wav");
    // A dotted name keeps its full stem, so the two names stay apart.
    const ChannelFileNames b = proposeChannelFileNames("/d/x.y.wav");
    EXPECT_EQ(b.left, "/d/x.yLeft.wav");
    EXPECT_EQ(b.right, "/d/x.yRight.wav");
    EXPECT_EQ(proposeChannelFileNames("New3.wav").left, "New3Left.wav");
}

TEST(DivideChannels, RefusesOneFileForBothChannels) {
    test::TempExeDir dir;
    SoundBuffer s = makeSound(16, 2, 10);
    s.setSelection(0, 10);
    DivideResult r = divideChannels(s, dir.file("o.wav"), dir.file("o.wav"));
    EXPECT_EQ(r.status, DivideResult::SameName);
    EXPECT_EQ(r.message(), kDivideSameNameMessage);
    r = divideChannels(s, dir.file("o.wav"), dir.path() + "./o.wav");
    EXPECT_EQ(r.status, DivideResult::SameName);
    EXPECT_FALSE(fileExists(dir.file("o.wav")));
}

TEST(DivideChannels, CreationFailureNamesTheErrorAndLeavesNoFile) {
    test::TempExeDir dir;
    struct Reset {
        ~Reset() { setCreateFaultHook(nullptr); }
    } reset;
    setCreateFaultHook([](const std::string& p) { return extractFileName(p) == "R.wav" ? EACCES : 0; });
    SoundBuffer s = makeSound(8, 2, 10);
    s.setSelection(0, 10);
    const DivideResult r = divideChannels(s, dir.file("L.wav"), dir.file("R.wav"));
    EXPECT_EQ(r.status, DivideResult::RightFailed);
    EXPECT_EQ(r.message(), "Error " + std::to_string(EACCES) + " accessing the file, try another name.");
    EXPECT_FALSE(fileExists(dir.file("L.wav")));
}

TEST(DivideChannels, WritesTheSelectedFramesOfEachChannel) {
    test::TempExeDir dir;
    SoundBuffer s = makeSound(16, 2, 20, 1, 44100);
    s.setSelection(5, 3);
    ASSERT_EQ(divideChannels(s, dir.file("L.wav"), dir.file("R.wav")).status, DivideResult::Ok);
    const auto l = slurpFile(dir.file("L.wav"));
    ASSERT_EQ(l.size(), 44u + 6);
    uint8_t head[44];
    WaveFileHeader::build(head, SampleFormat::pcm(44100, 16, 1), 6);
    EXPECT_TRUE(std::equal(head, head + 44, l.begin()));
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(l[44 + 2 * i], s.frame(5 + i)[0]);
        EXPECT_EQ(l[45 + 2 * i], s.frame(5 + i)[1]);
    }
    const auto r = slurpFile(dir.file("R.wav"));
    for (int i = 0; i < 3; ++i) EXPECT_EQ(r[44 + 2 * i], s.frame(5 + i)[2]);
}

TEST(CombineChannels, DivideThenCombineGivesBackTheStereoSound) {
    test::TempExeDir dir;
    for (int bits : {8, 16}) {
        SoundBuffer s = makeSound(bits, 2, 200000 + 3, 2, 11025);
        s.setSelection(0, s.frameCount());
        ASSERT_EQ(divideChannels(s, dir.file("a.wav"), dir.file("b.wav")).status, DivideResult::Ok);
        SoundBuffer out;
        const CombineResult r = combineChannels(dir.file("a.wav"), dir.file("b.wav"), out);
        ASSERT_EQ(r.status, CombineResult::Ok);
        EXPECT_EQ(r.fileName, "a_b.wav");
        EXPECT_EQ(r.dataBytes, int64_t(s.bytes.size()));
        EXPECT_EQ(out.format, s.format);
        EXPECT_EQ(bytesOf(out), bytesOf(s));
    }
}

TEST(CombineChannels, PadsTheShorterChannelWithSilence) {
    test::TempExeDir dir;
    writeMono(dir.file("l8.wav"), 8, {1, 2, 3});
    writeMono(dir.file("r8.wav"), 8, {9});
    SoundBuffer out;
    ASSERT_EQ(combineChannels(dir.file("l8.wav"), dir.file("r8.wav"), out).status, CombineResult::Ok);
    EXPECT_EQ(bytesOf(out), (std::vector<uint8_t>{1, 9, 2, 127, 3, 127}));

    writeMono(dir.file("l16.wav"), 16, {1, 0});
    writeMono(dir.file("r16.wav"), 16, {5, 6, 7, 8});
    ASSERT_EQ(combineChannels(dir.file("l16.wav"), dir.file("r16.wav"), out).status, CombineResult::Ok);
    EXPECT_EQ(bytesOf(out), (std::vector<uint8_t>{1, 0, 5, 6, 0, 0, 7, 8}));
    EXPECT_EQ(out.format, SampleFormat::pcm(22050, 16, 2));
}

TEST(CombineChannels, OddTrailingByteIsLeftOut) {
    test::TempExeDir dir;
    writeMono(dir.file("l.wav"), 16, {1, 2, 3, 4, 5});
    writeMono(dir.file("r.wav"), 16, {6, 7, 8, 9, 10});
    SoundBuffer out;
    const CombineResult r = combineChannels(dir.file("l.wav"), dir.file("r.wav"), out);
    ASSERT_EQ(r.status, CombineResult::Ok);
    EXPECT_EQ(bytesOf(out), (std::vector<uint8_t>{1, 2, 6, 7, 3, 4, 8, 9}));
    EXPECT_EQ(r.dataBytes, 8);
}

TEST(CombineChannels, RefusesWhatItCannotCombine) {
    test::TempExeDir dir;
    const std::string m8 = dir.file("m8.wav"), m16 = dir.file("m16.wav"), st = dir.file("st.wav");
    writeMono(m8, 8, {1, 2});
    writeMono(m16, 16, {1, 2});
    SoundBuffer stereo = makeSound(8, 2, 4);
    ASSERT_EQ(writeWaveFile(st, stereo.format, stereo.bytes.data(), 8), 0);
    const std::string alaw = dir.file("alaw.wav");
    SampleFormat af = SampleFormat::pcm(8000, 8, 1);
    af.wFormatTag = kFormatALaw;
    ASSERT_EQ(writeWaveFile(alaw, af, stereo.bytes.data(), 4), 0);
    const std::string tiny = dir.file("tiny.wav");
    sv::test::spitFile(tiny, {1, 2, 3});

    SoundBuffer out = makeSound(8, 1, 3);
    const auto untouched = bytesOf(out);
    auto status = [&](const std::string& l, const std::string& r) { return combineChannels(l, r, out).status; };
    EXPECT_EQ(status(dir.file("none.wav"), m8), CombineResult::LeftOpenFailed);
    EXPECT_EQ(status(m8, dir.file("none.wav")), CombineResult::RightOpenFailed);
    EXPECT_EQ(status(st, m8), CombineResult::LeftNotMono);
    EXPECT_EQ(status(m8, st), CombineResult::RightNotMono);
    EXPECT_EQ(status(m8, m16), CombineResult::FormatsDiffer);
    EXPECT_EQ(status(alaw, alaw), CombineResult::NotPcm);
    EXPECT_EQ(status(tiny, m8), CombineResult::NotPcm);
    EXPECT_EQ(bytesOf(out), untouched);

    CombineResult r;
    r.status = CombineResult::LeftOpenFailed;
    EXPECT_EQ(r.message("a", "b"), "Error opening file");
    r.status = CombineResult::RightNotMono;
    EXPECT_EQ(r.message("a.wav", "b.wav"), "b.wavis not a mono file... operation canceled");
    r.status = CombineResult::FormatsDiffer;
    EXPECT_EQ(r.message("a", "b"), "The files doesn't have the same format... operation canceled");
}

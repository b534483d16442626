// What every in-place effect owes the window that calls it, checked for each
// effect in the four layouts: the undo step is asked for with the command's
// words before any sample changes, nothing outside the selection moves, a
// failed undo step or an empty selection changes nothing, and progress
// follows the divisor rule.
#include <gtest/gtest.h>

#include <functional>
#include <tuple>

#include "platform/random.h"
#include "sound/engine/effects/amplitude.h"
#include "tests/sound/effects/effect_test_util.h"

using namespace sv;
using namespace sv::test;

namespace {

struct Effect {
    const char* name;
    const char* words;
    bool stereoOnly;
    std::function<bool(SoundBuffer&, const OperationContext&)> run;
};

std::vector<Effect> allEffects() {
    return {
        {"normalise", "Normalize", false, [](SoundBuffer& s, const OperationContext& c) { return normalise(s, c); }},
        {"amplify", "Amplify Volume", false, [](SoundBuffer& s, const OperationContext& c) { return amplify(s, 150, c); }},
        {"fadeIn", "Fade In", false, [](SoundBuffer& s, const OperationContext& c) { return fadeIn(s, 20, 2, c); }},
        {"fadeOut", "Fade Out", false, [](SoundBuffer& s, const OperationContext& c) { return fadeOut(s, 20, 1, c); }},
        {"silence", "Force silence", false, [](SoundBuffer& s, const OperationContext& c) { return forceSilence(s, c); }},
        {"swap", "Invert channels", true, [](SoundBuffer& s, const OperationContext& c) { return swapChannels(s, c); }},
        {"invert", "Invert", false, [](SoundBuffer& s, const OperationContext& c) { return invertPolarity(s, c); }},
        {"reverse", "Reverse", false, [](SoundBuffer& s, const OperationContext& c) { return reverse(s, c); }},
        {"travelling", "Travelling stereo", true, [](SoundBuffer& s, const OperationContext& c) { return travellingStereo(s, 1, 30, c); }},
        {"offset", "Remove offset", false, [](SoundBuffer& s, const OperationContext& c) { return removeOffset(s, c); }},
        {"gate", "Noise gate", false, [](SoundBuffer& s, const OperationContext& c) { return noiseGate(s, 60, 1, 20, c); }},
        {"metalize", "Metalize", false, [](SoundBuffer& s, const OperationContext& c) { return metalize(s, false, c); }},
        {"compressor", "Compressor", false, [](SoundBuffer& s, const OperationContext& c) { return compressor(s, 30, 40, c); }},
        {"distortion", "Distortion", false, [](SoundBuffer& s, const OperationContext& c) { RandSeed = 7; return distortion(s, 30, 60, c, false); }},
        {"expander", "Expander", false, [](SoundBuffer& s, const OperationContext& c) { return expander(s, 20, 50, c); }},
    };
}

SoundBuffer noisySound(int bits, int channels, int frames) {
    RandSeed = 12345;
    std::vector<int> v;
    const int full = bits == 8 ? 127 : 32767;
    // Below full scale and off centre, so that normalising and offset
    // removal have something to do.
    for (int i = 0; i < frames * channels; ++i) v.push_back(Random(full) - full / 3);
    return makeSound(bits, channels, v, 44100);
}

using Layout = std::tuple<int, int>;   // bits, channels

class EffectContract : public ::testing::TestWithParam<std::tuple<int, Layout>> {
protected:
    Effect effect() const { return allEffects()[std::get<0>(GetParam())]; }
    int bits() const { return std::get<0>(std::get<1>(GetParam())); }
    int channels() const { return std::get<1>(std::get<1>(GetParam())); }
};

} // namespace

TEST_P(EffectContract, UndoFirstAndOnlyInsideSelection) {
    Effect e = effect();
    SoundBuffer s = noisySound(bits(), channels(), 400);
    s.setSelection(50, 300);
    const std::vector<int> before = values(s);
    const std::vector<uint8_t> original(s.bytes.data(), s.bytes.data() + s.bytes.size());
    Recorder rec;
    rec.sound = &s;
    const bool stereoMissing = e.stereoOnly && channels() == 1;
    ASSERT_EQ(e.run(s, rec.context()), !stereoMissing) << e.name;
    if (stereoMissing) {
        EXPECT_TRUE(rec.undos.empty());
        EXPECT_EQ(values(s), before);
        return;
    }
    ASSERT_EQ(rec.undos.size(), 1u);
    EXPECT_EQ(rec.undos[0].words, e.words);
    EXPECT_EQ(rec.undos[0].length, 300);
    EXPECT_FALSE(rec.undos[0].whole);
    // The step saw the sound as it was: undoing restores it exactly.
    EXPECT_EQ(rec.undos[0].bytesThen, original);
    const std::vector<int> after = values(s);
    const int ch = channels();
    for (int i = 0; i < 50 * ch; ++i) ASSERT_EQ(after[i], before[i]) << e.name << " sample " << i;
    for (int i = 350 * ch; i < 400 * ch; ++i) ASSERT_EQ(after[i], before[i]) << e.name << " sample " << i;
    EXPECT_NE(after, before) << e.name << " changed nothing";
    // The last report is the last step, which hides the bar.
    ASSERT_FALSE(rec.progress.empty());
    EXPECT_EQ(rec.progress.back().first, rec.progress.back().second);
}

TEST_P(EffectContract, FailedUndoStepChangesNothing) {
    Effect e = effect();
    SoundBuffer s = noisySound(bits(), channels(), 64);
    const std::vector<int> before = values(s);
    Recorder rec;
    rec.undoFails = true;
    EXPECT_FALSE(e.run(s, rec.context()));
    EXPECT_EQ(values(s), before);
    EXPECT_TRUE(rec.progress.empty());
}

TEST_P(EffectContract, EmptySelectionIsNothingToDo) {
    Effect e = effect();
    SoundBuffer s = noisySound(bits(), channels(), 64);
    s.setSelection(10, 0);
    const std::vector<int> before = values(s);
    Recorder rec;
    EXPECT_FALSE(e.run(s, rec.context()));
    EXPECT_TRUE(rec.undos.empty());
    EXPECT_EQ(values(s), before);
}

TEST_P(EffectContract, SelectionPastTheEndIsCutToTheSound) {
    Effect e = effect();
    SoundBuffer s = noisySound(bits(), channels(), 64);
    s.selectionStart = 60;
    s.selectionLength = 1000;   // as if set behind setSelection's back
    Recorder rec;
    e.run(s, rec.context());
    if (!rec.undos.empty()) {
        EXPECT_EQ(rec.undos[0].length, 4);
    }
}

INSTANTIATE_TEST_SUITE_P(AllLayouts, EffectContract,
                         ::testing::Combine(::testing::Range(0, 15),
                                            ::testing::Values(Layout{8, 1}, Layout{8, 2}, Layout{16, 1},
                                                              Layout{16, 2})),
                         [](const auto& info) {
                             return std::string(allEffects()[std::get<0>(info.param)].name) + "_" +
                                    std::to_string(std::get<0>(std::get<1>(info.param))) + "bit_" +
                                    (std::get<1>(std::get<1>(info.param)) == 1 ? "mono" : "stereo");
                         });

TEST(EffectProgress, TwelveSamplesReportAtTheDivisors) {
    SoundBuffer s = makeSound(16, 1, std::vector<int>(12, 1000));
    Recorder rec;
    ASSERT_TRUE(normalise(s, rec.context()));
    EXPECT_EQ(rec.steps(), (std::vector<int64_t>{1, 2, 3, 4, 6, 12}));
    for (auto& p : rec.progress) EXPECT_EQ(p.second, 12);
}

TEST(EffectProgress, RemoveOffsetCountsBothPasses) {
    SoundBuffer s = makeSound(16, 1, {1, 2, 3});
    Recorder rec;
    ASSERT_TRUE(removeOffset(s, rec.context()));
    EXPECT_EQ(rec.steps(), (std::vector<int64_t>{1, 2, 3, 6}));
}

TEST(EffectProgress, ChannelSwapAndReverseCountFramesAndPairs) {
    SoundBuffer s = makeSound(8, 2, std::vector<int>(20, 5));
    Recorder rec;
    ASSERT_TRUE(swapChannels(s, rec.context()));
    EXPECT_EQ(rec.steps(), (std::vector<int64_t>{1, 2, 5, 10}));
    Recorder rec2;
    ASSERT_TRUE(reverse(s, rec2.context()));
    EXPECT_EQ(rec2.steps(), (std::vector<int64_t>{1, 5}));
}

TEST(EffectFormats, UnsupportedFormatIsLeftAlone) {
    SoundBuffer s = makeSound(16, 1, {1, 2, 3, 4});
    s.format.wBitsPerSample = 24;
    Recorder rec;
    EXPECT_FALSE(normalise(s, rec.context()));
    EXPECT_FALSE(reverse(s, rec.context()));
    EXPECT_TRUE(rec.undos.empty());
}

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <random>

#include "sound/engine/fft/transformar.h"
#include "tests/sound/fft/fft_test_support.h"

using namespace sv;
using sv::test::makeSound;
using sv::test::StepRecorder;
using sv::test::sampleAt;

namespace {

struct Fixture : ::testing::Test {
    std::unique_ptr<FftWorkArea> area = std::make_unique<FftWorkArea>();
    StepRecorder rec;
};

// Loud noise that drives every layout to its limits.
SoundBuffer loudNoise(uint32_t rate, int bits, int channels, int64_t frames, unsigned seed) {
    std::mt19937 gen(seed);
    const int peak = bits == 8 ? 127 : 32767;
    std::uniform_int_distribution<int> d(-peak, peak);
    return makeSound(rate, bits, channels, frames, [&](double, int) { return d(gen); });
}

struct Layout {
    int bits, channels;
};
const Layout kLayouts[] = {{8, 1}, {8, 2}, {16, 1}, {16, 2}};

// f1, f2 for each mode as its callers pass them.
std::pair<int32_t, int32_t> argsFor(TransformMode m) {
    switch (m) {
    case TransformMode::paso_bajo: return {1, 5000};
    case TransformMode::paso_alto: return {1000, 0};
    case TransformMode::paso_banda: return {100, 5000};
    case TransformMode::telefono:
    case TransformMode::karaoke:
    case TransformMode::PasaBandaPersonalitzat: return {300, 3400};
    case TransformMode::expansor_dinamica: return {1, 110};
    case TransformMode::MoureFrequencies: return {-30, 0};
    default: return {1, 1};
    }
}

void prepareAdvanced(FftWorkArea& a) {
    a.FftSize = 1024;
    a.OverlapSamples = 512;
    a.WindowType = kWindowHanning;
    a.LowCut = 1;
    a.HighCut = 3000;
    a.FilterAction = kActionBoost;
    a.Ratio = 10;
}

} // namespace

using FftModes = Fixture;

TEST_F(FftModes, EveryModeRunsOnEveryLayoutWithinRange) {
    for (const Layout& l : kLayouts) {
        for (int i = 0; i < kTransformModeCount; ++i) {
            const TransformMode mode = transformModeAt(i);
            for (uint32_t rate : {11025u, 44100u}) {
                SCOPED_TRACE(std::string(transformWord(mode)) + " bits " + std::to_string(l.bits) + " ch " +
                             std::to_string(l.channels) + " rate " + std::to_string(rate));
                SoundBuffer s = loudNoise(rate, l.bits, l.channels, 5000, unsigned(i));
                s.setSelection(100, 4000);
                area->EqualizerGains = {12, 12, 12, 12, 12, 12, 12, 12, 12, 12};
                area->StsaUpperSnr = 1000;
                area->StsaLowerSnr = 10;
                area->StsaNoisePower = 100;
                prepareAdvanced(*area);
                const auto [f1, f2] = argsFor(mode);
                const bool ran = transformar(s, mode, f1, f2, *area, rec.context());
                EXPECT_EQ(ran, mode != TransformMode::cancelat);
                for (int64_t f = 0; f < s.frameCount(); ++f) {
                    for (int c = 0; c < l.channels; ++c) {
                        const uint8_t* p = s.frame(f) + c * (l.bits / 8);
                        if (l.bits == 8 && l.channels == 2) {
                            ASSERT_NE(*p, 255);
                        }
                        if (l.bits == 16) {
                            ASSERT_NE(readSample(p, int16_t{}), -32768);
                        }
                    }
                }
            }
        }
    }
}

TEST_F(FftModes, BoostedEightBitMonoReachesTheTopByte) {
    SoundBuffer mono = loudNoise(44100, 8, 1, 5000, 1);
    SoundBuffer stereo = loudNoise(44100, 8, 2, 5000, 1);
    mono.setSelection(0, 4000);
    stereo.setSelection(0, 4000);
    prepareAdvanced(*area);
    ASSERT_TRUE(transformar(mono, "avanzado", 0, 0, *area, rec.context()));
    prepareAdvanced(*area);
    ASSERT_TRUE(transformar(stereo, "avanzado", 0, 0, *area, rec.context()));
    int top = 0, stereoTop = 0;
    for (int64_t f = 0; f < 4000; ++f) {
        top = std::max<int>(top, mono.frame(f)[0]);
        stereoTop = std::max<int>({stereoTop, stereo.frame(f)[0], stereo.frame(f)[1]});
    }
    EXPECT_EQ(top, 255);
    EXPECT_EQ(stereoTop, 254);
}

TEST_F(FftModes, UnknownWordIsRefusedBeforeAnythingChanges) {
    SoundBuffer s = loudNoise(44100, 16, 1, 3000, 2);
    const ByteBlock before = s.bytes;
    EXPECT_THROW(transformar(s, "Paso_bajo", 1, 5000, *area, rec.context()), std::invalid_argument);
    EXPECT_TRUE(rec.steps.empty());
    EXPECT_EQ(0, std::memcmp(before.data(), s.bytes.data(), before.size()));
    EXPECT_EQ(parseTransformMode("MoureFrequencies"), TransformMode::MoureFrequencies);
}

TEST_F(FftModes, ReverbLowPassIsTheOrdinaryLowPassWithoutAStep) {
    SoundBuffer a = loudNoise(44100, 16, 2, 6000, 3);
    a.setSelection(10, 5000);
    SoundBuffer b = a;
    // Whatever an earlier operation left in the work area.
    area->LowCut = 7000;
    area->HighCut = 9000;
    area->FilterAction = kActionBoost;
    area->FftSize = 0;
    ASSERT_TRUE(transformar(a, "paso_bajo_reverb", 1, 5000, *area, rec.context()));
    EXPECT_TRUE(rec.steps.empty());
    ASSERT_TRUE(transformar(b, "paso_bajo", 1, 5000, *area, rec.context()));
    ASSERT_EQ(rec.steps.size(), 1u);
    EXPECT_EQ(0, std::memcmp(a.bytes.data(), b.bytes.data(), a.bytes.size()));
}

using FftUndo = Fixture;

TEST_F(FftUndo, EachModeRecordsItsLabelBeforeTheSamplesChange) {
    const std::pair<const char*, const char*> labels[] = {
        {"avanzado", "Advanced Filter"}, {"paso_bajo", "Low Pass Filter"},
        {"paso_alto", "High Pass Filter"}, {"paso_banda", "Band Pass Filter"},
        {"telefono", "Phone Line"}, {"r_bass", "Bass Boost"}, {"s_bass", "Bass Cut"},
        {"r_treble", "Treble Boost"}, {"s_treble", "Treble Cut"}, {"r_hight", "High Boost"},
        {"s_hight", "High Cut"}, {"Bionic", "Bionic"}, {"karaoke", "karaoke"},
        {"expansor_dinamica", "Dynamic Expander"}, {"ecualizar", "Equalizer"}, {"stsa", "stsa"},
        {"PasaBandaPersonalitzat", "PasaBandaPersonalitzat"}, {"MoureFrequencies", "Frequency Shift"},
    };
    for (const auto& [word, label] : labels) {
        SCOPED_TRACE(word);
        SoundBuffer s = loudNoise(44100, 16, 2, 5000, 4);
        s.setSelection(500, 3000);
        // The undo file would hold the selection as it is when asked.
        ByteBlock saved;
        rec.steps.clear();
        rec.onUndo = [&] { saved.assign(s.frame(500), size_t(3000) * 4); };
        const ByteBlock before = s.bytes;
        prepareAdvanced(*area);
        area->StsaNoisePower = 1;
        area->StsaLowerSnr = 1e9;
        area->StsaUpperSnr = 1e9;
        ASSERT_TRUE(transformar(s, word, 300, 3400, *area, rec.context()));
        ASSERT_EQ(rec.steps.size(), 1u);
        EXPECT_EQ(rec.steps[0].words, label);
        EXPECT_EQ(rec.steps[0].length, 3000);
        EXPECT_FALSE(rec.steps[0].whole);
        EXPECT_EQ(0, std::memcmp(saved.data(), before.data() + 500 * 4, saved.size()));
        EXPECT_NE(0, std::memcmp(s.bytes.data(), before.data(), before.size()));
        // Restoring the step gives the sound back.
        std::memcpy(s.frame(500), saved.data(), saved.size());
        EXPECT_EQ(0, std::memcmp(s.bytes.data(), before.data(), before.size()));
    }
}

TEST_F(FftUndo, CancelAndFailedStepChangeNothing) {
    SoundBuffer s = loudNoise(44100, 16, 1, 5000, 5);
    s.setSelection(0, 4000);
    const ByteBlock before = s.bytes;
    EXPECT_FALSE(transformar(s, "cancelat", 1, 5000, *area, rec.context()));
    area->showDialog = [](int32_t) { return 1; };
    EXPECT_FALSE(transformar(s, "avanzado", 100, 5000, *area, rec.context()));
    EXPECT_TRUE(rec.steps.empty());
    rec.undoWorks = false;
    EXPECT_FALSE(transformar(s, "paso_bajo", 1, 5000, *area, rec.context()));
    EXPECT_EQ(rec.steps.size(), 1u);
    EXPECT_EQ(s.selectionLength, 4000);
    EXPECT_EQ(0, std::memcmp(before.data(), s.bytes.data(), before.size()));
    EXPECT_TRUE(rec.progress.empty());
}

TEST_F(FftUndo, PresetsLeaveTwoSteps) {
    SoundBuffer s = loudNoise(44100, 16, 1, 5000, 6);
    s.setSelection(0, 4000);
    ASSERT_TRUE(linea_telefonica(s, *area, rec.context()));
    ASSERT_TRUE(Bionic(s, *area, rec.context()));
    ASSERT_TRUE(karaoke(s, *area, rec.context()));
    const char* expected[] = {"Phone line", "Phone Line", "Spectral Average", "Bionic", "Karaoke", "karaoke"};
    ASSERT_EQ(rec.steps.size(), 6u);
    for (int i = 0; i < 6; ++i) EXPECT_EQ(rec.steps[i].words, expected[i]);
    ASSERT_TRUE(Ecualizar(s, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10}, *area, rec.context()));
    EXPECT_EQ(rec.steps.back().words, "Equalizer");
    EXPECT_EQ(area->EqualizerGains[9], 10);
    ASSERT_TRUE(voiceCleanerStsa(s, *area, rec.context()));
    EXPECT_EQ(area->StsaUpperSnr, 1000);
    EXPECT_EQ(area->StsaNoisePower, 100);
    EXPECT_EQ(voiceCleanerBand(0), std::make_pair(300, 3400));
    EXPECT_EQ(voiceCleanerBand(7), std::make_pair(50, 6000));
}

using FftSelection = Fixture;

TEST_F(FftSelection, WholeSoundLosesItsLastFrame) {
    SoundBuffer s = loudNoise(44100, 16, 1, 5000, 7);
    const int last = sampleAt(s, 4999);
    ASSERT_TRUE(transformar(s, "paso_bajo", 1, 2000, *area, rec.context()));
    EXPECT_EQ(rec.steps[0].length, 5000);
    EXPECT_EQ(s.selectionLength, 4999);
    EXPECT_EQ(sampleAt(s, 4999), last);
}

TEST_F(FftSelection, ShortSelectionIsOneZeroPaddedBlock) {
    SoundBuffer s = makeSound(44100, 16, 1, 2000, [](double, int) { return 1000; });
    s.setSelection(1000, 300);
    ASSERT_TRUE(transformar(s, "paso_banda", 100, 5000, *area, rec.context()));
    EXPECT_EQ(rec.progress.back(), std::make_pair(int64_t(1), int64_t(1)));
    EXPECT_EQ(sampleAt(s, 999), 1000);
    EXPECT_EQ(sampleAt(s, 1300), 1000);
    EXPECT_NE(sampleAt(s, 1150), 1000);  // its mean (bin 0) stays, the edges do not
}

TEST_F(FftSelection, NothingToProcessDoesNothing) {
    SoundBuffer empty;
    empty.format = SampleFormat::pcm(44100, 16, 2);
    EXPECT_FALSE(transformar(empty, "paso_bajo", 1, 5000, *area, rec.context()));
    SoundBuffer one = makeSound(44100, 8, 1, 1, [](double, int) { return 5; });
    EXPECT_FALSE(transformar(one, "paso_bajo", 1, 5000, *area, rec.context()));
    EXPECT_EQ(one.selectionLength, 1);
    SoundBuffer cursor = makeSound(44100, 8, 1, 100, [](double, int) { return 5; });
    cursor.setSelection(10, 0);
    EXPECT_FALSE(linea_telefonica(cursor, *area, rec.context()));
    SoundBuffer adpcm = makeSound(44100, 16, 1, 5000, [](double, int) { return 5; });
    adpcm.format.wBitsPerSample = 4;
    EXPECT_FALSE(transformar(adpcm, "paso_bajo", 1, 5000, *area, rec.context()));
    EXPECT_FALSE(mostrar_transf_fft(adpcm, *area));
    EXPECT_TRUE(rec.steps.empty());
    EXPECT_TRUE(rec.progress.empty());
}

TEST_F(FftSelection, AdvancedSizesTheWorkAreaCannotRunAreRefused) {
    SoundBuffer s = loudNoise(44100, 16, 1, 5000, 8);
    s.setSelection(0, 4000);
    area->FftSize = 8192;
    area->OverlapSamples = 0;
    EXPECT_THROW(transformar(s, "avanzado", 0, 0, *area, rec.context()), FftBlockError);
    area->FftSize = 1024;
    area->OverlapSamples = 600;
    try {
        transformar(s, "avanzado", 0, 0, *area, rec.context());
        FAIL() << "expected FftBlockError";
    } catch (const FftBlockError& e) {
        EXPECT_STREQ(e.what(), "Please select a smaller window");
        EXPECT_FALSE(e.stepTaken());
    }
    EXPECT_TRUE(rec.steps.empty());
}

using FftExpander = Fixture;

TEST_F(FftExpander, OnlyTheRoundTripActsAt44100) {
    SoundBuffer s = makeSound(44100, 16, 1, 8001,
                              [](double t, int) { return 5000 * std::sin(2 * M_PI * 440 * t); });
    const SoundBuffer before = s;
    s.setSelection(0, 8000);
    ASSERT_TRUE(transformar(s, "expansor_dinamica", 1, 300, *area, rec.context()));
    EXPECT_EQ(area->Ratio, 3.0);
    // No bin lies at or below 20 Hz: apart from the cross-fade of shared
    // samples the log/exp round trip gives the samples back.
    for (int64_t f = 0; f < 1024; ++f) EXPECT_NEAR(sampleAt(s, f), sampleAt(before, f), 1) << f;
}

TEST_F(FftExpander, HugeValuesAreClampedNotWrapped) {
    // A slow swell puts the logarithm's energy into the lowest bins, which
    // the expander boosts at 11025 Hz.
    auto swell = [](double t, int) { return 2000 * (1.5 + std::sin(2 * M_PI * 5.4 * t)) * std::sin(2 * M_PI * 300 * t); };
    SoundBuffer s = makeSound(11025, 16, 1, 11026, swell);
    s.setSelection(0, 11025);
    ASSERT_TRUE(transformar(s, "expansor_dinamica", 1, 1000, *area, rec.context()));
    int top = 0;
    for (int64_t f = 0; f < 11025; ++f) top = std::max(top, std::abs(sampleAt(s, f)));
    EXPECT_EQ(top, 32767);
}

TEST_F(FftExpander, NonFiniteResultLeavesTheSamples) {
    auto swell = [](double t, int) { return 2000 * (1.5 + std::sin(2 * M_PI * 5.4 * t)) * std::sin(2 * M_PI * 300 * t); };
    SoundBuffer s = makeSound(11025, 16, 2, 11026, swell);
    s.setSelection(0, 11025);
    const ByteBlock before = s.bytes;
    try {
        transformar(s, "expansor_dinamica", 1, 100000000, *area, rec.context());
        FAIL() << "expected FftBlockError";
    } catch (const FftBlockError& e) {
        EXPECT_STREQ(e.what(), "Please select a smaller window");
        EXPECT_TRUE(e.stepTaken());
    }
    EXPECT_EQ(rec.steps.size(), 1u);
    EXPECT_EQ(0, std::memcmp(before.data(), s.bytes.data(), before.size()));
}

using FftSpectrum = Fixture;

TEST_F(FftSpectrum, AveragesMagnitudesOverBlocks) {
    // 64 cycles per 2048 samples: all energy in point 65.
    SoundBuffer s = makeSound(2048, 16, 2, 4096, [](double t, int c) {
        return (c == 0 ? 1000 : 3000) * std::cos(2 * M_PI * 64 * t);
    });
    ASSERT_TRUE(mostrar_transf_fft(s, *area));
    EXPECT_NEAR(area->AverageSpectrum[64], 2000 * 2048 / 2.0, 100.0);
    EXPECT_NEAR(area->AverageSpectrum[2048 - 64], 2000 * 2048 / 2.0, 100.0);
    EXPECT_NEAR(area->AverageSpectrum[10], 0, 1.0);
    // One more frame makes three blocks, the last holding one sample.
    SoundBuffer t = makeSound(2048, 16, 1, 4097, [](double, int) { return 300; });
    ASSERT_TRUE(mostrar_transf_fft(t, *area));
    EXPECT_NEAR(area->AverageSpectrum[0], (300.0 * 2048 * 2 + 300) / 3, 1e-6);
    EXPECT_NEAR(area->AverageSpectrum[1], 300.0 / 3, 1e-6);  // from the one-sample block
}

TEST_F(FftSpectrum, EightBitStereoMeanAndEmptySelection) {
    SoundBuffer s = makeSound(8000, 8, 2, 100, [](double, int c) { return c == 0 ? 10 : 20; });
    ASSERT_TRUE(mostrar_transf_fft(s, *area));
    EXPECT_NEAR(area->AverageSpectrum[0], 15.0 * 100, 1e-9);
    s.setSelection(5, 0);
    EXPECT_FALSE(mostrar_transf_fft(s, *area));
    EXPECT_NEAR(area->AverageSpectrum[0], 15.0 * 100, 1e-9);
}

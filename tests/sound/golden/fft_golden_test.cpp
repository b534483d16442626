// The spectral engine's whole-sound results, mode by mode and layout by
// layout, against the hashes of the results before it was made faster.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "sound/engine/fft/block_runner.h"
#include "sound/engine/fft/transformar.h"
#include "tests/sound/golden/golden_support.h"
#include "tests/sound/golden/golden_values.h"

using namespace sv;
using namespace sv::test;

namespace {

constexpr uint32_t kRate = 44100;
constexpr int64_t kFrames = 48510;   // about 47 blocks per channel

// The engine's state after a run: what the next run (and the dialog) sees.
void hashArea(Fnv& h, const FftWorkArea& a) {
    h.value(a.Ratio);
    h.value(a.SampleRate);
    h.value(a.LowCut);
    h.value(a.HighCut);
    h.value(a.FilterAction);
    h.value(a.OverlapSamples);
    h.value(a.FftSize);
    h.value(a.WindowType);
    h.add(a.FftData.re.data(), sizeof a.FftData.re);
    h.add(a.FftData.im.data(), sizeof a.FftData.im);
    h.add(a.AverageSpectrum.data(), sizeof a.AverageSpectrum);
}

struct ModeCase {
    const char* name;
    TransformMode mode;
    int32_t f1, f2;
};

const std::vector<ModeCase>& modeCases() {
    static const std::vector<ModeCase> cases = {
        {"paso_bajo", TransformMode::paso_bajo, 1, 5000},
        {"paso_bajo_2000", TransformMode::paso_bajo, 0, 2000},
        {"paso_alto", TransformMode::paso_alto, 1000, 0},
        {"paso_banda", TransformMode::paso_banda, 100, 5000},
        {"telefono", TransformMode::telefono, 300, 3400},
        {"r_bass", TransformMode::r_bass, 0, 0},
        {"s_bass", TransformMode::s_bass, 0, 0},
        {"r_treble", TransformMode::r_treble, 0, 0},
        {"s_treble", TransformMode::s_treble, 0, 0},
        {"r_hight", TransformMode::r_hight, 0, 0},
        {"s_hight", TransformMode::s_hight, 0, 0},
        {"Bionic", TransformMode::Bionic, 1, 1},
        {"karaoke", TransformMode::karaoke, 300, 3400},
        {"expansor_dinamica", TransformMode::expansor_dinamica, 1, 110},
        {"ecualizar", TransformMode::ecualizar, 1, 1},
        {"stsa", TransformMode::stsa, 0, 0},
        {"PasaBandaPersonalitzat", TransformMode::PasaBandaPersonalitzat, 200, 4000},
        {"MoureFrequencies_m100", TransformMode::MoureFrequencies, -100, 0},
        {"MoureFrequencies_m30", TransformMode::MoureFrequencies, -30, 0},
        {"MoureFrequencies_0", TransformMode::MoureFrequencies, 0, 0},
        {"MoureFrequencies_45", TransformMode::MoureFrequencies, 45, 0},
        {"paso_bajo_reverb", TransformMode::paso_bajo_reverb, 1, 5000},
    };
    return cases;
}

void prepare(FftWorkArea& a) {
    a.EqualizerGains = {6, -3, 0, 4, -8, 2, 0, -5, 9, -12};
    a.StsaUpperSnr = 1000;
    a.StsaLowerSnr = 300;
    a.StsaNoisePower = 100;
}

// The selections: the whole sound (which loses its last frame), a stretch
// inside it, and one shorter than a hop.
void select(SoundBuffer& s, int which) {
    if (which == 0) s.setSelection(0, s.frameCount());
    else if (which == 1) s.setSelection(777, s.frameCount() - 2000);
    else s.setSelection(5000, 700);
}

} // namespace

// The blocks may be spread over any number of threads: the results are those
// of one block after the other.
struct ThreadCount {
    explicit ThreadCount(int n) { setSpectralThreads(n); }
    ~ThreadCount() { setSpectralThreads(0); }
};

TEST(GoldenSpectral, EveryModeWordOnEveryLayout) {
    GoldenTable table(goldenSpectralValues());
    for (int threads : {0, 1}) {
    ThreadCount use(threads);
    for (bool noise : {true, false})
        for (const Layout& lay : kLayouts) {
            const SoundBuffer original = goldenSound(noise, lay.bits, lay.channels, kRate, kFrames);
            for (const ModeCase& mc : modeCases())
                for (int sel = 0; sel < 3; ++sel) {
                    if (sel == 2 && mc.mode != TransformMode::paso_banda && mc.mode != TransformMode::Bionic) continue;
                    SoundBuffer s = original;
                    select(s, sel);
                    auto area = std::make_unique<FftWorkArea>();
                    prepare(*area);
                    StepRecorder rec;
                    const bool changed = transformar(s, mc.mode, mc.f1, mc.f2, *area, rec.context());
                    Fnv h;
                    h.value(changed);
                    hashSound(h, s);
                    hashArea(h, *area);
                    for (const auto& p : rec.progress) h.value(p);
                    table.check(std::string(mc.name) + "/" + layoutName(noise, lay) + "/sel" + std::to_string(sel),
                                h.hash());
                }
        }
    }
    EXPECT_EQ(table.checked(), 2 * 368);
}

TEST(GoldenSpectral, AdvancedFilterSizesOverlapsWindowsAndActions) {
    GoldenTable table(goldenSpectralValues());
    const int sizes[] = {512, 1024, 2048, 4096};
    const int overlaps[] = {50, 25, 0, 10, 40};
    for (int threads : {0, 1, 3}) {
    ThreadCount use(threads);
    for (bool noise : {true, false})
        for (const Layout& lay : kLayouts) {
            const SoundBuffer original = goldenSound(noise, lay.bits, lay.channels, kRate, kFrames);
            // One work area for the whole series, as in the program: the
            // Ratio a Delete or an equalizer leaves is seen by the next run.
            auto area = std::make_unique<FftWorkArea>();
            prepare(*area);
            int index = 0;
            for (int size : sizes)
                for (int window = 1; window <= 5; ++window, ++index) {
                    const int overlap = overlaps[index % 5];
                    const int action = index % 6;
                    area->showDialog = [&, size, window, overlap, action, index](int32_t) {
                        area->FftSize = size;
                        area->OverlapSamples = overlap * size / 100;
                        area->WindowType = window;
                        area->FilterAction = action;
                        area->LowCut = 150 + 37 * index;
                        area->HighCut = 3000 + 411 * index;
                        if (action == kActionBoost || action == kActionDecrease) area->Ratio = 0.5 + 0.3 * index;
                        return 0;
                    };
                    SoundBuffer s = original;
                    select(s, index % 2);
                    StepRecorder rec;
                    const bool changed = transformar(s, TransformMode::avanzado, 100, 5000, *area, rec.context());
                    Fnv h;
                    h.value(changed);
                    hashSound(h, s);
                    hashArea(h, *area);
                    for (const auto& p : rec.progress) h.value(p);
                    table.check("avanzado/" + std::to_string(size) + "/w" + std::to_string(window) + "/" +
                                    layoutName(noise, lay),
                                h.hash());
                }
        }
    }
}

TEST(GoldenSpectral, AverageSpectrumOfEveryLayout) {
    GoldenTable table(goldenSpectralValues());
    for (bool noise : {true, false})
        for (const Layout& lay : kLayouts) {
            SoundBuffer s = goldenSound(noise, lay.bits, lay.channels, kRate, kFrames);
            for (int sel = 0; sel < 3; ++sel) {
                select(s, sel);
                auto area = std::make_unique<FftWorkArea>();
                ASSERT_TRUE(mostrar_transf_fft(s, *area));
                Fnv h;
                hashArea(h, *area);
                table.check("spectrum/" + layoutName(noise, lay) + "/sel" + std::to_string(sel), h.hash());
            }
        }
}

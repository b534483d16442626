// The time, rate, delay and level effects' whole-sound results, layout by
// layout, against the hashes of the results before they were made faster.
#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "sound/engine/effects/amplitude.h"
#include "sound/engine/effects/delay_effects.h"
#include "sound/engine/effects/time_effects.h"
#include "tests/sound/golden/golden_support.h"
#include "tests/sound/golden/golden_values.h"

using namespace sv;
using namespace sv::test;

namespace {

constexpr uint32_t kRate = 22050;
constexpr int64_t kFrames = 30011;

struct EffectCase {
    const char* name;
    std::function<bool(SoundBuffer&, const OperationContext&)> run;
};

ModulationParams voices(int n, int feedback) {
    ModulationParams p;
    p.fixedDelay = 2500;
    p.mixedDelay = 12;
    p.voices = n;
    p.original = 80;
    p.processed = 70;
    p.frequency = 7;
    p.feedback = feedback;
    return p;
}

const std::vector<EffectCase>& effectCases() {
    static const std::vector<EffectCase> cases = {
        {"robotic", [](SoundBuffer& s, const OperationContext& c) { return intervalEffect(s, IntervalEffect::RoboticVoice, c); }},
        {"chopper", [](SoundBuffer& s, const OperationContext& c) { return intervalEffect(s, IntervalEffect::Chopper, c); }},
        {"great_chopper", [](SoundBuffer& s, const OperationContext& c) { return intervalEffect(s, IntervalEffect::GreatChopper, c); }},
        {"echo_300_3", [](SoundBuffer& s, const OperationContext& c) { return echo(s, 300, 3, c); }},
        {"echo_45_9", [](SoundBuffer& s, const OperationContext& c) { return echo(s, 45, 9, c); }},
        {"gapper", [](SoundBuffer& s, const OperationContext& c) { return gapper(s, 333, 1234, c); }},
        {"groove", [](SoundBuffer& s, const OperationContext& c) { return groove(s, 997, 3, c); }},
        {"speed_grow", [](SoundBuffer& s, const OperationContext& c) { return changeSpeed(s, s.selectionLength * 3 / 2 + 7, false, true, c); }},
        {"speed_grow_quarter", [](SoundBuffer& s, const OperationContext& c) { return changeSpeed(s, s.selectionLength * 4, true, true, c); }},
        {"speed_shrink", [](SoundBuffer& s, const OperationContext& c) { return changeSpeed(s, s.selectionLength * 7 / 10, false, true, c); }},
        {"resample_up4", [](SoundBuffer& s, const OperationContext& c) { return resampleSound(s, SampleFormat::pcm(88200, s.format.wBitsPerSample, s.format.nChannels), c); }},
        {"resample_half", [](SoundBuffer& s, const OperationContext& c) { return resampleSound(s, SampleFormat::pcm(11025, s.format.wBitsPerSample, s.format.nChannels), c); }},
        {"resample_16s_44", [](SoundBuffer& s, const OperationContext& c) { return resampleSound(s, SampleFormat::pcm(44100, 16, 2), c); }},
        {"resample_8m_8k", [](SoundBuffer& s, const OperationContext& c) { return resampleSound(s, SampleFormat::pcm(8000, 8, 1), c); }},
        {"reverb", [](SoundBuffer& s, const OperationContext& c) { return reverb(s, ReverbParams{}, c); }},
        {"reverb_selection", [](SoundBuffer& s, const OperationContext& c) {
             ReverbParams p;
             p.density = 120;
             p.reverbDelay = 30;
             p.initialDelay = 5;
             p.reverbTime = 400;
             p.originalLevel = 70;
             p.reverbLevel = 90;
             p.onlySelection = true;
             return reverb(s, p, c);
         }},
        {"flanger", [](SoundBuffer& s, const OperationContext& c) { return flanger(s, voices(1, 40), c); }},
        {"flanger_3", [](SoundBuffer& s, const OperationContext& c) { return flanger(s, voices(3, 25), c); }},
        // Just below where the loop would have to be tamed.
        {"flanger_edge", [](SoundBuffer& s, const OperationContext& c) { return flanger(s, voices(3, 47), c); }},
        {"chorus_4", [](SoundBuffer& s, const OperationContext& c) { return chorus(s, voices(4, 0), c); }},
        {"normalise", [](SoundBuffer& s, const OperationContext& c) { return normalise(s, c); }},
        {"amplify_50", [](SoundBuffer& s, const OperationContext& c) { return amplify(s, 50, c); }},
        {"amplify_173", [](SoundBuffer& s, const OperationContext& c) { return amplify(s, 173, c); }},
    };
    return cases;
}

} // namespace

TEST(GoldenEffects, EveryEffectOnEveryLayout) {
    GoldenTable table(goldenEffectValues());
    for (bool noise : {true, false})
        for (const Layout& lay : kLayouts) {
            SoundBuffer original = goldenSound(noise, lay.bits, lay.channels, kRate, kFrames);
            if (!noise) {
                // Quieter tones, so that normalising has something to do.
                amplify(original, 61, OperationContext{});
            }
            for (const EffectCase& ec : effectCases())
                for (int sel = 0; sel < 2; ++sel) {
                    SoundBuffer s = original;
                    if (sel == 0) s.setSelection(0, s.frameCount());
                    else s.setSelection(1501, 17003);
                    StepRecorder rec;
                    std::vector<int64_t> completed;
                    OperationContext ctx = rec.context();
                    ctx.completeUndo = [&](int64_t n) { completed.push_back(n); };
                    const bool changed = ec.run(s, ctx);
                    Fnv h;
                    h.value(changed);
                    hashSound(h, s);
                    for (const auto& p : rec.progress) h.value(p);
                    for (const auto& st : rec.steps) {
                        h.add(st.words.data(), st.words.size());
                        h.value(st.length);
                        h.value(st.whole);
                    }
                    for (int64_t n : completed) h.value(n);
                    table.check(std::string(ec.name) + "/" + layoutName(noise, lay) + "/sel" + std::to_string(sel),
                                h.hash());
                }
        }
    EXPECT_GT(table.checked(), 300);
}

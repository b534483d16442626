// Filters, noise and analysis of a sound window: the window asks for the
// parameters where the operation has a dialog, runs one engine call over
// the selection and shows the outcome.
#include <QCheckBox>
#include <QLabel>
#include <QProgressBar>

#include "dialogs/Equalize.h"
#include "dialogs/Gaussian.h"
#include "dialogs/Histogram.h"
#include "dialogs/ParamDialog.h"
#include "dialogs/VoiceCleaner.h"
#include "dialogs/wavelet.h"
#include "platform/prompts.h"
#include "sound/Sound.h"
#include "sound/display_state.h"
#include "sound/engine/effects/filters.h"
#include "sound/engine/effects/histogram.h"
#include "sound/engine/effects/noise.h"
#include "sound/engine/effects/wavelet.h"
#include "sound/engine/fft/transformar.h"
#include "sound/fft_state.h"
#include "sound/operation_failure.h"

using namespace sv;

namespace {

// The level dialog of a noise generator; false when cancelled.
bool askNoiseLevel(TSoundfrm* owner, const char* kind, int32_t& level) {
    TGaussianfrm f(owner);
    return f.mostrar_form(kind, level) == 0;
}

} // namespace

void TSoundfrm::filtro_mediana() {
    runEffect(this, EffectShow::Selection, [this](const OperationContext& ctx) { return medianFilter(Sound, ctx); });
}

void TSoundfrm::filtre_mediana_millorat() {
    runEffect(this, EffectShow::Selection, [this](const OperationContext& ctx) {
        return improvedMedianFilter(Sound, ctx);
    });
}

void TSoundfrm::filtro_media() {
    runEffect(this, EffectShow::Selection, [this](const OperationContext& ctx) { return averageFilter(Sound, ctx); });
}

void TSoundfrm::Filtre_Copalta() {
    runEffect(this, EffectShow::Selection, [this](const OperationContext& ctx) { return topHatFilter(Sound, ctx); });
}

void TSoundfrm::edge_enhancement() {
    runEffect(this, EffectShow::Selection, [this](const OperationContext& ctx) { return edgeEnhancement(Sound, ctx); });
}

void TSoundfrm::differencefilter() {
    runEffect(this, EffectShow::Selection, [this](const OperationContext& ctx) {
        return differenceFilter(Sound, ctx);
    });
}

void TSoundfrm::DoCustomizedFilter(const std::array<double, 7>& weights, bool feedback) {
    if (Sound.selection().length <= 7) {
        ShowMessage(kCustomizedFilterTooShort);
        return;
    }
    runEffect(this, EffectShow::Selection, [&](const OperationContext& ctx) {
        return customizedFilter(Sound, weights, feedback, ctx);
    });
}

void TSoundfrm::cuantizador(int32_t step) {
    runEffect(this, EffectShow::Selection, [&](const OperationContext& ctx) { return quantize(Sound, step, ctx); });
}

void TSoundfrm::Soroll() {
    runEffect(this, EffectShow::Selection, [this](const OperationContext& ctx) { return uniformNoise(Sound, ctx); });
}

void TSoundfrm::sorollgaussia() {
    int32_t level = 0;
    if (!askNoiseLevel(this, "expdist", level)) return;
    runEffect(this, EffectShow::Selection, [&](const OperationContext& ctx) {
        return gaussianNoise(Sound, level, ctx);
    });
}

void TSoundfrm::speckle() {
    int32_t level = 0;
    if (!askNoiseLevel(this, "speckle", level)) return;
    runEffect(this, EffectShow::Selection, [&](const OperationContext& ctx) {
        return speckleNoise(Sound, level, ctx);
    });
}

void TSoundfrm::sorollrosa() {
    int32_t level = 0;
    if (!askNoiseLevel(this, "pinkdist", level)) return;
    runEffect(this, EffectShow::Selection, [&](const OperationContext& ctx) { return pinkNoise(Sound, level, ctx); });
}

void TSoundfrm::histograma() {
    HistogramStats st;
    const OperationFailure f = attemptOperation([&] { st = histogram(Sound); });
    if (f.failed) {
        reportFailure(f);
        return;
    }
    if (Histogramfrm) Histogramfrm->mostrar_form(Sound.format.wBitsPerSample, st.mean, st.variance);
}

void TSoundfrm::WaveletDenoising() {
    if (SelectionLength <= 0) {
        ShowMessage(kSelectToDenoise);
        return;
    }
    // The parameters first: a dialog left with Cancel, Escape or a zero
    // threshold changes nothing, takes no undo step and leaves the sound's
    // modified state as it was.
    double threshold = 0;
    int32_t mode = 0;
    {
        Twaveletfrm dialog(this);
        showModal(dialog);
        threshold = dialog.threshold;
        mode = dialog.thresholding;
    }
    if (!(threshold > 0)) return;
    bool stepTaken = false;
    const OperationFailure f = attemptOperation([&] {
        stepTaken = Sound.format.isSupportedPcm() && Sound.selection().length > 0 &&
                    editContext().undo(undo_words::waveletDenoising, Sound.selection().length, false);
    });
    if (f.failed) {
        reportFailure(f);
        return;
    }
    if (!stepTaken) return;
    Modified = true;
    const FrameSpan sel = Sound.selection();
    const OperationFailure g = attemptOperation([&] { wavelet(Sound, mode, threshold, editContext()); });
    if (g.failed) {
        ProgressBar1->hide();
        reportFailure(g);
    }
    samplesChanged(sel.start, sel.length);
    displayState().changeAnnounced = true;
    afterEdit(int64_t(Sound.bytes.size()));
}

void TSoundfrm::Ecualizar() {
    if (!Equalizefrm) return;
    std::array<int32_t, TEqualizefrm::kBands> gains{};
    if (Equalizefrm->mostrar_form(1, gains) != 0) return;
    FftArea().EqualizerGains = gains;
    transformar("ecualizar", 1, 1);
}

void TSoundfrm::VoiceCleaner() {
    TVoiceCleanerfrm f(this);
    if (showModal(f) != mrOk) return;
    f.showAsStepList();
    const auto [low, high] = voiceCleanerBand(f.rg1->ItemIndex());
    const auto step = [&f](QCheckBox* box, QLabel* mark, const std::function<void()>& run) {
        if (!box->isChecked()) return;
        f.stepStarted(mark);
        run();
        f.stepFinished(mark);
    };
    step(f.cb2, f.Label2, [this] {
        FftWorkArea& area = FftArea();
        area.StsaUpperSnr = 1000;
        area.StsaLowerSnr = 1000;
        area.StsaNoisePower = 100;
        transformar("stsa", 0, 0);
    });
    step(f.cb1, f.Label1, [this, low = low, high = high] { transformar("PasaBandaPersonalitzat", low, high); });
    step(f.cb3, f.Label3, [this] { transformar("expansor_dinamica", 1, 110); });
    step(f.cb0, f.Label0, [this] { puertas_ruido(5, 5, 0); });
    step(f.cb4, f.Label4, [this] { normalizar_onda(); });
}

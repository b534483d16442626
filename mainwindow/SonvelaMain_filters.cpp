#include "mainwindow/SonvelaMain_filters.h"
#include "mainwindow/SonvelaMain_view.h"

#include <QCheckBox>
#include <QMenu>
#include <QSlider>
#include <QToolBar>
#include <cstdint>
#include <string>

#include "dialogs/CustomizedFilter.h"
#include "dialogs/DynamicExpander.h"
#include "dialogs/Effects.h"
#include "dialogs/FilterBank.h"
#include "dialogs/FrequencyShift.h"
#include "dialogs/ParamDialog.h"
#include "dialogs/stsa.h"
#include "mainwindow/SonvelaMain.h"
#include "sound/Sound.h"
#include "sound/fft_state.h"

namespace {

// The effects dialog gives 1000 for both values on Cancel.
constexpr int32_t kEffectsCancelled = 1000;

void runFilterBank(TSoundfrm* w) {
    if (!FilterBankfrm) return;
    int32_t low = 0, high = 0;
    std::string keyword;
    FilterBankfrm->mostrar_form(low, high, keyword);
    w->transformar(keyword, low, high);   // "cancelat" changes nothing
}

void runStsa(TSVMainfrm* main, TSoundfrm* w) {
    {
        Tstsaform f(main);
        sv::showModal(f);
        if (f.OK != 1) return;
        sv::FftWorkArea& area = FftArea();
        area.StsaUpperSnr = f.TopSnr;
        area.StsaLowerSnr = f.MinSnr;
        area.StsaNoisePower = f.NoisePower;
    }
    w->transformar("stsa", 0, 0);
}

void runFrequencyShift(TSVMainfrm* main, TSoundfrm* w) {
    int32_t shift = 0;
    {
        TFrequencyShiftfrm f(main);
        if (sv::showModal(f) != sv::mrOk) return;
        shift = f.tb1->value();
    }
    w->transformar("MoureFrequencies", shift, 0);
}

// The dialog comes first, with or without a sound; the filter runs only on
// an active sound window.
void runCustomizedFilter(TSVMainfrm* main) {
    std::array<double, 7> weights{};
    bool feedback = false;
    {
        TCustomizedFilterfrm f(main);
        if (sv::showModal(f) != sv::mrOk) return;
        weights = f.weights();
        feedback = f.RetroalimentationCB->isChecked();
    }
    if (TSoundfrm* w = main->activeSound()) w->DoCustomizedFilter(weights, feedback);
}

void runQuantifier(TSoundfrm* w) {
    if (!Effectsfrm) return;
    int32_t step = 0, unused = 0;
    Effectsfrm->Mostrar_form(step, unused, 1, QStringLiteral("Quantifier"));
    if (step == kEffectsCancelled && unused == kEffectsCancelled) return;
    w->cuantizador(step);
}

void addMenus(TSVMainfrm* main) {
    if (main->item("Adduniformnoise1")) return;
    auto* noise = new QMenu(QStringLiteral("Add &noise"), main);
    noise->setObjectName("Addnoise1");
    main->addItem(noise, "Adduniformnoise1", QStringLiteral("Add &uniform noise"));
    main->addItem(noise, "Addgaussiannoise1", QStringLiteral("Add &gaussian noise"));
    main->addItem(noise, "Addpinknoise1", QStringLiteral("Add &pink noise"));
    main->addItem(noise, "Addspecklenoise1", QStringLiteral("Add &speckle noise"));
    QAction* after = main->item("Filtromediana1");
    if (after && main->Filtros1->actions().contains(after)) main->Filtros1->insertMenu(after, noise);
    else main->Filtros1->addMenu(noise);
    if (main->Effects1) main->addItem(main->Effects1, "AddNoise1", QStringLiteral("Add &Noise"));
}

void addButtons(TSVMainfrm* main) {
    if (main->button("SpeedButton27")) return;
    QToolBar* bar = toolBarPanel(main, "PanelFilter");
    if (!bar) return;
    const struct { const char* name; const char* text; const char* hint; const char* item; } buttons[] = {
        {"SpeedButton24", "Bank", "Filter bank", "BancodeFiltros1"},
        {"SpeedButton28", "EQ", "Equalize", "Ecualizar1"},
        {"SpeedButton30", "LP", "Low pass filter (5k)", "SpeedButton30"},
        {"SpeedButton25", "BP", "Band pass filter (100-5k)", "SpeedButton25"},
        {"SpeedButton26", "HP", "High pass filter (1k)", "SpeedButton26"},
        {"SpeedButton27", "Median", "Median filter", "Filtromediana1"},
        {"ImprovedMedian_SB", "Median+", "Improved median filter", "Filtromejorado1"},
        {"Average_SB", "Avg", "Average filter", "Filtrodemedia1"},
        {"TopHat_SB", "Top hat", "Top hat filter", "FiltroCopalta1"},
        {"EdgeEnhancement_SB", "Edge", "Edge Enhancement", "EdgeEnhancement1"},
        {"DifferenceFilter_SB", "Diff", "Difference Filter", "RestFilter1"},
        {"CustomizedFilterSB", "Custom", "Customized Filter", "CustomizedFilterSB"},
        {"SpeedButton31", "Expand", "Dynamic expander", "Expansordedinamica1"},
        {"STSA_SB", "STSA", "STSA", "STSA1"},
        {"Wavelet_SB", "Wavelet", "Wavelet Denoising", "WaveletDenoising1"},
        {"SpeedButton45", "Voice", "Voice Cleaner", "VoiceCleaner1"},
        {"Uniform_SB", "Uniform", "Add uniform noise", "Adduniformnoise1"},
        {"Gaussian_SB", "Gauss", "Add gaussian noise", "Addgaussiannoise1"},
        {"Pink_SB", "Pink", "Add pink noise", "Addpinknoise1"},
        {"Speckle_SB", "Speckle", "Add speckle noise", "Addspecklenoise1"},
        {"Histogram_SB", "Histo", "Histogram", "Histogram1"},
    };
    for (const auto& b : buttons)
        main->addButton(bar, b.name, QString::fromLatin1(b.text), QString::fromLatin1(b.hint), b.item);
}

} // namespace

void installSpectralCommands(TSVMainfrm* main) {
    addMenus(main);
    addButtons(main);

    // Guards: needSelection for a selection in Edit3, pauseCd for the CD
    // poll timer held off while the command runs.
    auto plain = [main](const char* item, bool needSelection, bool pauseCd, void (TSoundfrm::*op)()) {
        main->setHandler(item, [main, needSelection, pauseCd, op] {
            main->soundCommand(needSelection, pauseCd, [op](TSoundfrm* w) { (w->*op)(); });
        });
    };
    plain("TelefonicLine1", true, true, &TSoundfrm::linea_telefonica);
    plain("Karaoke1", true, true, &TSoundfrm::karaoke);
    plain("SpectralAverage1", true, true, &TSoundfrm::Bionic);
    plain("Filtromediana1", true, false, &TSoundfrm::filtro_mediana);
    plain("Filtrodemedia1", true, false, &TSoundfrm::filtro_media);
    plain("EdgeEnhancement1", true, false, &TSoundfrm::edge_enhancement);
    plain("RestFilter1", true, false, &TSoundfrm::differencefilter);
    plain("Filtromejorado1", false, false, &TSoundfrm::filtre_mediana_millorat);
    plain("FiltroCopalta1", false, false, &TSoundfrm::Filtre_Copalta);
    plain("Histogram1", false, false, &TSoundfrm::histograma);
    // The noise goes into the selection: with a cursor alone these do
    // nothing, so they stay disabled as their menus and buttons are, and
    // never show a level dialog that could change nothing.
    plain("Adduniformnoise1", true, false, &TSoundfrm::Soroll);
    plain("AddNoise1", true, false, &TSoundfrm::Soroll);
    plain("Addgaussiannoise1", true, false, &TSoundfrm::sorollgaussia);
    plain("Addpinknoise1", true, false, &TSoundfrm::sorollrosa);
    plain("Addspecklenoise1", true, false, &TSoundfrm::speckle);
    plain("WaveletDenoising1", false, false, &TSoundfrm::WaveletDenoising);
    plain("Ecualizar1", false, false, &TSoundfrm::Ecualizar);
    plain("VoiceCleaner1", false, false, &TSoundfrm::VoiceCleaner);

    // The three fixed filters of the tool bar have no menu item.
    auto fixed = [main](const char* item, const char* mode, int32_t low, int32_t high) {
        main->setHandler(item, [main, mode, low, high] {
            main->soundCommand(false, false, [mode, low, high](TSoundfrm* w) { w->transformar(mode, low, high); });
        });
    };
    fixed("SpeedButton30", "paso_bajo", 1, 5000);
    fixed("SpeedButton25", "paso_banda", 100, 5000);
    fixed("SpeedButton26", "paso_alto", 1000, 0);

    main->setHandler("Expansordedinamica1", [main] {
        main->soundCommand(false, true, [](TSoundfrm* w) {
            int32_t ratio = 100;
            if (DynamicExpanderfrm && DynamicExpanderfrm->mostrar_form(ratio) == 0)
                w->transformar("expansor_dinamica", 1, ratio);
        });
    });
    main->setHandler("BancodeFiltros1", [main] { main->soundCommand(true, true, runFilterBank); });
    main->setHandler("STSA1", [main] {
        main->soundCommand(false, false, [main](TSoundfrm* w) { runStsa(main, w); });
    });
    main->setHandler("FrequencyShift1", [main] {
        main->soundCommand(false, false, [main](TSoundfrm* w) { runFrequencyShift(main, w); });
    });
    main->setHandler("CustomizedFilterSB", [main] { runCustomizedFilter(main); });
    main->setHandler("Quantifier1", [main] { main->soundCommand(true, true, runQuantifier); });
}

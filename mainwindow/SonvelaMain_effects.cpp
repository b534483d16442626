#include "mainwindow/SonvelaMain_effects.h"

#include <cstdint>

#include "dialogs/Effects.h"
#include "dialogs/NoiseGate.h"
#include "dialogs/ParamDialog.h"
#include "mainwindow/SonvelaMain.h"
#include "sound/Sound.h"

namespace {

// The effects dialog's Cancel gives 1000 for both values; OK never gives
// 1000 (the sliders stop at 127 and 100).
constexpr int32_t kCancelled = 1000;

// Asks the effects dialog for a named effect's threshold and ratio; false
// when cancelled.
bool askNamedEffect(const char* name, int32_t& threshold, int32_t& ratio) {
    if (!Effectsfrm) return false;
    threshold = 0;
    ratio = 0;
    Effectsfrm->Mostrar_form(threshold, ratio, 2, QString::fromLatin1(name));
    return !(threshold == kCancelled && ratio == kCancelled);
}

// The noise gate dialog lives for one command; only OK applies it.
void askNoiseGate(TSVMainfrm* main, TSoundfrm* w) {
    int32_t threshold = 0, time = 0, reduction = 0;
    {
        TNoiseGatefrm f(main);
        if (sv::showModal(f) != sv::mrOk) return;
        threshold = f.Threshold;
        time = f.Time;
        reduction = f.Reduction;
    }
    w->puertas_ruido(threshold, time, reduction);
}

// The "Effects" button: the effect chosen from the list, by its index.
void runChosenEffect(TSoundfrm* w) {
    if (!Effectsfrm) return;
    int32_t threshold = 0, ratio = 0;
    const int32_t index = Effectsfrm->Mostrar_form(threshold, ratio, 3, QString());
    if (threshold == kCancelled || ratio == kCancelled) return;
    switch (index) {
    case 0: w->linea_telefonica(); break;
    case 1: w->robot(); break;
    case 2: w->distorsion(threshold, ratio); break;
    case 3: w->puertas_ruido(threshold, ratio, 0); break;   // the ratio slider is the noise gate's time
    case 4: w->compresor(threshold, ratio); break;
    case 5: w->amplificador(threshold, ratio); break;
    case 6: w->metalizar(1); break;
    case 7: w->metalizar(0); break;
    case 8: w->super_separacion(); break;
    case 9: w->cuantizador(threshold); break;
    case 10: w->super_separacion2(); break;
    case 11: w->karaoke(); break;
    case 12: w->Bionic(); break;
    default: break;
    }
}

} // namespace

void installAmplitudeCommands(TSVMainfrm* main) {
    // Guards: needSelection for a selection in Edit3, pauseCd for the CD
    // poll timer held off while the command runs.
    auto plain = [main](const char* item, bool needSelection, bool pauseCd, void (TSoundfrm::*op)()) {
        main->setHandler(item, [main, needSelection, pauseCd, op] {
            main->soundCommand(needSelection, pauseCd, [op](TSoundfrm* w) { (w->*op)(); });
        });
    };
    plain("Maximizaronda1", false, false, &TSoundfrm::normalizar_onda);
    plain("Amplificarvolumen1", true, false, &TSoundfrm::amplificar_volumen);
    plain("Fadein1", true, false, &TSoundfrm::fadein);
    plain("Fadeout1", true, false, &TSoundfrm::fadeout);
    plain("Forzarsilencio1", true, false, &TSoundfrm::forzar_silencio);
    plain("Cambiarcanales1", true, false, &TSoundfrm::cambiar_canales);
    plain("Girar1", true, false, &TSoundfrm::girar_onda);
    plain("Invertir1", true, false, &TSoundfrm::invertir_onda);
    plain("Travellingstereo1", true, false, &TSoundfrm::travelling_stereo);
    plain("Eliminaroffset1", true, false, &TSoundfrm::eliminar_offset);

    main->setHandler("HardMetallitzation1", [main] {
        main->soundCommand(true, true, [](TSoundfrm* w) { w->metalizar(1); });
    });
    main->setHandler("SoftMetallization1", [main] {
        main->soundCommand(true, true, [](TSoundfrm* w) { w->metalizar(0); });
    });

    using Named = void (TSoundfrm::*)(int32_t, int32_t);
    auto named = [main](const char* item, const char* effectName, Named op) {
        main->setHandler(item, [main, effectName, op] {
            main->soundCommand(true, true, [effectName, op](TSoundfrm* w) {
                int32_t threshold = 0, ratio = 0;
                if (askNamedEffect(effectName, threshold, ratio)) (w->*op)(threshold, ratio);
            });
        });
    };
    named("ElectricGuitarDistortion1", "Electric Guitar Distortion", &TSoundfrm::distorsion);
    named("Compressor1", "Compressor", &TSoundfrm::compresor);
    named("Expander1", "Expander", &TSoundfrm::amplificador);

    for (const char* item : {"NoiseGate1", "NoiseGateFilter1"})
        main->setHandler(item, [main] {
            main->soundCommand(true, false, [main](TSoundfrm* w) { askNoiseGate(main, w); });
        });

    main->setHandler("Efectos1", [main] { main->soundCommand(true, true, runChosenEffect); });
}

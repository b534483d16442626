#include "mainwindow/startup.h"

#include "dialogs/AmplifyVolume.h"
#include "dialogs/Echo.h"
#include "dialogs/DynamicExpander.h"
#include "dialogs/Effects.h"
#include "dialogs/Equalize.h"
#include "dialogs/FadeInOut.h"
#include "dialogs/FilterBank.h"
#include "dialogs/Histogram.h"
#include "dialogs/Resample.h"
#include "dialogs/Reverb.h"
#include "dialogs/SpeedUpDown.h"
#include "mainwindow/SonvelaMain.h"
#include "sound/AdvancedFilter.h"
#include "sound/fft_state.h"

// The long-lived dialogs are children of the main window, so they go with
// it; their globals are cleared when it does. Created in this order (the
// forms not listed are not part of this build yet): fade, advanced filter,
// effects, filter bank, resample, speed up/down, echo, reverb, equalize,
// histogram, dynamic expander, amplify.
void createLongLivedForms(TSVMainfrm* main) {
    if (!FadeInOutfrm) FadeInOutfrm = new TFadeInOutfrm(main);
    if (!AdvancedFilterfrm) AdvancedFilterfrm = new TAdvancedFilterfrm(main);
    FftArea().showDialog = [](int32_t rate) { return AdvancedFilterfrm ? AdvancedFilterfrm->mostrar_form(rate) : 1; };
    if (!Effectsfrm) Effectsfrm = new TEffectsfrm(main);
    if (!FilterBankfrm) FilterBankfrm = new TFilterBankfrm(main);
    if (!Resamplefrm) Resamplefrm = new TResamplefrm(main);
    if (!SpeedUpDownfrm) SpeedUpDownfrm = new TSpeedUpDownfrm(main);
    if (!Echofrm) Echofrm = new TEchofrm(main);
    if (!Reverbfrm) Reverbfrm = new TReverbfrm(main);
    if (!Equalizefrm) Equalizefrm = new TEqualizefrm(main);
    if (!Histogramfrm) Histogramfrm = new THistogramfrm(main);
    if (!DynamicExpanderfrm) DynamicExpanderfrm = new TDynamicExpanderfrm(main);
    if (!AmplifyVolumefrm) AmplifyVolumefrm = new TAmplifyVolumefrm(main);
}

void destroyLongLivedForms() {
    FadeInOutfrm = nullptr;
    AdvancedFilterfrm = nullptr;
    FftArea().showDialog = nullptr;
    Effectsfrm = nullptr;
    FilterBankfrm = nullptr;
    Resamplefrm = nullptr;
    SpeedUpDownfrm = nullptr;
    Echofrm = nullptr;
    Reverbfrm = nullptr;
    Equalizefrm = nullptr;
    Histogramfrm = nullptr;
    DynamicExpanderfrm = nullptr;
    AmplifyVolumefrm = nullptr;
}

#include "mainwindow/startup.h"

#include "dialogs/AmplifyVolume.h"
#include "dialogs/DynamicExpander.h"
#include "dialogs/Effects.h"
#include "dialogs/FadeInOut.h"
#include "mainwindow/SonvelaMain.h"

// The long-lived dialogs are children of the main window, so they go with
// it; their globals are cleared when it does. Created in this order (the
// forms not listed are not part of this build yet): fade, effects, dynamic
// expander, amplify.
void createLongLivedForms(TSVMainfrm* main) {
    if (!FadeInOutfrm) FadeInOutfrm = new TFadeInOutfrm(main);
    if (!Effectsfrm) Effectsfrm = new TEffectsfrm(main);
    if (!DynamicExpanderfrm) DynamicExpanderfrm = new TDynamicExpanderfrm(main);
    if (!AmplifyVolumefrm) AmplifyVolumefrm = new TAmplifyVolumefrm(main);
}

void destroyLongLivedForms() {
    FadeInOutfrm = nullptr;
    Effectsfrm = nullptr;
    DynamicExpanderfrm = nullptr;
    AmplifyVolumefrm = nullptr;
}

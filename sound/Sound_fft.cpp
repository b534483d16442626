// Spectral operations of a sound window, through the block engine.
#include <QApplication>

#include <stdexcept>

#include "mainwindow/SonvelaMain.h"
#include "platform/activity.h"
#include "platform/files.h"
#include "platform/prompts.h"
#include "platform/qt/qt_prompts.h"
#include "sound/Sound.h"
#include "sound/engine/fft/transformar.h"
#include "sound/fft_state.h"

using namespace sv;

// Runs one engine call and turns its outcome into the window's state: the
// engine never shows anything, and no exception may reach the event loop.
template <typename Op>
static void runSpectral(TSoundfrm* w, Op&& op) {
    const int64_t before = int64_t(w->Sound.bytes.size());
    bool changed = false;
    try {
        changed = op(w->editContext());
    } catch (const FftBlockError& e) {
        setActivity(Activity::Idle);
        w->ProgressBar1->hide();
        QApplication::beep();
        prompts().messageBox(applicationTitle(), e.what(), Buttons::Ok, Icon::Error);
        changed = e.stepTaken();
    } catch (const FileIOError& e) {
        setActivity(Activity::Idle);
        w->ProgressBar1->hide();
        prompts().messageBox(applicationTitle(), e.what(), Buttons::Ok, Icon::Error);
    } catch (const std::exception& e) {
        setActivity(Activity::Idle);
        w->ProgressBar1->hide();
        prompts().messageBox(applicationTitle(), e.what(), Buttons::Ok, Icon::Error);
    }
    if (changed) w->afterEdit(before);
    else w->mostrar_sonido(w->Zoom);
}

void TSoundfrm::transformar(const std::string& mode, int32_t f1, int32_t f2) {
    runSpectral(this, [&](const OperationContext& ctx) {
        return sv::transformar(Sound, mode, f1, f2, FftArea(), ctx);
    });
}

void TSoundfrm::linea_telefonica() {
    runSpectral(this, [&](const OperationContext& ctx) { return sv::linea_telefonica(Sound, FftArea(), ctx); });
}

void TSoundfrm::Bionic() {
    runSpectral(this, [&](const OperationContext& ctx) { return sv::Bionic(Sound, FftArea(), ctx); });
}

void TSoundfrm::karaoke() {
    runSpectral(this, [&](const OperationContext& ctx) { return sv::karaoke(Sound, FftArea(), ctx); });
}

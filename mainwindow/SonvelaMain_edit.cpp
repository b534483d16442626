#include "mainwindow/SonvelaMain_edit.h"

#include <QActionGroup>
#include <QMenu>
#include <QPointer>
#include <QProgressBar>
#include <QStatusBar>

#include <exception>
#include <functional>
#include <string>

#include "dialogs/CombineChannels.h"
#include "dialogs/MixWeights.h"
#include "dialogs/ParamDialog.h"
#include "mainwindow/SonvelaMain.h"
#include "platform/activity.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "platform/prompts.h"
#include "platform/settings.h"
#include "platform/qt/qt_prompts.h"
#include "sound/Sound.h"
#include "sound/engine/clipboard_file.h"
#include "sound/engine/undo_store.h"

namespace sv {

namespace {

// The sound windows report their own errors; this is the last net, so
// that nothing thrown ever reaches the event loop.
void guarded(const std::function<void()>& command) {
    try {
        command();
    } catch (const std::exception& e) {
        prompts().messageBox(applicationTitle(), e.what(), Buttons::Ok, Icon::Error);
    }
}

// "Edit3 > 0": a selection length that is not a number is reported, as
// the conversion error of the box, and the command stops.
bool selectionGuard(TSVMainfrm* main) {
    int64_t length = 0;
    return typedInteger(main->Edit3, length) && length > 0;
}

bool clipThere(const TSVMainfrm* main) { return fileExists(main->ExeDir + kClipboardFileName); }

// The zoom in the main window's box, or the window's own when the box
// holds no usable number.
int64_t boxZoom(const TSVMainfrm* main, const TSoundfrm* w) {
    bool ok = false;
    const qlonglong z = main->Edit2->text().toLongLong(&ok);
    return ok && z >= 1 ? int64_t(z) : w->Zoom;
}

// The CD player's polling waits while a dialog or a long operation runs.
void pauseCd(TSVMainfrm* main) {
    if (main->Timer1) main->Timer1->stop();
}
void resumeCd(TSVMainfrm* main) {
    if (!main->Timer1) return;
    if (main->Panel2 && !main->Panel2->isHidden()) main->Timer1->start();
    else main->Timer1->stop();
}

// A new, empty sound window captioned "New" + the next number + ".wav".
TSoundfrm* newNumberedWindow(TSVMainfrm* main) {
    TSoundfrm* w = main->crearfill();
    ++main->NewSoundCount;
    w->FileName = "New" + std::to_string(main->NewSoundCount) + ".wav";
    w->setCaption(w->FileName);
    return w;
}

struct RepeatItem {
    const char* name;
    const char* caption;
    const char* shortcut;
    int count;
};
constexpr RepeatItem kRepeatItems[] = {
    {"N11", "1", "Ctrl+1", 1}, {"N21", "2", "Ctrl+2", 2}, {"N31", "3", "Ctrl+3", 3},
    {"N51", "5", "Ctrl+5", 5}, {"N101", "10", "Ctrl+0", 10}};

// The undo item reads "&Undo" once nothing is left to take back. Runs
// after the menu's own enabling, whose decision it keeps.
void refreshUndoItem(TSVMainfrm* main) {
    TSoundfrm* w = main->activeSound();
    if (!w || activity() != Activity::Idle) return;
    if (IniFile(main->ExeDir + "dadoruz.ini").ReadYesNo(kDisableUndo)) return;
    main->enableItem("undo1", w->habilitomenuundo());
}

// The edit tool buttons, by the rules of the other buttons: E for the
// selection commands, the clip for Paste and Mix.
void enableEditButtons(TSVMainfrm* main, bool idle, bool child, TSoundfrm* w) {
    const bool loaded = main->SoundLoaded;
    const bool E = idle && child && loaded && w && w->SelectionLength != 0;
    for (const char* n : {"SpeedButton5", "SpeedButton1", "SpeedButton13", "SpeedButton33", "SpeedButton35", "Trim_SB"})
        main->enableButton(n, E);
    main->enableButton("DivideChannels_SB", E && w->IsStereo());
    const bool clip = idle && child && loaded && clipThere(main);
    for (const char* n : {"SpeedButton3", "SpeedButton4", "PasteAsNew_SB", "MixSpecial_SB"})
        main->enableButton(n, clip);
    main->enableButton("SpeedButton18", idle && child && main->undoStepFor(w));
}

} // namespace

void Copy1Click(TSVMainfrm* main) {
    TSoundfrm* w = main->activeSound();
    if (w && selectionGuard(main)) w->copiar();
}

void Cut1Click(TSVMainfrm* main) {
    TSoundfrm* w = main->activeSound();
    if (w && selectionGuard(main)) w->cortar();
}

void Insertarsilencio1Click(TSVMainfrm* main) {
    TSoundfrm* w = main->activeSound();
    if (w && selectionGuard(main)) w->insertar_silencio();
}

void Paste1Click(TSVMainfrm* main) {
    TSoundfrm* w = main->activeSound();
    if (w && clipThere(main)) w->pegar();
}

void PasteSpecial1Click(TSVMainfrm* main) {
    TSoundfrm* w = main->activeSound();
    if (w && clipThere(main)) w->mezclar(1.0, 1.0);
}

// The dialog's first level is under "Actual Waveform", the sound in the
// window, and weights its samples; the second, "Copied Waveform", weights
// the clip's.
void Mixspecial1Click(TSVMainfrm* main) {
    QPointer<TSoundfrm> w(main->activeSound());
    if (!w || !clipThere(main)) return;
    double current = 0.0, copied = 0.0;
    {
        Tmixspecial dialog(main);
        dialog.mostrar_form(current, copied);
    }
    if (current == 0.0 && copied == 0.0) return;
    if (w) w->mezclar(copied, current);
}

void Borrar1Click(TSVMainfrm* main) {
    TSoundfrm* w = main->activeSound();
    if (!w || !selectionGuard(main)) return;
    w->borrar(true);
    w->mostrar_sonido(boxZoom(main, w));
}

void Borrarexceptoseleccion1Click(TSVMainfrm* main) {
    TSoundfrm* w = main->activeSound();
    if (!w || !selectionGuard(main)) return;
    w->crop();
    w->mostrar_sonido(boxZoom(main, w));
}

// The item may be left enabled with no window open: that is ignored.
void undo1Click(TSVMainfrm* main) {
    if (!main->undo1 || !main->undo1->isEnabled()) return;
    if (TSoundfrm* w = main->activeSound()) w->deshacer();
}

void Pegarcomonuevo1Click(TSVMainfrm* main) {
    main->SpeedButton16->setEnabled(true);
    TSoundfrm* w = newNumberedWindow(main);
    w->NoRedraw = false;
    main->showChild(w);
    w->mostrar_sonido(1);
    w->pegar();
}

int repeatCount(const TSVMainfrm* main) {
    QAction* repeat = main->item("Repetir1");
    const int n = repeat ? repeat->data().toInt() : 0;
    return n < 1 ? 1 : n;
}

void SpeedButton13Click(TSVMainfrm* main) {
    QPointer<TSoundfrm> w(main->activeSound());
    if (!w) return;
    const int count = repeatCount(main);
    QProgressBar* bar = w->ProgressBar1;
    bar->setGeometry(0, 3, w->StatusPanels[0]->width(), w->StatusBar1->height() - 6);
    bar->setRange(0, count);
    bar->setValue(0);
    bar->show();
    for (int i = 1; i <= count; ++i) {
        // A repeat that did nothing or failed (already reported) ends the run.
        if (!w->repetir_onda() || !w) break;
        bar->setValue(i);
        bar->repaint();
    }
    if (w) bar->hide();
}

void chooseRepeatCount(TSVMainfrm* main, int count) {
    for (const RepeatItem& r : kRepeatItems) {
        if (QAction* a = main->item(r.name)) a->setChecked(r.count == count);
    }
    if (QAction* repeat = main->item("Repetir1")) repeat->setData(count);
    SpeedButton13Click(main);
}

void DivideChannels1Click(TSVMainfrm* main) {
    TSoundfrm* w = main->activeSound();
    if (!w) return;
    pauseCd(main);
    w->DivideChannels();
    resumeCd(main);
}

void CombineChannels1Click(TSVMainfrm* main) {
    pauseCd(main);
    std::string left, right;
    int cancelled = 1;
    {
        TCombineChannelsfrm dialog(main);
        cancelled = dialog.mostrar();
        left = ss(dialog.LeftEdit->text());
        right = ss(dialog.RightEdit->text());
    }
    resumeCd(main);
    if (cancelled) return;
    main->SpeedButton16->setEnabled(true);
    TSoundfrm* w = newNumberedWindow(main);
    QPointer<TSoundfrm> alive(w);
    if (w->CombineChannels(left, right)) {
        main->showChild(w);
        w->mostrar_sonido(1);
        return;
    }
    // The window closed itself; the boxes go back to the window in front.
    TSoundfrm* front = main->activeSound();
    if (front && front != alive) front->FormActivate();
    else main->habilitar_botones();
}

} // namespace sv

void installEditCommands(TSVMainfrm* main) {
    using namespace sv;
    auto bind = [main](const char* name, void (*handler)(TSVMainfrm*)) {
        main->setHandler(name, [main, handler] { guarded([main, handler] { handler(main); }); });
    };
    bind("Copy1", Copy1Click);
    bind("Cut1", Cut1Click);
    bind("Insertarsilencio1", Insertarsilencio1Click);
    bind("Paste1", Paste1Click);
    bind("PasteSpecial1", PasteSpecial1Click);
    bind("Mixspecial1", Mixspecial1Click);
    bind("Borrar1", Borrar1Click);
    bind("Borrarexceptoseleccion1", Borrarexceptoseleccion1Click);
    bind("undo1", undo1Click);
    bind("Pegarcomonuevo1", Pegarcomonuevo1Click);
    bind("DivideChannels1", DivideChannels1Click);
    bind("CombineChannels1", CombineChannels1Click);
    // Its shortcut (and the tool button) repeat with the last count.
    bind("Repetir1", SpeedButton13Click);

    QAction* repeat = main->item("Repetir1");
    if (repeat && !repeat->menu()) {
        auto* counts = new QMenu(main);
        counts->setObjectName("Repetir1Menu");
        auto* group = new QActionGroup(counts);
        group->setExclusive(true);
        for (const RepeatItem& r : kRepeatItems) {
            const int count = r.count;
            QAction* a = main->addItem(counts, r.name, QString::fromLatin1(r.caption), QKeySequence(r.shortcut),
                                       [main, count] { guarded([main, count] { chooseRepeatCount(main, count); }); });
            a->setCheckable(true);
            a->setChecked(count == 1);
            group->addAction(a);
        }
        repeat->setData(1);
        repeat->setMenu(counts);
        QObject::connect(main->Edit1, &QMenu::aboutToShow, main, [main] { refreshUndoItem(main); });
        main->enablingHooks.push_back(
            [main](bool idle, bool child, TSoundfrm* w) { enableEditButtons(main, idle, child, w); });
    }
}

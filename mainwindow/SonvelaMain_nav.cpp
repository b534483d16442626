#include "mainwindow/SonvelaMain_nav.h"
#include "mainwindow/SonvelaMain_view.h"

#include <QApplication>
#include <QBoxLayout>
#include <QEvent>
#include <QKeyEvent>
#include <QStatusTipEvent>
#include <QToolBar>
#include <QVBoxLayout>

#include <algorithm>
#include <cstdint>
#include <string>

#include "dialogs/ParamDialog.h"
#include "mainwindow/SonvelaMain.h"
#include "platform/qt/qt_prompts.h"
#include "sound/Sound.h"
#include "sound/engine/navigation.h"

using namespace sv;

namespace {

constexpr int kEnter = 13;

// A typed box value: reported as the conversion error when it is not a
// number (false); a negative number counts as 0.
bool boxValue(const QLineEdit* box, int64_t& value) {
    int64_t v = 0;
    if (!typedInteger(box, v)) return false;
    value = v < 0 ? 0 : v;
    return true;
}

// The zoom box as a step or a zoom: at least 1.
bool boxZoom(const QLineEdit* box, int64_t& zoom) {
    if (!boxValue(box, zoom)) return false;
    if (zoom < 1) zoom = 1;
    return true;
}

void setBox(QLineEdit* box, int64_t value) { box->setText(QString::number(value)); }

// readOk: the boxes' values were read (a text that is no number has been
// reported by then). After a refusal the boxes show the zoom and the
// selection in force, and the times under them follow, not the refused
// text.
bool accepted(TSVMainfrm* main, const TSoundfrm* w, bool readOk) {
    if (readOk) return true;
    setBox(main->Edit2, w->Zoom);
    setBox(main->Edit4, w->SelectionStart);
    setBox(main->Edit3, w->SelectionLength);
    return false;
}

// Set while a box's handler runs, whichever way it was reached (a key, the
// focus leaving, a command): a message box it shows takes the focus away,
// and that focus-out must not run a handler again.
bool g_boxHandlerRunning = false;

class BoxHandlerScope {
public:
    BoxHandlerScope() { g_boxHandlerRunning = true; }
    ~BoxHandlerScope() { g_boxHandlerRunning = false; }
    BoxHandlerScope(const BoxHandlerScope&) = delete;
    BoxHandlerScope& operator=(const BoxHandlerScope&) = delete;
};

// The keys of one box: space plays or stops and then commits like Enter;
// the box's own handler decides about every typed character. Leaving the
// box runs its exit handler, never while a box handler runs.
class BoxKeys : public QObject {
public:
    BoxKeys(TSVMainfrm* main, QLineEdit* box, int which) : QObject(box), main_(main), box_(box), which_(which) {
        box->installEventFilter(this);
        main->ownEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* e) override {
        if (watched != box_) return false;
        if (e->type() == QEvent::ShortcutOverride && menuTakesKey(*static_cast<QKeyEvent*>(e))) {
            // The box would keep Ctrl+C, Ctrl+Z and the like for its own
            // text; the menu's command for the sound goes first.
            e->ignore();
            return true;
        }
        if (e->type() == QEvent::KeyPress) {
            auto* k = static_cast<QKeyEvent*>(e);
            int ch = 0;
            if (k->key() == Qt::Key_Space) {
                main_->key_space();
                ch = kEnter;
            } else if (k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter) {
                ch = kEnter;
            } else if (!k->text().isEmpty()) {
                ch = k->text().at(0).unicode();
            }
            if (ch == 0) return false;
            if (g_boxHandlerRunning) return ch == kEnter;
            BoxHandlerScope running;
            switch (which_) {
            case 2: return main_->Edit2KeyPress(ch);
            case 4: return main_->Edit4KeyPress(ch);
            default: return main_->Edit3KeyPress(ch);
            }
        }
        if (e->type() == QEvent::FocusOut && !g_boxHandlerRunning && which_ != 2) {
            BoxHandlerScope running;
            if (which_ == 4) main_->Edit4Exit();
            else main_->Edit3Exit();
        }
        return false;
    }

private:
    // Whether an enabled menu item of the main window has this key as its
    // shortcut (the menus' enabling is brought up to date before the key
    // reaches the box).
    bool menuTakesKey(const QKeyEvent& k) const {
        if (k.key() == 0 || k.key() == Qt::Key_unknown) return false;
        const QKeySequence pressed(k.keyCombination());
        for (const auto& entry : main_->items) {
            const QAction* a = entry.second;
            if (a && a->isEnabled() && !a->shortcut().isEmpty() &&
                a->shortcut().matches(pressed) == QKeySequence::ExactMatch)
                return true;
        }
        return false;
    }

    TSVMainfrm* main_;
    QLineEdit* box_;
    int which_;
};

// The application's hint event and the window's resize, both seen at the
// main window.
class MainWindowEvents : public QObject {
public:
    explicit MainWindowEvents(TSVMainfrm* main) : QObject(main), main_(main) {
        main->installEventFilter(this);
        main->ownEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* e) override {
        if (watched != main_) return false;
        if (e->type() == QEvent::StatusTip) {
            main_->DisplayHint(static_cast<QStatusTipEvent*>(e)->tip());
            return true;
        }
        if (e->type() == QEvent::Resize) main_->FormResize();
        return false;
    }

private:
    TSVMainfrm* main_;
};

// An arrow first does what Enter would have done with a value typed into
// the start or length box; a refused value stops it there, so it never
// steps from text that was just refused. The step runs as a box handler:
// a message it shows takes the focus from the box, and that focus-out
// must not apply the box a second time.
void spinStep(TSVMainfrm* main, const std::function<void()>& step) {
    if (g_boxHandlerRunning || !main->applyTypedBox()) return;
    BoxHandlerScope running;
    step();
}

// An up/down pair placed right after `box` in its row.
QWidget* makeSpin(TSVMainfrm* main, QLineEdit* box, const char* name, std::function<void()> up,
                  std::function<void()> down) {
    QWidget* row = box->parentWidget();
    auto* spin = new QWidget(row);
    spin->setObjectName(name);
    auto* v = new QVBoxLayout(spin);
    v->setContentsMargins(0, 0, 0, 0);
    v->setSpacing(0);
    auto* upButton = new QToolButton(spin);
    upButton->setObjectName(QString(name) + "Up");
    upButton->setArrowType(Qt::UpArrow);
    upButton->setFixedSize(16, 10);
    auto* downButton = new QToolButton(spin);
    downButton->setObjectName(QString(name) + "Down");
    downButton->setArrowType(Qt::DownArrow);
    downButton->setFixedSize(16, 10);
    v->addWidget(upButton);
    v->addWidget(downButton);
    QObject::connect(upButton, &QToolButton::clicked, spin, [main, up] { spinStep(main, up); });
    QObject::connect(downButton, &QToolButton::clicked, spin, [main, down] { spinStep(main, down); });
    if (auto* layout = row ? qobject_cast<QBoxLayout*>(row->layout()) : nullptr) {
        const int at = layout->indexOf(box);
        layout->insertWidget(at + 1, spin);
    }
    return spin;
}

} // namespace

// ---- The boxes ----

bool TSVMainfrm::Edit2KeyPress(int key) {
    TSoundfrm* w = activeSound();
    if (!w) {
        Edit2->setText("0");
        return true;
    }
    if (key != kEnter) return false;
    int64_t z = 0;
    if (!accepted(this, w, boxZoom(Edit2, z))) return true;
    setBox(Edit2, z);
    w->mostrar_sonido(z);
    return true;
}

// A committed start or length redraws at the zoom the zoom box shows, or
// at the window's zoom while that box holds no number.
static void redrawAtBoxZoom(TSVMainfrm* main, TSoundfrm* w) {
    int64_t z = w->Zoom;
    bool zok = false;
    const qlonglong typed = main->Edit2->text().trimmed().toLongLong(&zok);
    if (zok) z = std::max<qlonglong>(1, typed);
    w->mostrar_sonido(z);
}

// The start box commits with the length box: a start past the end goes to
// the end with no length, a length past the end is cut. False when the
// length box's text was refused.
static bool commitStart(TSVMainfrm* main) {
    TSoundfrm* w = main->activeSound();
    if (!w) {
        main->Edit4->setText("0");
        return true;
    }
    bool ok = false;
    qlonglong start = main->Edit4->text().trimmed().toLongLong(&ok);
    if (!ok) {
        main->Edit4->setText("0");
        start = 0;
    }
    int64_t length = 0;
    if (!accepted(main, w, boxValue(main->Edit3, length))) return false;
    const TypedSelection t = startTyped(w->FrameCount(), start, length);
    w->setSelection(t.start, t.length);
    setBox(main->Edit4, w->SelectionStart);
    setBox(main->Edit3, w->SelectionLength);
    redrawAtBoxZoom(main, w);
    return true;
}

// False when a box's text was refused.
static bool commitLength(TSVMainfrm* main) {
    TSoundfrm* w = main->activeSound();
    if (!w) {
        main->Edit3->setText("0");
        return true;
    }
    int64_t start = 0, length = 0;
    if (!accepted(main, w, boxValue(main->Edit4, start) && boxValue(main->Edit3, length))) return false;
    const int64_t n = lengthTyped(w->FrameCount(), start, w->SelectionStart, length);
    w->setSelection(w->SelectionStart, n);
    setBox(main->Edit3, w->SelectionLength);
    redrawAtBoxZoom(main, w);
    return true;
}

bool TSVMainfrm::Edit4KeyPress(int key) {
    if (key != kEnter) return false;
    commitStart(this);
    return true;
}

bool TSVMainfrm::Edit3KeyPress(int key) {
    if (key != kEnter) return false;
    commitLength(this);
    return true;
}

void TSVMainfrm::Edit4Exit() { commitStart(this); }
void TSVMainfrm::Edit3Exit() { commitLength(this); }

// Leaving the zoom box applies nothing, so only the start and length boxes
// have a typed value to apply; one the user has not edited since it was
// last set holds the value in force already.
bool TSVMainfrm::applyTypedBox() {
    if (closing_ || g_boxHandlerRunning) return true;
    QWidget* focus = QApplication::focusWidget();
    if (focus != Edit4 && focus != Edit3) return true;
    if (!static_cast<QLineEdit*>(focus)->isModified()) return true;
    BoxHandlerScope running;
    return focus == Edit4 ? commitStart(this) : commitLength(this);
}

// A box part-way through typing ("-", "") shows no time.
static void timeFromBox(TSVMainfrm* main, const QLineEdit* box, QLabel* label, bool zeroWithoutRate) {
    if (box->text().isEmpty() || !main->activeSound()) return;
    bool ok = false;
    const qlonglong v = box->text().trimmed().toLongLong(&ok);
    if (!ok) return;
    if (main->SampleRate <= 0) {
        if (zeroWithoutRate) label->setText("0':0'':0ms");
        return;
    }
    label->setText(qs(timeLabel(v, main->SampleRate)));
}

void TSVMainfrm::Edit4Change() { timeFromBox(this, Edit4, ms1, true); }
void TSVMainfrm::Edit3Change() { timeFromBox(this, Edit3, ms2, false); }

void TSVMainfrm::key_space() {
    if (soundWindows().empty()) return;
    if (SpeedButton16->isEnabled()) SpeedButton16Click();
    else if (SpeedButton17->isEnabled()) SpeedButton17Click();
}

// ---- Spin buttons: steps of the zoom in the zoom box ----

void TSVMainfrm::SpinButton1UpClick() {
    TSoundfrm* w = activeSound();
    int64_t z = 0;
    if (!w || !accepted(this, w, boxZoom(Edit2, z))) return;
    setBox(Edit2, z + 1);
    w->mostrar_sonido(z + 1);
}

void TSVMainfrm::SpinButton1DownClick() {
    TSoundfrm* w = activeSound();
    int64_t z = 0;
    if (!w || !accepted(this, w, boxZoom(Edit2, z)) || z <= 1) return;
    setBox(Edit2, z - 1);
    w->mostrar_sonido(z - 1);
}

void TSVMainfrm::SpinButton3UpClick() {
    TSoundfrm* w = activeSound();
    int64_t z = 0, start = 0, length = 0;
    if (!w || !accepted(this, w, boxZoom(Edit2, z) && boxValue(Edit4, start) && boxValue(Edit3, length))) return;
    const int64_t frames = w->FrameCount();
    start += z;
    if (frames < start) {
        start = frames;
        length = 0;
    }
    if (start + length >= frames) length = frames - start;
    w->setSelection(start, length);
    setBox(Edit4, w->SelectionStart);
    setBox(Edit3, w->SelectionLength);
    w->mostrar_sonido(z);
}

void TSVMainfrm::SpinButton3DownClick() {
    TSoundfrm* w = activeSound();
    int64_t z = 0, start = 0;
    if (!w || !accepted(this, w, boxZoom(Edit2, z) && boxValue(Edit4, start))) return;
    start = z < start ? start - z : 0;
    w->setSelection(start, w->SelectionLength);
    setBox(Edit4, w->SelectionStart);
    w->mostrar_sonido(z);
}

void TSVMainfrm::SpinButton2UpClick() {
    TSoundfrm* w = activeSound();
    int64_t z = 0, start = 0, length = 0;
    if (!w || !accepted(this, w, boxZoom(Edit2, z) && boxValue(Edit4, start) && boxValue(Edit3, length))) return;
    length += z;
    if (w->FrameCount() < start + length) length = w->FrameCount() - w->SelectionStart;
    w->setSelection(w->SelectionStart, length);
    setBox(Edit3, w->SelectionLength);
    w->mostrar_sonido(z);
}

void TSVMainfrm::SpinButton2DownClick() {
    TSoundfrm* w = activeSound();
    int64_t z = 0, length = 0;
    if (!w || !accepted(this, w, boxZoom(Edit2, z) && boxValue(Edit3, length))) return;
    length = z < length ? length - z : 0;
    w->setSelection(w->SelectionStart, length);
    setBox(Edit3, w->SelectionLength);
    w->mostrar_sonido(z);
}

// ---- Zoom ----

void TSVMainfrm::speedzoomClick() {
    TSoundfrm* w = activeSound();
    int64_t length = 0;
    if (!w || !accepted(this, w, boxValue(Edit3, length))) return;
    const int64_t z = std::max<int64_t>(1, length / std::max(1, w->width()));
    setBox(Edit2, z);
    w->mostrar_sonido(z);
    w->posicion_cursor();
}

// The zoom box still holds the old zoom while the window redraws: the
// window centres the view from it.
void TSVMainfrm::ZoomIn1Click() {
    TSoundfrm* w = activeSound();
    int64_t z = 0;
    if (!w || !accepted(this, w, boxValue(Edit2, z)) || z <= 1) return;
    w->ZoomDirection = 1;
    w->mostrar_sonido(z / 2);
    setBox(Edit2, w->quin_zoom());
    w->ZoomDirection = 0;
}

void TSVMainfrm::ZoomOut1Click() {
    TSoundfrm* w = activeSound();
    int64_t z = 0;
    if (!w || !accepted(this, w, boxZoom(Edit2, z))) return;
    w->ZoomDirection = 2;
    w->mostrar_sonido(z * 2);
    setBox(Edit2, w->quin_zoom());
    w->ZoomDirection = 0;
}

// ---- Selection commands ----

void TSVMainfrm::zeroCrossingCommand(char startMode, char endMode) {
    soundCommand(true, false, [startMode, endMode](TSoundfrm* w) { w->zerocrossing(startMode, endMode); });
}

void TSVMainfrm::CursorPosition1Click() {
    if (TSoundfrm* w = activeSound()) w->posicion_cursor();
}

void TSVMainfrm::Begin1Click() {
    if (TSoundfrm* w = activeSound()) w->posicion_begin();
}

void TSVMainfrm::End1Click() {
    if (TSoundfrm* w = activeSound()) w->posicion_end();
}

void TSVMainfrm::Seleccionartodo1Click() {
    if (TSoundfrm* w = activeSound()) w->seleccionar_todo();
}

void TSVMainfrm::SelectNone1Click() {
    if (TSoundfrm* w = activeSound()) w->selectnone();
    habilitar_botones();
}

// The CD player's polling waits while the report shows.
void TSVMainfrm::CurrentSampleValue1Click() {
    if (TSoundfrm* w = activeSound()) {
        Timer1->stop();
        w->CurrentSampleValue();
    }
    if (Panel2 && !Panel2->isHidden()) Timer1->start();
    else Timer1->stop();
}

// The loop picture needs the room of a wide window; the picture panel
// shows from a narrower width, once it holds its picture.
void TSVMainfrm::FormResize() {
    showInBar(Image1, width() > 690 && Loop1 && Loop1->isChecked());
    // The picture shows on a wide enough window, and only while the user
    // has not switched it off.
    QAction* showImage = item("ShowImage1");
    const bool wanted = !showImage || !showImage->isCheckable() || showImage->isChecked();
    if (Panel3 && !Panel3->children().isEmpty()) Panel3->setVisible(width() > 638 && wanted);
    showInBar(PanelDeRelleno, width() > 638);
}

// ---- Installing ----

void installNavigationCommands(TSVMainfrm* main) {
    QAction* zero = main->item("ZeroCrossing1");
    if (!zero || zero->menu()) return;   // installed already

    struct ZeroItem {
        const char* name;
        const char* caption;
        const char* shortcut;
        void (TSVMainfrm::*handler)();
    };
    static const ZeroItem kZeroItems[] = {
        {"Inward1", "&Inward", "Shift+F1", &TSVMainfrm::Inward1Click},
        {"Outward1", "&Outward", "Shift+F2", &TSVMainfrm::Outward1Click},
        {"TotheLeft1", "Both sides to the &Left", "Shift+F3", &TSVMainfrm::TotheLeft1Click},
        {"TotheRight1", "Both sides to the &Right", "Shift+F4", &TSVMainfrm::TotheRight1Click},
        {"Begintotheleft1", "L&eft side to the Left", "Shift+F5", &TSVMainfrm::Begintotheleft1Click},
        {"Endtotheleft1", "Rig&ht side to the Left", "Shift+F6", &TSVMainfrm::Endtotheleft1Click},
        {"BegintotheRight1", "Le&ft side to the Right", "Shift+F7", &TSVMainfrm::BegintotheRight1Click},
        {"EndtotheRight1", "Righ&t side to the Right", "Shift+F8", &TSVMainfrm::EndtotheRight1Click},
    };
    auto* zeroMenu = new QMenu(main);
    zeroMenu->setObjectName("ZeroCrossing1Menu");
    for (const ZeroItem& z : kZeroItems) {
        auto handler = z.handler;
        main->addItem(zeroMenu, z.name, QString::fromLatin1(z.caption), QKeySequence(z.shortcut),
                      [main, handler] { (main->*handler)(); });
    }
    zero->setMenu(zeroMenu);
    // A submenu's own item runs nothing; it only needs to count as available.
    main->setHandler("ZeroCrossing1", [] {});

    if (QAction* go = main->item("Goto1"); go && !go->menu()) {
        auto* goMenu = new QMenu(main);
        goMenu->setObjectName("Goto1Menu");
        main->addItem(goMenu, "CursorPosition1", "&Cursor Position", {}, [main] { main->CursorPosition1Click(); });
        main->addItem(goMenu, "Begin1", "&Begin", {}, [main] { main->Begin1Click(); });
        main->addItem(goMenu, "End1", "&End", {}, [main] { main->End1Click(); });
        go->setMenu(goMenu);
        main->setHandler("Goto1", [] {});
    }

    main->setHandler("Seleccionartodo1", [main] { main->Seleccionartodo1Click(); });
    main->setHandler("SelectNone1", [main] { main->SelectNone1Click(); });
    main->setHandler("CurrentSampleValue1", [main] { main->CurrentSampleValue1Click(); });
    main->setHandler("ZoomIn1", [main] { main->ZoomIn1Click(); });
    main->setHandler("ZoomOut1", [main] { main->ZoomOut1Click(); });
    // The two zoom-into buttons have no menu item of their own.
    main->setHandler("speedzoom", [main] { main->speedzoomClick(); });

    if (QToolBar* bar = toolBarPanel(main, "PanelView"); bar && !main->button("speedzoom")) {
        main->addButton(bar, "speedzoom", "Zoom Sel", "Zoom the selection to the window", "speedzoom");
        main->addButton(bar, "ZoomInto_SB", "Zoom Into", "Zoom Into", "speedzoom");
        main->addButton(bar, "ZoomIn_SB", "Zoom In", "Zoom In", "ZoomIn1");
        main->addButton(bar, "ZoomOut_SB", "Zoom Out", "Zoom Out", "ZoomOut1");
        main->addButton(bar, "SelectAll_SB", "All", "Select All", "Seleccionartodo1");
        main->addButton(bar, "SelectNone_SB", "None", "Select None", "SelectNone1");
        main->addButton(bar, "SampleInfo_SB", "Info", "Current Sample Info", "CurrentSampleValue1");
    }

    new BoxKeys(main, main->Edit2, 2);
    new BoxKeys(main, main->Edit4, 4);
    new BoxKeys(main, main->Edit3, 3);
    QObject::connect(main->Edit4, &QLineEdit::textChanged, main, [main] { main->Edit4Change(); });
    QObject::connect(main->Edit3, &QLineEdit::textChanged, main, [main] { main->Edit3Change(); });
    main->SpinButton1 = makeSpin(main, main->Edit2, "SpinButton1", [main] { main->SpinButton1UpClick(); },
                                 [main] { main->SpinButton1DownClick(); });
    main->SpinButton3 = makeSpin(main, main->Edit4, "SpinButton3", [main] { main->SpinButton3UpClick(); },
                                 [main] { main->SpinButton3DownClick(); });
    main->SpinButton2 = makeSpin(main, main->Edit3, "SpinButton2", [main] { main->SpinButton2UpClick(); },
                                 [main] { main->SpinButton2DownClick(); });

    new MainWindowEvents(main);
    main->dragAsNewHook = [](TSoundfrm* w) { w->ferDragAsNew(); };
    main->habilitar_botones();
}

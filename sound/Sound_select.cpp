// Selecting and navigating in a sound window: the mouse on the waveform and
// on the selection rectangle, the wheel, the seven status-bar buttons, zero
// crossings, the sample report, and a selection dragged to another window
// or onto the main window. The arithmetic is in sound/engine/navigation.h;
// every frame computed here goes through setSelection, the one place that
// keeps the selection inside the sound.
#include <QDrag>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMimeData>
#include <QMouseEvent>
#include <QPointer>
#include <QWheelEvent>

#include <algorithm>
#include <new>

#include "dialogs/Draganddrop.h"
#include "dialogs/MixWeights.h"
#include "mainwindow/SonvelaMain.h"
#include "platform/activity.h"
#include "platform/prompts.h"
#include "platform/qt/qt_prompts.h"
#include "sound/Sound.h"
#include "sound/engine/edit_ops.h"
#include "sound/engine/navigation.h"

using namespace sv;

namespace {

// The zoom in the main window's box, or `fallback` when it holds no usable
// number.
int64_t boxZoom(int64_t fallback) {
    if (!SVMainfrm || !SVMainfrm->Edit2) return fallback;
    bool ok = false;
    const qlonglong z = SVMainfrm->Edit2->text().trimmed().toLongLong(&ok);
    return ok && z >= 1 ? int64_t(z) : fallback;
}

void writeZoomBox(int64_t zoom) {
    if (SVMainfrm && SVMainfrm->Edit2) SVMainfrm->Edit2->setText(QString::number(zoom));
}

// A drag of the selection goes no further than this many pixels before it
// starts: a Ctrl+click alone must stay a click.
constexpr int kDragThreshold = 10;

} // namespace

void TSoundfrm::setupSelection() {
    // Moves without a button reach the window only through widgets that
    // track the mouse: the status-bar buttons show and hide by them.
    setMouseTracking(true);
    WaveView->setMouseTracking(true);
    Shape1->setMouseTracking(true);
    Bevel2->setMouseTracking(true);
    StatusBar1->setMouseTracking(true);
    for (QWidget* c : StatusBar1->findChildren<QWidget*>()) c->setMouseTracking(true);
    setAcceptDrops(true);

    boto_gotobegin->setToolTip("Go to Begin");
    boto_gotoend->setToolTip("Go to End");
    boto_gotocursor->setToolTip("Go to Cursor Position");
    boto_selectall->setToolTip("Select All");
    boto_selectnone->setToolTip("Select None");
    boto_zoomin->setToolTip("Zoom In");
    boto_zoomout->setToolTip("Zoom Out");
    connect(boto_gotobegin, &QToolButton::clicked, this, [this] { boto_gotobeginClick(); });
    connect(boto_gotoend, &QToolButton::clicked, this, [this] { boto_gotoendClick(); });
    connect(boto_gotocursor, &QToolButton::clicked, this, [this] { boto_gotocursorClick(); });
    connect(boto_selectall, &QToolButton::clicked, this, [this] { boto_selectallClick(); });
    connect(boto_selectnone, &QToolButton::clicked, this, [this] { boto_selectnoneClick(); });
    connect(boto_zoomin, &QToolButton::clicked, this, [this] { boto_zoominClick(); });
    connect(boto_zoomout, &QToolButton::clicked, this, [this] { boto_zoomoutClick(); });
    // The window opens with "Select All" alone.
    setStatusButtonsShown(false);
    boto_selectall->show();
}

void TSoundfrm::setStatusButtonsShown(bool shown) {
    for (QToolButton* b : {boto_gotobegin, boto_gotoend, boto_gotocursor, boto_selectall, boto_selectnone,
                           boto_zoomin, boto_zoomout})
        b->setVisible(shown);
}

void TSoundfrm::StatusBar1MouseMove() {
    if (boto_selectall->isHidden()) setStatusButtonsShown(true);
}

void TSoundfrm::boto_zoominClick() {
    if (SVMainfrm) SVMainfrm->ZoomIn1Click();
}

void TSoundfrm::boto_zoomoutClick() {
    if (SVMainfrm) SVMainfrm->ZoomOut1Click();
}

// A loop that plays (loop mode on and Play disabled) must not have its
// range moved under it.
bool TSoundfrm::loopGuard() const {
    return SVMainfrm && SVMainfrm->Loop1 && SVMainfrm->Loop1->isChecked() && SVMainfrm->SpeedButton16 &&
           !SVMainfrm->SpeedButton16->isEnabled();
}

int64_t TSoundfrm::frameAtX(int x) const {
    x = std::clamp(x, 0, width());
    return std::clamp<int64_t>(frameAtColumn(x, std::max<int64_t>(1, Zoom), scrollPosition()), 0, FrameCount());
}

// The same placement as the redraw's: the cursor line at the start's
// column, the rectangle over the selected columns (at least one pixel),
// both from column 0 when the start lies left of the view.
void TSoundfrm::placeSelectionLines() {
    const int bottom = std::max(0, drawingBottom());
    const int64_t p = scrollPosition();
    const int64_t z = std::max<int64_t>(1, Zoom);
    const int64_t s = SelectionStart, n = SelectionLength;
    const int64_t limit = int64_t(width()) + 2;
    int64_t x = 0, w = 1;
    if (s < p) {
        if (s + n > p) w = (s + n - p) / z;
    } else {
        x = (s - p) / z;
        w = n / z;
    }
    x = std::min(x, limit);
    w = std::clamp<int64_t>(w, 1, limit);
    Shape1->setGeometry(int(x), 0, int(w), bottom);
    Bevel2->setGeometry(int(x), 0, 1, bottom);
    Shape1->show();
    Bevel2->show();
}

void TSoundfrm::showSelection() {
    if (SVMainfrm) {
        SVMainfrm->Edit4->setText(QString::number(SelectionStart));
        SVMainfrm->Edit3->setText(QString::number(SelectionLength));
    }
    placeSelectionLines();
    if (SVMainfrm) SVMainfrm->habilitar_botones();
}

// ---- The mouse ----

bool TSoundfrm::overShape(const QPoint& p) const {
    return !Shape1->isHidden() && Shape1->geometry().contains(p);
}

void TSoundfrm::FormMouseDown(Qt::MouseButton button, Qt::KeyboardModifiers, int x, int) {
    if (loopGuard()) return;
    if (button == Qt::LeftButton) {
        setSelection(frameAtX(x), 0);
        showSelection();
        pintarpanel1();
    } else if (button == Qt::RightButton && SelectionLength != 0) {
        // The nearer edge follows the mouse; the other stays.
        const int64_t d = frameAtX(x);
        const int64_t end = SelectionStart + SelectionLength;
        if (d < SelectionStart + SelectionLength / 2) setSelection(d, end - d);
        else setSelection(SelectionStart, d - SelectionStart);
        showSelection();
        pintarpanel1();
    }
}

void TSoundfrm::Shape1MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers mods, int x, int y) {
    if (loopGuard()) return;
    if (mods & Qt::ControlModifier) {
        // A drag of the selection, once the mouse has moved far enough. A
        // cursor alone has nothing to drag.
        if (button == Qt::LeftButton && SelectionLength > 0) {
            dragPending_ = true;
            dragOrigin_ = QPoint(x + Shape1->x(), y + Shape1->y());
        }
        return;
    }
    const int fx = x + Shape1->x();
    if (button == Qt::LeftButton) {
        setSelection(frameAtX(fx), 0);
        showSelection();
        pintarpanel1();
    } else if (button == Qt::RightButton) {
        FormMouseDown(button, Qt::NoModifier, fx, y + Shape1->y());
    }
}

// Drag-selecting. `x` is in the window's coordinates; `fromShape` tells the
// rectangle's own rule apart: left of the anchor it collapses the selection
// to a cursor instead of restarting it one column wide.
static void dragSelect(TSoundfrm& w, int x, bool fromShape) {
    x = std::clamp(x, 0, w.width());
    const int64_t z = std::max<int64_t>(1, w.Zoom);
    if (!w.ScrollBar1->isHidden() && w.DoScroll) {
        if (x <= 0) {
            w.setScrollPosition(std::max<int64_t>(0, w.scrollPosition() - 5 * z));
            w.mostrar_sonido(w.Zoom);
        } else if (x >= w.width()) {
            w.setScrollPosition(w.scrollPosition() + 5 * z);
            w.mostrar_sonido(w.Zoom);
        }
    }
    const int64_t left = columnOfFrame(w.SelectionStart, z, w.scrollPosition());
    const int64_t frame = w.frameAtX(x);
    if (fromShape ? x <= left : x < left) {
        w.setSelection(frame, fromShape ? 0 : z);
    } else {
        // The end follows the frame under the mouse, also once the start
        // has scrolled out of view.
        w.setSelection(w.SelectionStart, frame - w.SelectionStart);
    }
    w.showSelection();
    w.pintarpanel1();
}

void TSoundfrm::FormMouseMove(Qt::MouseButtons buttons, Qt::KeyboardModifiers mods, int x, int) {
    if (!boto_selectall->isHidden()) setStatusButtonsShown(false);
    if (buttons == Qt::LeftButton && (mods & ~Qt::KeypadModifier) == Qt::NoModifier) dragSelect(*this, x, false);
}

void TSoundfrm::Shape1MouseMove(Qt::MouseButtons buttons, Qt::KeyboardModifiers mods, int x, int) {
    if (!boto_selectall->isHidden()) setStatusButtonsShown(false);
    if (buttons == Qt::LeftButton && (mods & ~Qt::KeypadModifier) == Qt::NoModifier)
        dragSelect(*this, x + Shape1->x(), true);
}

void TSoundfrm::mousePressEvent(QMouseEvent* e) {
    const QPoint p = e->position().toPoint();
    press_ = Press::None;
    dragPending_ = false;
    if (StatusBar1->geometry().contains(p)) return;
    const bool onWave = p.y() < std::max(0, drawingBottom()) &&
                        !(PanellDreta && !PanellDreta->isHidden() && PanellDreta->geometry().contains(p));
    if (!onWave) {
        e->ignore();
        return;
    }
    if (loopGuard()) return;
    if (overShape(p)) {
        press_ = Press::Shape;
        Shape1MouseDown(e->button(), e->modifiers(), p.x() - Shape1->x(), p.y() - Shape1->y());
    } else {
        press_ = Press::Form;
        FormMouseDown(e->button(), e->modifiers(), p.x(), p.y());
    }
}

void TSoundfrm::mouseMoveEvent(QMouseEvent* e) {
    const QPoint p = e->position().toPoint();
    if (dragPending_) {
        const QPoint d = p - dragOrigin_;
        if ((e->buttons() & Qt::LeftButton) && std::max(std::abs(d.x()), std::abs(d.y())) >= kDragThreshold) {
            dragPending_ = false;
            press_ = Press::None;
            startSelectionDrag();
        }
        return;
    }
    // While a button is held the moves belong to where it was pressed.
    Qt::MouseButtons buttons = e->buttons();
    Press where = press_;
    if (where == Press::None) {
        buttons = Qt::NoButton;
        if (StatusBar1->geometry().contains(p)) {
            StatusBar1MouseMove();
            return;
        }
        if (p.y() >= std::max(0, drawingBottom())) return;
        where = overShape(p) ? Press::Shape : Press::Form;
    }
    if (where == Press::Shape)
        Shape1MouseMove(buttons, e->modifiers(), p.x() - Shape1->x(), p.y() - Shape1->y());
    else
        FormMouseMove(buttons, e->modifiers(), p.x(), p.y());
}

void TSoundfrm::mouseReleaseEvent(QMouseEvent* e) {
    if (e->buttons() == Qt::NoButton) {
        press_ = Press::None;
        dragPending_ = false;
    }
}

void TSoundfrm::mouseDoubleClickEvent(QMouseEvent* e) {
    if (StatusBar1->geometry().contains(e->position().toPoint())) {
        StatusBar1DblClick();
        return;
    }
    mousePressEvent(e);
}

void TSoundfrm::wheelEvent(QWheelEvent* e) {
    const int dy = e->angleDelta().y();
    if (dy < 0) FormMouseWheelDown();
    else if (dy > 0) FormMouseWheelUp();
    e->accept();
}

void TSoundfrm::FormMouseWheelDown() {
    const WheelZoom r = wheelZoomIn(Zoom, scrollPosition(), std::max(1, bitmapWidth()));
    Zoom = r.zoom;
    writeZoomBox(Zoom);
    setScrollPosition(r.scroll);
    // The range of the old zoom may stop the view short of where the new
    // one lets it go: once the redraw has widened it, move on again.
    const bool short_ = scrollPosition() < r.scroll;
    mostrar_sonido(Zoom);
    if (short_ && scrollPosition() < r.scroll) {
        setScrollPosition(r.scroll);
        mostrar_sonido(Zoom);
    }
}

void TSoundfrm::FormMouseWheelUp() {
    const WheelZoom r = wheelZoomOut(Zoom, scrollPosition(), std::max(1, bitmapWidth()));
    setScrollPosition(r.scroll);
    Zoom = r.zoom;
    writeZoomBox(Zoom);
    mostrar_sonido(Zoom);
}

// ---- Whole sound, no selection, view position ----

void TSoundfrm::seleccionar_todo() {
    setScrollPosition(0);
    Zoom = FrameCount() / waveWidth() + 1;
    writeZoomBox(Zoom);
    setSelection(0, FrameCount());
    showSelection();
    mostrar_sonido(Zoom);
}

void TSoundfrm::selectnone() {
    // The cursor stays at the start when it is in view, else it goes to the
    // first frame shown.
    const int64_t p = scrollPosition();
    setSelection(std::max(SelectionStart, std::min(p, FrameCount())), 0);
    showSelection();
    pintarpanel1();
}

void TSoundfrm::posicion_begin() {
    setScrollPosition(0);
    mostrar_sonido(Zoom);
}

void TSoundfrm::posicion_cursor() {
    setScrollPosition(SelectionStart);
    mostrar_sonido(Zoom);
}

void TSoundfrm::posicion_end() {
    setScrollPosition(FrameCount());
    mostrar_sonido(Zoom);
}

// ---- Zero crossings and the sample report ----

void TSoundfrm::zerocrossing(char startMode, char endMode) {
    const ZeroCrossingResult r = findZeroCrossings(Sound, startMode, endMode);
    setSelection(r.start, r.length);
    if (SVMainfrm) {
        SVMainfrm->Edit4->setText(QString::number(SelectionStart));
        SVMainfrm->Edit3->setText(QString::number(SelectionLength));
    }
    mostrar_sonido(boxZoom(Zoom));
}

void TSoundfrm::CurrentSampleValue() {
    if (SelectionLength > 0) {
        ShowMessage("Selection Size must be 0");
        return;
    }
    // A cursor after the last frame has no sample to read.
    if (SelectionStart < 0 || SelectionStart >= FrameCount()) {
        ShowMessage("There is no sample at the end of the sound.");
        return;
    }
    const std::string time = SVMainfrm && SVMainfrm->ms1 ? ss(SVMainfrm->ms1->text()) : std::string();
    ShowMessage(sampleReport(Sound, SelectionStart, time));
}

// ---- Dragging the selection ----

QMimeData* TSoundfrm::selectionDragData() {
    auto* data = new QMimeData;
    // The window itself is named in the data too: a drop checks it against
    // the windows still open before it uses it.
    data->setData(TSVMainfrm::kSelectionDragMime, QByteArray::number(quintptr(this)));
    return data;
}

TSoundfrm* TSoundfrm::selectionDragSource(const QMimeData* data, QObject* source) {
    if (!data || !data->hasFormat(TSVMainfrm::kSelectionDragMime) || !SVMainfrm) return nullptr;
    const std::vector<TSoundfrm*> open = SVMainfrm->soundWindows();
    auto live = [&](TSoundfrm* w) { return std::find(open.begin(), open.end(), w) != open.end(); };
    for (QObject* o = source; o; o = o->parent())
        if (auto* w = qobject_cast<TSoundfrm*>(o)) return live(w) ? w : nullptr;
    bool ok = false;
    const quintptr id = data->data(TSVMainfrm::kSelectionDragMime).toULongLong(&ok);
    if (!ok) return nullptr;
    for (TSoundfrm* w : open)
        if (quintptr(w) == id) return w;
    return nullptr;
}

void TSoundfrm::startSelectionDrag() {
    if (dragStartHook) {
        dragStartHook(this);
        return;
    }
    auto* drag = new QDrag(Shape1);
    drag->setMimeData(selectionDragData());
    drag->exec(Qt::CopyAction | Qt::MoveAction, Qt::CopyAction);
}

static void bringToFront(TSoundfrm* w) {
    if (auto* sub = qobject_cast<QMdiSubWindow*>(w->parentWidget())) {
        if (QMdiArea* area = sub->mdiArea(); area && area->activeSubWindow() != sub) area->setActiveSubWindow(sub);
        sub->raise();
    } else {
        w->raise();
    }
}

bool TSoundfrm::FormDragOver(TSoundfrm* source) {
    if (!source) return false;
    bringToFront(this);
    return true;
}

bool TSoundfrm::Shape1DragOver(TSoundfrm* source) {
    if (!source) return false;
    bringToFront(this);
    return source != this;
}

void TSoundfrm::dragEnterEvent(QDragEnterEvent* e) {
    TSoundfrm* source = selectionDragSource(e->mimeData(), e->source());
    if (!source) {
        e->ignore();
        return;
    }
    e->acceptProposedAction();
}

void TSoundfrm::dragMoveEvent(QDragMoveEvent* e) {
    TSoundfrm* source = selectionDragSource(e->mimeData(), e->source());
    const QPoint p = e->position().toPoint();
    const bool ok = overShape(p) ? Shape1DragOver(source) : FormDragOver(source);
    if (ok) e->acceptProposedAction();
    else e->ignore();
}

// The options dialog comes up after the drop has finished, so that the
// source's drag is over before anything modal runs.
void TSoundfrm::dropEvent(QDropEvent* e) {
    TSoundfrm* source = selectionDragSource(e->mimeData(), e->source());
    const QPoint p = e->position().toPoint();
    const bool onShape = overShape(p);
    if (!source || (onShape && source == this)) {
        e->ignore();
        return;
    }
    e->acceptProposedAction();
    QPointer<TSoundfrm> self(this), from(source);
    const QPoint at = onShape ? p - Shape1->pos() : p;
    QMetaObject::invokeMethod(
        this,
        [self, from, at, onShape] {
            if (!self || !from) return;
            if (onShape) self->Shape1DragDrop(from, at.x(), at.y());
            else self->FormDragDrop(from, at.x(), at.y());
        },
        Qt::QueuedConnection);
}

void TSoundfrm::Shape1DragDrop(TSoundfrm* source, int x, int y) {
    FormDragDrop(source, x + Shape1->x(), y + Shape1->y());
}

void TSoundfrm::FormDragDrop(TSoundfrm* source, int x, int y) {
    if (!source) return;
    QPointer<TSoundfrm> self(this), from(source);
    int choice = -1;
    {
        TDraganddropfrm dialog(this);
        choice = dialog.mostrar_dialogo();
    }
    if (choice < 0 || !self || !from) return;
    const bool move = choice == TDraganddropfrm::Move || choice == TDraganddropfrm::MoveAndMix;
    // Nothing taken from the source (reported there) means nothing to put
    // here: the clipboard file may hold an older clip.
    if (!(move ? from->cortar() : from->copiar()) || !self) return;
    (void)y;
    setSelection(frameAtX(x), 0);
    showSelection();
    pintarpanel1();
    switch (choice) {
    case TDraganddropfrm::Paste:
    case TDraganddropfrm::Move:
        pegar();
        break;
    case TDraganddropfrm::Mix:
    case TDraganddropfrm::MoveAndMix:
        mezclar(1.0, 1.0);
        break;
    case TDraganddropfrm::MixSpecial: {
        // The first level weights the sound here, the second the clip, as
        // the Edit menu's Mix Special does.
        double current = 0.0, copied = 0.0;
        {
            Tmixspecial dialog(this);
            dialog.mostrar_form(current, copied);
        }
        if (!self || (current == 0.0 && copied == 0.0)) return;
        mezclar(copied, current);
        break;
    }
    default:
        break;
    }
}

void TSoundfrm::ferDragAsNew() {
    if (!SVMainfrm || SelectionLength <= 0) return;
    SoundBuffer copy;
    try {
        BusyGuard busy;
        copy = selectionAsNew(Sound);
    } catch (const std::bad_alloc&) {
        prompts().messageBox(applicationTitle(), "Not enough memory for this operation.", Buttons::Ok, Icon::Error);
        return;
    }
    TSVMainfrm* main = SVMainfrm;
    TSoundfrm* w = main->crearfill();
    ++main->NewSoundCount;
    // Named like every other new sound, and kept new, so that its undo
    // files go to the program's folder and Save asks for a name.
    w->FileName = "New" + std::to_string(main->NewSoundCount) + ".wav";
    w->setCaption(w->FileName);
    w->Tag = std::max(0, main->QuantsFitxersIguals(w->FileName) - 1);
    w->UndoCounter = int64_t(w->Tag) * 10000;
    w->Modified = true;
    w->NoRedraw = false;
    copy.setSelection(0, 0);
    w->FileSize = int64_t(copy.bytes.size()) + 44;
    w->adoptSound(std::move(copy));
    w->SoundLoaded = true;
    main->SoundLoaded = true;
    main->SpeedButton16->setEnabled(true);
    main->showChild(w);
    w->Zoom = w->FrameCount() / w->waveWidth() + 1;
    w->FitZoom = w->Zoom;
    writeZoomBox(w->Zoom);
    w->setScrollPosition(0);
    main->Edit4->setText("0");
    main->Edit3->setText("0");
    w->layoutControls();
    w->mostrar_sonido(w->Zoom);
}

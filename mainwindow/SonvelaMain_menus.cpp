// The main window's menus. Every command has its item here; an item whose
// command is not available in this build stays disabled.
#include <QApplication>
#include <QKeyEvent>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QScrollBar>
#include <algorithm>

#include "mainwindow/SonvelaMain.h"
#include "platform/activity.h"
#include "platform/paths.h"
#include "platform/prompts.h"
#include "platform/settings.h"
#include "platform/qt/qt_prompts.h"
#include "sound/Sound.h"
#include "sound/frame_title.h"

using namespace sv;

void TSVMainfrm::buildMenus() {
    QMenuBar* mb = menuBar();
    // A value typed into a box is applied before a menu's enabling runs
    // (this connection comes before every other of the menu), so that the
    // menu and what it then runs see the value the box shows.
    auto topMenu = [this, mb](const QString& title) {
        QMenu* menu = mb->addMenu(title);
        connect(menu, &QMenu::aboutToShow, this, [this] { applyTypedBox(); });
        return menu;
    };

    File2 = topMenu("&File");
    File2->setObjectName("File2");
    addItem(File2, "Open2", "&Open", QKeySequence("Ctrl+O"), [this] { Open2Click(); });
    addItem(File2, "New2", "&New", QKeySequence("Ctrl+N"), [this] { New2Click(); });
    Reabrir1 = File2->addMenu("&Reopen");
    Reabrir1->setObjectName("Reabrir1");
    addItem(Reabrir1, "reabrir11", "", {}, [this] { reabrir11Click(); });
    addItem(Reabrir1, "reabrir12", "", {}, [this] { reabrir12Click(); });
    addItem(Reabrir1, "reabrir13", "", {}, [this] { reabrir13Click(); });
    connect(Reabrir1, &QMenu::aboutToShow, this, [this] { Reabrir1Click(); });
    File2->addSeparator();
    addItem(File2, "Save2", "&Save", QKeySequence("Ctrl+S"), [this] { Save2Click(); });
    addItem(File2, "SaveAs2", "Sa&ve as...", QKeySequence("F12"), [this] { SaveAs2Click(); });
    addItem(File2, "SaveSelection2", "Save se&lection", {}, [this] { SpeedButton12Click(); });
    File2->addSeparator();
    addItem(File2, "Close1", "&Close Active Waveform", QKeySequence("F10"), [this] { Close1Click(); });
    addItem(File2, "CloseAllWaveforms1", "Close All Waveforms", QKeySequence("F11"),
            [this] { CloseAllWaveforms1Click(); });
    File2->addSeparator();
    addItem(File2, "Informacionarchivo1", "&File information");
    addItem(File2, "Informaciondispositivos1", "&Device information");
    addItem(File2, "CDplayer1", "CD pla&yer");
    File2->addSeparator();
    addItem(File2, "Imprimir1", "&Print", {}, [this] { Imprimir1Click(); });
    addItem(File2, "Opcionesimpresora1", "Prin&ter options", {}, [this] { Opcionesimpresora1Click(); });
    File2->addSeparator();
    addItem(File2, "Exit2", "E&xit", {}, [this] { Exit2Click(); });
    connect(File2, &QMenu::aboutToShow, this, [this] { File2Click(); });

    Edit1 = topMenu("&Edit");
    Edit1->setObjectName("Edit1");
    undo1 = addItem(Edit1, "undo1", "&Undo", QKeySequence("Ctrl+Z"));
    Edit1->addSeparator();
    addItem(Edit1, "Cut1", "Cu&t", QKeySequence("Ctrl+X"));
    addItem(Edit1, "Copy1", "&Copy", QKeySequence("Ctrl+C"));
    addItem(Edit1, "Paste1", "&Paste", QKeySequence("Ctrl+V"));
    addItem(Edit1, "PasteSpecial1", "&Mix", QKeySequence("Ctrl+M"));
    addItem(Edit1, "Mixspecial1", "Mi&x special");
    addItem(Edit1, "Pegarcomonuevo1", "Paste as &new", QKeySequence("Ctrl+Alt+N"));
    Edit1->addSeparator();
    addItem(Edit1, "Borrar1", "&Delete", QKeySequence("Ctrl+Del"));
    addItem(Edit1, "Borrarexceptoseleccion1", "Tr&im", QKeySequence("Ctrl+T"));
    addItem(Edit1, "Insertarsilencio1", "Insert si&lence", QKeySequence("Ctrl+I"));
    addItem(Edit1, "Forzarsilencio1", "&Force silence");
    addItem(Edit1, "Repetir1", "&Repeat", QKeySequence("Ctrl+R"));
    Edit1->addSeparator();
    addItem(Edit1, "Seleccionartodo1", "Select &all", QKeySequence("Ctrl+A"));
    addItem(Edit1, "SelectNone1", "Select N&one", QKeySequence("Ctrl+Alt+A"));
    addItem(Edit1, "ZeroCrossing1", "&Zero Crossing");
    addItem(Edit1, "Goto1", "&Go to ...");
    connect(Edit1, &QMenu::aboutToShow, this, [this] { Edit1Click(); });

    Herramientas1 = topMenu("&Tools");
    Herramientas1->setObjectName("Herramientas1");
    const std::pair<const char*, const char*> tools[] = {
        {"Maximizaronda1", "&Normalize"}, {"Amplificarvolumen1", "&Amplify volume"},
        {"Fadein1", "&Fade in"}, {"Fadeout1", "Fade &out"}, {"Eliminaroffset1", "Remove &offset"},
        {"Girar1", "&Invert"}, {"Invertir1", "&Reverse"}, {"Cambiarcanales1", "Invert c&hannels"},
        {"Travellingstereo1", "&Travelling stereo"}, {"Cambiarvelocidad1", "&Speed up/down"},
        {"Resamplear1", "&Resample"}, {"Eco1", "&Echo"}, {"Reverberar1", "Re&verb"},
        {"Flanger1", "Flan&ger"}, {"Chorus1", "Chorus"},
        {"CombineChannels1", "&Combine Channels"}, {"DivideChannels1", "&Divide Channels"},
        {"SpeedButton15Click", "&Record a New Sound"}, {"DivideWaveForm1", "D&ivide File in Multiple Files"},
        {"DivideTracks1", "Divide Fil&e in Tracks by Silences"},
        {"DivideByLength_SB", "Divide File in Tracks by Len&gth"},
        {"Imprimir1CliImprimir1", "Concatenate &Multiple Files"},
        {"WAVFileFormatConverter1", "WAV File Format Converter"}};
    for (const auto& t : tools) addItem(Herramientas1, t.first, t.second);
    Effects1 = Herramientas1->addMenu("Effects");
    Effects1->setObjectName("Effects1");
    const std::pair<const char*, const char*> effects[] = {
        {"TelefonicLine1", "&Phone Line"}, {"RoboticVoice1", "&Robotic Voice"},
        {"HardMetallitzation1", "Metallization (&Hard)"}, {"SoftMetallization1", "Metallization (&Soft)"},
        {"N19", "C&hopper"}, {"GreatChopper1", "Ch&opper (Great)"}, {"Karaoke1", "&Karaoke"},
        {"SpectralAverage1", "Spectral &Average"}, {"Gapper1", "&Gapper"}, {"Groove1", "Groo&ve"},
        {"ElectricGuitarDistortion1", "Electric Guitar &Distortion"}, {"Compressor1", "&Compressor"},
        {"Expander1", "E&xpander"}, {"Quantifier1", "&Quantifier"}, {"NoiseGate1", "&Noise Gate"}};
    for (const auto& e : effects) addItem(Effects1, e.first, e.second);
    connect(Herramientas1, &QMenu::aboutToShow, this, [this] { Herramientas1Click(); });

    Filtros1 = topMenu("F&ilter");
    Filtros1->setObjectName("Filtros1");
    const std::pair<const char*, const char*> filters[] = {
        {"Filtroavanzado1", "Advanced &filter"}, {"BancodeFiltros1", "Filter &bank"},
        {"Ecualizar1", "&Equalize"}, {"Filtromediana1", "&Median filter"},
        {"Filtrodemedia1", "&Average filter"}, {"Filtromejorado1", "&Improved median filter"},
        {"FiltroCopalta1", "&Top hat filter"}, {"Expansordedinamica1", "&Dynamic expander"},
        {"EdgeEnhancement1", "Edge En&hancement"}, {"RestFilter1", "Difference Filter"},
        {"STSA1", "&STSA"}, {"NoiseGateFilter1", "Noise Gate"}, {"WaveletDenoising1", "Wavelet Denoising"},
        {"CustomizedFilterSB", "&Customized Filter"}, {"FrequencyShift1", "&Pitch Change"},
        {"VoiceCleaner1", "Voice Cleaner"}};
    for (const auto& f : filters) addItem(Filtros1, f.first, f.second);
    connect(Filtros1, &QMenu::aboutToShow, this, [this] { Filtros1Click(); });

    Miscellaneous1 = topMenu("&Miscellaneous");
    Miscellaneous1->setObjectName("Misce1");
    addItem(Miscellaneous1, "Histogram1", "&Histogram");
    addItem(Miscellaneous1, "CurrentSampleValue1", "Current Sample In&fo");
    Loop1 = addItem(Miscellaneous1, "Loop1", "&Loop", QKeySequence("Ctrl+L"));
    Loop1->setCheckable(true);
    addItem(Miscellaneous1, "Colors1", "&Colors and settings");
    QMenu* internet = Miscellaneous1->addMenu("&Internet");
    internet->setObjectName("Internet1");
    addItem(internet, "AudioWebsites1", "Audio related &Websites");

    View1 = topMenu("&View");
    View1->setObjectName("View1");
    QMenu* viewMode = View1->addMenu("View Mode");
    viewMode->setObjectName("ViewMode1");
    const std::pair<const char*, const char*> modes[] = {
        {"ViewAccessBar1", "View Access Bar"}, {"ViewToolBars1", "View ToolBars"}, {nullptr, nullptr},
        {"FileToolBar1", "File ToolBar"}, {"EditToolBar1", "Edit ToolBar"}, {"ToolsToolBar1", "Tools ToolBar"},
        {"FilterToolBar1", "Filter ToolBar"}, {"MiscToolBar1", "Miscellaneous ToolBar"},
        {"ViewToolBar1", "View ToolBar"}, {"HelpToolBar1", "Help ToolBar"}};
    for (const auto& m : modes) {
        if (!m.first) viewMode->addSeparator();
        else addItem(viewMode, m.first, m.second)->setCheckable(true);
    }
    View1->addSeparator();
    ZoomIn1 = addItem(View1, "ZoomIn1", "&Zoom In");
    ZoomOut1 = addItem(View1, "ZoomOut1", "Zoom &Out");
    View1->addSeparator();
    ViewGrid1 = addItem(View1, "ViewGrid1", "View Grid");
    ViewGrid1->setCheckable(true);
    QAction* vu = addItem(View1, "ViewVumeters1", "View Vumeters");
    vu->setCheckable(true);
    addItem(View1, "ShowImage1", "&View Image")->setCheckable(true);
    addItem(View1, "ViewVolume1", "&Volume");

    Window1 = topMenu("&Windows");
    Window1->setObjectName("Window1");
    addItem(Window1, "NewWindow1", "&New window", {}, [this] { New2Click(); });
    addItem(Window1, "Tile1", "&Tile windows", {}, [this] { Tile1Click(); });
    addItem(Window1, "Organzariconos1", "&Arrange icons", {}, [this] { Organzariconos1Click(); });
    addItem(Window1, "Cascade1", "&Cascade", {}, [this] { Cascade1Click(); });
    addItem(Window1, "MosaicoVertical1", "&Strip windows", {}, [this] { MosaicoVertical1Click(); });
    windowSeparator_ = Window1->addSeparator();
    connect(Window1, &QMenu::aboutToShow, this, [this] { Window1Click(); });

    Help1 = topMenu("&Help");
    Help1->setObjectName("Help1");
    addItem(Help1, "Contents1", "&Contents");
    addItem(Help1, "About1", "&About...");

    // Menu items are enabled when their menu drops down; a key pressed
    // without opening it must see the same enabling.
    qApp->installEventFilter(this);
}

bool TSVMainfrm::eventFilter(QObject* watched, QEvent* e) {
    if (e->type() == QEvent::ShortcutOverride) {
        auto* w = qobject_cast<QWidget*>(watched);
        if (w && w->window() == this) refreshShortcutEnabling(*static_cast<QKeyEvent*>(e));
    }
    return QMainWindow::eventFilter(watched, e);
}

// Runs the drop-down handlers of the menus (outermost first, as a user
// opens them) that hold an item with the pressed shortcut, before the
// shortcut is looked up.
void TSVMainfrm::refreshShortcutEnabling(const QKeyEvent& key) {
    if (key.key() == 0 || key.key() == Qt::Key_unknown) return;
    const QKeySequence pressed(key.keyCombination());
    std::vector<QMenu*> chain;
    for (const auto& entry : items) {
        QAction* a = entry.second;
        if (!a || a->shortcut().isEmpty() || a->shortcut().matches(pressed) != QKeySequence::ExactMatch) continue;
        for (QObject* o : a->associatedObjects()) {
            std::vector<QMenu*> up;
            for (auto* m = qobject_cast<QMenu*>(o); m; m = qobject_cast<QMenu*>(m->parentWidget())) up.push_back(m);
            for (auto it = up.rbegin(); it != up.rend(); ++it)
                if (std::find(chain.begin(), chain.end(), *it) == chain.end()) chain.push_back(*it);
        }
    }
    for (QMenu* m : chain) emit m->aboutToShow();
}

void TSVMainfrm::File2Click() {
    const bool idle = activity() == Activity::Idle;
    const bool child = childCount() > 0;
    for (const char* n : {"Open2", "New2", "Informaciondispositivos1", "CDplayer1"}) enableItem(n, idle);
    for (const char* n : {"SaveAs2", "Close1", "CloseAllWaveforms1", "Informacionarchivo1", "Imprimir1",
                          "Opcionesimpresora1"})
        enableItem(n, child && idle);
    enableItem("Save2", child && idle && !SaveDisabled);
    Reabrir1->setEnabled(fileExists(ExeDir + "dadoruz.ini") && idle && !RecentFile1.empty());
    bool ok = false;
    const qlonglong len = Edit3->text().toLongLong(&ok);
    enableItem("SaveSelection2", child && idle && ok && len >= 1);
}

void TSVMainfrm::Edit1Click() {
    const bool idle = activity() == Activity::Idle;
    const bool child = childCount() > 0;
    bool ok = false;
    const bool sel = Edit3->text().toLongLong(&ok) > 0 && ok;
    const bool V = child && sel && idle;
    const bool undoOn = !IniFile(ExeDir + "dadoruz.ini").ReadYesNo(kDisableUndo);
    TSoundfrm* w = activeSound();
    enableItem("undo1", child && idle && undoOn && w && w->undoAvailable());
    for (const char* n : {"Cut1", "Copy1", "Repetir1", "Insertarsilencio1", "Forzarsilencio1", "Borrar1",
                          "Borrarexceptoseleccion1"})
        enableItem(n, V);
    const bool clip = fileExists(ExeDir + "wavecopy.tmp");
    for (const char* n : {"Paste1", "PasteSpecial1", "Mixspecial1", "Pegarcomonuevo1"}) enableItem(n, clip && idle);
    enableItem("SelectNone1", child && Edit3->text() != "0");
    for (const char* n : {"ZeroCrossing1", "Seleccionartodo1", "Goto1"}) enableItem(n, child);
}

void TSVMainfrm::Window1Click() {
    const bool idle = activity() == Activity::Idle;
    const bool child = childCount() > 0;
    enableItem("NewWindow1", idle);
    for (const char* n : {"Tile1", "Organzariconos1", "Cascade1", "MosaicoVertical1"}) enableItem(n, child);
    // The window list of the previous opening goes.
    for (QAction* a : windowListItems_) {
        Window1->removeAction(a);
        a->deleteLater();
    }
    windowListItems_.clear();
    auto list = mdi->subWindowList(QMdiArea::ActivationHistoryOrder);
    windowSeparator_->setVisible(!list.isEmpty());
    // Child index count-1 (activated longest ago) at the top down to 0, the
    // active window, last; the history lists the oldest activation first.
    const int count = int(list.size());
    for (int k = 0; k < count; ++k) {
        QMdiSubWindow* sub = list[k];
        // The caption whole: the frame's title may be shortened to its width.
        const QString caption = sub->widget() ? sub->widget()->windowTitle() : sub->windowTitle();
        QAction* a = Window1->addAction("&" + QString::number(k) + " " + caption);
        connect(a, &QAction::triggered, this, [this, sub] { mdi->setActiveSubWindow(sub); });
        windowListItems_.push_back(a);
    }
}


// ---- Window arrangement ----

namespace {

// The sound windows a Windows command arranges, in the order asked: shown
// and not minimised, each back to its normal state.
std::vector<QMdiSubWindow*> arrangedWindows(QMdiArea* mdi, QMdiArea::WindowOrder order) {
    std::vector<QMdiSubWindow*> shown;
    for (QMdiSubWindow* sub : mdi->subWindowList(order))
        if (sub->isVisible() && !sub->isMinimized()) shown.push_back(sub);
    for (QMdiSubWindow* sub : shown)
        if (sub->isMaximized()) sub->showNormal();
    return shown;
}

// The workspace's full size: the scroll bars that windows lying beyond it
// make go away once they are arranged inside it. The view goes back to the
// workspace's top left first, so that positions count from there.
QRect workspace(QMdiArea* mdi) {
    mdi->horizontalScrollBar()->setValue(0);
    mdi->verticalScrollBar()->setValue(0);
    return QRect(QPoint(0, 0), mdi->maximumViewportSize());
}

// The least height at which a sound window is still of use: its title
// bar and frame, what the window shows under its waveform, and a waveform
// of kUsableWaveHeight pixels. (The window lays out from its bottom: what
// lies under the waveform keeps its height however low the window is.)
constexpr int kUsableWaveHeight = 64;
int usableHeight(const QMdiSubWindow* sub) {
    const auto* w = qobject_cast<const TSoundfrm*>(sub->widget());
    if (!w) return sub->minimumSizeHint().height();
    const int frame = sub->height() - w->height();
    const int underWave = w->height() - w->drawingBottom();
    return frame + underWave + kUsableWaveHeight;
}

// A usable window is also wide enough for its title bar to show the file
// name whole.
QSize usableSize(const QMdiSubWindow* sub) {
    const QWidget* w = sub->widget();
    const int width = w ? frameWidthShowing(sub, shortestTitle(w->windowTitle())) : sub->minimumSizeHint().width();
    return QSize(width, usableHeight(sub));
}

// How far down a frame's contents begin: its title bar and top border.
int titleStep(const QMdiSubWindow* sub) {
    return sub->widget() ? std::max(1, sub->widget()->mapTo(sub, QPoint(0, 0)).y()) : 24;
}

// Splits `length` pixels into `parts` adjoining stretches; stretch i is
// [edge(i), edge(i + 1)).
int edge(int length, int i, int parts) { return int(int64_t(length) * i / parts); }

// Side by side in one row in the order they were opened, each as tall as
// the workspace; together exactly as wide as it.
void stripWindows(QMdiArea* mdi) {
    const std::vector<QMdiSubWindow*> shown = arrangedWindows(mdi, QMdiArea::CreationOrder);
    if (shown.empty()) return;
    const QRect area = workspace(mdi);
    const int n = int(shown.size());
    for (int i = 0; i < n; ++i) {
        const int left = edge(area.width(), i, n);
        shown[size_t(i)]->setGeometry(left, 0, edge(area.width(), i + 1, n) - left, area.height());
    }
}

// Stacked in the order they were opened, each column as wide as its share
// of the workspace and filled from the top to the bottom. One column while
// every window keeps a usable height in it; otherwise as few columns as
// keep them usable, the windows spread evenly over them. Where even that
// does not fit (more windows than usable places), each keeps its usable
// height and the columns reach below the workspace, which then scrolls:
// windows never overlap.
void tileWindows(QMdiArea* mdi) {
    const std::vector<QMdiSubWindow*> shown = arrangedWindows(mdi, QMdiArea::CreationOrder);
    if (shown.empty()) return;
    const QRect area = workspace(mdi);
    const int n = int(shown.size());
    int usable = 1, leastWidth = 1;
    for (const QMdiSubWindow* sub : shown) {
        usable = std::max(usable, usableHeight(sub));
        leastWidth = std::max(leastWidth, sub->minimumSizeHint().width());
    }
    const int perColumn = std::max(1, area.height() / usable);
    const int maxColumns = std::max(1, area.width() / leastWidth);
    const int columns = std::min((n + perColumn - 1) / perColumn, maxColumns);
    int first = 0;
    for (int c = 0; c < columns; ++c) {
        // The first n % columns columns take one window more.
        const int count = n / columns + (c < n % columns ? 1 : 0);
        const int height = std::max(area.height(), count * usable);
        const int left = edge(area.width(), c, columns), right = edge(area.width(), c + 1, columns);
        for (int k = 0; k < count; ++k) {
            const int top = edge(height, k, count);
            shown[size_t(first + k)]->setGeometry(left, top, right - left, edge(height, k + 1, count) - top);
        }
        first += count;
    }
}

} // namespace

void TSVMainfrm::Tile1Click() { tileWindows(mdi); }

// Each window one title step down and right of the one before, the active
// window last and on top. A usable window keeps its size and a smaller one
// gets the size a window opens with; either is cut to the room right of
// and below its place, never below its usable size. When the next window
// would not keep its usable height below its place, a new round starts at
// the top, right of where every title of the round before begins: each
// title bar keeps a stretch of at least kRoundGap + 1 steps in view to
// click, and no two windows share a place. Rounds that reach past the
// right edge of the workspace make it scroll.
void TSVMainfrm::Cascade1Click() {
    const std::vector<QMdiSubWindow*> shown = arrangedWindows(mdi, QMdiArea::ActivationHistoryOrder);
    if (shown.empty()) return;
    const QRect area = workspace(mdi);
    constexpr int kRoundGap = 2;
    const int step = titleStep(shown.front());
    int roundLeft = 0, k = 0;
    for (QMdiSubWindow* sub : shown) {
        const QSize usable = usableSize(sub).boundedTo(area.size());
        if (k > 0 && k * step + usable.height() > area.height()) {
            roundLeft += (k + kRoundGap) * step;
            k = 0;
        }
        const QPoint at(roundLeft + k * step, k * step);
        QSize size = sub->size();
        const auto* w = qobject_cast<const TSoundfrm*>(sub->widget());
        if (w && (size.width() < usable.width() || size.height() < usable.height())) size = newWindowSize(w);
        size = size.boundedTo(area.size() - QSize(at.x(), at.y())).expandedTo(usable);
        sub->setGeometry(QRect(at, size));
        sub->raise();
        ++k;
    }
}

void TSVMainfrm::MosaicoVertical1Click() { stripWindows(mdi); }

// Only the minimised windows move: in rows along the bottom of the area,
// left to right, a new row above when one is full.
void TSVMainfrm::Organzariconos1Click() {
    const QRect area = mdi->viewport()->rect();
    int x = 0, y = area.height();
    int rowHeight = 0;
    for (QMdiSubWindow* sub : mdi->subWindowList()) {
        if (!sub->isVisible() || !sub->isMinimized()) continue;
        const QSize size = sub->size();
        if (x > 0 && x + size.width() > area.width()) {
            x = 0;
            y -= rowHeight;
            rowHeight = 0;
        }
        if (rowHeight == 0) rowHeight = size.height();
        sub->move(x, y - rowHeight);
        x += size.width();
    }
}

// E for the Tools and Filter menus: a sound window, a selection, idle.
bool TSVMainfrm::selectionCommandsEnabled() const {
    bool ok = false;
    const qlonglong len = Edit3->text().toLongLong(&ok);
    return childCount() > 0 && ok && len >= 1 && activity() == Activity::Idle;
}

void TSVMainfrm::Herramientas1Click() {
    const bool E = selectionCommandsEnabled();
    TSoundfrm* w = activeSound();
    const bool stereo = w && w->IsStereo();
    for (const char* n : {"Eliminaroffset1", "Cambiarvelocidad1", "Girar1", "Invertir1", "Maximizaronda1", "Fadein1",
                          "Fadeout1", "Amplificarvolumen1", "Eco1", "Reverberar1", "Flanger1", "Chorus1"})
        enableItem(n, E);
    Effects1->setEnabled(E);
    for (const char* n : {"Cambiarcanales1", "Travellingstereo1", "DivideChannels1"}) enableItem(n, E && stereo);
    enableItem("Resamplear1", childCount() > 0 && activity() == Activity::Idle);
}

void TSVMainfrm::Filtros1Click() {
    const bool E = selectionCommandsEnabled();
    for (QAction* a : Filtros1->actions()) {
        if (a->isSeparator()) continue;
        if (a->menu()) a->menu()->setEnabled(E);
        else enableItem(ss(a->objectName()), E);
    }
}

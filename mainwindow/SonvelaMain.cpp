#include "mainwindow/SonvelaMain.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QMdiSubWindow>
#include <QPainter>
#include <QPixmap>
#include <QPointer>
#include <QScreen>
#include <QToolBar>
#include <cerrno>
#include <limits>

#include "mainwindow/commands.h"
#include "mainwindow/SonvelaMain_view.h"
#include "mainwindow/startup.h"
#include "mainwindow/tool_icons.h"
#include "platform/activity.h"
#include "platform/audio/wave_out.h"
#include "platform/exedir.h"
#include "platform/paths.h"
#include "platform/prompts.h"
#include "platform/settings.h"
#include "platform/qt/qt_prompts.h"
#include "platform/qt/termination.h"
#include "sound/Sound.h"
#include "sound/frame_title.h"

using namespace sv;

TSVMainfrm* SVMainfrm = nullptr;

namespace {
// The digits of the largest frame count a sound can have.
constexpr int kFrameDigits = std::numeric_limits<int64_t>::digits10 + 1;
} // namespace

TSVMainfrm::TSVMainfrm(std::vector<std::string> args, QWidget* parent)
    : QMainWindow(parent), args_(std::move(args)) {
    SVMainfrm = this;
    FormCreate();
    createLongLivedForms(this);
}

TSVMainfrm::~TSVMainfrm() {
    // Qt's base classes hide the window and delete its children after this
    // body has run, and that sends focus, status-tip and resize events and
    // emits signals. By then this is no longer a TSVMainfrm: nothing that
    // calls into it may still be attached, and sound windows and dialogs
    // going with it no longer find it.
    closing_ = true;
    if (SVMainfrm == this) SVMainfrm = nullptr;
    detachFromEvents();
    destroyLongLivedForms();
}

void TSVMainfrm::ownEventFilter(QObject* filter) { ownedFilters_.emplace_back(filter); }

void TSVMainfrm::detachFromEvents() {
    qApp->removeEventFilter(this);
    for (const QPointer<QObject>& filter : ownedFilters_) delete filter.data();
    ownedFilters_.clear();
    // Every connection with this window as receiver or context, whatever
    // child (menu, box, timer, sound window) sends it.
    QObject::disconnect(qApp, nullptr, this, nullptr);
    for (QObject* o : findChildren<QObject*>()) QObject::disconnect(o, nullptr, this, nullptr);
}

QAction* TSVMainfrm::item(const std::string& name) const {
    auto it = items.find(name);
    return it == items.end() ? nullptr : it->second;
}

QToolButton* TSVMainfrm::button(const std::string& name) const {
    auto it = buttons.find(name);
    return it == buttons.end() ? nullptr : it->second;
}

QAction* TSVMainfrm::addItem(QMenu* menu, const std::string& name, const QString& caption,
                             const QKeySequence& shortcut, std::function<void()> handler) {
    QAction* a = menu->addAction(caption);
    a->setObjectName(qs(name));
    if (!shortcut.isEmpty()) a->setShortcut(shortcut);
    items[name] = a;
    connect(a, &QAction::triggered, this, [this, name] {
        applyTypedBox();
        auto it = handlers_.find(name);
        if (it != handlers_.end() && it->second) it->second();
    });
    if (handler) handlers_[name] = std::move(handler);
    a->setEnabled(hasHandler(name));
    return a;
}

void TSVMainfrm::setHandler(const std::string& name, std::function<void()> handler) {
    handlers_[name] = std::move(handler);
    if (QAction* a = item(name)) a->setEnabled(true);
}

bool TSVMainfrm::hasHandler(const std::string& name) const {
    auto it = handlers_.find(name);
    return it != handlers_.end() && it->second;
}

void TSVMainfrm::enableItem(const std::string& name, bool on) {
    if (QAction* a = item(name)) a->setEnabled(on && hasHandler(name));
}

void TSVMainfrm::enableButton(const std::string& name, bool on) {
    QToolButton* b = button(name);
    if (!b) return;
    auto it = buttonItem_.find(name);
    bool works = it != buttonItem_.end() && hasHandler(it->second);
    b->setEnabled(on && works);
}

QToolButton* TSVMainfrm::addButton(QToolBar* bar, const std::string& name, const QString& text,
                                   const QString& hint, const std::string& itemName) {
    auto* b = new QToolButton(bar);
    b->setObjectName(qs(name));
    b->setText(text);
    b->setToolTip(hint);
    b->setStatusTip(hint);
    b->setAutoRaise(true);
    bar->addWidget(b);
    buttons[name] = b;
    buttonItem_[name] = itemName;
    connect(b, &QToolButton::clicked, this, [this, itemName] {
        applyTypedBox();
        auto it = handlers_.find(itemName);
        if (it != handlers_.end() && it->second) it->second();
    });
    b->setEnabled(false);
    return b;
}

void TSVMainfrm::readSettings() {
    IniFile ini(ExeDir + "dadoruz.ini");
    RecentFile1 = ini.ReadString("Configuration", "abrir1", "");
    RecentFile2 = ini.ReadString("Configuration", "abrir2", "");
    RecentFile3 = ini.ReadString("Configuration", "abrir3", "");
    VerticalScale = ini.ReadInteger("Configuration", "VerticalScale", 1, 1, 3);
    UndoLevels = UndoStore::levelsFromSettings(ini);
    PlayFromCursorPosition = ini.ReadYesNo(kPlayFromCursorPosition);
    BackgroundColor = uint32_t(ini.ReadInteger("Colors", "fons", 0xC0C0C0));
    WaveformColor = uint32_t(ini.ReadInteger("Colors", "ona", 0x800000));
    CentralLineColor = uint32_t(ini.ReadInteger("Colors", "linia", 0x0000FF));
    StereoColor = uint32_t(ini.ReadInteger("Colors", "liniast", 0x00FF00));
    GridColor = uint32_t(ini.ReadInteger("Colors", "grid", 0x808080));
    GridPanelBackColor = uint32_t(ini.ReadInteger("Colors", "gridfons", 0x808080));
    GridPanelFontColor = uint32_t(ini.ReadInteger("Colors", "gridfont", 0xFFFFFF));
    for (PanelPosition& p : PanelPositions) {
        p.left = ini.ReadInteger("Options", p.name + "_Left", p.left, 0, farthestToolBarPlace(this).x());
        p.top = ini.ReadInteger("Options", p.name + "_Top", p.top, 0, farthestToolBarPlace(this).y());
    }
}

void TSVMainfrm::FormCreate() {
    SoundLoaded = false;
    setAcceptDrops(true);
    ExeDir = exeDir();
    // Undo steps of unsaved sounds that a killed run left behind.
    UndoStore::removeStaleFiles(ExeDir);
    setWindowTitle("Sonvela");
    resize(800, 600);
    move(190, 112);

    mdi = new QMdiArea(this);
    mdi->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    mdi->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setCentralWidget(mdi);
    connect(mdi, &QMdiArea::subWindowActivated, this, [this](QMdiSubWindow* sub) {
        TSoundfrm* now = sub ? qobject_cast<TSoundfrm*>(sub->widget()) : nullptr;
        if (lastActive_ && lastActive_ != now) lastActive_->FormDeactivate();
        lastActive_ = now;
        if (now) now->FormActivate();
    });

    Timer1 = new QTimer(this);
    Timer1->setInterval(1000);
    Timer1->stop();

    readSettings();
    buildPanels();
    buildMenus();
    installCommands(this);

    IniFile ini(ExeDir + "dadoruz.ini");
    ViewGrid1->setChecked(ini.ReadYesNo(kViewGrid));
    VumeterPanel->setVisible(ini.ReadYesNo(kViewVumeters));
    Gauge1->setStyleSheet(barStyle(WaveformColor));
    Gauge2->setStyleSheet(barStyle(StereoColor));

    if (sv::waveOutGetNumDevs() == 0) ShowMessage("Sound device not found.");
    CommandLinePending = true;
    CdPlayMode = 1;
    refreshReopenMenu();
    statusBar()->showMessage("");
    habilitar_botones();
}

QString TSVMainfrm::barStyle(uint32_t c) {
    return QString("QProgressBar::chunk { background-color: rgb(%1,%2,%3); }")
        .arg(c & 0xFF).arg((c >> 8) & 0xFF).arg((c >> 16) & 0xFF);
}

void TSVMainfrm::showInBar(QWidget* w, bool on) {
    if (!w) return;
    if (auto* bar = qobject_cast<QToolBar*>(w->parentWidget()))
        for (QAction* a : bar->actions())
            if (bar->widgetForAction(a) == w) {
                a->setVisible(on);
                break;
            }
    // Also before the bar is first laid out.
    w->setVisible(on);
}

// The picture shown while loop mode is on: its words on a dark plate.
static QPixmap loopModePicture() {
    QPixmap pm(84, 20);
    pm.fill(QColor(0x20, 0x20, 0x30));
    QPainter p(&pm);
    p.setPen(QColor(0x40, 0xE0, 0x40));
    QFont f = p.font();
    f.setBold(true);
    f.setPixelSize(12);
    p.setFont(f);
    p.drawRect(pm.rect().adjusted(0, 0, -1, -1));
    p.drawText(pm.rect(), Qt::AlignCenter, "LOOP Mode");
    return pm;
}

void TSVMainfrm::buildPanels() {
    // The control bar with the seven tool bars, the access bar and the
    // meters come first: every command installer finds its tool bar there.
    buildViewPanels(this);
    addToolBarBreak(Qt::TopToolBarArea);

    auto* bar = addToolBar("Transport");
    bar->setObjectName("TransportBar");
    bar->setMovable(false);
    SpeedButton16 = addButton(bar, "SpeedButton16", "Play", "Play", "SpeedButton16");
    SpeedButton14 = addButton(bar, "SpeedButton14", "Pause", "Pause", "SpeedButton14");
    SpeedButton17 = addButton(bar, "SpeedButton17", "Stop", "Stop", "SpeedButton17");
    SpeedButton15 = addButton(bar, "SpeedButton15", "Record", "Record", "SpeedButton15Click");
    for (QToolButton* b : {SpeedButton16, SpeedButton14, SpeedButton17, SpeedButton15}) {
        b->setIcon(sv::toolIcon(ss(b->objectName())));
        b->setToolButtonStyle(Qt::ToolButtonIconOnly);
        // As narrow as the tool bars' buttons: the boxes beside them need
        // the room on a 640-pixel window.
        b->setFixedSize(26, 26);
    }
    bar->addSeparator();

    // The zoom, start and length boxes in one row with each time under its
    // box, so that the row fits the transport bar of a 640-pixel window.
    auto* sel = new QWidget(bar);
    sel->setObjectName("SelectionPanel");
    auto* grid = new QGridLayout(sel);
    grid->setContentsMargins(4, 0, 4, 0);
    grid->setHorizontalSpacing(3);
    grid->setVerticalSpacing(0);
    auto box = [&](QLineEdit*& e, const char* name, const char* label, int column) {
        grid->addWidget(new QLabel(label, sel), 0, column, Qt::AlignRight | Qt::AlignVCenter);
        // A holder of its own, where the box's spin buttons join it.
        auto* holder = new QWidget(sel);
        auto* row = new QHBoxLayout(holder);
        row->setContentsMargins(0, 0, 0, 0);
        row->setSpacing(0);
        e = new QLineEdit("0", holder);
        e->setObjectName(name);
        // Any frame count a sound can have (64 bits), with ten digits in
        // view: every count a WAVE file can hold.
        e->setMaxLength(kFrameDigits);
        // Ten digits, the frame and the box's inner margins.
        e->setFixedWidth(e->fontMetrics().horizontalAdvance(QString(10, '0')) + 10);
        row->addWidget(e);
        grid->addWidget(holder, 0, column + 1, Qt::AlignLeft);
    };
    box(Edit2, "Edit2", "Zoom", 0);
    box(Edit4, "Edit4", "Start", 2);
    box(Edit3, "Edit3", "Length", 4);
    ms1 = new QLabel("0:0:0", sel);
    ms1->setObjectName("ms1");
    grid->addWidget(ms1, 1, 3, Qt::AlignLeft | Qt::AlignTop);
    ms2 = new QLabel("0:0:0", sel);
    ms2->setObjectName("ms2");
    grid->addWidget(ms2, 1, 5, Qt::AlignLeft | Qt::AlignTop);
    bar->addWidget(sel);

    Image1 = new QLabel(bar);
    Image1->setObjectName("Image1");
    Image1->setPixmap(loopModePicture());
    Image1->setToolTip("LOOP Mode");
    bar->addWidget(Image1);
    showInBar(Image1, false);
    // The loop picture stands with its right edge at this filler's left.
    PanelDeRelleno = new QWidget(bar);
    PanelDeRelleno->setObjectName("PanelDeRelleno");
    PanelDeRelleno->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    bar->addWidget(PanelDeRelleno);

    Panel2 = new QWidget(this);   // the CD player panel comes with the CD player
    Panel2->hide();
    Panel3 = new QWidget(this);   // the picture panel comes with the picture component
    Panel3->hide();

    statusBar()->setSizeGripEnabled(true);
}

std::vector<TSoundfrm*> TSVMainfrm::soundWindows() const {
    std::vector<TSoundfrm*> out;
    for (QMdiSubWindow* sub : mdi->subWindowList(QMdiArea::CreationOrder))
        if (auto* w = qobject_cast<TSoundfrm*>(sub->widget())) out.push_back(w);
    return out;
}

int TSVMainfrm::childCount() const { return int(mdi->subWindowList().size()); }

TSoundfrm* TSVMainfrm::activeSound() const {
    if (QMdiSubWindow* sub = mdi->activeSubWindow()) return qobject_cast<TSoundfrm*>(sub->widget());
    // Offscreen or before the first activation the area may report no
    // active window although one is open: take the most recent one that
    // is not on its way out (a window whose open failed lingers until the
    // event loop deletes it).
    const auto list = mdi->subWindowList(QMdiArea::ActivationHistoryOrder);
    for (auto it = list.rbegin(); it != list.rend(); ++it) {
        auto* w = qobject_cast<TSoundfrm*>((*it)->widget());
        if (!w || !w->closeAccepted()) return w;
    }
    return nullptr;
}

void TSVMainfrm::showFrontAfterFailedOpen(TSoundfrm* frontBefore, bool loadedBefore) {
    if (closing_) return;
    // Closing the failed window can make the workspace activate another
    // one: the window that was in front stays in front.
    if (frontBefore && !frontBefore->closeAccepted())
        if (auto* sub = qobject_cast<QMdiSubWindow*>(frontBefore->parentWidget())) mdi->setActiveSubWindow(sub);
    TSoundfrm* front = activeSound();
    if (!front) {
        habilitar_botones();
        return;
    }
    // The failed open changes nothing of what the window in front shows.
    SoundLoaded = loadedBefore;
    front->FormActivate();
}

bool TSVMainfrm::undoStepFor(TSoundfrm* w) {
    if (!w) return false;
    const bool itemWasOn = undo1 && undo1->isEnabled();
    const bool step = w->habilitomenuundo();
    if (undo1) undo1->setEnabled(itemWasOn);
    return step;
}

QSize TSVMainfrm::newWindowSize(const TSoundfrm* w) const {
    int width = std::max(656, w->StatusBar1->sizeHint().width()) + 8;
    if (mdi->viewport()->width() > 100) width = std::min(width, mdi->viewport()->width());
    return QSize(width, 294 + 30);
}

TSoundfrm* TSVMainfrm::crearfill() {
    auto* w = new TSoundfrm();
    auto* sub = new QMdiSubWindow();
    sub->setWidget(w);
    sub->setAttribute(Qt::WA_DeleteOnClose);
    sub->resize(newWindowSize(w));
    mdi->addSubWindow(sub);
    keepShortTitle(sub);
    return w;
}

void TSVMainfrm::showChild(TSoundfrm* w) {
    if (auto* sub = qobject_cast<QMdiSubWindow*>(w->parentWidget())) {
        sub->show();
        mdi->setActiveSubWindow(sub);
    } else {
        w->show();
    }
    w->FormActivate();
}

int TSVMainfrm::QuantsFitxersIguals(const std::string& name) const {
    int n = 0;
    for (TSoundfrm* w : soundWindows())
        if (w->caption() == name) ++n;
    return n;
}

void TSVMainfrm::Exit2Click() { close(); }

void TSVMainfrm::habilitar_botones() {
    if (closing_) return;
    const bool idle = activity() == Activity::Idle;
    const bool notPlaying = activity() != Activity::Playing;
    TSoundfrm* w = activeSound();
    const bool child = childCount() > 0;
    if (!child) {
        SpeedButton16->setEnabled(false);
        SpeedButton14->setEnabled(false);
        SpeedButton17->setEnabled(false);
        enableButton("SpeedButton15", true);
    } else if (mdi->activeSubWindow() && !w) {
        return;  // another kind of child: nothing changes
    }
    // With a sound window the transport buttons stay as playback set them.
    const bool loaded = SoundLoaded;
    const bool selected = w && w->SelectionLength != 0;
    const bool E = idle && child && selected && loaded;
    const bool stereo = w && w->IsStereo();
    for (const char* n : {"SpeedButton10", "SpeedButton7", "SpeedButton8", "CombineChannels_SB", "Divide_SB",
                          "Concatenate_SB", "Colors_SB", "Volume_SB", "Grid_SB", "Websites_SB",
                          "Divideintotracks_SB"})
        enableButton(n, notPlaying);
    for (const char* n :
         {"SpeedButton5", "SpeedButton1", "speedzoom", "SpeedButton13", "SpeedButton34", "SpeedButton35",
          "SpeedButton2", "SpeedButton11", "SpeedButton19", "SpeedButton20", "SpeedButton21", "SpeedButton22",
          "SpeedButton23", "SpeedButton29", "SpeedButton9", "CustomizedFilterSB", "SpeedButton24", "SpeedButton28",
          "SpeedButton30", "SpeedButton25", "SpeedButton26", "SpeedButton27", "SpeedButton31", "SpeedButton45",
          "SpeedButton32", "SpeedButton33", "SpeedButton12", "Trim_SB", "SelectNone_SB", "Invert_SB",
          "RemoveOffset_SB", "Flange_SB", "ImprovedMedian_SB", "Average_SB", "TopHat_SB", "DifferenceFilter_SB",
          "EdgeEnhancement_SB", "Uniform_SB", "Gaussian_SB", "Speckle_SB", "STSA_SB", "Wavelet_SB", "Pink_SB",
          "Histogram_SB", "ZoomInto_SB", "NoiseGate_SB"})
        enableButton(n, E);
    for (const char* n : {"InvertChannels_SB", "DivideChannels_SB", "TravellingStereo_SB"})
        enableButton(n, E && stereo);
    const bool clip = idle && child && loaded && fileExists(ExeDir + "wavecopy.tmp");
    for (const char* n : {"SpeedButton3", "SpeedButton4", "PasteAsNew_SB", "MixSpecial_SB"}) enableButton(n, clip);
    enableButton("SpeedButton18", idle && child && undoStepFor(w));
    enableButton("SpeedButton6", idle && child && loaded && !SaveDisabled);
    for (const char* n : {"SaveAs_SB", "FileInfo_SB", "CloseActive_SB", "CloseAll_SB", "Print_SB", "Resample_SB",
                          "ZoomIn_SB", "ZoomOut_SB", "SampleInfo_SB"})
        enableButton(n, idle && child && loaded);
    enableButton("SelectAll_SB", idle && child);
    enableButton("Loop_SB", idle);
    // Two buttons show the check of their menu item as their down state.
    const std::pair<const char*, const char*> downs[] = {{"Grid_SB", "ViewGrid1"}, {"Vumeters_SB", "ViewVumeters1"}};
    for (const auto& [b, i] : downs) {
        QToolButton* button = this->button(b);
        QAction* a = item(i);
        if (!button || !a) continue;
        button->setCheckable(true);
        button->setChecked(a->isChecked());
    }
    for (auto& hook : enablingHooks) hook(idle, child, w);
}

void TSVMainfrm::DisplayHint(const QString& hint) {
    int bar = hint.indexOf('|');
    statusBar()->showMessage(bar >= 0 ? hint.mid(bar + 1) : hint);
}

void TSVMainfrm::showEvent(QShowEvent* e) {
    QMainWindow::showEvent(e);
    if (CommandLinePending) QTimer::singleShot(0, this, [this] { FormActivate(); });
}

void TSVMainfrm::changeEvent(QEvent* e) {
    QMainWindow::changeEvent(e);
    if (e->type() == QEvent::ActivationChange && isActiveWindow()) FormActivate();
}

void TSVMainfrm::FormActivate() {
    update();
    habilitar_botones();
    if (!CommandLinePending) return;
    CommandLinePending = false;
    processCommandLine();
}

void TSVMainfrm::processCommandLine() {
    std::vector<std::string> names;
    bool play = false;
    if (!args_.empty() && args_[0] == "-CD") {
        if (cdStartHook) cdStartHook();
        return;
    }
    if (!args_.empty() && args_[0] == "-PLAY") {
        play = true;
        names.push_back(args_.size() > 1 ? args_[1] : std::string());
    } else {
        names = args_;
    }
    for (const std::string& typed : names) {
        if (const ReadProblem problem = readProblem(typed)) {
            ShowMessage(problem.error == ENOENT ? "Error: The file " + typed + " does not exist."
                                                : openErrorMessage(typed, problem));
            continue;
        }
        // The reopen list and the caption need the whole path: the program
        // may be started again from another folder.
        const std::string name = ss(QFileInfo(qs(typed)).absoluteFilePath());
        const std::string ext = lowerFileExt(name);
        if (ext == ".wav") {
            shiftRecent(name);
            writeRecent();
            SpeedButton16->setEnabled(true);
            int handled = 1;
            const SoundReader read = [&handled](TSoundfrm* w, const std::string& file) {
                QPointer<TSoundfrm> guard(w);
                handled = w->seleccionar_wav(file);
                return guard && guard->SoundLoaded && !guard->closeAccepted();
            };
            if (!openWithReader(read, name)) {
                if (!handled) break;   // the rest of the command line is skipped
                continue;
            }
            if (play) SpeedButton16Click();
        } else {
            auto opener = openers.find(ext);
            if (opener != openers.end()) opener->second(name);
        }
    }
}

bool TSVMainfrm::FormCloseQuery() {
    IniFile ini(ExeDir + "dadoruz.ini");
    if (ini.ReadYesNo(kConfirmExit)) {
        if (!askYesNo("Sonvela", "Are you sure you want to exit?")) return false;
        if (cdPlayingHook && cdPlayingHook()) {
            if (!askYesNo("Sonvela", "The CD is playing. Do you still want to exit?")) return false;
            if (cdStopHook) cdStopHook();
        }
    }
    for (TSoundfrm* w : soundWindows()) w->AppExiting = true;
    return true;
}

// Closes the sound windows from the least recently used to the active one,
// as Close All does; false when one of them stays open (its save was
// cancelled or failed), so the program keeps running rather than lose that
// sound.
bool TSVMainfrm::closeChildren() {
    const auto list = mdi->subWindowList(QMdiArea::ActivationHistoryOrder);
    for (QMdiSubWindow* s : list) {
        QPointer<QMdiSubWindow> sub(s);
        if (!sub) continue;
        sub->close();
        if (sub && sub->isVisible()) return false;
    }
    return true;
}

// Runs once every sound window has closed: the clipboard file goes and the
// layout is stored.
void TSVMainfrm::FormClose() {
    deleteFile(ExeDir + "wavecopy.tmp");
    IniFile ini(ExeDir + "dadoruz.ini");
    ini.WriteInteger("Configuration", "ViewGrid", ViewGrid1->isChecked() ? 1 : 0);
    if (layoutSaveHook) layoutSaveHook(ini);
    for (const PanelPosition& p : PanelPositions) {
        ini.WriteInteger("Options", p.name + "_Left", p.left);
        ini.WriteInteger("Options", p.name + "_Top", p.top);
    }
}

void TSVMainfrm::closeEvent(QCloseEvent* e) {
    if (!FormCloseQuery()) {
        e->ignore();
        return;
    }
    if (!closeChildren()) {
        for (TSoundfrm* w : soundWindows()) w->AppExiting = false;
        e->ignore();
        return;
    }
    FormClose();
    closing_ = true;
    e->accept();
}

int TSVMainfrm::run() {
    onTerminationSignal([this] { endSession(); });
    // A signal handled before the loop (a message box at start-up) has
    // already ended the session.
    const int rc = sessionEnding_ ? 0 : QApplication::exec();
    if (sessionEnding_) closeWithoutQuestions();
    onTerminationSignal(nullptr);
    return rc;
}

void TSVMainfrm::endSession() {
    if (sessionEnding_) return;
    sessionEnding_ = true;
    // Windows are closed only once every modal loop has returned, so that
    // no dialog goes on over a sound that has gone; a question still open
    // returns as cancelled, and one asked from now on returns at once.
    QCoreApplication::exit(0);
}

void TSVMainfrm::closeWithoutQuestions() {
    // Nobody is there to answer: the session does not wait.
    setSettingsUnattended();
    for (TSoundfrm* w : soundWindows()) {
        w->AppExiting = true;
        w->CloseHandled = true;
    }
    closeChildren();
    FormClose();
    closing_ = true;
}

void TSVMainfrm::soundCommand(bool needSelection, bool pauseCd, const std::function<void(TSoundfrm*)>& fn) {
    TSoundfrm* w = activeSound();
    if (!w) return;
    if (needSelection) {
        bool ok = false;
        if (Edit3->text().toLongLong(&ok) <= 0 || !ok) return;
    }
    if (pauseCd) Timer1->stop();
    fn(w);
    if (pauseCd && !Panel2->isHidden()) Timer1->start();
}

#include "sound/Sound.h"

#include <QApplication>

#include <algorithm>
#include <QCloseEvent>
#include <QFrame>
#include <QKeyEvent>
#include <QMdiSubWindow>
#include <QFontMetrics>
#include <QPainter>

#include "mainwindow/SonvelaMain.h"
#include "mainwindow/tool_icons.h"
#include "platform/activity.h"
#include "platform/paths.h"
#include "platform/prompts.h"
#include "platform/settings.h"
#include "platform/qt/qt_prompts.h"
#include "sound/WaveCanvas.h"
#include "sound/frame_title.h"

using namespace sv;

namespace {
// "Select All" stands at the status bar's left, before the next button at
// 117; it is as wide as its caption needs, at most up to that button.
constexpr int kSelectAllLeft = 1;
constexpr int kSelectAllMaxWidth = 115;
int selectAllWidth(const QFontMetrics& fm) {
    return std::min(kSelectAllMaxWidth, fm.horizontalAdvance(QStringLiteral("Select All")) + 16);
}
} // namespace

TSoundfrm::TSoundfrm(QWidget* parent) : QWidget(parent) {
    setWindowTitle("Wave file");
    resize(656, 294);
    setFocusPolicy(Qt::StrongFocus);

    WaveView = new WaveCanvas(this);
    PanellDreta = new QWidget(this);
    ImatgeDreta = new QLabel(PanellDreta);
    Panel1 = new QWidget(this);
    Panel1->setFixedHeight(7);
    PaintBox1 = new QLabel(Panel1);
    ScrollBar1 = new QScrollBar(Qt::Horizontal, this);
    ScrollBar1->setSingleStep(10);
    ScrollBar1->setPageStep(100);
    Bevel1 = new QFrame(this);
    Bevel1->setFrameShape(QFrame::HLine);
    Bevel1->hide();
    Shape1 = new QWidget(this);
    Shape1->hide();
    Bevel2 = new QFrame(this);
    Bevel2->hide();
    LiniaPlay1 = new QFrame(this);
    LiniaPlay1->hide();
    LiniaPlay2 = new QFrame(Panel1);
    LiniaPlay2->hide();
    TimerPlay = new QTimer(this);
    TimerPlay->setInterval(1);

    StatusBar1 = new QStatusBar(this);
    StatusBar1->setSizeGripEnabled(false);
    // Each panel is as wide as the longest text it shows while the window
    // has the room. The "Select All" button lies over the start of panel 0
    // (its text begins after the button), the other buttons over panels 0
    // and 1 while the mouse is on the status bar.
    const char* texts[6] = {"Samples:0", "", "Bits", "Samples/sec", "Mono", "Modified"};
    const QStringList longest[6] = {
        {"Sample played: 99999999", "4294967295 Bytes"},
        {"Playing... 999:59:999 ms", "Samples: 999999999", "999999999 Samples"},
        {"16 Bits"},
        {"192000 Hz", "Samples/sec"},
        {"Stereo"},
        {"Modified"}};
    auto* panels = new StatusPanelRow(StatusBar1);
    panels->setObjectName("StatusPanels");
    const int lead = kSelectAllLeft + selectAllWidth(StatusBar1->fontMetrics()) + 2;
    for (int i = 0; i < 6; ++i) {
        StatusPanels[i] = new StatusPanel(texts[i], longest[i], i == 0 ? lead : 0);
        panels->addPanel(StatusPanels[i]);
    }
    StatusBar1->addWidget(panels, 1);
    ProgressBar1 = new QProgressBar(StatusBar1);
    ProgressBar1->setRange(0, 100);
    ProgressBar1->setTextVisible(false);
    ProgressBar1->hide();

    auto mk = [this](QToolButton*& b, const char* name, const char* text) {
        b = new QToolButton(StatusBar1);
        b->setObjectName(name);
        b->setText(text);
        b->setAutoRaise(true);
        // Laid over the status panels: paint a background so the panel
        // text under a button does not show through it.
        b->setAutoFillBackground(true);
    };
    mk(boto_selectall, "boto_selectall", "Select All");
    mk(boto_selectnone, "boto_selectnone", "None");
    mk(boto_gotobegin, "boto_gotobegin", "|<");
    mk(boto_gotocursor, "boto_gotocursor", "I");
    mk(boto_gotoend, "boto_gotoend", ">|");
    mk(boto_zoomin, "boto_zoomin", "+");
    mk(boto_zoomout, "boto_zoomout", "-");
    // All but "Select All" are picture buttons; the caption stays for a
    // machine without the pictures.
    for (QToolButton* b : {boto_selectnone, boto_gotobegin, boto_gotocursor, boto_gotoend, boto_zoomin, boto_zoomout})
        if (const QIcon picture = toolIcon(b->objectName().toStdString(), 16); !picture.isNull()) {
            b->setIcon(picture);
            b->setIconSize(QSize(16, 16));
            b->setToolButtonStyle(Qt::ToolButtonIconOnly);
        }
    setupSelection();   // hints, handlers, which buttons show; the mouse

    connect(ScrollBar1, &QScrollBar::valueChanged, this, [this](int) {
        if (!NoRedraw && !inScrollSync_) ScrollBar1Scroll();
    });

    NoRedraw = true;
    ZoomDirection = 0;
    SoundLoaded = false;
    DeviceOpen = Paused = Playing = false;
    IsNew = true;
    Zoom = 1;
    AppExiting = false;
    UndoCounter = int64_t(Tag) * 10000;
    UndoDescription.clear();
    Undo = std::make_unique<UndoStore>(UndoStore::folderFor(true, ""), "");
    ActualitzarOpcions();
    layoutControls();
}

TSoundfrm::~TSoundfrm() {
    // FormDestroy: the main window re-enables its controls for what is left.
    if (SVMainfrm && !SVMainfrm->isClosing()) {
        QMetaObject::invokeMethod(SVMainfrm, [] { if (SVMainfrm) SVMainfrm->habilitar_botones(); },
                                  Qt::QueuedConnection);
    }
}

void TSoundfrm::setCaption(const std::string& c) {
    setWindowTitle(qs(c));
    if (auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget())) showShortTitle(sub);
}

std::string TSoundfrm::caption() const { return ss(windowTitle()); }

void TSoundfrm::ActualitzarOpcions() {
    IniFile ini = Settings();
    DefaultInput = ini.ReadInteger("Configuration", "DefaultInput", -1);
    DefaultOutput = ini.ReadInteger("Configuration", "DefaultOutput", -1);
    DoScroll = ini.ReadYesNo(kDoScroll);
    DisableUndo = ini.ReadYesNo(kDisableUndo);
    if (DisableUndo && SVMainfrm && SVMainfrm->undo1) SVMainfrm->undo1->setText("&Undo DISABLED");
    if (Undo) {
        Undo->setDisabled(UndoStore::disabledFromSettings(ini));
        Undo->setLevels(SVMainfrm ? SVMainfrm->UndoLevels : UndoStore::levelsFromSettings(ini));
    }
    PlayCursorColor = static_cast<uint32_t>(ini.ReadInteger("Colors", "PlayCursor", 255));
    if (!FileName.empty()) {
        bool full = ini.ReadYesNo(kViewFullFilePath);
        setCaption(full ? FileName : extractFileName(FileName));
    }
}

// After a read only: with automatic zoom off, the preferred zoom caps the
// fitting zoom.
void TSoundfrm::applyPreferredZoom() {
    IniFile ini = Settings();
    if (!ini.ReadYesNo(kAutoZoom)) {
        // The zoom box holds eight digits.
        const int64_t preferred = ini.ReadInteger("Options", "PreferredZoom", 1, 1, 99999999);
        if (preferred < Zoom) Zoom = preferred;
    }
}

void TSoundfrm::progresar(int64_t position, int64_t max) {
    const int top = 3;
    ProgressBar1->setGeometry(0, top, StatusPanels[0]->width(), StatusBar1->height() - 2 * top);
    if (activity() != Activity::Busy) setActivity(Activity::Busy);
    // QProgressBar counts in int: scale long operations down.
    int scale = 1;
    while (max / scale > INT32_MAX / 2) scale *= 2;
    ProgressBar1->setMaximum(int(max / scale));
    ProgressBar1->setValue(int(position / scale));
    ProgressBar1->show();
    ProgressBar1->repaint();
    if (position >= max) {
        setActivity(Activity::Idle);
        ProgressBar1->setValue(0);
        ProgressBar1->hide();
    }
}

void TSoundfrm::setSelection(int64_t start, int64_t length) { Sound.setSelection(start, length); }

void TSoundfrm::adoptSound(SoundBuffer&& s) {
    Sound = std::move(s);
    Sound.setSelection(Sound.selectionStart, Sound.selectionLength);
    updateStatusPanels();
    if (SVMainfrm) SVMainfrm->SoundLength = FrameCount();
}

void TSoundfrm::updateStatusPanels() {
    StatusPanels[0]->setText(QString::number(FileSize) + " Bytes");
    StatusPanels[1]->setText(QString::number(FrameCount()) + " Samples");
    StatusPanels[2]->setText(QString::number(SampleFormat.wBitsPerSample) + " Bits");
    StatusPanels[3]->setText(QString::number(SampleFormat.nSamplesPerSec) + " Hz");
    StatusPanels[4]->setText(IsStereo() ? "Stereo" : "Mono");
    StatusPanels[5]->setText(Modified ? "Modified" : "Saved");
}

int TSoundfrm::waveWidth() const { return std::max(1, bitmapWidth()); }

// The main window's boxes and rate describe the active sound; a window
// drawn behind it (or not yet shown while another is active) keeps out.
bool TSoundfrm::showsInMainWindow() const {
    if (!SVMainfrm) return false;
    const TSoundfrm* active = SVMainfrm->activeSound();
    return !active || active == this;
}

// The time labels beside the boxes are reckoned at the rate: a new rate
// recomputes them even when the boxes' numbers stay the same.
void TSoundfrm::copyRateToMain() {
    const int32_t rate = int32_t(SampleFormat.nSamplesPerSec);
    if (SVMainfrm->SampleRate == rate) return;
    SVMainfrm->SampleRate = rate;
    SVMainfrm->Edit4Change();
    SVMainfrm->Edit3Change();
}

void TSoundfrm::copyToMain() {
    if (!SVMainfrm) return;
    copyRateToMain();
    SVMainfrm->Edit3->setText(QString::number(SelectionLength));
    SVMainfrm->Edit4->setText(QString::number(SelectionStart));
    SVMainfrm->habilitar_botones();
}

void TSoundfrm::FormActivate() {
    if (!SVMainfrm) return;
    copyRateToMain();
    SVMainfrm->Edit2->setText(QString::number(Zoom));
    SVMainfrm->Edit3->setText(QString::number(SelectionLength));
    SVMainfrm->Edit4->setText(QString::number(SelectionStart));
    SVMainfrm->SoundLength = FrameCount();
    SVMainfrm->SaveDisabled = CloseHandled;
    SVMainfrm->SpeedButton14->setEnabled(!SVMainfrm->SpeedButton16->isEnabled() && Playing);
    SVMainfrm->habilitar_botones();
    if (activity() == Activity::Playing) SVMainfrm->SpeedButton16->setEnabled(false);
    placeStatusButtons();
}

void TSoundfrm::layoutControls() {
    const int sbH = StatusBar1->sizeHint().height();
    const int w = width(), h = height();
    StatusBar1->setGeometry(0, h - sbH, w, sbH);
    Panel1->setGeometry(0, h - sbH - 7, w, 7);
    PaintBox1->setGeometry(0, 0, w, 7);
    // The redraw decides whether the scroll bar shows; here it is only
    // kept above the overview strip.
    if (SoundLoaded) {
        const int sh = ScrollBar1->sizeHint().height();
        ScrollBar1->setGeometry(0, h - sbH - 7 - sh - 3, w, sh);
    }
    layoutDisplay();
    LiniaPlay1->setGeometry(LiniaPlay1->x(), 0, 1, h);
    placeStatusButtons();
}

void TSoundfrm::placeStatusButtons() {
    const int sbH = StatusBar1->sizeHint().height();
    const int y = 3;
    boto_selectall->setGeometry(kSelectAllLeft, y, selectAllWidth(boto_selectall->fontMetrics()), sbH - 2 * y);
    boto_selectnone->setGeometry(117, y, 35, sbH - 2 * y);
    boto_gotobegin->setGeometry(153, y, 31, sbH - 2 * y);
    boto_gotocursor->setGeometry(185, y, 31, sbH - 2 * y);
    boto_gotoend->setGeometry(217, y, 31, sbH - 2 * y);
    boto_zoomin->setGeometry(249, y, 31, sbH - 2 * y);
    boto_zoomout->setGeometry(281, y, 31, sbH - 2 * y);
}

void TSoundfrm::FormResize() {
    if (auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget())) {
        if (height() < 42) sub->resize(sub->width(), sub->height() - height() + 50);
    }
    layoutControls();
    if (!NoRedraw) mostrar_sonido(Zoom);
}

void TSoundfrm::resizeEvent(QResizeEvent* e) {
    QWidget::resizeEvent(e);
    FormResize();
}

void TSoundfrm::FormKeyPress(int key) {
    if (key != Qt::Key_Space || !SVMainfrm) return;
    if (SVMainfrm->SpeedButton16->isEnabled()) SVMainfrm->SpeedButton16Click();
    else if (SVMainfrm->SpeedButton17->isEnabled()) SVMainfrm->SpeedButton17Click();
}

void TSoundfrm::keyPressEvent(QKeyEvent* e) {
    if (e->key() == Qt::Key_Space) { FormKeyPress(e->key()); return; }
    QWidget::keyPressEvent(e);
}

bool TSoundfrm::FormCloseQuery() {
    if (Paused) parar_sonido();
    if (Playing) parar_sonido();
    // A window that is closing never redraws again.
    NoRedraw = true;
    return true;
}

// A paused playback ends when another window takes the focus; a running one
// goes on.
void TSoundfrm::FormDeactivate() {
    if (Paused) parar_sonido();
}

void TSoundfrm::closeEvent(QCloseEvent* e) {
    if (inClose_) { e->accept(); return; }
    FormCloseQuery();
    if (!FormClose()) {
        e->ignore();
        return;
    }
    closeAccepted_ = true;
    e->accept();
}

void TSoundfrm::closeWindow() {
    if (auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget())) sub->close();
    else close();
}

// Clears the main window's view of the sound when this window goes away.
void TSoundfrm::resetMainView() {
    if (!SVMainfrm) return;
    SVMainfrm->Edit2->setText("1");
    SVMainfrm->Edit3->setText("0");
    SVMainfrm->Edit4->setText("0");
    if (SVMainfrm->childCount() <= 1) {
        SVMainfrm->SpeedButton16->setEnabled(false);
        CloseHandled = true;
        SVMainfrm->SoundLoaded = false;
        SVMainfrm->SaveDisabled = true;
    }
    SVMainfrm->habilitar_botones();
}

bool TSoundfrm::FormClose() {
    if (DeviceOpen && SVMainfrm) SVMainfrm->parar_todo();
    if (Modified && !CloseHandled) {
        std::string text = "Do you wish to save the file " + extractFileName(FileName) + " ?";
        if (text.size() > 128) text.resize(128);
        int r = prompts().messageBox("Save", text, AppExiting ? Buttons::YesNo : Buttons::YesNoCancel,
                                     Icon::Question);
        if (r != mrYes && r != mrNo) {
            // Cancel: the window stays and a close-all in progress stops.
            NoRedraw = false;
            if (SVMainfrm) {
                SVMainfrm->SpeedButton16->setEnabled(true);
                SVMainfrm->ContinueClosing = false;
            }
            return false;
        }
        if (r == mrYes && !saveWithQuestion()) {
            // A cancelled save dialog or a failed save keeps the sound.
            NoRedraw = false;
            if (SVMainfrm) SVMainfrm->ContinueClosing = false;
            return false;
        }
    }
    deleteUndoFiles();
    resetMainView();
    return true;
}

bool TSoundfrm::saveWithQuestion() {
    if (!IsNew && fileExists(FileName)) {
        // A sound read from another type of file is written as WAVE beside
        // it; a file of that name is someone else's and is not replaced
        // unasked, and the question names it (the user was asked about the
        // other file a moment ago).
        const std::string target = forceExtension(FileName, ".wav");
        if (target != FileName && fileExists(target) && !TSVMainfrm::askReplace(target)) return false;
        return guardar_como(target, true);
    }
    // The main window's "Save Waveform" dialog, as Save As shows it. A text
    // export leaves the sound unsaved, and so keeps the window.
    bool exported = false;
    return SVMainfrm && !SVMainfrm->runSaveDialog1(this, FileName, &exported).empty() && !exported;
}

void TSoundfrm::deleteUndoFiles() {
    if (Undo) Undo->Borrar_Deshacer();
}

// Undo steps live beside the sound's file (in the program's folder while the
// sound has none); moving there drops the steps of the old place.
void TSoundfrm::relocateUndo() {
    if (Undo) Undo->relocate(UndoStore::folderFor(IsNew, FileName), UndoStore::baseNameFor(FileName));
}

OperationContext TSoundfrm::editContext() {
    OperationContext ctx = Undo ? Undo->context(Sound) : OperationContext{};
    ctx.progress = [this](int64_t j, int64_t n) { progresar(j, n); };
    return ctx;
}

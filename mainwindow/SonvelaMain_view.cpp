#include "mainwindow/SonvelaMain_view.h"

#include <QDockWidget>
#include <QEvent>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QProgressBar>
#include <QScreen>
#include <QToolBar>
#include <QToolButton>

#include "mainwindow/SonvelaMain.h"
#include "mainwindow/tool_icons.h"
#include "platform/activity.h"
#include "platform/settings.h"
#include "platform/qt/volume_control.h"
#include "sound/Sound.h"

using namespace sv;

namespace {

// The seven tool bars in menu order, with their settings keys and the
// places they take with no settings file.
struct BarInfo {
    const char* panel;
    const char* title;
    const char* item;
    const YesNoKey* shown;
    int left, top;
};
constexpr BarInfo kBars[7] = {
    {"PanelFile", "File", "FileToolBar1", &kViewPanelFile, 11, 2},
    {"PanelEdit", "Edit", "EditToolBar1", &kViewPanelEdit, 11, 31},
    {"PanelTools", "Tools", "ToolsToolBar1", &kViewPanelTools, 11, 60},
    {"PanelFilter", "Filter", "FilterToolBar1", &kViewPanelFilter, 11, 89},
    {"PanelMisc", "Miscellaneous", "MiscToolBar1", &kViewPanelMisc, 406, 31},
    {"PanelView", "View", "ViewToolBar1", &kViewPanelView, 514, 60},
    {"PanelHelp", "Help", "HelpToolBar1", &kViewPanelHelp, 427, 2}};
enum { kFile, kEdit, kTools, kFilter, kMisc, kView, kHelp };
// The order in which the tool-bar layout is read back.
constexpr int kRestoreOrder[7] = {kFile, kHelp, kEdit, kMisc, kTools, kView, kFilter};

// The access bar's pages; the View bar has none.
struct PageInfo {
    const char* button;
    const char* label;
    const char* text;      // under the button
    const char* caption;   // of the title panel
    const char* hint;
    int bar;
    const char* picture;   // the page shows a large picture of this button's command
};
constexpr PageInfo kPages[6] = {
    {"MSO_File_SB", "MSO_File_Lab", "File", "File", "Shows the 'File' Control Bar ", kFile, "SpeedButton7"},
    {"MSO_Edit_SB", "MSO_Edit_Lab", "Edit", "Edit", "Shows the 'Edit' Control Bar", kEdit, "SpeedButton5"},
    {"MSO_Tools_SB", "MSO_Tools_LAb", "Tools", "Tools", "Shows the 'Tools' Control Bar", kTools, "SpeedButton11"},
    {"MSO_Filter_SB", "MSO_Filter_Lab", "Filter", "Filter", "Shows the 'Filter' Control Bar", kFilter,
     "SpeedButton9"},
    {"MSO_Misc_SB", "MSO_Misc_Lab", "Miscellaneous", "Misc.", "Shows the 'Miscellaneous' Control Bar", kMisc,
     "Colors_SB"},
    {"MSO_Help_SB", "MSO_Help_LAb", "Help", "Help", "Shows the 'Help' Control Bar", kHelp, "Contents_SB"}};
// The access bar is at least this wide; wider when a page's label needs it.
constexpr int kAccessBarWidth = 80;

// Tool buttons, each calling its menu item's command. The filter, view, CD
// and converter buttons are added by their own commands' installers.
struct ButtonInfo {
    int bar;
    const char* name;
    const char* text;
    const char* hint;
    const char* item;
};
constexpr ButtonInfo kButtons[] = {
    {kFile, "SpeedButton8", "New", "New", "New2"},
    {kFile, "SpeedButton7", "Open", "Open", "Open2"},
    {kFile, "SpeedButton6", "Save", "Save", "Save2"},
    {kFile, "SaveAs_SB", "Save As", "Save As...", "SaveAs2"},
    {kFile, "SpeedButton12", "Save Sel.", "Save selection", "SaveSelection2"},
    {kFile, "CloseActive_SB", "Close", "Close Active Waveform", "Close1"},
    {kFile, "CloseAll_SB", "Close All", "Close All Waveforms", "CloseAllWaveforms1"},
    {kFile, "Print_SB", "Print", "Print From", "Imprimir1"},
    {kFile, "FileInfo_SB", "File Info", "File Information", "Informacionarchivo1"},
    {kFile, "DeviceInfo_SB", "Devices", "Device Information", "Informaciondispositivos1"},
    {kFile, "Exit_SB", "Exit", "Exit", "Exit2"},
    {kEdit, "SpeedButton18", "Undo", "Undo", "undo1"},
    {kEdit, "SpeedButton5", "Cut", "Cut", "Cut1"},
    {kEdit, "SpeedButton1", "Copy", "Copy", "Copy1"},
    {kEdit, "SpeedButton3", "Paste", "Paste", "Paste1"},
    {kEdit, "SpeedButton4", "Mix", "Mix", "PasteSpecial1"},
    {kEdit, "MixSpecial_SB", "Mix Sp.", "Mix special", "Mixspecial1"},
    {kEdit, "PasteAsNew_SB", "As New", "Paste as new", "Pegarcomonuevo1"},
    {kEdit, "SpeedButton35", "Delete", "Delete", "Borrar1"},
    {kEdit, "Trim_SB", "Trim", "Trim", "Borrarexceptoseleccion1"},
    {kEdit, "SpeedButton33", "Silence", "Insert Silence", "Insertarsilencio1"},
    {kEdit, "SpeedButton13", "Repeat", "Repeat", "Repetir1"},
    {kEdit, "DivideChannels_SB", "Divide Ch.", "Divide Channels", "DivideChannels1"},
    {kEdit, "CombineChannels_SB", "Combine Ch.", "Combine Channels", "CombineChannels1"},
    {kTools, "SpeedButton21", "Normalize", "Normalize", "Maximizaronda1"},
    {kTools, "SpeedButton29", "Amplify", "Amplify volume", "Amplificarvolumen1"},
    {kTools, "SpeedButton22", "Fade In", "Fade In", "Fadein1"},
    {kTools, "SpeedButton23", "Fade Out", "Fade out", "Fadeout1"},
    {kTools, "SpeedButton34", "Force Sil.", "Force silence", "Forzarsilencio1"},
    {kTools, "InvertChannels_SB", "Swap Ch.", "Invert channels", "Cambiarcanales1"},
    {kTools, "Invert_SB", "Invert", "Invert", "Girar1"},
    {kTools, "SpeedButton20", "Reverse", "Reverse", "Invertir1"},
    {kTools, "TravellingStereo_SB", "Travel", "Travelling stereo", "Travellingstereo1"},
    {kTools, "RemoveOffset_SB", "Offset", "Remove offset", "Eliminaroffset1"},
    {kTools, "NoiseGate_SB", "Gate", "Noise Gate", "NoiseGate1"},
    {kTools, "SpeedButton11", "Effects", "Effects", "Efectos1"},
    {kTools, "SpeedButton2", "Speed", "Speed up/down", "SpeedButton2Click"},
    {kTools, "SpeedButton32", "Echo", "Echo", "Eco1"},
    {kTools, "SpeedButton19", "Reverb", "Reverb", "Reverberar1"},
    {kTools, "Flange_SB", "Flanger", "Flanger", "Flanger1"},
    {kTools, "Resample_SB", "Resample", "Resample", "Resamplear1"},
    {kFilter, "SpeedButton9", "Advanced", "Advanced filter", "Filtroavanzado1"},
    {kMisc, "Colors_SB", "Colors", "Colors and Settings", "Colors1"},
    {kMisc, "Loop_SB", "Loop", "Loop On/Off", "Loop1"},
    {kMisc, "Divide_SB", "Divide", "Divide File in Multiple Files", "DivideWaveForm1"},
    {kMisc, "Divideintotracks_SB", "Tracks", "Divide File in Tracks by Silences", "DivideTracks1"},
    {kMisc, "DivideByLength_SB", "By Length", "Divide File in Tracks by Length", "DivideByLength_SB"},
    {kMisc, "Concatenate_SB", "Concat.", "Concatenate Multiple Files", "Imprimir1CliImprimir1"},
    {kMisc, "Websites_SB", "Websites", "Internet Audio related Websites", "AudioWebsites1"},
    {kHelp, "Contents_SB", "Contents", "Shows the Help Contents", "Contents1"},
    {kHelp, "About_SB", "About", "About Box...", "About1"},
    {kHelp, "SendEmail_SB", "E-mail", "Send Email to author", "sendemailtoauthor1"},
    {kHelp, "SVWebsite_SB", "Website", "Visit Sonvela Website", "VisitSonvelawebsite1"},
    {kHelp, "OtherProgram_SB", "Utilities", "Sound Utilities", "OtherProgram1"}};

// Appended to the View bar after the navigation buttons.
constexpr ButtonInfo kViewButtons[] = {
    {kView, "Grid_SB", "Grid", "View Grid", "Grid_SB"},
    {kView, "Vumeters_SB", "Vumeters", "View Vumeters", "Vumeters_SB"},
    {kView, "Volume_SB", "Volume", "View Volume Control", "ViewVolume1"},
    {kView, "viewaccessbar_sb", "Access Bar", "View AccessBar Mode", "ViewAccessBar1"},
    {kView, "viewtoolbars_sb", "ToolBars", "View ToolBars Mode", "ViewToolBars1"}};

// Buttons that no enabling rule names: usable whenever their command is.
constexpr const char* kAlwaysOn[] = {"DeviceInfo_SB", "Exit_SB", "DivideByLength_SB", "Vumeters_SB",
                                     "viewaccessbar_sb", "viewtoolbars_sb", "Contents_SB", "About_SB",
                                     "SendEmail_SB", "SVWebsite_SB", "OtherProgram_SB"};

constexpr const char* kLayoutName = "sv_ViewLayout";

// The widgets of the layout, kept with the main window.
class ViewLayout : public QObject {
public:
    explicit ViewLayout(QObject* parent) : QObject(parent) { setObjectName(kLayoutName); }
    QToolBar* PanelMain = nullptr;
    QWidget* ControlBar1 = nullptr;
    QToolBar* panels[7] = {};
    QDockWidget* Panel_MSO = nullptr;
    QWidget* msoBody = nullptr;
    QWidget* PanelTitolar = nullptr;
    QLabel* titleLabel = nullptr;
    QToolButton* CloseAccessBar = nullptr;
    QToolButton* pages[6] = {};
    QLabel* labels[6] = {};
    QWidget* meterBody = nullptr;
    QLabel* LabelVumeter = nullptr;
    bool installed = false;
};

ViewLayout* layoutOf(TSVMainfrm* m) {
    return static_cast<ViewLayout*>(m->findChild<QObject*>(kLayoutName, Qt::FindDirectChildrenOnly));
}

IniFile settingsOf(TSVMainfrm* m) { return IniFile(m->ExeDir + "dadoruz.ini"); }

TSVMainfrm::PanelPosition* storedPlace(TSVMainfrm* m, int bar) {
    for (auto& p : m->PanelPositions)
        if (p.name == kBars[bar].panel) return &p;
    return nullptr;
}

bool accessBarMode(TSVMainfrm* m) {
    QAction* a = m->item("ViewAccessBar1");
    return a && a->isChecked();
}

void setChecked(TSVMainfrm* m, const char* item, bool on) {
    if (QAction* a = m->item(item)) a->setChecked(on);
}

void setDown(TSVMainfrm* m, const char* button, bool down) {
    if (QToolButton* b = m->button(button)) {
        b->setCheckable(true);
        b->setChecked(down);
    }
}

void showToolBarItems(TSVMainfrm* m, bool visible) {
    for (const BarInfo& b : kBars)
        if (QAction* a = m->item(b.item)) a->setVisible(visible);
}

// The places of the bars were made for small picture buttons: a button
// without a drawn picture of its own shows its text's initials (or first
// letters), and its hint tells the rest.
QIcon initialsIcon(const QString& text) {
    const QStringList words = text.split(' ', Qt::SkipEmptyParts);
    QString mark;
    if (words.size() > 1) {
        for (const QString& w : words)
            if (mark.size() < 3) mark += w.at(0).toUpper();
    } else {
        mark = text.left(3);
    }
    QPixmap pix(22, 16);
    pix.fill(Qt::transparent);
    QPainter p(&pix);
    QFont f = p.font();
    f.setPixelSize(9);
    f.setBold(true);
    p.setFont(f);
    p.setPen(QColor(0x20, 0x30, 0x60));
    p.drawText(pix.rect(), Qt::AlignCenter, mark);
    return QIcon(pix);
}

void dressButtons(ViewLayout* L) {
    for (QToolBar* p : L->panels)
        for (QToolButton* b : p->findChildren<QToolButton*>(QString(), Qt::FindDirectChildrenOnly)) {
            if (!b->icon().isNull() || b->objectName().isEmpty()) continue;
            const QIcon own = toolIcon(b->objectName().toStdString());
            b->setIcon(own.isNull() ? initialsIcon(b->text()) : own);
            b->setIconSize(QSize(22, 16));
            b->setToolButtonStyle(Qt::ToolButtonIconOnly);
            // 21 high: the stored places stack the bars 29 pixels apart.
            b->setFixedSize(26, 21);
        }
}

// The control bar is as tall as its lowest shown tool bar reaches; with
// no tool bar shown it goes away.
void fitControlBar(TSVMainfrm* m) {
    ViewLayout* L = layoutOf(m);
    if (!L) return;
    dressButtons(L);
    int bottom = 0;
    for (QToolBar* p : L->panels) {
        p->adjustSize();
        if (!p->isHidden()) bottom = std::max(bottom, p->y() + p->height());
    }
    L->ControlBar1->setFixedHeight(bottom + 2);
    L->PanelMain->setVisible(bottom > 0);
}

void modeButtons(TSVMainfrm* m) {
    const bool access = accessBarMode(m);
    setDown(m, "viewaccessbar_sb", access);
    setDown(m, "viewtoolbars_sb", !access);
}

// Moves a tool bar by its grip inside the control bar; only the tool-bar
// layout is movable, and the place is kept for the settings file.
class ViewEvents : public QObject {
public:
    ViewEvents(TSVMainfrm* m, QObject* parent) : QObject(parent), m_(m), window_(m) {}

    bool eventFilter(QObject* watched, QEvent* e) override {
        // Events still arrive while the main window's base classes tear its
        // children down; by then it is no TSVMainfrm to ask anything.
        if (!window_->inherits("TSVMainfrm")) return false;
        ViewLayout* L = layoutOf(m_);
        if (!L) return false;
        if (e->type() == QEvent::Resize) {
            if (watched == L->msoBody) Panel_MSOResize(m_);
            else if (watched == L->meterBody) VumeterPanelResize(m_);
            return false;
        }
        const int bar = watched->property("sv_bar").isValid() ? watched->property("sv_bar").toInt() : -1;
        if (bar < 0 || accessBarMode(m_)) return false;
        QToolBar* panel = L->panels[bar];
        if (e->type() == QEvent::MouseButtonPress) {
            auto* me = static_cast<QMouseEvent*>(e);
            pressAt_ = me->globalPosition().toPoint();
            startPos_ = panel->pos();
            return true;
        }
        if (e->type() == QEvent::MouseMove) {
            auto* me = static_cast<QMouseEvent*>(e);
            if (!(me->buttons() & Qt::LeftButton)) return false;
            QPoint to = startPos_ + (me->globalPosition().toPoint() - pressAt_);
            const QPoint farthest = farthestToolBarPlace(m_);
            to.setX(std::clamp(to.x(), 0, std::min(farthest.x(), std::max(0, L->ControlBar1->width() - 20))));
            to.setY(std::clamp(to.y(), 0, farthest.y()));
            panel->move(to);
            if (auto* place = storedPlace(m_, bar)) {
                place->left = to.x();
                place->top = to.y();
            }
            fitControlBar(m_);
            return true;
        }
        return false;
    }

private:
    TSVMainfrm* m_;
    QObject* window_;   // the same window, taken while it was whole
    QPoint pressAt_, startPos_;
};

QColor fromBgr(uint32_t c) { return QColor(int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF)); }

void buildAccessBar(TSVMainfrm* m, ViewLayout* L, ViewEvents* events) {
    auto* dock = new QDockWidget(m);
    dock->setObjectName("Panel_MSO");
    dock->setFeatures(QDockWidget::NoDockWidgetFeatures);
    dock->setAllowedAreas(Qt::LeftDockWidgetArea);
    dock->setTitleBarWidget(new QWidget(dock));
    dock->toggleViewAction()->setVisible(false);
    dock->setMinimumWidth(80);

    auto* body = new QWidget(dock);
    body->setObjectName("Panel_MSO_Body");
    body->setMinimumSize(80, 440);
    body->setAutoFillBackground(true);
    QPalette pal = body->palette();
    pal.setColor(QPalette::Window, fromBgr(0x8E4C33));
    pal.setColor(QPalette::WindowText, Qt::white);
    body->setPalette(pal);

    L->PanelTitolar = new QWidget(body);
    L->PanelTitolar->setObjectName("PanelTitolar");
    L->PanelTitolar->setGeometry(0, 0, 80, 25);
    L->PanelTitolar->setAutoFillBackground(true);
    QPalette titlePal = pal;
    titlePal.setColor(QPalette::Window, fromBgr(0x8E4C33).darker(130));
    L->PanelTitolar->setPalette(titlePal);
    L->titleLabel = new QLabel("File", L->PanelTitolar);
    L->titleLabel->setObjectName("PanelTitolar_Caption");
    L->titleLabel->setGeometry(4, 4, 60, 17);
    L->CloseAccessBar = new QToolButton(L->PanelTitolar);
    L->CloseAccessBar->setObjectName("CloseAccessBar");
    L->CloseAccessBar->setText("x");
    L->CloseAccessBar->setIcon(toolIcon("CloseAccessBar", 10));
    L->CloseAccessBar->setIconSize(QSize(10, 10));
    L->CloseAccessBar->setAutoRaise(true);
    const QString closeHint = "Closes Acess Bar and  adapts Sonvela in ToolBar View Mode";
    L->CloseAccessBar->setToolTip(closeHint);
    L->CloseAccessBar->setStatusTip(closeHint);
    L->CloseAccessBar->setGeometry(80 - 14 - 2, 5, 14, 14);
    QObject::connect(L->CloseAccessBar, &QToolButton::clicked, m, [m] { CloseAccessBarClick(m); });

    for (int i = 0; i < 6; ++i) {
        const PageInfo& p = kPages[i];
        auto* b = new QToolButton(body);
        b->setObjectName(p.button);
        b->setText(QString(p.text).left(1));
        b->setIcon(toolIcon(p.picture, 32));
        b->setIconSize(QSize(32, 32));
        b->setToolTip(p.hint);
        b->setStatusTip(p.hint);
        b->setAutoRaise(true);
        b->setGeometry(40 - 21, 35 + i * 68, 42, 42);
        QObject::connect(b, &QToolButton::clicked, m, [m, i] { accessBarPageClick(m, i); });
        auto* label = new QLabel(p.text, body);
        label->setObjectName(p.label);
        label->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
        label->setGeometry(0, 35 + i * 68 + 44, kAccessBarWidth, label->sizeHint().height());
        L->pages[i] = b;
        L->labels[i] = label;
    }
    // Each label is centred under its button, and the bar is wide enough
    // for the longest one ("Miscellaneous") in the font it shows.
    int width = kAccessBarWidth;
    for (QLabel* l : L->labels) width = std::max(width, l->sizeHint().width() + 8);
    dock->setMinimumWidth(width);
    body->setMinimumWidth(width);
    dock->setWidget(body);
    m->addDockWidget(Qt::LeftDockWidgetArea, dock);
    m->resizeDocks({dock}, {width}, Qt::Horizontal);
    L->Panel_MSO = dock;
    L->msoBody = body;
    body->installEventFilter(events);
}

void buildMeters(TSVMainfrm* m, ViewLayout* L, ViewEvents* events) {
    auto* bar = new QToolBar("Vumeters", m);
    bar->setObjectName("VumeterPanel");
    bar->setMovable(false);
    bar->setFloatable(false);
    bar->toggleViewAction()->setVisible(false);
    m->addToolBar(Qt::RightToolBarArea, bar);
    auto* body = new QWidget(bar);
    body->setObjectName("VumeterBody");
    body->setFixedWidth(27);
    body->setMinimumHeight(60);
    body->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Expanding);
    m->Gauge1 = new QProgressBar(body);
    m->Gauge2 = new QProgressBar(body);
    for (QProgressBar* g : {m->Gauge1, m->Gauge2}) {
        g->setOrientation(Qt::Vertical);
        g->setRange(0, 100);
        g->setValue(0);
        g->setTextVisible(false);
    }
    m->Gauge1->setObjectName("Gauge1");
    m->Gauge2->setObjectName("Gauge2");
    L->LabelVumeter = new QLabel("L R", body);
    L->LabelVumeter->setObjectName("LabelVumeter");
    bar->addWidget(body);
    L->meterBody = body;
    m->VumeterPanel = bar;
    body->installEventFilter(events);
    body->resize(27, 120);
    VumeterPanelResize(m);
}

void addButtons(TSVMainfrm* m, ViewLayout* L, const ButtonInfo* begin, const ButtonInfo* end) {
    for (const ButtonInfo* b = begin; b != end; ++b)
        if (!m->button(b->name)) m->addButton(L->panels[b->bar], b->name, b->text, b->hint, b->item);
}

// The access-bar layout with one page shown; the stored places stay.
void showPage(TSVMainfrm* m, int page) {
    ViewLayout* L = layoutOf(m);
    if (!L) return;
    const PageInfo& p = kPages[page];
    for (int i = 0; i < 7; ++i)
        if (i != p.bar) L->panels[i]->hide();
    L->titleLabel->setText(p.caption);
    L->panels[p.bar]->move(11, 2);
    L->panels[p.bar]->show();
    fitControlBar(m);
}

void showAccessBar(TSVMainfrm* m) {
    ViewLayout* L = layoutOf(m);
    if (!L) return;
    L->Panel_MSO->show();
    L->PanelTitolar->show();
    showPage(m, 0);
}

// A tool bar shown or hidden from its item's check, the choice stored.
void applyToolBarItem(TSVMainfrm* m, int bar) {
    ViewLayout* L = layoutOf(m);
    QAction* a = m->item(kBars[bar].item);
    if (!L || !a) return;
    const bool on = a->isChecked();
    if (!accessBarMode(m)) L->panels[bar]->setVisible(on);
    settingsOf(m).WriteInteger(kBars[bar].shown->section, kBars[bar].shown->key, on ? 1 : 0);
    fitControlBar(m);
}

void applyVumeters(TSVMainfrm* m) {
    QAction* a = m->item("ViewVumeters1");
    if (!a) return;
    const bool on = a->isChecked();
    setDown(m, "Vumeters_SB", on);
    settingsOf(m).WriteInteger("Options", "ViewVumeters", on ? 1 : 0);
    m->VumeterPanel->setVisible(on);
}

// Every sound window redraws, each at its own zoom (the box holds only the
// active one's): the grid is drawn iff "View Grid" is checked.
void applyGrid(TSVMainfrm* m) {
    setDown(m, "Grid_SB", m->ViewGrid1->isChecked());
    for (TSoundfrm* w : m->soundWindows()) w->mostrar_sonido(w->Zoom);
}

void showPicture(TSVMainfrm* m, bool on) {
    if (!m->Panel3) return;
    m->Panel3->setVisible(on);
    if (QWidget* picture = m->Panel3->findChild<QWidget*>("gif_animat")) picture->setVisible(on);
}

void applyImage(TSVMainfrm* m, bool on) {
    setChecked(m, "HideShowImage1", on);
    setChecked(m, "ShowImage1", on);
    showPicture(m, on);
    settingsOf(m).WriteInteger("Options", "ViewImage", on ? 1 : 0);
}

bool narrowScreen() {
    QScreen* s = QGuiApplication::primaryScreen();
    return s && s->geometry().width() == 640;
}

// "&View Image" of the picture's context menu PopupMenu2, which comes with
// the picture: the item joins that menu when it is there, or else waits in
// a menu of its own until the picture's menu takes it in as it pops up.
void addPictureMenuItem(TSVMainfrm* m) {
    if (m->item("HideShowImage1")) return;
    auto* menu = m->findChild<QMenu*>("PopupMenu2");
    if (!menu) {
        menu = new QMenu(m);
        menu->setObjectName("sv_ViewImageHolder");
    }
    QAction* a = m->addItem(menu, "HideShowImage1", "&View Image", {}, [m] {
        QAction* item = m->item("HideShowImage1");
        applyImage(m, item && item->isChecked());
    });
    a->setCheckable(true);
    QAction* shown = m->item("ShowImage1");
    a->setChecked(shown && shown->isChecked());
}

// Start-up: the view as the settings file has it.
void applyStartupView(TSVMainfrm* m) {
    ViewLayout* L = layoutOf(m);
    const bool narrow = narrowScreen();
    if (narrow) {
        showPicture(m, false);
        m->resize(640, m->height());
        if (m->Panel3) m->Panel3->setContextMenuPolicy(Qt::NoContextMenu);
        if (QWidget* picture = m->findChild<QWidget*>("gif_animat")) picture->setContextMenuPolicy(Qt::NoContextMenu);
    }
    IniFile ini = settingsOf(m);
    const bool vumeters = ini.ReadYesNo(kViewVumeters);
    setChecked(m, "ViewVumeters1", vumeters);
    m->VumeterPanel->setVisible(vumeters);
    const bool access = ini.ReadYesNo(kViewAccessBar);
    setChecked(m, "ViewAccessBar1", access);
    setChecked(m, "ViewToolBars1", !access);
    modeButtons(m);
    const bool image = ini.ReadYesNo(kViewImage);
    setChecked(m, "HideShowImage1", image);
    setChecked(m, "ShowImage1", image);
    // On a 640-pixel screen there is no room for the picture.
    showPicture(m, image && !narrow);
    if (access) {
        showAccessBar(m);
    } else {
        CloseAccessBarClick(m);
    }
    showToolBarItems(m, !access);
    if (L) L->Panel_MSO->setVisible(access);
}

} // namespace

QPoint farthestToolBarPlace(const QWidget* window) {
    const QScreen* screen = window ? window->screen() : QGuiApplication::primaryScreen();
    const QSize room = screen ? screen->availableGeometry().size() : QSize(1024, 768);
    // A bar's grip is 20 pixels wide and its row 29 pixels high; the bars
    // keep to the upper half, so that the sounds keep the rest.
    return QPoint(std::max(0, room.width() - 20), std::max(0, room.height() / 2 - 29));
}

QToolBar* toolBarPanel(TSVMainfrm* main, const char* name) {
    ViewLayout* L = layoutOf(main);
    if (!L) return nullptr;
    for (int i = 0; i < 7; ++i)
        if (qstrcmp(kBars[i].panel, name) == 0) return L->panels[i];
    return nullptr;
}

void buildViewPanels(TSVMainfrm* m) {
    if (layoutOf(m)) return;
    auto* L = new ViewLayout(m);
    auto* events = new ViewEvents(m, L);
    m->ownEventFilter(events);

    L->PanelMain = new QToolBar("PanelMain", m);
    L->PanelMain->setObjectName("PanelMain");
    L->PanelMain->setMovable(false);
    L->PanelMain->setFloatable(false);
    L->PanelMain->toggleViewAction()->setVisible(false);
    m->addToolBar(Qt::TopToolBarArea, L->PanelMain);
    L->ControlBar1 = new QWidget(L->PanelMain);
    L->ControlBar1->setObjectName("ControlBar1");
    L->ControlBar1->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    L->ControlBar1->setMinimumWidth(200);
    L->PanelMain->addWidget(L->ControlBar1);

    for (int i = 0; i < 7; ++i) {
        auto* p = new QToolBar(kBars[i].title, L->ControlBar1);
        p->setObjectName(kBars[i].panel);
        p->setIconSize(QSize(22, 16));
        auto* grip = new QFrame(p);
        grip->setObjectName(QString(kBars[i].panel) + "_Grip");
        grip->setFrameShape(QFrame::VLine);
        grip->setFixedSize(6, 20);
        grip->setCursor(Qt::SizeAllCursor);
        grip->setProperty("sv_bar", i);
        grip->installEventFilter(events);
        p->addWidget(grip);
        const TSVMainfrm::PanelPosition* place = storedPlace(m, i);
        p->move(place ? place->left : kBars[i].left, place ? place->top : kBars[i].top);
        L->panels[i] = p;
    }
    addButtons(m, L, std::begin(kButtons), std::end(kButtons));
    buildAccessBar(m, L, events);
    buildMeters(m, L, events);
}

void installViewCommands(TSVMainfrm* m) {
    ViewLayout* L = layoutOf(m);
    if (!L) return;
    addButtons(m, L, std::begin(kViewButtons), std::end(kViewButtons));
    addPictureMenuItem(m);

    m->setHandler("ViewAccessBar1", [m] { ViewAccessBar1Click(m); });
    m->setHandler("ViewToolBars1", [m] { ViewToolBars1Click(m); });
    // Checkable items arrive toggled by Qt: they only apply the new check.
    for (int i = 0; i < 7; ++i) m->setHandler(kBars[i].item, [m, i] { applyToolBarItem(m, i); });
    m->setHandler("ViewVumeters1", [m] { applyVumeters(m); });
    m->setHandler("Vumeters_SB", [m] { ViewVumeters1Click(m); });
    m->setHandler("ViewGrid1", [m] { applyGrid(m); });
    m->setHandler("Grid_SB", [m] { Grid_SBClick(m); });
    m->setHandler("ShowImage1", [m] {
        QAction* a = m->item("ShowImage1");
        applyImage(m, a && a->isChecked());
    });
    m->setHandler("ViewVolume1", [m] { ViewVolume1Click(m); });

    if (L->installed) return;
    L->installed = true;
    QObject::connect(m->View1, &QMenu::aboutToShow, m, [m] { View1Click(m); });
    QObject::connect(m->Miscellaneous1, &QMenu::aboutToShow, m, [m] { Misce1Click(m); });
    m->enablingHooks.push_back([m](bool, bool, TSoundfrm*) {
        for (const char* n : kAlwaysOn) m->enableButton(n, true);
    });
    applyStartupView(m);
    fitControlBar(m);
}

void ViewAccessBar1Click(TSVMainfrm* m) {
    setChecked(m, "ViewAccessBar1", true);
    setChecked(m, "ViewToolBars1", false);
    IniFile ini = settingsOf(m);
    ini.WriteInteger("Options", "ViewAccessBar", 1);
    // The places of the tool-bar layout, not where the pages show a bar.
    for (const auto& p : m->PanelPositions) {
        ini.WriteInteger("Options", p.name + "_Left", p.left);
        ini.WriteInteger("Options", p.name + "_Top", p.top);
    }
    showToolBarItems(m, false);
    showAccessBar(m);
    modeButtons(m);
}

void ViewToolBars1Click(TSVMainfrm* m) {
    setChecked(m, "ViewToolBars1", true);
    setChecked(m, "ViewAccessBar1", false);
    settingsOf(m).WriteInteger("Options", "ViewAccessBar", 0);
    modeButtons(m);
    CloseAccessBarClick(m);
}

void CloseAccessBarClick(TSVMainfrm* m) {
    ViewLayout* L = layoutOf(m);
    if (!L) return;
    L->Panel_MSO->hide();
    L->PanelTitolar->hide();
    for (QToolBar* p : L->panels) p->hide();
    IniFile ini = settingsOf(m);
    ini.WriteInteger("Options", "ViewAccessBar", 0);
    for (int bar : kRestoreOrder) {
        const BarInfo& b = kBars[bar];
        const bool on = ini.ReadYesNo(*b.shown);
        const std::string name = b.panel;
        const QPoint farthest = farthestToolBarPlace(m);
        const int left = ini.ReadInteger("Options", name + "_Left", b.left, 0, farthest.x());
        const int top = ini.ReadInteger("Options", name + "_Top", b.top, 0, farthest.y());
        if (auto* place = storedPlace(m, bar)) {
            place->left = left;
            place->top = top;
        }
        L->panels[bar]->move(left, top);
        L->panels[bar]->setVisible(on);
        setChecked(m, b.item, on);
    }
    setChecked(m, "ViewAccessBar1", false);
    setChecked(m, "ViewToolBars1", true);
    showToolBarItems(m, true);
    modeButtons(m);
    fitControlBar(m);
}

void accessBarPageClick(TSVMainfrm* m, int page) {
    if (page < 0 || page >= 6) return;
    showPage(m, page);
}

void toolBarItemClick(TSVMainfrm* m, int bar) {
    if (bar < 0 || bar >= 7) return;
    QAction* a = m->item(kBars[bar].item);
    if (!a) return;
    a->setChecked(!a->isChecked());
    applyToolBarItem(m, bar);
}

namespace {

// The Miscellaneous menu's E: a sound window is active, the length box holds
// a selection, and the program is idle. Zoom In and Zoom Out follow it
// whichever menu holds them.
bool miscellaneousE(TSVMainfrm* m) {
    bool ok = false;
    const qlonglong length = m->Edit3->text().toLongLong(&ok);
    return m->activeSound() != nullptr && ok && length >= 1 && activity() == Activity::Idle;
}

void enableZoomItems(TSVMainfrm* m, bool E) {
    for (const char* n : {"ZoomIn1", "ZoomOut1"}) m->enableItem(n, E);
}

} // namespace

void View1Click(TSVMainfrm* m) {
    enableZoomItems(m, miscellaneousE(m));
    IniFile ini = settingsOf(m);
    setChecked(m, "ViewVumeters1", ini.ReadYesNo(kViewVumeters));
    const bool access = ini.ReadYesNo(kViewAccessBar);
    setChecked(m, "ViewAccessBar1", access);
    setChecked(m, "ViewToolBars1", !access);
    showToolBarItems(m, !access);
}

void Misce1Click(TSVMainfrm* m) {
    const bool idle = activity() == Activity::Idle;
    const bool active = m->activeSound() != nullptr;
    const bool E = miscellaneousE(m);
    m->enableItem("Histogram1", E);
    enableZoomItems(m, E);
    m->enableItem("Colors1", idle);
    m->enableItem("Loop1", idle);
    m->enableItem("CurrentSampleValue1", active && idle);
    if (m->Selection1) m->Selection1->menuAction()->setEnabled(active && idle);
}

void ViewVumeters1Click(TSVMainfrm* m) {
    QAction* a = m->item("ViewVumeters1");
    if (!a) return;
    a->setChecked(!a->isChecked());
    applyVumeters(m);
}

void ViewGrid1Click(TSVMainfrm* m) {
    m->ViewGrid1->setChecked(!m->ViewGrid1->isChecked());
    applyGrid(m);
}

void Grid_SBClick(TSVMainfrm* m) { ViewGrid1Click(m); }

void HideShowImage1Click(TSVMainfrm* m) {
    // The two "&View Image" items always agree; the View menu's one is
    // there even before the picture's menu.
    QAction* a = m->item("ShowImage1");
    applyImage(m, !(a && a->isChecked()));
}

void ViewVolume1Click(TSVMainfrm*) { sv::openVolumeControl(); }

void Panel_MSOResize(TSVMainfrm* m) {
    ViewLayout* L = layoutOf(m);
    if (!L) return;
    int w = L->msoBody->width();
    const int least = std::max(kAccessBarWidth, L->msoBody->minimumWidth());
    if (w < least) {
        L->msoBody->resize(least, L->msoBody->height());
        w = least;
    }
    const int h = w / 2;
    for (int i = 0; i < 6; ++i) {
        L->pages[i]->move(h - 21, L->pages[i]->y());
        L->labels[i]->setGeometry(0, L->labels[i]->y(), w, L->labels[i]->height());
    }
    L->PanelTitolar->resize(w, L->PanelTitolar->height());
    L->CloseAccessBar->move(L->PanelTitolar->width() - L->CloseAccessBar->width() - 2, L->CloseAccessBar->y());
}

void VumeterPanelResize(TSVMainfrm* m) {
    ViewLayout* L = layoutOf(m);
    if (!L || !L->meterBody) return;
    const int top = L->meterBody->height() - 16;
    L->LabelVumeter->setGeometry(3, top, 24, 14);
    const int gauge = std::max(0, top - 2);
    m->Gauge1->setGeometry(2, 0, 11, gauge);
    m->Gauge2->setGeometry(14, 0, 11, gauge);
}

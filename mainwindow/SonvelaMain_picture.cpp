#include "mainwindow/SonvelaMain_picture.h"

#include <QFile>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QMenu>
#include <QToolBar>
#include <QVBoxLayout>

#include "components/GIFCtrl.h"
#include "components/RXShell.h"
#include "components/VCLUtils.h"
#include "components/RxCursors.h"
#include "components/gif_clipboard.h"
#include "components/icon_clipboard.h"
#include "mainwindow/SonvelaMain.h"
#include "mainwindow/SonvelaMain_transport.h"
#include "platform/paths.h"
#include "platform/prompts.h"
#include "platform/settings.h"
#include "resources/icon/program_icon.h"

// Outside any namespace: the resource initialiser is a global function.
static void initPictureResource() { Q_INIT_RESOURCE(picture); }

namespace {

void reportPictureError(const std::exception& e) {
    sv::prompts().messageBox(sv::applicationTitle(), e.what(), sv::Buttons::Ok, sv::Icon::Error);
}

// The picture stored with the program: a turning globe.
bool loadStoredPicture(TRxGIFAnimator* gif) {
    QFile f(":/picture/sv_globe.gif");
    if (!f.open(QIODevice::ReadOnly)) return false;
    const QByteArray bytes = f.readAll();
    TGIFImage picture;
    try {
        picture.ReadGIF(reinterpret_cast<const uint8_t*>(bytes.constData()), size_t(bytes.size()), true);
    } catch (const std::exception&) {
        return false;
    }
    gif->setImage(picture);
    return true;
}

// The panel sits at the right end of the transport bar. It lives in a
// holder of its own because a tool bar ignores show and hide on the
// widgets it holds, and the panel is shown and hidden by its own flag.
void placePanel(TSVMainfrm* main) {
    QWidget* panel = main->Panel3;
    auto* bar = main->findChild<QToolBar*>("TransportBar");
    if (!bar || panel->parentWidget() != main) return;
    auto* holder = new QWidget(bar);
    holder->setObjectName("Panel1");
    holder->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    auto* row = new QHBoxLayout(holder);
    row->setContentsMargins(0, 0, 0, 0);
    row->addStretch(1);
    row->addWidget(panel);
    bar->addWidget(holder);
}

void showPictureMenu(TSVMainfrm* main, QWidget* from, const QPoint& at) {
    QMenu* menu = pictureMenu(main);
    if (!menu) return;
    // "&View Image" belongs to the view commands and may come later.
    if (QAction* view = main->item("HideShowImage1"); view && !menu->actions().contains(view)) menu->addAction(view);
    menu->popup(from->mapToGlobal(at));
}

// The program's own icon: the application's window icon, else the one in
// the program's resources (never the picture the user loaded).
QIcon trayProgramIcon() {
    const QIcon own = QGuiApplication::windowIcon();
    return own.isNull() ? sv::programIcon() : own;
}

void installTrayIcon(TSVMainfrm* main) {
    auto* menu = new QMenu(main);
    menu->setObjectName("PopupMenu1");
    main->addItem(menu, "UseSonvela1", "&Open Sonvela", {}, [main] { UseSonvela1Click(main); });
    main->addItem(menu, "UseSonvelaCDPlayer1", "Open Sonvela as &CD Player", {}, [main] { UseSonvelaCDPlayer1Click(main); });
    QAction* about = main->addItem(menu, "AboutSonvela1", "&About Sonvela", {}, [main] {
        if (QAction* a = main->item("About1"); a && a->isEnabled()) a->trigger();
    });
    menu->addSeparator();
    main->addItem(menu, "ExitSonvela1", "&Exit Sonvela", {}, [main] { main->Exit2Click(); });
    // The about box is another command's; the item follows its state.
    QObject::connect(menu, &QMenu::aboutToShow, main, [main, about] {
        QAction* a = main->item("About1");
        about->setEnabled(a && a->isEnabled());
    });

    auto* tray = new TRxTrayIcon(main);
    tray->setObjectName("RxTrayIcon1");
    tray->setPopupMenu(menu);
    tray->setIcon(trayProgramIcon());
}

} // namespace

TRxGIFAnimator* gifAnimator(const TSVMainfrm* main) { return main->findChild<TRxGIFAnimator*>("gif_animat"); }
QMenu* pictureMenu(const TSVMainfrm* main) { return main->findChild<QMenu*>("PopupMenu2"); }
TRxTrayIcon* trayIcon(const TSVMainfrm* main) { return main->findChild<TRxTrayIcon*>("RxTrayIcon1"); }
QMenu* trayMenu(const TSVMainfrm* main) { return main->findChild<QMenu*>("PopupMenu1"); }

bool loadPictureFile(TSVMainfrm* main, const std::string& name) {
    TRxGIFAnimator* gif = gifAnimator(main);
    if (!gif) return false;
    // Loaded aside first: a file that fails leaves the picture shown as it was.
    TGIFImage picture;
    try {
        picture.LoadFromFile(name);
    } catch (const std::exception& e) {
        reportPictureError(e);
        return false;
    }
    gif->setImage(picture);
    return true;
}

void ChangeImage1Click(TSVMainfrm* main) {
    sv::FileDialogRequest req;
    req.filter = "Compuserve Images (*.gif)|*.gif";
    req.defaultExt = "gif";
    const sv::FileDialogResult r = sv::prompts().openDialog(req);
    if (!r.accepted || r.fileName.empty()) return;
    const std::string& name = r.fileName;
    if (!sv::fileExists(name) || sv::lowerFileExt(name) != ".gif") return;
    if (!loadPictureFile(main, name)) return;
    sv::IniFile ini(main->ExeDir + "dadoruz.ini");
    ini.WriteString("Configuration", "WORM", name);
}

void UseSonvela1Click(TSVMainfrm* main) {
    main->setWindowState(main->windowState() & ~Qt::WindowMinimized);
    main->show();
    main->raise();
    main->activateWindow();
}

void UseSonvelaCDPlayer1Click(TSVMainfrm* main) {
    UseSonvela1Click(main);
    main->SpeedButton10Click();
}

void installPictureCommands(TSVMainfrm* main) {
    if (gifAnimator(main) || !main->Panel3) return;
    initPictureResource();
    sv::loadStartupCursors();
    sv::registerIconClipboardFormat();
    sv::registerGIFFormats();

    QWidget* panel = main->Panel3;
    panel->setObjectName("Panel3");
    panel->setFixedSize(52, 50);
    auto* fill = new QVBoxLayout(panel);
    fill->setContentsMargins(2, 2, 2, 2);
    auto* gif = new TRxGIFAnimator(panel);
    gif->setObjectName("gif_animat");
    gif->setAutoSize(false);
    gif->setCenter(true);
    fill->addWidget(gif);
    placePanel(main);

    loadStoredPicture(gif);
    {
        sv::IniFile ini(main->ExeDir + "dadoruz.ini");
        const std::string worm = ini.ReadString("Configuration", "WORM", main->ExeDir + "sv_globe.gif");
        if (sv::fileExists(worm)) loadPictureFile(main, worm);
    }

    auto* menu = new QMenu(main);
    menu->setObjectName("PopupMenu2");
    main->addItem(menu, "ChangeImage1", "&Change Image", {}, [main] { ChangeImage1Click(main); });
    for (QWidget* w : {static_cast<QWidget*>(gif), panel}) {
        w->setContextMenuPolicy(Qt::CustomContextMenu);
        QObject::connect(w, &QWidget::customContextMenuRequested, main,
                         [main, w](const QPoint& at) { showPictureMenu(main, w, at); });
    }

    main->transport().animate = [main](bool on) {
        if (TRxGIFAnimator* g = gifAnimator(main)) g->SetAnimate(on);
    };

    installTrayIcon(main);
    main->FormResize();
}

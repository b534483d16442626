// The program's entry: splash window, main window, the long-lived dialogs,
// then the message loop.
#include <QApplication>

#include <string>
#include <vector>

#include "mainwindow/Help.h"
#include "mainwindow/SonvelaMain.h"
#include "mainwindow/Splash.h"
#include "platform/exedir.h"
#include "platform/files.h"
#include "platform/qt/qt_prompts.h"
#include "platform/qt/wave_notify.h"
#include "resources/icon/program_icon.h"

int main(int argc, char** argv) {
    // A save that reaches the file-size limit reports "File too large"
    // instead of killing the editor with its unsaved work.
    sv::ignoreFileSizeSignal();
    // Qt removes its own options from argv: take the parameters first.
    std::vector<std::string> args(argv + 1, argv + argc);
    QApplication app(argc, argv);
    // Every window, and the tray icon, shows the program's own icon.
    QApplication::setWindowIcon(sv::programIcon());
    QApplication::setApplicationName("Sonvela");
    sv::installQtPrompts();
    sv::bindActivityCursor();
    sv::installWaveNotifier();

    if (helpOnlyCommandLine(args)) {
        // The help window alone, owned by no main window: closing it ends
        // the program. A missing help file has been reported.
        return showHelpContents(nullptr, sv::exeDir()) ? app.exec() : 1;
    }

    Splashfrm = new TSplashfrm();
    Splashfrm->exec();
    delete Splashfrm;
    Splashfrm = nullptr;

    auto* main = new TSVMainfrm(args);
    main->showMaximized();
    int rc = main->run();
    delete main;
    return rc;
}

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
#include "platform/qt/termination.h"
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

    // SIGTERM or SIGHUP before the main window runs its loop (the splash,
    // a message at start-up, the help window alone) ends the program as
    // quietly as one that arrives later: every event loop is left, and
    // the exit status is 0.
    bool ending = false;
    sv::onTerminationSignal([&ending] {
        ending = true;
        QCoreApplication::exit(0);
    });

    if (helpOnlyCommandLine(args)) {
        // The help window alone, owned by no main window: closing it ends
        // the program. A missing help file or a page it cannot show has been
        // reported, unless the session ended while the report was up.
        if (!showHelpContents(nullptr, sv::exeDir())) return ending ? 0 : 1;
        return ending ? 0 : app.exec();
    }

    Splashfrm = new TSplashfrm();
    if (!ending) Splashfrm->exec();
    delete Splashfrm;
    Splashfrm = nullptr;
    if (ending) return 0;

    auto* main = new TSVMainfrm(args);
    if (ending) main->endSession();
    else main->showMaximized();
    int rc = main->run();
    // The program is ending: a further signal (a log-out may send SIGHUP
    // and then SIGTERM) does not cut the teardown short.
    sv::onTerminationSignal([] {});
    delete main;
    return rc;
}

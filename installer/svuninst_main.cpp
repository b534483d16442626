// The uninstaller: started by the uninstall entry, it removes Sonvela after
// asking, and says so when there is nothing to remove.
#include <QApplication>

#include "installer/setup_prompts.h"
#include "installer/svuninst.h"
#include "platform/prompts.h"
#include "resources/icon/program_icon.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setWindowIcon(sv::programIcon());
    sv::installSetupPrompts();
    TUninstallfrm w;
    if (!w.installation.found) {
        sv::prompts().messageBox("Sonvela Uninstall", "Sonvela is not installed for this user: there is nothing to remove.",
                                 sv::Buttons::Ok, sv::Icon::Information);
        return 1;
    }
    w.exec();
    return w.Done ? 0 : 1;
}

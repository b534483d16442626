#include <QApplication>
#include <string>
#include <vector>

#include "installer/setup1.h"
#include "installer/setup_prompts.h"
#include "platform/files.h"
#include "resources/icon/program_icon.h"

int main(int argc, char** argv) {
    sv::ignoreFileSizeSignal();
    QApplication app(argc, argv);
    // Setup's windows show the icon of the program they install.
    QApplication::setWindowIcon(sv::programIcon());
    sv::installSetupPrompts();
    std::vector<std::string> params(argv + 1, argv + argc);
    TSetup1frm w(std::move(params));
    // The window is setup's whole life: closing it ends the program.
    w.exec();
    return 0;
}

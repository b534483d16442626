// One help page as the help window shows it: checked as the window checks
// it, before and after Qt's reader builds it, and laid out as the window
// lays it out, with its pictures, when the window takes it. The seeds are
// the program's own help pages, a page of pictures the window must not
// fetch, and pages that would cost the window far more than their size.
#include <QAbstractTextDocumentLayout>
#include <cstdlib>

#include "fuzz/help_seeds.h"
#include "fuzz/support/fuzz_support.h"
#include "mainwindow/Help.h"
#include "platform/help_file.h"

using namespace sv;

void sv::fuzz::writeSeeds(const std::string& folder) {
    HelpFile built;
    std::string problem;
    if (loadHelpFile(SONVELA_BUILD_DIR "sonvela.hlp", built, problem) != HelpLoad::Ok) std::abort();
    auto seed = [&](const std::string& name, const std::string& page) {
        seedFile(folder, name, std::vector<uint8_t>(page.begin(), page.end()));
    };
    for (const auto& [name, page] : built.pages) seed(name, page);
    seed("endless_picture.html", "<p><img src=\"/dev/zero\"><img src=\"file:///dev/zero\">"
                                 "<img src=\"../../../../dev/zero\"><img src=\"qrc:/nothing.png\"></p>\n");
    for (const auto& [name, page] : costlyHelpPages()) seed(name + ".html", page);
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::guiApplication();
    HelpFile help;
    std::string& page = help.pages[kHelpContentsPage];
    page.assign(reinterpret_cast<const char*>(data), size);
    std::string problem;
    if (!helpPageFits(help, page, problem)) {
        if (problem.empty()) __builtin_trap();   // the user is told why
        return 0;
    }
    HelpDocument doc(help);
    doc.setTextWidth(600);
    doc.setHtml(QString::fromStdString(page));
    (void)doc.documentLayout()->documentSize();
    return 0;
}

// The help file "sonvela.hlp" as the help window reads it: the file, then
// every page's tags as the window checks them before Qt reads the page (the
// help_page target takes a page on through Qt's reader and layout). The
// build's help maker writes the file; the seeds are pieces of the built
// file, each the header and the contents page with a few pages after it,
// cut at page lines so that every piece stays a help file small enough for
// the fuzzer, and pages that would cost the window far more than their size.
#include <QString>
#include <algorithm>
#include <cstdlib>

#include "fuzz/help_seeds.h"
#include "fuzz/support/fuzz_support.h"
#include "mainwindow/help_page_limits.h"
#include "platform/help_file.h"

using namespace sv;

void sv::fuzz::writeSeeds(const std::string& folder) {
    const std::vector<uint8_t> bytes = fileBytes(SONVELA_BUILD_DIR "sonvela.hlp");
    const std::string text(bytes.begin(), bytes.end());
    HelpFile built;
    std::string problem;
    if (parseHelpText(text, built, problem) != HelpLoad::Ok) std::abort();
    // The file cut before each "@page" line: the header, then one piece a page.
    std::vector<std::string> pieces;
    size_t from = 0;
    for (size_t at = text.find("\n@page "); at != std::string::npos; at = text.find("\n@page ", at + 1)) {
        pieces.push_back(text.substr(from, at + 1 - from));
        from = at + 1;
    }
    pieces.push_back(text.substr(from));
    const std::string contents = std::string("@page ") + kHelpContentsPage + "\n";
    std::string contentsPiece;
    std::vector<std::string> others;
    for (size_t i = 1; i < pieces.size(); ++i) {
        if (pieces[i].compare(0, contents.size(), contents) == 0) contentsPiece = pieces[i];
        else others.push_back(pieces[i]);
    }
    const size_t kPagesPerSeed = 3;
    for (size_t i = 0; i < others.size(); i += kPagesPerSeed) {
        std::string seed = pieces[0] + contentsPiece;
        for (size_t k = i; k < std::min(others.size(), i + kPagesPerSeed); ++k) seed += others[k];
        seedFile(folder, "help" + std::to_string(i / kPagesPerSeed) + ".hlp",
                 std::vector<uint8_t>(seed.begin(), seed.end()));
    }
    for (const auto& [name, page] : fuzz::costlyHelpPages()) {
        const std::string seed = pieces[0] + "@page contents.html\n" + page + "\n";
        seedFile(folder, name + ".hlp", std::vector<uint8_t>(seed.begin(), seed.end()));
    }
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    HelpFile help;
    std::string problem;
    switch (loadHelpFile(fuzz::inputFile(data, size, "sonvela.hlp"), help, problem)) {
    case HelpLoad::Ok:
        // A help file the window takes always opens on its contents page.
        if (!help.pages.count(kHelpContentsPage)) __builtin_trap();
        for (const auto& [name, page] : help.pages) {
            std::string problem;
            // A page refused is refused with its reason.
            if (!helpPageWithinLimits(QString::fromStdString(page), problem) && problem.empty()) __builtin_trap();
        }
        break;
    case HelpLoad::Damaged:
        // The window names the reason, and shows nothing of the file.
        if (problem.empty() || !help.pages.empty()) __builtin_trap();
        break;
    case HelpLoad::Missing: __builtin_trap();   // the file was just written
    }
    return 0;
}

// Seed pages shared by the help targets: shapes of page that cost Qt's
// reader or its layout far more than their size, cut to the fuzzer's
// input size.
#pragma once
#include <string>
#include <utility>
#include <vector>

namespace sv::fuzz {

inline std::vector<std::pair<std::string, std::string>> costlyHelpPages() {
    auto repeat = [](const std::string& s, int n) {
        std::string out;
        for (int i = 0; i < n; ++i) out += s;
        return out;
    };
    return {
        {"nested_tables", repeat("<table><tr><td>", 500) + "x" + repeat("</td></tr></table>", 500)},
        {"spanned_cells", "<table>" + repeat("<tr><td colspan=10000 rowspan=10000>x</td></tr>", 100) + "</table>"},
        {"nested_divs", repeat("<div>", 1500) + "x" + repeat("</div>", 1500)},
        {"tables_left_open", "<table><tr><td>x</td></tr>" + repeat("<table><tr><td>y</td></tr></table>", 16)},
        {"long_list", "<ol>" + repeat("<li>x", 2500) + "</ol>"},
        {"lines_in_a_list", "<ul><li><pre>" + repeat("x\n", 2500) + "</pre></ul>"},
        {"unbroken_line", "<p>" + std::string(12000, 'x') + "</p>"},
        {"style_over_nesting",
         "<style>" + repeat("* { color: red }", 100) + "</style>" + repeat("<div>", 60) + repeat("<p>x</p>", 800)},
    };
}

} // namespace sv::fuzz

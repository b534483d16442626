#include <gtest/gtest.h>

#include <QAbstractTextDocumentLayout>
#include <QBuffer>
#include <QImage>
#include <QMenuBar>
#include <QPushButton>
#include <QRegularExpression>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <set>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>

#include "mainwindow/Help.h"
#include "platform/help_file.h"
#include "tests/mainwindow/info/info_fixture.h"

namespace fs = std::filesystem;
using namespace sv;
using namespace sv::test;

namespace {

const std::string kBuiltHelp = std::string(SONVELA_INSTALLATION_DIR) + "sonvela.hlp";

HelpFile builtHelp() {
    HelpFile help;
    std::string problem;
    EXPECT_EQ(loadHelpFile(kBuiltHelp, help, problem), HelpLoad::Ok) << problem;
    return help;
}

// The targets of a page's links, without their anchors.
std::set<std::string> links(const std::string& page) {
    std::set<std::string> out;
    QRegularExpression href("href=\"([^\"#]*)(#[^\"]*)?\"");
    auto it = href.globalMatch(QString::fromStdString(page));
    while (it.hasNext()) out.insert(it.next().captured(1).toStdString());
    return out;
}

QString plain(QString caption) { return caption.remove('&'); }

TEST(HelpFileText, PagesAreReadByNameAndDamagedFilesAreRefused) {
    HelpFile help;
    std::string problem;
    ASSERT_EQ(parseHelpText("SONVELA HELP 1\n@page contents.html\n<p>a</p>\n\n@page x_y-1.html\nb\n", help, problem),
              HelpLoad::Ok);
    ASSERT_EQ(help.pages.size(), 2u);
    EXPECT_EQ(help.pages["contents.html"], "<p>a</p>\n\n");
    EXPECT_EQ(help.pages["x_y-1.html"], "b\n");

    const std::pair<const char*, const char*> bad[] = {
        {"", "not a Sonvela help file"},
        {"\x7f" "ELF\x02\x01", "not a Sonvela help file"},
        {"SONVELA HELP 1\n@page ../etc/passwd.html\n", "malformed name"},
        {"SONVELA HELP 1\n@page contents.html\n@page contents.html\n", "twice"},
        {"SONVELA HELP 1\nstray\n@page contents.html\n", "before the first page"},
        {"SONVELA HELP 1\n@page other.html\n", "no contents page"},
    };
    for (const auto& [text, why] : bad) {
        help.pages["left.html"] = "x";
        EXPECT_EQ(parseHelpText(text, help, problem), HelpLoad::Damaged) << text;
        EXPECT_NE(problem.find(why), std::string::npos) << problem;
        EXPECT_TRUE(help.pages.empty());
    }
    EXPECT_EQ(loadHelpFile("/nonexistent/sonvela.hlp", help, problem), HelpLoad::Missing);
}

TEST(HelpFileText, EveryLinkOfTheBuiltHelpLeadsToOneOfItsPages) {
    const HelpFile help = builtHelp();
    std::set<std::string> reached{kHelpContentsPage};
    for (const auto& [name, page] : help.pages) {
        EXPECT_NE(page.find("<title>"), std::string::npos) << name;
        for (const std::string& l : links(page)) {
            if (l.rfind("http", 0) == 0 || l.rfind("mailto:", 0) == 0 || l.empty()) continue;
            EXPECT_TRUE(help.pages.count(l)) << name << " links to the missing page " << l;
            reached.insert(l);
        }
    }
    // No page is left where no link leads.
    for (const auto& [name, page] : help.pages) EXPECT_TRUE(reached.count(name)) << name << " is not linked";
}

class HelpWindowTest : public InfoTest {};

TEST_F(HelpWindowTest, ContentsShowsTheContentsPageWithAPageForEveryMenu) {
    fs::copy_file(kBuiltHelp, dir.file("sonvela.hlp"));
    start();
    trigger("Contents1");
    THelpfrm* help = main->findChild<THelpfrm*>();
    ASSERT_NE(help, nullptr);
    EXPECT_TRUE(help->isVisible());
    EXPECT_EQ(help->currentPage(), "contents.html");
    EXPECT_EQ(help->windowTitle(), "Sonvela Help");   // the name once
    EXPECT_TRUE(scripted().messages().empty());
    const QString text = help->Browser->toPlainText();
    EXPECT_TRUE(text.contains("Sonvela")) << text.toStdString();

    // Each menu of the main window, and the Effects submenu, has its page,
    // linked from the contents under the menu's own words.
    const std::string contents = help->Browser->help.pages.at("contents.html");
    std::vector<QMenu*> menus;
    for (QAction* a : main->menuBar()->actions())
        if (a->menu()) menus.push_back(a->menu());
    menus.push_back(main->Effects1);
    ASSERT_GE(menus.size(), 9u);
    for (QMenu* m : menus) {
        const std::string title = plain(m->title()).toStdString();
        QRegularExpression link("href=\"([^\"]+)\"[^>]*>" + QRegularExpression::escape(QString::fromStdString(title)) +
                                " menu<");
        auto match = link.match(QString::fromStdString(contents));
        ASSERT_TRUE(match.hasMatch()) << title;
        const std::string page = match.captured(1).toStdString();
        ASSERT_TRUE(help->showPage(page)) << page;
        EXPECT_TRUE(help->Browser->toPlainText().contains(QString::fromStdString(title) + " menu")) << page;
        EXPECT_EQ(help->windowTitle(), "Sonvela Help - " + QString::fromStdString(title) + " menu");
    }

    // Back returns along the way; Contents comes home.
    EXPECT_TRUE(help->BackButton->isEnabled());
    help->BackButton->click();
    EXPECT_NE(help->currentPage(), "contents.html");
    help->ContentsButton->click();
    EXPECT_EQ(help->currentPage(), "contents.html");
}

TEST_F(HelpWindowTest, ADamagedHelpFileIsReportedAndNoWindowStays) {
    std::ofstream(dir.file("sonvela.hlp")) << "MZ this is no help\n";
    start();
    trigger("Contents1");
    ASSERT_EQ(scripted().messages().size(), 1u);
    EXPECT_EQ(scripted().messages()[0],
              "Cannot show the help file " + dir.file("sonvela.hlp") + ": it is not a Sonvela help file.");
    flush();
    THelpfrm* help = main->findChild<THelpfrm*>();
    EXPECT_TRUE(help == nullptr || !help->isVisible());
}

TEST_F(HelpWindowTest, WebLinksGoToTheBrowserAndUnknownPagesAreReported) {
    fs::copy_file(kBuiltHelp, dir.file("sonvela.hlp"));
    start();
    THelpfrm* help = showHelpContents(main.get(), dir.path());
    ASSERT_NE(help, nullptr);
    emit help->Browser->anchorClicked(QUrl("https://sonvela.example.org/"));
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0], "https://sonvela.example.org/");
    emit help->Browser->anchorClicked(QUrl("nowhere.html"));
    EXPECT_TRUE(scripted().sawMessage("The help has no page nowhere.html."));
    EXPECT_EQ(help->currentPage(), "contents.html");
    // Nothing is fetched from outside the help file: a blank picture, as a
    // null one would send Qt to the disk for it.
    const QVariant outside = help->Browser->loadResource(QTextDocument::ImageResource, QUrl("file:///etc/passwd"));
    EXPECT_EQ(outside.typeId(), QMetaType::QImage);
    EXPECT_EQ(outside.value<QImage>().size(), QSize(1, 1));
}

std::string repeat(const std::string& s, int n) {
    std::string out;
    for (int i = 0; i < n; ++i) out += s;
    return out;
}

// Shapes of page that cost Qt's reader or its layout far more than their
// size (seconds to minutes, gigabytes): each is refused, before Qt builds
// it, with what is wrong with it.
TEST(HelpPageLimits, PagesThatCostFarMoreThanTheirSizeAreRefusedWithTheirCause) {
    const HelpFile help;
    const std::string nestedTables = repeat("<table><tr><td>", 3) + "<p>" + repeat("word ", 30000) + "</p>";
    const std::string unbroken = "it has more than 10000 characters in a row with no space to break the line at";
    const std::pair<std::string, std::string> pages[] = {
        {"<table>" + repeat("<tr><td colspan=10000 rowspan=10000>x</td></tr>", 100) + "</table>",
         "it holds more than 10000 table cells"},
        {repeat("<div>", 20000) + "x" + repeat("</div>", 20000), "its elements are nested more than 100 deep"},
        {repeat("<ul><li>", 60) + "x", "its elements are nested more than 100 deep"},
        // Each table left open keeps the next one inside the one before.
        {"<table><tr><td>x</td></tr>" + repeat("<table><tr><td>y</td></tr></table>", 12) + "</table>",
         "its tables are nested more than 8 deep"},
        {nestedTables, "its tables are nested too deep for what they hold"},
        {repeat("<p>x</p>", 10001), "it holds more than 20000 tags"},
        {"<ol>" + repeat("<li>x", 2001) + "</ol>", "a list of it holds more than 2000 items"},
        // Each line kept in a list item is an item more.
        {"<ul><li><pre>" + repeat("x\n", 2001) + "</pre></ul>",
         "it has more than 2000 lines of preformatted text in or after a list"},
        {"<p>" + std::string(10001, 'x') + "</p>", unbroken},
        {"<nobr>" + repeat("word ", 2001) + "</nobr>", unbroken},
        {repeat("many words ", 50000), "it holds more than 500000 characters of text"},
        {"<pre>" + repeat("x\n", 20001) + "</pre>", "it holds more than 20000 lines"},
        {repeat("<img src=\"qrc:/p.png\">", 501), "it holds more than 500 pictures"},
        {"<p style=\"" + repeat("color: red; ", 41700) + "\">x</p>",
         "it holds more than 500000 characters of style attributes"},
        {"<style>" + repeat("* { color: red }", 200) + "</style>" + repeat("<div>", 50) + repeat("<p>x</p>", 1000),
         "its style sheets are too large for the elements they apply to"},
    };
    for (const auto& [page, why] : pages) {
        std::string problem;
        EXPECT_FALSE(helpPageFits(help, page, problem)) << page.substr(0, 80);
        EXPECT_EQ(problem, why) << page.substr(0, 80);
    }
}

// Every page of the program's help, and pages as people write them:
// tables with spans and headers, lists nested and left unclosed, style
// sheets, pictures, preformatted text, a table inside a table.
TEST(HelpPageLimits, TheProgramsOwnPagesAndOrdinaryHtmlFit) {
    const HelpFile help = builtHelp();
    ASSERT_GE(help.pages.size(), 50u);
    std::vector<std::string> pages;
    for (const auto& [name, page] : help.pages) pages.push_back(page);
    const std::string row =
        "<tr><td><b>Ctrl+C</b></td><td>Copies the selection</td><td align=right>12&nbsp;ms</td></tr>\n";
    pages.push_back("<html><head><title>Keys</title><style>td { padding: 4px } .k { font-weight: bold }</style>"
                    "</head><body><h1>Keys</h1>\n<table border=1 cellpadding=3 width=\"100%\">"
                    "<thead><tr><th colspan=2>Key</th><th rowspan=2>Time</th></tr>"
                    "<tr><th>Name</th><th>Does</th></tr></thead>"
                    "<tbody>\n" + repeat(row, 300) + "</tbody></table></body></html>");
    pages.push_back("<ul><li>One<ul><li>Two<ol><li>Three<ul><li>Four</ul><li>Three again</ol></ul>"
                    "<li>One again" + repeat("<li>item <a href=\"x.html\">link</a> &amp; more", 500) + "</ul>"
                    "<dl><dt>Term<dd>Meaning<dt>Other<dd>Its meaning</dl>");
    pages.push_back("<p style=\"color: #333; margin-left: 2em\">Text <!-- a note --> with a picture "
                    "<img src=\"data:image/png;base64,iVBORw0KGgo=\" width=16 height=16> in it.</p>"
                    "<pre>" + repeat("int x = 1;   // a line of code\n", 400) + "</pre>"
                    "<table><tr><td><table><tr><td><table><tr><td>three tables deep</td></tr></table>"
                    "</td></tr></table></td></tr></table><p>" + repeat("A long paragraph of words. ", 300) + "</p>");
    for (const std::string& page : pages) {
        std::string problem;
        EXPECT_TRUE(helpPageFits(help, page, problem)) << problem << "\n" << page.substr(0, 200);
    }
}

TEST_F(HelpWindowTest, APageOfSpannedCellsIsRefusedFromTheMenuAndTheSoundIsUntouched) {
    std::ofstream(dir.file("sonvela.hlp"))
        << "SONVELA HELP 1\n@page contents.html\n<table>"
        << repeat("<tr><td colspan=10000 rowspan=10000>x</td></tr>", 30) << "</table>\n";
    start();
    TSoundfrm* sound = openWave("a.wav");
    sound->Modified = true;
    trigger("Contents1");
    EXPECT_EQ(scripted().messages(), std::vector<std::string>{"The help page contents.html cannot be shown: it holds "
                                                              "more than 10000 table cells."});
    flush();
    THelpfrm* window = main->findChild<THelpfrm*>();
    EXPECT_TRUE(window == nullptr || !window->isVisible());
    ASSERT_EQ(main->soundWindows().size(), 1u);
    EXPECT_TRUE(main->soundWindows()[0]->Modified);
}

// Whether a process has its own handler for SIGTERM yet.
bool handlesTermination(pid_t pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("SigCgt:", 0) == 0) return (std::stoull(line.substr(7), nullptr, 16) >> (SIGTERM - 1)) & 1;
    return false;
}

// The help window alone, when the session ends while the editor reports a
// page it cannot show: the editor ends as it would from its window, with 0.
TEST(HelpOnly, TheSessionEndingWhileAPageIsReportedEndsTheEditorWithZero) {
    TempExeDir dir;
    std::ofstream(dir.file("sonvela.hlp")) << "SONVELA HELP 1\n@page contents.html\n" << repeat("<div>", 200) << "\n";
    const std::string editor = std::string(SONVELA_INSTALLATION_DIR) + "sonvela";
    std::vector<std::string> env{"SONVELA_EXEDIR=" + dir.path(), "QT_QPA_PLATFORM=offscreen"};
    for (char** e = environ; *e; ++e)
        if (std::string(*e).rfind("SONVELA_EXEDIR=", 0) != 0 && std::string(*e).rfind("QT_QPA_PLATFORM=", 0) != 0)
            env.push_back(*e);
    std::vector<char*> envp;
    for (std::string& e : env) envp.push_back(e.data());
    envp.push_back(nullptr);
    char help[] = "-HELP";
    char* argv[] = {const_cast<char*>(editor.c_str()), help, nullptr};
    pid_t pid = 0;
    ASSERT_EQ(::posix_spawn(&pid, editor.c_str(), nullptr, nullptr, argv, envp.data()), 0);
    int status = 0;
    while (!handlesTermination(pid) && ::waitpid(pid, &status, WNOHANG) == 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    ::kill(pid, SIGTERM);
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status)) << status;
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

TEST_F(HelpWindowTest, PicturesComeOnlyFromTheHelpFileAndPagesTooDeepOrLargeAreRefused) {
    QImage red(4, 4, QImage::Format_RGB32), green(2, 2, QImage::Format_RGB32);
    red.fill(Qt::red);
    green.fill(Qt::green);
    const std::string outside = dir.file("outside.png");
    ASSERT_TRUE(red.save(QString::fromStdString(outside)));
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    green.save(&buffer, "PNG");
    const std::string inside = "data:image/png;base64," + png.toBase64().toStdString();
    auto tables = [](int depth) {
        std::string open, close;
        for (int i = 0; i < depth; ++i) open += "<table><tr><td>", close += "</td></tr></table>";
        return open + "x" + close;
    };
    std::ofstream(dir.file("sonvela.hlp"))
        << "SONVELA HELP 1\n@page contents.html\n<p><img src=\"" << outside << "\"><img src=\"" << inside
        << "\"></p>\n@page deep.html\n" << tables(kMostNestedTables + 1) << "\n@page fits.html\n"
        << tables(kMostNestedTables) << "\n@page padded.html\n<table cellpadding=2000000000><tr><td>x</td></tr></table>\n";
    start();
    THelpfrm* help = showHelpContents(main.get(), dir.path());
    ASSERT_NE(help, nullptr);
    QTextDocument* doc = help->Browser->document();
    (void)doc->documentLayout()->documentSize();   // lays the page out, pictures and all
    EXPECT_EQ(doc->resource(QTextDocument::ImageResource, QUrl::fromLocalFile(QString::fromStdString(outside)))
                  .value<QImage>()
                  .size(),
              QSize(1, 1));
    EXPECT_EQ(doc->resource(QTextDocument::ImageResource, QUrl(QString::fromStdString(inside))).value<QImage>().size(),
              QSize(2, 2));

    // Refused before Qt lays it out: each level of tables doubles that work.
    ASSERT_FALSE(help->showPage("deep.html"));
    EXPECT_TRUE(scripted().sawMessage("The help page deep.html cannot be shown: its tables are nested more than " +
                                      std::to_string(kMostNestedTables) + " deep."));
    EXPECT_EQ(help->currentPage(), "contents.html");
    EXPECT_TRUE(help->showPage("fits.html"));
    ASSERT_FALSE(help->showPage("padded.html"));
    EXPECT_TRUE(scripted().sawMessage("The help page padded.html cannot be shown: it holds a size, span or count over 10000."));
    EXPECT_EQ(help->currentPage(), "fits.html");
}

} // namespace

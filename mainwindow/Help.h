// The help window: the pages of the program's help file, shown by the
// program itself (no viewer needs to be installed), with links between the
// pages, back and forward, and the contents page a button away. Links to
// web pages open with the desktop's browser.
#pragma once
#include <QTextBrowser>
#include <QWidget>
#include <string>
#include <vector>

#include "platform/help_file.h"

class QPushButton;

// Serves the help file's pages to the browser by their names.
class THelpBrowser : public QTextBrowser {
    Q_OBJECT
public:
    explicit THelpBrowser(QWidget* parent) : QTextBrowser(parent) {}
    sv::HelpFile help;
    QVariant loadResource(int type, const QUrl& name) override;
};

class THelpfrm : public QWidget {
    Q_OBJECT
public:
    explicit THelpfrm(QWidget* owner);

    THelpBrowser* Browser = nullptr;
    QPushButton* ContentsButton = nullptr;   // "&Contents"
    QPushButton* BackButton = nullptr;       // "&Back"
    QPushButton* ForwardButton = nullptr;    // "&Forward"
    QPushButton* CloseButton = nullptr;      // "C&lose"

    // Shows a page of the help (a name such as "file_menu.html", with an
    // optional "#anchor"); false for a page the help does not have.
    bool showPage(const std::string& page);
    // The name of the page shown.
    std::string currentPage() const;

    // Reads the help file; false, after telling the user, when it is
    // missing or damaged.
    bool loadHelp(const std::string& path);

private:
    void linkClicked(const QUrl& url);
};

// "&Contents": opens (or brings forward) the help window of the main window
// on the contents page of ExeDir + "sonvela.hlp". Null when the help file is
// missing or damaged, which the user is told.
THelpfrm* showHelpContents(QWidget* owner, const std::string& exeDir);

// The command line "-HELP" (as its first parameter): the program shows only
// its help window, on the contents page, and ends when it closes.
bool helpOnlyCommandLine(const std::vector<std::string>& args);

// The help window: the pages of the program's help file, shown by the
// program itself (no viewer needs to be installed), with links between the
// pages, back and forward, and the contents page a button away. Links to
// web pages open with the desktop's browser.
#pragma once
#include <QImage>
#include <QTextBrowser>
#include <QTextDocument>
#include <QWidget>
#include <string>
#include <vector>

#include "mainwindow/help_page_limits.h"
#include "platform/help_file.h"

class QPushButton;

// What a help page may load: the help's own pages by name, and pictures
// written into the help file itself (data: addresses) or kept in the
// program's resources (qrc:), each of at most kMostPictureBytes and
// kMostPictureSide pixels a side, those of one page together at most
// kMostPagePixels. Nothing from the disk or the network: every other name
// gets an empty page or a blank picture. Never a null value, since Qt's
// text document then reads a local file of that name itself.
class HelpResources {
public:
    static constexpr qint64 kMostPictureBytes = 1 << 20;
    static constexpr int kMostPictureSide = 2048;
    static constexpr qint64 kMostPagePixels = 32LL << 20;

    explicit HelpResources(const sv::HelpFile& help) : help_(help) {}
    QVariant load(int type, const QUrl& name);
    // A new page starts with the whole allowance of picture pixels.
    void newPage() { pixelsLeft_ = kMostPagePixels; }

private:
    QImage picture(const QUrl& name);
    const sv::HelpFile& help_;
    qint64 pixelsLeft_ = kMostPagePixels;
};

// A page in a text document that loads only what HelpResources allows,
// as the help window shows it.
class HelpDocument : public QTextDocument {
public:
    explicit HelpDocument(const sv::HelpFile& help) : resources_(help) {}
    QVariant loadResource(int type, const QUrl& name) override { return resources_.load(type, name); }

private:
    HelpResources resources_;
};

// Whether the help window can take a page: false, with the reason, for one
// beyond the limits of help_page_limits.h.
bool helpPageFits(const sv::HelpFile& help, const std::string& page, std::string& problem);

// Serves the help file's pages to the browser by their names.
class THelpBrowser : public QTextBrowser {
    Q_OBJECT
public:
    explicit THelpBrowser(QWidget* parent) : QTextBrowser(parent) {}
    sv::HelpFile help;
    HelpResources resources{help};
    QVariant loadResource(int type, const QUrl& name) override { return resources.load(type, name); }
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
    // optional "#anchor"); false for a page the help does not have, and
    // for one the window cannot lay out, which the user is told.
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

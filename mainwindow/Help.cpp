#include "mainwindow/Help.h"

#include <QHBoxLayout>
#include <QPointer>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

#include "mainwindow/Links.h"
#include "platform/prompts.h"

QVariant THelpBrowser::loadResource(int type, const QUrl& name) {
    if (type == QTextDocument::HtmlResource) {
        auto it = help.pages.find(name.path().toStdString());
        if (it != help.pages.end()) return QString::fromStdString(it->second);
    }
    // Nothing from outside the help file: a page never pulls in a file or
    // a picture from the disk or the network.
    return QVariant();
}

THelpfrm::THelpfrm(QWidget* owner) : QWidget(owner, Qt::Window) {
    setWindowTitle("Sonvela Help");
    setObjectName("Helpfrm");
    Browser = new THelpBrowser(this);
    Browser->setOpenLinks(false);
    ContentsButton = new QPushButton("&Contents", this);
    BackButton = new QPushButton("&Back", this);
    ForwardButton = new QPushButton("&Forward", this);
    CloseButton = new QPushButton("C&lose", this);
    BackButton->setEnabled(false);
    ForwardButton->setEnabled(false);

    auto* buttons = new QHBoxLayout;
    for (QPushButton* b : {ContentsButton, BackButton, ForwardButton}) buttons->addWidget(b);
    buttons->addStretch();
    buttons->addWidget(CloseButton);
    auto* top = new QVBoxLayout(this);
    top->addLayout(buttons);
    top->addWidget(Browser, 1);
    resize(640, 520);

    connect(ContentsButton, &QPushButton::clicked, this, [this] { showPage(sv::kHelpContentsPage); });
    connect(BackButton, &QPushButton::clicked, Browser, &QTextBrowser::backward);
    connect(ForwardButton, &QPushButton::clicked, Browser, &QTextBrowser::forward);
    connect(CloseButton, &QPushButton::clicked, this, &QWidget::close);
    connect(Browser, &QTextBrowser::backwardAvailable, BackButton, &QPushButton::setEnabled);
    connect(Browser, &QTextBrowser::forwardAvailable, ForwardButton, &QPushButton::setEnabled);
    connect(Browser, &QTextBrowser::anchorClicked, this, [this](const QUrl& url) { linkClicked(url); });
    connect(Browser, &QTextBrowser::sourceChanged, this, [this] {
        // The contents page is titled as the window itself: its name once.
        const QString title = Browser->documentTitle();
        const QString help = "Sonvela Help";
        setWindowTitle(title.isEmpty() || title == help ? help : help + " - " + title);
    });
}

bool THelpfrm::loadHelp(const std::string& path) {
    std::string problem;
    switch (sv::loadHelpFile(path, Browser->help, problem)) {
    case sv::HelpLoad::Ok: return true;
    case sv::HelpLoad::Missing: sv::ShowMessage("Cannot open the help file " + path + "."); return false;
    case sv::HelpLoad::Damaged:
        sv::ShowMessage("Cannot show the help file " + path + ": " + problem + ".");
        return false;
    }
    return false;
}

bool THelpfrm::showPage(const std::string& page) {
    const QUrl url(QString::fromStdString(page));
    if (!Browser->help.pages.count(url.path().toStdString())) return false;
    Browser->setSource(url, QTextDocument::HtmlResource);
    return true;
}

std::string THelpfrm::currentPage() const { return Browser->source().path().toStdString(); }

void THelpfrm::linkClicked(const QUrl& url) {
    const QString scheme = url.scheme();
    if (scheme == "http" || scheme == "https" || scheme == "mailto") {
        sv::openLink(url.toString().toStdString());
        return;
    }
    if (url.path().isEmpty() && url.hasFragment()) {
        Browser->scrollToAnchor(url.fragment());
        return;
    }
    if (!showPage(url.toString().toStdString()))
        sv::ShowMessage("The help has no page " + url.toString().toStdString() + ".");
}

THelpfrm* showHelpContents(QWidget* owner, const std::string& exeDir) {
    // One help window for the main window; each "Contents" reads the file
    // again, so a help file put in place meanwhile is shown.
    static QPointer<THelpfrm> window;
    if (!window || window->parentWidget() != owner) {
        delete window.data();
        window = new THelpfrm(owner);
        window->setAttribute(Qt::WA_DeleteOnClose);
    }
    if (!window->loadHelp(exeDir + "sonvela.hlp")) {
        window->close();
        return nullptr;
    }
    window->Browser->clearHistory();
    window->showPage(sv::kHelpContentsPage);
    window->show();
    window->raise();
    window->activateWindow();
    return window;
}

bool helpOnlyCommandLine(const std::vector<std::string>& args) {
    return !args.empty() && args[0] == sv::kHelpSwitch;
}

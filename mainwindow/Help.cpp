#include "mainwindow/Help.h"

#include <QBuffer>
#include <QFile>
#include <QHBoxLayout>
#include <QImageReader>
#include <QPointer>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>
#include <utility>
#include <vector>

#include "mainwindow/Links.h"
#include "platform/prompts.h"

namespace {

// The bytes of a data: address ("data:image/png;base64,..."); false for
// one that is malformed or larger than a help picture may be.
bool dataAddressBytes(const QUrl& name, QByteArray& bytes) {
    const QByteArray text = name.toEncoded(QUrl::RemoveScheme);
    const qsizetype comma = text.indexOf(',');
    if (comma < 0 || text.size() - comma - 1 > HelpResources::kMostPictureBytes * 4 / 3 + 4) return false;
    const QByteArray payload = QByteArray::fromPercentEncoding(text.mid(comma + 1));
    if (text.left(comma).endsWith(";base64")) {
        auto decoded = QByteArray::fromBase64Encoding(payload);
        if (!decoded) return false;
        bytes = std::move(*decoded);
    } else {
        bytes = payload;
    }
    return bytes.size() <= HelpResources::kMostPictureBytes;
}

} // namespace

QImage HelpResources::picture(const QUrl& name) {
    QByteArray bytes;
    if (name.scheme() == "data") {
        if (!dataAddressBytes(name, bytes)) return QImage();
    } else if (name.scheme() == "qrc" || (name.scheme().isEmpty() && name.path().startsWith(":/"))) {
        QFile file(name.scheme() == "qrc" ? ":" + name.path() : name.path());
        if (!file.open(QIODevice::ReadOnly) || file.size() > kMostPictureBytes) return QImage();
        bytes = file.readAll();
    } else {
        return QImage();
    }
    // Only the plain picture formats (a vector picture may name files of
    // its own, and its size is whatever it asks for), and nothing is decoded
    // before the picture's own header says that it fits.
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    static const QList<QByteArray> plain{"png", "jpeg", "gif", "bmp"};
    if (!plain.contains(reader.format())) return QImage();
    const QSize size = reader.size();
    if (!size.isValid() || size.width() > kMostPictureSide || size.height() > kMostPictureSide ||
        qint64(size.width()) * size.height() > pixelsLeft_)
        return QImage();
    QImage image = reader.read();
    if (image.size() != size) return QImage();
    pixelsLeft_ -= qint64(size.width()) * size.height();
    return image;
}

QVariant HelpResources::load(int type, const QUrl& name) {
    if (type == QTextDocument::HtmlResource) {
        auto it = help_.pages.find(name.path().toStdString());
        return it != help_.pages.end() ? QString::fromStdString(it->second) : QString("");
    }
    if (type == QTextDocument::ImageResource) {
        QImage image = picture(name);
        if (image.isNull()) {
            // A blank picture: a null one would send Qt to the disk for it.
            image = QImage(1, 1, QImage::Format_ARGB32);
            image.fill(Qt::transparent);
        }
        return image;
    }
    return QByteArray("");
}

bool helpPageFits(const sv::HelpFile& help, const std::string& page, std::string& problem) {
    const QString html = QString::fromStdString(page);
    if (!sv::helpPageWithinLimits(html, problem)) return false;
    // Read as the window reads it, but not laid out: the text layout is
    // where a page beyond the limits does its harm.
    HelpDocument doc(help);
    doc.setHtml(html);
    return sv::helpDocumentWithinLimits(doc, problem);
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
    const std::string name = url.path().toStdString();
    auto it = Browser->help.pages.find(name);
    if (it == Browser->help.pages.end()) return false;
    std::string problem;
    if (!helpPageFits(Browser->help, it->second, problem)) {
        sv::ShowMessage("The help page " + name + " cannot be shown: " + problem + ".");
        return false;
    }
    Browser->resources.newPage();
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
    if (!Browser->help.pages.count(url.path().toStdString()))
        sv::ShowMessage("The help has no page " + url.toString().toStdString() + ".");
    else
        showPage(url.toString().toStdString());
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
    if (!window->showPage(sv::kHelpContentsPage)) {
        window->close();
        return nullptr;
    }
    window->show();
    window->raise();
    window->activateWindow();
    return window;
}

bool helpOnlyCommandLine(const std::vector<std::string>& args) {
    return !args.empty() && args[0] == sv::kHelpSwitch;
}

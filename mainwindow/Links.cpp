#include "mainwindow/Links.h"

#include <QDesktopServices>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

#include "dialogs/ParamDialog.h"
#include "platform/paths.h"
#include "platform/prompts.h"

namespace sv {

const char kMakerMail[] = "mailto:author@sonvela.example.org";
const char kMakerHomePage[] = "https://sonvela.example.org/";

const std::vector<OtherProgramLink>& otherProgramLinks() {
    static const std::vector<OtherProgramLink> links = {
        {"OtherProgram1", "Sound &Utilities", "https://sonvela.example.org/utilities/"},
        {"OtherProgram2", "&Picture Tools", "https://sonvela.example.org/pictures/"},
        {"OtherProgram3", "&Downloads", "https://sonvela.example.org/downloads/"},
    };
    return links;
}

namespace {

LinkOpener& opener() {
    static LinkOpener o;
    return o;
}

// Plain paths are local files; everything else is a URL as written.
QUrl toUrl(const std::string& link) {
    if (!link.empty() && link[0] == '/') return QUrl::fromLocalFile(QString::fromStdString(link));
    return QUrl(QString::fromStdString(link));
}

} // namespace

void setLinkOpener(LinkOpener o) { opener() = std::move(o); }

bool openLink(const std::string& url) {
    if (opener()) return opener()(url);
    return QDesktopServices::openUrl(toUrl(url));
}


} // namespace sv

namespace {

const std::vector<WebsiteEntry>& audioTable() {
    static const std::vector<WebsiteEntry> t = {
        {"Freesound", "https://freesound.org/", "A collaborative database of recorded sounds", 5},
        {"Xiph.Org", "https://xiph.org/", "Open audio formats and codecs", 5},
        {"FFmpeg", "https://ffmpeg.org/", "Libraries to record, convert and stream audio", 5},
        {"PortAudio", "https://www.portaudio.com/", "Portable audio input and output library", 4},
        {"The Scientist and Engineer's Guide to DSP", "https://www.dspguide.com/",
         "A free book on digital signal processing", 5},
        {"CCRMA", "https://ccrma.stanford.edu/", "Center for computer research in music and acoustics", 4},
        {"Audio Engineering Society", "https://www.aes.org/", "The professional society of audio engineers", 4},
        {"MIDI Association", "https://www.midi.org/", "Specifications of the musical instrument digital interface", 3},
        {"MusicBrainz", "https://musicbrainz.org/", "An open music encyclopedia", 4},
        {"LibriVox", "https://librivox.org/", "Free public domain audio books", 4},
        {"ccMixter", "https://ccmixter.org/", "Remixes and samples under open licences", 3},
        {"Internet Archive Audio", "https://archive.org/details/audio", "Free audio recordings and live concerts", 5},
        {"KVR Audio", "https://www.kvraudio.com/", "News and forums about audio plug-ins", 3},
        {"Sound On Sound", "https://www.soundonsound.com/", "Articles on recording technology", 4},
        {"Linux Audio", "https://linuxaudio.org/", "Audio and music on free operating systems", 3},
        {"ALSA Project", "https://www.alsa-project.org/", "The sound drivers of the Linux kernel", 3},
    };
    return t;
}

const std::vector<WebsiteEntry>& generalTable() {
    static const std::vector<WebsiteEntry> t = {
        {"Wikipedia", "https://www.wikipedia.org/", "The free encyclopedia", 5},
        {"World Wide Web Consortium", "https://www.w3.org/", "Standards of the web", 4},
        {"GNU Project", "https://www.gnu.org/", "Free software", 4},
        {"The Linux Kernel Archives", "https://www.kernel.org/", "Sources of the Linux kernel", 4},
        {"Qt", "https://www.qt.io/", "The toolkit of this program's windows", 4},
        {"Debian", "https://www.debian.org/", "The universal operating system", 5},
        {"OpenStreetMap", "https://www.openstreetmap.org/", "A free map of the world", 3},
    };
    return t;
}

QLabel* star(QWidget* parent) {
    auto* l = new QLabel(QString::fromUtf8("\u2605"), parent);
    l->setStyleSheet("color: #d4a000; font-size: 16px;");
    return l;
}

} // namespace

TWebsitesfrm::TWebsitesfrm(QWidget* owner) : QDialog(owner) {
    setWindowTitle("Websites");
    RadioGroup1 = new sv::RadioGroup("", {"&Audio Websites", "&General Websites"}, this);
    RadioGroup1->setItemIndex(0);
    ListBox1 = new QListWidget(this);
    comments = new QLabel(this);
    comments->setWordWrap(true);
    SpeedButton1 = new QPushButton("    &Visit !", this);
    SpeedButton1->setToolTip("Visit Website");
    SpeedButton2 = new QPushButton("&Exit", this);
    sv::makePlainButton(SpeedButton1);
    sv::makePlainButton(SpeedButton2);

    auto* stars = new QHBoxLayout;
    stars->addWidget(star(this));
    stars->addWidget(star(this));
    Image3 = star(this);
    Image4 = star(this);
    Image5 = star(this);
    stars->addWidget(Image3);
    stars->addWidget(Image4);
    stars->addWidget(Image5);
    stars->addStretch(1);

    auto* top = new QVBoxLayout(this);
    top->addWidget(RadioGroup1);
    top->addWidget(ListBox1, 1);
    auto* c = new QHBoxLayout;
    c->addWidget(new QLabel("Comments:", this));
    c->addWidget(comments, 1);
    top->addLayout(c);
    top->addLayout(stars);
    auto* row = new QHBoxLayout;
    row->addWidget(SpeedButton1);
    row->addStretch(1);
    row->addWidget(SpeedButton2);
    top->addLayout(row);

    connect(RadioGroup1, &sv::RadioGroup::clicked, this, [this](int) { RadioGroup1Click(); });
    connect(ListBox1, &QListWidget::itemClicked, this, [this] { ListBox1Click(); });
    connect(ListBox1, &QListWidget::currentRowChanged, this, [this] { ListBox1Click(); });
    connect(SpeedButton1, &QPushButton::clicked, this, [this] { SpeedButton1Click(); });
    connect(SpeedButton2, &QPushButton::clicked, this, [this] { SpeedButton2Click(); });

    audioSites = audioTable();
    generalSites = generalTable();
    showEntry(audioSites.front());
    fillList();
}

const std::vector<WebsiteEntry>& TWebsitesfrm::chosenTable() const {
    return RadioGroup1->ItemIndex() == 0 ? audioSites : generalSites;
}

void TWebsitesfrm::fillList() {
    const QSignalBlocker block(ListBox1);
    ListBox1->clear();
    for (const WebsiteEntry& e : chosenTable()) ListBox1->addItem(QString::fromStdString(e.name));
    ListBox1->setCurrentRow(-1);
}

void TWebsitesfrm::showEntry(const WebsiteEntry& e) {
    comments->setText(QString::fromStdString(e.comment));
    Image3->setVisible(e.rating > 2);
    Image4->setVisible(e.rating > 3);
    Image5->setVisible(e.rating > 4);
}

void TWebsitesfrm::RadioGroup1Click() {
    fillList();
    {
        const QSignalBlocker block(ListBox1);
        ListBox1->setCurrentRow(0);
    }
    ListBox1Click();
}

void TWebsitesfrm::ListBox1Click() {
    const int row = ListBox1->currentRow();
    const auto& table = chosenTable();
    if (row < 0 || row >= int(table.size())) return;
    showEntry(table[size_t(row)]);
}

void TWebsitesfrm::SpeedButton1Click() {
    const int row = ListBox1->currentRow();
    const auto& table = chosenTable();
    if (row < 0 || row >= int(table.size())) return;
    sv::openLink(table[size_t(row)].url);
}

void TWebsitesfrm::SpeedButton2Click() { done(sv::mrOk); }

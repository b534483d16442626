// Web links and mail: the maker's addresses, the opener every link goes
// through, and the dialog with the two lists of web sites.
#pragma once
#include <QDialog>
#include <functional>
#include <string>
#include <vector>

class QLabel;
class QListWidget;
class QPushButton;
namespace sv { class RadioGroup; }

namespace sv {

// The maker's addresses, used by the about box and the Help menu.
extern const char kMakerMail[];       // a "mailto:" link
extern const char kMakerHomePage[];

// A page about another program of the same maker: its menu caption and URL.
struct OtherProgramLink {
    const char* itemName;
    const char* caption;
    const char* url;
};
const std::vector<OtherProgramLink>& otherProgramLinks();

// Opens a web or mail link with the desktop's application for it; false
// when the desktop could not. Tests replace the opener so that no browser
// or mail program ever starts; null restores the desktop's.
using LinkOpener = std::function<bool(const std::string& url)>;
void setLinkOpener(LinkOpener opener);
bool openLink(const std::string& url);

} // namespace sv

struct WebsiteEntry {
    std::string name;
    std::string url;
    std::string comment;
    int32_t rating;   // stars, 3 .. 5
};

// "Websites": a list of audio sites and one of general sites, with a
// comment and a star rating for the selected one.
class TWebsitesfrm : public QDialog {
    Q_OBJECT
public:
    explicit TWebsitesfrm(QWidget* owner);

    sv::RadioGroup* RadioGroup1 = nullptr;   // "&Audio Websites" / "&General Websites"
    QListWidget* ListBox1 = nullptr;
    QLabel* comments = nullptr;
    QLabel* Image3 = nullptr;                 // third, fourth and fifth star
    QLabel* Image4 = nullptr;
    QLabel* Image5 = nullptr;
    QPushButton* SpeedButton1 = nullptr;      // visit
    QPushButton* SpeedButton2 = nullptr;      // exit

    std::vector<WebsiteEntry> audioSites;     // 16
    std::vector<WebsiteEntry> generalSites;   // 7

    void RadioGroup1Click();
    void ListBox1Click();
    void SpeedButton1Click();
    void SpeedButton2Click();

    // The table the radio group chooses.
    const std::vector<WebsiteEntry>& chosenTable() const;

private:
    void fillList();
    void showEntry(const WebsiteEntry& e);
};

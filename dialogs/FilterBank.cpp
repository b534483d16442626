#include "dialogs/FilterBank.h"

#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include "dialogs/ParamDialog.h"

TFilterBankfrm* FilterBankfrm = nullptr;

namespace {
const char* const kCancelled = "cancelat";
} // namespace

TFilterBankfrm::TFilterBankfrm(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Digital filter bank"));
    setModal(true);
    ListBox1 = new QListWidget(this);
    ListBox1->addItems({"1.-Low pass filter 2 K", "2.-Low pass filter 5K", "3.-Low pass filter 10 K",
                        "4.-High pass filter 60 Hz", "5.-High pass filter 100Hz", "6.-High pass filter 1 K",
                        "7.-Band pass filter 100-5K", "8.-Bass Boost", "9.-Bass Cut", "10.-Treble Boost",
                        "11.-Treble Cut", "12.-High Boost", "13.-High Cut"});
    sv::makeOkCancel(this, Button1, Button2);
    auto* top = new QVBoxLayout(this);
    top->addWidget(ListBox1);
    top->addLayout(sv::makeButtonRow(Button1, Button2));

    connect(ListBox1, &QListWidget::itemClicked, this, [this](QListWidgetItem* it) { ListBox1Click(ListBox1->row(it)); });
    // The keyboard moves the choice as a click does.
    connect(ListBox1, &QListWidget::currentRowChanged, this, [this](int row) {
        if (ListBox1->hasFocus()) ListBox1Click(row);
    });
    connect(ListBox1, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem* it) {
        ListBox1Click(ListBox1->row(it));
        Button1Click();
    });
    connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
    connect(Button2, &QPushButton::clicked, this, [this] { Button2Click(); });
}

void TFilterBankfrm::mostrar_form(int32_t& low, int32_t& high, std::string& keyword) {
    prepare();
    const int result = sv::showModal(*this);
    conclude(result, low, high, keyword);
}

void TFilterBankfrm::prepare() {
    Keyword = kCancelled;
    const QSignalBlocker block(ListBox1);
    ListBox1->setCurrentRow(0);
}

void TFilterBankfrm::conclude(int result, int32_t& low, int32_t& high, std::string& keyword) {
    // Escape or the frame's close button after a click is a Cancel too: it
    // must not run the filter that was clicked.
    if (result != sv::mrOk) Keyword = kCancelled;
    low = Low;
    high = High;
    keyword = Keyword;
}

void TFilterBankfrm::ListBox1Click(int index) {
    static const int32_t kLowPass[] = {2000, 5000, 10000};
    static const int32_t kHighPass[] = {60, 100, 1000};
    static const char* const kShelves[] = {"r_bass", "s_bass", "r_treble", "s_treble", "r_hight", "s_hight"};
    if (index >= 0 && index <= 2) {
        Keyword = "paso_bajo";
        High = kLowPass[index];
    } else if (index >= 3 && index <= 5) {
        Keyword = "paso_alto";
        Low = kHighPass[index - 3];
    } else if (index == 6) {
        Keyword = "paso_banda";
    } else if (index >= 7 && index <= 12) {
        Keyword = kShelves[index - 7];
    }
}

void TFilterBankfrm::Button1Click() {
    if (Keyword == kCancelled) {
        Keyword = "paso_bajo";
        High = 2000;
    }
    done(sv::mrOk);
}

void TFilterBankfrm::Button2Click() {
    Keyword = kCancelled;
    done(sv::mrCancel);
}

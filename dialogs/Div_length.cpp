#include "dialogs/Div_length.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QStatusBar>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <climits>

#include "dialogs/Div_Length_Add.h"
#include "dialogs/wave_tool_ui.h"
#include "platform/qt/qt_prompts.h"

using namespace sv;

TDiv_Length_frm::TDiv_Length_frm(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Divide File in Tracks by Length"));
    OpenDialog1 = waveSourceRequest();
    auto* top = new QVBoxLayout(this);
    top->addLayout(makeSourceRow(this, Label1, Edit1, SpeedButton1));

    auto* listRow = new QHBoxLayout;
    Label3 = new QLabel(QStringLiteral("&Track List :"), this);
    SpeedButton3 = makeSpeedButton(this, "&Add");
    SpeedButton4 = makeSpeedButton(this, "&Delete");
    listRow->addWidget(Label3);
    listRow->addStretch();
    listRow->addWidget(SpeedButton3);
    listRow->addWidget(SpeedButton4);
    top->addLayout(listRow);
    list = new QTreeWidget(this);
    list->setColumnCount(2);
    list->setHeaderLabels({QStringLiteral("Track Title"), QStringLiteral("Track Length (secs).")});
    list->setRootIsDecorated(false);
    list->setSelectionBehavior(QAbstractItemView::SelectRows);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setStyleSheet(QStringLiteral("QTreeView::item { border: 1px solid #d0d0d0; }"));
    Label3->setBuddy(list);
    top->addWidget(list, 1);

    top->addLayout(makeDivideRow(this, button1, SpeedButton2));
    StatusBar1 = makeToolStatusBar(this);
    top->addWidget(StatusBar1);

    connect(SpeedButton1, &QToolButton::clicked, this, [this] { SpeedButton1Click(); });
    connect(SpeedButton3, &QToolButton::clicked, this, [this] { SpeedButton3Click(); });
    connect(SpeedButton4, &QToolButton::clicked, this, [this] { SpeedButton4Click(); });
    connect(button1, &QPushButton::clicked, this, [this] { button1Click(); });
    connect(SpeedButton2, &QToolButton::clicked, this, [this] { SpeedButton2Click(); });
}

bool TDiv_Length_frm::showAddForm(TDiv_Length_Add_frm& form) { return form.exec() == QDialog::Accepted; }

void TDiv_Length_frm::SpeedButton1Click() {
    if (!browseInto(OpenDialog1, Edit1)) return;
    WaveLength length;
    try {
        length = waveLength(ss(Edit1->text()));
    } catch (const WaveToolError&) {
        ShowMessage(wavetext::kOpenError);
        return;
    }
    MaxSeconds = static_cast<int32_t>(std::min<int64_t>(length.seconds, INT32_MAX));
    StatusBar1->showMessage(QString::number(length.dataBytes) + " Bytes. - " + QString::number(MaxSeconds) +
                            " Seconds.");
}

std::vector<TrackLength> TDiv_Length_frm::tracks() const {
    std::vector<TrackLength> out;
    for (int i = 0; i < list->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* item = list->topLevelItem(i);
        out.push_back({ss(item->text(0)), item->text(1).toLongLong()});
    }
    return out;
}

void TDiv_Length_frm::SpeedButton3Click() {
    TDiv_Length_Add_frm form(this);
    if (!showAddForm(form)) return;
    int64_t sum = 0;
    for (const TrackLength& t : tracks()) sum += t.seconds;
    const int64_t room = int64_t(MaxSeconds) - sum;
    const auto toSpin = [](int64_t v) { return int(std::clamp<int64_t>(v, INT_MIN, INT_MAX)); };
    // Each check offers the form once more with what still fits; the list
    // itself is checked against the file again before dividing.
    if (MaxSeconds < sum + form.SpinEdit1->value()) {
        ShowMessage(wavetext::kTracksTooLong);
        form.SpinEdit1->setValue(toSpin(room));
        if (!showAddForm(form)) return;
    }
    if (form.SpinEdit1->value() == 0) {
        ShowMessage(wavetext::kTrackLength);
        form.SpinEdit1->setValue(toSpin(room));
        if (!showAddForm(form)) return;
    }
    auto* item = new QTreeWidgetItem(list);
    item->setText(0, form.TrackNameEdit->text());
    item->setText(1, QString::number(form.SpinEdit1->value()));
}

void TDiv_Length_frm::SpeedButton4Click() {
    const QList<QTreeWidgetItem*> selected = list->selectedItems();
    if (selected.isEmpty()) {
        ShowMessage("Please select a Track to delete");
        return;
    }
    delete selected.front();
}

void TDiv_Length_frm::button1Click() {
    const std::vector<TrackLength> t = tracks();
    if (t.empty()) {
        ShowMessage(wavetext::kEmptyTrackList);
        return;
    }
    const std::string path = ss(Edit1->text());
    runSplitJob([&] { splitByLengths(path, t, tracksGenerated(StatusBar1)); });
}

void TDiv_Length_frm::SpeedButton2Click() { reject(); }

namespace sv {
void runDivLength(QWidget* parent) {
    TDiv_Length_frm form(parent);
    form.exec();
}
} // namespace sv

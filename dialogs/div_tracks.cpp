#include "dialogs/div_tracks.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QStatusBar>
#include <QToolButton>
#include <QVBoxLayout>

#include "dialogs/ParamDialog.h"
#include "dialogs/wave_split.h"
#include "dialogs/wave_tool_ui.h"
#include "platform/qt/qt_prompts.h"

using namespace sv;

Tdiv_tracksfrm::Tdiv_tracksfrm(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Divide File in Tracks by Silences"));
    OpenDialog1 = waveSourceRequest();
    auto* top = new QVBoxLayout(this);
    top->addLayout(makeSourceRow(this, Label1, Edit1, SpeedButton1));

    auto* grid = new QGridLayout;
    Label3 = new QLabel(QStringLiteral("&Threshold :"), this);
    TrackBar1 = makeTrackBar(this, 0, 100, 10, 10);
    Label4 = new QLabel(QStringLiteral("10%"), this);
    Label3->setBuddy(TrackBar1);
    grid->addWidget(Label3, 0, 0);
    grid->addWidget(TrackBar1, 0, 1);
    grid->addWidget(Label4, 0, 2);
    Label6 = new QLabel(QStringLiteral("&Silence Length (secs) :"), this);
    TrackBar2 = makeTrackBar(this, 0, 10, 1, 2);
    Label7 = new QLabel(QStringLiteral("2\""), this);
    Label6->setBuddy(TrackBar2);
    grid->addWidget(Label6, 1, 0);
    grid->addWidget(TrackBar2, 1, 1);
    grid->addWidget(Label7, 1, 2);
    top->addLayout(grid);

    top->addLayout(makeDivideRow(this, button1, SpeedButton2));
    StatusBar1 = makeToolStatusBar(this);
    top->addWidget(StatusBar1);

    connect(SpeedButton1, &QToolButton::clicked, this, [this] { SpeedButton1Click(); });
    connect(TrackBar1, &QSlider::valueChanged, this, [this] { TrackBar1Change(); });
    connect(TrackBar2, &QSlider::valueChanged, this, [this] { TrackBar2Change(); });
    connect(button1, &QPushButton::clicked, this, [this] { button1Click(); });
    connect(SpeedButton2, &QToolButton::clicked, this, [this] { SpeedButton2Click(); });
}

void Tdiv_tracksfrm::SpeedButton1Click() { browseInto(OpenDialog1, Edit1); }

void Tdiv_tracksfrm::TrackBar1Change() { Label4->setText(QString::number(TrackBar1->value()) + "%"); }

void Tdiv_tracksfrm::TrackBar2Change() {
    if (TrackBar2->value() == 0) {
        {
            const QSignalBlocker block(TrackBar2);
            TrackBar2->setValue(1);
        }
        ShowMessage(wavetext::kSilenceLength);
    }
    Label7->setText(QString::number(TrackBar2->value()) + "\"");
}

void Tdiv_tracksfrm::button1Click() {
    const std::string path = ss(Edit1->text());
    const int threshold = TrackBar1->value();
    const int seconds = TrackBar2->value();
    runSplitJob([&] { splitAtSilences(path, threshold, seconds, tracksGenerated(StatusBar1)); });
}

void Tdiv_tracksfrm::SpeedButton2Click() { reject(); }

namespace sv {
void runDivTracks(QWidget* parent) {
    Tdiv_tracksfrm form(parent);
    form.exec();
}
} // namespace sv

#include "dialogs/Resample.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "dialogs/ParamDialog.h"
#include "platform/prompts.h"

TResamplefrm* Resamplefrm = nullptr;

namespace {
const char* const kRates[] = {"11025", "22050", "44100", "Other"};
} // namespace

TResamplefrm::TResamplefrm(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Resample Wave"));
    setModal(true);
    Panel1 = new QLabel(this);
    Panel2 = new QLabel(this);
    Panel3 = new QLabel(this);
    // The panels have room for the widest value each shows.
    const char* widest[] = {"16", "192000", "Stereo"};
    int i = 0;
    for (QLabel* p : {Panel1, Panel2, Panel3}) {
        p->setFrameShape(QFrame::Panel);
        p->setMinimumWidth(p->fontMetrics().horizontalAdvance(QString::fromLatin1(widest[i++])) + 8);
    }
    ComboBox1 = new QComboBox(this);
    ComboBox1->addItems({QStringLiteral("8"), QStringLiteral("16")});
    ComboBox2 = new QComboBox(this);
    // "Other - " and a typed rate replace the fourth item: the box keeps
    // room for the longest rate a user may type.
    ComboBox2->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    ComboBox2->setMinimumContentsLength(QStringLiteral("Other - 1000000").size());
    ComboBox3 = new QComboBox(this);
    ComboBox3->addItems({QStringLiteral("Mono"), QStringLiteral("Stereo")});
    sv::makeOkCancel(this, Button1, Button2);

    auto* grid = new QGridLayout;
    grid->addWidget(new QLabel(QStringLiteral("Actual:"), this), 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("Final:"), this), 0, 2);
    const struct { const char* caption; QLabel* panel; QComboBox* box; } rows[] = {
        {"&Bits per sample:", Panel1, ComboBox1},
        {"&Sample frequency:", Panel2, ComboBox2},
        {"&Number of channels:", Panel3, ComboBox3},
    };
    int row = 1;
    for (const auto& r : rows) {
        auto* caption = new QLabel(QString::fromLatin1(r.caption), this);
        caption->setBuddy(r.box);
        grid->addWidget(caption, row, 0);
        grid->addWidget(r.panel, row, 1);
        grid->addWidget(r.box, row, 2);
        ++row;
    }
    auto* top = new QVBoxLayout(this);
    top->addLayout(grid);
    top->addLayout(sv::makeButtonRow(Button1, Button2));

    connect(ComboBox1, &QComboBox::activated, this, [this] { ComboBox1Change(); });
    connect(ComboBox2, &QComboBox::activated, this, [this] { ComboBox2Change(); });
    connect(ComboBox3, &QComboBox::activated, this, [this] { ComboBox3Change(); });
    connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
    connect(Button2, &QPushButton::clicked, this, [this] { Button2Click(); });
}

void TResamplefrm::mostrar_form(int32_t bits, int32_t rate, int32_t channels, uint8_t& cancelled,
                                sv::SampleFormat& format) {
    prepare(bits, rate, channels);
    if (sv::showModal(*this) != sv::mrOk) Cancelled = 1;
    cancelled = Cancelled;
    format = Format;
}

void TResamplefrm::prepare(int32_t bits, int32_t rate, int32_t channels) {
    ComboBox2->clear();
    for (const char* r : kRates) ComboBox2->addItem(QString::fromLatin1(r));
    Format = sv::SampleFormat{};
    Format.wFormatTag = sv::kFormatPcm;
    Format.nChannels = uint16_t(channels);
    Format.nSamplesPerSec = uint32_t(rate);
    Format.wBitsPerSample = uint16_t(bits);
    Format.nBlockAlign = uint16_t(bits * channels / 8);
    Format.nAvgBytesPerSec = uint32_t(rate) * Format.nBlockAlign;
    Format.cbSize = 0;
    Panel1->setText(QString::number(bits));
    Panel2->setText(QString::number(rate));
    Panel3->setText(channels == 2 ? QStringLiteral("Stereo") : QStringLiteral("Mono"));
    ComboBox1->setCurrentIndex(bits == 16 ? 1 : 0);
    const int rateRow = ComboBox2->findText(QString::number(rate));
    if (rateRow >= 0) {
        ComboBox2->setCurrentIndex(rateRow);
    } else {
        // A rate not in the list is shown without choosing an item.
        ComboBox2->setPlaceholderText(QString::number(rate));
        ComboBox2->setCurrentIndex(-1);
    }
    ComboBox3->setCurrentIndex(channels == 2 ? 1 : 0);
    Cancelled = 1;
}

void TResamplefrm::recompute() {
    Format.nBlockAlign = uint16_t(Format.nChannels * (Format.wBitsPerSample / 8));
    Format.nAvgBytesPerSec = Format.nBlockAlign * Format.nSamplesPerSec;
}

void TResamplefrm::ComboBox1Change() {
    Format.wBitsPerSample = ComboBox1->currentIndex() == 1 ? 16 : 8;
    recompute();
}

void TResamplefrm::ComboBox2Change() {
    const int i = ComboBox2->currentIndex();
    if (i < 0) return;
    if (i < 3) {
        Format.nSamplesPerSec = uint32_t(ComboBox2->itemText(i).toUInt());
    } else {
        std::string text = "11025";
        uint32_t rate = 11025;
        if (sv::prompts().inputQuery("Resample", "Please enter the new &Frequency:", text)) {
            bool ok = false;
            const int v = QString::fromStdString(text).trimmed().toInt(&ok);
            // Only a positive rate can be played or converted to.
            rate = ok && v > 0 ? uint32_t(v) : 11025;
        }
        Format.nSamplesPerSec = rate;
        ComboBox2->setItemText(3, QStringLiteral("Other - ") + QString::number(rate));
        ComboBox2->setCurrentIndex(3);
    }
    recompute();
}

void TResamplefrm::ComboBox3Change() {
    Format.nChannels = ComboBox3->currentIndex() == 1 ? 2 : 1;
    recompute();
}

void TResamplefrm::Button1Click() {
    Cancelled = 0;
    done(sv::mrOk);
}

void TResamplefrm::Button2Click() {
    Cancelled = 1;
    done(sv::mrCancel);
}

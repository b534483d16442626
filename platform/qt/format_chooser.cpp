#include "platform/qt/format_chooser.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <cstring>

#include "platform/codec/codec.h"

namespace sv {

namespace {
std::function<int(FormatChooserDialog&)> g_driver;
}

void setFormatChooserDriver(std::function<int(FormatChooserDialog&)> driver) { g_driver = std::move(driver); }

FormatChooserDialog::FormatChooserDialog(const FormatChooseRequest& req, QWidget* parent) : QDialog(parent) {
    setWindowTitle(QString::fromStdString(req.title.empty() ? std::string("Sound Selection") : req.title));
    setModal(true);

    // Tags in driver order, each with the formats the request allows.
    codec::formatEnum(0, 0, req.enumFlags, [&](const codec::EnumeratedFormat& e) {
        const uint16_t tag = codec::readFields(e.record.data()).formatTag;
        size_t i = 0;
        while (i < tags_.size() && tags_[i] != tag) ++i;
        if (i == tags_.size()) {
            tags_.push_back(tag);
            formats_.emplace_back();
        }
        formats_[i].push_back(Entry{e.description, e.record});
        return true;
    });

    Label1 = new QLabel(tr("&Format:"), this);
    FormatTagBox = new QComboBox(this);
    Label1->setBuddy(FormatTagBox);
    Label2 = new QLabel(tr("&Attributes:"), this);
    AttributesBox = new QComboBox(this);
    Label2->setBuddy(AttributesBox);
    for (uint16_t tag : tags_) {
        codec::FormatTagDetails d;
        codec::formatTagDetails(tag, d);
        FormatTagBox->addItem(QString::fromStdString(d.name), tag);
    }
    Buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(Buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(Buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* grid = new QGridLayout;
    grid->addWidget(Label1, 0, 0);
    grid->addWidget(FormatTagBox, 0, 1);
    grid->addWidget(Label2, 1, 0);
    grid->addWidget(AttributesBox, 1, 1);
    grid->setColumnStretch(1, 1);
    auto* box = new QVBoxLayout(this);
    box->addLayout(grid);
    box->addWidget(Buttons);
    AttributesBox->setMinimumContentsLength(32);

    fillFormats();
    connect(FormatTagBox, qOverload<int>(&QComboBox::currentIndexChanged), this, [this](int) { fillFormats(); });
    if ((req.style & kChooseInitToFormat) && req.format && req.formatSize >= codec::kFormatHeaderSize)
        startAt(req.format);
    Buttons->button(QDialogButtonBox::Ok)->setEnabled(!tags_.empty());
}

void FormatChooserDialog::fillFormats() {
    AttributesBox->clear();
    const int t = FormatTagBox->currentIndex();
    if (t < 0 || static_cast<size_t>(t) >= formats_.size()) return;
    for (const Entry& e : formats_[static_cast<size_t>(t)]) AttributesBox->addItem(QString::fromStdString(e.description));
}

// The given format when it is listed; else the first format of its tag with
// its rate and channels; else the first of its tag; else the first listed.
void FormatChooserDialog::startAt(const uint8_t* format) {
    const codec::FormatFields want = codec::readFields(format);
    if (!selectTag(want.formatTag)) return;
    const auto& list = formats_[static_cast<size_t>(FormatTagBox->currentIndex())];
    const uint32_t size = codec::recordSize(format);
    int shapeMatch = -1;
    for (size_t i = 0; i < list.size(); ++i) {
        const auto& r = list[i].record;
        if (r.size() == size && std::memcmp(r.data(), format, size) == 0) {
            AttributesBox->setCurrentIndex(static_cast<int>(i));
            return;
        }
        const codec::FormatFields f = codec::readFields(r.data());
        if (shapeMatch < 0 && f.samplesPerSec == want.samplesPerSec && f.channels == want.channels &&
            (want.formatTag != codec::kTagPcm || f.bitsPerSample == want.bitsPerSample))
            shapeMatch = static_cast<int>(i);
    }
    if (shapeMatch >= 0) AttributesBox->setCurrentIndex(shapeMatch);
}

std::vector<std::string> FormatChooserDialog::tagNames() const {
    std::vector<std::string> out;
    for (int i = 0; i < FormatTagBox->count(); ++i) out.push_back(FormatTagBox->itemText(i).toStdString());
    return out;
}

std::vector<std::string> FormatChooserDialog::formatNames() const {
    std::vector<std::string> out;
    for (int i = 0; i < AttributesBox->count(); ++i) out.push_back(AttributesBox->itemText(i).toStdString());
    return out;
}

bool FormatChooserDialog::selectTag(uint16_t tag) {
    for (size_t i = 0; i < tags_.size(); ++i)
        if (tags_[i] == tag) {
            FormatTagBox->setCurrentIndex(static_cast<int>(i));
            return true;
        }
    return false;
}

bool FormatChooserDialog::selectFormat(const std::string& description) {
    const int i = AttributesBox->findText(QString::fromStdString(description));
    if (i < 0) return false;
    AttributesBox->setCurrentIndex(i);
    return true;
}

uint16_t FormatChooserDialog::selectedTag() const {
    const int t = FormatTagBox->currentIndex();
    return t < 0 ? 0 : tags_[static_cast<size_t>(t)];
}

std::vector<uint8_t> FormatChooserDialog::chosenFormat() const {
    const int t = FormatTagBox->currentIndex(), f = AttributesBox->currentIndex();
    if (t < 0 || f < 0) return {};
    return formats_[static_cast<size_t>(t)][static_cast<size_t>(f)].record;
}

std::unique_ptr<FormatChooserDialog> buildFormatChooser(const FormatChooseRequest& req) {
    return std::make_unique<FormatChooserDialog>(req, req.owner);
}

int formatChoose(FormatChooseRequest& req) {
    if (!req.format || req.formatSize < codec::kFormatHeaderSize) return codec::kErrInvalidParam;
    if ((req.enumFlags & codec::kEnumInput) && (req.enumFlags & codec::kEnumOutput)) return codec::kErrInvalidFlag;
    if (req.enumFlags & ~(codec::kEnumInput | codec::kEnumOutput)) return codec::kErrInvalidFlag;
    auto dlg = buildFormatChooser(req);
    if (!dlg->hasFormats()) return codec::kErrNoDriver;
    const int result = g_driver ? g_driver(*dlg) : dlg->exec();
    if (result == QDialog::Rejected) return codec::kErrCanceled;
    if (result != QDialog::Accepted) return result;
    const std::vector<uint8_t> chosen = dlg->chosenFormat();
    if (chosen.empty()) return codec::kErrCanceled;
    if (chosen.size() > req.formatSize) return codec::kErrInvalidParam;
    std::memcpy(req.format, chosen.data(), chosen.size());
    std::memset(req.format + chosen.size(), 0, req.formatSize - chosen.size());
    return codec::kOk;
}

} // namespace sv

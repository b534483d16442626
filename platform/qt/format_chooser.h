// The format chooser: a dialog listing the format tags and formats the codec
// drivers offer, starting at a given format. formatChoose() is the modal
// entry; tests build the dialog with buildFormatChooser() or install a
// driver that picks an entry instead of running the modal loop.
#pragma once
#include <QDialog>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class QComboBox;
class QDialogButtonBox;
class QLabel;

namespace sv {

// Starts the dialog at the format it is given rather than at the first one.
constexpr uint32_t kChooseInitToFormat = 0x40;

struct FormatChooseRequest {
    std::string title;
    uint8_t* format = nullptr;    // in: the starting format; out: the chosen one
    uint32_t formatSize = 0;      // room at `format`; the chosen record and zeros fill it
    uint32_t style = 0;           // kChooseInitToFormat
    uint32_t enumFlags = 0;       // 0, codec::kEnumInput or codec::kEnumOutput
    QWidget* owner = nullptr;
};

// Runs the chooser modally. codec::kOk when a format was chosen and stored,
// codec::kErrCanceled when the user cancelled, another result code when the
// request cannot be served (no room for a format, bad flags, nothing to offer).
int formatChoose(FormatChooseRequest& req);

class FormatChooserDialog : public QDialog {
    Q_OBJECT
public:
    FormatChooserDialog(const FormatChooseRequest& req, QWidget* parent = nullptr);

    QLabel* Label1 = nullptr;            // "Format:"
    QComboBox* FormatTagBox = nullptr;
    QLabel* Label2 = nullptr;            // "Attributes:"
    QComboBox* AttributesBox = nullptr;
    QDialogButtonBox* Buttons = nullptr;

    // True when the drivers offer at least one format for the request.
    bool hasFormats() const { return !tags_.empty(); }
    std::vector<std::string> tagNames() const;
    // Descriptions of the formats of the selected tag, in list order.
    std::vector<std::string> formatNames() const;
    bool selectTag(uint16_t tag);
    bool selectFormat(const std::string& description);
    uint16_t selectedTag() const;
    // The record of the selected format (empty when none).
    std::vector<uint8_t> chosenFormat() const;

private:
    struct Entry {
        std::string description;
        std::vector<uint8_t> record;
    };
    void fillFormats();
    void startAt(const uint8_t* format);

    std::vector<uint16_t> tags_;
    std::vector<std::vector<Entry>> formats_;   // per tag, in tags_ order
};

std::unique_ptr<FormatChooserDialog> buildFormatChooser(const FormatChooseRequest& req);

// Tests: called with the built dialog in place of exec(). It returns
// QDialog::Accepted or QDialog::Rejected as the user would; any other value
// is passed on as the chooser's result code, to stand for a failing chooser.
// An empty function restores the modal loop.
void setFormatChooserDriver(std::function<int(FormatChooserDialog&)> driver);

} // namespace sv

#include "installer/setup_prompts.h"

#include <QApplication>
#include <QMessageBox>

#include "platform/prompts.h"

namespace sv {

namespace {

class SetupPrompts : public Prompts {
public:
    int messageBox(const std::string& caption, const std::string& text, Buttons, Icon icon) override {
        QMessageBox box(QApplication::activeWindow());
        box.setWindowTitle(QString::fromStdString(caption));
        box.setText(QString::fromStdString(text));
        switch (icon) {
        case Icon::Information: box.setIcon(QMessageBox::Information); break;
        case Icon::Warning: box.setIcon(QMessageBox::Warning); break;
        case Icon::Error: box.setIcon(QMessageBox::Critical); break;
        case Icon::Question: box.setIcon(QMessageBox::Question); break;
        case Icon::None: break;
        }
        box.setStandardButtons(QMessageBox::Ok);
        box.exec();
        return mrOk;
    }
    FileDialogResult openDialog(const FileDialogRequest&) override { return {}; }
    FileDialogResult saveDialog(const FileDialogRequest&) override { return {}; }
    bool inputQuery(const std::string&, const std::string&, std::string&) override { return false; }
    bool chooseColor(uint32_t&) override { return false; }
};

} // namespace

void installSetupPrompts() { setPrompts(std::make_unique<SetupPrompts>()); }

} // namespace sv

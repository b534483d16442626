#include "platform/prompts.h"

#include <cstdio>

namespace sv {

namespace {
// Used only when nothing was installed (a command-line tool, a test that
// forgot its responder): answers like a user who cancels everything.
class NullPrompts : public Prompts {
public:
    int messageBox(const std::string& caption, const std::string& text, Buttons b, Icon) override {
        std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
        switch (b) {
        case Buttons::Ok: return mrOk;
        case Buttons::OkCancel: return mrCancel;
        case Buttons::YesNo: return mrNo;
        case Buttons::YesNoCancel: return mrCancel;
        }
        return mrCancel;
    }
    FileDialogResult openDialog(const FileDialogRequest&) override { return {}; }
    FileDialogResult saveDialog(const FileDialogRequest&) override { return {}; }
    bool inputQuery(const std::string&, const std::string&, std::string&) override { return false; }
    bool chooseColor(uint32_t&) override { return false; }
};

std::unique_ptr<Prompts>& slot() {
    static std::unique_ptr<Prompts> p = std::make_unique<NullPrompts>();
    return p;
}
} // namespace

Prompts& prompts() { return *slot(); }

std::unique_ptr<Prompts> setPrompts(std::unique_ptr<Prompts> p) {
    auto old = std::move(slot());
    slot() = p ? std::move(p) : std::make_unique<NullPrompts>();
    return old;
}

const std::string& applicationTitle() {
    static const std::string title = "Sonvela";
    return title;
}

void ShowMessage(const std::string& text) {
    prompts().messageBox(applicationTitle(), text, Buttons::Ok, Icon::None);
}

bool askYesNo(const std::string& caption, const std::string& text, Icon icon) {
    return prompts().messageBox(caption, text, Buttons::YesNo, icon) == mrYes;
}

} // namespace sv

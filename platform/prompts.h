// Every question and message the program puts to the user goes through this
// interface: message boxes, open and save dialogs, the one-line input box and
// the colour dialog. The program installs Qt dialogs; tests install a
// scripted responder so that nothing ever blocks on a modal window.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace sv {

// Modal results as the forms and message boxes return them.
enum ModalResult { mrNone = 0, mrOk = 1, mrCancel = 2, mrAbort = 3, mrRetry = 4, mrIgnore = 5, mrYes = 6, mrNo = 7 };

enum class Buttons { Ok, OkCancel, YesNo, YesNoCancel };
enum class Icon { None, Information, Warning, Error, Question };

struct FileDialogRequest {
    std::string title;
    // Pairs "description|pattern|description|pattern", patterns separated by ';'.
    std::string filter;
    int filterIndex = 1;          // 1-based, as the dialogs count them
    std::string initialDir;
    std::string fileName;         // preset name
    std::string defaultExt;       // without the dot
    bool multiSelect = false;
};

struct FileDialogResult {
    bool accepted = false;
    std::string fileName;
    std::vector<std::string> fileNames;  // with multiSelect
    int filterIndex = 1;
};

class Prompts {
public:
    virtual ~Prompts() = default;
    virtual int messageBox(const std::string& caption, const std::string& text, Buttons buttons, Icon icon) = 0;
    virtual FileDialogResult openDialog(const FileDialogRequest& req) = 0;
    // Never asks about replacing a file: callers ask their own question.
    virtual FileDialogResult saveDialog(const FileDialogRequest& req) = 0;
    // The one-line input box; false when cancelled.
    virtual bool inputQuery(const std::string& caption, const std::string& prompt, std::string& value) = 0;
    // Colour in 0x00BBGGRR; false when cancelled.
    virtual bool chooseColor(uint32_t& color) = 0;
};

Prompts& prompts();
// Takes ownership; returns the previous responder.
std::unique_ptr<Prompts> setPrompts(std::unique_ptr<Prompts> p);

// The application's title, used as the caption of plain messages.
const std::string& applicationTitle();

// A plain message with an OK button and the application's title.
void ShowMessage(const std::string& text);
// Yes/No question; true for Yes.
bool askYesNo(const std::string& caption, const std::string& text, Icon icon = Icon::Question);

} // namespace sv

// A prompt responder for tests: records every prompt and gives the next
// scripted answer. A prompt with no answer left fails the test instead of
// blocking on a modal window.
#pragma once
#include <deque>
#include <string>
#include <vector>

#include "platform/prompts.h"

namespace sv::test {

struct PromptRecord {
    std::string kind;      // "message", "open", "save", "input", "color"
    std::string caption;
    std::string text;
    Buttons buttons = Buttons::Ok;
    FileDialogRequest request;
};

class ScriptedPrompts : public Prompts {
public:
    // Answers, consumed in order. For message boxes: a ModalResult. For file
    // dialogs: a file name ("" = cancel). For input boxes: the text ("\x1b" =
    // cancel). For colours: the colour as decimal text ("" = cancel).
    std::deque<std::string> answers;
    std::vector<PromptRecord> log;
    // Plain OK messages are answered by themselves unless this is false.
    bool autoOk = true;

    void answer(int modalResult) { answers.push_back(std::to_string(modalResult)); }
    void answerFile(const std::string& name) { answers.push_back(name); }

    int messageBox(const std::string& caption, const std::string& text, Buttons buttons, Icon icon) override;
    FileDialogResult openDialog(const FileDialogRequest& req) override;
    FileDialogResult saveDialog(const FileDialogRequest& req) override;
    bool inputQuery(const std::string& caption, const std::string& prompt, std::string& value) override;
    bool chooseColor(uint32_t& color) override;

    // Texts of all message boxes so far.
    std::vector<std::string> messages() const;
    bool sawMessage(const std::string& text) const;

private:
    bool next(const std::string& what, std::string& out);
};

// The responder installed for the running test (reset before each test).
ScriptedPrompts& scripted();

// A fresh temporary folder used as the program's folder for one test.
class TempExeDir {
public:
    TempExeDir();
    ~TempExeDir();
    const std::string& path() const { return dir_; }   // with trailing '/'
    std::string file(const std::string& name) const { return dir_ + name; }
private:
    std::string dir_;
};

} // namespace sv::test

#include "tests/support/scripted_prompts.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "platform/exedir.h"

namespace sv::test {

static ScriptedPrompts* g_current = nullptr;

ScriptedPrompts& scripted() {
    if (!g_current) {
        auto p = std::make_unique<ScriptedPrompts>();
        g_current = p.get();
        setPrompts(std::move(p));
    }
    return *g_current;
}

// Reset for each test so answers never leak from one test into the next.
class PromptsListener : public ::testing::EmptyTestEventListener {
    void OnTestStart(const ::testing::TestInfo&) override {
        auto p = std::make_unique<ScriptedPrompts>();
        g_current = p.get();
        setPrompts(std::move(p));
    }
    void OnTestEnd(const ::testing::TestInfo&) override {
        if (g_current && !g_current->answers.empty())
            ADD_FAILURE() << g_current->answers.size() << " scripted answer(s) were not used";
    }
};

static bool registerListener = [] {
    ::testing::UnitTest::GetInstance()->listeners().Append(new PromptsListener);
    return true;
}();

bool ScriptedPrompts::next(const std::string& what, std::string& out) {
    if (answers.empty()) {
        ADD_FAILURE() << "unexpected prompt: " << what;
        return false;
    }
    out = answers.front();
    answers.pop_front();
    return true;
}

int ScriptedPrompts::messageBox(const std::string& caption, const std::string& text, Buttons buttons, Icon) {
    PromptRecord r{"message", caption, text, buttons, {}};
    log.push_back(r);
    if (buttons == Buttons::Ok && autoOk) return mrOk;
    std::string a;
    if (!next("message \"" + caption + "\": " + text, a)) return buttons == Buttons::YesNo ? mrNo : mrCancel;
    return std::atoi(a.c_str());
}

FileDialogResult ScriptedPrompts::openDialog(const FileDialogRequest& req) {
    log.push_back({"open", req.title, req.fileName, Buttons::Ok, req});
    std::string a;
    FileDialogResult r;
    r.filterIndex = req.filterIndex;
    if (next("open dialog " + req.title, a) && !a.empty()) {
        r.accepted = true;
        r.fileName = a;
        r.fileNames = {a};
    }
    return r;
}

FileDialogResult ScriptedPrompts::saveDialog(const FileDialogRequest& req) {
    log.push_back({"save", req.title, req.fileName, Buttons::Ok, req});
    std::string a;
    FileDialogResult r;
    r.filterIndex = req.filterIndex;
    if (next("save dialog " + req.title, a) && !a.empty()) {
        r.accepted = true;
        r.fileName = a;
        r.fileNames = {a};
    }
    return r;
}

bool ScriptedPrompts::inputQuery(const std::string& caption, const std::string& prompt, std::string& value) {
    log.push_back({"input", caption, prompt, Buttons::OkCancel, {}});
    std::string a;
    if (!next("input " + caption, a) || a == "\x1b") return false;
    value = a;
    return true;
}

bool ScriptedPrompts::chooseColor(uint32_t& color) {
    log.push_back({"color", "", "", Buttons::Ok, {}});
    std::string a;
    if (!next("colour dialog", a) || a.empty()) return false;
    color = static_cast<uint32_t>(std::strtoul(a.c_str(), nullptr, 10));
    return true;
}

std::vector<std::string> ScriptedPrompts::messages() const {
    std::vector<std::string> out;
    for (const auto& r : log)
        if (r.kind == "message") out.push_back(r.text);
    return out;
}

bool ScriptedPrompts::sawMessage(const std::string& text) const {
    for (const auto& r : log)
        if (r.kind == "message" && r.text == text) return true;
    return false;
}

TempExeDir::TempExeDir() {
    std::string tmpl = (std::filesystem::temp_directory_path() / "sonvela-test-XXXXXX").string();
    char* made = ::mkdtemp(tmpl.data());
    dir_ = std::string(made ? made : "/tmp") + "/";
    setExeDir(dir_);
}

TempExeDir::~TempExeDir() {
    std::error_code ec;
    std::filesystem::remove_all(dir_, ec);
    setExeDir("");
}

} // namespace sv::test

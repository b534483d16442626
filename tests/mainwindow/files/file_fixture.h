// A main window built for one test in a temporary program folder, with
// helpers to make WAVE files there and to pick the filter a save dialog
// returns.
#pragma once
#include <gtest/gtest.h>

#include <QApplication>
#include <QMdiSubWindow>

#include <deque>
#include <memory>

#include "mainwindow/SonvelaMain.h"
#include "platform/paths.h"
#include "platform/settings.h"
#include "sound/Sound.h"
#include "tests/support/window_fixture.h"

namespace sv::test {

// Passes every prompt to the scripted responder, and makes save dialogs
// report the filter rows queued in `filters` (1-based, as the dialog counts).
class FilterChoice : public Prompts {
public:
    std::unique_ptr<Prompts> inner;
    std::deque<int> filters;
    int messageBox(const std::string& c, const std::string& t, Buttons b, Icon i) override {
        return inner->messageBox(c, t, b, i);
    }
    FileDialogResult openDialog(const FileDialogRequest& req) override { return inner->openDialog(req); }
    FileDialogResult saveDialog(const FileDialogRequest& req) override {
        FileDialogResult r = inner->saveDialog(req);
        if (!filters.empty()) {
            r.filterIndex = filters.front();
            filters.pop_front();
        }
        return r;
    }
    bool inputQuery(const std::string& c, const std::string& p, std::string& v) override {
        return inner->inputQuery(c, p, v);
    }
    bool chooseColor(uint32_t& c) override { return inner->chooseColor(c); }
};

class FileCommandsTest : public WindowTest {
protected:
    void start(std::vector<std::string> args = {}) {
        WindowTest::start(std::move(args), [](TSVMainfrm& m) { installFileCommands(&m); });
    }
    void restart() {
        closeAll();
        start();
    }

    std::string wav(const std::string& name, int frames = 800, int bits = 16, int channels = 1) {
        return WindowTest::wav(name, bits, channels, testSignal(bits, channels, frames));
    }
    // Opens a WAVE file through the Open path without a dialog.
    TSoundfrm* open(const std::string& path) {
        main->ObrirFitxer(false, path);
        return main->soundWindows().empty() ? nullptr : main->soundWindows().back();
    }
    // Sound windows that are still open (a closed one lingers until deleted).
    int openWindows() {
        flushDeletes();
        return main->childCount();
    }
    FilterChoice& chooseFilters() {
        auto wrapper = std::make_unique<FilterChoice>();
        FilterChoice* raw = wrapper.get();
        raw->inner = setPrompts(std::move(wrapper));
        return *raw;
    }
    std::vector<std::string> recent() const { return {main->RecentFile1, main->RecentFile2, main->RecentFile3}; }
    std::vector<std::string> storedRecent() const {
        IniFile ini(dir.file("dadoruz.ini"));
        return {ini.ReadString("Configuration", "abrir1", "?"), ini.ReadString("Configuration", "abrir2", "?"),
                ini.ReadString("Configuration", "abrir3", "?")};
    }
};

} // namespace sv::test

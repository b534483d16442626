// A main window with the edit commands, and sound windows opened from
// WAVE files written for the test.
#pragma once
#include <gtest/gtest.h>

#include <QApplication>
#include <QMdiSubWindow>
#include <QMenu>
#include <QTimer>

#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "mainwindow/SonvelaMain.h"
#include "mainwindow/SonvelaMain_edit.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "sound/Sound.h"
#include "tests/support/modal.h"
#include "tests/support/window_fixture.h"

namespace sv::test {

class EditWindowTest : public WindowTest {
protected:
    void SetUp() override {
        start({}, [](TSVMainfrm& m) { installEditCommands(&m); });
    }
    void TearDown() override {
        setCreateFaultHook(nullptr);
        closeAll();
    }

    std::string wavFile(const std::string& name, int bits, int channels, const std::vector<uint8_t>& data) {
        return wav(name, bits, channels, data);
    }
    void activate(TSoundfrm* w) { main->showChild(w); }
    // Selects as the user does: the window's selection and the main
    // window's boxes.
    void select(TSoundfrm* w, int64_t start, int64_t length) {
        activate(w);
        w->setSelection(start, length);
        main->Edit4->setText(QString::number(start));
        main->Edit3->setText(QString::number(length));
    }
    // Opens the Edit menu (its enabling runs) and chooses the item; false
    // when the item was disabled.
    bool choose(const char* name) {
        emit main->Edit1->aboutToShow();
        QAction* a = main->item(name);
        if (!a || !a->isEnabled()) return false;
        a->trigger();
        return true;
    }
    QString undoCaption() const { return main->undo1->text(); }
    size_t messageCount() const { return scripted().log.size(); }
};

} // namespace sv::test

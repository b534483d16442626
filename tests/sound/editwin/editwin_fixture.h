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
#include "tests/support/scripted_prompts.h"
#include "tests/support/wave_fixtures.h"

namespace sv::test {

inline void flushDeletes() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
}

// 16-bit samples as the bytes of a sound.
inline std::vector<uint8_t> pcm16(const std::vector<int16_t>& v) {
    std::vector<uint8_t> out;
    for (int16_t x : v) {
        out.push_back(uint8_t(uint16_t(x)));
        out.push_back(uint8_t(uint16_t(x) >> 8));
    }
    return out;
}

inline int16_t sample16(const TSoundfrm* w, int64_t i) {
    const uint8_t* p = w->Sound.bytes.data() + 2 * i;
    return int16_t(uint16_t(p[0] | (p[1] << 8)));
}

inline std::vector<uint8_t> bytesOf(const TSoundfrm* w) {
    return std::vector<uint8_t>(w->Sound.bytes.data(), w->Sound.bytes.data() + w->Sound.bytes.size());
}


class EditWindowTest : public ::testing::Test {
protected:
    TempExeDir dir;
    std::unique_ptr<TSVMainfrm> main;

    void SetUp() override {
        main = std::make_unique<TSVMainfrm>();
        installEditCommands(main.get());
        main->FormActivate();
    }
    void TearDown() override {
        setCreateFaultHook(nullptr);
        for (TSoundfrm* w : main->soundWindows()) {
            w->Modified = false;
            w->closeWindow();
        }
        flushDeletes();
        main.reset();
        flushDeletes();
    }

    std::string wavFile(const std::string& name, int bits, int channels, const std::vector<uint8_t>& data) {
        writeBytes(dir.file(name), canonicalWave(22050, bits, channels, data));
        return dir.file(name);
    }
    TSoundfrm* open(const std::string& name, int bits, int channels, const std::vector<uint8_t>& data) {
        TSoundfrm* w = main->openWave(wavFile(name, bits, channels, data), false);
        EXPECT_NE(w, nullptr);
        return w;
    }
    TSoundfrm* open(const std::string& name, int bits, int channels, int frames) {
        return open(name, bits, channels, testSignal(bits, channels, frames));
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

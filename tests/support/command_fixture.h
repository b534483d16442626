// A main window whose commands run on one sound window opened from a WAVE
// file, with the dialogs they raise answered from inside their modal loops.
#pragma once
#include <QDialog>

#include <functional>
#include <string>

#include "tests/support/modal.h"
#include "tests/support/window_fixture.h"

namespace sv::test {

class CommandTest : public WindowTest {
protected:
    TSoundfrm* w = nullptr;
    std::vector<uint8_t> before;   // the sound's bytes as opened
    ModalWatchdog watchdog;
    int expectedDialogs = 0;       // dialogs answered through answer()
    // trigger() fails on a disabled item unless this is false.
    bool triggerNeedsEnabled = true;

    void SetUp() override;
    void TearDown() override;

    // Opens `waveFile` (written as "s.wav") and selects as the window
    // does on activation (the selection into Edit3/Edit4).
    void openSelected(const std::vector<uint8_t>& waveFile, int64_t start, int64_t length);
    // Answers the next modal dialog with fn, from inside its modal loop.
    void answer(std::function<void(QDialog*)> fn);
    void cancelNext() {
        answer([](QDialog* d) { d->reject(); });
    }
    // Chooses a menu item of the main window.
    void trigger(const char* item);

    std::vector<uint8_t> bytesNow() const { return bytesOf(w); }
    bool changed() const { return bytesNow() != before; }
    // Frames outside the selection keep their bytes.
    bool outsideKept() const;
    void expectApplied(const std::string& what);
    void expectUntouched(const std::string& what);
};

} // namespace sv::test

// A main window built for one test in a temporary program folder, with
// sound windows opened from WAVE files written there.
#pragma once
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "mainwindow/SonvelaMain.h"
#include "sound/Sound.h"
#include "tests/support/scripted_prompts.h"
#include "tests/support/wave_fixtures.h"

namespace sv::test {

// Deletes what waits for a deferred delete (a closed sound window lingers
// until then) and runs the events that are pending.
void flushDeletes();

// 16-bit samples as the bytes of a sound.
std::vector<uint8_t> pcm16(const std::vector<int16_t>& v);
// The i-th 16-bit sample of a window's sound, counting every channel.
int16_t sample16(const TSoundfrm* w, int64_t i);
// A copy of a window's sample bytes.
std::vector<uint8_t> bytesOf(const TSoundfrm* w);

class WindowTest : public ::testing::Test {
protected:
    TempExeDir dir;
    std::unique_ptr<TSVMainfrm> main;

    // Builds the main window with a command line; `install` adds commands
    // or buttons before the window's first activation sets their state.
    void start(std::vector<std::string> args = {}, const std::function<void(TSVMainfrm&)>& install = {});
    // Closes every sound window without asking to save, then the main
    // window, and deletes them all.
    void closeAll();
    void TearDown() override { closeAll(); }

    // A canonical WAVE file written into the test's folder; its path.
    std::string wav(const std::string& name, int bits, int channels, const std::vector<uint8_t>& data,
                    int rate = 22050);
    // A new sound window with that file (null, and a failure, when it
    // does not open).
    TSoundfrm* open(const std::string& name, int bits, int channels, const std::vector<uint8_t>& data,
                    int rate = 22050);
    TSoundfrm* open(const std::string& name, int bits, int channels, int frames) {
        return open(name, bits, channels, testSignal(bits, channels, frames));
    }
};

} // namespace sv::test

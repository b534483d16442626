// A main window with sound windows playing on the virtual device in manual
// mode: blocks finish exactly when the test moves the audio on, and the
// play clock moves only when the test advances it.
#pragma once
#include <gtest/gtest.h>

#include <QApplication>
#include <QMdiSubWindow>

#include <memory>
#include <string>
#include <vector>

#include "mainwindow/SonvelaMain.h"
#include "mainwindow/SonvelaMain_transport.h"
#include "platform/activity.h"
#include "platform/audio/audio_backend.h"
#include "platform/audio/wave_notices.h"
#include "platform/audio/wave_out.h"
#include "platform/clock.h"
#include "sound/Sound.h"
#include "sound/Sound_play.h"
#include "tests/support/window_fixture.h"

namespace sv::test {

class PlaybackTest : public WindowTest {
protected:
    int fileNumber = 0;

    void SetUp() override {
        setAudioBackend(AudioBackend::Virtual);
        setVirtualAudioManual(true);
        setVirtualOutputTap(nullptr);
        deliverWaveNotices();
        setManualClock(true);
        setActivity(Activity::Idle);
    }
    void TearDown() override {
        closeAll();
        deliverWaveNotices();
        EXPECT_EQ(pendingWaveNotices(), 0u);
        setManualClock(false);
        setAudioBackend(AudioBackend::Auto);
        setActivity(Activity::Idle);
    }

    // Every sound gets a file of its own.
    std::string nextName() { return "s" + std::to_string(++fileNumber) + ".wav"; }
    std::string wavFile(int rate, int bits, int channels, const std::vector<uint8_t>& data) {
        return wav(nextName(), bits, channels, data, rate);
    }

    // Opens a sound in a new window of the main window (started if need be).
    TSoundfrm* open(int rate, int bits, int channels, const std::vector<uint8_t>& data) {
        if (!main) start();
        return WindowTest::open(nextName(), bits, channels, data, rate);
    }

    // 8000 Hz mono 8-bit: one byte a frame, a block of 1600 bytes = 200 ms.
    TSoundfrm* openMono8(int frames, uint8_t value = 127) {
        return open(8000, 8, 1, std::vector<uint8_t>(size_t(frames), value));
    }

    // Moves the clock and the device on by `ms` and delivers the notices of
    // the blocks that finished; returns how many were delivered.
    size_t run(uint32_t ms) {
        advanceClock(ms);
        pumpVirtualAudio(ms);
        return deliverWaveNotices();
    }

    void activate(TSoundfrm* w) {
        main->showChild(w);
        ASSERT_EQ(main->activeSound(), w);
    }

    TSVMainfrm::TransportState& transport() { return main->transport(); }

    void expectIdleButtons() {
        EXPECT_TRUE(main->SpeedButton16->isEnabled());
        EXPECT_FALSE(main->SpeedButton14->isEnabled());
        EXPECT_FALSE(main->SpeedButton17->isEnabled());
    }
    void expectPlayingButtons() {
        EXPECT_FALSE(main->SpeedButton16->isEnabled());
        EXPECT_TRUE(main->SpeedButton14->isEnabled());
        EXPECT_TRUE(main->SpeedButton17->isEnabled());
    }
};

} // namespace sv::test

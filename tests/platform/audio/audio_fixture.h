// Shared set-up of the wave layer tests: the virtual device in manual mode,
// so every block finishes exactly when the test pumps the clock.
#pragma once
#include "platform/audio/audio_backend.h"
#include "platform/audio/wave_notices.h"
#include "platform/audio/wave_types.h"

#include <gtest/gtest.h>

#include <vector>

namespace sv::test {

class VirtualAudioTest : public ::testing::Test {
protected:
    void SetUp() override {
        setAudioBackend(AudioBackend::Virtual);
        setVirtualAudioManual(true);
        setVirtualOutputTap(nullptr);
        setVirtualInputSignal(440.0, 0.5);
        deliverWaveNotices();  // nothing left over from an earlier test
    }
    void TearDown() override {
        setVirtualOutputTap(nullptr);
        deliverWaveNotices();
        EXPECT_EQ(pendingWaveNotices(), 0u);
        setAudioBackend(AudioBackend::Auto);
    }
};

// A header over `bytes`, ready to prepare.
inline WaveHeader headerOver(std::vector<uint8_t>& bytes) {
    WaveHeader h;
    h.lpData = bytes.data();
    h.dwBufferLength = static_cast<uint32_t>(bytes.size());
    return h;
}

} // namespace sv::test

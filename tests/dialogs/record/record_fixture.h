// The recording dialog on the virtual input in manual mode: the test moves
// the input's clock and delivers the filled buffers itself.
#pragma once
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QLineEdit>
#include <cmath>
#include <memory>

#include "dialogs/ParamDialog.h"
#include "dialogs/RecordNewSound.h"
#include "platform/audio/audio_backend.h"
#include "platform/audio/wave_notices.h"
#include "platform/settings.h"
#include "sound/engine/sample_format.h"
#include "tests/support/scripted_prompts.h"

namespace sv::test {

class RecordTest : public ::testing::Test {
protected:
    TempExeDir dir;
    std::vector<std::string> opened;
    std::unique_ptr<TRecordNewSoundfrm> f;

    void SetUp() override {
        setAudioBackend(AudioBackend::Virtual);
        setVirtualAudioManual(true);
        setVirtualInputSignal(440.0, 0.5);
        deliverWaveNotices();
    }
    void TearDown() override {
        f.reset();
        deliverWaveNotices();
        EXPECT_EQ(pendingWaveNotices(), 0u);
        setAudioBackend(AudioBackend::Auto);
    }
    void make() {
        f = std::make_unique<TRecordNewSoundfrm>(nullptr, [this](const std::string& n) { opened.push_back(n); });
    }
    // Chooses the format as the user does, by the radio groups.
    void choose(int rateIndex, int channelsIndex, int bitsIndex) {
        f->RadioGroup1->setItemIndex(rateIndex);
        f->RadioGroup1Click();
        f->RadioGroup2->setItemIndex(channelsIndex);
        f->RadioGroup2Click();
        f->RadioGroup3->setItemIndex(bitsIndex);
        f->RadioGroup3Click();
    }
    // Moves the input on by `ms`, delivering the filled buffers as the
    // event loop would, every 100 ms at most.
    void capture(uint32_t ms) {
        while (ms > 0) {
            const uint32_t step = std::min<uint32_t>(ms, 100);
            pumpVirtualAudio(step);
            deliverWaveNotices();
            ms -= step;
        }
    }
    std::string target(const std::string& name) {
        const std::string path = dir.file(name);
        f->Edit1->setText(QString::fromStdString(path));
        return path;
    }
};

// The virtual input's sine as the device hands it over.
inline int16_t sine16(uint64_t frame, double rate, double amplitude = 0.5, double hz = 440.0) {
    const double v = amplitude * std::sin(2.0 * M_PI * hz / rate * static_cast<double>(frame));
    return static_cast<int16_t>(std::nearbyint(static_cast<float>(v) * 32767.0f));
}
inline uint8_t sine8(uint64_t frame, double rate, double amplitude = 0.5, double hz = 440.0) {
    const double v = amplitude * std::sin(2.0 * M_PI * hz / rate * static_cast<double>(frame));
    return static_cast<uint8_t>(127 + static_cast<int>(std::nearbyint(static_cast<float>(v) * 127.0f)));
}

} // namespace sv::test

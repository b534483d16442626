#include <gtest/gtest.h>

#include <cstdlib>
#include <set>

#include "platform/cd/cd_commands.h"
#include "platform/cd/cdio_drive.h"
#include "platform/cd/simulated_drive.h"
#include "platform/clock.h"

using namespace sv;

namespace {

constexpr int32_t F = kCdFramesPerSecond;

class CdCommandsTest : public ::testing::Test {
protected:
    SimulatedCdDrive* drive = nullptr;

    void SetUp() override {
        setManualClock(true);
        // 60 s, 90 s, 30 s: three minutes of music.
        load({{60 * F, true}, {90 * F, true}, {30 * F, true}});
    }
    void TearDown() override {
        setCdDrive(nullptr);
        setManualClock(false);
    }
    void load(std::vector<SimulatedCdDrive::Track> disc) {
        auto d = std::make_unique<SimulatedCdDrive>(std::move(disc));
        drive = d.get();
        setCdDrive(std::move(d));
    }
    // The answer of a command that must succeed.
    std::string ask(const std::string& command) {
        std::string answer = "stale";
        const int rc = mciSendString(command, answer);
        EXPECT_EQ(rc, 0) << command << ": " << mciGetErrorString(rc);
        return answer;
    }
    int fails(const std::string& command) {
        std::string answer = "stale";
        const int rc = mciSendString(command, answer);
        EXPECT_EQ(answer, "") << command;
        return rc;
    }
    void seconds(uint32_t s) { advanceClock(s * 1000); }
};

} // namespace

TEST(CdTimes, TextAndParsingOfPositions) {
    EXPECT_EQ(cdTimeText(0), "00:00:00");
    EXPECT_EQ(cdTimeText((74 * 60 + 30) * F + 12), "74:30:12");
    int32_t f = -1;
    ASSERT_TRUE(parseCdTime("01:02:03", f));
    EXPECT_EQ(f, (62) * F + 3);
    // Packed minutes | seconds << 8 | frames << 16.
    ASSERT_TRUE(parseCdTime(std::to_string(2 | (1 << 8)), f));
    EXPECT_EQ(f, 121 * F);
    ASSERT_TRUE(parseCdTime("3", f));
    EXPECT_EQ(f, 180 * F);
    ASSERT_TRUE(parseCdTime("1:30", f));
    EXPECT_EQ(f, 90 * F);
    for (const char* bad : {"", "abc", "00:60:00", "00:00:75", "1:2:3:4", "1::2", "-5", "99999999999",
                            "15360" /* 60 seconds packed */})
        EXPECT_FALSE(parseCdTime(bad, f)) << bad;
}

TEST_F(CdCommandsTest, StatusQueriesDescribeTheDisc) {
    EXPECT_EQ(ask("status cdaudio media present"), "true");
    EXPECT_EQ(ask("STATUS CDAudio  number of tracks"), "3");
    EXPECT_EQ(ask("status cdaudio type track 2"), "audio");
    EXPECT_EQ(ask("status cdaudio length"), "03:00:00");
    EXPECT_EQ(ask("status cdaudio length track 2"), "01:30:00");
    EXPECT_EQ(ask("status cdaudio position track 3"), "02:30:00");
    EXPECT_EQ(ask("status cdaudio mode"), "stopped");
    EXPECT_EQ(ask("status cdaudio current track"), "1");
    EXPECT_EQ(ask("status cdaudio position"), "00:00:00");
}

TEST_F(CdCommandsTest, PlayPauseResumeAndStopFollowTheClock) {
    ask("play cdaudio from " + std::to_string(1 | (5 << 8)));   // 1:05
    EXPECT_EQ(ask("status cdaudio mode"), "playing");
    seconds(10);
    EXPECT_EQ(ask("status cdaudio position"), "01:15:00");
    EXPECT_EQ(ask("status cdaudio current track"), "2");
    ask("pause cdaudio");
    seconds(30);
    EXPECT_EQ(ask("status cdaudio mode"), "paused");
    EXPECT_EQ(ask("status cdaudio position"), "01:15:00");
    ask("play cdaudio");   // resumes
    seconds(5);
    EXPECT_EQ(ask("status cdaudio position"), "01:20:00");
    // A position answered by the device goes back as its text.
    ask("play cdaudio from " + ask("status cdaudio position track 3"));
    EXPECT_EQ(drive->lastPlayFrom(), 150 * F);
    ask("stop cdaudio");
    EXPECT_EQ(ask("status cdaudio mode"), "stopped");
    ask("play cdaudio");   // from the first track after a stop
    EXPECT_EQ(drive->lastPlayFrom(), 0);
}

TEST_F(CdCommandsTest, PlayStopsAtTheEndOfTheMusic) {
    ask("play cdaudio from 02:55:00");
    seconds(4);
    EXPECT_EQ(ask("status cdaudio mode"), "playing");
    seconds(2);
    EXPECT_EQ(ask("status cdaudio mode"), "stopped");
    EXPECT_EQ(ask("status cdaudio position"), "03:00:00");

    // An enhanced disc: the data session after the music is not played
    // and not counted in the length.
    load({{60 * F, true}, {40 * F, false}});
    EXPECT_EQ(ask("status cdaudio length"), "01:00:00");
    EXPECT_EQ(ask("status cdaudio type track 2"), "other");
    EXPECT_EQ(fails("play cdaudio from 01:10:00"), kCdOutOfRange);
    ask("play cdaudio from 00:59:00");
    seconds(5);
    EXPECT_EQ(ask("status cdaudio position"), "01:00:00");
}

TEST_F(CdCommandsTest, DoorAndMissingDisc) {
    ask("set cdaudio door open");
    EXPECT_TRUE(drive->doorOpen());
    EXPECT_EQ(ask("status cdaudio media present"), "false");
    EXPECT_EQ(ask("status cdaudio mode"), "open");
    EXPECT_EQ(fails("play cdaudio"), kCdNoDisc);
    EXPECT_EQ(fails("status cdaudio number of tracks"), kCdNoDisc);
    ask("set cdaudio door closed");
    EXPECT_EQ(ask("status cdaudio media present"), "true");
    drive->removeDisc();
    EXPECT_EQ(ask("status cdaudio media present"), "false");
    EXPECT_EQ(ask("status cdaudio mode"), "not ready");
    EXPECT_EQ(fails("stop cdaudio"), kCdNoDisc);
}

TEST_F(CdCommandsTest, BadCommandsAreRefusedWithTheirCodes) {
    EXPECT_EQ(fails(""), kCdUnknownCommand);
    EXPECT_EQ(fails("rewind cdaudio"), kCdUnknownCommand);
    EXPECT_EQ(fails("play waveaudio"), kCdUnknownDevice);
    EXPECT_EQ(fails("status"), kCdUnknownDevice);
    EXPECT_EQ(fails("status cdaudio"), kCdUnknownCommand);
    EXPECT_EQ(fails("status cdaudio volume"), kCdUnknownCommand);
    EXPECT_EQ(fails("status cdaudio type track"), kCdMissingValue);
    EXPECT_EQ(fails("status cdaudio type"), kCdMissingValue);
    EXPECT_EQ(fails("status cdaudio length disc 1"), kCdUnknownCommand);
    EXPECT_EQ(fails("status cdaudio type track x"), kCdBadValue);
    EXPECT_EQ(fails("status cdaudio type track 0"), kCdBadTrack);
    EXPECT_EQ(fails("status cdaudio position track 4"), kCdBadTrack);
    EXPECT_EQ(fails("play cdaudio from"), kCdMissingValue);
    EXPECT_EQ(fails("play cdaudio from 1:99"), kCdBadValue);
    EXPECT_EQ(fails("play cdaudio from 03:00:00"), kCdOutOfRange);
    EXPECT_EQ(fails("play cdaudio to 1"), kCdUnknownCommand);
    EXPECT_EQ(fails("set cdaudio door ajar"), kCdUnknownCommand);
    EXPECT_EQ(drive->playCount(), 0);

    load({{10 * F, false}, {20 * F, true}});
    EXPECT_EQ(fails("play cdaudio"), kCdDataTrack);
    ask("play cdaudio from 00:10:00");
}

TEST(CdErrors, EveryCodeHasItsOwnText) {
    std::set<std::string> texts;
    for (int code = kCdOk; code <= kCdNoSound; ++code) {
        const std::string t = mciGetErrorString(code);
        EXPECT_FALSE(t.empty());
        texts.insert(t);
    }
    EXPECT_EQ(texts.size(), size_t(kCdNoSound + 1));
    EXPECT_NE(mciGetErrorString(999).find("999"), std::string::npos);
}

TEST(CdDriveChoice, EnvironmentChoosesTheDrive) {
    setCdDrive(nullptr);
    ::setenv("SONVELA_CD", "simulated", 1);
    EXPECT_NE(dynamic_cast<SimulatedCdDrive*>(&cdDrive()), nullptr);
    std::string answer;
    EXPECT_EQ(mciSendString("status cdaudio media present", answer), 0);
    EXPECT_EQ(answer, "true");

    setCdDrive(nullptr);
    ::setenv("SONVELA_CD", "device", 1);
    EXPECT_EQ(dynamic_cast<SimulatedCdDrive*>(&cdDrive()), nullptr);
    if (CdioDrive::defaultDevice().empty()) {
        // No drive on this machine: every command says so.
        EXPECT_EQ(mciSendString("status cdaudio mode", answer), kCdNoDrive);
        EXPECT_EQ(mciSendString("set cdaudio door open", answer), kCdNoDrive);
    }
    ::unsetenv("SONVELA_CD");
    setCdDrive(nullptr);
}

// A CD drive without hardware: a table of tracks and the program's clock
// (platform/clock.h), so tests drive playback by moving the clock. It plays
// no sound; positions advance in real time while it "plays".
#pragma once
#include <cstdint>
#include <vector>

#include "platform/cd/cd_drive.h"

namespace sv {

class SimulatedCdDrive : public CdDrive {
public:
    struct Track {
        int32_t frames = 0;
        bool audio = true;
    };
    // The disc in the tray; the tracks follow each other from frame 0.
    explicit SimulatedCdDrive(std::vector<Track> disc = defaultDisc());
    // Ten audio tracks, 41 minutes in all.
    static std::vector<Track> defaultDisc();

    void insertDisc(std::vector<Track> disc);
    void removeDisc();
    bool doorOpen() const { return doorOpen_; }
    bool hasDisc() const { return hasDisc_; }
    // What the last play asked for, for tests.
    int32_t lastPlayFrom() const { return lastFrom_; }
    int playCount() const { return plays_; }

    int readToc(CdToc& toc) override;
    int status(CdStatus& status) override;
    int play(int32_t from, int32_t to) override;
    int pause() override;
    int resume() override;
    int stop() override;
    int setDoor(bool open) override;

private:
    bool ready() const { return hasDisc_ && !doorOpen_; }
    int32_t position() const;   // with the clock applied, at most end_
    void settle();              // a play that reached its end stops there

    std::vector<Track> disc_;
    bool hasDisc_ = true;
    bool doorOpen_ = false;
    CdMode mode_ = CdMode::Stopped;
    int32_t anchor_ = 0;        // position when the mode last changed
    uint32_t anchorTick_ = 0;   // clock at that moment
    int32_t end_ = 0;           // end of the range playing
    int32_t lastFrom_ = -1;
    int plays_ = 0;
};

} // namespace sv

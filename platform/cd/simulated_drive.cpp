#include "platform/cd/simulated_drive.h"

#include <algorithm>

#include "platform/clock.h"

namespace sv {

SimulatedCdDrive::SimulatedCdDrive(std::vector<Track> disc) : disc_(std::move(disc)) {}

std::vector<SimulatedCdDrive::Track> SimulatedCdDrive::defaultDisc() {
    const int seconds[] = {215, 187, 301, 244, 262, 198, 233, 276, 289, 255};
    std::vector<Track> out;
    for (int s : seconds) out.push_back({s * kCdFramesPerSecond, true});
    return out;
}

void SimulatedCdDrive::insertDisc(std::vector<Track> disc) {
    disc_ = std::move(disc);
    hasDisc_ = true;
    doorOpen_ = false;
    mode_ = CdMode::Stopped;
    anchor_ = 0;
}

void SimulatedCdDrive::removeDisc() {
    hasDisc_ = false;
    mode_ = CdMode::Stopped;
    anchor_ = 0;
}

int SimulatedCdDrive::readToc(CdToc& toc) {
    toc = CdToc{};
    if (!ready()) return kCdNoDisc;
    int32_t at = 0;
    for (const Track& t : disc_) {
        toc.tracks.push_back({at, t.audio});
        at += std::max<int32_t>(t.frames, 0);
    }
    toc.leadout = at;
    return toc.tracks.empty() ? kCdNoDisc : kCdOk;
}

int32_t SimulatedCdDrive::position() const {
    if (mode_ != CdMode::Playing) return anchor_;
    const uint32_t elapsed = tickCount() - anchorTick_;
    const int64_t p = anchor_ + int64_t(elapsed) * kCdFramesPerSecond / 1000;
    return int32_t(std::min<int64_t>(p, end_));
}

void SimulatedCdDrive::settle() {
    if (mode_ == CdMode::Playing && position() >= end_) {
        anchor_ = end_;
        mode_ = CdMode::Stopped;
    }
}

int SimulatedCdDrive::status(CdStatus& s) {
    settle();
    s.position = position();
    if (doorOpen_) s.mode = CdMode::Open;
    else if (!hasDisc_) s.mode = CdMode::NotReady;
    else s.mode = mode_;
    return kCdOk;
}

int SimulatedCdDrive::play(int32_t from, int32_t to) {
    if (!ready()) return kCdNoDisc;
    anchor_ = from;
    anchorTick_ = tickCount();
    end_ = to;
    mode_ = CdMode::Playing;
    lastFrom_ = from;
    ++plays_;
    return kCdOk;
}

int SimulatedCdDrive::pause() {
    if (!ready()) return kCdNoDisc;
    settle();
    if (mode_ == CdMode::Playing) {
        anchor_ = position();
        mode_ = CdMode::Paused;
    }
    return kCdOk;
}

int SimulatedCdDrive::resume() {
    if (!ready()) return kCdNoDisc;
    if (mode_ == CdMode::Paused) {
        anchorTick_ = tickCount();
        mode_ = CdMode::Playing;
    }
    return kCdOk;
}

int SimulatedCdDrive::stop() {
    if (!ready()) return kCdNoDisc;
    mode_ = CdMode::Stopped;
    anchor_ = 0;
    return kCdOk;
}

int SimulatedCdDrive::setDoor(bool open) {
    if (open) {
        mode_ = CdMode::Stopped;
        anchor_ = 0;
    }
    doorOpen_ = open;
    return kCdOk;
}

} // namespace sv

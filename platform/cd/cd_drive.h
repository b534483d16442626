// A CD drive as the CD player's command layer sees it: a table of contents,
// a transport that plays a range of the disc, and the door.
//
// Addresses are CD frames (75 a second) counted from the disc's first
// sector (logical sector 0); the two-second lead-in before it is never
// counted, so a disc's first track usually starts at 0.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace sv {

constexpr int32_t kCdFramesPerSecond = 75;

// Result codes of the drives and of the command layer (cd_commands.h gives
// their texts). 0 is success.
enum CdError : int {
    kCdOk = 0,
    kCdUnknownCommand = 1,
    kCdUnknownDevice = 2,
    kCdMissingValue = 3,
    kCdBadValue = 4,
    kCdNoDrive = 5,
    kCdNoDisc = 6,
    kCdBadTrack = 7,
    kCdOutOfRange = 8,
    kCdDataTrack = 9,
    kCdDriveFailure = 10,
    kCdNoSound = 11,        // no sound device to play the disc's audio on
    kCdBadSheet = 12,       // a disc image refused by its sheet or missing its music (refusal() says why)
};

enum class CdMode { NotReady, Open, Stopped, Playing, Paused };

struct CdTrack {
    int32_t start = 0;   // first frame
    bool audio = true;
};

struct CdToc {
    int firstTrack = 1;            // number of tracks[0]
    std::vector<CdTrack> tracks;   // in disc order
    int32_t leadout = 0;           // first frame after the last track
};

struct CdStatus {
    CdMode mode = CdMode::NotReady;
    int32_t position = 0;          // frame under the head
};

class CdDrive {
public:
    virtual ~CdDrive() = default;
    // The disc may have changed: forget what was read from it.
    virtual void refresh() {}
    // kCdNoDisc without a readable disc (also with the tray open).
    virtual int readToc(CdToc& toc) = 0;
    // The mode tells about a missing disc; errors are for a missing or
    // failing drive only.
    virtual int status(CdStatus& status) = 0;
    // Plays frames [from, to).
    virtual int play(int32_t from, int32_t to) = 0;
    virtual int pause() = 0;
    virtual int resume() = 0;
    virtual int stop() = 0;
    virtual int setDoor(bool open) = 0;
    // After kCdBadSheet: the message that names the sheet and its fault.
    virtual std::string refusal() const { return {}; }
};

} // namespace sv

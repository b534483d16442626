// A real drive, or a disc image, through libcdio. The disc's audio is read
// digitally (libcdio's paranoia library, which re-reads and mends what a
// drive gets wrong) and played through the wave-out layer; the drive's own
// analog play command is never used, since most drives today have no
// analog path. An image behaves exactly as a drive holding that disc.
#pragma once
#include <memory>
#include <string>

#include "platform/cd/cd_drive.h"
#include "platform/cd/cd_playback.h"
#include "platform/cd/cd_sheet.h"

typedef struct _CdIo CdIo_t;

namespace sv {

class CdioDrive : public CdDrive {
public:
    // source: a device path such as "/dev/sr0", or a disc image (".cue",
    // ".bin", ".toc", ".nrg"); empty means the system's default drive.
    // With no drive there, every call fails with kCdNoDrive.
    explicit CdioDrive(std::string source = {});
    ~CdioDrive() override;
    CdioDrive(const CdioDrive&) = delete;
    CdioDrive& operator=(const CdioDrive&) = delete;

    // The system's default CD drive, or empty when there is none.
    static std::string defaultDevice();

    void refresh() override;
    int readToc(CdToc& toc) override;
    int status(CdStatus& status) override;
    int play(int32_t from, int32_t to) override;
    int pause() override;
    int resume() override;
    int stop() override;
    int setDoor(bool open) override;
    std::string refusal() const override { return refusal_; }

    // A reader of this drive's audio sectors with a handle of its own, for
    // the read-ahead thread; null when the disc cannot be opened.
    std::unique_ptr<CdSectorReader> openReader() const;
    // Tests: waits until playback has read as far ahead as it goes.
    void waitForReadAhead() { playback_.waitForReadAhead(); }

private:
    int open();
    void close();
    // The tray is open: the drive's own report, or an image's "tray".
    bool trayOpen() const;

    std::string source_;
    std::string refusal_;     // why the image's sheet was refused, at the last try
    CdIo_t* cdio_ = nullptr;
    std::unique_ptr<CdSheetCopy> sheetCopy_;   // what cdio_ reads, where not the sheet itself
    bool image_ = false;
    bool doorOpen_ = false;   // an image's "tray": no disc until closed
    bool tocValid_ = false;
    CdToc toc_;
    CdPlayback playback_;
};

} // namespace sv

// A real drive through libcdio. Playback uses the drive's own audio play
// commands (the drive decodes and sends the sound to its analog output or
// to the machine's mixer), so nothing streams through the program.
#pragma once
#include <string>

#include "platform/cd/cd_drive.h"

typedef struct _CdIo CdIo_t;

namespace sv {

class CdioDrive : public CdDrive {
public:
    // device: a device path such as "/dev/sr0"; empty means the system's
    // default drive.
    explicit CdioDrive(std::string device = {});
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

private:
    bool open();
    void close();

    std::string device_;
    CdIo_t* cdio_ = nullptr;
    bool tocValid_ = false;
    CdToc toc_;
};

} // namespace sv

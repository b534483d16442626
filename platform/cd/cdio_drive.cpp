#include "platform/cd/cdio_drive.h"

// cdio.h first: the other headers rely on its types.
#include <cdio/cdio.h>
#include <cdio/audio.h>
#include <cdio/logging.h>
#include <cdio/mmc.h>

namespace sv {

namespace {

// libcdio reports every failed probe on stderr; the command layer reports
// failures itself.
void quietLog() {
    static const bool done = [] {
        cdio_loglevel_default = CDIO_LOG_ASSERT;
        return true;
    }();
    (void)done;
}

int fromDriver(driver_return_code_t rc) {
    if (rc == DRIVER_OP_SUCCESS) return kCdOk;
    if (rc == DRIVER_OP_UNSUPPORTED || rc == DRIVER_OP_NO_DRIVER) return kCdNoDrive;
    return kCdDriveFailure;
}

} // namespace

CdioDrive::CdioDrive(std::string device) : device_(std::move(device)) {
    quietLog();
    if (device_.empty()) device_ = defaultDevice();
}

CdioDrive::~CdioDrive() { close(); }

std::string CdioDrive::defaultDevice() {
    quietLog();
    char* d = cdio_get_default_device(nullptr);
    if (!d) return {};
    std::string out = d;
    cdio_free(d);
    return out;
}

bool CdioDrive::open() {
    if (cdio_) return true;
    if (device_.empty()) return false;
    cdio_ = cdio_open(device_.c_str(), DRIVER_DEVICE);
    return cdio_ != nullptr;
}

void CdioDrive::close() {
    if (cdio_) cdio_destroy(cdio_);
    cdio_ = nullptr;
    tocValid_ = false;
}

// libcdio reads the table of contents once per handle, so a new handle is
// the way to see a changed disc. Closing the handle does not stop the
// drive's own playback.
void CdioDrive::refresh() { close(); }

int CdioDrive::readToc(CdToc& toc) {
    toc = CdToc{};
    if (!open()) return kCdNoDrive;
    if (!tocValid_) {
        const track_t first = cdio_get_first_track_num(cdio_);
        const track_t count = cdio_get_num_tracks(cdio_);
        if (first == CDIO_INVALID_TRACK || count == CDIO_INVALID_TRACK || count == 0) return kCdNoDisc;
        CdToc t;
        t.firstTrack = first;
        for (int k = first; k < first + count; ++k) {
            const lsn_t lsn = cdio_get_track_lsn(cdio_, track_t(k));
            if (lsn == CDIO_INVALID_LSN) return kCdNoDisc;
            t.tracks.push_back({int32_t(lsn), cdio_get_track_format(cdio_, track_t(k)) == TRACK_FORMAT_AUDIO});
        }
        const lsn_t leadout = cdio_get_track_lsn(cdio_, CDIO_CDROM_LEADOUT_TRACK);
        if (leadout == CDIO_INVALID_LSN) return kCdNoDisc;
        t.leadout = int32_t(leadout);
        toc_ = std::move(t);
        tocValid_ = true;
    }
    toc = toc_;
    return kCdOk;
}

int CdioDrive::status(CdStatus& s) {
    s = CdStatus{};
    if (!open()) return kCdNoDrive;
    CdToc toc;
    if (readToc(toc) != kCdOk) {
        s.mode = CdMode::NotReady;
        return kCdOk;
    }
    cdio_subchannel_t sub{};
    if (cdio_audio_read_subchannel(cdio_, &sub) != DRIVER_OP_SUCCESS) {
        s.mode = CdMode::Stopped;
        return kCdOk;
    }
    switch (sub.audio_status) {
        case CDIO_MMC_READ_SUB_ST_PLAY: s.mode = CdMode::Playing; break;
        case CDIO_MMC_READ_SUB_ST_PAUSED: s.mode = CdMode::Paused; break;
        default: s.mode = CdMode::Stopped; break;
    }
    const lsn_t lsn = cdio_msf_to_lsn(&sub.abs_addr);
    s.position = lsn < 0 ? 0 : int32_t(lsn);
    return kCdOk;
}

int CdioDrive::play(int32_t from, int32_t to) {
    if (!open()) return kCdNoDrive;
    msf_t start, end;
    cdio_lsn_to_msf(from, &start);
    cdio_lsn_to_msf(to, &end);
    return fromDriver(cdio_audio_play_msf(cdio_, &start, &end));
}

int CdioDrive::pause() {
    if (!open()) return kCdNoDrive;
    return fromDriver(cdio_audio_pause(cdio_));
}

int CdioDrive::resume() {
    if (!open()) return kCdNoDrive;
    return fromDriver(cdio_audio_resume(cdio_));
}

int CdioDrive::stop() {
    if (!open()) return kCdNoDrive;
    return fromDriver(cdio_audio_stop(cdio_));
}

int CdioDrive::setDoor(bool openDoor) {
    if (device_.empty()) return kCdNoDrive;
    if (openDoor) {
        if (!open()) return kCdNoDrive;
        // Ejecting frees the handle and sets it to null.
        const driver_return_code_t rc = cdio_eject_media(&cdio_);
        close();
        return fromDriver(rc);
    }
    close();
    driver_id_t driver = DRIVER_DEVICE;
    return fromDriver(cdio_close_tray(device_.c_str(), &driver));
}

} // namespace sv

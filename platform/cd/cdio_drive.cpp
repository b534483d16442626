#include "platform/cd/cdio_drive.h"

// cdio.h first: the other headers rely on its types.
#include <cdio/cdio.h>
#include <cdio/audio.h>
#include <cdio/logging.h>
#include <cdio/mmc.h>
#include <cdio/paranoia/cdda.h>
#include <cdio/paranoia/paranoia.h>

#include <sys/stat.h>

#include <cstdio>

#include "platform/cd/cd_sheet.h"
#include "platform/little_endian.h"

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

bool isDevice(const struct stat& st) { return S_ISBLK(st.st_mode) || S_ISCHR(st.st_mode); }

// A handle on a drive or an image; null when there is none, libcdio cannot
// read it, or its sheet is refused (`refusal` then says why). `copy`
// receives the copy of the sheet that libcdio reads instead of the sheet,
// where there is one; it must outlive the handle.
CdIo_t* openSource(const std::string& source, bool& image, std::string& refusal,
                   std::unique_ptr<CdSheetCopy>& copy) {
    quietLog();
    image = false;
    refusal.clear();
    struct stat st {};
    if (source.empty() || ::stat(source.c_str(), &st) != 0) return nullptr;
    if (isDevice(st)) return cdio_open(source.c_str(), DRIVER_DEVICE);
    image = true;
    // A sheet reaches libcdio only once it is checked: its readers trust
    // what they read.
    const CdSheetCheck sheet = checkCdSheet(source);
    if (sheet.verdict == CdSheetCheck::Refused) refusal = sheet.message;
    if (sheet.verdict != CdSheetCheck::Readable) return nullptr;
    std::string path = source;
    if (sheet.byteOrderMark) {
        copy = CdSheetCopy::make(sheet, refusal);
        if (!copy) return nullptr;
        path = copy->sheet();
    }
    // The image driver by what the file is, never the device driver: a
    // plain file would open as a drive that cannot read anything. A sheet
    // libcdio does not take is not tried as anything else.
    driver_id_t driver = DRIVER_UNKNOWN;
    switch (cdSheetKind(path)) {
        case CdSheetKind::Cue:
            if (char* bin = cdio_is_cuefile(path.c_str())) {
                cdio_free(bin);
                driver = DRIVER_BINCUE;
            }
            break;
        case CdSheetKind::Toc:
            if (cdio_is_tocfile(path.c_str())) driver = DRIVER_CDRDAO;
            break;
        case CdSheetKind::Bin:
            driver = DRIVER_BINCUE;
            break;
        case CdSheetKind::None:
            if (cdio_is_nrg(path.c_str())) driver = DRIVER_NRG;
            break;
    }
    if (driver == DRIVER_UNKNOWN) return nullptr;
    return cdio_open(path.c_str(), driver);
}

void noProgress(long, paranoia_cb_mode_t) {}

// Reads through paranoia, which verifies overlapping reads and mends
// jitter and scratches as far as it can; where paranoia cannot take the
// disc on, plain audio reads.
class ParanoiaReader : public CdSectorReader {
public:
    ParanoiaReader(CdIo_t* cdio, std::unique_ptr<CdSheetCopy> copy) : cdio_(cdio), copy_(std::move(copy)) {
        drive_ = cdio_cddap_identify_cdio(cdio_, CDDA_MESSAGE_FORGETIT, nullptr);
        if (drive_) {
            cdio_cddap_verbose_set(drive_, CDDA_MESSAGE_FORGETIT, CDDA_MESSAGE_FORGETIT);
            if (cdio_cddap_open(drive_) == 0) paranoia_ = cdio_paranoia_init(drive_);
        }
        // Full checking, but a sector that stays bad after the retries is
        // skipped rather than stalling playback for good.
        if (paranoia_) cdio_paranoia_modeset(paranoia_, PARANOIA_MODE_FULL ^ PARANOIA_MODE_NEVERSKIP);
    }
    ~ParanoiaReader() override {
        if (paranoia_) cdio_paranoia_free(paranoia_);
        if (drive_) cdio_cddap_close_no_free_cdio(drive_);
        cdio_destroy(cdio_);
    }

    bool read(int32_t lsn, int32_t count, uint8_t* out) override {
        if (!paranoia_) return cdio_read_audio_sectors(cdio_, out, lsn, uint32_t(count)) == DRIVER_OP_SUCCESS;
        if (lsn != next_) cdio_paranoia_seek(paranoia_, lsn, SEEK_SET);
        for (int32_t i = 0; i < count; ++i) {
            const int16_t* s = cdio_paranoia_read_limited(paranoia_, noProgress, 10);
            if (!s) return false;
            // Paranoia hands back samples in the host's order; the wave
            // layer takes little-endian ones.
            uint8_t* o = out + size_t(i) * kCdSectorBytes;
            for (int k = 0; k < kCdSectorBytes / 2; ++k) putU16(o + 2 * k, uint16_t(s[k]));
        }
        next_ = lsn + count;
        return true;
    }

private:
    CdIo_t* cdio_;
    std::unique_ptr<CdSheetCopy> copy_;   // goes after the handle
    cdrom_drive_t* drive_ = nullptr;
    cdrom_paranoia_t* paranoia_ = nullptr;
    int32_t next_ = -1;
};

} // namespace

CdioDrive::CdioDrive(std::string source) : source_(std::move(source)) {
    quietLog();
    if (source_.empty()) source_ = defaultDevice();
    struct stat st {};
    image_ = !source_.empty() && ::stat(source_.c_str(), &st) == 0 && !isDevice(st);
}

CdioDrive::~CdioDrive() {
    playback_.stop();
    close();
}

std::string CdioDrive::defaultDevice() {
    quietLog();
    char* d = cdio_get_default_device(nullptr);
    if (!d) return {};
    std::string out = d;
    cdio_free(d);
    return out;
}

int CdioDrive::open() {
    if (cdio_) return kCdOk;
    if (source_.empty()) return kCdNoDrive;
    if (image_ && doorOpen_) return kCdNoDisc;
    bool image = false;
    cdio_ = openSource(source_, image, refusal_, sheetCopy_);
    if (cdio_) return kCdOk;
    if (!refusal_.empty()) return kCdBadSheet;
    // A file that is there but holds no disc libcdio reads is a drive
    // without a readable disc; a path that is not there is no drive.
    return image ? kCdNoDisc : kCdNoDrive;
}

void CdioDrive::close() {
    if (cdio_) cdio_destroy(cdio_);
    cdio_ = nullptr;
    sheetCopy_.reset();
    tocValid_ = false;
}

std::unique_ptr<CdSectorReader> CdioDrive::openReader() const {
    bool image = false;
    std::string refusal;
    std::unique_ptr<CdSheetCopy> copy;
    CdIo_t* cdio = openSource(source_, image, refusal, copy);
    if (!cdio) return nullptr;
    return std::make_unique<ParanoiaReader>(cdio, std::move(copy));
}

// libcdio reads the table of contents once per handle, so a new handle is
// the way to see a changed disc. Playback reads through a handle of its
// own and goes on.
void CdioDrive::refresh() { close(); }

int CdioDrive::readToc(CdToc& toc) {
    toc = CdToc{};
    if (int rc = open()) return rc;
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
    CdToc toc;
    const int rc = readToc(toc);
    if (rc == kCdNoDrive) return rc;
    if (rc != kCdOk) {
        s.mode = trayOpen() ? CdMode::Open : CdMode::NotReady;
        return kCdOk;
    }
    s.mode = playback_.mode();
    s.position = playback_.position();
    return kCdOk;
}

bool CdioDrive::trayOpen() const {
    if (image_) return doorOpen_;
    // Only a drive that says so: an unknown answer is a closed tray.
    return cdio_ && mmc_get_tray_status(cdio_) == 1;
}

int CdioDrive::play(int32_t from, int32_t to) {
    CdToc toc;
    if (int rc = readToc(toc)) return rc;
    // Opened here, so that a disc that cannot be read is said at once;
    // reading, and the drive's spin-up, happen on the worker.
    auto reader = std::make_shared<std::unique_ptr<CdSectorReader>>(openReader());
    if (!*reader) return kCdDriveFailure;
    return playback_.play([reader] { return std::move(*reader); }, from, to);
}

int CdioDrive::pause() {
    if (int rc = open()) return rc;
    playback_.pause();
    return kCdOk;
}

int CdioDrive::resume() {
    if (int rc = open()) return rc;
    playback_.resume();
    return kCdOk;
}

int CdioDrive::stop() {
    if (int rc = open()) return rc;
    playback_.stop();
    return kCdOk;
}

int CdioDrive::setDoor(bool openDoor) {
    if (source_.empty()) return kCdNoDrive;
    playback_.stop();
    if (image_) {
        close();
        doorOpen_ = openDoor;
        return kCdOk;
    }
    if (openDoor) {
        if (int rc = open()) return rc;
        // Ejecting frees the handle and sets it to null.
        const driver_return_code_t rc = cdio_eject_media(&cdio_);
        close();
        return fromDriver(rc);
    }
    close();
    driver_id_t driver = DRIVER_DEVICE;
    return fromDriver(cdio_close_tray(source_.c_str(), &driver));
}

} // namespace sv


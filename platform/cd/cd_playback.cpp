#include "platform/cd/cd_playback.h"

#include "platform/audio/wave_out.h"

namespace sv {

namespace {

const WaveFormat kCdAudio = WaveFormat::pcm(44100, 16, 2);

} // namespace

CdPlayback::CdPlayback()
    : headers_(CdReadAhead::kBlocks), silence_(kCdSectorBytes, 0) {}

CdPlayback::~CdPlayback() { stop(); }

int CdPlayback::play(CdReaderFactory factory, int32_t from, int32_t to) {
    if (wave_) {
        // Every block comes back at once, without a notice; the device
        // stays open so that one play follows another without a gap in it.
        waveOutReset(wave_);
    } else {
        const WaveResult r = waveOutOpen(&wave_, kWaveMapper, kCdAudio,
                                         [this](WaveOutHandle, WaveHeader* h) { blockDone(h); });
        if (r != kWaveOk) {
            wave_ = 0;
            return kCdNoSound;
        }
    }
    queued_.clear();
    silenceQueued_ = false;
    ahead_.start(std::move(factory), from, to);
    from_ = from;
    played_ = 0;
    rest_ = from;
    playing_ = true;
    paused_ = false;
    feed();
    return kCdOk;
}

void CdPlayback::pause() {
    if (!playing_ || paused_) return;
    waveOutPause(wave_);
    paused_ = true;
}

void CdPlayback::resume() {
    if (!playing_ || !paused_) return;
    waveOutRestart(wave_);
    paused_ = false;
}

void CdPlayback::stop() {
    closeDevice();
    ahead_.stop();
    playing_ = paused_ = false;
    rest_ = 0;
}

void CdPlayback::closeDevice() {
    if (!wave_) return;
    waveOutClose(wave_);
    wave_ = 0;
    queued_.clear();
    silenceQueued_ = false;
}

CdMode CdPlayback::mode() const {
    if (!playing_) return CdMode::Stopped;
    return paused_ ? CdMode::Paused : CdMode::Playing;
}

int32_t CdPlayback::position() const { return playing_ ? from_ + played_ : rest_; }

void CdPlayback::blockDone(WaveHeader* h) {
    if (h == &silenceHeader_) {
        silenceQueued_ = false;
    } else if (!queued_.empty() && h == &headers_[size_t(queued_.front()->slot)]) {
        played_ += queued_.front()->sectors;
        queued_.pop_front();
        ahead_.release();
    }
    feed();
}

void CdPlayback::feed() {
    if (!playing_ || !wave_) return;
    while (CdAudioBlock* b = ahead_.take()) {
        WaveHeader& h = headers_[size_t(b->slot)];
        h.lpData = b->bytes.data();
        h.dwBufferLength = uint32_t(b->sectors) * kCdSectorBytes;
        h.dwFlags = 0;
        waveOutPrepareHeader(wave_, &h);
        if (waveOutWrite(wave_, &h) != kWaveOk) break;
        queued_.push_back(b);
    }
    if (!queued_.empty() || silenceQueued_) return;
    if (ahead_.exhausted()) {
        finish();
        return;
    }
    silenceHeader_.lpData = silence_.data();
    silenceHeader_.dwBufferLength = uint32_t(silence_.size());
    silenceHeader_.dwFlags = 0;
    waveOutPrepareHeader(wave_, &silenceHeader_);
    silenceQueued_ = waveOutWrite(wave_, &silenceHeader_) == kWaveOk;
}

// The range has been played (or the disc stopped giving music): the
// device is released and the position rests where the music ended.
void CdPlayback::finish() {
    const int32_t end = from_ + played_;
    closeDevice();
    ahead_.stop();
    playing_ = paused_ = false;
    rest_ = end;
}

} // namespace sv

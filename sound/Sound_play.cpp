// Playing a sound window's sound: blocks of a fifth of a second queued two
// at a time from the sample buffer itself, each finished block refilled
// with the next; the play lines moved by TimerPlay; the level meters fed
// from each finished block.
#include "sound/Sound_play.h"

#include <QFrame>
#include <QPalette>
#include <QTimer>

#include <algorithm>
#include <cstdlib>

#include "mainwindow/SonvelaMain.h"
#include "mainwindow/SonvelaMain_transport.h"
#include "platform/activity.h"
#include "platform/audio/wave_out.h"
#include "platform/clock.h"
#include "platform/numbers.h"
#include "platform/prompts.h"

namespace sv {

PlayRange playRange(int64_t frameCount, int64_t selectionStart, int64_t selectionLength, bool fromCursor) {
    PlayRange r;
    if (frameCount <= 0) return r;
    const int64_t start = std::clamp<int64_t>(selectionStart, 0, frameCount);
    if (selectionLength > 0) {
        r.first = start;
        r.frames = std::min(selectionLength, frameCount - start);
    } else if (fromCursor) {
        r.first = start;
        r.frames = frameCount - start;
    } else {
        r.frames = frameCount;
    }
    return r;
}

int64_t playBlockBytes(const SampleFormat& f) {
    const int64_t frame = std::max<int64_t>(1, f.nBlockAlign);
    const int64_t fifth = int64_t(f.nAvgBytesPerSec) / 5 / frame * frame;
    return std::max(frame, fifth);
}

int64_t playBlockCount(int64_t playBytes, int64_t block) {
    if (playBytes <= 0 || block <= 0) return 0;
    return (playBytes + block - 1) / block;
}

int64_t nextBlockBytes(int64_t playBytes, int64_t block, int64_t blocksToQueue) {
    if (blocksToQueue != 1) return block;
    const int64_t rest = playBytes % block;
    return rest ? rest : block;
}

namespace {

template <typename Level>
void pairPeaks(int64_t pairs, Level level, int& m1, int& m2) {
    for (int64_t i = 0; i < pairs; ++i) {
        m1 = std::max(m1, level(2 * i));
        m2 = std::max(m2, level(2 * i + 1));
    }
}

} // namespace

BlockPeaks blockPeaks(const uint8_t* data, uint32_t length, int bitsPerSample, int channels) {
    BlockPeaks p;
    if (!data) return p;
    int m1 = 0, m2 = 0;
    if (bitsPerSample == 16) {
        const int64_t pairs = length >= 8 ? int64_t(length) / 4 - 1 : 0;
        pairPeaks(pairs, [data](int64_t k) {
            const uint8_t* s = data + 2 * k;
            return std::abs(int(int16_t(uint16_t(s[0] | (s[1] << 8)))));
        }, m1, m2);
        p.left = std::min(100, m1 * 100 / 32768);
        p.right = std::min(100, m2 * 100 / 32768);
    } else {
        const int64_t pairs = length >= 4 ? int64_t(length) / 2 - 1 : 0;
        pairPeaks(pairs, [data](int64_t k) { return std::abs(int(data[k]) - 127); }, m1, m2);
        p.left = std::min(100, m1 * 100 / 127);
        p.right = std::min(100, m2 * 100 / 127);
    }
    if (channels == 1) p.left = p.right = std::max(p.left, p.right);
    return p;
}

} // namespace sv

using namespace sv;

namespace {

// Positions of the play line over the waveform are kept exact in the state;
// the widget stands just outside the view when the line is far off, so that
// no widget coordinate overflows.
int viewColumn(int64_t x, int width) { return int(std::clamp<int64_t>(x, -4, int64_t(width) + 4)); }

QColor bgrColour(uint32_t c) { return QColor(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF); }

void paintLine(QFrame* line, uint32_t colour) {
    QPalette pal = line->palette();
    pal.setColor(QPalette::Window, bgrColour(colour));
    line->setPalette(pal);
    line->setAutoFillBackground(true);
}

// Transport buttons of a running play: Pause and Stop on, Play and Record off.
void playingButtons(TSVMainfrm* m) {
    if (!m) return;
    m->SpeedButton14->setEnabled(true);
    m->SpeedButton16->setEnabled(false);
    m->enableButton("SpeedButton15", false);
    m->SpeedButton17->setEnabled(true);
}

// Transport buttons once a play has ended or failed.
void idleButtons(TSVMainfrm* m) {
    if (!m) return;
    m->SpeedButton16->setEnabled(true);
    m->SpeedButton14->setEnabled(false);
    m->SpeedButton17->setEnabled(false);
    m->enableButton("SpeedButton15", true);
}

void animatePicture(bool on) {
    if (SVMainfrm && SVMainfrm->transport().animate) SVMainfrm->transport().animate(on);
}

void stopEverything() {
    if (SVMainfrm) SVMainfrm->parar_todo();
}

void copyHeadersToMain(TSoundfrm::PlaybackState& ps) {
    if (!SVMainfrm) return;
    TSVMainfrm::TransportState& t = SVMainfrm->transport();
    t.WaveHeaders[0] = ps.PlayHeaders[0];
    t.WaveHeaders[1] = ps.PlayHeaders[1];
}

// The play could not go on: the device is stopped first (a message box
// runs an event loop, and no further notice of this play must arrive
// meanwhile), then the device's own text is shown.
void failPlay(TSoundfrm& w, WaveResult result) {
    const std::string text = waveOutGetErrorText(result);
    stopEverything();
    idleButtons(SVMainfrm);
    w.Playing = false;
    w.Paused = false;
    ShowMessage(text);
}

PlayRange rangeOf(const TSoundfrm& w) {
    const bool fromCursor = SVMainfrm && SVMainfrm->PlayFromCursorPosition;
    return playRange(w.FrameCount(), w.SelectionStart, w.SelectionLength, fromCursor);
}

// Opens the device on the window's format, fixes the range and queues its
// first one or two blocks: what a start and a loop restart share. False
// when the play could not start; the failure has been reported and the
// transport is idle again.
bool openAndQueue(TSoundfrm& w) {
    TSoundfrm::PlaybackState& ps = w.playState();
    TSVMainfrm* m = SVMainfrm;
    const PlayRange range = rangeOf(w);
    if (range.frames <= 0) {
        stopEverything();
        idleButtons(m);
        return false;
    }

    TSoundfrm* self = &w;
    WaveOutHandle handle = 0;
    WaveResult r = waveOutOpen(&handle, w.DefaultOutput, waveFormatOf(w.SampleFormat),
                               [self](WaveOutHandle, WaveHeader* h) {
                                   if (!self->playback_) return;
                                   for (int i = 0; i < 2; ++i)
                                       if (h == &self->playback_->PlayHeaders[i]) {
                                           self->WaveOutDone(i);
                                           return;
                                       }
                               });
    ps.WaveOut = handle;
    if (m) {
        m->transport().WaveOutHandle = handle;
        m->transport().player = self;
    }
    if (r != kWaveOk) {
        failPlay(w, r);
        return false;
    }

    const int64_t frameBytes = w.SampleFormat.nBlockAlign;
    ps.PlayPosition = w.Sound.bytes.data() + range.first * frameBytes;
    w.ActivarTimerPlay();
    ps.PlayBytes = range.frames * frameBytes;
    ps.Block = playBlockBytes(w.SampleFormat);
    ps.BlocksToQueue = playBlockCount(ps.PlayBytes, ps.Block);
    ps.BlockCount = ps.BlocksToQueue;
    ps.PlayHeaders[1] = WaveHeader{};
    for (int i = 0; i < 2 && ps.BlocksToQueue > 0; ++i) {
        ps.BlockBytes = nextBlockBytes(ps.PlayBytes, ps.Block, ps.BlocksToQueue);
        if (i == 1) ps.PlayPosition += ps.Block;
        WaveHeader& h = ps.PlayHeaders[i];
        h.lpData = ps.PlayPosition;
        h.dwBufferLength = uint32_t(ps.BlockBytes);
        h.dwFlags = 0;
        r = waveOutPrepareHeader(handle, &h);
        if (r == kWaveOk) r = waveOutWrite(handle, &h);
        if (r != kWaveOk) {
            failPlay(w, r);
            return false;
        }
        --ps.BlocksToQueue;
    }
    copyHeadersToMain(ps);
    w.DeviceOpen = true;
    return true;
}

// A resume moves the start of the play on by the time spent paused, so the
// play lines go on from where they stopped.
void resumeClock(TSoundfrm::PlaybackState& ps) {
    if (!ps.PausePending) return;
    ps.PlayStartTick += tickCount() - ps.PauseTick;
    ps.PausePending = false;
    ps.PauseTick = 0;
}

} // namespace

TSoundfrm::PlaybackState& TSoundfrm::playState() {
    if (!playback_) playback_ = std::make_shared<PlaybackState>();
    PlaybackState& ps = *playback_;
    if (!ps.timerConnected) {
        connect(TimerPlay, &QTimer::timeout, this, [this] { TimerPlayTimer(); });
        ps.timerConnected = true;
    }
    return ps;
}

TSoundfrm::PlaybackState::~PlaybackState() {
    if (!WaveOut) return;
    // Harmless when the handle was closed already.
    waveOutReset(WaveOut);
    waveOutClose(WaveOut);
    if (SVMainfrm && SVMainfrm->transport_ && SVMainfrm->transport_->WaveOutHandle == WaveOut) {
        SVMainfrm->transport_->WaveOutHandle = 0;
        SVMainfrm->transport_->player = nullptr;
        setActivity(Activity::Idle);
    }
}

void TSoundfrm::reproducir_sonido() {
    if (FrameCount() <= 0) return;
    TSVMainfrm* m = SVMainfrm;
    PlaybackState& ps = playState();
    if (Paused) {
        setActivity(Activity::Playing);
        playingButtons(m);
        waveOutRestart(ps.WaveOut);
        animatePicture(true);
        resumeClock(ps);
        Playing = true;
        Paused = false;
        if (m) m->habilitar_botones();
        return;
    }
    // Nothing to play (the cursor at the end, no selection): the window
    // stays idle and no other play is stopped.
    if (rangeOf(*this).frames <= 0) return;

    ps.BlocksPlayed = 0;
    ps.BlockCount = 0;
    playingButtons(m);
    stopEverything();
    setActivity(Activity::Playing);
    animatePicture(true);
    if (!openAndQueue(*this)) return;
    Playing = true;
    Paused = false;
    if (m) m->habilitar_botones();
}

void TSoundfrm::reproducir_loop() {
    if (FrameCount() <= 0) return;
    PlaybackState& ps = playState();
    if (Paused) {
        waveOutRestart(ps.WaveOut);
        resumeClock(ps);
        Playing = true;
        Paused = false;
        return;
    }
    ps.BlocksPlayed = 0;
    ps.BlockCount = 0;
    if (SVMainfrm) {
        // Also from inside the device's notice: the handle's remaining
        // notices are dropped and the new handle starts afresh.
        TSVMainfrm::TransportState& t = SVMainfrm->transport();
        waveOutReset(t.WaveOutHandle);
        waveOutUnprepareHeader(t.WaveOutHandle, &t.WaveHeaders[0]);
        waveOutUnprepareHeader(t.WaveOutHandle, &t.WaveHeaders[1]);
        waveOutClose(t.WaveOutHandle);
        t.WaveOutHandle = 0;
    }
    waveOutClose(ps.WaveOut);
    if (!openAndQueue(*this)) return;
    Playing = true;
    Paused = false;
}

void TSoundfrm::parar_sonido() {
    TSVMainfrm* m = SVMainfrm;
    if (m) {
        m->SpeedButton14->setEnabled(false);
        m->SpeedButton16->setEnabled(true);
        m->enableButton("SpeedButton15", true);
        m->SpeedButton17->setEnabled(false);
        m->Gauge1->setValue(0);
        m->Gauge2->setValue(0);
        m->parar_todo();
    }
    Playing = false;
    Paused = false;
}

void TSoundfrm::pausar_sonido() {
    if (!Playing) return;
    PlaybackState& ps = playState();
    animatePicture(false);
    if (TSVMainfrm* m = SVMainfrm) {
        m->SpeedButton16->setEnabled(true);
        m->enableButton("SpeedButton15", false);
        m->SpeedButton17->setEnabled(true);
        m->SpeedButton14->setEnabled(false);
    }
    waveOutPause(ps.WaveOut);
    if (!ps.PausePending) {
        ps.PauseTick = tickCount();
        ps.PausePending = true;
    }
    Playing = false;
    Paused = true;
}

void TSoundfrm::WaveOutDone(int header) {
    if (!playback_ || header < 0 || header > 1) return;
    PlaybackState& ps = *playback_;
    TSVMainfrm* m = SVMainfrm;
    CalculaVumeters(header);
    // A block that ends as the user pauses leaves the play paused: the
    // device holds its position until Play resumes it.
    ++ps.BlocksPlayed;

    if (ps.BlocksToQueue > 0) {
        ps.BlockBytes = nextBlockBytes(ps.PlayBytes, ps.Block, ps.BlocksToQueue);
        // After a stop the play state is gone and nothing is requeued.
        if (activity() == Activity::Playing) {
            ps.PlayPosition += ps.Block;
            WaveHeader& h = ps.PlayHeaders[header];
            waveOutUnprepareHeader(ps.WaveOut, &h);
            h.lpData = ps.PlayPosition;
            h.dwBufferLength = uint32_t(ps.BlockBytes);
            h.dwFlags = 0;
            copyHeadersToMain(ps);
            WaveResult r = waveOutPrepareHeader(ps.WaveOut, &h);
            if (r == kWaveOk) r = waveOutWrite(ps.WaveOut, &h);
            if (r != kWaveOk) {
                --ps.BlocksToQueue;
                failPlay(*this, r);
                return;
            }
        }
        --ps.BlocksToQueue;
    }

    if (ps.BlocksPlayed == ps.BlockCount) {
        const bool loop = m && m->Loop1 && m->Loop1->isChecked();
        if (loop && !m->SpeedButton16->isEnabled()) {
            reproducir_loop();
            return;
        }
        stopEverything();
        idleButtons(m);
        Playing = false;
    }
}

void TSoundfrm::CalculaVumeters(int header) {
    TSVMainfrm* m = SVMainfrm;
    if (!m || !m->VumeterPanel || m->VumeterPanel->isHidden() || !playback_ || header < 0 || header > 1) return;
    const WaveHeader& h = playback_->PlayHeaders[header];
    const BlockPeaks p = blockPeaks(h.lpData, h.dwBufferLength, SampleFormat.wBitsPerSample, SampleFormat.nChannels);
    LeftPeak = p.left;
    RightPeak = p.right;
    m->Gauge1->setValue(Playing ? LeftPeak : 0);
    m->Gauge2->setValue(Playing ? RightPeak : 0);
}

void TSoundfrm::ActivarTimerPlay() {
    PlaybackState& ps = playState();
    const int bottom = ScrollBar1->isHidden() ? StatusBar1->y() : ScrollBar1->y();
    LiniaPlay1->setGeometry(0, 0, 1, std::max(0, bottom - 1));
    LiniaPlay2->setGeometry(0, 1, 2, std::max(0, PaintBox1->height() - 1));
    ps.StartFrame = rangeOf(*this).first;
    TimerPlay->setInterval(1);
    ActualitzarOpcions();
    paintLine(LiniaPlay1, PlayCursorColor);
    paintLine(LiniaPlay2, PlayCursorColor);
    LiniaPlay1->show();
    LiniaPlay1->raise();
    LiniaPlay2->show();
    LiniaPlay2->raise();

    ps.PlayStartTick = tickCount();
    ps.PauseTick = 0;
    ps.PausePending = false;
    const int64_t frames = FrameCount();
    const int64_t zoom = std::max<int64_t>(1, Zoom);
    ps.OverviewLineX = frames > 0 ? double(truncClamp(double(PaintBox1->width()) / double(frames) * double(ps.StartFrame)))
                                  : 0.0;
    LiniaPlay2->move(viewColumn(int64_t(ps.OverviewLineX), Panel1->width()), 1);
    ps.PlayLineLeft = (ps.StartFrame - scrollPosition()) / zoom;
    ps.PlayLineX = double(ps.PlayLineLeft);
    LiniaPlay1->move(viewColumn(ps.PlayLineLeft, width()), 0);
    TimerPlay->start();
}

void TSoundfrm::TimerPlayTimer() {
    PlaybackState& ps = playState();
    if (Playing) {
        const uint32_t now = tickCount();
        const double rate = SampleFormat.nSamplesPerSec;
        const int64_t zoom = std::max<int64_t>(1, Zoom);
        const double elapsed = double(uint32_t(now - ps.PlayStartTick));

        // Columns per millisecond over the waveform.
        const double r1 = rate / (double(zoom) * 1000.0);
        ps.PlayLineX = double(ps.StartFrame / zoom) + elapsed * r1 - double(scrollPosition()) / double(zoom);
        const int64_t limit = int64_t(1) << 52;
        if (Shape1->x() + Shape1->width() >= ps.PlayLineX || SelectionLength <= 0) {
            ps.PlayLineLeft = truncClamp(ps.PlayLineX, -limit, limit);
            LiniaPlay1->move(viewColumn(ps.PlayLineLeft, width()), 0);
        } else {
            // The play has passed the end of the selection.
            LiniaPlay1->hide();
            LiniaPlay2->hide();
        }

        // Both texts count from the left edge of the view.
        const int64_t ms = r1 > 0 ? truncClamp(double(ps.PlayLineLeft) / r1, -limit, limit) : 0;
        const int64_t sample = truncClamp(double(ms) / 1000.0 * rate, -limit, limit);
        StatusPanels[0]->setText("Sample played: " + QString::number(sample));
        StatusPanels[1]->setText(QString("Playing... %1:%2:%3 ms")
                                     .arg(ms / 60000)
                                     .arg((ms / 1000) % 60)
                                     .arg(ms % 1000));

        const int64_t frames = FrameCount();
        if (frames > 0) {
            const double width = PaintBox1->width();
            const double r2 = width * rate / (double(frames) * 1000.0);
            ps.OverviewLineX =
                double(truncClamp(width / double(frames) * double(ps.StartFrame))) + elapsed * r2;
        }
        if (!LiniaPlay1->isHidden())
            LiniaPlay2->move(viewColumn(truncClamp(ps.OverviewLineX, -limit, limit), Panel1->width()), 1);
        else
            LiniaPlay2->hide();
    } else if (!Paused) {
        LiniaPlay1->hide();
        LiniaPlay2->hide();
        TimerPlay->stop();
        StatusPanels[0]->setText(QString::number(FileSize) + " Bytes");
        StatusPanels[1]->setText("Samples: " + QString::number(FrameCount()));
    }
}

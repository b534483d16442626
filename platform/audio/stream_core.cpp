#include "platform/audio/stream_core.h"

#include <algorithm>

namespace sv::audio {

// ---------------------------------------------------------------- output

OutputCore::OutputCore(uint32_t handle, const WaveFormat& format)
    : handle_(handle), format_(format), devRate_(format.nSamplesPerSec), devChannels_(format.nChannels) {}

void OutputCore::setDevice(uint32_t rate, int channels, uint64_t latencyFrames) {
    std::lock_guard<std::mutex> lk(m_);
    devRate_ = rate;
    devChannels_ = channels;
    latency_ = latencyFrames;
    sameRate_ = rate == format_.nSamplesPerSec;
    resampler_.reset();
    resampler_.step = static_cast<double>(format_.nSamplesPerSec) / static_cast<double>(rate);
}

void OutputCore::queue(WaveHeader* h) {
    std::lock_guard<std::mutex> lk(m_);
    queue_.push_back(Entry{h, h->lpData, h->dwBufferLength, 0});
}

void OutputCore::setPaused(bool paused) {
    std::lock_guard<std::mutex> lk(m_);
    paused_ = paused;
}

bool OutputCore::paused() const {
    std::lock_guard<std::mutex> lk(m_);
    return paused_;
}

std::vector<WaveHeader*> OutputCore::reset() {
    std::lock_guard<std::mutex> lk(m_);
    std::vector<WaveHeader*> back;
    back.reserve(finished_.size() + queue_.size());
    // Blocks already played but not yet announced come first: they were
    // queued first.
    for (const Finished& f : finished_) back.push_back(f.header);
    for (const Entry& e : queue_) back.push_back(e.header);
    finished_.clear();
    queue_.clear();
    paused_ = false;
    resampler_.reset();
    ++generation_;
    return back;
}

void OutputCore::finishFront(uint64_t playedAt) {
    finished_.push_back(Finished{queue_.front().header, playedAt + latency_});
    queue_.pop_front();
}

template <class T, int C>
size_t OutputCore::renderLayout(float* out, size_t frames) {
    const uint32_t align = format_.nBlockAlign;
    const int dc = devChannels_;
    size_t done = 0;
    if (sameRate_) {
        while (done < frames && !queue_.empty()) {
            Entry& e = queue_.front();
            const size_t n = std::min<size_t>((e.length - e.pos) / align, frames - done);
            if (out) {
                const uint8_t* p = e.data + e.pos;
                float* o = out + done * dc;
                for (size_t i = 0; i < n; ++i, p += align, o += dc) putFloatFrame(o, dc, decodeFrame<T, C>(p));
            }
            e.pos += static_cast<uint32_t>(n * align);
            done += n;
            if (e.length - e.pos < align) finishFront(deviceFrames_ + done);
        }
        return done;
    }
    auto pull = [&](Frame& f) {
        while (!queue_.empty()) {
            Entry& e = queue_.front();
            if (e.length - e.pos >= align) {
                f = decodeFrame<T, C>(e.data + e.pos);
                e.pos += align;
                if (e.length - e.pos < align) finishFront(deviceFrames_ + done + 1);
                return true;
            }
            finishFront(deviceFrames_ + done);
        }
        return false;
    };
    Frame f;
    while (done < frames && resampler_.next(pull, f)) {
        if (out) putFloatFrame(out + done * dc, dc, f);
        ++done;
    }
    return done;
}

void OutputCore::render(float* out, size_t frames) {
    std::lock_guard<std::mutex> lk(m_);
    size_t done = 0;
    if (!paused_) {
        dispatchPcm(format_.wBitsPerSample, format_.nChannels, [&](auto t, auto c) {
            done = renderLayout<decltype(t), decltype(c)::value>(out, frames);
        });
    }
    if (out && done < frames) std::fill(out + done * devChannels_, out + frames * devChannels_, 0.0f);
    deviceFrames_ += frames;
    while (!finished_.empty() && finished_.front().due <= deviceFrames_) {
        postWaveNotice(WaveNotice{false, handle_, generation_.load(), finished_.front().header, 0});
        finished_.pop_front();
    }
}

// ---------------------------------------------------------------- input

InputCore::InputCore(uint32_t handle, const WaveFormat& format)
    : handle_(handle), format_(format), devRate_(format.nSamplesPerSec), devChannels_(format.nChannels) {
    const size_t align = std::max<size_t>(1, format.nBlockAlign);
    size_t cap = static_cast<size_t>(format.nSamplesPerSec) * align * kRingSeconds;
    cap = std::max<size_t>(cap, 4096);
    ring_.assign(cap - cap % align, 0);
}

void InputCore::setDevice(uint32_t rate, int channels) {
    std::lock_guard<std::mutex> lk(m_);
    devRate_ = rate;
    devChannels_ = channels;
    sameRate_ = rate == format_.nSamplesPerSec;
    resampler_.reset();
    resampler_.step = static_cast<double>(rate) / static_cast<double>(format_.nSamplesPerSec);
}

void InputCore::add(WaveHeader* h) {
    std::lock_guard<std::mutex> lk(m_);
    queue_.push_back(Entry{h, h->lpData, h->dwBufferLength, 0});
    fillFromRing();
}

void InputCore::startCapture() {
    std::lock_guard<std::mutex> lk(m_);
    capturing_ = true;
}

void InputCore::stopCapture() {
    std::lock_guard<std::mutex> lk(m_);
    capturing_ = false;
}

bool InputCore::capturing() const {
    std::lock_guard<std::mutex> lk(m_);
    return capturing_;
}

uint64_t InputCore::droppedFrames() const {
    std::lock_guard<std::mutex> lk(m_);
    return dropped_;
}

size_t InputCore::ringBytes() const {
    std::lock_guard<std::mutex> lk(m_);
    return ringSize_;
}

size_t InputCore::readRing(uint8_t* dst, size_t n) {
    n = std::min(n, ringSize_);
    const size_t cap = ring_.size();
    const size_t first = std::min(n, cap - ringHead_);
    std::memcpy(dst, ring_.data() + ringHead_, first);
    std::memcpy(dst + first, ring_.data(), n - first);
    ringHead_ = (ringHead_ + n) % cap;
    ringSize_ -= n;
    return n;
}

void InputCore::fillFromRing() {
    while (!queue_.empty()) {
        Entry& e = queue_.front();
        if (e.filled < e.length) {
            if (ringSize_ == 0) return;
            e.filled += static_cast<uint32_t>(readRing(e.data + e.filled, e.length - e.filled));
            if (e.filled < e.length) return;
        }
        postWaveNotice(WaveNotice{true, handle_, generation_.load(), e.header, e.length});
        queue_.pop_front();
    }
}

std::vector<InputCore::Returned> InputCore::takeAll() {
    std::lock_guard<std::mutex> lk(m_);
    std::vector<Returned> back;
    back.reserve(queue_.size());
    for (Entry& e : queue_) {
        e.filled += static_cast<uint32_t>(readRing(e.data + e.filled, e.length - e.filled));
        back.push_back(Returned{e.header, e.filled});
    }
    queue_.clear();
    ringHead_ = ringSize_ = 0;
    resampler_.reset();
    ++generation_;
    return back;
}

template <class T, int C>
void InputCore::pushFrame(const Frame& f) {
    const size_t align = format_.nBlockAlign;
    const size_t cap = ring_.size();
    if (ringSize_ + align > cap) {
        ++dropped_;
        return;
    }
    const size_t w = (ringHead_ + ringSize_) % cap;
    if (w + align <= cap) {
        encodeFrame<T, C>(ring_.data() + w, f);
    } else {
        // A buffer length that is not a whole number of frames leaves the
        // ring's frames unaligned, so one may wrap.
        uint8_t tmp[4];
        encodeFrame<T, C>(tmp, f);
        for (size_t b = 0; b < align; ++b) ring_[(w + b) % cap] = tmp[b];
    }
    ringSize_ += align;
}

template <class T, int C>
void InputCore::captureLayout(const float* in, size_t frames) {
    const int dc = devChannels_;
    if (sameRate_) {
        for (size_t i = 0; i < frames; ++i) pushFrame<T, C>(getFloatFrame(in + i * dc, dc));
        return;
    }
    size_t i = 0;
    auto pull = [&](Frame& f) {
        if (i >= frames) return false;
        f = getFloatFrame(in + i * dc, dc);
        ++i;
        return true;
    };
    Frame f;
    while (resampler_.next(pull, f)) pushFrame<T, C>(f);
}

void InputCore::capture(const float* in, size_t frames) {
    std::lock_guard<std::mutex> lk(m_);
    if (!capturing_) return;
    dispatchPcm(format_.wBitsPerSample, format_.nChannels, [&](auto t, auto c) {
        captureLayout<decltype(t), decltype(c)::value>(in, frames);
    });
    fillFromRing();
}

} // namespace sv::audio

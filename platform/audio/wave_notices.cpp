#include "platform/audio/wave_notices.h"

#include "platform/audio/wave_internal.h"

#include <deque>
#include <mutex>

namespace sv {
namespace audio {
namespace {

struct NoticeQueue {
    std::mutex m;
    std::deque<WaveNotice> q;
    WaveNoticeWakeup wake = nullptr;
};

// Never destroyed: an audio thread may still post while the program exits.
NoticeQueue& notices() {
    static NoticeQueue* q = new NoticeQueue;
    return *q;
}

} // namespace

void postWaveNotice(const WaveNotice& n) {
    NoticeQueue& nq = notices();
    std::lock_guard<std::mutex> lk(nq.m);
    nq.q.push_back(n);
    if (nq.wake) nq.wake();
}

bool popWaveNotice(WaveNotice& n) {
    NoticeQueue& nq = notices();
    std::lock_guard<std::mutex> lk(nq.m);
    if (nq.q.empty()) return false;
    n = nq.q.front();
    nq.q.pop_front();
    return true;
}

std::vector<WaveNotice> takeWaveNotices(bool input, uint32_t handle) {
    NoticeQueue& nq = notices();
    std::lock_guard<std::mutex> lk(nq.m);
    std::vector<WaveNotice> mine;
    std::deque<WaveNotice> rest;
    for (const WaveNotice& n : nq.q) {
        if (n.input == input && n.handle == handle) mine.push_back(n);
        else rest.push_back(n);
    }
    nq.q.swap(rest);
    return mine;
}

uint32_t newHandleId() {
    // Never reused, so a late call with an old handle finds nothing.
    static uint32_t next = 0;
    return ++next;
}

} // namespace audio

size_t deliverWaveNotices() {
    size_t delivered = 0;
    audio::WaveNotice n;
    while (audio::popWaveNotice(n)) {
        bool ok = n.input ? audio::dispatchInNotice(n) : audio::dispatchOutNotice(n);
        if (ok) ++delivered;
    }
    return delivered;
}

size_t pendingWaveNotices() {
    audio::NoticeQueue& nq = audio::notices();
    std::lock_guard<std::mutex> lk(nq.m);
    return nq.q.size();
}

void setWaveNoticeWakeup(WaveNoticeWakeup wake) {
    audio::NoticeQueue& nq = audio::notices();
    std::lock_guard<std::mutex> lk(nq.m);
    nq.wake = wake;
}

} // namespace sv

#include "platform/cd/cd_read_ahead.h"

#include <algorithm>

namespace sv {

CdReadAhead::CdReadAhead() : ring_(kBlocks) {
    for (int i = 0; i < kBlocks; ++i) {
        ring_[size_t(i)].slot = i;
        ring_[size_t(i)].bytes.resize(size_t(kSectorsPerBlock) * kCdSectorBytes);
    }
}

CdReadAhead::~CdReadAhead() { stop(); }

void CdReadAhead::start(CdReaderFactory factory, int32_t from, int32_t to) {
    stop();
    std::lock_guard<std::mutex> lk(m_);
    from_ = from;
    to_ = std::max(from, to);
    filled_ = taken_ = released_ = 0;
    done_ = from_ >= to_;
    failed_ = false;
    stop_ = false;
    if (!done_) worker_ = std::thread(&CdReadAhead::run, this, std::move(factory));
}

void CdReadAhead::stop() {
    {
        std::lock_guard<std::mutex> lk(m_);
        stop_ = true;
    }
    cv_.notify_all();
    if (worker_.joinable()) worker_.join();
    std::lock_guard<std::mutex> lk(m_);
    filled_ = taken_ = released_ = 0;
    done_ = true;
}

void CdReadAhead::run(CdReaderFactory factory) {
    std::unique_ptr<CdSectorReader> reader = factory ? factory() : nullptr;
    int32_t next = from_;
    bool ok = reader != nullptr;
    while (ok && next < to_) {
        CdAudioBlock* block = nullptr;
        {
            std::unique_lock<std::mutex> lk(m_);
            cv_.wait(lk, [&] { return stop_ || filled_ - released_ < uint64_t(kBlocks); });
            if (stop_) return;
            // The slot after the last filled one: the consumer holds only
            // slots between released_ and filled_, so this one is free.
            block = &ring_[size_t(filled_ % kBlocks)];
        }
        const int32_t n = std::min(kSectorsPerBlock, to_ - next);
        ok = reader->read(next, n, block->bytes.data());
        if (!ok) break;
        std::lock_guard<std::mutex> lk(m_);
        block->first = next;
        block->sectors = n;
        ++filled_;
        next += n;
        cv_.notify_all();
    }
    std::lock_guard<std::mutex> lk(m_);
    done_ = true;
    failed_ = !ok;
    cv_.notify_all();
}

CdAudioBlock* CdReadAhead::take() {
    std::lock_guard<std::mutex> lk(m_);
    if (taken_ == filled_) return nullptr;
    return &ring_[size_t(taken_++ % kBlocks)];
}

CdAudioBlock* CdReadAhead::waitTake() {
    std::unique_lock<std::mutex> lk(m_);
    cv_.wait(lk, [&] { return taken_ < filled_ || done_; });
    if (taken_ == filled_) return nullptr;
    return &ring_[size_t(taken_++ % kBlocks)];
}

void CdReadAhead::release() {
    {
        std::lock_guard<std::mutex> lk(m_);
        if (released_ < taken_) ++released_;
    }
    cv_.notify_all();
}

void CdReadAhead::waitFull() {
    std::unique_lock<std::mutex> lk(m_);
    cv_.wait(lk, [&] { return done_ || filled_ - released_ == uint64_t(kBlocks); });
}

bool CdReadAhead::exhausted() const {
    std::lock_guard<std::mutex> lk(m_);
    return done_ && taken_ == filled_;
}

bool CdReadAhead::failed() const {
    std::lock_guard<std::mutex> lk(m_);
    return failed_;
}

} // namespace sv

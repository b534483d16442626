// Conversion streams: checked handles, prepared headers, and the output a
// caller's buffer could not take, kept for its next call.
#include <cstring>
#include <limits>
#include <map>
#include <memory>

#include "platform/codec/codec.h"
#include "platform/codec/codec_internal.h"
#include "platform/codec/coders.h"

namespace sv::codec {

using namespace detail;

namespace {

struct StreamObject {
    std::unique_ptr<Coder> coder;
    std::vector<uint8_t> pending;    // output owed to the caller
    size_t pendingPos = 0;
    std::vector<uint8_t> scratch;    // reused for each call's output
};

std::map<StreamHandle, std::unique_ptr<StreamObject>>& registry() {
    static std::map<StreamHandle, std::unique_ptr<StreamObject>> streams;
    return streams;
}

StreamObject* lookup(StreamHandle h) {
    auto it = registry().find(h);
    return it == registry().end() ? nullptr : it->second.get();
}

constexpr uint32_t kConvertFlags = kConvertBlockAlign | kConvertStart | kConvertEnd;

} // namespace

int streamOpen(StreamHandle* handle, const uint8_t* source, const uint8_t* dest, uint32_t flags) {
    if (!source || !dest) return kErrInvalidParam;
    if (flags & ~(kOpenQuery | kOpenAsync | kOpenNonRealTime)) return kErrInvalidFlag;
    if (flags & kOpenAsync) return kErrNotSupported;
    const StreamKind kind = classifyPair(source, dest);
    if (kind == StreamKind::None) return kErrNotPossible;
    if (flags & kOpenQuery) return kOk;
    if (!handle) return kErrInvalidParam;
    auto obj = std::make_unique<StreamObject>();
    int err = makeCoder(kind, source, dest, obj->coder);
    if (err != kOk) return err;
    static StreamHandle next = 0;
    do {
        ++next;
    } while (next == 0 || lookup(next));
    registry()[next] = std::move(obj);
    *handle = next;
    return kOk;
}

int streamSize(StreamHandle h, uint32_t input, uint32_t& output, uint32_t flags) {
    StreamObject* s = lookup(h);
    if (!s) return kErrInvalidHandle;
    if (flags & ~kSizeDestination) return kErrInvalidFlag;
    uint64_t v;
    if (flags & kSizeDestination) {
        v = s->coder->inputFor(input);
    } else {
        v = input == 0 ? 0 : s->coder->outputBound(input) + (s->pending.size() - s->pendingPos);
    }
    if (v > std::numeric_limits<uint32_t>::max()) return kErrNotPossible;
    output = static_cast<uint32_t>(v);
    return kOk;
}

int streamPrepareHeader(StreamHandle h, StreamHeader& header) {
    if (!lookup(h)) return kErrInvalidHandle;
    if (!header.source || !header.dest) return kErrInvalidParam;
    if (header.status & kHeaderPrepared) return kOk;
    header.status = kHeaderPrepared;
    return kOk;
}

int streamUnprepareHeader(StreamHandle h, StreamHeader& header) {
    if (!lookup(h)) return kErrInvalidHandle;
    if (!(header.status & kHeaderPrepared)) return kErrStreamUnprepared;
    header.status &= ~kHeaderPrepared;
    return kOk;
}

int streamConvert(StreamHandle h, StreamHeader& header, uint32_t flags) {
    StreamObject* s = lookup(h);
    if (!s) return kErrInvalidHandle;
    if (flags & ~kConvertFlags) return kErrInvalidFlag;
    if (!(header.status & kHeaderPrepared)) return kErrStreamUnprepared;
    header.status &= ~kHeaderDone;
    header.sourceLengthUsed = 0;
    header.destLengthUsed = 0;
    if (flags & kConvertStart) {
        // A new stream of data: nothing of the previous one may leak into it.
        s->pending.clear();
        s->pendingPos = 0;
        if (int err = s->coder->reset(); err != kOk) return err;
    }
    s->scratch.clear();
    uint32_t used = 0;
    int err = s->coder->process(header.source, header.sourceLength, used, (flags & kConvertEnd) != 0, s->scratch);
    if (err != kOk) return err;
    header.sourceLengthUsed = used;

    // Hand out what was owed first, then the new output; keep what does not fit.
    uint32_t room = header.destLength;
    uint8_t* dst = header.dest;
    const size_t owed = s->pending.size() - s->pendingPos;
    const size_t fromPending = std::min<size_t>(owed, room);
    if (fromPending) std::memcpy(dst, s->pending.data() + s->pendingPos, fromPending);
    s->pendingPos += fromPending;
    room -= static_cast<uint32_t>(fromPending);
    const size_t fromNew = std::min<size_t>(s->scratch.size(), room);
    if (fromNew) std::memcpy(dst + fromPending, s->scratch.data(), fromNew);
    header.destLengthUsed = static_cast<uint32_t>(fromPending + fromNew);
    if (s->pendingPos == s->pending.size()) {
        s->pending.clear();
        s->pendingPos = 0;
    }
    if (fromNew < s->scratch.size()) s->pending.insert(s->pending.end(), s->scratch.begin() + static_cast<long>(fromNew), s->scratch.end());
    header.status |= kHeaderDone;
    return kOk;
}

int streamReset(StreamHandle h) {
    StreamObject* s = lookup(h);
    if (!s) return kErrInvalidHandle;
    s->pending.clear();
    s->pendingPos = 0;
    return s->coder->reset();
}

int streamClose(StreamHandle h) {
    auto it = registry().find(h);
    if (it == registry().end()) return kErrInvalidHandle;
    registry().erase(it);
    return kOk;
}

} // namespace sv::codec

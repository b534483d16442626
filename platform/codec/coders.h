// The three kinds of work one codec stream does, over libavcodec and
// libswresample. Internal to the codec manager; streams.cpp wraps them in
// handles and headers.
#pragma once
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/codec/codec_internal.h"

namespace sv::codec::detail {

class Coder {
public:
    virtual ~Coder() = default;
    // Converts what it can of src[0 .. len) and appends the output to out.
    // `used` tells how much input was taken; without `end` a coder takes
    // whole blocks (or frames) only, with `end` it takes everything and
    // flushes partial blocks and codec delay. Returns a result code.
    virtual int process(const uint8_t* src, uint32_t len, uint32_t& used, bool end, std::vector<uint8_t>& out) = 0;
    // The most output `srcBytes` of input can give, codec delay included.
    virtual uint64_t outputBound(uint64_t srcBytes) const = 0;
    // Input that gives no more than `dstBytes` of output.
    virtual uint64_t inputFor(uint64_t dstBytes) const = 0;
    // Forgets every buffered sample; the next input starts a new stream.
    virtual int reset() = 0;
};

// Builds and opens the coder for a pair that classifyPair() accepted.
// Returns a result code; on success `out` holds the coder.
int makeCoder(StreamKind kind, const uint8_t* source, const uint8_t* dest, std::unique_ptr<Coder>& out);

} // namespace sv::codec::detail

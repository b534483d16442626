// The codec manager: conversion drivers, their format tags and formats,
// format suggestion and conversion streams, over FFmpeg's libavcodec and
// libswresample.
//
// Formats travel as WAVE format records: 18 little-endian bytes (tag,
// channels, rate, byte rate, block align, bits, extra size) followed by
// "extra size" bytes that compressed formats need. Every call that takes a
// record reads 18 + extra size bytes of it (18 for PCM).
//
// Drivers and what they convert in one stream:
//   PCM converter   PCM <-> PCM: rate, channels (1, 2) and 8/16 bits at once
//   G.711           A-law, mu-law      <-> 16-bit PCM of the same rate and channels
//   IMA ADPCM       IMA ADPCM          <-> 16-bit PCM of the same rate and channels
//   MS ADPCM        MS ADPCM           <-> 16-bit PCM of the same rate and channels
//   GSM 6.10        GSM 6.10 (mono)    <-> 16-bit PCM of the same rate
//   MPEG Layer-3    MPEG layer 3        -> 16-bit PCM; encoding only when the
//                                         libavcodec in use has the LAME encoder
// Anything else takes a chain of streams through PCM; planning that chain is
// the caller's business.
//
// Not thread-safe as a whole: use it from one thread (the UI thread), which
// is what the conversion library does. Handles are checked, so a closed or
// made-up handle gives kErrInvalidHandle instead of a crash.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace sv::codec {

// Result codes. The numbers are the ones the conversion library's messages
// are keyed by; never renumber them.
enum Result : int {
    kOk = 0,
    kErrBadDeviceId = 2,
    kErrNotEnabled = 3,
    kErrAllocated = 4,
    kErrInvalidHandle = 5,
    kErrNoDriver = 6,
    kErrNoMem = 7,
    kErrNotSupported = 8,
    kErrInvalidFlag = 10,
    kErrInvalidParam = 11,
    kErrHandleBusy = 12,
    kErrBadFormat = 32,
    kErrStillPlaying = 33,
    kErrUnprepared = 34,
    kErrSync = 35,
    kErrNotPossible = 512,
    kErrBusy = 513,
    kErrStreamUnprepared = 514,
    kErrCanceled = 515,
};

// The text for a result code without any prefix ("Bad device ID.", ...);
// unknown codes give "An unexpected error has occurred (code #N).".
std::string resultText(int code);

// Format tags the drivers know.
enum FormatTag : uint16_t {
    kTagPcm = 1,
    kTagMsAdpcm = 2,
    kTagALaw = 6,
    kTagMuLaw = 7,
    kTagImaAdpcm = 0x11,
    kTagGsm610 = 0x31,
    kTagMpegLayer3 = 0x55,
    // Read as sources of the PCM converter only: 32 and 64-bit float
    // samples, and the extensible record whose sub-format says PCM or float.
    kTagIeeeFloat = 3,
    kTagExtensible = 0xFFFE,
};

constexpr uint32_t kFormatHeaderSize = 18;
// The largest record any driver produces (MS ADPCM: 18 + 32).
constexpr uint32_t kMaxFormatSize = 50;

// The 18-byte head of a format record, decoded.
struct FormatFields {
    uint16_t formatTag = 0;
    uint16_t channels = 0;
    uint32_t samplesPerSec = 0;
    uint32_t avgBytesPerSec = 0;
    uint16_t blockAlign = 0;
    uint16_t bitsPerSample = 0;
    uint16_t extraSize = 0;
};
FormatFields readFields(const uint8_t* record);
void writeFields(uint8_t* record, const FormatFields& f);
// 18 + extra size (18 for PCM, whose extra size means nothing).
uint32_t recordSize(const uint8_t* record);

// ---- drivers -------------------------------------------------------------

using DriverId = int;   // 1-based; 0 means "any driver"

// Support flags of a driver.
enum DriverSupport : uint32_t {
    kSupportCodec = 0x1,
    kSupportConverter = 0x2,
    kSupportFilter = 0x4,
    kSupportHardware = 0x8,
    kSupportAsync = 0x10,
    kSupportLocal = 0x40000000,
    kSupportDisabled = 0x80000000,
};

struct DriverDetails {
    uint32_t support = 0;
    uint32_t formatTagCount = 0;
    std::string shortName;    // at most 31 characters
    std::string longName;     // at most 127
    std::string copyright;    // at most 79
    std::string licensing;    // at most 127
    std::string features;     // at most 511
};

std::vector<DriverId> driverEnum();
int driverDetails(DriverId id, DriverDetails& out);
int driverPriority(DriverId id, uint32_t& out);
// Opening a driver only checks that it exists; the handle is its id.
int driverOpen(DriverId id, DriverId& handle);
int driverClose(DriverId handle);
// The largest format record of a driver, or of every driver for id 0.
int maxFormatSize(DriverId id, uint32_t& out);

// ---- format tags and formats --------------------------------------------

struct FormatTagDetails {
    uint16_t formatTag = 0;
    uint32_t formatSize = 0;        // largest record of the tag
    uint32_t support = 0;
    uint32_t standardFormats = 0;   // how many formats enumeration lists
    std::string name;               // at most 47 characters
};
// By tag, from whichever driver handles it. kErrNotPossible for unknown tags.
int formatTagDetails(uint16_t tag, FormatTagDetails& out);

// A one-line description of a format ("22050 Hz, 16 Bit, Stereo"), at most
// 127 characters. Fails (kErrNotPossible) for a record no driver handles and
// kErrInvalidParam when size is smaller than the record.
int formatDetails(const uint8_t* record, uint32_t size, std::string& description);

// Enumeration flags: which formats to list.
enum FormatEnumFlags : uint32_t {
    kEnumTag = 0x10000,          // only formats of the given tag
    kEnumInput = 0x800000,       // formats that can be converted from
    kEnumOutput = 0x1000000,     // formats that can be produced
};
struct EnumeratedFormat {
    DriverId driver = 0;
    std::vector<uint8_t> record;
    std::string description;
};
// Lists the standard formats of one driver (or all for 0), in a stable order.
// Without Input/Output, a format is listed when it can be both produced and
// read back; a format the build cannot encode is never listed for output.
// The callback returns false to stop.
int formatEnum(DriverId id, uint16_t tag, uint32_t flags,
               const std::function<bool(const EnumeratedFormat&)>& callback);

// Suggestion flags: which fields of the destination are imposed.
enum SuggestFlags : uint32_t {
    kSuggestTag = 0x10000,
    kSuggestChannels = 0x20000,
    kSuggestRate = 0x40000,
    kSuggestBits = 0x80000,
};
// Writes into dest (dest holds the imposed fields on entry) a format the
// source converts to in one stream. Bytes of dest past the new record, up to
// destSize, are zeroed so that two suggestions compare equal byte for byte.
int formatSuggest(const uint8_t* source, uint8_t* dest, uint32_t destSize, uint32_t flags);

// True when a driver reads this record (as a conversion source) / can
// produce it (as a conversion destination).
bool canRead(const uint8_t* record);
bool canProduce(const uint8_t* record);
// Whether this libavcodec has an encoder for the tag (MPEG layer 3 needs LAME).
bool encoderAvailable(uint16_t tag);

// ---- streams -------------------------------------------------------------

using StreamHandle = uint32_t;   // 0 is never a valid handle

enum StreamOpenFlags : uint32_t {
    kOpenQuery = 0x01,
    kOpenAsync = 0x02,           // refused: every stream is synchronous
    kOpenNonRealTime = 0x04,
};
enum StreamSizeFlags : uint32_t {
    kSizeSource = 0x0,           // given source bytes, the largest output
    kSizeDestination = 0x1,      // given room for output, the source bytes that fit
};
enum StreamConvertFlags : uint32_t {
    kConvertBlockAlign = 0x04,   // convert whole blocks only, keep the rest
    kConvertStart = 0x10,        // first block of a new stream of data
    kConvertEnd = 0x20,          // last block: flush partial blocks and codec delay
};

struct StreamHeader {
    uint32_t status = 0;         // kHeaderPrepared, kHeaderDone
    uint8_t* source = nullptr;
    uint32_t sourceLength = 0;
    uint32_t sourceLengthUsed = 0;
    uint8_t* dest = nullptr;
    uint32_t destLength = 0;
    uint32_t destLengthUsed = 0;
};
enum HeaderStatus : uint32_t { kHeaderDone = 0x10000, kHeaderPrepared = 0x20000 };

// With kOpenQuery, handle may be null and only says whether the pair
// converts (kOk) or not (kErrNotPossible).
int streamOpen(StreamHandle* handle, const uint8_t* source, const uint8_t* dest, uint32_t flags);
int streamSize(StreamHandle h, uint32_t input, uint32_t& output, uint32_t flags);
int streamPrepareHeader(StreamHandle h, StreamHeader& header);
// Converts header.source[0 .. sourceLength) into header.dest. Bytes that do
// not make a whole block (or codec frame) are left unused unless the flags
// carry kConvertEnd; output that does not fit destLength is kept and given
// first on the next call.
int streamConvert(StreamHandle h, StreamHeader& header, uint32_t flags);
int streamUnprepareHeader(StreamHandle h, StreamHeader& header);
// Forgets buffered input, codec state and pending output.
int streamReset(StreamHandle h);
int streamClose(StreamHandle h);

} // namespace sv::codec

// The format side of the codec manager: drivers, tags, which records a
// driver accepts, descriptions, enumeration and suggestion. Nothing here
// opens a codec; only encoderAvailable() asks libavcodec what it has.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/log.h>
}

#include "platform/codec/codec.h"
#include "platform/codec/codec_internal.h"

namespace sv::codec {

namespace detail {

void quietFfmpegLog() {
    static bool done = false;
    if (!done) {
        // Decoders log every damaged frame they skip; the conversion reports
        // what matters through its result codes.
        av_log_set_level(AV_LOG_FATAL);
        done = true;
    }
}

} // namespace detail

using namespace detail;

namespace {

// The standard MS ADPCM predictor pairs; libavcodec decodes only these.
const int16_t kMsCoefs[7][2] = {{256, 0}, {512, -256}, {0, 0}, {192, 64}, {240, 0}, {460, -208}, {392, -232}};

const uint32_t kMp3Rates[] = {8000, 11025, 12000, 16000, 22050, 24000, 32000, 44100, 48000};
const uint32_t kMpeg1Kbps[] = {32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320};
const uint32_t kMpeg2Kbps[] = {8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160};

struct DriverInfo {
    const char* shortName;
    const char* longName;
    const char* features;
    uint32_t support;
    std::vector<uint16_t> tags;
};

const std::vector<DriverInfo>& driverTable() {
    static const std::vector<DriverInfo> table = {
        {"PCM Converter", "PCM format converter",
         "Converts PCM audio between sample rates, mono and stereo, and 8 and 16 bits in one step; reads "
         "24 and 32-bit PCM and 32 and 64-bit floating-point audio.",
         kSupportConverter | kSupportLocal, {kTagPcm, kTagIeeeFloat}},
        {"G.711", "CCITT G.711 A-law and u-law codec",
         "Compresses 16-bit PCM to 8-bit A-law or u-law and back.", kSupportCodec | kSupportLocal,
         {kTagALaw, kTagMuLaw}},
        {"IMA ADPCM", "IMA ADPCM codec", "Compresses 16-bit PCM to 4-bit IMA ADPCM and back.",
         kSupportCodec | kSupportLocal, {kTagImaAdpcm}},
        {"MS ADPCM", "MS ADPCM codec", "Compresses 16-bit PCM to 4-bit MS ADPCM and back.",
         kSupportCodec | kSupportLocal, {kTagMsAdpcm}},
        {"GSM 6.10", "GSM 6.10 audio codec", "Compresses mono 16-bit PCM to GSM 6.10 and back.",
         kSupportCodec | kSupportLocal, {kTagGsm610}},
        {"MPEG Layer-3", "MPEG layer-3 audio codec",
         "Decodes MPEG layer-3 audio to 16-bit PCM; encodes when the LAME encoder is present.",
         kSupportCodec | kSupportLocal, {kTagMpegLayer3}},
    };
    return table;
}

const char* tagName(uint16_t tag) {
    switch (tag) {
    case kTagPcm: return "PCM";
    case kTagMsAdpcm: return "MS ADPCM";
    case kTagALaw: return "CCITT A-Law";
    case kTagMuLaw: return "CCITT u-Law";
    case kTagImaAdpcm: return "IMA ADPCM";
    case kTagGsm610: return "GSM 6.10";
    case kTagMpegLayer3: return "MPEG Layer-3";
    case kTagIeeeFloat: return "IEEE Float";
    default: return nullptr;
    }
}

DriverId driverOfTag(uint16_t tag) {
    const auto& t = driverTable();
    for (size_t i = 0; i < t.size(); ++i)
        if (std::find(t[i].tags.begin(), t[i].tags.end(), tag) != t[i].tags.end()) return static_cast<DriverId>(i + 1);
    return 0;
}

uint32_t tagRecordSize(uint16_t tag) {
    switch (tag) {
    case kTagMsAdpcm: return 18 + 32;
    case kTagImaAdpcm: case kTagGsm610: return 18 + 2;
    case kTagMpegLayer3: return 18 + 12;
    default: return 18;
    }
}

bool isPowerOfTwo(uint32_t v) { return v && !(v & (v - 1)); }

bool mp3RateKnown(uint32_t rate) {
    return std::find(std::begin(kMp3Rates), std::end(kMp3Rates), rate) != std::end(kMp3Rates);
}

bool mp3BitrateValid(uint32_t rate, uint32_t kbps) {
    if (rate >= 32000) return std::find(std::begin(kMpeg1Kbps), std::end(kMpeg1Kbps), kbps) != std::end(kMpeg1Kbps);
    if (rate >= 16000) return std::find(std::begin(kMpeg2Kbps), std::end(kMpeg2Kbps), kbps) != std::end(kMpeg2Kbps);
    // MPEG 2.5 (8 to 12 kHz): LAME stops at 64 kbit/s there.
    return kbps <= 64 && std::find(std::begin(kMpeg2Kbps), std::end(kMpeg2Kbps), kbps) != std::end(kMpeg2Kbps);
}

bool decoderAvailable(uint16_t tag) {
    const char* name = decoderName(tag);
    if (tag == kTagPcm) return true;
    return name && *name && avcodec_find_decoder_by_name(name) != nullptr;
}

// PCM of the two layouts every driver reads and the PCM converter writes.
bool plainPcm(const uint8_t* r) {
    const PcmSample s = pcmSampleOf(r);
    return getU16(r) == kTagPcm && (s == PcmSample::U8 || s == PcmSample::S16);
}

// A record that some driver can take apart.
bool readable(const uint8_t* r) {
    if (!r) return false;
    FormatFields f = readFields(r);
    if (f.channels < 1 || f.channels > 2 || f.samplesPerSec == 0 || f.samplesPerSec > 384000) return false;
    const uint32_t ch = f.channels;
    switch (f.formatTag) {
    case kTagPcm:
    case kTagIeeeFloat:
    case kTagExtensible:
        return pcmSampleOf(r) != PcmSample::None;
    case kTagALaw:
    case kTagMuLaw:
        return f.bitsPerSample == 8 && f.blockAlign == ch && f.avgBytesPerSec == static_cast<uint64_t>(f.samplesPerSec) * ch &&
               decoderAvailable(f.formatTag);
    case kTagImaAdpcm:
        return f.bitsPerSample == 4 && f.extraSize >= 2 && f.blockAlign > 4 * ch && f.blockAlign % (4 * ch) == 0 &&
               getU16(r + 18) == (f.blockAlign - 4 * ch) * 2 / ch + 1 && f.avgBytesPerSec > 0 &&
               decoderAvailable(f.formatTag);
    case kTagMsAdpcm: {
        if (f.bitsPerSample != 4 || f.extraSize < 32 || f.blockAlign <= 7 * ch || f.avgBytesPerSec == 0) return false;
        if (getU16(r + 18) != (f.blockAlign - 7 * ch) * 2 / ch + 2 || getU16(r + 20) != 7) return false;
        for (int i = 0; i < 7; ++i)
            if (static_cast<int16_t>(getU16(r + 22 + 4 * i)) != kMsCoefs[i][0] ||
                static_cast<int16_t>(getU16(r + 24 + 4 * i)) != kMsCoefs[i][1])
                return false;
        return decoderAvailable(f.formatTag);
    }
    case kTagGsm610:
        return ch == 1 && f.blockAlign == 65 && f.extraSize >= 2 && getU16(r + 18) == 320 && f.avgBytesPerSec > 0 &&
               decoderAvailable(f.formatTag);
    case kTagMpegLayer3:
        return mp3RateKnown(f.samplesPerSec) && f.avgBytesPerSec > 0 && decoderAvailable(f.formatTag);
    default:
        return false;
    }
}

// A record that some driver can write.
bool producible(const uint8_t* r) {
    if (!readable(r)) return false;
    FormatFields f = readFields(r);
    if (pcmSampleOf(r) != PcmSample::None) return plainPcm(r);
    if (!encoderAvailable(f.formatTag)) return false;
    switch (f.formatTag) {
    case kTagImaAdpcm:
    case kTagMsAdpcm:
        // libavcodec's ADPCM encoders take power-of-two blocks of 32 to 8192 bytes.
        return isPowerOfTwo(f.blockAlign) && f.blockAlign >= 32 && f.blockAlign <= 8192;
    case kTagMpegLayer3:
        return f.avgBytesPerSec % 125 == 0 && mp3BitrateValid(f.samplesPerSec, f.avgBytesPerSec / 125);
    default:
        return true;
    }
}

// A standard record of a tag; empty when the tag has none for these values.
// `param` is the bits for PCM and the bit rate in kbit/s for MPEG layer 3.
std::vector<uint8_t> makeFormat(uint16_t tag, uint16_t channels, uint32_t rate, uint32_t param) {
    std::vector<uint8_t> r(tagRecordSize(tag), 0);
    FormatFields f;
    f.formatTag = tag;
    f.channels = channels;
    f.samplesPerSec = rate;
    const uint32_t ch = channels;
    const uint32_t sizeClass = rate <= 11025 ? 256 : (rate <= 22050 ? 512 : 1024);
    switch (tag) {
    case kTagPcm:
        f.bitsPerSample = static_cast<uint16_t>(param);
        f.blockAlign = static_cast<uint16_t>(ch * param / 8);
        f.avgBytesPerSec = rate * f.blockAlign;
        break;
    case kTagALaw:
    case kTagMuLaw:
        f.bitsPerSample = 8;
        f.blockAlign = channels;
        f.avgBytesPerSec = rate * ch;
        break;
    case kTagImaAdpcm: {
        f.bitsPerSample = 4;
        f.blockAlign = static_cast<uint16_t>(sizeClass * ch);
        const uint32_t spb = (f.blockAlign - 4 * ch) * 2 / ch + 1;
        f.avgBytesPerSec = static_cast<uint32_t>(static_cast<uint64_t>(rate) * f.blockAlign / spb);
        f.extraSize = 2;
        putU16(r.data() + 18, static_cast<uint16_t>(spb));
        break;
    }
    case kTagMsAdpcm: {
        f.bitsPerSample = 4;
        f.blockAlign = static_cast<uint16_t>(sizeClass * ch);
        const uint32_t spb = (f.blockAlign - 7 * ch) * 2 / ch + 2;
        f.avgBytesPerSec = static_cast<uint32_t>(static_cast<uint64_t>(rate) * f.blockAlign / spb);
        f.extraSize = 32;
        putU16(r.data() + 18, static_cast<uint16_t>(spb));
        putU16(r.data() + 20, 7);
        for (int i = 0; i < 7; ++i) {
            putU16(r.data() + 22 + 4 * i, static_cast<uint16_t>(kMsCoefs[i][0]));
            putU16(r.data() + 24 + 4 * i, static_cast<uint16_t>(kMsCoefs[i][1]));
        }
        break;
    }
    case kTagGsm610:
        if (channels != 1) return {};
        f.blockAlign = 65;
        f.avgBytesPerSec = rate * 65 / 320;
        f.extraSize = 2;
        putU16(r.data() + 18, 320);
        break;
    case kTagMpegLayer3: {
        if (!mp3RateKnown(rate)) return {};
        if (param == 0) param = rate >= 32000 ? (channels == 2 ? 128 : 64) : (rate >= 16000 ? 32 : 16);
        if (!mp3BitrateValid(rate, param)) return {};
        f.blockAlign = 1;
        f.avgBytesPerSec = param * 125;
        f.extraSize = 12;
        putU16(r.data() + 18, 1);            // MPEG layer 3 identifier
        putU32(r.data() + 20, 0);            // ISO padding
        putU16(r.data() + 24, static_cast<uint16_t>((rate >= 32000 ? 144 : 72) * param * 1000 / rate));
        putU16(r.data() + 26, 1);            // frames per block
        putU16(r.data() + 28, 1393);         // codec delay
        break;
    }
    default:
        return {};
    }
    writeFields(r.data(), f);
    return r;
}

std::vector<std::vector<uint8_t>> standardFormats(uint16_t tag) {
    std::vector<std::vector<uint8_t>> out;
    auto add = [&](std::vector<uint8_t> r) { if (!r.empty()) out.push_back(std::move(r)); };
    const uint32_t codecRates[] = {8000, 11025, 22050, 44100};
    switch (tag) {
    case kTagPcm:
        for (uint32_t rate : {8000u, 11025u, 16000u, 22050u, 32000u, 44100u, 48000u})
            for (uint32_t bits : {8u, 16u})
                for (uint16_t ch : {1, 2}) add(makeFormat(tag, ch, rate, bits));
        break;
    case kTagALaw:
    case kTagMuLaw:
        for (uint32_t rate : {8000u, 11025u, 16000u, 22050u, 44100u})
            for (uint16_t ch : {1, 2}) add(makeFormat(tag, ch, rate, 0));
        break;
    case kTagImaAdpcm:
    case kTagMsAdpcm:
        for (uint32_t rate : codecRates)
            for (uint16_t ch : {1, 2}) add(makeFormat(tag, ch, rate, 0));
        break;
    case kTagGsm610:
        for (uint32_t rate : codecRates) add(makeFormat(tag, 1, rate, 0));
        break;
    case kTagMpegLayer3: {
        const std::pair<uint32_t, std::vector<uint32_t>> plan[] = {
            {8000, {8, 16, 32}}, {11025, {16, 32}}, {16000, {32, 64}}, {22050, {32, 64}},
            {44100, {64, 96, 128, 160, 192, 256, 320}}, {48000, {128, 192, 320}}};
        for (const auto& p : plan)
            for (uint32_t kbps : p.second)
                for (uint16_t ch : {1, 2}) add(makeFormat(tag, ch, p.first, kbps));
        break;
    }
    default:
        break;
    }
    return out;
}

bool listed(const uint8_t* r, uint32_t flags) {
    const bool in = flags & kEnumInput, out = flags & kEnumOutput;
    if (!in && !out) return readable(r) && producible(r);
    return (!in || readable(r)) && (!out || producible(r));
}

std::string describe(const uint8_t* r) {
    FormatFields f = readFields(r);
    const char* chText = f.channels == 1 ? "Mono" : "Stereo";
    char buf[128];
    switch (f.formatTag) {
    case kTagPcm:
    case kTagIeeeFloat:
    case kTagExtensible:
        // The tag's name says PCM or IEEE Float (an extensible record is
        // named by its sub-format).
        std::snprintf(buf, sizeof buf, "%u Hz, %u Bit, %s", f.samplesPerSec, f.bitsPerSample, chText);
        break;
    case kTagALaw:
    case kTagMuLaw:
        std::snprintf(buf, sizeof buf, "%u Hz, 8 Bit, %s", f.samplesPerSec, chText);
        break;
    case kTagImaAdpcm:
    case kTagMsAdpcm:
        std::snprintf(buf, sizeof buf, "%u Hz, 4 Bit, %s, %u bytes/s", f.samplesPerSec, chText, f.avgBytesPerSec);
        break;
    case kTagGsm610:
        std::snprintf(buf, sizeof buf, "%u Hz, %s, %u bytes/s", f.samplesPerSec, chText, f.avgBytesPerSec);
        break;
    case kTagMpegLayer3:
        if (f.avgBytesPerSec % 125 == 0)
            std::snprintf(buf, sizeof buf, "%u kBit/s, %u Hz, %s", f.avgBytesPerSec / 125, f.samplesPerSec, chText);
        else
            std::snprintf(buf, sizeof buf, "%u bytes/s, %u Hz, %s", f.avgBytesPerSec, f.samplesPerSec, chText);
        break;
    default:
        buf[0] = 0;
    }
    return buf;
}

bool validDriver(DriverId id) { return id >= 1 && static_cast<size_t>(id) <= driverTable().size(); }

} // namespace

// ---- records ---------------------------------------------------------------

FormatFields readFields(const uint8_t* r) {
    FormatFields f;
    f.formatTag = getU16(r);
    f.channels = getU16(r + 2);
    f.samplesPerSec = getU32(r + 4);
    f.avgBytesPerSec = getU32(r + 8);
    f.blockAlign = getU16(r + 12);
    f.bitsPerSample = getU16(r + 14);
    f.extraSize = getU16(r + 16);
    return f;
}

void writeFields(uint8_t* r, const FormatFields& f) {
    putU16(r, f.formatTag);
    putU16(r + 2, f.channels);
    putU32(r + 4, f.samplesPerSec);
    putU32(r + 8, f.avgBytesPerSec);
    putU16(r + 12, f.blockAlign);
    putU16(r + 14, f.bitsPerSample);
    putU16(r + 16, f.extraSize);
}

uint32_t recordSize(const uint8_t* r) {
    return getU16(r) == kTagPcm ? kFormatHeaderSize : kFormatHeaderSize + getU16(r + 16);
}

std::string resultText(int code) {
    switch (code) {
    case kErrBadDeviceId: return "Bad device ID.";
    case kErrNotEnabled: return "Driver not enabled.";
    case kErrAllocated: return "Device already allocated.";
    case kErrInvalidHandle: return "The specified handle is invalid.";
    case kErrNoDriver: return "A suitable driver is not available to provide valid format selections.";
    case kErrNoMem: return "The system is unable to allocate resources.";
    case kErrNotSupported: return "Function not supported.";
    case kErrInvalidFlag: return "At least one flag is invalid.";
    case kErrInvalidParam: return "At least one parameter is invalid.";
    case kErrHandleBusy: return "Device handle in use.";
    case kErrBadFormat: return "The selected audio format is not supported on this machine.";
    case kErrStillPlaying: return "Audio device is still playing.";
    case kErrUnprepared: return "Cannot perform this action on a header that has not been prepared.";
    case kErrSync: return "Device is synchronous.";
    case kErrNotPossible: return "The requested operation cannot be performed.";
    case kErrBusy: return "The conversion stream is already in use.";
    case kErrStreamUnprepared: return "Cannot perform this action on a header that has not been prepared.";
    default: return "An unexpected error has occurred (code #" + std::to_string(code) + ").";
    }
}

bool canRead(const uint8_t* record) { return readable(record); }
bool canProduce(const uint8_t* record) { return producible(record); }

bool encoderAvailable(uint16_t tag) {
    if (tag == kTagPcm) return true;
    const char* name = encoderName(tag);
    return name && *name && avcodec_find_encoder_by_name(name) != nullptr;
}

namespace detail {

const char* decoderName(uint16_t tag) {
    switch (tag) {
    case kTagALaw: return "pcm_alaw";
    case kTagMuLaw: return "pcm_mulaw";
    case kTagImaAdpcm: return "adpcm_ima_wav";
    case kTagMsAdpcm: return "adpcm_ms";
    case kTagGsm610: return "gsm_ms";
    case kTagMpegLayer3: return "mp3float";
    default: return "";
    }
}

const char* encoderName(uint16_t tag) {
    switch (tag) {
    case kTagALaw: return "pcm_alaw";
    case kTagMuLaw: return "pcm_mulaw";
    case kTagImaAdpcm: return "adpcm_ima_wav";
    case kTagMsAdpcm: return "adpcm_ms";
    case kTagGsm610: return "libgsm_ms";
    case kTagMpegLayer3: return "libmp3lame";
    default: return "";
    }
}

PcmSample pcmSampleOf(const uint8_t* r) {
    if (!r) return PcmSample::None;
    const FormatFields f = readFields(r);
    uint16_t kind = f.formatTag;
    if (kind == kTagExtensible) {
        // The sub-format GUID is the base audio GUID with a tag in its first
        // two bytes; valid bits may be fewer than the container's.
        static const uint8_t kBaseGuidTail[14] = {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80,
                                                  0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};
        if (f.extraSize < 22 || std::memcmp(r + 26, kBaseGuidTail, sizeof kBaseGuidTail) != 0) return PcmSample::None;
        const uint16_t valid = getU16(r + 18);
        if (valid > f.bitsPerSample) return PcmSample::None;
        kind = getU16(r + 24);
    }
    PcmSample s = PcmSample::None;
    if (kind == kTagPcm) {
        switch (f.bitsPerSample) {
        case 8: s = PcmSample::U8; break;
        case 16: s = PcmSample::S16; break;
        case 24: s = PcmSample::S24; break;
        case 32: s = PcmSample::S32; break;
        default: return PcmSample::None;
        }
    } else if (kind == kTagIeeeFloat && f.bitsPerSample == 32) {
        s = PcmSample::F32;
    } else if (kind == kTagIeeeFloat && f.bitsPerSample == 64) {
        s = PcmSample::F64;
    } else {
        return PcmSample::None;
    }
    const uint32_t align = static_cast<uint32_t>(f.channels) * f.bitsPerSample / 8;
    if (f.channels == 0 || f.blockAlign != align ||
        f.avgBytesPerSec != static_cast<uint64_t>(f.samplesPerSec) * f.blockAlign)
        return PcmSample::None;
    return s;
}

uint32_t samplesPerBlock(const uint8_t* r) {
    switch (getU16(r)) {
    case kTagImaAdpcm: case kTagMsAdpcm: case kTagGsm610: return getU16(r + 18);
    case kTagMpegLayer3: return 0;
    default: return 1;
    }
}

StreamKind classifyPair(const uint8_t* s, const uint8_t* d) {
    if (!s || !d || !readable(s)) return StreamKind::None;
    FormatFields sf = readFields(s), df = readFields(d);
    if (pcmSampleOf(s) != PcmSample::None && df.formatTag == kTagPcm)
        return readable(d) && plainPcm(d) ? StreamKind::PcmConvert : StreamKind::None;
    const bool sameShape = sf.channels == df.channels && sf.samplesPerSec == df.samplesPerSec;
    if (sf.formatTag == kTagPcm && sf.bitsPerSample == 16 && sameShape && producible(d)) return StreamKind::Encode;
    if (df.formatTag == kTagPcm && df.bitsPerSample == 16 && sameShape && readable(d)) return StreamKind::Decode;
    return StreamKind::None;
}

} // namespace detail

// ---- drivers ---------------------------------------------------------------

std::vector<DriverId> driverEnum() {
    std::vector<DriverId> ids;
    for (size_t i = 0; i < driverTable().size(); ++i) ids.push_back(static_cast<DriverId>(i + 1));
    return ids;
}

int driverDetails(DriverId id, DriverDetails& out) {
    if (!validDriver(id)) return kErrInvalidHandle;
    const DriverInfo& d = driverTable()[static_cast<size_t>(id - 1)];
    out.support = d.support;
    out.formatTagCount = static_cast<uint32_t>(d.tags.size());
    out.shortName = d.shortName;
    out.longName = d.longName;
    out.copyright = "Built on libavcodec and libswresample of the FFmpeg project.";
    out.licensing = "GNU Lesser General Public License, version 2.1 or later.";
    out.features = d.features;
    return kOk;
}

int driverPriority(DriverId id, uint32_t& out) {
    if (!validDriver(id)) return kErrInvalidHandle;
    out = static_cast<uint32_t>(id);
    return kOk;
}

int driverOpen(DriverId id, DriverId& handle) {
    if (!validDriver(id)) return kErrInvalidHandle;
    handle = id;
    return kOk;
}

int driverClose(DriverId handle) { return validDriver(handle) ? kOk : kErrInvalidHandle; }

int maxFormatSize(DriverId id, uint32_t& out) {
    if (id != 0 && !validDriver(id)) return kErrInvalidHandle;
    out = kFormatHeaderSize;
    for (size_t i = 0; i < driverTable().size(); ++i) {
        if (id != 0 && static_cast<size_t>(id - 1) != i) continue;
        for (uint16_t tag : driverTable()[i].tags) out = std::max(out, tagRecordSize(tag));
    }
    return kOk;
}

// ---- tags and formats ------------------------------------------------------

int formatTagDetails(uint16_t tag, FormatTagDetails& out) {
    const char* name = tagName(tag);
    DriverId driver = driverOfTag(tag);
    if (!name || !driver) return kErrNotPossible;
    out.formatTag = tag;
    out.formatSize = tagRecordSize(tag);
    out.support = driverTable()[static_cast<size_t>(driver - 1)].support;
    out.standardFormats = 0;
    for (const auto& r : standardFormats(tag))
        if (listed(r.data(), 0)) ++out.standardFormats;
    out.name = name;
    return kOk;
}

int formatDetails(const uint8_t* record, uint32_t size, std::string& description) {
    if (!record || size < kFormatHeaderSize || size < recordSize(record)) return kErrInvalidParam;
    if (!readable(record)) return kErrNotPossible;
    description = describe(record);
    return kOk;
}

int formatEnum(DriverId id, uint16_t tag, uint32_t flags, const std::function<bool(const EnumeratedFormat&)>& callback) {
    if (id != 0 && !validDriver(id)) return kErrInvalidHandle;
    if ((flags & kEnumInput) && (flags & kEnumOutput)) return kErrInvalidFlag;
    const auto& table = driverTable();
    for (size_t i = 0; i < table.size(); ++i) {
        if (id != 0 && static_cast<size_t>(id - 1) != i) continue;
        for (uint16_t t : table[i].tags) {
            if ((flags & kEnumTag) && t != tag) continue;
            for (auto& r : standardFormats(t)) {
                if (!listed(r.data(), flags)) continue;
                EnumeratedFormat e;
                e.driver = static_cast<DriverId>(i + 1);
                e.description = describe(r.data());
                e.record = std::move(r);
                if (!callback(e)) return kOk;
            }
        }
    }
    return kOk;
}

int formatSuggest(const uint8_t* source, uint8_t* dest, uint32_t destSize, uint32_t flags) {
    if (!source || !dest || destSize < kFormatHeaderSize) return kErrInvalidParam;
    if (flags & ~(kSuggestTag | kSuggestChannels | kSuggestRate | kSuggestBits)) return kErrInvalidFlag;
    if (!readable(source)) return kErrNotPossible;
    const FormatFields sf = readFields(source), want = readFields(dest);
    // Any linear source goes through the PCM converter; those it does not
    // write (24 and 32 bits, floats) become 16-bit.
    const bool fromPcm = pcmSampleOf(source) != PcmSample::None;
    const uint16_t tag = (flags & kSuggestTag) ? want.formatTag : static_cast<uint16_t>(kTagPcm);
    const uint16_t channels = (flags & kSuggestChannels) ? want.channels : sf.channels;
    const uint32_t rate = (flags & kSuggestRate) ? want.samplesPerSec : sf.samplesPerSec;

    std::vector<uint8_t> r;
    if (tag == kTagPcm) {
        uint32_t bits = (flags & kSuggestBits) ? want.bitsPerSample : (plainPcm(source) ? sf.bitsPerSample : 16);
        if (!fromPcm && (bits != 16 || channels != sf.channels || rate != sf.samplesPerSec)) return kErrNotPossible;
        if (channels < 1 || channels > 2 || (bits != 8 && bits != 16) || rate == 0 || rate > 384000) return kErrNotPossible;
        r = makeFormat(kTagPcm, channels, rate, bits);
    } else {
        // One stream encodes only from 16-bit PCM of the same shape.
        if (sf.formatTag != kTagPcm || sf.bitsPerSample != 16 || channels != sf.channels || rate != sf.samplesPerSec)
            return kErrNotPossible;
        if ((flags & kSuggestBits) && tag != kTagMpegLayer3 && tag != kTagGsm610 &&
            want.bitsPerSample != (tag == kTagALaw || tag == kTagMuLaw ? 8 : 4))
            return kErrNotPossible;
        r = makeFormat(tag, channels, rate, 0);
        if (r.empty() || !producible(r.data())) return kErrNotPossible;
    }
    if (r.size() > destSize) return kErrInvalidParam;
    std::memcpy(dest, r.data(), r.size());
    std::memset(dest + r.size(), 0, destSize - r.size());
    return kOk;
}

} // namespace sv::codec
